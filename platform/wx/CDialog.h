// Base of the editor's modeless child dialogs: built from a dialog template, with a message table
// for private window messages, Enter/Escape routed to OnOK/OnCancel, and tooltips by control id.
#pragma once

#include "DialogUnits.h"
#include "WindowMessage.h"

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace corvina {

class CDialog : public wxPanel {
public:
    // Constructs the object for a template; the window exists only after Create().
    explicit CDialog(int templateId);
    ~CDialog() override;

    // Creates the window from the template as a child of parent and runs OnInitDialog.
    bool Create(wxWindow* parent);
    bool IsCreated() const { return m_created; }
    int GetTemplateId() const { return m_templateId; }

    // The control with the id, or nullptr.
    wxWindow* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const
    {
        return dynamic_cast<T*>(GetDlgItem(id));
    }

    // Puts a new window in the place of the control with the id (the old one is already gone).
    void ReplaceDlgItem(int id, wxWindow* window);

    // Keeps a control drawn above siblings created after it (on GTK later siblings draw on top,
    // while a template's earlier controls are meant to lie above later ones where they overlap).
    void KeepOnTop(int id);

    // Asks OnToolTip again for the control's tooltip (also the name a screen reader gives an
    // icon-only button); for controls whose tip changes with their state, disabled ones included.
    void RefreshToolTip(int id);
    void RefreshToolTips();
    // Moves the window in parent client pixels; repaints when asked. Controls of the template that
    // the new size leaves wholly outside are hidden (so the keyboard cannot reach what nobody sees),
    // and shown again when a later size brings them back.
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);

    // The dialog units of this dialog's font (valid after Create()).
    const DialogUnits& Units() const { return m_units; }
    // Places a child at a pixel placement made for the template font, scaled to the dialog font
    // just as the template's controls are.
    void PlaceAtTemplatePixels(wxWindow* child, int x, int y, int width, int height) const;
    void PlaceAtTemplatePixels(CDialog& child, int x, int y, int width, int height) const;

protected:
    virtual bool OnInitDialog() { return true; }
    // Enter and Escape; the editor's dialogs never close on them.
    virtual void OnOK() {}
    virtual void OnCancel() {}
    // The tooltip text of a control, asked when the pointer enters it; false for none.
    virtual bool OnToolTip(int /*controlId*/, std::string& /*text*/) { return false; }
    // Called when the window is shown or hidden.
    virtual void OnShowWindow(bool /*show*/) {}

    using MessageHandler = std::function<std::intptr_t(std::uintptr_t wParam, std::intptr_t lParam)>;
    // An entry of this dialog's message table.
    void AddMessageHandler(unsigned message, MessageHandler handler);

private:
    void OnWindowMessage(CWindowMessageEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnShow(wxShowEvent& event);
    void OnEnterControl(wxMouseEvent& event);
    void RefreshControlToolTip(wxWindow* control);

    int m_templateId;
    bool m_created = false;
    DialogUnits m_units;
    std::map<int, wxWindow*> m_controls;
    std::set<wxWindow*> m_cutOff; // controls hidden because the dialog's size leaves them out
    std::map<unsigned, MessageHandler> m_messages;
};

} // namespace corvina
