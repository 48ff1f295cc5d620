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
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace corvina::test {

namespace fs = std::filesystem;

inline const std::string kTransferDone = "The file or the clip were successfully transferred to the mobile phone.";

class MelodiesPageTest : public test::EditorTest {
protected:
    void TearDown() override { SetFileChoosers(nullptr, nullptr); }

    void OnConnected() override
    {
        m_page = m_dlg->GetMelodiesDlg();
        m_clip = &m_page->GetClipEditDlg();
        m_dlg->SetSheetCurSel(1);
        test::DispatchPending();
    }
    // A time field of the clip editor (IDC_CLIP_START, IDC_CLIP_END, IDC_CLIP_LENGTH).
    CTimeEdit* Time(int id) { return dynamic_cast<CTimeEdit*>(m_clip->GetDlgItem(id)); }
    // The user clicks into the field, types the time over what it holds and leaves it with Tab: the
    // time becomes the field's value and is reported.
    void Type(int id, const std::string& text)
    {
        CTimeEdit* field = Time(id);
        ASSERT_NE(field, nullptr) << id;
        ASSERT_TRUE(test::TypeOver(field, text)) << id << " shows " << field->GetValue();
        test::Press(WXK_TAB);
        ASSERT_TRUE(test::DispatchUntil([field] { return !field->HasFocus(); })) << id;
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
    CListCtrl* Tracks() { return m_clip->Item<CListCtrl>(CClipEditDlg::IDC_TRACK_LIST); }
    wxWindow* Marker() { return m_clip->GetDlgItem(CClipEditDlg::IDC_MARKER); }
    // A point of the marker, x pixels from its left edge, in the clip editor's client pixels.
    wxPoint OnMarker(int x) { return Marker()->GetPosition() + wxPoint(x, 8); }
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
