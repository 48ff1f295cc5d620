// The Melodies page weighed against the phone: the clip's voices and size against its limits, the
// question before an oversized clip is sent, the phone's sound, the melody line for phones without
// MIDI (sent, saved, heard), and the suggested clip. All with the real pointer.
#include "ClipReason.h"
#include "ClipSuggestion.h"
#include "MelodiesPageFixture.h"
#include "NoteList.h"
#include "PhoneFitTexts.h"
#include "Voices.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/uiaction.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

namespace corvina::test {
namespace {

const std::string kRenderToFile = "\"AudioDriver\"=\"file\"\n";

// One track: a six-note chord held for a second, then four single notes (division 96, 120 beats).
std::string ChordThenTune()
{
    std::string events = test::Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    for (int key : {48, 52, 55, 60, 64, 67})
        events += test::Bytes({0x00, 0x90, key, 90});
    for (int key : {48, 52, 55, 60, 64, 67})
        events += test::Var(key == 48 ? 192 : 0) + test::Bytes({0x80, key, 0});
    for (int key : {72, 74, 76, 77})
        events += test::Bytes({0x00, 0x90, key, 90, 0x30, 0x80, key, 0});
    return test::Smf(0, 96, {events + test::kEnd});
}

class PhoneFitPageTest : public MelodiesPageTest {
protected:
    wxWindow* Control(int id) { return m_clip->GetDlgItem(id); }
    void Transmit() { ASSERT_TRUE(test::ClickButtonWithMouse(m_page->GetDlgItem(CMelodiesDlg::IDC_BUTTON_WRITE))); }
    // The user chooses "As on the phone" and plays the clip on the PC.
    void PlayAsOnThePhone()
    {
        auto* radio = static_cast<wxRadioButton*>(Control(CClipEditDlg::IDC_SOUND_PHONE));
        ASSERT_TRUE(test::ClickWithMouse(radio, [&] { return radio->GetValue(); }));
        ASSERT_TRUE(test::ClickButtonWithMouse(m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)));
    }
};

TEST_F(PhoneFitPageTest, AClipOverThePhonesVoicesIsMarkedAndTransmitAsksToSendItFittedAsItIsOrNotAtAll)
{
    Connect("ME45", {}, kRenderToFile); // four voices, 10 KB
    ASSERT_TRUE(Open(m_folder.Write("chord.mid", ChordThenTune())));
    Type(CClipEditDlg::IDC_CLIP_END, "0:02.00");
    EXPECT_EQ(m_clip->LimitsShown(), "Voices 6 / 4 ! \xC2\xB7 1 KB / 10 KB");
    EXPECT_EQ(test::AccessibleName(test::Accessible(Control(CClipEditDlg::IDC_LIMITS))),
              "Voices 6 / 4 (more than the phone takes), 1 KB / 10 KB");

    // Not at all: nothing reaches the phone, and nothing more is said.
    const fs::path slot = m_editor->phone->State() / "usertones" / "4.mid";
    m_ui.QueueAnswer(2);
    Transmit();
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find("6 voices where the phone has 4"), std::string::npos) << Texts()[0];
    EXPECT_EQ(m_ui.m_boxes[0].caption, "Send fitted | Send as it is | Don't send");
    EXPECT_FALSE(fs::exists(slot));
    // Fitted: the phone gets a copy that never needs more than its four voices, with the tune.
    m_ui.QueueAnswer(0);
    Transmit();
    ASSERT_TRUE(Told(kTransferDone)) << ::testing::PrintToString(Texts());
    CMidiFile sent;
    ASSERT_EQ(sent.Load(slot.string()), 0);
    const auto notes = CollectNotes(sent, -1, -1);
    EXPECT_LE(PeakVoices(notes).nVoices, 4);
    EXPECT_EQ(std::count_if(notes.begin(), notes.end(), [](const SMidiNote& n) { return n.byKey >= 72; }), 4);

    // "As on the phone": the play panel plays with the phone's voices and speaker.
    PlayAsOnThePhone();
    EXPECT_TRUE(m_clip->GetPlayer().Player().IsPhoneSound());
}

TEST_F(PhoneFitPageTest, APhoneWithoutMidiGetsTheMelodyLineCutToItsNoteLimitAndHearsThatLine)
{
    Connect("R15", {}, kRenderToFile); // no MIDI, at most 100 notes of melody
    ASSERT_TRUE(Open(kMidiCorpus / "test-all-gm-sounds.mid"));
    Type(CClipEditDlg::IDC_CLIP_END, "5:00.00");
    Transmit();
    ASSERT_GE(Texts().size(), 2u);
    EXPECT_NE(Texts()[0].find("The phone plays at most 100 notes: the melody line keeps "), std::string::npos)
        << Texts()[0];
    EXPECT_EQ(Texts().back(), kTransferDone);
    EXPECT_EQ(ReadFile(m_editor->phone->State() / "usertones" / "1.mid").rfind("BEGIN:IMELODY", 0), 0u);

    PlayAsOnThePhone();
    EXPECT_TRUE(m_clip->GetPlayer().Player().GetFile().ends_with("rtline.mid"))
        << m_clip->GetPlayer().Player().GetFile();
}

TEST_F(PhoneFitPageTest, TheMelodyLineIsSavedAsIMelodyOrRtttlAndSentIntoAPlatformPhonesIMelodyFolder)
{
    Connect("BIRCH-M55");
    ASSERT_TRUE(Open(kScale));
    Type(CClipEditDlg::IDC_CLIP_END, "0:04.00");
    for (const char* name : {"scale.imy", "scale.rtttl"}) {
        const fs::path saved = m_folder.Path() / name;
        SetFileChoosers(nullptr, [&](wxWindow*, const std::string&, const std::string&) { return saved.string(); });
        ASSERT_TRUE(test::ClickButtonWithMouse(Control(CClipEditDlg::IDC_SAVE_AS)));
        const std::string text = ReadFile(saved);
        EXPECT_EQ(text.rfind(fs::path(name).extension() == ".imy" ? "BEGIN:IMELODY" : "scale:d=", 0), 0u) << text;
    }
    // The user types the destination's name: an iMelody name goes to the phone's iMelody folder.
    auto* destination = m_page->Item<wxComboBox>(CMelodiesDlg::IDC_COMBO_TONEFILE);
    ASSERT_TRUE(test::ClickWithMouse(destination, [&] { return wxWindow::FindFocus() == destination; }));
    wxUIActionSimulator keys;
    keys.Char('a', wxMOD_CONTROL);
    keys.Text("scale.imy");
    ASSERT_TRUE(test::DispatchUntil([&] { return destination->GetValue() == "scale.imy"; })) << destination->GetValue();
    Transmit();
    ASSERT_TRUE(Told(kTransferDone)) << ::testing::PrintToString(Texts());
    EXPECT_EQ(ReadFile(m_editor->phone->Files() / "iMelodies" / "scale.imy").rfind("BEGIN:IMELODY", 0), 0u);
    EXPECT_FALSE(fs::exists(m_editor->phone->Files() / "Ringtones" / "scale.imy"));
}

TEST_F(PhoneFitPageTest, SuggestClipSetsTheClipToTheSuggestionAndItsTooltipSaysWhy)
{
    Connect("CX70");
    ASSERT_TRUE(Open(kMidiCorpus / "test-all-gm-sounds.mid"));
    wxWindow* suggest = Control(CClipEditDlg::IDC_SUGGEST);
    ASSERT_TRUE(test::ClickButtonWithMouse(suggest));
    const SClipSuggestion expected = SuggestClip(CollectNotes(*m_clip->GetMidiFile(), 0, 0));
    EXPECT_EQ(m_clip->GetClip(), (ClipTimes{static_cast<std::int32_t>(expected.dwFromMs) / 10 * 10,
                                            static_cast<std::int32_t>(expected.dwToMs) / 10 * 10}));
    // In the editor's words: "returns 8 times; second return varied; return 7 varied; ..."
    const std::string reason = WordClipReason(expected, ClipReasonWordsOf(CSharedStrings::Get()));
    EXPECT_EQ(reason.rfind("returns ", 0), 0u) << reason;
    EXPECT_EQ(m_clip->SuggestionReason(), reason);
    test::MoveTo(suggest, wxPoint(suggest->GetClientSize().GetWidth() / 2, suggest->GetClientSize().GetHeight() / 2));
    EXPECT_TRUE(test::DispatchUntil([&] { return test::ShownToolTip() == reason; })) << test::ShownToolTip();
}

} // namespace
} // namespace corvina::test
