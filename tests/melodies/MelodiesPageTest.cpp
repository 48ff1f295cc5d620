// The Melodies page against corpus files and a virtual phone: opening, clip setting, saving, and
// the whole road to the phone (transmission, overwrite question, slots, cancel, a dropped line),
// plus playing tones on the phone.
#include "CAtcHelperFunctions.h"
#include "CClipEditDlg.h"
#include "CMelodiesDlg.h"
#include "CMidiFile.h"
#include "CNotesWnd.h"
#include "CPlayOnMobileSubDlg.h"
#include "CRecordingProgressDlg.h"
#include "CServiceFactory.h"
#include "CTimeEdit.h"
#include "CTonesMobileDlg.h"
#include "EditorWithPhone.h"
#include "FakeUi.h"
#include "MelodyFileChoice.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(CORVINA_CORPUS_DIR) / "jazz-soft-test-midi-files";

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Types a time and leaves the field: the time becomes the field's value and is reported.
void Type(CTimeEdit* field, const char* text)
{
    field->ChangeValue(text);
    field->SetTime(field->ParseTime());
}

std::vector<std::string> Texts(const test::FakeUi& ui)
{
    std::vector<std::string> texts;
    for (const auto& box : ui.m_boxes)
        texts.push_back(box.text);
    return texts;
}

class MelodiesPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::VirtualPhone::Available())
            GTEST_SKIP() << "the virtual phone corvina-phonesim is not part of this build";
    }
    void TearDown() override { SetFileChoosers(nullptr, nullptr); }

    void Connect(const std::string& model, std::vector<std::string> extra = {}, const std::string& registry = {})
    {
        m_editor = std::make_unique<test::EditorWithPhone>(m_folder.Path(), model, std::move(extra), registry);
        ASSERT_TRUE(m_editor->Ready());
        m_dlg = m_editor->dlg;
        m_page = m_dlg->GetMelodiesDlg();
        m_clip = &m_page->GetClipEditDlg();
        m_dlg->SetSheetCurSel(1);
        test::DispatchPending();
    }
    wxListCtrl* Tracks() { return m_clip->Item<wxListCtrl>(CClipEditDlg::IDC_TRACK_LIST); }

    test::ScratchFolder m_folder;
    test::FakeUi m_ui;
    std::unique_ptr<test::EditorWithPhone> m_editor;
    CRingingtoneDlg* m_dlg = nullptr;
    CMelodiesDlg* m_page = nullptr;
    CClipEditDlg* m_clip = nullptr;
};

TEST_F(MelodiesPageTest, OpeningAFileListsItsCombinationsWithTheAllRowLastAndAClipOfTheFirstTenth)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    EXPECT_EQ(Tracks()->GetItemCount(), 1);  // one combination: no "all" row
    EXPECT_EQ(m_clip->GetLength(), 4000);
    EXPECT_EQ(m_clip->GetClip(), (ClipTimes{0, 400}));
    EXPECT_FALSE(m_clip->GetSaved());
    m_page->UpdateControls();
    EXPECT_TRUE(m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    EXPECT_FALSE(m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled());

    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-multichannel-chords-0.mid").string()));
    ASSERT_EQ(Tracks()->GetItemCount(), 4);
    EXPECT_EQ(Tracks()->GetItemText(3, 0).Trim(false), "all");
    EXPECT_EQ(Tracks()->GetItemText(3, 1), "all");
    EXPECT_EQ(Tracks()->GetItemText(1, 1), "2");
    // The dropped file reaches the page through the main dialog as well.
    char* path = new char[256];
    std::snprintf(path, 256, "%s", (kCorpus / "test-c-major-scale.mid").c_str());
    SendMessage(m_dlg, WM_DROP_MIDI_FILE, 0, reinterpret_cast<std::intptr_t>(path));
    EXPECT_EQ(m_page->GetCurFile(), (kCorpus / "test-c-major-scale.mid").string());
    EXPECT_EQ(Tracks()->GetItemCount(), 1);
}

TEST_F(MelodiesPageTest, ADamagedFileGives4021AndKeepsThePreviousFile)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    EXPECT_FALSE(m_clip->OpenFile((kCorpus / "test-not-a-midi-file.mid").string()));
    ASSERT_FALSE(m_ui.m_boxes.empty());
    EXPECT_EQ(m_ui.m_boxes.back().text, "Format of specified file is not supported!");
    EXPECT_EQ(m_page->GetCurFile(), (kCorpus / "test-c-major-scale.mid").string());
    EXPECT_FALSE(m_clip->OpenFile((m_folder.Path() / "missing.mid").string()));
    EXPECT_EQ(m_ui.m_boxes.back().text, "Unable to open specified file. This may be open in another application.");
}

TEST_F(MelodiesPageTest, TypedTimesMoveTheMarkerAndDraggingItChangesTheTimes)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    auto* start = dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_START));
    auto* end = dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_END));
    ASSERT_TRUE(start && end);
    Type(end, "0:02.00");
    Type(start, "0:01.00");
    test::DispatchPending();
    EXPECT_EQ(m_clip->GetClip(), (ClipTimes{1000, 2000}));
    EXPECT_EQ(m_clip->GetMarkerEdges(), (MarkerEdges{210 + 109, 210 + 218}));

    // Drag the whole clip 44 pixels to the right (a tenth of the ruler's 436 pixels is 400 ms).
    const wxPoint origin = m_clip->GetScreenPosition();
    const int middle = origin.x + 210 + 160;
    m_clip->OnMarkerButtonDown(middle, origin.y + 240);
    m_clip->OnMarkerMouseMove(middle + 44);
    m_clip->OnMarkerButtonUp();
    const ClipTimes moved = m_clip->GetClip();
    EXPECT_NEAR(moved.start, 1404, 10);
    EXPECT_NEAR(moved.end, 2404, 10);
    EXPECT_EQ(start->GetTime(), moved.start);
}

TEST_F(MelodiesPageTest, SaveAsWritesAClipTheEngineReadsAndAnEmptyClipGives4590)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    const fs::path saved = m_folder.Path() / "clip.mid";
    SetFileChoosers(nullptr, [&](wxWindow*, const std::string&, const std::string&) { return saved.string(); });
    auto* end = dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_END));
    Type(end, "0:01.60");
    test::DispatchPending();
    m_clip->OnSaveAs();
    ASSERT_TRUE(fs::exists(saved)) << ::testing::PrintToString(Texts(m_ui));
    EXPECT_TRUE(m_clip->GetSaved());
    EXPECT_EQ(m_page->CloseOk(), 1);
    CMidiFile check;
    ASSERT_EQ(check.Load(saved.string()), 0);
    // Notes at 0, 0.5, 1 and 1.5 s lie in 0 .. 1.6 s.
    EXPECT_EQ(check.GetAllNoteOnTimes().size(), 4u);

    // A clip between the notes has none.
    auto* start = dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_START));
    Type(end, "0:01.40");
    Type(start, "0:01.10");
    test::DispatchPending();
    m_ui.m_boxes.clear();
    m_clip->OnSaveAs();
    ASSERT_FALSE(m_ui.m_boxes.empty());
    EXPECT_EQ(m_ui.m_boxes.back().text, "There are no notes in the selected clip.");
}

TEST_F(MelodiesPageTest, TransmittingInFolderModePutsTheClipOnThePhoneAndAsksBeforeReplacingIt)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    m_page->SetDestination("scale.mid");
    m_clip->WriteToPhone();
    const fs::path onPhone = m_editor->phone->Files() / "Ringtones" / "scale.mid";
    ASSERT_TRUE(fs::exists(onPhone)) << ::testing::PrintToString(Texts(m_ui));
    EXPECT_EQ(ReadBytes(onPhone), ReadBytes(m_clip->GetMidiFile()->GetTempPrefix() + "rtclip.mid"));
    EXPECT_EQ(m_ui.m_boxes.back().text, "The file or the clip were successfully transferred to the mobile phone.");
    EXPECT_EQ(m_dlg->GetIndexForName("scale.mid"), static_cast<int>(m_dlg->GetRtFileList()->size()) - 1);
    auto* tones = m_dlg->GetTonesMobileDlg()->Item<wxListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    EXPECT_EQ(tones->GetItemText(tones->GetItemCount() - 1), "  scale.mid");
    auto* combo = m_page->Item<wxComboBox>(CMelodiesDlg::IDC_COMBO_TONEFILE);
    EXPECT_NE(combo->FindString("scale.mid"), wxNOT_FOUND);

    // The same name again: "No" leaves the phone's file alone.
    const std::string first = ReadBytes(onPhone);
    auto* end = dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_END));
    Type(end, "0:02.00");
    test::DispatchPending();
    m_ui.m_boxes.clear();
    m_ui.QueueAnswer(IDNO);
    m_clip->WriteToPhone();
    ASSERT_EQ(m_ui.m_boxes.size(), 1u);
    EXPECT_NE(m_ui.m_boxes[0].text.find("\"scale.mid\""), std::string::npos);
    EXPECT_EQ(ReadBytes(onPhone), first);

    // A write-protected file is unprotected, deleted and written anew on "Yes".
    ::chmod(onPhone.c_str(), 0444);
    (*m_dlg->GetRtFileInfoList()).back()->dwAttributes = 0x21;
    m_ui.m_boxes.clear();
    m_ui.QueueAnswer(IDYES);
    m_clip->WriteToPhone();
    EXPECT_NE(m_ui.m_boxes[0].text.find("write-protected"), std::string::npos);
    EXPECT_EQ(m_ui.m_boxes.back().text, "The file or the clip were successfully transferred to the mobile phone.");
    EXPECT_NE(ReadBytes(onPhone), first);
}

TEST_F(MelodiesPageTest, CancellingTheTransferGives526AndLeavesNoFileOnThePhone)
{
    auto recording = std::make_shared<CRecordingProgressDlg>();
    recording->CancelAfterPositions(0);
    CServiceFactory::Instance().RegisterImplementation("CancellingProgress", [recording] { return recording; });
    Connect("CX70", {}, "[HKEY_CLASSES_ROOT\\CLSID\\{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}\\Corvina]\n\"Implementation\"=\"CancellingProgress\"\n");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-all-gm-sounds.mid").string()));
    m_page->SetDestination("cancelled.mid");
    m_clip->WriteToPhone();
    EXPECT_EQ(m_ui.m_boxes.back().text, "Transferring of file/clip to the phone unsuccessful.");
    EXPECT_FALSE(fs::exists(m_editor->phone->Files() / "Ringtones" / "cancelled.mid"));
    for (const auto& entry : fs::directory_iterator(m_editor->phone->Files() / "Ringtones"))
        EXPECT_EQ(entry.path().filename().string().find("cancelled"), std::string::npos) << entry.path();
    CServiceFactory::Instance().UnregisterImplementation("CancellingProgress");
}

TEST_F(MelodiesPageTest, IndexModeUploadsTheFirstSlotEntryToTheLastSlot)
{
    Connect("ME45", {}, "[HKEY_CLASSES_ROOT\\CLSID\\{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}\\Corvina]\n\"Implementation\"=\"RecordingProgressWindow\"\n");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-c-major-scale.mid").string()));
    auto* slots = m_page->Item<wxChoice>(CMelodiesDlg::IDC_COMBO_USERDEF);
    ASSERT_EQ(slots->GetCount(), 5u);
    EXPECT_EQ(slots->GetString(0), "User-defined 01");
    slots->SetSelection(0);
    m_clip->WriteToPhone();
    EXPECT_EQ(m_ui.m_boxes.back().text, "The file or the clip were successfully transferred to the mobile phone.");
    const std::string clip = ReadBytes(m_clip->GetMidiFile()->GetTempPrefix() + "rtclip.mid");
    EXPECT_EQ(ReadBytes(m_editor->phone->State() / "usertones" / "4.mid"), clip);
    slots->SetSelection(4);
    m_clip->WriteToPhone();
    EXPECT_EQ(ReadBytes(m_editor->phone->State() / "usertones" / "0.mid"), clip);
}

TEST_F(MelodiesPageTest, APhoneThatDropsTheLineMidTransferGives526)
{
    Connect("ME45", {"--drop-after", "16", "--reopen"},
            "[HKEY_CLASSES_ROOT\\CLSID\\{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}\\Corvina]\n\"Implementation\"=\"RecordingProgressWindow\"\n");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-all-gm-sounds.mid").string()));
    // The whole file: many chunks, so the line drops in the middle of the upload.
    Type(dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_END)), "5:00.00");
    test::DispatchPending();
    m_clip->WriteToPhone();
    EXPECT_EQ(m_ui.m_boxes.back().text, "Transferring of file/clip to the phone unsuccessful.");
    EXPECT_FALSE(fs::exists(m_editor->phone->State() / "usertones" / "4.mid"));
}

TEST_F(MelodiesPageTest, PlayingBySlotFromTheMelodiesPageRestoresTheToneAndSoundModeOnStop)
{
    Connect("ME45");
    // The phone rings tone 3, silently.
    m_dlg->GetTonesMobileDlg()->OnClickListTones(2);
    ASSERT_EQ(m_editor->Setting("ringtone.index"), "3");
    ASSERT_EQ(CAtcHelperFunctions().Atc().SetSoundMode(0x22), S_OK);
    auto* slots = m_page->Item<wxChoice>(CMelodiesDlg::IDC_COMBO_USERDEF);
    slots->SetSelection(1);
    CPlayOnMobileSubDlg& play = m_page->GetPlaySubDlg();
    play.EnableButtons(1);
    play.OnButtonPlay();
    EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 1);
    EXPECT_EQ(m_editor->Setting("ringtone.index"), "42");  // first used 1 + 40 fixed + selection 1
    EXPECT_EQ(m_editor->Setting("playing"), "tone 42");
    // The tones page shows the ringer On.
    EXPECT_EQ(m_dlg->GetTonesMobileDlg()->GetRadioIndex(), 0);
    // Turning the buttons off stops the tone first and puts everything back.
    play.EnableButtons(0);
    EXPECT_EQ(CPlayOnMobileSubDlg::m_bIsPlaying, 0);
    EXPECT_EQ(m_editor->Setting("playing"), "");
    EXPECT_EQ(m_editor->Setting("ringtone.index"), "3");
    EXPECT_EQ(m_editor->Setting("calm"), "1");
    EXPECT_FALSE(play.GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
}

TEST_F(MelodiesPageTest, PlayingAFileFromTheTonesPagePlaysItByItsPhonePath)
{
    Connect("CX70", {"--seed-ringtones"});
    CTonesMobileDlg* tones = m_dlg->GetTonesMobileDlg();
    tones->OnClickListTones(0);
    CPlayOnMobileSubDlg& play = tones->GetPlaySubDlg();
    play.OnButtonPlay();
    EXPECT_EQ(m_editor->Setting("playing"), "file " + m_dlg->GetCurRtAPathFileName());
    play.OnButtonStop();
    EXPECT_EQ(m_editor->Setting("playing"), "");
}

} // namespace
} // namespace corvina

namespace corvina {
namespace {

TEST_F(MelodiesPageTest, ClickingARowStopsPlayingOnThePC)
{
    const std::string wav = (m_folder.Path() / "out.wav").string();
    Connect("CX70", {}, "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n\"AudioDriver\"=\"file\"\n\"AudioFileRealTime\"=dword:00000001\n\"AudioFile\"=\"" + wav + "\"\n");
    ASSERT_TRUE(m_clip->OpenFile((kCorpus / "test-multichannel-chords-0.mid").string()));
    CPlayOnPcSubDlg& player = m_clip->GetPlayer();
    player.OnButtonPlay();
    ASSERT_TRUE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled()) << "the clip did not start playing";
    // The user clicks the second row.
    Tracks()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    test::DispatchPending();
    EXPECT_EQ(m_clip->GetCurrentRow(), 1);
    EXPECT_TRUE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    EXPECT_FALSE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled());
    EXPECT_EQ(player.Status(MCI_STATUS_LENGTH), 0u);  // the device is closed
}

} // namespace
} // namespace corvina
