// corvina-filedialog-shot: opens the melody file dialog on the display, waits, saves a picture of the
// screen area it covers as PNG and closes it. For looking at the dialog without clicking through
// the editor. Usage: corvina-filedialog-shot OUT.png [--folder DIR] [--select FILE] [--play] [--delay MS]
#include "CMelodyFileDialog.h"

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace corvina {
namespace {

int g_exitCode = 2;

struct Options {
    std::string out;
    std::string folder;
    std::string select;
    bool play = false;
    int delayMs = 1500;
};

bool Parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--folder" && hasValue)
            options.folder = argv[++i];
        else if (arg == "--select" && hasValue)
            options.select = argv[++i];
        else if (arg == "--delay" && hasValue)
            options.delayMs = std::atoi(argv[++i]);
        else if (arg == "--play")
            options.play = true;
        else if (options.out.empty() && arg.rfind("--", 0) != 0)
            options.out = arg;
        else
            return false;
    }
    return !options.out.empty() && options.delayMs >= 0;
}

// wx does not follow the size of the native chooser window; GTK knows it.
wxRect NativeWindowArea(wxWindow& window)
{
    GtkWidget* widget = window.GetHandle();
    GdkWindow* native = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!native)
        return {};
    GdkRectangle frame{};
    gdk_window_get_frame_extents(native, &frame);
    return wxRect(frame.x, frame.y, frame.width, frame.height);
}

bool SaveScreenArea(const wxRect& area, const std::string& path)
{
    wxRect rect = area;
    if (rect.IsEmpty())
        rect = wxRect(wxPoint(0, 0), wxGetDisplaySize());
    wxScreenDC screen;
    wxBitmap bitmap(rect.width, rect.height, 24);
    wxMemoryDC memory(bitmap);
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    memory.SelectObject(wxNullBitmap);
    return bitmap.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

class ShotApp : public wxApp {
public:
    bool OnInit() override
    {
        if (!Parse(argc, argv, m_options)) {
            std::fprintf(
                stderr,
                "usage: corvina-filedialog-shot OUT.png [--folder DIR] [--select FILE] [--play] [--delay MS]\n");
            return false;
        }
        wxInitAllImageHandlers();
        CMelodyFileDialog dialog(nullptr, CMelodyFileDialog::MidiFilter(), m_options.folder);
        if (!m_options.select.empty())
            dialog.SetPath(wxString::FromUTF8(m_options.select));
        wxTimer timer;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (m_options.play && dialog.IsPlayEnabled()) {
                dialog.OnButtonPlay();
                m_options.play = false;
                timer.StartOnce(300);
                return;
            }
            m_saved = SaveScreenArea(NativeWindowArea(dialog), m_options.out);
            dialog.EndModal(wxID_CANCEL);
        });
        timer.StartOnce(m_options.delayMs);
        dialog.ShowModal();
        if (!m_saved)
            std::fprintf(stderr, "corvina-filedialog-shot: could not write %s\n", m_options.out.c_str());
        g_exitCode = m_saved ? 0 : 1;
        // The work is done; not starting the main loop ends the program.
        return false;
    }

    Options m_options;
    bool m_saved = false;
};

} // namespace
} // namespace corvina

wxIMPLEMENT_APP_NO_MAIN(corvina::ShotApp);

int main(int argc, char** argv)
{
    wxEntry(argc, argv);
    return corvina::g_exitCode;
}
