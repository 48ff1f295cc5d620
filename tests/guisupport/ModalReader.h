// Reads a modal GTK dialog (a message box, a file chooser) while it runs, as a user looks at it,
// and closes it with a response.
#pragma once

#include <gtk/gtk.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <functional>

namespace corvina::test {

// While a modal dialog runs: waits until a shown GTK dialog of the type exists, reads it with the
// callback and closes it with the response. Gives up after a few seconds (the dialog then stays
// open and the test fails on the missing texts).
class ModalReader : public wxTimer {
public:
    ModalReader(GType type, int closeResponse, std::function<void(GtkDialog*)> read)
        : m_type(type), m_closeResponse(closeResponse), m_read(std::move(read))
    {
        Start(20);
    }
    bool Found() const { return m_found; }

    void Notify() override
    {
        GList* windows = gtk_window_list_toplevels();
        for (GList* item = windows; item; item = item->next) {
            GtkWidget* window = GTK_WIDGET(item->data);
            if (!m_found && G_TYPE_CHECK_INSTANCE_TYPE(window, m_type) && gtk_widget_get_mapped(window)) {
                m_found = true;
                Stop();
                m_read(GTK_DIALOG(window));
                gtk_dialog_response(GTK_DIALOG(window), m_closeResponse);
            }
        }
        g_list_free(windows);
        if (!m_found && m_watch.Time() > 10000)
            Stop();
    }

private:
    GType m_type;
    int m_closeResponse;
    std::function<void(GtkDialog*)> m_read;
    wxStopWatch m_watch;
    bool m_found = false;
};

} // namespace corvina::test
