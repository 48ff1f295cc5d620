// The fixture the page tests share: a scratch folder, the recording UI, and an editor connected to a
// virtual phone and read out, its window large enough for the pointer to reach every control.
#pragma once

#include "EditorWithPhone.h"
#include "FakeUi.h"
#include "RealInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvina::test {

class EditorTest : public VirtualPhoneTest {
protected:
    // A virtual phone of the model (with its options), the editor connected to it and read out. The
    // registry text follows the suite's values: values before any key of its own are the suite's. An
    // editor that does not come up ends the test (the test's next steps would reach into nothing).
    void Connect(const std::string& model, std::vector<std::string> extra = {}, const std::string& registry = {})
    {
        m_editor = std::make_unique<EditorWithPhone>(m_folder.Path(), model, std::move(extra), registry);
        if (!m_editor->Ready())
            throw std::runtime_error("the editor did not come up with a " + model);
        m_dlg = m_editor->dlg;
        // The window as large as the editor's template in the dialog font, so all of it is on screen.
        m_editor->frame->SetClientSize(wxSize(m_dlg->Units().X(464), m_dlg->Units().Y(307)));
        // Raised and active, as the user's window: the pointer and the keyboard reach it.
        if (!ShowForInput(m_editor->frame))
            throw std::runtime_error("the editor's window never became active");
        OnConnected();
    }
    // What a fixture does once the editor is connected (finding its page, showing it).
    virtual void OnConnected() {}
    // Registry values that make the PC player play in real time into out.wav of the scratch folder.
    std::string PlayIntoWav() const
    {
        return "\"AudioDriver\"=\"file\"\n\"AudioFileRealTime\"=dword:00000001\n\"AudioFile\"=\"" +
               (m_folder.Path() / "out.wav").string() + "\"\n";
    }
    // Registry text that has the factory make the transfer's progress window registered under the name.
    static std::string ProgressWindow(const std::string& name)
    {
        return "[HKEY_CLASSES_ROOT\\CLSID\\{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}\\Corvina]\n\"Implementation\"=\"" +
               name + "\"\n";
    }
    // The texts of the message boxes shown so far, in order.
    std::vector<std::string> Texts() const { return m_ui.Texts(); }
    // True when a message box showed exactly the text.
    bool Told(const std::string& text) const { return m_ui.Told(text); }
    // A setting of the virtual phone (what it was told).
    std::string Setting(const std::string& key) const { return m_editor->Setting(key); }

    ScratchFolder m_folder;
    FakeUi m_ui;
    std::unique_ptr<EditorWithPhone> m_editor;
    CRingingtoneDlg* m_dlg = nullptr;
};

} // namespace corvina::test
