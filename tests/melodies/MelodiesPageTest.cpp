// The Melodies page against corpus files and a virtual phone: opening, clip setting, saving, and
// the whole road to the phone (transmission, overwrite question, cancel, a dropped line).
#include "MelodiesPageFixture.h"

namespace corvina::test {
namespace {

TEST_F(MelodiesPageTest, OpeningAFileListsItsCombinationsWithTheAllRowLastAndAClipOfTheFirstTenth)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile(kScale.string()));
    EXPECT_EQ(Tracks()->GetItemCount(), 1); // one combination: no "all" row
    EXPECT_EQ(m_clip->GetLength(), 4000);
    EXPECT_EQ(m_clip->GetClip(), (ClipTimes{0, 400}));
    EXPECT_FALSE(m_clip->GetSaved());
    m_page->UpdateControls();
    EXPECT_TRUE(m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    EXPECT_FALSE(m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled());

    ASSERT_TRUE(m_clip->OpenFile((kMidiCorpus / "test-multichannel-chords-0.mid").string()));
    ASSERT_EQ(Tracks()->GetItemCount(), 4);
    EXPECT_EQ(Tracks()->GetItemText(3, 0).Trim(false), "all");
    EXPECT_EQ(Tracks()->GetItemText(3, 1), "all");
    EXPECT_EQ(Tracks()->GetItemText(1, 1), "2");
    ASSERT_TRUE(m_clip->OpenFile(kScale.string()));
    // The path box, too narrow for the whole path, shows its end: the file's name.
    m_dlg->SetSheetCurSel(1);
    auto* file = m_clip->Item<wxTextCtrl>(CClipEditDlg::IDC_FILE);
    ASSERT_GT(file->GetTextExtent(file->GetValue()).x, file->GetClientSize().x);
    int offset = 0;
    EXPECT_TRUE(test::DispatchUntil([&] {
        g_object_get(file->GetHandle(), "scroll-offset", &offset, nullptr);
        return offset > 0;
    })) << "the box shows the start of "
        << file->GetValue();
}

TEST_F(MelodiesPageTest, ADamagedFileGives4021AndKeepsThePreviousFile)
{
    Connect("CX70");
    ASSERT_TRUE(m_clip->OpenFile(kScale.string()));
    EXPECT_FALSE(m_clip->OpenFile((kMidiCorpus / "test-not-a-midi-file.mid").string()));
    ASSERT_FALSE(m_ui.m_boxes.empty());
    EXPECT_EQ(m_ui.m_boxes.back().text, "Format of specified file is not supported!");
    EXPECT_EQ(m_page->GetCurFile(), kScale.string());
    EXPECT_FALSE(m_clip->OpenFile((m_folder.Path() / "missing.mid").string()));
    EXPECT_EQ(m_ui.m_boxes.back().text, "Unable to open specified file. This may be open in another application.");
}

TEST_F(MelodiesPageTest, TypedTimesMoveTheMarkerAndDraggingItChangesTheTimes)
{
    Connect("CX70");
    ASSERT_TRUE(Open(kScale));
    CTimeEdit* start = Time(CClipEditDlg::IDC_CLIP_START);
    CTimeEdit* end = Time(CClipEditDlg::IDC_CLIP_END);
    ASSERT_TRUE(start && end);
    Type(CClipEditDlg::IDC_CLIP_END, "0:02.00");
    Type(CClipEditDlg::IDC_CLIP_START, "0:01.00");
    EXPECT_EQ(m_clip->GetClip(), (ClipTimes{1000, 2000}));
    EXPECT_EQ(m_clip->GetMarkerEdges(), (MarkerEdges{210 + 109, 210 + 218}));

    // The marker covers the clip: 1 s to 2 s of 4 s is the second quarter of the 436-pixel ruler
    // (pixels of the template font, grown with the dialog font on screen).
    const DialogUnits& units = m_clip->Units();
    const PixelRect quarter = units.Pixels(210 + 109, 232, 109, 16);
    EXPECT_EQ(Marker()->GetRect(), wxRect(quarter.x, quarter.y, quarter.width, quarter.height));

    // Times that lie between the ruler's pixels: what the user typed stays exact where the user
    // does not drag, and every time is one the fields show (hundredths).
    Type(CClipEditDlg::IDC_CLIP_END, "0:02.57");
    Type(CClipEditDlg::IDC_CLIP_START, "0:01.03");
    const auto shown = [](const ClipTimes& clip) { return clip.start % 10 == 0 && clip.end % 10 == 0; };

    // The user drags the whole clip 44 pixels to the right (a tenth of the ruler is 400 ms): the
    // length stays 1.54 s exactly.
    test::Drag(m_clip, OnMarker(50), OnMarker(50 + units.PixelX(44)));
    ClipTimes moved = m_clip->GetClip();
    EXPECT_NEAR(moved.start, 1434, 10);
    EXPECT_EQ(moved.end - moved.start, 1540);
    EXPECT_TRUE(shown(moved));
    EXPECT_EQ(start->GetTime(), moved.start);
    EXPECT_EQ(end->GetTime(), moved.end);
    EXPECT_FALSE(Marker()->HasCapture());

    // Its right edge 22 pixels further: only the end moves, the start keeps its exact time.
    const int width = Marker()->GetSize().GetWidth();
    test::Drag(m_clip, OnMarker(width - 2), OnMarker(width - 2 + units.PixelX(22)));
    ClipTimes longer = m_clip->GetClip();
    EXPECT_EQ(longer.start, moved.start);
    EXPECT_NEAR(longer.end, moved.end + 200, 10);
    EXPECT_TRUE(shown(longer));
    EXPECT_EQ(end->GetTime(), longer.end);

    // Its left edge 22 pixels back: only the start moves, the end keeps its exact time.
    test::Drag(m_clip, OnMarker(1), OnMarker(1 - units.PixelX(22)));
    ClipTimes earlier = m_clip->GetClip();
    EXPECT_NEAR(earlier.start, moved.start - 200, 10);
    EXPECT_EQ(earlier.end, longer.end);
    EXPECT_TRUE(shown(earlier));
    EXPECT_EQ(start->GetTime(), earlier.start);
    EXPECT_EQ(Time(CClipEditDlg::IDC_CLIP_LENGTH)->GetValue(), FormatTime(earlier.end - earlier.start, 2).value_or(""));

    // A drag let go far outside the window holds the clip at the ruler's end and frees the mouse:
    // the next click on a track row is not lost.
    const wxPoint outside = m_clip->ScreenToClient(m_editor->frame->GetScreenRect().GetBottomRight() + wxPoint(60, 20));
    test::Drag(m_clip, OnMarker(50), outside);
    EXPECT_EQ(m_clip->GetClip().end, 4000);
    EXPECT_EQ(Marker()->GetRect().GetRight() + 1, units.PixelX(210 + 436));
    EXPECT_FALSE(Marker()->HasCapture());
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(MelodiesPageTest, InArabicTheTimeLineRunsRightToLeftAndTheMarkerFollowsThePointer)
{
    Connect("CX70", {}, "\"Language\"=dword:00000401\n");
    ASSERT_EQ(m_clip->GetLayoutDirection(), wxLayout_RightToLeft);
    ASSERT_TRUE(Open(kScale));
    Type(CClipEditDlg::IDC_CLIP_END, "0:02.00");
    Type(CClipEditDlg::IDC_CLIP_START, "0:01.00");
    ASSERT_EQ(m_clip->GetClip(), (ClipTimes{1000, 2000}));

    // Where the marker shows, found in the picture of the window (the toolkit mirrors it): the run of
    // blue on its row nearest to where its window is placed (a focused field on that row is blue too).
    const wxPoint frame = m_editor->frame->GetScreenPosition();
    const int row = Marker()->GetScreenPosition().y - frame.y + Marker()->GetSize().GetHeight() / 2;
    const int width = Marker()->GetSize().GetWidth();
    const auto placed = [&] {
        gint x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(Marker()->GetHandle()), &x, &y);
        return x - frame.x;
    };
    auto seen = [&] {
        const wxImage shot = test::ScreenImage(m_editor->frame);
        const auto blue = [&](int x) {
            return shot.GetBlue(x, row) > 200 && shot.GetRed(x, row) > 120 && shot.GetRed(x, row) < 190;
        };
        const int near = placed();
        std::pair<int, int> span{-1, -1};
        for (int x = 0; x < shot.GetWidth(); ++x) {
            if (!blue(x))
                continue;
            const int start = x;
            while (x + 1 < shot.GetWidth() && blue(x + 1))
                ++x;
            if (span.first < 0 || std::abs(start - near) < std::abs(span.first - near))
                span = {start, x};
        }
        return span;
    };
    // The marker of the typed clip (a second, a quarter of the ruler) once the screen shows it where
    // the toolkit has placed its window: not an earlier paint, of a longer clip or another layout.
    std::pair<int, int> before;
    ASSERT_TRUE(test::DispatchUntil([&] {
        before = seen();
        const int span = before.second - before.first;
        return span > width * 3 / 4 && span <= width && std::abs(before.first - placed()) < width / 4;
    })) << before.first
        << ".." << before.second << ", placed at " << placed();
    // The second second of four lies in the right half of the window: time 0 is at the ruler's right end.
    EXPECT_GT(before.first, m_editor->frame->GetClientSize().GetWidth() / 4);
    const double msPerPixel = 1000.0 / width;

    // The user drags the middle of the marker 44 pixels to the right: the marker goes with the
    // pointer, and the clip moves towards the start, by as much as 44 of the ruler's pixels mean.
    wxUIActionSimulator pointer;
    const wxPoint from = frame + wxPoint((before.first + before.second) / 2, row);
    pointer.MouseMove(from);
    test::DispatchPending();
    pointer.MouseDown();
    test::DispatchPending();
    for (int step = 1; step <= 8; ++step) {
        pointer.MouseMove(from + wxPoint(44 * step / 8, 0));
        test::DispatchPending();
    }
    pointer.MouseUp();
    test::DispatchPending();
    const ClipTimes moved = m_clip->GetClip();
    EXPECT_NEAR(moved.start, 1000 - 44 * msPerPixel, 10);
    EXPECT_EQ(moved.end - moved.start, 1000);
    EXPECT_TRUE(test::DispatchUntil([&] { return seen().first == before.first + 44; }))
        << seen().first << " (was " << before.first << ")";
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

// The title and direction of the file dialog that opens on the button (closed with Cancel).
std::pair<std::string, GtkTextDirection> FileDialogOn(wxWindow* button)
{
    std::pair<std::string, GtkTextDirection> seen{"(no dialog)", GTK_TEXT_DIR_NONE};
    test::ModalReader reader(GTK_TYPE_FILE_CHOOSER_DIALOG, GTK_RESPONSE_CANCEL, [&](GtkDialog* dialog) {
        seen = {gtk_window_get_title(GTK_WINDOW(dialog)), gtk_widget_get_direction(GTK_WIDGET(dialog))};
    });
    test::ClickButtonWithMouse(button);
    test::DispatchUntil([&] { return reader.Found(); }, 10000);
    return seen;
}

TEST_F(MelodiesPageTest, TheSaveDialogIsTitledInTheEditorsLanguage)
{
    Connect("CX70", {}, "\"Language\"=dword:00000407\n");
    ASSERT_TRUE(Open(kScale));
    const auto [title, direction] = FileDialogOn(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS));
    EXPECT_EQ(title, "Speichern unter");
    EXPECT_EQ(direction, GTK_TEXT_DIR_LTR);
}

TEST_F(MelodiesPageTest, InArabicTheFileDialogsAndTheListsRunRightToLeft)
{
    Connect("CX70", {"--seed-ringtones"}, "\"Language\"=dword:00000401\n");
    ASSERT_TRUE(Open(kMidiCorpus / "test-multichannel-chords-0.mid"));
    EXPECT_EQ(FileDialogOn(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS)).second, GTK_TEXT_DIR_RTL);
    EXPECT_EQ(FileDialogOn(m_clip->GetDlgItem(CClipEditDlg::IDC_OPEN)).second, GTK_TEXT_DIR_RTL);
    // Track (with the icon) is the first column, so it stands right of Channel.
    auto* tracks = GTK_TREE_VIEW(Tracks()->GtkGetTreeView());
    ASSERT_TRUE(
        test::DispatchUntil([&] { return gtk_tree_view_column_get_width(gtk_tree_view_get_column(tracks, 0)) > 1; }));
    EXPECT_GT(gtk_tree_view_column_get_x_offset(gtk_tree_view_get_column(tracks, 0)),
              gtk_tree_view_column_get_x_offset(gtk_tree_view_get_column(tracks, 1)));
    EXPECT_EQ(gtk_widget_get_direction(GTK_WIDGET(tracks)), GTK_TEXT_DIR_RTL);
    auto* tones = m_dlg->GetTonesMobileDlg()->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    EXPECT_EQ(gtk_widget_get_direction(GTK_WIDGET(tones->GtkGetTreeView())), GTK_TEXT_DIR_RTL);
}

TEST_F(MelodiesPageTest, TheMarkerIsAsWideAsTheClipAndADragEndsWhenTheMouseIsTakenAway)
{
    Connect("CX70");
    ASSERT_TRUE(Open(kScale));
    Type(CClipEditDlg::IDC_CLIP_END, "0:04.00");
    Type(CClipEditDlg::IDC_CLIP_START, "0:00.00");
    // The whole 4 s file: the marker spans the whole ruler.
    const DialogUnits& units = m_clip->Units();
    const PixelRect whole = units.Pixels(210, 232, 436, 16);
    EXPECT_EQ(Marker()->GetRect(), wxRect(whole.x, whole.y, whole.width, whole.height));
    // What the user sees: the marker's picture over its whole width, not the ruler below it. The
    // toolkit paints on its own frame clock, so the screen is read until the paint has arrived.
    const wxImage picture = LoadImageBitmap(4532).ConvertToImage();
    ASSERT_TRUE(picture.IsOk());
    const wxImage expected = picture.Scale(whole.width, whole.height, wxIMAGE_QUALITY_NORMAL);
    const auto differences = [&](const wxImage& image) {
        std::vector<std::string> wrong;
        for (int x : {units.PixelX(3), units.PixelX(60), units.PixelX(218), units.PixelX(380), units.PixelX(432)})
            for (int y : {4, 8, 12}) {
                const int difference = std::abs(image.GetRed(x, y) - expected.GetRed(x, y)) +
                                       std::abs(image.GetGreen(x, y) - expected.GetGreen(x, y)) +
                                       std::abs(image.GetBlue(x, y) - expected.GetBlue(x, y));
                if (difference >= 40)
                    wrong.push_back(std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(difference));
            }
        return wrong;
    };
    wxImage image;
    test::DispatchUntil([&] {
        image = test::ScreenImage(Marker());
        return image.GetWidth() == whole.width && differences(image).empty();
    });
    ASSERT_EQ(image.GetWidth(), whole.width);
    EXPECT_EQ(differences(image), std::vector<std::string>{});

    // The system takes the mouse away in the middle of a drag (as a popup does): the drag ends there.
    test::MoveTo(m_clip, OnMarker(200));
    wxUIActionSimulator().MouseDown();
    ASSERT_TRUE(test::DispatchUntil([&] { return Marker()->HasCapture(); }));
    wxMouseCaptureLostEvent lost(Marker()->GetId());
    lost.SetEventObject(Marker());
    Marker()->GetEventHandler()->ProcessEvent(lost);
    EXPECT_FALSE(Marker()->HasCapture());
    wxUIActionSimulator().MouseUp();
    test::DispatchPending();
    const ClipTimes before = m_clip->GetClip();
    test::MoveTo(m_clip, OnMarker(260));
    EXPECT_EQ(m_clip->GetClip(), before) << "the marker still follows the mouse";
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(MelodiesPageTest, SaveAsWritesAClipTheEngineReadsAndAnEmptyClipGives4590)
{
    Connect("CX70");
    ASSERT_TRUE(Open(kScale));
    const fs::path saved = m_folder.Path() / "clip.mid";
    SetFileChoosers(nullptr, [&](wxWindow*, const std::string&, const std::string&) { return saved.string(); });
    Type(CClipEditDlg::IDC_CLIP_END, "0:01.60");
    ASSERT_TRUE(test::ClickButtonWithMouse(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS)));
    ASSERT_TRUE(fs::exists(saved)) << ::testing::PrintToString(Texts());
    EXPECT_TRUE(m_clip->GetSaved());
    EXPECT_EQ(m_page->CloseOk(), 1);
    CMidiFile check;
    ASSERT_EQ(check.Load(saved.string()), 0);
    // Notes at 0, 0.5, 1 and 1.5 s lie in 0 .. 1.6 s.
    EXPECT_EQ(check.GetAllNoteOnTimes().size(), 4u);

    // A clip between the notes has none.
    Type(CClipEditDlg::IDC_CLIP_END, "0:01.40");
    Type(CClipEditDlg::IDC_CLIP_START, "0:01.10");
    m_ui.m_boxes.clear();
    ASSERT_TRUE(test::ClickButtonWithMouse(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS)));
    ASSERT_FALSE(m_ui.m_boxes.empty());
    EXPECT_EQ(m_ui.m_boxes.back().text, "There are no notes in the selected clip.");

    // A clip of nearly a whole one-track file with running status does not fit the writer's room
    // (each note-off gains its status byte): the user hears that it is too long, and how long a
    // clip from that start can be.
    std::string events = test::Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x50});
    for (int i = 0; i < 1200; ++i)
        events += test::Bytes({0x83, 0x60, 0x3C, 0x00, 0x00, 0x3C, 0x50}); // a beat, note off, the next note
    const fs::path long10 = m_folder.Write("ten-minutes.mid", test::Smf(0, 480, {events + test::kEnd}));
    ASSERT_TRUE(Open(long10));
    fs::remove(saved);
    Type(CClipEditDlg::IDC_CLIP_END, "10:00.00");
    m_ui.m_boxes.clear();
    ASSERT_TRUE(test::ClickButtonWithMouse(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS)));
    ASSERT_EQ(Texts().size(), 1u);
    const std::string tooLong =
        "The clip is too long to be written. From its start, a clip of this selection can be at most ";
    ASSERT_EQ(Texts()[0].substr(0, tooLong.size()), tooLong) << Texts()[0];
    const std::int32_t longest =
        ParseTimeText(Texts()[0].substr(tooLong.size(), Texts()[0].size() - tooLong.size() - 6), 2);
    EXPECT_GT(longest, 60000) << Texts()[0];
    EXPECT_LT(longest, 600000);
    EXPECT_FALSE(fs::exists(saved));
    // A clip of that length can be saved.
    Type(CClipEditDlg::IDC_CLIP_END, *FormatTime(longest, 2));
    ASSERT_TRUE(test::ClickButtonWithMouse(m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS)));
    EXPECT_TRUE(fs::exists(saved)) << ::testing::PrintToString(Texts());
}

TEST_F(MelodiesPageTest, TransmittingInFolderModePutsTheClipOnThePhoneAndAsksBeforeReplacingIt)
{
    Connect("CX70");
    // The phone holds the clip's bytes and the user is told of the success.
    ASSERT_TRUE(m_clip->OpenFile(kScale.string()));
    m_page->SetDestination("scale.mid");
    m_clip->WriteToPhone();
    const fs::path onPhone = m_editor->phone->Files() / "Ringtones" / "scale.mid";
    ASSERT_TRUE(fs::exists(onPhone)) << ::testing::PrintToString(Texts());
    EXPECT_EQ(ReadFile(onPhone), ReadFile(m_clip->GetMidiFile()->GetTempPrefix() + "rtclip.mid"));
    EXPECT_EQ(m_ui.m_boxes.back().text, kTransferDone);
    EXPECT_EQ(m_dlg->GetIndexForName("scale.mid"), static_cast<int>(m_dlg->GetRtFileList()->size()) - 1);
    auto* tones = m_dlg->GetTonesMobileDlg()->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    EXPECT_EQ(tones->GetItemText(tones->GetItemCount() - 1), "  scale.mid");
    auto* combo = m_page->Item<wxComboBox>(CMelodiesDlg::IDC_COMBO_TONEFILE);
    EXPECT_NE(combo->FindString("scale.mid"), wxNOT_FOUND);

    // The same name again: "No" leaves the phone's file alone.
    const std::string first = ReadFile(onPhone);
    Type(CClipEditDlg::IDC_CLIP_END, "0:02.00");
    m_ui.m_boxes.clear();
    m_ui.QueueAnswer(IDNO);
    m_clip->WriteToPhone();
    ASSERT_EQ(m_ui.m_boxes.size(), 1u);
    EXPECT_NE(m_ui.m_boxes[0].text.find("\"scale.mid\""), std::string::npos);
    EXPECT_EQ(ReadFile(onPhone), first);

    // A write-protected file is unprotected, deleted and written anew on "Yes".
    ::chmod(onPhone.c_str(), 0444);
    (*m_dlg->GetRtFileInfoList()).back()->dwAttributes = 0x21;
    m_ui.m_boxes.clear();
    m_ui.QueueAnswer(IDYES);
    m_clip->WriteToPhone();
    EXPECT_NE(m_ui.m_boxes[0].text.find("write-protected"), std::string::npos);
    EXPECT_EQ(m_ui.m_boxes.back().text, kTransferDone);
    EXPECT_NE(ReadFile(onPhone), first);
}

TEST_F(MelodiesPageTest, CancellingTheTransferGives526AndLeavesNoFileOnThePhone)
{
    auto recording = std::make_shared<CRecordingProgressDlg>();
    recording->CancelAfterPositions(0);
    CServiceFactory::Instance().RegisterImplementation("CancellingProgress", [recording] { return recording; });
    Connect("CX70", {}, ProgressWindow("CancellingProgress"));
    ASSERT_TRUE(m_clip->OpenFile((kMidiCorpus / "test-all-gm-sounds.mid").string()));
    m_page->SetDestination("cancelled.mid");
    m_clip->WriteToPhone();
    EXPECT_EQ(m_ui.m_boxes.back().text, "Transferring of file/clip to the phone unsuccessful.");
    EXPECT_FALSE(fs::exists(m_editor->phone->Files() / "Ringtones" / "cancelled.mid"));
    for (const std::string& name : test::AllNames(m_editor->phone->Files() / "Ringtones"))
        EXPECT_EQ(name.find("cancelled"), std::string::npos) << name;
    CServiceFactory::Instance().UnregisterImplementation("CancellingProgress");
}

// A progress window that pulls the phone's cable once the transfer is under way, as a user might:
// the phone is gone and the host reports it, while the transfer still runs. Like the window on the
// screen it lets the editor handle its events at each step.
class UnpluggingProgress : public CRecordingProgressDlg {
public:
    std::function<void()> unplug;
    HRESULT SetPos(std::int32_t pos) override
    {
        if (pos > 0 && unplug)
            std::exchange(unplug, nullptr)();
        test::DispatchPending();
        return CRecordingProgressDlg::SetPos(pos);
    }
};

TEST_F(MelodiesPageTest, UnpluggingDuringATransmitTellsTheFailedTransferFirstAndLeavesNothingOnThePhone)
{
    auto progress = std::make_shared<UnpluggingProgress>();
    CServiceFactory::Instance().RegisterImplementation("UnpluggingProgress", [progress] { return progress; });
    // Over the line, as a real phone: a large file, so the transfer takes many packets.
    Connect("CX70", {}, "\"VolumeRoot\"=\"\"\n" + ProgressWindow("UnpluggingProgress"));
    ASSERT_TRUE(Open(kMidiCorpus / "test-all-gm-sounds.mid"));
    Type(CClipEditDlg::IDC_CLIP_END, "5:00.00");
    m_page->SetDestination("unplugged.mid");
    progress->unplug = [this] {
        m_editor->phone->Stop();
        test::PostPhone(m_dlg, "", "");
    };
    ASSERT_TRUE(test::ClickButtonWithMouse(m_page->GetDlgItem(CMelodiesDlg::IDC_BUTTON_WRITE)));
    ASSERT_TRUE(test::DispatchUntil([&] {
        return Told("Please connect the phone whose ringtone you want to change.");
    })) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Transferring of file/clip to the phone unsuccessful.",
                                                 "Please connect the phone whose ringtone you want to change."}));
    for (const auto& entry : fs::recursive_directory_iterator(m_editor->phone->Files()))
        EXPECT_EQ(entry.path().filename().string().find("unplugged"), std::string::npos) << entry.path();
    CServiceFactory::Instance().UnregisterImplementation("UnpluggingProgress");
}

TEST_F(MelodiesPageTest, APhoneThatDropsTheLineMidTransferGives526)
{
    Connect("ME45", {"--drop-after", "16", "--reopen"}, ProgressWindow("RecordingProgressWindow"));
    ASSERT_TRUE(m_clip->OpenFile((kMidiCorpus / "test-all-gm-sounds.mid").string()));
    // The whole file: many chunks, so the line drops in the middle of the upload.
    Type(CClipEditDlg::IDC_CLIP_END, "5:00.00");
    m_clip->WriteToPhone();
    EXPECT_EQ(m_ui.m_boxes.back().text, "Transferring of file/clip to the phone unsuccessful.");
    EXPECT_FALSE(fs::exists(m_editor->phone->State() / "usertones" / "4.mid"));
}

TEST_F(MelodiesPageTest, ClickingARowStopsPlayingOnThePC)
{
    Connect("CX70", {}, PlayIntoWav());
    ASSERT_TRUE(Open(kMidiCorpus / "test-multichannel-chords-0.mid"));
    CPlayOnPcSubDlg& player = m_clip->GetPlayer();
    ASSERT_TRUE(test::ClickButtonWithMouse(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)));
    ASSERT_TRUE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled()) << "the clip did not start playing";
    ClickTrackRow(1);
    ASSERT_TRUE(test::DispatchUntil([&] { return m_clip->GetCurrentRow() == 1; }));
    EXPECT_EQ(Tracks()->GetSelectedRow(), 1);
    EXPECT_EQ(Tracks()->GetItemImage(1), 1);
    EXPECT_EQ(Tracks()->GetItemImage(0), 0);
    EXPECT_TRUE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    EXPECT_FALSE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled());
    EXPECT_EQ(player.Status(MCI_STATUS_LENGTH), 0u); // the device is closed
}

TEST_F(MelodiesPageTest, PlayWithoutASoundOutputSaysWhyOnceAndThePanelStaysStopped)
{
    Connect("CX70", {}, "\"AudioDriver\"=\"no-such-driver\"\n");
    ASSERT_TRUE(Open(kScale));
    CPlayOnPcSubDlg& player = m_clip->GetPlayer();
    ASSERT_TRUE(test::ClickButtonWithMouse(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)));
    ASSERT_EQ(Texts().size(), 1u) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Texts()[0],
              "The melody cannot be played on this PC: no sound output could be opened (tried: no-such-driver). "
              "Check that a sound card or sound server is available, or name another audio driver in the "
              "registry value \"AudioDriver\".");
    EXPECT_TRUE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY)->IsEnabled());
    EXPECT_FALSE(player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP)->IsEnabled());
}

TEST_F(MelodiesPageTest, EnterPressesTheFocusedButtonAndTheFocusStaysOnThePlayPanelAndUpdate)
{
    Connect("CX70", {}, PlayIntoWav());
    const fs::path scale = kScale;
    SetFileChoosers([&](wxWindow*, const std::string&, const std::string&) { return scale.string(); }, nullptr);
    auto pressEnterOn = [](wxWindow* control) {
        control->SetFocus();
        test::DispatchUntil([control] { return wxWindow::FindFocus() == control; });
        test::Press(WXK_RETURN);
    };
    pressEnterOn(m_clip->GetDlgItem(CClipEditDlg::IDC_OPEN));
    ASSERT_TRUE(test::DispatchUntil([&] { return m_clip->GetMidiFile() != nullptr; }));

    // Play and Stop hand the focus to each other, so Enter, Enter plays and stops.
    CPlayOnPcSubDlg& player = m_clip->GetPlayer();
    wxWindow* play = player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY);
    wxWindow* stop = player.GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP);
    // The enabled Play shows its green triangle in full, not a pale outline.
    const wxImage shown = test::ScreenImage(play);
    int green = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 0; x < shown.GetWidth(); ++x)
            green += shown.GetGreen(x, y) > shown.GetRed(x, y) + 60;
    EXPECT_GT(green, 20);
    pressEnterOn(play);
    ASSERT_TRUE(test::DispatchUntil([&] { return stop->IsEnabled() && wxWindow::FindFocus() == stop; }));
    test::Press(WXK_RETURN);
    ASSERT_TRUE(test::DispatchUntil([&] { return play->IsEnabled() && wxWindow::FindFocus() == play; }));
    EXPECT_FALSE(stop->IsEnabled());

    // Update is disabled while it reads the phone out, and has the focus again afterwards.
    wxWindow* update = m_dlg->GetDlgItem(CRingingtoneDlg::IDC_BUTTON_READ);
    int pressed = 0;
    update->Bind(wxEVT_BUTTON, [&pressed](wxCommandEvent& event) { ++pressed, event.Skip(); });
    pressEnterOn(update);
    ASSERT_TRUE(
        test::DispatchUntil([&] { return pressed == 1 && !m_dlg->IsReadOutRunning() && update->IsEnabled(); }, 15000));
    EXPECT_TRUE(test::DispatchUntil([&] { return wxWindow::FindFocus() == update; }));

    // Enter in a field that is no button never closes the editor.
    pressEnterOn(m_page->GetDlgItem(CMelodiesDlg::IDC_COMBO_TONEFILE));
    test::DispatchPending();
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(pressed, 1);
}

TEST_F(MelodiesPageTest, DisabledTransmitAndTheSlotChooserShowTheirTooltipsUnderThePointer)
{
    Connect("ME45");
    ASSERT_TRUE(Open(kMidiCorpus / "test-multichannel-chords-0.mid"));
    // The all row of a phone that takes no multi-channel melodies: Transmit is disabled and says why.
    ClickTrackRow(3);
    ASSERT_TRUE(test::DispatchUntil([&] { return m_clip->IsAllRow(); }));
    wxWindow* write = m_page->GetDlgItem(CMelodiesDlg::IDC_BUTTON_WRITE);
    ASSERT_FALSE(write->IsEnabled());
    test::MoveTo(write, wxPoint(write->GetClientSize().GetWidth() / 2, write->GetClientSize().GetHeight() / 2));
    const std::string why = "The clip can only be transferred to connected mobiles whose data has been read out"
                            " that support polyphonic ringtones.";
    EXPECT_TRUE(test::DispatchUntil([&] { return test::ShownToolTip() == why; })) << test::ShownToolTip();

    wxWindow* slots = m_page->GetDlgItem(CMelodiesDlg::IDC_COMBO_USERDEF);
    ASSERT_TRUE(slots->IsShown());
    slots->Disable();
    test::MoveTo(slots, wxPoint(slots->GetClientSize().GetWidth() / 2, slots->GetClientSize().GetHeight() / 2));
    EXPECT_TRUE(test::DispatchUntil([&] { return test::ShownToolTip() == "Ringtone selected"; }))
        << test::ShownToolTip();
}

TEST_F(MelodiesPageTest, AScreenReaderReadsTheIconButtonsTheRowsOfBothListsAndWholeColumnTitles)
{
    Connect("CX70", {"--seed-ringtones"});
    ASSERT_TRUE(Open(kMidiCorpus / "test-multichannel-chords-0.mid"));
    CTonesMobileDlg* tones = m_dlg->GetTonesMobileDlg();
    const std::pair<wxWindow*, const char*> buttons[] = {
        {m_clip->GetDlgItem(CClipEditDlg::IDC_OPEN), "Open ..."},
        {m_clip->GetDlgItem(CClipEditDlg::IDC_SAVE_AS), "Save as ..."},
        {m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_PLAY), "Playback"},
        {m_clip->GetPlayer().GetDlgItem(CPlayOnPcSubDlg::IDC_BUTTON_STOP), "Stop"},
        {m_page->GetPlaySubDlg().GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_PLAY), "Playback"},
        {m_page->GetPlaySubDlg().GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_STOP), "Stop"},
        {tones->GetPlaySubDlg().GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_PLAY), "Playback"},
        {tones->GetPlaySubDlg().GetDlgItem(CPlayOnMobileSubDlg::IDC_BUTTON_STOP), "Stop"},
    };
    for (const auto& [button, name] : buttons) {
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(test::AccessibleName(test::Accessible(button)), name);
        EXPECT_EQ(button->GetToolTipText(), name);
    }
    // The time fields and the volume bar are named, not just "edit" and "slider".
    const std::pair<wxWindow*, const char*> named[] = {
        {m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_START), "Clip start"},
        {m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_END), "Clip end"},
        {m_clip->GetDlgItem(CClipEditDlg::IDC_CLIP_LENGTH), "Length of clip"},
        {m_clip->GetDlgItem(CClipEditDlg::IDC_TRACK_LENGTH), "Track length"},
        {m_clip->GetDlgItem(CClipEditDlg::IDC_FILE_LENGTH), "Length"},
        {tones->GetDlgItem(CTonesMobileDlg::IDC_SLIDER_VOLUME), "Volume"},
    };
    for (const auto& [control, name] : named)
        EXPECT_EQ(test::AccessibleName(test::Accessible(control)), name);

    // Every row of both lists is there for the screen reader, with the texts the user sees.
    auto cellNames = [](wxWindow* list) {
        std::set<std::string> names;
        for (const test::AccessibleNode& node : test::AccessibleDescendants(test::Accessible(list)))
            if (node.role == ATK_ROLE_TABLE_CELL && !node.name.empty())
                names.insert(node.name);
        return names;
    };
    const auto tracks = cellNames(Tracks());
    ASSERT_EQ(Tracks()->GetItemCount(), 4);
    for (int row = 0; row < Tracks()->GetItemCount(); ++row)
        for (int column = 0; column < 2; ++column)
            EXPECT_TRUE(tracks.count(Tracks()->GetItemText(row, column).utf8_string())) << row << " " << column;
    auto* list = tones->Item<CListCtrl>(CTonesMobileDlg::IDC_LIST_TONES);
    ASSERT_GE(list->GetItemCount(), 2);
    const auto rows = cellNames(list);
    for (int row = 0; row < list->GetItemCount(); ++row)
        EXPECT_TRUE(rows.count(list->GetItemText(row).utf8_string())) << row;

    // The track list's column titles are shown whole.
    const auto widths = test::HeaderTitleWidths(Tracks());
    ASSERT_EQ(widths.size(), 2u);
    for (const auto& [needed, given] : widths)
        EXPECT_LE(needed, given);
}

TEST_F(MelodiesPageTest, TabGoesThroughTheClipEditorInReadingOrderBeforeTheDestination)
{
    Connect("CX70");
    ASSERT_TRUE(Open(kScale));
    m_clip->GetDlgItem(CClipEditDlg::IDC_OPEN)->SetFocus();
    std::vector<int> reached;
    // A control the keyboard reaches is one the user sees: shown, and inside every window around it.
    auto seen = [](wxWindow* control) {
        const wxRect rect = control->GetScreenRect();
        for (wxWindow* around = control->GetParent(); around && !around->IsTopLevel(); around = around->GetParent())
            if (!wxRect(around->GetScreenPosition(), around->GetClientSize()).Intersects(rect))
                return false;
        return control->IsShownOnScreen();
    };
    for (wxWindow* focus : test::TabThrough(40, [&](wxWindow* focus) {
             EXPECT_TRUE(seen(focus)) << "the focus is on control " << focus->GetId() << ", which nobody sees";
         }))
        reached.push_back(focus->GetId());
    EXPECT_TRUE(test::ReachedInOrder(reached, {CClipEditDlg::IDC_OPEN, CClipEditDlg::IDC_SAVE_AS,
                                               CClipEditDlg::IDC_FILE, CClipEditDlg::IDC_TRACK_LIST,
                                               CClipEditDlg::IDC_CLIP_START, CClipEditDlg::IDC_CLIP_END,
                                               CMelodiesDlg::IDC_BUTTON_WRITE, CMelodiesDlg::IDC_COMBO_TONEFILE}));
}

} // namespace
} // namespace corvina::test
