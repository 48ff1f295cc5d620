// Checks that the toolkit speaks the editor's language: a message box's Yes/No and the file
// chooser's buttons read in German when the registry chooses German, as the user sees them.
#include "CDialog.h"
#include "CRegistryHelper.h"
#include "CResource.h"
#include "GuiTestMain.h"
#include "ModalReader.h"
#include "ToolkitLanguage.h"
#include "WxUiServices.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/filedlg.h>
#include <wx/frame.h>

#include <clocale>
#include <string>

namespace corvina {
namespace {

void UseLanguage(const std::string& dword)
{
    Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n\"Language\"=dword:" + dword + "\n");
}

// Makes a dialog from a template, as every page does when it is created.
void CreateADialog()
{
    wxFrame* frame = test::NewTestFrame();
    auto* dialog = new CDialog(4562);
    EXPECT_TRUE(dialog->Create(frame));
    frame->Destroy();
    test::DispatchPending();
}

// The texts of the labels inside a widget, one after the other.
std::string Labels(GtkWidget* widget)
{
    if (GTK_IS_LABEL(widget))
        return gtk_label_get_text(GTK_LABEL(widget));
    std::string text;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            text += Labels(GTK_WIDGET(child->data));
        g_list_free(children);
    }
    return text;
}

// The texts drawn on the button of a dialog that answers a response.
std::string ButtonText(GtkDialog* dialog, int response)
{
    GtkWidget* button = gtk_dialog_get_widget_for_response(dialog, response);
    return button ? Labels(button) : "(no button)";
}

TEST(ToolkitLanguage, GermanInTheRegistryMakesMessageBoxesAndTheFileChooserSpeakGerman)
{
    const std::string messagesBefore = std::setlocale(LC_MESSAGES, nullptr);
    UseLanguage("00000407");
    CreateADialog();

    // The Yes and No buttons of a question the editor asks, answered No.
    WxUiServices ui;
    const auto yesAndNo = [&](const char* question) {
        std::string yes, no;
        test::ModalReader reader(GTK_TYPE_MESSAGE_DIALOG, GTK_RESPONSE_NO, [&](GtkDialog* dialog) {
            yes = ButtonText(dialog, GTK_RESPONSE_YES);
            no = ButtonText(dialog, GTK_RESPONSE_NO);
        });
        EXPECT_EQ(ui.MessageBox(question, "", MB_YESNO | MB_ICONQUESTION), IDNO);
        EXPECT_TRUE(reader.Found());
        return yes + "/" + no;
    };
    EXPECT_EQ(yesAndNo("Wirklich?"), "Ja/Nein");

    std::string open, cancel;
    wxFrame* frame = test::NewTestFrame();
    {
        wxFileDialog chooser(frame, "Melodie", "", "", "*.mid", wxFD_OPEN);
        test::ModalReader reader(GTK_TYPE_FILE_CHOOSER_DIALOG, GTK_RESPONSE_CANCEL, [&](GtkDialog* dialog) {
            open = ButtonText(dialog, GTK_RESPONSE_ACCEPT);
            cancel = ButtonText(dialog, GTK_RESPONSE_CANCEL);
        });
        EXPECT_EQ(chooser.ShowModal(), wxID_CANCEL);
        EXPECT_TRUE(reader.Found());
    }
    frame->Destroy();
    test::DispatchPending();
    EXPECT_EQ(open + "/" + cancel, "Öffnen/Abbrechen");

    // Back in English the same box reads English again.
    UseLanguage("00000809");
    CreateADialog();
    EXPECT_EQ(yesAndNo("Really?"), "Yes/No");
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n");
    std::setlocale(LC_MESSAGES, messagesBefore.c_str());
}

TEST(ToolkitLanguage, EveryLanguageOfTheEditorNamesALocaleThatTheSystemHas)
{
    const std::string messagesBefore = std::setlocale(LC_MESSAGES, nullptr);
    std::size_t count = 0;
    const long* languages = AllLanguages(count);
    ASSERT_EQ(count, 20u);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = LocaleNameOfLanguage(languages[i]);
        ASSERT_EQ(name.size(), 5u) << languages[i];
        // The setup installs every locale, so each language switches the toolkit.
        EXPECT_TRUE(std::setlocale(LC_MESSAGES, (name + ".UTF-8").c_str())) << name;
    }
    EXPECT_EQ(LocaleNameOfLanguage(1031), "de_DE");
    EXPECT_EQ(LocaleNameOfLanguage(1044), "nb_NO");
    EXPECT_EQ(LocaleNameOfLanguage(4242), "");
    // An unknown language leaves the toolkit as it is.
    EXPECT_FALSE(UseToolkitLanguage(4242));
    std::setlocale(LC_MESSAGES, messagesBefore.c_str());
}

} // namespace
} // namespace corvina
