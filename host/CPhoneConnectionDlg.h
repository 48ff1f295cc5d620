// "Phone connection…": the devices where a phone is looked for, what the system knows of each and
// what a probe finds; the user picks one (or types a path) and its speed, or lets the phone be found
// by itself. The choice goes into the user's own settings and holds at once.
#pragma once

#include "PortProbe.h"

#include <wx/dialog.h>

#include <string>
#include <vector>

class wxCheckBox;
class wxChoice;
class wxDataViewListCtrl;
class wxTextCtrl;

namespace corvina {

class CPhoneConnectionDlg : public wxDialog {
public:
    // connected: the phone in use (its device is not probed again, what it said is shown instead).
    CPhoneConnectionDlg(wxWindow* parent, const SPortReport& connected, PortOpenCheck openCheck = {});

    // Probes every listed device (off the window's thread) and shows what each is.
    void LookAgain();
    // The choice made: "auto" or a device, and the speed.
    std::string ChosenPort() const;
    int ChosenBaud() const;
    // Saves the choice (see UserSettings); false when the file could not be written, with the reason.
    bool SaveChoice(std::string& error) const;

    // Speeds offered, the usual ones of serial lines.
    static const std::vector<int>& Speeds();

private:
    void FillList();
    void OnRowSelected();
    void OnAutomatic();

    SPortReport m_connected;
    PortOpenCheck m_openCheck;
    std::vector<std::string> m_devices;
    wxDataViewListCtrl* m_pList = nullptr;
    wxCheckBox* m_pAutomatic = nullptr;
    wxTextCtrl* m_pPort = nullptr;
    wxChoice* m_pBaud = nullptr;
};

} // namespace corvina
