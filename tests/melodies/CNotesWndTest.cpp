// The note view drawn into a bitmap: white without notes, a black stroke at each note time.
#include "CNotesWnd.h"
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <memory>

#include <wx/dcmemory.h>
#include <wx/image.h>

namespace corvina {
namespace {

wxImage Render(const CNotesWnd& view)
{
    const wxSize size = view.GetClientSize();
    wxBitmap bitmap(size.GetWidth(), size.GetHeight(), 24);
    {
        wxMemoryDC dc(bitmap);
        // Start from a colour the view never draws, so an unpainted pixel shows.
        dc.SetBackground(*wxRED_BRUSH);
        dc.Clear();
        view.Draw(dc, size);
    }
    return bitmap.ConvertToImage();
}

// The pixel's level of grey (0 black, 255 white); -1 for a colour.
int Grey(const wxImage& image, int x, int y)
{
    const int red = image.GetRed(x, y);
    return image.GetGreen(x, y) == red && image.GetBlue(x, y) == red ? red : -1;
}

int BlackColumns(const wxImage& image, int y)
{
    int count = 0;
    for (int x = 0; x < image.GetWidth(); ++x)
        count += Grey(image, x, y) == 0 ? 1 : 0;
    return count;
}

} // namespace

TEST(CNotesWnd, ShowsOnlyWhiteWithoutNotesAndAStrokeAtEachNoteTime)
{
    wxFrame* frame = test::NewTestFrame();
    auto* view = new CNotesWnd(frame, CNotesWnd::kControlId, wxPoint(209, 215), wxSize(438, 10));
    test::DispatchPending();
    const int width = view->GetClientSize().GetWidth();
    EXPECT_EQ(view->GetWidth(), width);
    EXPECT_EQ(view->GetName(), "NotesWindow");

    wxImage image = Render(*view);
    for (int x = 0; x < image.GetWidth(); ++x)
        ASSERT_EQ(Grey(image, x, image.GetHeight() / 2), 255) << x;
    const std::vector<std::uint32_t> none;
    view->SetNotes(&none, 1000000);
    EXPECT_EQ(BlackColumns(Render(*view), 0), 0);

    // Times in microseconds over a total of one second; the list is the caller's, and may be gone
    // (another file opened) before the view paints.
    auto notes = std::make_unique<std::vector<std::uint32_t>>(std::vector<std::uint32_t>{0, 250000, 333333, 999999});
    view->SetNotes(notes.get(), 1000000);
    notes.reset();
    image = Render(*view);
    const int expected[] = {0, static_cast<int>(width * 0.25 + 0.5), static_cast<int>(width * 0.333333 + 0.5)};
    for (int x : expected) {
        for (int y = 0; y < image.GetHeight(); ++y)
            EXPECT_EQ(Grey(image, x, y), 0) << x << "," << y;
        if (x > 0) {
            EXPECT_EQ(Grey(image, x - 1, 0), 255) << x;
        }
        EXPECT_EQ(Grey(image, x + 1, 0), 255) << x;
    }
    // The last note lies at the width itself, just outside the client area.
    EXPECT_EQ(BlackColumns(image, image.GetHeight() - 1), 3);

    // The window paints the same way when shown.
    view->Refresh();
    view->Update();
    test::DispatchPending();
    frame->Destroy();
    test::DispatchPending();
}

} // namespace corvina
