// The port dialog: a list, a probe button, the port and speed fields, and OK or Cancel.
#include "CPhoneConnectionDlg.h"

#include "Accessibility.h"
#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "CResource.h"
#include "PhoneStatusText.h"
#include "RunOffWindowThread.h"
#include "UserSettings.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dataview.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace corvina {
namespace {

wxString Text(const CResource& strings, unsigned id)
{
    return wxString::FromUTF8(strings.GetString(id));
}

} // namespace

const std::vector<int>& CPhoneConnectionDlg::Speeds()
{
    static const std::vector<int> speeds = {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
    return speeds;
}

CPhoneConnectionDlg::CPhoneConnectionDlg(wxWindow* parent, const SPortReport& connected, PortOpenCheck openCheck)
    : m_connected(connected), m_openCheck(std::move(openCheck))
{
    const CResource strings = CResource::ForModule();
    const long language = strings.GetLanguage();
    if (IsRightToLeft(language))
        SetLayoutDirection(wxLayout_RightToLeft);
    Create(parent, wxID_ANY, wxString::FromUTF8(NameFromLabel(strings.GetString(4717))), wxDefaultPosition,
           wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* listLabel = new wxStaticText(this, wxID_ANY, Text(strings, 4718));
    column->Add(listLabel, 0, wxALL, 8);
    m_pList = new wxDataViewListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(560, 160), wxDV_SINGLE | wxDV_ROW_LINES);
    m_pList->AppendTextColumn(Text(strings, 4719), wxDATAVIEW_CELL_INERT, 160);
    m_pList->AppendTextColumn(Text(strings, 4720), wxDATAVIEW_CELL_INERT, 200);
    m_pList->AppendTextColumn(Text(strings, 4721), wxDATAVIEW_CELL_INERT, 200);
    SetAccessibleName(m_pList, NameFromLabel(strings.GetString(4718)));
    column->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    auto* look = new wxButton(this, wxID_ANY, Text(strings, 4722));
    column->Add(look, 0, wxALL, 8);

    m_pAutomatic = new wxCheckBox(this, wxID_ANY, Text(strings, 4725));
    column->Add(m_pAutomatic, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);
    auto* fields = new wxFlexGridSizer(2, 8, 8);
    fields->AddGrowableCol(1);
    auto* portLabel = new wxStaticText(this, wxID_ANY, Text(strings, 4723));
    m_pPort = new wxTextCtrl(this, wxID_ANY);
    SetAccessibleName(m_pPort, NameFromLabel(strings.GetString(4723)));
    auto* baudLabel = new wxStaticText(this, wxID_ANY, Text(strings, 4724));
    m_pBaud = new wxChoice(this, wxID_ANY);
    SetAccessibleName(m_pBaud, NameFromLabel(strings.GetString(4724)));
    for (int speed : Speeds())
        m_pBaud->Append(std::to_string(speed));
    fields->Add(portLabel, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_pPort, 1, wxEXPAND);
    fields->Add(baudLabel, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_pBaud, 0);
    column->Add(fields, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(column);

    // The settings in force.
    const std::string port = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port").value_or("");
    const bool automatic = port.empty() || port == CAtLink::kAutoPort;
    m_pAutomatic->SetValue(automatic);
    m_pPort->ChangeValue(wxString::FromUTF8(automatic ? m_connected.device : port));
    m_pPort->Enable(!automatic);
    const auto baud = std::find(Speeds().begin(), Speeds().end(), CAtLink::Baud());
    m_pBaud->SetSelection(baud == Speeds().end() ? 4 : static_cast<int>(baud - Speeds().begin()));

    FillList();
    look->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { LookAgain(); });
    m_pList->Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, [this](wxDataViewEvent&) { OnRowSelected(); });
    m_pAutomatic->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnAutomatic(); });
    m_pList->SetFocus();
}

void CPhoneConnectionDlg::FillList()
{
    m_devices = ExpandPortPatterns(ConfiguredPortPatterns());
    if (!m_connected.device.empty() &&
        std::find(m_devices.begin(), m_devices.end(), m_connected.device) == m_devices.end())
        m_devices.insert(m_devices.begin(), m_connected.device);
    const CResource strings = CResource::ForModule();
    m_pList->DeleteAllItems();
    for (const std::string& device : m_devices) {
        SPortReport report;
        report.device = device;
        DescribePort(report);
        const bool inUse = device == m_connected.device;
        wxVector<wxVariant> row;
        row.push_back(wxString::FromUTF8(device));
        row.push_back(wxString::FromUTF8(PortDescriptionText(report)));
        row.push_back(inUse ? wxString::FromUTF8(PortProbeText(m_connected, strings)) : wxString());
        m_pList->AppendItem(row);
    }
}

void CPhoneConnectionDlg::LookAgain()
{
    const std::vector<std::string> devices = m_devices;
    const std::string inUse = m_connected.device;
    const PortOpenCheck openCheck = m_openCheck;
    // The phone in use is not probed behind the editor's back: what it said stands.
    const std::vector<SPortReport> reports = RunOffWindowThread([devices, inUse, openCheck] {
        std::vector<SPortReport> found;
        for (const std::string& device : devices)
            found.push_back(device == inUse ? SPortReport{} : ProbePort(device, openCheck));
        return found;
    });
    const CResource strings = CResource::ForModule();
    for (std::size_t row = 0; row < reports.size() && row < m_devices.size(); ++row) {
        const SPortReport& report = m_devices[row] == inUse ? m_connected : reports[row];
        m_pList->SetTextValue(wxString::FromUTF8(PortDescriptionText(report)), static_cast<unsigned>(row), 1);
        m_pList->SetTextValue(wxString::FromUTF8(PortProbeText(report, strings)), static_cast<unsigned>(row), 2);
    }
}

void CPhoneConnectionDlg::OnRowSelected()
{
    const int row = m_pList->GetSelectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_devices.size())
        return;
    m_pAutomatic->SetValue(false);
    m_pPort->Enable();
    m_pPort->ChangeValue(wxString::FromUTF8(m_devices[static_cast<std::size_t>(row)]));
}

void CPhoneConnectionDlg::OnAutomatic()
{
    m_pPort->Enable(!m_pAutomatic->GetValue());
}

std::string CPhoneConnectionDlg::ChosenPort() const
{
    const std::string typed = m_pPort->GetValue().utf8_string();
    return m_pAutomatic->GetValue() || typed.empty() ? std::string(CAtLink::kAutoPort) : typed;
}

int CPhoneConnectionDlg::ChosenBaud() const
{
    const int selection = m_pBaud->GetSelection();
    return selection < 0 ? 115200 : Speeds()[static_cast<std::size_t>(selection)];
}

bool CPhoneConnectionDlg::SaveChoice(std::string& error) const
{
    return SaveUserValues(
        {{"Port", ChosenPort(), std::nullopt}, {"Baud", std::nullopt, static_cast<std::uint32_t>(ChosenBaud())}},
        error);
}

} // namespace corvina
