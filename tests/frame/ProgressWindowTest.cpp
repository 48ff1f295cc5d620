// The transfer's progress window on the desktop, created through the service factory.
#include "CServiceFactory.h"
#include "CRegistryHelper.h"
#include "GuiTestMain.h"
#include "IProgressDlg.h"
#include "ServiceClassIds.h"

#include <gtest/gtest.h>

#include <wx/progdlg.h>
#include <wx/toplevel.h>

namespace corvina {
namespace {

TEST(ProgressWindow, TheFactoryMakesTheDesktopWindowThatShowsProgressAndClosesWithoutCancel)
{
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n\n"
                                  "[HKEY_CLASSES_ROOT\\CLSID\\{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}\\Corvina]\n"
                                  "\"Implementation\"=\"ProgressWindow\"\n");
    wxFrame* frame = test::NewTestFrame();
    std::shared_ptr<IProgressDlg> progress;
    ASSERT_EQ(CServiceFactory::Instance().CreateInstance(CLSID_ProgressDlg, progress), S_OK);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->SetTitle("Melody is transmitted ..."), S_OK);
    EXPECT_EQ(progress->SetRange(0, 100), S_OK);
    EXPECT_EQ(progress->SetOption(1), S_OK);
    EXPECT_EQ(progress->SetPos(0), S_OK);
    EXPECT_EQ(progress->SetLine("Transmit file: /tmp/rtclip.mid"), S_OK);
    EXPECT_EQ(progress->Show(), S_OK);

    // The window is on the screen with the title and line it was given.
    wxProgressDialog* shown = nullptr;
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<wxProgressDialog*>(window))
            shown = dialog;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetTitle(), "Melody is transmitted ...");
    EXPECT_EQ(shown->GetMessage(), "Transmit file: /tmp/rtclip.mid");

    EXPECT_EQ(progress->SetPos(50), S_OK);
    EXPECT_EQ(shown->GetValue(), 50);
    std::int32_t cancelled = -1;
    EXPECT_EQ(progress->HasUserCancelled(&cancelled), S_OK);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(progress->HasUserCancelled(nullptr), E_POINTER);
    EXPECT_EQ(progress->Close(), S_OK);
    progress.reset();
    frame->Destroy();
    test::DispatchPending();
    Registry::Instance().LoadText("");
}

} // namespace
} // namespace corvina
