// The tones page against a virtual phone: lines, tones, volume and ringer mode go to the phone at
// once, and the phone's settings file shows every change.
#include "CTonesMobileDlg.h"
#include "EditorWithPhone.h"
#include "FakeUi.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>

#include <algorithm>

namespace corvina {
namespace {

namespace fs = std::filesystem;

class TonesPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::VirtualPhone::Available())
            GTEST_SKIP() << "the virtual phone corvina-phonesim is not part of this build";
    }

    // A virtual phone of the type, the editor connected to it and read out.
    void Connect(const std::string& model, std::vector<std::string> extra = {})
    {
        m_editor = std::make_unique<test::EditorWithPhone>(m_folder.Path(), model, std::move(extra));
        ASSERT_TRUE(m_editor->Ready());
        m_phone = m_editor->phone.get();
        m_dlg = m_editor->dlg;
        m_page = m_dlg->GetTonesMobileDlg();
    }
    wxListCtrl* List() { return m_page->Item<wxListCtrl>(CTonesMobileDlg::IDC_LIST_TONES); }
    long MarkedItem()
    {
        return List()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    }
    std::string Setting(const std::string& key) { return m_phone->Settings()[key]; }

    test::ScratchFolder m_folder;
    test::FakeUi m_ui;
    std::unique_ptr<test::EditorWithPhone> m_editor;
    test::VirtualPhone* m_phone = nullptr;
    CRingingtoneDlg* m_dlg = nullptr;
    CTonesMobileDlg* m_page = nullptr;
};

TEST_F(TonesPageTest, ChoosingAFileMakesItTheLinesActiveFileAndMarksIt)
{
    Connect("CX70", {"--seed-ringtones"});
    ASSERT_GE(List()->GetItemCount(), 2);
    EXPECT_EQ(m_page->GetLineNames(), std::vector<std::string>{"All calls"});
    // The user picks the line, which makes it current and asks for its active file.
    auto* lines = m_page->Item<wxChoice>(CTonesMobileDlg::IDC_COMBO_LINES);
    lines->SetSelection(0);
    m_page->OnSelchangeComboLines();
    EXPECT_EQ(m_dlg->GetCurLine(), 6);

    m_page->OnClickListTones(1);
    const std::string chosen = (*m_dlg->GetRtFileList())[1];
    EXPECT_EQ(Setting("activefile.6"), "A:\\Ringtones\\" + chosen);
    EXPECT_EQ(MarkedItem(), 1);
    EXPECT_EQ(List()->GetItemText(1), wxString::FromUTF8("  " + chosen));

    // The track bar's volume goes to the line's ringing-line number.
    auto* slider = m_page->Item<wxSlider>(CTonesMobileDlg::IDC_SLIDER_VOLUME);
    slider->SetValue(4);
    m_page->OnReleasedcaptureSliderVolume();
    EXPECT_EQ(Setting("ringingline.1.volume"), "4");
}

TEST_F(TonesPageTest, RingerRadiosAndVibrationWriteTheSoundModeWord)
{
    Connect("CX70");
    m_page->Item<wxRadioButton>(CTonesMobileDlg::IDC_RADIO_BEEP)->SetValue(true);
    m_page->Item<wxCheckBox>(CTonesMobileDlg::IDC_CHECK_VIBRA)->SetValue(true);
    m_page->OnCheckVibra();
    EXPECT_EQ(Setting("calm"), "2");
    EXPECT_EQ(Setting("cvib"), "1");
    EXPECT_EQ(m_page->GetSoundMode(), 0x14);
    m_page->Item<wxRadioButton>(CTonesMobileDlg::IDC_RADIO_OFF)->SetValue(true);
    m_page->Item<wxCheckBox>(CTonesMobileDlg::IDC_CHECK_VIBRA)->SetValue(false);
    m_page->OnRadioOff();
    EXPECT_EQ(Setting("calm"), "1");
    EXPECT_EQ(Setting("cvib"), "0");
}

TEST_F(TonesPageTest, AToneIsMarkedOnlyWhenThePhoneTookIt)
{
    Connect("ME45", {"--fail-cmd", "AT^CRTN="});
    // Index mode: 40 fixed tones and 5 user-defined slots.
    ASSERT_EQ(List()->GetItemCount(), 45);
    EXPECT_EQ(List()->GetItemText(40), "  41   User-defined 01");
    const long before = MarkedItem();
    m_page->OnClickListTones(3);
    EXPECT_EQ(MarkedItem(), -1) << "the phone refused the tone, so nothing is marked (was " << before << ")";
    EXPECT_NE(Setting("ringtone.index"), "4");
}

TEST_F(TonesPageTest, AnIndexPhoneTakesTheClickedToneWithThePagesVolume)
{
    Connect("ME45");
    m_page->OnClickListTones(3);
    EXPECT_EQ(MarkedItem(), 3);
    EXPECT_EQ(Setting("ringtone.index"), "4");  // the first tone is number 1
    EXPECT_EQ(m_dlg->GetRtIndex(), 4);
    // Writing a tone by index switches the ringer on.
    EXPECT_EQ(m_page->GetRadioIndex(), 0);
}

TEST_F(TonesPageTest, AnR15PhoneHasItsRingerControlsDisabled)
{
    Connect("R15");
    EXPECT_TRUE(m_page->GetDlgItem(CTonesMobileDlg::IDC_LIST_TONES)->IsEnabled());
    for (int id : {CTonesMobileDlg::IDC_RADIO_ON, CTonesMobileDlg::IDC_RADIO_OFF, CTonesMobileDlg::IDC_RADIO_BEEP,
                   CTonesMobileDlg::IDC_CHECK_VIBRA})
        EXPECT_FALSE(m_page->GetDlgItem(id)->IsEnabled()) << id;
}

TEST_F(TonesPageTest, APlatformPhoneReadsEachLinesToneAndVolumeFromThePhone)
{
    Connect("BIRCH-M55", {"--seed-ringtones"});
    EXPECT_EQ(m_page->GetLineTypes(), (std::vector<int>{22, 23, 21, 13}));
    // The phone keeps line 23 at tone 2 with volume 5.
    auto* slider = m_page->Item<wxSlider>(CTonesMobileDlg::IDC_SLIDER_VOLUME);
    std::int32_t tone = 2, volume = 5;
    m_page->Item<wxChoice>(CTonesMobileDlg::IDC_COMBO_LINES)->SetSelection(1);
    m_page->SetVolume(volume);
    ASSERT_EQ(m_page->SetCurVolumeToPhone(tone - 1), 1);
    EXPECT_EQ(Setting("line.23.tone"), "2");
    EXPECT_EQ(Setting("line.23.volume"), "5");

    m_page->SetVolume(1);
    m_page->OnSelchangeComboLines();
    EXPECT_EQ(m_page->GetVolume(), 5);
    EXPECT_EQ(slider->GetValue(), 5);
    EXPECT_EQ(MarkedItem(), 1);
    // The platform's scale: five positions, the increasing-volume mark at the end.
    EXPECT_EQ(slider->GetMin(), 1);
    EXPECT_EQ(slider->GetMax(), 5);
    ASSERT_EQ(m_page->GetTickStatics().size(), 5u);
    EXPECT_EQ(m_page->GetTickStatics()[0]->GetPosition(), wxPoint(417, 95));
    EXPECT_EQ(m_page->GetTickStatics()[4]->GetSize(), wxSize(7, 12));
    // The main dialog's current line stays as it was.
    EXPECT_EQ(m_dlg->GetCurLine(), 9);
}

} // namespace
} // namespace corvina
