// Private window messages between the host, the editor's dialogs and the read-out worker, carried
// as queued wx events so a worker thread never touches a widget.
#pragma once

#include <wx/event.h>
#include <wx/window.h>

#include <cstdint>

namespace corvina {

constexpr unsigned WM_USER = 0x0400;
// The host hands over a new phone record (lParam: CMobileInfo*, owned by the receiver).
constexpr unsigned WM_NEW_PHONE = WM_USER + 9; // 0x0409
// The host hands over a dropped MIDI file (lParam: char* path allocated with new[]).
constexpr unsigned WM_DROP_MIDI_FILE = WM_USER + 22; // 0x0416
// The main dialog validates a phone record that arrived while it was hidden.
constexpr unsigned WM_VALIDATE_NEW = WM_USER + 23; // 0x0417
// The read-out worker reports (wParam: result code, lParam: HRESULT).
constexpr unsigned WM_RT_INFOS_READ = WM_USER + 24; // 0x0418
// The melodies page refreshes its play-on-phone buttons.
constexpr unsigned WM_UPDATE_PLAY_ON_MOBILE = 0x041B;
// A time field tells its parent that a valid time was entered (wParam: the field).
constexpr unsigned WM_TIME_ENTERED = 0x041E;

class CWindowMessageEvent : public wxEvent {
public:
    CWindowMessageEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    wxEvent* Clone() const override { return new CWindowMessageEvent(*this); }

    unsigned Message() const { return m_message; }
    std::uintptr_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }
    // The handler's answer when the message was sent rather than posted.
    std::intptr_t m_result = 0;

private:
    unsigned m_message;
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
};

wxDECLARE_EVENT(EVT_WINDOW_MESSAGE, CWindowMessageEvent);

// Queues the message to the window; safe from any thread. False when there is no window.
bool PostMessage(wxWindow* target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
// Delivers the message at once on the calling (user-interface) thread and returns the answer.
std::intptr_t SendMessage(wxWindow* target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

} // namespace corvina
