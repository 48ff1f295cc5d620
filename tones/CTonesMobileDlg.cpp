// The tones page: it moves values between its controls and the page's rules (lines, tone list
// entries, volume scale, sound mode), and sends each change to the phone at once.
#include "CTonesMobileDlg.h"

#include "Accessibility.h"

#include "ReadOut.h"

#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "CGroupMgr.h"
#include "CListCtrl.h"
#include "IRingingtoneOwner.h"
#include "WindowOwner.h"
#include "ImageLoader.h"
#include "PhoneType.h"
#include "RingingLines.h"
#include "RtFileList.h"
#include "SoundMode.h"
#include "TonesPageRules.h"
#include "UiServices.h"
#include "VolumeScale.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

namespace corvina {

CTonesMobileDlg::CTonesMobileDlg() : CDialog(IDD), m_Resource(CResource::ForModule())
{
    SetVolDefaults();
    m_lSoundMode = kSoundModeDefault;
}

CTonesMobileDlg::~CTonesMobileDlg()
{
    // A tone still playing on the phone is stopped, and the sound mode put back, while the page
    // is whole.
    if (CPlayOnMobileSubDlg::m_bIsPlaying && m_PlayOnMobileSubDlg.IsCreated())
        m_PlayOnMobileSubDlg.Stop();
    DeleteSliderTicStatics();
    delete m_pImageList;
}

void CTonesMobileDlg::SetVolDefaults()
{
    m_Volume = VolumeProfile();
}

CListCtrl* CTonesMobileDlg::List() const
{
    return Item<CListCtrl>(IDC_LIST_TONES);
}

std::string CTonesMobileDlg::PhoneType() const
{
    return GetRtParent() ? GetRtParent()->GetPhoneType() : std::string();
}

bool CTonesMobileDlg::IsBirch() const
{
    return IsBirchFamily(PhoneType());
}

bool CTonesMobileDlg::OnInitDialog()
{
    // The owner is the main dialog the page lives in (page, its tab's holder, tab control, main dialog).
    if (!GetRtParent() && GetParent())
        SetRtParent(OwnerOf<IRingingtoneOwner>(this));

    m_PlayOnMobileSubDlg.Create(this);
    PlaceAtTemplatePixels(m_PlayOnMobileSubDlg, 318, 250, 70, 76);
    m_PlayOnMobileSubDlg.Show();
    m_PlayOnMobileSubDlg.SetTonParent(this);

    if (auto* slider = Item<wxSlider>(IDC_SLIDER_VOLUME)) {
        // Never lower than the toolkit needs to draw (and so to grip) its trough and knob.
        const PixelRect place = Units().Pixels(409, 100, 124, 20);
        slider->SetSize(place.x, place.y, place.width, std::max(place.height, slider->GetBestSize().GetHeight()));
        slider->Show();
        SetAccessibleName(slider, NameFromLabel(m_Resource.GetString(529)));
        // A drag writes once when the mouse lets go; key steps (and the wheel) write once they
        // settle, not at every step.
        slider->Bind(wxEVT_SCROLL_THUMBRELEASE, [this](wxScrollEvent& event) {
            event.Skip();
            m_VolumeSettle.Stop();
            OnReleasedcaptureSliderVolume();
        });
        for (const auto& step : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                                 wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM})
            slider->Bind(step, [this](wxScrollEvent& event) {
                event.Skip();
                m_VolumeSettle.StartOnce(kVolumeSettleMs);
            });
        // The wheel moves the knob without a button held: written once it settles too.
        slider->Bind(wxEVT_SCROLL_THUMBTRACK, [this](wxScrollEvent& event) {
            event.Skip();
            if (!wxGetMouseState().LeftIsDown())
                m_VolumeSettle.StartOnce(kVolumeSettleMs);
        });
        m_VolumeSettle.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnReleasedcaptureSliderVolume(); });
        // The toolkit turns Up, Down and the page keys of a horizontal scale against the arrows
        // beside them; on this desktop Up and Page Up raise the volume as Right does.
        slider->Bind(wxEVT_KEY_DOWN, [this, slider](wxKeyEvent& event) {
            int step = 0;
            switch (event.GetKeyCode()) {
            case WXK_UP:
            case WXK_NUMPAD_UP: step = slider->GetLineSize(); break;
            case WXK_DOWN:
            case WXK_NUMPAD_DOWN: step = -slider->GetLineSize(); break;
            case WXK_PAGEUP:
            case WXK_NUMPAD_PAGEUP: step = slider->GetPageSize(); break;
            case WXK_PAGEDOWN:
            case WXK_NUMPAD_PAGEDOWN: step = -slider->GetPageSize(); break;
            default: event.Skip(); return;
            }
            const int value = std::clamp(slider->GetValue() + step, slider->GetMin(), slider->GetMax());
            if (value != slider->GetValue()) {
                slider->SetValue(value);
                m_VolumeSettle.StartOnce(kVolumeSettleMs);
            }
        });
    }
    if (CListCtrl* list = List()) {
        list->InsertColumn(0, "", wxLIST_FORMAT_LEFT, list->GetClientSize().GetWidth() - 20);
        m_pImageList = new wxImageList(12, 12, true, 4);
        m_pImageList->Add(LoadImageBitmap(4530, 12, 12));
        m_pImageList->Add(LoadImageBitmap(4529, 12, 12));
        list->SetImageList(m_pImageList, wxIMAGE_LIST_SMALL);
        // Arrows only move through the list; a click, Enter or Space writes the tone.
        list->Bind(EVT_LIST_ROW_CLICK, &CTonesMobileDlg::OnListRowClick, this);
    }
    if (auto* combo = Item<wxChoice>(IDC_COMBO_LINES))
        combo->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnSelchangeComboLines(); });
    for (int id : {IDC_RADIO_ON, IDC_RADIO_OFF, IDC_RADIO_BEEP})
        if (auto* radio = Item<wxRadioButton>(id))
            radio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { WriteSoundMode(); });
    if (auto* check = Item<wxCheckBox>(IDC_CHECK_VIBRA))
        check->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { WriteSoundMode(); });

    auto setText = [this](int id, unsigned stringId) {
        if (wxWindow* control = GetDlgItem(id))
            control->SetLabel(wxString::FromUTF8(m_Resource.GetString(stringId)));
    };
    setText(IDC_LOAD_COMMENT, 548);
    m_strLabelLines = m_Resource.GetString(InitialLineLabelId(GetRtParent() && GetRtParent()->GetRtByFilename()));
    setText(4546, 528);
    setText(4547, 529);
    setText(4548, 530);
    setText(IDC_RADIO_ON, 531);
    setText(IDC_RADIO_OFF, 4010);
    setText(IDC_RADIO_BEEP, 4011);
    setText(IDC_CHECK_VIBRA, 4012);
    UpdateControls();
    return true;
}

void CTonesMobileDlg::OnShowWindow(bool show)
{
    if (!show)
        return;
    if (GetRtParent() && WasRead() && IsConnected()) {
        if (CListCtrl* list = List())
            list->SetFocus();
    } else if (wxWindow* label = GetDlgItem(IDC_LABEL_LINES)) {
        label->SetFocus();
    }
    if (GetRtParent())
        UpdateControls();
}

void CTonesMobileDlg::InitControls()
{
    if (CListCtrl* list = List())
        list->DeleteAllItems();
    m_Items.clear();
    PushToControls();
}

void CTonesMobileDlg::UpdateControls()
{
    if (!WasRead())
        InitControls();
    UpdateTonesList(0);
    UpdateSoundMode(0);
    UpdateSlider();
    const bool enabled = TonesControlsEnabled(WasRead() != 0, IsConnected() != 0);
    for (int id : {IDC_LIST_TONES, IDC_COMBO_LINES, IDC_SLIDER_VOLUME})
        if (wxWindow* control = GetDlgItem(id))
            control->Enable(enabled);
    if (GetRtParent()) {
        const bool ringer = RingerControlsEnabled(PhoneType(), enabled);
        for (int id : {IDC_CHECK_VIBRA, IDC_RADIO_ON, IDC_RADIO_OFF, IDC_RADIO_BEEP}) {
            const unsigned lacks = id == IDC_CHECK_VIBRA ? LACKS_VIBRATION : LACKS_RINGER;
            if (wxWindow* control = GetDlgItem(id))
                control->Enable(ringer && !(m_nLacking & lacks));
        }
        if (m_nLacking & LACKS_VOLUME)
            if (wxWindow* slider = GetDlgItem(IDC_SLIDER_VOLUME))
                slider->Enable(false);
        const bool byFile = GetRtParent()->GetRtByFilename();
        const bool playable = byFile && FilePlayable(GetRtParent()->GetCurRtFileName());
        m_PlayOnMobileSubDlg.EnableButtons(PlayButtonsEnabled(PhoneType(), byFile, playable, enabled));
    }
    PushToControls();
}

void CTonesMobileDlg::PushToControls()
{
    if (wxWindow* label = GetDlgItem(IDC_LABEL_LINES))
        label->SetLabel(wxString::FromUTF8(m_strLabelLines));
    if (auto* check = Item<wxCheckBox>(IDC_CHECK_VIBRA))
        check->SetValue(m_nVibra != 0);
    const int radios[] = {IDC_RADIO_ON, IDC_RADIO_OFF, IDC_RADIO_BEEP};
    for (int i = 0; i < 3; ++i)
        if (auto* radio = Item<wxRadioButton>(radios[i]))
            if (i == m_nRadio)
                radio->SetValue(true);
    UpdateSliderPos();
}

void CTonesMobileDlg::PullFromControls()
{
    if (auto* check = Item<wxCheckBox>(IDC_CHECK_VIBRA))
        m_nVibra = check->GetValue() ? 1 : 0;
    const int radios[] = {IDC_RADIO_ON, IDC_RADIO_OFF, IDC_RADIO_BEEP};
    for (int i = 0; i < 3; ++i)
        if (auto* radio = Item<wxRadioButton>(radios[i]); radio && radio->GetValue())
            m_nRadio = i;
}

int CTonesMobileDlg::GetVolInfosFromRegdb()
{
    return corvina::GetVolInfosFromRegdb(PhoneType(), m_Volume);
}

void CTonesMobileDlg::InitLinesFromType()
{
    IRingingtoneOwner* owner = GetRtParent();
    const RingingLineTable table =
        BuildRingingLines(PhoneType(), owner ? owner->GetCurImei() : std::string(), owner != nullptr,
                          owner && owner->IsR41(), m_Resource, CGroupMgr::GetRef());
    m_strLabelLines = m_Resource.GetString(table.nLabelId);
    m_LineNames = table.LineNames;
    m_LineTypes = table.LineTypes;
    if (auto* combo = Item<wxChoice>(IDC_COMBO_LINES)) {
        combo->Clear();
        for (const std::string& name : m_LineNames)
            combo->Append(wxString::FromUTF8(name));
        // Selecting the first line does not make it the main dialog's current line.
        if (combo->GetCount() > 0)
            combo->SetSelection(0);
    }
    PushToControls();
}

int CTonesMobileDlg::GetSelectedLineType() const
{
    auto* combo = Item<wxChoice>(IDC_COMBO_LINES);
    const int selection = combo ? combo->GetSelection() : -1;
    return IsValidLineSelection(selection, static_cast<long>(m_LineTypes.size())) ? m_LineTypes[selection] : -1;
}

void CTonesMobileDlg::OnSelchangeComboLines()
{
    CWaitCursor wait;
    auto* combo = Item<wxChoice>(IDC_COMBO_LINES);
    const long selection = combo ? combo->GetSelection() : -1;
    if (!IsValidLineSelection(selection, static_cast<long>(m_LineTypes.size())))
        return;
    if (LineChangeUpdatesMainDialog(PhoneType())) {
        UpdateSlider();
        if (GetRtParent())
            GetRtParent()->OnSelchangeComboLines(m_LineTypes[selection]);
    }
    GetCurVolumeFromPhone(selection);
}

void CTonesMobileDlg::ShowLoadComment(bool show)
{
    if (wxWindow* note = GetDlgItem(IDC_LOAD_COMMENT))
        note->Show(show);
    if (CListCtrl* list = List())
        list->Show(!show);
}

void CTonesMobileDlg::InitTonesList()
{
    CListCtrl* list = List();
    if (!list)
        return;
    m_bMarking = true;
    list->DeleteAllItems();
    m_Items.clear();
    IRingingtoneOwner* owner = GetRtParent();
    if (owner) {
        TonesListSource source;
        source.bRtByFilename = owner->GetRtByFilename();
        source.strPhoneType = owner->GetPhoneType();
        source.lNumberFixRt = NumberFixRt();
        source.lNumberUserdefRt = NumberUserdefRt();
        source.pNames = owner->GetRtFileList();
        source.pRecords = owner->GetRtFileInfoList();
        m_Items = BuildTonesList(source, m_Resource);
        for (const ToneListItem& item : m_Items) {
            const long row = list->InsertItem(list->GetItemCount(), wxString::FromUTF8(item.strText), item.nImage);
            list->SetItemData(row, item.lData);
        }
        // Platform phones: the current line's tone and volume are read from the phone next.
        if (owner->GetRtByFilename() && IsBirch())
            CallAfter([this] { OnSelchangeComboLines(); });
    }
    m_bMarking = false;
    PushToControls();
}

void CTonesMobileDlg::UpdateTonesList(int write)
{
    CListCtrl* list = List();
    if (!list)
        return;
    IRingingtoneOwner* owner = GetRtParent();
    const long position =
        ActiveTonePosition(owner && owner->GetRtByFilename(), RtArrayIndex(), RtIndex(), FirstUsedIndexRt());
    m_bMarking = true;
    for (long i = 0; i < list->GetItemCount(); ++i) {
        list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
        list->SetItemImage(i, kImageTone);
    }
    bool ok = true;
    if (write && position >= 0)
        ok = IsBirch() ? SetCurVolumeToPhone(position) != 0 : WriteSelectedRingingTone() != 0;
    if (position >= 0 && position < list->GetItemCount() && ok) {
        list->SetItemState(position, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        list->SetItemImage(position, kImageActiveTone);
    }
    m_bMarking = false;
    if (owner && owner->GetRtByFilename())
        m_PlayOnMobileSubDlg.EnableButtons(FilePlayable(owner->GetCurRtFileName()) && !IsBirch());
}

void CTonesMobileDlg::OnListRowClick(wxCommandEvent& event)
{
    if (m_bMarking)
        return;
    OnClickListTones(event.GetInt());
}

void CTonesMobileDlg::OnClickListTones(long item)
{
    CListCtrl* list = List();
    if (!list || item < 0 || item >= list->GetItemCount())
        return;
    UpdateRtIndex(ToneIndexForPosition(item, FirstUsedIndexRt()), 0);
    UpdateTonesList(1);
}

void CTonesMobileDlg::AddToTonesList(const std::string& name)
{
    CListCtrl* list = List();
    if (!list)
        return;
    const ToneListItem item = AddedFileItem(name);
    m_Items.push_back(item);
    const long row = list->InsertItem(list->GetItemCount(), wxString::FromUTF8(item.strText), item.nImage);
    list->SetItemData(row, item.lData);
}

void CTonesMobileDlg::DeleteSliderTicStatics()
{
    for (auto it = m_TickStatics.rbegin(); it != m_TickStatics.rend(); ++it)
        (*it)->Destroy();
    m_TickStatics.clear();
}

void CTonesMobileDlg::UpdateSlider()
{
    const bool connected = IsConnected() != 0;
    const bool isR41 = GetRtParent() && GetRtParent()->IsR41();
    const int lineType = GetSelectedLineType();
    // Lines with their own scale keep it; every other line takes the profile's increasing volume.
    if (connected && !LineLacksIncreasingVolume(isR41, lineType))
        GetVolInfosFromRegdb();
    const VolumeScale scale = BuildVolumeScale(m_Volume, connected, isR41, lineType);
    m_Volume.bIncreasingVol = scale.bIncreasingVol;

    DeleteSliderTicStatics();
    if (IsCreated()) {
        for (const VolumeTick& tick : scale.Ticks) {
            // The scale was drawn for the template font; it grows with the dialog font.
            const PixelRect r = Units().Pixels(tick.x, tick.y, tick.cx, tick.cy);
            wxBitmap icon = LoadImageBitmap(static_cast<int>(tick.IconId()), r.width, r.height);
            auto* control = new wxStaticBitmap(this, wxID_ANY, icon.IsOk() ? icon : wxBitmap(r.width, r.height),
                                               wxPoint(r.x, r.y), wxSize(r.width, r.height));
            control->Refresh();
            m_TickStatics.push_back(control);
        }
    }
    if (auto* slider = Item<wxSlider>(IDC_SLIDER_VOLUME)) {
        slider->SetLineSize(1);
        slider->SetPageSize(1);
        if (scale.lRangeMax > scale.lRangeMin)
            slider->SetRange(static_cast<int>(scale.lRangeMin), static_cast<int>(scale.lRangeMax));
        else
            slider->SetRange(static_cast<int>(scale.lRangeMin), static_cast<int>(scale.lRangeMin) + 1);
        slider->SetValue(static_cast<int>(m_lVolume));
    }
}

void CTonesMobileDlg::UpdateSliderPos()
{
    if (auto* slider = Item<wxSlider>(IDC_SLIDER_VOLUME))
        slider->SetValue(static_cast<int>(m_lVolume));
}

void CTonesMobileDlg::OnReleasedcaptureSliderVolume()
{
    CWaitCursor wait;
    PullFromControls();
    if (auto* slider = Item<wxSlider>(IDC_SLIDER_VOLUME))
        m_lVolume = slider->GetValue();
    if (!GetRtParent())
        return;
    if (GetRtParent()->GetRtByFilename()) {
        CListCtrl* list = List();
        SetCurVolumeToPhone(list ? list->GetSelectedRow() : -1);
    } else {
        WriteSelectedRingingTone();
    }
}

void CTonesMobileDlg::OnOK()
{
    wxWindow* slider = GetDlgItem(IDC_SLIDER_VOLUME);
    if (slider && wxWindow::FindFocus() == slider) {
        m_VolumeSettle.Stop();
        OnReleasedcaptureSliderVolume();
    }
}

void CTonesMobileDlg::UpdateSoundMode(int setRingOn)
{
    const SoundModeControls controls = SoundModeToControls(m_lSoundMode, setRingOn);
    m_nRadio = controls.nRadio;
    m_nVibra = controls.nVibraChecked;
    m_lSoundMode = controls.lSoundMode;
}

void CTonesMobileDlg::WriteSoundMode()
{
    CWaitCursor wait;
    PullFromControls();
    m_lSoundMode = SoundModeFromControls(m_nRadio, m_nVibra);
    m_Phone.WriteSoundMode(m_lSoundMode, m_nLacking);
}

void CTonesMobileDlg::AddSoundModeNormal(int write)
{
    const bool need = SoundModeNeedsRingOnWrite(m_lSoundMode, write);
    UpdateSoundMode(1);
    PushToControls();
    if (need && IsConnected())
        m_Phone.WriteSoundMode(m_lSoundMode, m_nLacking);
}

void CTonesMobileDlg::RestoreSoundMode(long soundMode, bool write)
{
    m_lSoundMode = soundMode;
    UpdateSoundMode(0);
    PushToControls();
    if (write && IsConnected())
        m_Phone.RestoreSoundMode(m_lSoundMode);
}

void CTonesMobileDlg::GetCurVolumeFromPhone(long linePosition)
{
    if (!GetRtParent())
        return;
    const long mid = MidVolume(m_Volume.lVolStart, m_Volume.lVolEnd);
    if (!IsBirch()) {
        m_lVolume = mid;
        UpdateSliderPos();
        return;
    }
    if (linePosition < 0 || linePosition >= static_cast<long>(m_LineTypes.size()))
        return;
    const auto read = m_Phone.ReadLineTone(m_LineTypes[linePosition]);
    if (!read)
        return;
    UpdateRtIndex(FirstUsedIndexRt() + FindToneItem(m_Items, read->tone), 0);
    UpdateTonesList(0);
    m_lVolume = read->volume;
    UpdateSlider();
}

int CTonesMobileDlg::SetCurVolumeToPhone(long listPosition)
{
    CWaitCursor wait;
    if (!GetRtParent())
        return 1;
    const auto volume = static_cast<std::int32_t>(m_lVolume);
    if (!IsBirch())
        return m_Phone.WriteLineVolume(static_cast<std::int32_t>(GetRtParent()->GetCurRingingLine()), volume) ? 1 : 0;
    CListCtrl* list = List();
    const std::int32_t tone = list && listPosition >= 0 && listPosition < list->GetItemCount()
                                  ? static_cast<std::int32_t>(list->GetItemData(listPosition))
                                  : 0;
    return m_Phone.WriteLineTone(GetSelectedLineType(), tone, volume) ? 1 : 0;
}

void CTonesMobileDlg::SetRtInfos(long volStart, long volEnd, long toneIndex, long volume, long soundMode)
{
    m_Volume.lVolStart = volStart;
    m_Volume.lVolEnd = volEnd;
    m_lVolume = volume;
    m_lSoundMode = soundMode;
    GetVolInfosFromRegdb();
    UpdateRtIndex(toneIndex, 0);
    UpdateSliderPos();
}

} // namespace corvina
