// Runs slow work (reading or converting a large file) on a worker while the window thread goes on
// painting and handling its timers, with the wait cursor shown.
#pragma once

#include <chrono>
#include <future>
#include <utility>

#include <wx/evtloop.h>
#include <wx/utils.h>

namespace corvina {

// Returns work()'s result once the worker is done. Keys, clicks and the program's own queued events
// wait meanwhile, so nothing can start the same work twice; painting and timers go on.
template <class F>
auto RunOffWindowThread(F&& work) -> decltype(work())
{
    wxBusyCursor wait;
    auto done = std::async(std::launch::async, std::forward<F>(work));
    wxEventLoopGuarantor loop;
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (wxEventLoopBase* active = wxEventLoopBase::GetActive())
            active->YieldFor(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_TIMER);
    }
    return done.get();
}

} // namespace corvina
