// The fixture the page tests share: a scratch folder, the recording UI, and an editor connected to a
// virtual phone and read out, its window large enough for the pointer to reach every control.
#pragma once

#include "EditorWithPhone.h"
#include "FakeUi.h"
#include "RealInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvina::test {

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VirtualPhone::Available())
            GTEST_SKIP() << "the virtual phone corvina-phonesim is not part of this build";
    }

    // A virtual phone of the model (with its options), the editor connected to it and read out. The
    // registry text follows the suite's values: values before any key of its own are the suite's.
    void Connect(const std::string& model, std::vector<std::string> extra = {}, const std::string& registry = {})
    {
        m_editor = std::make_unique<EditorWithPhone>(m_folder.Path(), model, std::move(extra), registry);
        ASSERT_TRUE(m_editor->Ready());
        m_dlg = m_editor->dlg;
        // The window as large as the editor's template in the dialog font, so all of it is on screen.
        m_editor->frame->SetClientSize(wxSize(m_dlg->Units().X(464), m_dlg->Units().Y(307)));
        // Raised and active, as the user's window: the pointer and the keyboard reach it.
        ASSERT_TRUE(ShowForInput(m_editor->frame));
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
