// Helpers for dialog tests: a top-level window to host dialogs and a way to run queued events.
#pragma once

#include <wx/frame.h>

#include <functional>

namespace corvina::test {

// A fresh, shown top-level window for one test; destroyed by the caller with Destroy().
wxFrame* NewTestFrame();
// Runs the events queued so far (posted messages, paints) until none is left.
void DispatchPending();
// Dispatches events until the condition holds or the time runs out; true when it held.
bool DispatchUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

} // namespace corvina::test
