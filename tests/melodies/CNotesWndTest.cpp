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

bool IsWhite(const wxImage& image, int x, int y)
{
    return image.GetRed(x, y) == 255 && image.GetGreen(x, y) == 255 && image.GetBlue(x, y) == 255;
}

bool IsBlack(const wxImage& image, int x, int y)
{
    return image.GetRed(x, y) == 0 && image.GetGreen(x, y) == 0 && image.GetBlue(x, y) == 0;
}

int BlackColumns(const wxImage& image, int y)
{
    int count = 0;
    for (int x = 0; x < image.GetWidth(); ++x)
        count += IsBlack(image, x, y) ? 1 : 0;
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
        ASSERT_TRUE(IsWhite(image, x, image.GetHeight() / 2)) << x;
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
            EXPECT_TRUE(IsBlack(image, x, y)) << x << "," << y;
        if (x > 0) {
            EXPECT_TRUE(IsWhite(image, x - 1, 0)) << x;
        }
        EXPECT_TRUE(IsWhite(image, x + 1, 0)) << x;
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
