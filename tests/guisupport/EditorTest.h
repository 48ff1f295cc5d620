// The fixture the page tests share: a scratch folder, the recording UI, and an editor connected to a
// virtual phone and read out, its window large enough for the pointer to reach every control.
#pragma once

#include "EditorWithPhone.h"
#include "FakeUi.h"

#include <gtest/gtest.h>

#include <algorithm>
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

    // A virtual phone of the model (with its options), the editor connected to it and read out.
    void Connect(const std::string& model, std::vector<std::string> extra = {}, const std::string& registry = {})
    {
        m_editor = std::make_unique<EditorWithPhone>(m_folder.Path(), model, std::move(extra), registry);
        ASSERT_TRUE(m_editor->Ready());
        m_dlg = m_editor->dlg;
        // The window as large as the editor's template in the dialog font, so all of it is on screen.
        m_editor->frame->SetClientSize(wxSize(m_dlg->Units().X(464), m_dlg->Units().Y(307)));
        DispatchPending();
    }
    // The texts of the message boxes shown so far, in order.
    std::vector<std::string> Texts() const { return m_ui.Texts(); }
    // True when a message box showed exactly the text.
    bool Told(const std::string& text) const
    {
        const auto texts = Texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    // A setting of the virtual phone (what it was told).
    std::string Setting(const std::string& key) const { return m_editor->Setting(key); }

    ScratchFolder m_folder;
    FakeUi m_ui;
    std::unique_ptr<EditorWithPhone> m_editor;
    CRingingtoneDlg* m_dlg = nullptr;
};

} // namespace corvina::test
