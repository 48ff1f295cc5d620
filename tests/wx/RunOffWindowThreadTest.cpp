// Checks that slow work run off the window thread leaves that thread handling its events meanwhile.
#include "RunOffWindowThread.h"
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <wx/event.h>
#include <wx/timer.h>

namespace corvina {
namespace {

TEST(RunOffWindowThread, TheWindowThreadHandlesEventsWhileTheWorkRunsAndGetsItsResult)
{
    // The work can only finish once the window thread has handled a timer that fires after it started:
    // were that thread blocked, the work would give up at its deadline and report failure.
    std::atomic<bool> handled{false};
    wxEvtHandler target;
    wxTimer timer(&target);
    target.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { handled = true; });
    timer.StartOnce(1);
    const std::thread::id window = std::this_thread::get_id();
    std::thread::id worker;
    const bool sawNotice = RunOffWindowThread([&] {
        worker = std::this_thread::get_id();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!handled && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return handled.load();
    });
    EXPECT_TRUE(sawNotice);
    EXPECT_NE(worker, window);
    EXPECT_FALSE(wxIsBusy()); // the wait cursor is gone again
}

} // namespace
} // namespace corvina
