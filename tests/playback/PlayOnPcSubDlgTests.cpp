// Tests of the clip editor's play panel on a (virtual) display, with the player rendering to a file.
#include <fstream>

#include <wx/textctrl.h>

#include "CPlayOnPcSubDlg.h"
#include "Corpus.h"
#include "MciNotify.h"
#include "PlaybackGuiTest.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kScale;

class PlayOnPcSubDlg : public test::PlaybackGuiTest {
protected:
    void SetUp() override
    {
        PlaybackGuiTest::SetUp();
        m_dlg = new CPlayOnPcSubDlg();
        ASSERT_TRUE(m_dlg->Create(m_frame));
        m_dlg->Show();
    }

    void Click(int id) { PlaybackGuiTest::Click(m_dlg->Item<wxButton>(id)); }
    bool PlayEnabled() const { return m_dlg->GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsThisEnabled(); }
    bool StopEnabled() const { return m_dlg->GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsThisEnabled(); }
    wxString EditText(int id) const { return m_dlg->Item<wxTextCtrl>(id)->GetValue(); }
    // Clicks into the edit, selects what it holds and types the text over it.
    void TypeInto(int id, const char* text) { ASSERT_TRUE(test::TypeOver(m_dlg->Item<wxTextCtrl>(id), text)) << id; }

    CPlayOnPcSubDlg* m_dlg = nullptr;
};

TEST_F(PlayOnPcSubDlg, InfoWhileStoppedShowsFourZeros)
{
    Click(CPlayOnPcSubDlg::IDC_BUTTON_INFO);
    ASSERT_EQ(m_ui.m_boxes.size(), 1u);
    EXPECT_EQ(m_ui.m_boxes[0].text, "0 current track number. MCI uses continuous track numbers.\n"
                                    " 0 total media length.\n"
                                    " 0 total number of playable tracks.\n"
                                    " 0 current position.\n");
    EXPECT_EQ(m_ui.m_boxes[0].style, MB_OK);
}

TEST_F(PlayOnPcSubDlg, PlayReadsTheRangeFromTheEdits)
{
    m_dlg->SetFile(kScale.string());
    m_dlg->SetPlayWhole(false);
    m_dlg->SetFromEdit(500);
    m_dlg->SetToEdit(-20);
    EXPECT_EQ(EditText(CPlayOnPcSubDlg::IDC_EDIT_FROM), "500");
    EXPECT_EQ(EditText(CPlayOnPcSubDlg::IDC_EDIT_TO), "-20");

    TypeInto(CPlayOnPcSubDlg::IDC_EDIT_FROM, " 250ms");
    TypeInto(CPlayOnPcSubDlg::IDC_EDIT_TO, "1500");
    Click(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    EXPECT_EQ(m_dlg->Player().GetFrom(), 250);
    EXPECT_EQ(m_dlg->Player().GetTo(), 1500);
    EXPECT_TRUE(test::DispatchUntil([&] { return PlayEnabled(); }));
    EXPECT_FALSE(StopEnabled());
    EXPECT_EQ(m_dlg->Player().GetDeviceID(), 0u) << "the end of play closes the device";

    TypeInto(CPlayOnPcSubDlg::IDC_EDIT_FROM, "abc");
    Click(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    EXPECT_EQ(m_dlg->Player().GetFrom(), 0);
    EXPECT_TRUE(test::DispatchUntil([&] { return PlayEnabled(); }));
}

TEST_F(PlayOnPcSubDlg, HidingWhilePlayingStopsAndEnablesPlay)
{
    Configure(true);
    m_dlg->SetFile(kScale.string());
    Click(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    EXPECT_FALSE(PlayEnabled());
    EXPECT_TRUE(StopEnabled());
    EXPECT_NE(m_dlg->Player().GetDeviceID(), 0u);

    // A notice from an earlier play must not stop this one.
    PostMessage(m_dlg, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
    test::DispatchPending();
    EXPECT_TRUE(StopEnabled());

    Click(CPlayOnPcSubDlg::IDC_BUTTON_INFO);
    ASSERT_EQ(m_ui.m_boxes.size(), 1u);
    EXPECT_EQ(m_ui.m_boxes[0].text.substr(0, 2), "1 ");
    EXPECT_NE(
        m_ui.m_boxes[0].text.find(" " + std::to_string(m_dlg->Status(MCI_STATUS_LENGTH)) + " total media length."),
        std::string::npos);

    m_dlg->Hide();
    test::DispatchPending();
    EXPECT_EQ(m_dlg->Player().GetDeviceID(), 0u);
    EXPECT_TRUE(PlayEnabled());
    EXPECT_FALSE(StopEnabled());
}

TEST_F(PlayOnPcSubDlg, StopAndAFailingPlayLeavePlayEnabled)
{
    Configure(true);
    m_dlg->SetFile(kScale.string());
    Click(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    EXPECT_TRUE(StopEnabled());
    Click(CPlayOnPcSubDlg::IDC_BUTTON_STOP);
    EXPECT_TRUE(PlayEnabled());
    EXPECT_FALSE(StopEnabled());
    EXPECT_EQ(m_dlg->Player().GetDeviceID(), 0u);

    std::ofstream(m_dir / "notes.txt") << "not a MIDI file";
    m_dlg->SetFile((m_dir / "notes.txt").string());
    Click(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    EXPECT_TRUE(PlayEnabled());
    EXPECT_FALSE(StopEnabled());
    EXPECT_EQ(m_dlg->Player().GetDeviceID(), 0u);
}

} // namespace
} // namespace corvina
