// Playing tones on the phone from both pages, clicked with the mouse: by index and by file name, a
// phone that refuses to play or to stop, and an editor closed while a tone plays. The virtual
// phone's settings show what it was told.
#include "CAtcHelperFunctions.h"
#include "CListCtrl.h"
#include "CClipEditDlg.h"
#include "CMelodiesDlg.h"
#include "CMidiFile.h"
#include "CPlayOnMobileSubDlg.h"
#include "CTonesMobileDlg.h"
#include "Corpus.h"
#include "EditorTest.h"
#include "ButtonClicks.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/combobox.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kScale;

class PlayOnMobileTest : public test::EditorTest {
protected:
    void OnConnected() override
    {
        m_tones = m_dlg->GetTonesMobileDlg();
        m_melodies = m_dlg->GetMelodiesDlg();
    }
    // The phone's ringer goes off (vibration off) behind the editor's back, and the editor reads
    // the phone again, as after "Update".
    void SilencePhone()
    {
        ASSERT_EQ(CAtcHelperFunctions().Atc().SetSoundMode(0x22), S_OK);
        m_dlg->ReadInfosFromPhone();
        ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning() && m_dlg->WasRead(); }, 15000));
        ASSERT_EQ(m_tones->GetRadioIndex(), 1);
    }
    // The user clicks a row of the tones list.
    void ClickTone(int row)
    {
        auto* list = m_tones->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
        ASSERT_TRUE(test::ClickListRow(list, row)) << "row " << row;
        // The phone took the tone once the page marks it.
        ASSERT_TRUE(test::DispatchUntil([&] { return list->GetSelectedRow() == row; })) << "row " << row;
    }
    // The phone rings the tone of the row in silent mode: writing a tone by index switches the ringer
    // on, so the silent mode is put back on the phone and on the page afterwards.
    void SilentWithTone(int row)
    {
        SilencePhone();
        if (!HasFatalFailure())
            ClickTone(row);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(CAtcHelperFunctions().Atc().SetSoundMode(0x22), S_OK);
        m_tones->RestoreSoundMode(0x22, false);
    }
    static wxWindow* Button(CPlayOnMobileSubDlg& panel, int id) { return panel.GetDlgItem(id); }
    // The editor plays nothing, the phone is silent again and the tones page says so, and the panel
    // offers Play.
    void ExpectStoppedAndSilent(CPlayOnMobileSubDlg& panel)
    {
        EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 0);
        EXPECT_EQ(Setting("calm"), "1");
        EXPECT_EQ(m_tones->GetRadioIndex(), 1);
        EXPECT_TRUE(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
        EXPECT_FALSE(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)->IsEnabled());
    }

    CTonesMobileDlg* m_tones = nullptr;
    CMelodiesDlg* m_melodies = nullptr;
};

TEST_F(PlayOnMobileTest, TheTonesPagePlaysByIndexWithTheRingerOnAndStopPutsTheSilentModeBack)
{
    Connect("ME45");
    SilencePhone();
    ClickTone(4);
    ASSERT_EQ(Setting("ringtone.index"), "5"); // the first tone is number 1
    EXPECT_EQ(m_dlg->GetRtIndex(), 5);
    // The phone turned its ringer on for the chosen tone, and the page says so.
    EXPECT_EQ(Setting("calm"), "0");
    EXPECT_EQ(m_tones->GetRadioIndex(), 0);
    // The user silences it again on the page.
    ASSERT_TRUE(test::ClickWithMouse(m_tones->GetDlgItem(CTonesMobileDlg::IDC_RADIO_OFF),
                                     [&] { return Setting("calm") == "1"; }));
    EXPECT_EQ(m_tones->GetRadioIndex(), 1);

    CPlayOnMobileSubDlg& panel = m_tones->GetPlaySubDlg();
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("playing"), "tone 5");
    EXPECT_EQ(Setting("calm"), "0"); // so that the tone is heard
    EXPECT_EQ(m_tones->GetRadioIndex(), 0);
    EXPECT_FALSE(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)));
    EXPECT_EQ(Setting("playing"), "");
    ExpectStoppedAndSilent(panel);
}

TEST_F(PlayOnMobileTest, TheTonesPagePlaysTheCurrentFileByItsPhonePath)
{
    Connect("CX70", {"--seed-ringtones"});
    ClickTone(1);
    const std::string path = m_dlg->GetCurRtAPathFileName();
    ASSERT_NE(m_dlg->GetCurRtFileName(), "");
    CPlayOnMobileSubDlg& panel = m_tones->GetPlaySubDlg();
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("playing"), "file " + path);
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)));
    EXPECT_EQ(Setting("playing"), "");
}

TEST_F(PlayOnMobileTest, TheMelodiesPagePlaysByIndexAndStopRestoresToneAndSoundModeOnBothPages)
{
    Connect("ME45");
    SilentWithTone(2);
    m_dlg->SetSheetCurSel(1);
    test::DispatchPending();
    auto* slots = m_melodies->Item<wxChoice>(CMelodiesDlg::IDC_COMBO_USERDEF);
    slots->SetSelection(1);
    CPlayOnMobileSubDlg& panel = m_melodies->GetPlaySubDlg();
    panel.EnableButtons(1);
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("ringtone.index"), "42");  // first used 1 + 40 fixed + selection 1
    EXPECT_EQ(Setting("playing"), "usertone 3"); // "User-defined 02" of five slots
    EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 1);
    EXPECT_EQ(m_tones->GetRadioIndex(), 0);
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)));
    EXPECT_EQ(Setting("playing"), "");
    EXPECT_EQ(Setting("ringtone.index"), "3");
    ExpectStoppedAndSilent(panel); // the tones page shows the restored mode too

    // Turning the buttons off while the tone plays stops it first and puts everything back.
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    ASSERT_EQ(Setting("playing"), "usertone 3");
    panel.EnableButtons(0);
    EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 0);
    EXPECT_EQ(Setting("playing"), "");
    EXPECT_EQ(Setting("ringtone.index"), "3");
    EXPECT_EQ(Setting("calm"), "1");
    EXPECT_FALSE(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
}

TEST_F(PlayOnMobileTest, AMelodySentToUserDefined01IsWhatItsTonesListEntryPlaysAndUserDefined05FillsThePhonesSlotZero)
{
    Connect("ME45");
    m_dlg->SetSheetCurSel(1);
    CClipEditDlg& clip = m_melodies->GetClipEditDlg();
    ASSERT_TRUE(clip.OpenFile(kScale.string()));
    m_melodies->UpdateControls();
    auto* slots = m_melodies->Item<wxChoice>(CMelodiesDlg::IDC_COMBO_USERDEF);
    ASSERT_EQ(slots->GetCount(), 5u);
    ASSERT_EQ(slots->GetString(slots->GetSelection()), "User-defined 01");
    ASSERT_TRUE(test::ClickButtonWithMouse(m_melodies->GetDlgItem(CMelodiesDlg::IDC_BUTTON_WRITE)));
    ASSERT_TRUE(Told("The file or the clip were successfully transferred to the mobile phone."));

    // The tones list's "User-defined 01" entry, clicked and played on the phone, is that melody.
    m_dlg->SetSheetCurSel(0);
    auto* list = m_tones->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    const int row = 40; // after the 40 fixed tones
    ASSERT_EQ(list->GetItemText(row).Trim(false), "41   User-defined 01");
    ClickTone(row);
    ASSERT_TRUE(test::ClickButtonWithMouse(m_tones->GetPlaySubDlg().GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("playing"), "usertone 4");
    const std::string clipBytes = test::ReadFile(clip.GetMidiFile()->GetTempPrefix() + "rtclip.mid");
    EXPECT_EQ(test::ReadFile(m_editor->phone->State() / "usertones" / "4.mid"), clipBytes);

    // "User-defined 05" is the phone's slot 0.
    m_dlg->SetSheetCurSel(1);
    slots->SetSelection(4);
    clip.WriteToPhone();
    EXPECT_EQ(test::ReadFile(m_editor->phone->State() / "usertones" / "0.mid"), clipBytes);
}

TEST_F(PlayOnMobileTest, TheMelodiesPagePlaysTheDestinationFileAndItsButtonsFollowATransferAtOnce)
{
    Connect("CX70", {"--seed-ringtones"});
    m_dlg->SetSheetCurSel(1);
    test::DispatchPending();
    CClipEditDlg& clip = m_melodies->GetClipEditDlg();
    ASSERT_TRUE(clip.OpenFile(kScale.string()));
    // A name the phone does not have yet: nothing to play.
    m_melodies->SetDestination("fresh.mid");
    PostMessage(m_melodies, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
    test::DispatchPending();
    CPlayOnMobileSubDlg& panel = m_melodies->GetPlaySubDlg();
    EXPECT_FALSE(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    clip.WriteToPhone();
    ASSERT_TRUE(fs::exists(m_editor->phone->Files() / "Ringtones" / "fresh.mid"))
        << ::testing::PrintToString(m_ui.m_boxes.size());
    // Without showing the page again, the new file can be played.
    ASSERT_TRUE(test::DispatchUntil([&] { return Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled(); }));
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("playing"), "file " + m_dlg->GetAPathFileName("fresh.mid"));
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)));
    EXPECT_EQ(Setting("playing"), "");
}

TEST_F(PlayOnMobileTest, APhoneThatRefusesToPlayLeavesThePanelIdleAndTheSoundModeAsItWas)
{
    Connect("ME45", {"--fail-cmd", "AT^CPLY=1"});
    SilentWithTone(4);
    CPlayOnMobileSubDlg& panel = m_tones->GetPlaySubDlg();
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    EXPECT_EQ(Setting("playing"), "");
    ExpectStoppedAndSilent(panel);
}

TEST_F(PlayOnMobileTest, APhoneThatRefusesToStopStillGetsItsSoundModeBackAndThePanelCanPlayAgain)
{
    Connect("ME45", {"--fail-cmd", "AT^CPLY=0"});
    SilentWithTone(4);
    CPlayOnMobileSubDlg& panel = m_tones->GetPlaySubDlg();
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    ASSERT_EQ(Setting("playing"), "tone 5");
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_STOP)));
    // The phone goes on playing (it refused), but the editor keeps no stale state.
    EXPECT_EQ(Setting("playing"), "tone 5");
    ExpectStoppedAndSilent(panel);
}

TEST_F(PlayOnMobileTest, ClosingTheEditorWhileATonePlaysStopsItAndPutsTheSoundModeBack)
{
    Connect("ME45");
    SilentWithTone(4);
    CPlayOnMobileSubDlg& panel = m_tones->GetPlaySubDlg();
    ASSERT_TRUE(test::ClickButtonWithMouse(Button(panel, CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)));
    ASSERT_EQ(Setting("playing"), "tone 5");
    m_editor->frame->Destroy();
    m_editor->frame = nullptr;
    test::DispatchPending();
    EXPECT_EQ(Setting("playing"), "");
    EXPECT_EQ(Setting("calm"), "1");
    EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 0);
}

} // namespace
} // namespace corvina
