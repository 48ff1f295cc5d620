// Tests of the melody file dialog on a (virtual) display: its buttons beside the desktop's chooser,
// the preview of the selected file, and the messages of a preview that cannot be made.
#include "CMelodyFileDialog.h"
#include "Corpus.h"
#include "PlaybackGuiTest.h"
#include "TempFolder.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kMidiCorpus;
using test::kScale;
using test::ReadFile;

class MelodyFileDialog : public test::PlaybackGuiTest {
protected:
    static wxButton* FindButton(CMelodyFileDialog& dialog, const wxString& label)
    {
        wxWindow* panel = dialog.GetExtraControl();
        if (!panel)
            return nullptr;
        for (wxWindow* child : panel->GetChildren())
            if (auto* button = dynamic_cast<wxButton*>(child); button && button->GetLabel() == label)
                return button;
        return nullptr;
    }
};

TEST_F(MelodyFileDialog, PlaysTheSelectedFileWithPlayAndStopBesideTheChooser)
{
    CMelodyFileDialog dialog(m_frame, CMelodyFileDialog::MidiFilter(), kMidiCorpus.string());
    dialog.SetPath(kScale.string());
    bool checked = false;
    // Runs inside the dialog's own loop, once the chooser has selected the file.
    dialog.CallAfter([&] {
        wxButton* play = nullptr;
        wxButton* stop = nullptr;
        const bool ready = test::DispatchUntil([&] {
            play = FindButton(dialog, "Playback");
            stop = FindButton(dialog, "Stop");
            return play && stop && !dialog.GetCurrentlySelectedFilename().empty() && play->GetBitmap().IsOk();
        });
        if (ready) {
            EXPECT_EQ(dialog.GetTitle(), "Open melodies");
            EXPECT_EQ(play->GetToolTipText(), "Playback");
            EXPECT_EQ(stop->GetToolTipText(), "Stop");
            EXPECT_TRUE(play->IsEnabled());
            EXPECT_FALSE(stop->IsEnabled());

            // At playing speed the tone lasts until Stop.
            Configure(true);
            Click(play);
            EXPECT_FALSE(play->IsEnabled());
            EXPECT_TRUE(stop->IsEnabled());
            EXPECT_EQ(ReadFile(dialog.GetPreviewPath()), ReadFile(kScale));
            Click(stop);
            EXPECT_TRUE(play->IsEnabled());
            EXPECT_FALSE(stop->IsEnabled());
            EXPECT_EQ(dialog.Player().GetDeviceID(), 0u);

            // Rendered at once, it ends by itself.
            Configure(false);
            Click(play);
            EXPECT_TRUE(test::DispatchUntil([&] { return play->IsEnabled(); })) << "the end of play enables Play";
            EXPECT_FALSE(stop->IsEnabled());
            checked = true;
        }
        dialog.EndModal(wxID_CANCEL);
    });
    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(checked) << "the chooser never showed the buttons with the file selected";
    EXPECT_TRUE(m_ui.m_boxes.empty());
}

TEST_F(MelodyFileDialog, AFailedPreviewTellsWhyAndPlaysThePreviousOne)
{
    Configure(true);
    CMelodyFileDialog dialog(m_frame, CMelodyFileDialog::MidiFilter(), kMidiCorpus.string());
    EXPECT_EQ(dialog.GetPreviewPath(), ProcessTempFolder() / "rtplayinfileopen.mid");
    fs::remove(dialog.GetPreviewPath()); // a copy an earlier test left
    dialog.PlayPreview(kScale.string());
    EXPECT_TRUE(dialog.IsStopEnabled());

    std::ofstream(m_dir / "bad.IMY") << "BEGIN:IMELODY\nMELODY:x9\nEND:IMELODY\n";
    dialog.PlayPreview((m_dir / "bad.IMY").string());
    dialog.PlayPreview((m_dir / "missing.mid").string());
    ASSERT_EQ(m_ui.m_boxes.size(), 2u);
    EXPECT_EQ(m_ui.m_boxes[0].text, "Format of specified file is not supported!");
    EXPECT_EQ(m_ui.m_boxes[1].text, "It is not possible to write temporary files.");
    EXPECT_EQ(m_ui.m_boxes[1].style, MB_ICONINFORMATION | MB_OK);
    EXPECT_EQ(ReadFile(dialog.GetPreviewPath()), ReadFile(kScale));
    EXPECT_TRUE(dialog.IsStopEnabled());
    EXPECT_FALSE(dialog.IsPlayEnabled());
    EXPECT_NE(dialog.Player().GetDeviceID(), 0u);

    dialog.OnButtonStop();
    EXPECT_TRUE(dialog.IsPlayEnabled());
    EXPECT_FALSE(dialog.IsStopEnabled());
}

} // namespace
} // namespace corvina
