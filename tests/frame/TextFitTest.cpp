// Measures every text the editor shows against the room its control gives it, in every language:
// labels, buttons, check boxes, radio buttons, group boxes, combo entries and the time fields with
// the widest time they can show. A text that needs more than its control has is clipped on screen.
#include "CClipEditDlg.h"
#include "CMelodiesDlg.h"
#include "CTonesMobileDlg.h"
#include "CResource.h"
#include "CTimeEdit.h"
#include "EditorTest.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <sstream>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kMidiCorpus;

// The part of a control's width that its parent shows; 0 when it lies wholly outside.
int VisibleWidth(const wxWindow* control)
{
    const wxWindow* parent = control->GetParent();
    const int parentWidth = parent ? parent->GetClientSize().x : control->GetSize().x;
    const int left = std::max(0, control->GetPosition().x);
    const int right = std::min(parentWidth, control->GetPosition().x + control->GetSize().x);
    return std::max(0, right - left);
}

wxSize Natural(wxWindow* control)
{
    int minimum = 0, width = 0, height = 0;
    gtk_widget_get_preferred_width(control->GetHandle(), &minimum, &width);
    gtk_widget_get_preferred_height_for_width(control->GetHandle(), width, &minimum, &height);
    return {width, height};
}

// The width the text of an entry has inside its frame and padding.
int EntryTextRoom(GtkWidget* entry)
{
    GdkRectangle area{};
    gtk_entry_get_text_area(GTK_ENTRY(entry), &area);
    return area.width;
}

class ClipReport {
public:
    explicit ClipReport(std::string where) : m_where(std::move(where)) {}
    void Need(const wxWindow* control, const wxString& text, int needed, int room, const std::string& what = "wide")
    {
        ++m_checked;
        if (needed <= room)
            return;
        m_out << "  " << m_where << ": " << wxString(control->GetClassInfo()->GetClassName()).ToStdString() << " "
              << control->GetId() << " \"" << text.ToStdString(wxConvUTF8) << "\" needs " << needed << " px " << what
              << ", has " << room << "\n";
    }
    std::string Failures() const { return m_out.str(); }
    int Checked() const { return m_checked; }

private:
    std::string m_where;
    std::ostringstream m_out;
    int m_checked = 0;
};

// The text is cut when the control's natural size (what GTK needs to draw all of it) is larger
// than the size the layout gives it, or than the part of it its parent shows.
void CheckNatural(ClipReport& report, wxWindow* control, const wxString& text)
{
    const wxSize natural = Natural(control);
    report.Need(control, text, natural.x, std::min(control->GetSize().x, VisibleWidth(control)));
    report.Need(control, text, natural.y, control->GetSize().y, "high");
}

// A label may wrap into the lines its height gives it: its longest word must fit the width and
// its wrapped lines the height. Wrapped lines also keep half a line clear of every other control
// of the dialog, so a second line never runs into (or touches) what lies below or beside it.
void CheckWrapping(ClipReport& report, wxWindow* control, const wxString& text)
{
    const int width = std::min(control->GetSize().x, VisibleWidth(control));
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(control->GetHandle(), &minimum, &natural);
    report.Need(control, text, minimum, width);
    const int oneLine = control->GetTextExtent("Xg").y;
    gtk_widget_get_preferred_height_for_width(control->GetHandle(), std::max(width, minimum), &minimum, &natural);
    report.Need(control, text, natural, control->GetSize().y, "high");
    if (natural < 2 * oneLine)
        return;
    const wxRect lines = wxRect(control->GetPosition(), wxSize(width, natural)).Inflate(oneLine / 2);
    for (wxWindow* other : control->GetParent()->GetChildren()) {
        if (other != control && other->IsShown() && !other->IsTopLevel() && lines.Intersects(other->GetRect()))
            report.Need(control, text, 2 * oneLine, oneLine,
                        "high to wrap beside the control " + std::to_string(other->GetId()) + ", which is in the way;");
    }
}

void CheckControl(ClipReport& report, wxWindow* control)
{
    // Controls placed wholly outside their dialog's visible area are never seen; those of a page
    // not shown are measured when it is shown (the toolkit styles them only then). Hidden controls
    // of a shown dialog are measured too: they show in other states.
    if (VisibleWidth(control) == 0 || !control->GetParent()->IsShownOnScreen())
        return;
    if (auto* time = dynamic_cast<CTimeEdit*>(control)) {
        if (!time->IsShownOnScreen())
            return;
        // The widest time a field shows: minutes and seconds at their two-digit maximum.
        const wxString widest = wxString::FromUTF8(FormatTime(59 * 60000 + 59999, time->GetDigits()).value_or(""));
        report.Need(control, widest, control->GetTextExtent(widest).x, EntryTextRoom(control->GetHandle()));
    } else if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
        if (!combo->IsShownOnScreen())
            return;
        const int room = EntryTextRoom(gtk_bin_get_child(GTK_BIN(combo->GetHandle())));
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            report.Need(control, combo->GetString(i), control->GetTextExtent(combo->GetString(i)).x, room);
    } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
        // GTK sizes a combo box for its widest entry.
        wxString widest;
        for (unsigned i = 0; i < choice->GetCount(); ++i)
            if (control->GetTextExtent(choice->GetString(i)).x > control->GetTextExtent(widest).x)
                widest = choice->GetString(i);
        if (!widest.empty())
            CheckNatural(report, control, widest);
    } else if (dynamic_cast<wxStaticText*>(control)) {
        if (!control->GetLabel().empty())
            CheckWrapping(report, control, control->GetLabel());
    } else if (dynamic_cast<wxButton*>(control) || dynamic_cast<wxCheckBox*>(control) ||
               dynamic_cast<wxRadioButton*>(control) || dynamic_cast<wxStaticBox*>(control)) {
        if (!control->GetLabel().empty())
            CheckNatural(report, control, control->GetLabel());
    }
}

void CheckTree(ClipReport& report, wxWindow* window)
{
    for (wxWindow* child : window->GetChildren()) {
        CheckControl(report, child);
        CheckTree(report, child);
    }
}

// A language (as the registry gives it) and a phone model.
class TextFitTest : public test::EditorTest, public ::testing::WithParamInterface<std::tuple<long, const char*>> {
protected:
    // Connects a phone of the model with the editor in the language and opens a copy of a file with
    // several tracks: the reader locks the file it opens, and other tests open the same one.
    void ConnectWithChords(const std::string& model, long language, std::vector<std::string> options = {})
    {
        char dword[16];
        std::snprintf(dword, sizeof dword, "%08lx", language);
        Connect(model, std::move(options), std::string("\"Language\"=dword:") + dword + "\n");
        const fs::path melody = m_folder.Path() / "chords.mid";
        fs::copy_file(kMidiCorpus / "test-multichannel-chords-0.mid", melody);
        ASSERT_TRUE(Clip().OpenFile(melody.string()));
    }
    CClipEditDlg& Clip() { return m_dlg->GetMelodiesDlg()->GetClipEditDlg(); }
};

// Both pages, each shown in turn as the user sees them.
TEST_P(TextFitTest, NoControlOfAnyPageCutsItsText)
{
    const auto [language, model] = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectWithChords(model, language, {"--seed-ringtones"}));
    int checked = 0;
    std::string failures;
    for (int page : {0, 1}) {
        m_dlg->SetSheetCurSel(page);
        // GTK lays the shown page out on its next frame; until then entries have no text area.
        wxWindow* shownField =
            page == 0 ? m_dlg->GetTonesMobileDlg()->GetDlgItem(4559) : Clip().GetDlgItem(CClipEditDlg::IDC_CLIP_START);
        EXPECT_TRUE(test::DispatchUntil([&] { return gtk_widget_get_allocated_width(shownField->GetHandle()) > 1; }));
        // GTK styles and sizes some controls a little later on a busy display (a combo gets its
        // height once its style is applied): measure once the layout has settled, or after a few
        // seconds whatever it shows then.
        const std::string where = std::string(model) + " page " + std::to_string(page);
        ClipReport report(where);
        test::DispatchUntil(
            [&] {
                report = ClipReport(where);
                CheckTree(report, m_dlg);
                return report.Failures().empty();
            },
            3000);
        failures += report.Failures();
        checked += report.Checked();
    }
    EXPECT_GT(checked, 40) << "the pages' controls were not all found";
    EXPECT_EQ(failures, "") << "texts cut in language " << language << ":\n" << failures;
}

// Typed with real keys into the clip start field: the field shows the whole new time and does
// not scroll part of it out of sight.
TEST_F(TextFitTest, TypingATimeKeepsItWholeInItsField)
{
    ASSERT_NO_FATAL_FAILURE(ConnectWithChords("CX70", 0x0407));
    m_dlg->SetSheetCurSel(1);
    auto* field = dynamic_cast<CTimeEdit*>(Clip().GetDlgItem(CClipEditDlg::IDC_CLIP_START));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(test::DispatchUntil([&] { return gtk_widget_get_allocated_width(field->GetHandle()) > 1; }));
    // Other dialog tests share the display and show their windows at its top left; this one sits
    // below them, and a real click puts the keyboard into the field.
    m_editor->frame->Move(340, 380);
    ASSERT_TRUE(test::DispatchUntil([&] { return field->GetScreenPosition().y > 700; }));
    test::Click(field, wxPoint(field->GetClientSize().GetWidth() / 2, field->GetClientSize().GetHeight() / 2));
    ASSERT_TRUE(test::DispatchUntil([&] { return field->HasFocus(); }));
    // How far GTK scrolled the text to the left; 0 or less (a centred text sits right of the
    // start) while all of it is in sight.
    auto scrollOffset = [&] {
        int offset = -1;
        g_object_get(field->GetHandle(), "scroll-offset", &offset, nullptr);
        return offset;
    };

    // A digit typed at the end of the shown time makes it one character longer.
    field->SetInsertionPointEnd();
    test::Press('5');
    ASSERT_TRUE(test::DispatchUntil([&] { return field->GetValue() == "0:00.005"; })) << field->GetValue();
    EXPECT_LE(scrollOffset(), 0) << "the typed text scrolled";
}

std::vector<long> Languages()
{
    std::size_t count = 0;
    const long* languages = AllLanguages(count);
    return {languages, languages + count};
}

// A phone that keeps ringtones as files (destination: file names) and one with numbered slots
// (destination: slot names), whose ringing lines differ too.
INSTANTIATE_TEST_SUITE_P(EveryLanguage, TextFitTest,
                         ::testing::Combine(::testing::ValuesIn(Languages()),
                                            ::testing::Values("CX70", "ME45", "RX41")),
                         [](const ::testing::TestParamInfo<TextFitTest::ParamType>& info) {
                             return "Language" + std::to_string(std::get<0>(info.param)) + std::get<1>(info.param);
                         });

} // namespace
} // namespace corvina
