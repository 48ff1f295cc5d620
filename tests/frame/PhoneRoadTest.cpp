// The road from the phone to the pages as a user travels it: an unplugged phone, a volume set and
// read back, a melody sent to a platform phone, and the destination the Melodies page offers.
#include "CClipEditDlg.h"
#include "CListCtrl.h"
#include "CMelodiesDlg.h"
#include "CPlayOnPcSubDlg.h"
#include "CRecordingProgressDlg.h"
#include "CServiceFactory.h"
#include "CSXButton.h"
#include "CTimeEdit.h"
#include "CTonesMobileDlg.h"
#include "EditorTest.h"
#include "ButtonClicks.h"

#include <gtest/gtest.h>

#include <wx/combobox.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kScale;
const std::string kPortText = "Port cannot be read. Please reinstall Pellucid!\n";
const std::string kTransferFailed = "Transferring of file/clip to the phone unsuccessful.";
const std::string kTransferDone = "The file or the clip were successfully transferred to the mobile phone.";

class PhoneRoadTest : public test::EditorTest {
protected:
    CMelodiesDlg* Melodies() { return m_dlg->GetMelodiesDlg(); }
    CClipEditDlg& Clip() { return Melodies()->GetClipEditDlg(); }
};

TEST_F(PhoneRoadTest, AfterThePhoneIsUnpluggedATonesClickAndATransmitSayTheyFailedWithoutThePortMessage)
{
    Connect("CX70", {"--seed-ringtones"});
    m_editor->phone->Stop();
    ASSERT_TRUE(test::ClickListRow(m_dlg->GetTonesMobileDlg()->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES), 1));
    EXPECT_TRUE(test::DispatchUntil([&] { return Told("The phone is not connected."); }))
        << ::testing::PrintToString(Texts());
    EXPECT_FALSE(Told(kPortText));

    m_ui.m_boxes.clear();
    ASSERT_TRUE(Clip().OpenFile(kScale.string()));
    Melodies()->SetDestination("gone.mid");
    Clip().WriteToPhone();
    EXPECT_TRUE(Told(kTransferFailed)) << ::testing::PrintToString(Texts());
    EXPECT_FALSE(Told(kPortText));
}

TEST_F(PhoneRoadTest, TheVolumeWrittenForTheCurrentLineIsTheOneUpdateReadsBack)
{
    Connect("CX70", {"--seed-ringtones"});
    CTonesMobileDlg* tones = m_dlg->GetTonesMobileDlg();
    const long start = tones->GetVolumeProfile().lVolStart;
    const long end = tones->GetVolumeProfile().lVolEnd;
    const long wanted = tones->GetVolume() == end ? start : end;
    tones->SetVolume(wanted);
    ASSERT_NE(tones->SetCurVolumeToPhone(0), 0);
    EXPECT_EQ(m_editor->Setting("ringtone.volume"), std::to_string(wanted));
    // The user presses "Update".
    tones->SetVolume(-1);
    auto* update = m_dlg->GetDlgItem(CRingingtoneDlg::IDC_BUTTON_READ);
    ASSERT_TRUE(test::ClickButtonWithMouse(update));
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning() && m_dlg->WasRead(); }, 15000));
    EXPECT_EQ(tones->GetVolume(), wanted);
}

// A platform phone numbers the files it holds; the tones list names them by those numbers, whether
// its files are a folder on the PC or reached over its line only (OBEX), as a real phone is.
class PlatformPhoneRoadTest : public PhoneRoadTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PlatformPhoneRoadTest, TheTonesListNamesThePhonesFilesAndATransmittedMelodyAtItsNumberWithoutUpdate)
{
    Connect("BIRCH-M55", {"--seed-ringtones"}, GetParam());
    auto* tones = m_dlg->GetTonesMobileDlg()->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    auto listed = [tones](const std::string& name) {
        for (int row = 0; row < tones->GetItemCount(); ++row)
            if (const std::string text = tones->GetItemText(row).ToStdString();
                text.size() > name.size() && text.compare(text.size() - name.size(), name.size(), name) == 0)
                return std::stoi(text);
        return 0;
    };
    const std::vector<std::string> onPhone = test::AllNames(m_editor->phone->Files() / "Ringtones");
    ASSERT_FALSE(onPhone.empty());
    const std::string seeded = onPhone.back();
    // The seeded files stand for the phone's built-in tones, named in place of "Melody".
    EXPECT_GT(listed(seeded), 0) << seeded;

    ASSERT_TRUE(Clip().OpenFile(kScale.string()));
    m_dlg->SetSheetCurSel(1);
    Melodies()->UpdateControls();
    Melodies()->SetDestination("fresh.mid");
    ASSERT_TRUE(test::ClickButtonWithMouse(Melodies()->GetDlgItem(CMelodiesDlg::IDC_BUTTON_WRITE)));
    ASSERT_TRUE(test::DispatchUntil([&] { return Told(kTransferDone); })) << ::testing::PrintToString(Texts());
    // The transfer starts a read-out by itself; its listing already has the phone's number.
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning() && listed("fresh.mid") > 0; }, 15000));
    EXPECT_EQ(listed("fresh.mid"), tones->GetItemCount());
    EXPECT_GT(listed("fresh.mid"), 40);
}

INSTANTIATE_TEST_SUITE_P(FolderAndLine, PlatformPhoneRoadTest, ::testing::Values("", "\"VolumeRoot\"=\"\"\n"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Folder" : "Obex"); });

TEST_F(PhoneRoadTest, APlatformPhonesPresetDestinationIsNeverItsIMelodyAndAFailedReplacementSaysWhy)
{
    Connect("BIRCH-M55", {"--seed-ringtones"});
    auto* combo = Melodies()->Item<wxComboBox>(CMelodiesDlg::IDC_COMBO_TONEFILE);
    ASSERT_NE(combo, nullptr);
    const std::string preset = combo->GetValue().ToStdString();
    EXPECT_EQ(fs::path(preset).extension(), preset.empty() ? "" : ".mid") << preset;
    ASSERT_EQ(fs::path(m_dlg->GetRtFileList()->front()).extension(), ".imy");
    const std::string imy = m_dlg->GetRtFileList()->front();

    // The iMelody's name as destination sends a melody line into the iMelody folder, where the
    // write-protected iMelody already is: the user is asked before it is replaced.
    ASSERT_TRUE(Clip().OpenFile(kScale.string()));
    int index = -1;
    EXPECT_NE(m_dlg->GetOverwriteWarning(imy, index).find("write-protected file with the name \"" + imy + "\""),
              std::string::npos);

    // A listed ringtone that vanished behind the editor's back cannot be replaced: the user hears why.
    std::string listed;
    for (long i = 0; i < static_cast<long>(m_dlg->GetRtFileList()->size()); ++i)
        if (m_dlg->IsInRtStdFolder(i))
            listed = (*m_dlg->GetRtFileList())[i];
    ASSERT_FALSE(listed.empty());
    fs::remove(m_editor->phone->Files() / "Ringtones" / listed);
    Melodies()->SetDestination(listed);
    m_ui.QueueAnswer(IDYES);
    Clip().WriteToPhone();
    const auto texts = Texts();
    ASSERT_GE(texts.size(), 3u) << ::testing::PrintToString(texts);
    EXPECT_NE(texts[0].find(listed), std::string::npos); // the overwrite question
    EXPECT_EQ(texts[1], "The file or folder was not found on the phone.");
    EXPECT_EQ(texts.back(), kTransferFailed);
}

TEST_F(PhoneRoadTest, TheProgressWindowOfATransferIsUsedOnlyFromTheUserInterfaceThread)
{
    auto recording = std::make_shared<CRecordingProgressDlg>();
    CServiceFactory::Instance().RegisterImplementation("ThreadCheckedProgress", [recording] { return recording; });
    Connect("BIRCH-M55", {"--seed-ringtones"}, ProgressWindow("ThreadCheckedProgress"));
    ASSERT_TRUE(Clip().OpenFile(kScale.string()));
    Melodies()->SetDestination("progress.mid");
    Clip().WriteToPhone();
    ASSERT_TRUE(Told(kTransferDone)) << ::testing::PrintToString(Texts());
    // The transfer's read-out runs on its worker meanwhile; the window is not its business.
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning(); }, 15000));
    const auto calls = recording->Calls();
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls)
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << call.operation;
    CServiceFactory::Instance().UnregisterImplementation("ThreadCheckedProgress");
}

TEST_F(PhoneRoadTest, AClipPlayingOnThePcKeepsItsStopButtonThroughAPageUpdateAndAReadOut)
{
    Connect("CX70", {}, PlayIntoWav());
    m_editor->frame->SetSize(wxSize(1260, 1000));
    m_dlg->SetSheetCurSel(1);
    test::DispatchPending();
    // A long melody, so that it still plays after a slow read-out.
    ASSERT_TRUE(Clip().OpenFile((kScale.parent_path() / "test-all-gm-sounds.mid").string()));
    auto* end = dynamic_cast<CTimeEdit*>(Clip().GetDlgItem(CClipEditDlg::IDC_CLIP_END));
    ASSERT_NE(end, nullptr);
    end->ChangeValue("5:00.00");
    end->SetTime(end->ParseTime());
    Melodies()->UpdateControls();
    test::DispatchPending();
    CPlayOnPcSubDlg& player = Clip().GetPlayer();
    wxWindow* play = player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    wxWindow* stop = player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP);
    ASSERT_TRUE(test::ClickButtonWithMouse(play));
    ASSERT_EQ(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);

    // Open, then Cancel, refreshes the page; so does a read-out ("Update").
    Melodies()->UpdateControls();
    test::DispatchPending();
    EXPECT_EQ(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    EXPECT_TRUE(stop->IsEnabled());
    EXPECT_FALSE(play->IsEnabled());
    m_dlg->ReadInfosFromPhone();
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning() && m_dlg->WasRead(); }, 15000));
    EXPECT_EQ(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    ASSERT_TRUE(stop->IsEnabled());

    // Stop still stops it.
    ASSERT_TRUE(test::ClickButtonWithMouse(stop));
    EXPECT_NE(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    EXPECT_TRUE(play->IsEnabled());
    EXPECT_FALSE(stop->IsEnabled());
}

} // namespace
} // namespace corvina
