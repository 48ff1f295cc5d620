// Checks that the dialogs mirror for a right-to-left language and stay as laid out otherwise.
#include "CDialog.h"
#include "CRegistryHelper.h"
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/frame.h>

#include <string>

namespace corvina {
namespace {

constexpr int kPlayDialog = 4562;
constexpr int kPlayButton = 4557; // 3 dialog units from the template's left edge

void UseLanguage(const std::string& dword)
{
    Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n\"Language\"=dword:" + dword + "\n");
}

// Where GTK draws a control inside its dialog, in pixels from the dialog's left edge (wx answers
// positions in the window's own logical direction, which would hide the mirroring).
int DrawnLeft(wxWindow* control, wxWindow* dialog)
{
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(control->GetHandle(), dialog->GetHandle(), 0, 0, &x, &y);
    return x;
}

struct Placement {
    wxLayoutDirection direction = wxLayout_Default, buttonDirection = wxLayout_Default;
    int buttonLeft = 0, buttonWidth = 0, dialogWidth = 0;
};

Placement PlacePlayDialog()
{
    wxFrame* frame = test::NewTestFrame();
    // A panel in between: a frame would stretch its only child over its whole client area.
    auto* host = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(400, 300));
    auto* dialog = new CDialog(kPlayDialog);
    EXPECT_TRUE(dialog->Create(host));
    wxWindow* button = dialog->GetDlgItem(kPlayButton);
    if (button == nullptr) {
        ADD_FAILURE() << "the play dialog has no play button";
        frame->Destroy();
        return {};
    }
    // Until GTK has placed it the button reads as drawn at 0; the template keeps it off both edges.
    test::DispatchUntil([&] { return DrawnLeft(button, dialog) != 0; });
    Placement p{dialog->GetLayoutDirection(), button->GetLayoutDirection(), DrawnLeft(button, dialog),
                button->GetSize().x, dialog->GetClientSize().x};
    frame->Destroy();
    test::DispatchPending();
    return p;
}

TEST(LayoutDirection, ArabicMirrorsTheDialogsAndOtherLanguagesKeepTheirLayout)
{
    UseLanguage("00000809");
    const Placement english = PlacePlayDialog();
    EXPECT_NE(english.direction, wxLayout_RightToLeft);
    EXPECT_NE(english.buttonDirection, wxLayout_RightToLeft);
    EXPECT_LT(english.buttonLeft, english.dialogWidth / 2);

    UseLanguage("00000401");
    const Placement arabic = PlacePlayDialog();
    EXPECT_EQ(arabic.direction, wxLayout_RightToLeft);
    EXPECT_EQ(arabic.buttonDirection, wxLayout_RightToLeft);
    // The button keeps its distance from the edge, now the right one (up to the raised border).
    EXPECT_EQ(arabic.dialogWidth, english.dialogWidth);
    EXPECT_GT(arabic.buttonLeft, arabic.dialogWidth / 2);
    EXPECT_NEAR(arabic.dialogWidth - (arabic.buttonLeft + arabic.buttonWidth), english.buttonLeft, 3);

    UseLanguage("00000407");
    EXPECT_NE(PlacePlayDialog().direction, wxLayout_RightToLeft);
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n");
}

} // namespace
} // namespace corvina
