// The main dialog under a display: construction, pages, tabs, the read-out button, dropped files,
// new phone records and the exit question.
#include "CRingingtoneDlg.h"
#include "CRegistryHelper.h"
#include "CSXButton.h"
#include "CTabCtrl.h"
#include "CTraceFile.h"
#include "Corpus.h"
#include "EditorWithPhone.h"
#include "FakeUi.h"
#include "HostModule.h"
#include "RealInput.h"
#include "ScratchFolder.h"
#include "CClipEditDlg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvina {
namespace {

const char* kEnglish = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Halvren\Corvina]
"Language"=dword:00000809
)";

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Registry::Instance().LoadText(kEnglish);
        m_frame = test::NewTestFrame();
        m_dlg = new CRingingtoneDlg(m_frame);
        ASSERT_TRUE(m_dlg->Init(m_frame));
    }
    void TearDown() override
    {
        m_frame->Destroy();
        test::DispatchPending();
    }

    CTabCtrl* Tab() { return m_dlg->Item<CTabCtrl>(CRingingtoneDlg::IDC_TAB); }
    CSXButton* ReadButton() { return m_dlg->Item<CSXButton>(CRingingtoneDlg::IDC_BUTTON_READ); }
    // The tab is at the page and only that page is shown (on the screen: mapped by the toolkit too).
    bool Showing(int page, bool onScreen = false)
    {
        auto shown = [onScreen](wxWindow* w) { return onScreen ? w->IsShownOnScreen() : w->IsShown(); };
        return Tab()->GetCurSel() == page && shown(m_dlg->GetTonesMobileDlg()) == (page == 0) &&
               shown(m_dlg->GetMelodiesDlg()) == (page == 1);
    }
    static char* HeapPath(const char* text)
    {
        char* copy = new char[std::strlen(text) + 1];
        std::strcpy(copy, text);
        return copy;
    }

    test::FakeUi m_ui;
    wxFrame* m_frame = nullptr;
    CRingingtoneDlg* m_dlg = nullptr;
};

TEST_F(MainDialogTest, BeforeTheFirstPhoneRecordTheDialogHoldsAnEmptyOne)
{
    ASSERT_NE(m_dlg->GetCurMobileInfo(), nullptr);
    EXPECT_EQ(m_dlg->GetPhoneType(), "");
    EXPECT_EQ(m_dlg->GetCurImei(), "");
    EXPECT_EQ(m_dlg->IsConnected(), 0);
    EXPECT_EQ(m_dlg->WasRead(), 0);
    EXPECT_EQ(m_dlg->GetCurLine(), 9);
    EXPECT_EQ(m_dlg->GetNumberFixRt(), 40);
    EXPECT_EQ(m_dlg->GetNumberUserdefRt(), 2);
    EXPECT_EQ(m_dlg->FirstUsedIndexRt(), 0);
    EXPECT_EQ(m_dlg->GetRtIndex(), -1);
    EXPECT_EQ(m_dlg->GetRtArrayIndex(), -1);
    EXPECT_TRUE(m_dlg->GetRtByFilename());
    EXPECT_EQ(m_dlg->GetNumberRt(), 0);
}

TEST_F(MainDialogTest, InitialisationGivesTheButtonItsTextAndTheTabsTheirPagesWithTheTonesPageShown)
{
    ASSERT_NE(ReadButton(), nullptr);
    EXPECT_EQ(ReadButton()->GetLabel(), "Read out");
    EXPECT_FALSE(ReadButton()->IsEnabled());
    EXPECT_EQ(ReadButton()->GetIconId(), 4509);
    ASSERT_NE(Tab(), nullptr);
    ASSERT_EQ(Tab()->GetItemCount(), 2);
    EXPECT_EQ(Tab()->GetItemText(0), "Ringtones on mobile");
    EXPECT_EQ(Tab()->GetItemText(1), "Melodies");
    EXPECT_TRUE(Showing(0));
    // Each page lies in its tab's page area, as large as the tab's client rectangle shrunk by 3, 30,
    // 3, 3 pixels.
    const wxSize client = Tab()->GetClientSize();
    EXPECT_EQ(m_dlg->GetTonesMobileDlg()->GetParent(), Tab()->GetPageHolder(0));
    EXPECT_EQ(m_dlg->GetMelodiesDlg()->GetParent(), Tab()->GetPageHolder(1));
    EXPECT_EQ(m_dlg->GetTonesMobileDlg()->GetRect(), wxRect(0, 0, client.GetWidth() - 6, client.GetHeight() - 33));
    EXPECT_EQ(m_dlg->GetMelodiesDlg()->GetRect(), m_dlg->GetTonesMobileDlg()->GetRect());
}

TEST_F(MainDialogTest, SheetSelectionShowsOnePageAndAnUnknownPageHidesBoth)
{
    for (int page : {1, 2, 0}) {
        m_dlg->SetSheetCurSel(page);
        EXPECT_TRUE(Showing(page)) << page;
    }
}

TEST_F(MainDialogTest, TabsChangePageByClickAndByKeyboardAndAScreenReaderReadsThem)
{
    m_dlg->Show();
    ASSERT_TRUE(test::ShowForInput(m_frame));
    // A screen reader finds a tab list with one named tab per page.
    AtkObject* tabs = test::Accessible(Tab());
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(atk_object_get_role(tabs), ATK_ROLE_PAGE_TAB_LIST);
    std::vector<std::string> names;
    for (const test::AccessibleNode& node : test::AccessibleDescendants(tabs, 1))
        if (node.role == ATK_ROLE_PAGE_TAB)
            names.push_back(node.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Ringtones on mobile", "Melodies"}));

    auto shows = [&](int page) { return test::DispatchUntil([&] { return Showing(page, true); }); };
    const wxPoint melodies = test::TabPoint(Tab(), 1);
    ASSERT_NE(melodies.x, -1);
    test::Click(Tab(), melodies);
    EXPECT_TRUE(shows(1));
    test::Press(WXK_TAB, wxMOD_CONTROL);
    EXPECT_TRUE(shows(0));
    test::Press(WXK_TAB, wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_TRUE(shows(1));
    test::Press(WXK_PAGEUP, wxMOD_CONTROL);
    EXPECT_TRUE(shows(0));
    test::Press(WXK_PAGEDOWN, wxMOD_CONTROL);
    EXPECT_TRUE(shows(1));
    // From inside a page too.
    m_dlg->GetMelodiesDlg()->GetClipEditDlg().GetDlgItem(CClipEditDlg::IDC_CLIP_START)->SetFocus();
    test::Press(WXK_PAGEDOWN, wxMOD_CONTROL);
    EXPECT_TRUE(shows(0));
}

TEST_F(MainDialogTest, ClosingAsksOnlyWithAnUnsavedClipUnderTheHostsSuiteNameAndStaysOnNo)
{
    EXPECT_EQ(m_dlg->CloseRingingtoneOK(), 1);
    EXPECT_TRUE(m_ui.m_boxes.empty());

    SetHostStringLookup([](unsigned id, long) { return std::string(id == 102 ? "Suite" : ""); });
    ASSERT_TRUE(m_dlg->GetMelodiesDlg()->GetClipEditDlg().OpenFile(test::kScale.string()));
    m_ui.QueueAnswer(IDNO);
    EXPECT_EQ(m_dlg->CloseRingingtoneOK(), 0);
    EXPECT_EQ(m_dlg->CloseRingingtoneOK(), 1); // Yes
    SetHostStringLookup(nullptr);
    ASSERT_EQ(m_ui.m_boxes.size(), 2u);
    EXPECT_EQ(m_ui.m_boxes[0].caption, "Suite (Ringtone Editor)");
    EXPECT_EQ(m_ui.m_boxes[0].style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(m_ui.m_boxes[0].text.rfind("If you exit Corvina now, unsaved changes", 0), 0u) << m_ui.m_boxes[0].text;
}

TEST_F(MainDialogTest, ANullDropDoesNothingAndADroppedFileOpensOnTheMelodiesPage)
{
    EXPECT_EQ(SendMessage(m_dlg, WM_DROP_MIDI_FILE, 0, 0), 0);
    EXPECT_TRUE(Showing(0));

    EXPECT_EQ(SendMessage(m_dlg, WM_DROP_MIDI_FILE, 0, reinterpret_cast<std::intptr_t>(HeapPath(test::kScale.c_str()))),
              0);
    EXPECT_TRUE(Showing(1));
    EXPECT_EQ(m_dlg->GetMelodiesDlg()->GetCurFile(), test::kScale.string());
    EXPECT_EQ(m_dlg->GetMelodiesDlg()->GetClipEditDlg().GetLength(), 4000);
    EXPECT_TRUE(m_ui.m_boxes.empty()) << m_ui.m_boxes[0].text;
}

TEST_F(MainDialogTest, APhoneRecordThatArrivesWhileHiddenIsValidatedWhenTheDialogIsShown)
{
    // A record without an IMEI means no phone: validation asks the user to connect one.
    CMobileInfo* none = test::PhoneRecord("CX70", "");
    PostMessage(m_dlg, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(none));
    test::DispatchPending();
    EXPECT_EQ(m_dlg->GetCurMobileInfo(), none);
    EXPECT_TRUE(m_ui.m_boxes.empty());

    m_dlg->Show();
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_ui.m_boxes.empty(); }));
    EXPECT_EQ(m_ui.m_boxes[0].text, "Please connect the phone whose ringtone you want to change.");
    EXPECT_EQ(m_dlg->IsConnected(), 0);
}

TEST_F(MainDialogTest, ASecondRecordWithTheSameImeiChangesNothing)
{
    CMobileInfo* first = test::PhoneRecord("CX70", "350000000000017");
    SendMessage(m_dlg, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(first));
    SendMessage(m_dlg, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(test::PhoneRecord("other", "350000000000017")));
    EXPECT_EQ(m_dlg->GetCurMobileInfo(), first);
    EXPECT_EQ(m_dlg->GetPhoneType(), "CX70");
    EXPECT_EQ(m_dlg->GetCurImei(), "350000000000017");
}

TEST(MainDialogTrace, ConstructionTracesItsEntryAndExitAtLevelThree)
{
    const test::ScratchFolder folder("frame-trace");
    const auto path = folder.Path() / "trace.txt";
    std::ostringstream reg;
    reg << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Pellucid 5.0\\Kvt]\n"
        << "\"Flags\"=dword:20000004\n\"FileName\"=\"" << path.string() << "\"\n";
    Registry::Instance().LoadText(reg.str());
    ResetTrace();
    {
        CRingingtoneDlg dlg;
    }
    const std::string trace = test::ReadFile(path);
    const auto entering = trace.find(" 3 Entering CRingingtoneDlg::CRingingtoneDlg\n");
    const auto leaving = trace.find(" 3 Leaving CRingingtoneDlg::CRingingtoneDlg\n");
    EXPECT_NE(entering, std::string::npos) << trace;
    EXPECT_NE(leaving, std::string::npos) << trace;
    EXPECT_LT(entering, leaving);

    Registry::Instance().LoadText(kEnglish);
    ResetTrace();
}

} // namespace
} // namespace corvina
