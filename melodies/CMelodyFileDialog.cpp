// The melody file dialog: the desktop's file chooser with Play and Stop beside its controls. The
// preview plays a copy in the temporary folder; the end of play comes back as a queued message.
#include "CMelodyFileDialog.h"

#include "CResource.h"
#include "ImageLoader.h"
#include "MciNotify.h"
#include "PlayerOutput.h"
#include "CMidiSchedule.h"
#include "PreviewFile.h"
#include "RunOffWindowThread.h"
#include "UiServices.h"
#include "WindowMessage.h"

#include <wx/button.h>
#include <wx/sizer.h>

namespace corvina {

namespace {

constexpr unsigned IDS_OPEN_MELODIES = 517;
constexpr unsigned IDS_ALL_FILES = 522;
constexpr unsigned IDS_MIDI_FILES = 523;
constexpr int kIconPlay = 4505;
constexpr int kIconStop = 4506;
constexpr int kIconSize = 16;

// The wx filter has no closing "||".
wxString WxFilter(std::string filter)
{
    while (!filter.empty() && filter.back() == '|')
        filter.pop_back();
    return wxString::FromUTF8(filter);
}

wxString Text(unsigned id)
{
    return wxString::FromUTF8(CSharedStrings::Get().GetString(id));
}

} // namespace

void CMelodyFileDialog::CButtonsHook::AddCustomControls(wxFileDialogCustomize& customizer)
{
    m_dialog.m_pPlay = customizer.AddButton(Text(IDC_BUTTON_PLAY));
    m_dialog.m_pStop = customizer.AddButton(Text(IDC_BUTTON_STOP));
    m_dialog.m_pPlay->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_dialog.OnButtonPlay(); });
    m_dialog.m_pStop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_dialog.OnButtonStop(); });
    m_dialog.SetPlayState(false);
}

CMelodyFileDialog::CMelodyFileDialog(wxWindow* parent, const std::string& filter, const std::string& initialFolder)
    : wxFileDialog(parent, Text(IDS_OPEN_MELODIES), wxString::FromUTF8(initialFolder), wxEmptyString, WxFilter(filter),
                   wxFD_OPEN | wxFD_FILE_MUST_EXIST),
      m_pHook(new CButtonsHook(*this)), m_strPreviewPath(DefaultPreviewPath())
{
    SetCustomizeHook(*m_pHook);
    Bind(EVT_WINDOW_MESSAGE, [this](CWindowMessageEvent& event) {
        if (event.Message() == MM_MCINOTIFY)
            event.m_result = OnMciNotify(event.LParam());
        else
            event.Skip();
    });
}

CMelodyFileDialog::~CMelodyFileDialog()
{
    // Joins the player's worker while the window is whole, so a last notice finds a live target.
    m_Player.Close();
    // The buttons' panel tells the hook goodbye when it goes, which is after this object's members.
    CButtonsHook* hook = m_pHook;
    if (wxWindow* panel = GetExtraControl())
        panel->Bind(wxEVT_DESTROY, [hook](wxWindowDestroyEvent& event) {
            event.Skip();
            delete hook;
        });
    else
        delete hook;
}

std::string CMelodyFileDialog::MidiFilter()
{
    CResource& strings = CSharedStrings::Get();
    return strings.GetString(IDS_MIDI_FILES) + " (*.mid)|*.mid|" + strings.GetString(IDS_ALL_FILES) + " (*.*)|*.*||";
}

int CMelodyFileDialog::ShowModal()
{
    // The buttons exist once the dialog runs; icons and tooltips are added then.
    CallAfter([this] { OnInitControls(); });
    const int result = wxFileDialog::ShowModal();
    m_Player.Stop();
    SetPlayState(false);
    return result;
}

void CMelodyFileDialog::OnInitControls()
{
    SetTitle(Text(IDS_OPEN_MELODIES));
    wxWindow* panel = GetExtraControl();
    if (!panel)
        return;
    CResource& strings = CSharedStrings::Get();
    for (wxWindow* child : panel->GetChildren()) {
        auto* button = dynamic_cast<wxButton*>(child);
        if (!button)
            continue;
        const bool play = button->GetLabel() == Text(IDC_BUTTON_PLAY);
        const wxBitmap icon = LoadImageBitmap(play ? kIconPlay : kIconStop, kIconSize, kIconSize);
        if (icon.IsOk()) {
            button->SetBitmap(icon, wxLEFT);
            button->SetBitmapDisabled(icon.ConvertToDisabled());
        }
        button->SetToolTip(wxString::FromUTF8(strings.GetString(play ? IDC_BUTTON_PLAY : IDC_BUTTON_STOP)));
    }
    panel->Layout();
    panel->SetClientSize(panel->GetSizer() ? panel->GetSizer()->ComputeFittingClientSize(panel)
                                           : panel->GetClientSize());
}

void CMelodyFileDialog::OnButtonPlay()
{
    wxString selected = GetCurrentlySelectedFilename();
    // Nothing selected (a folder was opened, or nothing clicked yet): there is nothing to hear.
    if (selected.empty())
        return;
    if (!wxIsAbsolutePath(selected))
        selected = GetDirectory() + wxFILE_SEP_PATH + selected;
    PlayPreview(selected.utf8_string());
}

void CMelodyFileDialog::PlayPreview(const std::string& selectedPath)
{
    // Copying or converting the file and reading the copy take seconds for a large file: a worker does
    // both while this window goes on painting. The reading is held until Play takes it over.
    const std::filesystem::path selected = std::filesystem::u8path(selectedPath);
    const std::filesystem::path preview = m_strPreviewPath;
    std::shared_ptr<const CMidiSchedule> reading;
    const unsigned message = RunOffWindowThread([&] {
        const unsigned result = MakePreviewFile(selected, preview);
        reading = CMidiSchedule::LoadShared(preview);
        return result;
    });
    if (message != 0)
        Ui().MessageBox(CSharedStrings::Get().GetString(message), "", MB_ICONINFORMATION | MB_OK);
    m_Player.SetFile(m_strPreviewPath.string());
    SetNormalAttributes(m_strPreviewPath);
    // Each play tells its own number, so a notice overtaken by a restart is dropped.
    const std::intptr_t serial = ++m_nPlaySerial;
    m_Player.SetNotify([this, serial] { PostMessage(this, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, serial); });
    if (m_Player.Play())
        SetPlayState(true);
    else if (const std::string why = PlayFailureText(m_Player, CSharedStrings::Get()); !why.empty())
        Ui().MessageBox(why, "", MB_OK | MB_ICONEXCLAMATION);
}

void CMelodyFileDialog::OnButtonStop()
{
    m_Player.Stop();
    SetPlayState(false);
}

std::intptr_t CMelodyFileDialog::OnMciNotify(std::intptr_t serial)
{
    if (serial == m_nPlaySerial)
        OnButtonStop();
    return 0;
}

void CMelodyFileDialog::SetPlayState(bool playing)
{
    m_bPlayEnabled = !playing;
    m_bStopEnabled = playing;
    if (m_pPlay)
        m_pPlay->Enable(m_bPlayEnabled);
    if (m_pStop)
        m_pStop->Enable(m_bStopEnabled);
}

} // namespace corvina
