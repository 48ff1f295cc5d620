// The tones page against a virtual phone: lines, tones, volume and ringer mode go to the phone at
// once, and the phone's settings file shows every change.
#include "CListCtrl.h"
#include "ButtonClicks.h"
#include "CTonesMobileDlg.h"
#include "EditorTest.h"
#include "CTraceFile.h"
#include "ReadOut.h"
#include "RealInput.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <fstream>

namespace corvina {
namespace {

namespace fs = std::filesystem;

class TonesPageTest : public test::EditorTest {
protected:
    void OnConnected() override { m_page = m_dlg->GetTonesMobileDlg(); }
    CListCtrl* List() { return m_page->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES); }
    long MarkedItem() { return List()->GetSelectedRow(); }
    // The virtual phone's log of the commands it received.
    std::string Log() const { return (m_folder.Path() / "phone.log").string(); }
    // How many commands the phone received that begin with the text.
    int Received(const std::string& command) const
    {
        std::ifstream in(Log());
        int count = 0;
        for (std::string line; std::getline(in, line);)
            if (line.find(" " + command) != std::string::npos && line.find("OK") == std::string::npos)
                ++count;
        return count;
    }
    // The user clicks the middle of a row of the tones list.
    void ClickRow(int row) { ASSERT_TRUE(test::ClickListRow(List(), row)) << "row " << row << " is not on screen"; }

    CTonesMobileDlg* m_page = nullptr;
};

TEST_F(TonesPageTest, AClickEnterOrSpaceWritesTheToneWhileArrowsOnlyMoveThroughTheList)
{
    Connect("CX70", {"--seed-ringtones", "--log", Log()});
    ASSERT_GE(List()->GetItemCount(), 3);
    EXPECT_EQ(m_page->GetLineNames(), std::vector<std::string>{"All calls"});
    // "All calls" shows; choosing the only line again changes nothing the toolkit reports, so the
    // main dialog's current line keeps its start (9), and the tones go to that line.
    ASSERT_EQ(m_dlg->GetCurLine(), 9);
    const std::vector<std::string> files = *m_dlg->GetRtFileList();
    auto active = [&](int row) { return Setting("activefile.9") == "A:\\Ringtones\\" + files[row]; };

    ClickRow(1);
    ASSERT_TRUE(test::DispatchUntil([&] { return active(1); })) << Setting("activefile.9");
    EXPECT_EQ(MarkedItem(), 1);
    EXPECT_EQ(List()->GetItemText(1), wxString::FromUTF8("  " + files[1]));
    EXPECT_EQ(List()->GetItemImage(1), 1);

    // Arrows move the selection and write nothing; Enter writes the entry reached.
    const int writes = Received("AT^CAFL=");
    test::Press(WXK_DOWN);
    ASSERT_TRUE(test::DispatchUntil([&] { return List()->GetSelectedRow() == 2; }));
    EXPECT_TRUE(active(1));
    EXPECT_EQ(Received("AT^CAFL="), writes);
    test::Press(WXK_RETURN);
    ASSERT_TRUE(test::DispatchUntil([&] { return active(2); })) << Setting("activefile.9");
    EXPECT_EQ(List()->GetItemImage(2), 1);
    EXPECT_EQ(List()->GetItemImage(1), 0);
    // Space writes too.
    test::Press(WXK_UP);
    ASSERT_TRUE(test::DispatchUntil([&] { return List()->GetSelectedRow() == 1; }));
    EXPECT_TRUE(active(2));
    test::Press(WXK_SPACE);
    ASSERT_TRUE(test::DispatchUntil([&] { return active(1); })) << Setting("activefile.9");

    // A click on the entry already marked writes it again. It lands beside the first click's spot, or
    // the toolkit could take the two for a double-click.
    const int before = Received("AT^CAFL=");
    test::Click(List()->GetMainWindow(), test::RowPoint(List(), 1) + wxPoint(60, 0));
    EXPECT_TRUE(test::DispatchUntil([&] { return Received("AT^CAFL=") > before; }));
    EXPECT_EQ(MarkedItem(), 1);

    // A double-click chooses once: one write, then Space writes the second (the input comes in order,
    // so a second write of the double-click would be there before it).
    const int clicked = Received("AT^CAFL=");
    test::DoubleClick(List()->GetMainWindow(), test::RowPoint(List(), 2));
    ASSERT_TRUE(test::DispatchUntil([&] { return active(2); })) << Setting("activefile.9");
    test::Press(WXK_SPACE);
    ASSERT_TRUE(test::DispatchUntil([&] { return Received("AT^CAFL=") >= clicked + 2; }));
    EXPECT_EQ(Received("AT^CAFL="), clicked + 2);
}

TEST_F(TonesPageTest, TheVolumeBarWritesOnceWhenADragEndsAndOnceWhenKeyStepsSettle)
{
    Connect("CX70", {"--seed-ringtones", "--log", Log()});
    auto* slider = m_page->Item<wxSlider>(CTonesMobileDlg::IDC_SLIDER_VOLUME);
    ASSERT_TRUE(slider->IsEnabled());
    ASSERT_GE(slider->GetMax() - slider->GetMin(), 2);
    // The volume belongs to the line's tone: a tone is chosen first.
    ClickRow(1);
    ASSERT_TRUE(test::DispatchUntil([&] { return MarkedItem() == 1; }));
    const int volumeWrites = Received("AT^CLVL=");
    // The phone has one ringing line: the volume written for the line is its ringing volume.
    // Drag the knob past the right end: one write, of the highest volume. The knob's middle runs
    // from half a knob (about 8 pixels) after the bar's left end to as much before its right end.
    const wxSize size = slider->GetClientSize();
    const int knob =
        8 + (size.GetWidth() - 16) * (slider->GetValue() - slider->GetMin()) / (slider->GetMax() - slider->GetMin());
    test::Drag(slider, wxPoint(knob, size.GetHeight() / 2), wxPoint(size.GetWidth() + 40, size.GetHeight() / 2));
    ASSERT_TRUE(test::DispatchUntil([&] { return Setting("ringtone.volume") == std::to_string(slider->GetMax()); }))
        << "phone " << Setting("ringtone.volume") << ", bar " << slider->GetValue() << " of " << slider->GetMin() << "-"
        << slider->GetMax() << ", writes " << Received("AT^CLVL=") - volumeWrites;
    EXPECT_EQ(slider->GetValue(), slider->GetMax());
    EXPECT_EQ(Received("AT^CLVL="), volumeWrites + 1);

    // Two key steps down: written once, when they have settled.
    if (wxWindow::FindFocus() != slider)
        slider->SetFocus();
    // Both steps are sent before the editor runs again, so even a slow machine sees them within
    // the settling time.
    wxUIActionSimulator keys;
    keys.Char(WXK_LEFT);
    keys.Char(WXK_LEFT);
    const std::string lowered = std::to_string(slider->GetMax() - 2);
    ASSERT_TRUE(test::DispatchUntil([&] { return Setting("ringtone.volume") == lowered; }))
        << Setting("ringtone.volume");
    EXPECT_EQ(slider->GetValue(), slider->GetMax() - 2);
    EXPECT_EQ(Received("AT^CLVL="), volumeWrites + 2);

    // As everywhere on this desktop: Up, Right and Page Up raise the volume, Down, Left and Page
    // Down lower it, Home and End go to the ends; each settled change is one write.
    const int low = slider->GetMin(), high = slider->GetMax();
    const struct {
        int key;
        int value;
    } steps[] = {{WXK_UP, high - 1},    {WXK_DOWN, high - 2}, {WXK_RIGHT, high - 1},   {WXK_HOME, low},
                 {WXK_PAGEUP, low + 1}, {WXK_END, high},      {WXK_PAGEDOWN, high - 1}};
    int writes = Received("AT^CLVL=");
    for (const auto& step : steps) {
        keys.Char(step.key);
        ASSERT_TRUE(test::DispatchUntil([&] { return Setting("ringtone.volume") == std::to_string(step.value); }))
            << "key " << step.key << ": bar " << slider->GetValue() << ", phone " << Setting("ringtone.volume");
        EXPECT_EQ(slider->GetValue(), step.value);
        EXPECT_EQ(Received("AT^CLVL="), ++writes) << "key " << step.key;
    }
}

TEST_F(TonesPageTest, RingerRadiosAndVibrationWriteTheSoundModeWord)
{
    Connect("CX70");
    auto click = [&](int id, const std::string& key, const std::string& value) {
        ASSERT_TRUE(test::ClickWithMouse(m_page->GetDlgItem(id), [&] { return Setting(key) == value; }))
            << id << ": " << key << " is " << Setting(key);
    };
    click(CTonesMobileDlg::IDC_RADIO_BEEP, "calm", "2");
    click(CTonesMobileDlg::IDC_CHECK_VIBRA, "cvib", "1");
    EXPECT_EQ(Setting("calm"), "2");
    EXPECT_EQ(m_page->GetSoundMode(), 0x14);
    click(CTonesMobileDlg::IDC_CHECK_VIBRA, "cvib", "0");
    click(CTonesMobileDlg::IDC_RADIO_OFF, "calm", "1");
    EXPECT_EQ(Setting("cvib"), "0");
}

TEST_F(TonesPageTest, AToneIsMarkedOnlyWhenThePhoneTookIt)
{
    Connect("ME45", {"--fail-cmd", "AT^CRTN=", "--log", Log()});
    // Index mode: 40 fixed tones and 5 user-defined slots.
    ASSERT_EQ(List()->GetItemCount(), 45);
    EXPECT_EQ(List()->GetItemText(40), "  41   User-defined 01");
    const int tries = Received("AT^CRTN=");
    ClickRow(3);
    ASSERT_TRUE(test::DispatchUntil([&] { return Received("AT^CRTN=") > tries; })) << "the click never chose a tone";
    test::DispatchPending();
    EXPECT_EQ(MarkedItem(), -1) << "the phone refused the tone, so nothing is marked";
    EXPECT_NE(Setting("ringtone.index"), "4");
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
    auto* lines = m_page->Item<wxChoice>(CTonesMobileDlg::IDC_COMBO_LINES);
    // The user moves to the second line with the keyboard.
    lines->SetFocus();
    test::Press(WXK_DOWN);
    ASSERT_TRUE(test::DispatchUntil([&] { return lines->GetSelection() == 1; }));
    std::int32_t tone = 2, volume = 5;
    m_page->SetVolume(volume);
    ASSERT_EQ(m_page->SetCurVolumeToPhone(tone - 1), 1);
    EXPECT_EQ(Setting("line.23.tone"), "2");
    EXPECT_EQ(Setting("line.23.volume"), "5");

    // Away to the first line and back: the second line's tone and volume come from the phone.
    m_page->SetVolume(1);
    test::Press(WXK_UP);
    ASSERT_TRUE(test::DispatchUntil([&] { return lines->GetSelection() == 0; }));
    test::Press(WXK_DOWN);
    ASSERT_TRUE(test::DispatchUntil([&] { return lines->GetSelection() == 1 && m_page->GetVolume() == 5; }));
    EXPECT_EQ(slider->GetValue(), 5);
    EXPECT_EQ(MarkedItem(), 1);
    // The platform's scale: five positions, the increasing-volume mark at the end.
    EXPECT_EQ(slider->GetMin(), 1);
    EXPECT_EQ(slider->GetMax(), 5);
    ASSERT_EQ(m_page->GetTickStatics().size(), 5u);
    // Placed in pixels of the template font, grown with the dialog font: the first tick at
    // (417, 95), the mark 7 x 12 at (519, 86).
    const DialogUnits& units = m_page->Units();
    EXPECT_EQ(m_page->GetTickStatics()[0]->GetPosition(), wxPoint(units.PixelX(417), units.PixelY(95)));
    const PixelRect mark = units.Pixels(519, 86, 7, 12);
    EXPECT_EQ(m_page->GetTickStatics()[4]->GetPosition(), wxPoint(mark.x, mark.y));
    EXPECT_EQ(m_page->GetTickStatics()[4]->GetSize(), wxSize(mark.width, mark.height));
    // The main dialog's current line stays as it was.
    EXPECT_EQ(m_dlg->GetCurLine(), 9);
}

TEST_F(TonesPageTest, AStandardOnlyPhoneIsReadOutWithItsLackingFeaturesDisabledAndNeverSentTheirCommands)
{
    // Only the standard commands, and not even vibration; the trace at level 4 (bit 3 of its flags).
    const fs::path trace = m_folder.Path() / "trace.txt";
    Connect("CX70", {"--seed-ringtones", "--standard-only", "--fail-cmd", "AT+CVIB", "--log", Log()},
            "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Pellucid 5.0\\Kvt]\n\"Flags\"=dword:00000008\n\"FileName\"=\"" +
                trace.string() + "\"\n");
    EXPECT_TRUE(m_ui.m_boxes.empty()) << m_ui.m_boxes.front().text; // no 549: the read-out finished with code 0
    EXPECT_EQ(m_dlg->GetLackingFeatures(), unsigned(LACKS_TONE | LACKS_VIBRATION | LACKS_ACTIVE_FILE));
    // "Update" with the trace open: the read-out names what the phone lacks.
    ResetTrace();
    m_dlg->ReadInfosFromPhone();
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning() && m_dlg->WasRead(); }, 15000));
    ResetTrace();
    EXPECT_NE(test::ReadFile(trace).find(
                  " 4 Read-out: the phone lacks tone (AT^CRTN?), vibration (AT+CVIB?), active file (AT^CAFL)"),
              std::string::npos)
        << test::ReadFile(trace);
    ASSERT_GE(List()->GetItemCount(), 2);
    EXPECT_EQ(MarkedItem(), -1); // without the active-file command no file is marked
    EXPECT_FALSE(m_page->GetDlgItem(CTonesMobileDlg::IDC_CHECK_VIBRA)->IsEnabled());
    for (int id : {CTonesMobileDlg::IDC_RADIO_ON, CTonesMobileDlg::IDC_RADIO_OFF, CTonesMobileDlg::IDC_RADIO_BEEP,
                   CTonesMobileDlg::IDC_SLIDER_VOLUME, CTonesMobileDlg::IDC_LIST_TONES})
        EXPECT_TRUE(m_page->GetDlgItem(id)->IsEnabled()) << id;
    // The scale and the volume came from the standard commands.
    EXPECT_EQ(m_page->GetVolumeProfile().lVolStart, 1);
    EXPECT_EQ(m_page->GetVolumeProfile().lVolEnd, 4);
    EXPECT_EQ(m_page->GetVolume(), std::stol(Setting("ringtone.volume")));

    // The ringer goes to the phone without its vibration part; a file click sends nothing.
    ASSERT_TRUE(test::ClickWithMouse(m_page->GetDlgItem(CTonesMobileDlg::IDC_RADIO_BEEP),
                                     [&] { return Setting("calm") == "2"; }));
    ClickRow(1);
    test::DispatchPending();
    EXPECT_EQ(Setting("activefile.6"), "");
    EXPECT_EQ(Received("AT+CVIB="), 0);
    EXPECT_EQ(Received("AT^CAFL=6,"), 0);
    EXPECT_EQ(Received("AT+CALM=2"), 1);
}

TEST_F(TonesPageTest, TabReachesEveryControlOfThePageInReadingOrder)
{
    Connect("CX70", {"--seed-ringtones"});
    // The editor starts with the keyboard on the page's first control.
    EXPECT_TRUE(test::DispatchUntil(
        [&] { return wxWindow::FindFocus() == m_page->GetDlgItem(CTonesMobileDlg::IDC_COMBO_LINES); }));
    m_page->GetDlgItem(CTonesMobileDlg::IDC_COMBO_LINES)->SetFocus();
    std::vector<int> reached;
    for (wxWindow* focus : test::TabThrough(30)) {
        // The ringer radios are one stop: the checked one takes the focus.
        const int id = focus->GetId();
        reached.push_back(id == CTonesMobileDlg::IDC_RADIO_OFF || id == CTonesMobileDlg::IDC_RADIO_BEEP
                              ? int(CTonesMobileDlg::IDC_RADIO_ON)
                              : id);
    }
    EXPECT_TRUE(test::ReachedInOrder(reached, {CTonesMobileDlg::IDC_COMBO_LINES, CTonesMobileDlg::IDC_LIST_TONES,
                                               CTonesMobileDlg::IDC_SLIDER_VOLUME, CTonesMobileDlg::IDC_RADIO_ON,
                                               CTonesMobileDlg::IDC_CHECK_VIBRA}));
}

} // namespace
} // namespace corvina
