// The setting of the play dialogs' tests: a private temporary folder (which also holds the preview
// copy), a test frame, English texts, and the player rendering into a WAV file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <wx/button.h>

#include "CRegistryHelper.h"
#include "ButtonClicks.h"
#include "CResource.h"
#include "FakeUi.h"
#include "GuiTestMain.h"
#include "ScopedEnv.h"
#include "ScratchFolder.h"

namespace corvina::test {

class PlaybackGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configure(false);
        CSharedStrings::Destroy();
        m_frame = NewTestFrame();
    }
    void TearDown() override
    {
        m_frame->Destroy();
        DispatchPending();
        Registry::Instance().LoadText("");
        CSharedStrings::Destroy();
    }

    // realTime keeps a play going at playing speed, so that it can be interrupted.
    void Configure(bool realTime)
    {
        Registry::Instance().LoadText("Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\r\n"
                                      "\"Language\"=dword:00000809\r\n"
                                      "\"AudioDriver\"=\"file\"\r\n"
                                      "\"AudioFile\"=\"" +
                                      (m_dir / "out.wav").string() +
                                      "\"\r\n"
                                      "\"AudioFileRealTime\"=dword:0000000" +
                                      (realTime ? "1" : "0") + "\r\n");
    }

    // A click with the real pointer, as the user gives it.
    static void Click(wxButton* button)
    {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(ClickButtonWithMouse(button)) << button->GetLabel();
    }

    // Test programs run side by side; each keeps its preview copy in a folder of its own, which lasts
    // as long as the program: the program makes its temporary folder in it once, for all its tests.
    static const std::filesystem::path& Dir()
    {
        static const ScratchFolder folder{"pcplay"};
        static const ScopedEnv tmp{"TMPDIR", folder.Path().string()};
        return folder.Path();
    }
    // The files one test writes, apart from those of the tests before it.
    const ScratchFolder m_folder{"pcplay-test", Dir()};
    const std::filesystem::path m_dir = m_folder.Path();
    wxFrame* m_frame = nullptr;
    FakeUi m_ui;
};

} // namespace corvina::test
