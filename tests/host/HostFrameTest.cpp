// The host's window on a display: it holds the whole editor and never shrinks below it.
#include "CHostFrame.h"
#include "EditorWithPhone.h"
#include "FakeUi.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

TEST(HostFrame, TheWindowHoldsTheWholeEditorAndCannotShrinkBelowIt)
{
    test::FakeUi ui;
    auto* frame = new CHostFrame();
    frame->Show();
    const wxSize editor = frame->Editor()->GetSize();
    EXPECT_EQ(frame->GetClientSize(), editor);
    // What a window manager asks when the user drags the window's corner inwards.
    frame->SetClientSize(editor.GetWidth() / 2, editor.GetHeight() / 2);
    test::DispatchPending();
    EXPECT_GE(frame->GetClientSize().GetWidth(), editor.GetWidth());
    EXPECT_GE(frame->GetClientSize().GetHeight(), editor.GetHeight());
    frame->Destroy();
    test::DispatchPending();
}

} // namespace
} // namespace corvina
