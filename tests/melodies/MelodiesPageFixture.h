// The fixture of the Melodies page tests: an editor connected to a virtual phone with the page shown,
// and the moves of a user on it.
#pragma once

#include "CAtcHelperFunctions.h"
#include "CClipEditDlg.h"
#include "CListCtrl.h"
#include "CMelodiesDlg.h"
#include "CMidiFile.h"
#include "CNotesWnd.h"
#include "CPlayOnMobileSubDlg.h"
#include "CRecordingProgressDlg.h"
#include "CServiceFactory.h"
#include "CTimeEdit.h"
#include "CTonesMobileDlg.h"
#include "ButtonClicks.h"
#include "EditorTest.h"
#include "ImageLoader.h"
#include "MidiBytes.h"
#include "MelodyFileChoice.h"
#include "ModalReader.h"
#include "RealInput.h"
#include "TimeText.h"

#include "CAtLink.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace corvina::test {

namespace fs = std::filesystem;

// Types a time and leaves the field: the time becomes the field's value and is reported.
inline void Type(CTimeEdit* field, const char* text)
{
    field->ChangeValue(text);
    field->SetTime(field->ParseTime());
}

class MelodiesPageTest : public test::EditorTest {
protected:
    void TearDown() override { SetFileChoosers(nullptr, nullptr); }

    void Connect(const std::string& model, std::vector<std::string> extra = {}, const std::string& registry = {})
    {
        EditorTest::Connect(model, std::move(extra), registry);
        if (HasFatalFailure())
            return;
        m_page = m_dlg->GetMelodiesDlg();
        m_clip = &m_page->GetClipEditDlg();
        m_dlg->SetSheetCurSel(1);
        test::DispatchPending();
    }
    // Opens the file as the Open button does: the page's controls follow (the marker shows).
    bool Open(const fs::path& path)
    {
        const bool opened = m_clip->OpenFile(path.string());
        m_page->UpdateControls();
        test::DispatchPending();
        return opened;
    }
    // Opens the scale and transmits its clip as "scale.mid": the phone holds the clip's bytes and
    // the user is told of the success.
    void SendScale()
    {
        ASSERT_TRUE(m_clip->OpenFile(kScale.string()));
        m_page->SetDestination("scale.mid");
        m_clip->WriteToPhone();
        const fs::path onPhone = m_editor->phone->Files() / "Ringtones" / "scale.mid";
        ASSERT_TRUE(fs::exists(onPhone)) << ::testing::PrintToString(Texts());
        EXPECT_EQ(ReadFile(onPhone), ReadFile(m_clip->GetMidiFile()->GetTempPrefix() + "rtclip.mid"));
        EXPECT_EQ(m_ui.m_boxes.back().text, "The file or the clip were successfully transferred to the mobile phone.");
    }
    CListCtrl* Tracks() { return m_clip->Item<CListCtrl>(CClipEditDlg::IDC_TRACK_LIST); }
    wxWindow* Marker() { return m_clip->GetDlgItem(CClipEditDlg::IDC_MARKER); }
    // A point of the marker, x pixels from its left edge, in the clip editor's client pixels.
    wxPoint OnMarker(int x) { return m_clip->GetDlgItem(CClipEditDlg::IDC_MARKER)->GetPosition() + wxPoint(x, 8); }
    // The user clicks the middle of a row of the track list.
    void ClickTrackRow(int row)
    {
        const wxPoint point = test::RowPoint(Tracks(), row);
        ASSERT_NE(point.y, -1) << "row " << row << " is not on screen";
        test::Click(Tracks()->GetMainWindow(), point);
    }

    CMelodiesDlg* m_page = nullptr;
    CClipEditDlg* m_clip = nullptr;
};

} // namespace corvina::test
