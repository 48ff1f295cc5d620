// Time fields in a window: what they show, and what happens to typed times when the focus leaves.
#include "CTimeEdit.h"
#include "GuiTestMain.h"
#include "WindowMessage.h"

#include <gtest/gtest.h>

#include <wx/panel.h>

#include <vector>

namespace corvina {
namespace {

struct Received {
    unsigned message;
    std::uintptr_t wParam;
};

// A frame with a panel that records the window messages its fields post, one time field and a
// second field to take the focus away.
class TimeEditWindow {
public:
    TimeEditWindow()
    {
        m_frame = test::NewTestFrame();
        m_panel = new wxPanel(m_frame, wxID_ANY, wxPoint(0, 0), wxSize(400, 200));
        m_panel->Bind(EVT_WINDOW_MESSAGE, [this](CWindowMessageEvent& event) {
            m_received.push_back({event.Message(), event.WParam()});
        });
        m_field = new CTimeEdit(m_panel, 4595, wxPoint(10, 10), wxSize(80, 24));
        m_other = new wxTextCtrl(m_panel, wxID_ANY, "", wxPoint(10, 50), wxSize(80, 24));
        // Let the new frame settle its activation and focus first, so that no late focus change
        // reaches the field during a test.
        m_other->SetFocus();
        test::DispatchUntil([] { return false; }, 200);
        m_received.clear();
    }
    ~TimeEditWindow()
    {
        m_frame->Destroy();
        test::DispatchPending();
    }

    // Types the text into the field and moves the focus to the other control.
    void TypeAndLeave(const wxString& text)
    {
        m_field->SetFocus();
        ASSERT_TRUE(test::DispatchUntil([&] { return m_field->HasFocus(); }));
        m_field->ChangeValue(text);
        m_other->SetFocus();
        ASSERT_TRUE(test::DispatchUntil([&] { return m_other->HasFocus(); }));
        test::DispatchPending();
    }

    wxFrame* m_frame;
    wxPanel* m_panel;
    CTimeEdit* m_field;
    wxTextCtrl* m_other;
    std::vector<Received> m_received;
};

} // namespace

TEST(CTimeEdit, ShowsTimesInItsDigitsAndIgnoresNegativeTimesAndBadDigitCounts)
{
    TimeEditWindow window;
    CTimeEdit& field = *window.m_field;
    EXPECT_EQ(field.GetDigits(), 3);
    field.SetTime(65432);
    EXPECT_EQ(field.GetValue(), "1:05.432");
    field.SetDigits(2);
    field.SetDigits(4);
    field.SetDigits(0);
    EXPECT_EQ(field.GetDigits(), 2);
    field.SetTime(59999);
    EXPECT_EQ(field.GetValue(), "0:59.99");
    field.SetTime(-5);
    EXPECT_EQ(field.GetValue(), "0:59.99");
    EXPECT_EQ(field.GetTime(), 59999);
    EXPECT_TRUE(window.m_received.empty());
}

TEST(CTimeEdit, AnUnreadableTextIsReplacedByTheOldTimeWhenTheFocusLeaves)
{
    TimeEditWindow window;
    window.m_field->SetDigits(2);
    window.m_field->SetTime(12340);
    window.TypeAndLeave("1:05.5");
    EXPECT_EQ(window.m_field->GetValue(), "0:12.34");
    EXPECT_EQ(window.m_field->GetTime(), 12340);
    window.TypeAndLeave("0:60.00");
    EXPECT_EQ(window.m_field->GetValue(), "0:12.34");
    EXPECT_TRUE(window.m_received.empty());
}

TEST(CTimeEdit, AReadableTextBecomesTheValueAndIsReportedToTheParent)
{
    TimeEditWindow window;
    window.m_field->SetDigits(2);
    window.TypeAndLeave("65:00.00");
    EXPECT_EQ(window.m_field->GetTime(), 3900000);
    ASSERT_TRUE(test::DispatchUntil([&] { return !window.m_received.empty(); }));
    ASSERT_EQ(window.m_received.size(), 1u);
    EXPECT_EQ(window.m_received[0].message, 0x041Eu);
    EXPECT_EQ(window.m_received[0].wParam, reinterpret_cast<std::uintptr_t>(window.m_field));
}

TEST(CTimeEdit, TakesThePlaceOfATemplateField)
{
    TimeEditWindow window;
    auto* plain = new wxTextCtrl(window.m_panel, 4596, "", wxPoint(100, 10), wxSize(60, 24), wxTE_CENTRE);
    CTimeEdit* field = CTimeEdit::ReplaceTextCtrl(plain);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetId(), 4596);
    EXPECT_EQ(field->GetPosition(), wxPoint(100, 10));
    EXPECT_EQ(field->GetSize(), wxSize(60, 24));
    EXPECT_EQ(window.m_panel->FindWindow(4596), field);
}

} // namespace corvina
