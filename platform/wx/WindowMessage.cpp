// Queued and direct delivery of private window messages.
#include "WindowMessage.h"

namespace corvina {

wxDEFINE_EVENT(EVT_WINDOW_MESSAGE, CWindowMessageEvent);

CWindowMessageEvent::CWindowMessageEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
    : wxEvent(wxID_ANY, EVT_WINDOW_MESSAGE), m_message(message), m_wParam(wParam), m_lParam(lParam)
{
}

bool PostMessage(wxWindow* target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!target)
        return false;
    wxQueueEvent(target, new CWindowMessageEvent(message, wParam, lParam));
    return true;
}

std::intptr_t SendMessage(wxWindow* target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!target)
        return 0;
    CWindowMessageEvent event(message, wParam, lParam);
    event.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(event);
    return event.m_result;
}

} // namespace corvina
