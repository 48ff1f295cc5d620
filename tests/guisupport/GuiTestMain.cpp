// The main of every dialog test binary: starts wx on the display, runs the tests, shuts wx down.
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <chrono>
#include <thread>

namespace corvina::test {

wxFrame* NewTestFrame()
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxPoint(0, 0), wxSize(800, 600));
    frame->Show();
    return frame;
}

void DispatchPending()
{
    for (int round = 0; round < 20; ++round) {
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->Pending())
            wxTheApp->Dispatch();
        if (!wxTheApp->HasPendingEvents())
            break;
    }
    wxYield();
}

bool DispatchUntil(const std::function<bool()>& condition, int timeoutMs)
{
    wxStopWatch watch;
    while (watch.Time() < timeoutMs) {
        DispatchPending();
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    DispatchPending();
    return condition();
}

} // namespace corvina::test

namespace {

// A failed wx check is a test failure, not a message box that waits for a click.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx check failed at " << file << ":" << line << " in " << func << ": " << cond << " " << msg;
    if (getenv("CORVINA_TRAP_ON_ASSERT"))
        __builtin_trap();
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wx: is there a display (DISPLAY=%s)?\n", getenv("DISPLAY") ? getenv("DISPLAY") : "");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
