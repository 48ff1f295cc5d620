// The editor's main dialog: heading, "Read out" button and the two tab pages; holds the connected
// phone's record, its profile values and the list of ringtone files on it.
#pragma once

#include "CDialog.h"
#include "CMobileInfo.h"
#include "CResource.h"
#include "IRingingtoneOwner.h"
#include "CTonesMobileDlg.h"
#include "CMelodiesDlg.h"
#include "RingingLine.h"
#include "RtFileList.h"

#include <memory>
#include <string>
#include <vector>

namespace corvina {

class CSXButton;
class CTabCtrl;
class IMBXVolume;
class IRingtoneSettings;
struct ReadOutJob;

class CRingingtoneDlg : public CDialog, public IRingingtoneOwner {
public:
    static constexpr int IDD = 4500;
    static constexpr int IDC_BUTTON_READ = 4541;
    static constexpr int IDC_TAB = 4531;

    explicit CRingingtoneDlg(wxWindow* parent = nullptr);
    ~CRingingtoneDlg() override;

    // Creates the dialog as a child of the host's window; false when that fails.
    bool Init(wxWindow* parent);

    // Exported queries and setters for the host and the pages.
    int IsConnected() const override { return m_bConnected; }
    int WasRead() const override { return m_bWasRead; }
    // eLackingFeature bits of the last read-out: features whose commands are never sent.
    unsigned GetLackingFeatures() const override { return m_nLacking; }
    std::string GetPhoneType() const override;
    std::string GetCurImei() const override;
    CMobileInfo* GetCurMobileInfo() const { return m_pMobileInfo; }
    CTonesMobileDlg* GetTonesMobileDlg() { return &m_TonesMobileDlg; }
    CMelodiesDlg* GetMelodiesDlg() { return &m_MelodiesDlg; }
    long GetVolume() const override { return m_TonesMobileDlg.GetVolume(); }
    eProfileSettingsType GetCurLine() const { return m_eCurLine; }
    eRingingLine GetCurRingingLine() const override { return RingingLineFromProfileType(m_eCurLine); }
    long GetNumberFixRt() const override { return m_lNumberFixRt; }
    long GetNumberUserdefRt() const override { return m_lNumberUserdefRt; }
    long FirstUsedIndexRt() const override { return m_lFirstUsedIndexRt; }
    // Folder mode: the number of ringtone files listed; index mode: the total number of tones.
    long GetNumberRt() const override;
    long GetRtIndex() const override { return m_lRtIndex; }
    long GetRtArrayIndex() const override { return m_lRtArrayIndex; }
    void SetRtArrayIndex(long index) { m_lRtArrayIndex = index; }
    bool GetRtByFilename() const override { return m_bRtByFilename; }
    std::string GetRtStdFolder() const override { return m_strRtStdFolder; }
    std::string GetImyStdFolder() const override { return m_strImyStdFolder; }
    void SetRtSelFileName(const std::string& name) { m_strRtSelFileName = name; }
    std::vector<std::string>* GetRtFileList() override { return &m_RtFiles.Names(); }
    std::vector<STRUCT_RTFILEINFO*>* GetRtFileInfoList() override { return &m_RtFiles.Records(); }
    // The record of the file name at a position of the name list (found by its index on platform
    // phones, whose records are sorted by tone number); nullptr when there is none.
    const STRUCT_RTFILEINFO* GetRtFileInfoForName(long namePosition) const override
    {
        return m_RtFiles.RecordForName(namePosition);
    }
    // Forgets the read-out worker without touching it.
    void SetRtReadHandleZero();
    // Asked by the host before the suite exits: TRUE when nothing would be lost or the user agrees.
    int CloseRingingtoneOK();

    // Frame operations the pages call.
    void UpdateControls();
    void UpdateReadButton(bool busy);
    void SetSheetCurSel(int page);
    // The main dialog a page or one of its sub-dialogs lives in (nullptr outside one).
    static CRingingtoneDlg* FromPage(const wxWindow* window);

    // Defaults for a new phone.
    void SetRtDefaults();
    // Drops every ringtone file name and record.
    void EmptyRtFileList();

    // The phone profile (read when a phone is validated); the result is the connected state.
    int ReadRegInfos(int showMessage);
    int IsSupportedPhone(const std::string& phoneType) const;
    // The phone type belongs to the caller-group family of model R41.
    bool IsR41() const override;
    int ReadRtStdFolderFromRegdb();
    int GetNumberRtFromRegdb();

    // Starts a read-out of the phone (or notes that another is wanted when one runs).
    void ReadInfosFromPhone();
    bool IsReadOutRunning() const { return m_pReadOut != nullptr; }

    // The ringtone file list.
    bool AddRtFileList(const std::string& name) override;
    void AddToTonesList(const std::string& name) override;
    int GetIndexForName(const std::string& name) const override { return m_RtFiles.GetIndexForName(name); }
    long GetActiveFileIndex(const std::string& name) const { return m_RtFiles.GetActiveFileIndex(name); }
    std::string GetCurRtFileName() const override { return m_RtFiles.NameAt(m_lRtArrayIndex); }
    std::string GetAPathFileName(const std::string& name) const override;
    std::string GetCurRtAPathFileName() const override { return GetAPathFileName(GetCurRtFileName()); }
    bool FilePlayable(const std::string& name) const override;
    std::string GetOverwriteWarning(const std::string& name, int& index) const override;
    // Whether the name at this position of the name list is a file of the standard ringtone
    // folder (platform phones also list their iMelody folder, first).
    bool IsInRtStdFolder(long index) const override
    {
        return index >= static_cast<long>(m_nImyNames) && index < static_cast<long>(m_RtFiles.Names().size());
    }
    const std::string& GetRtSelFileName() const { return m_strRtSelFileName; }

    // The active file of the current line on the phone (user-interface thread: a port that cannot
    // be opened is reported).
    long GetActiveFileFromPhone(std::string& name);
    long SetActiveFileToPhone(const std::string& name) override;
    // The user picked a line on the tones page: make it current and find its active tone.
    void OnSelchangeComboLines(long line) override;
    // Services for one operation, with the configured port; user-interface thread only, as they
    // report a port that cannot be opened.
    bool InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume) override;
    bool InitRtSettingsPtr(std::shared_ptr<IRingtoneSettings>& settings);

    // A transfer to the phone runs from Begin to End: a phone record arriving meanwhile (the phone
    // was unplugged) is handled once the transfer has ended and told its outcome, so the user hears
    // first that the transfer failed, and the lists the transfer adds to are not emptied under it.
    void BeginTransfer() override { ++m_nTransfers; }
    void EndTransfer() override;

    // The current tone changed: index and array index, and the page that shows it refreshes.
    void UpdateRtIndex(long index, int flag) override;
    // The tones page switches to the normal ring.
    void AddSoundModeNormal() override;
    void ShowSoundModeAgain(long soundMode) override;

    // Message handlers (the host's and the dialog's own private messages).
    std::intptr_t OnNewPhone(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnDropMidiFile(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnMsgValidateNew(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnMsgRtInfosRead(std::uintptr_t wParam, std::intptr_t lParam);

    // The text the dialog paints as its heading, and where.
    static constexpr int kHeadingLeft = 15, kHeadingTop = 15, kHeadingRight = 400, kHeadingBottom = 40;

protected:
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    // Gives the keyboard to the shown page's first usable control when no control of the editor has it.
    void FocusPageIfNothingIs();

private:
    void OnPaint(wxPaintEvent& event);
    void OnSelchangePropertySheet(wxCommandEvent& event);
    // Page changes from the keyboard.
    void OnPageKey(wxKeyEvent& event);
    void OnButtonRead(wxCommandEvent& event);
    void OnClose();
    // Cancels a running read-out; its late lists are dropped. With wantEnd its end message still
    // comes, so a failure it met is told; without (the dialog goes), nothing more comes from it.
    void CancelReadOut(bool wantEnd);
    // Tells the failures of cancelled read-outs that have ended (once each).
    void ReportRetiredReadOutEnds();
    // Joins retired read-outs: the finished and told ones, or all of them (waiting) when asked.
    void JoinRetiredReadOuts(bool all);
    // The message for a read-out's result code: 543, 549 or 542.
    static unsigned ReadOutFailureMessage(int code);

    CSXButton* m_pButtonRead = nullptr;
    CTabCtrl* m_pTab = nullptr;
    bool m_bFocusParkedOnTabs = false; // the tabs hold the keyboard only until the page can take it
    int m_nShown = 0;
    bool m_bValidationPending = false;
    int m_nTransfers = 0;                    // transfers running (one at most)
    CMobileInfo* m_pDeferredPhone = nullptr; // the last record that arrived during a transfer
    wxWindow* m_pHostWnd = nullptr;
    CTonesMobileDlg m_TonesMobileDlg;
    CMelodiesDlg m_MelodiesDlg;
    int m_bConnected = 0;
    int m_bWasRead = 0;
    unsigned m_nLacking = 0;
    bool m_bReadAgain = false;
    CMobileInfo* m_pMobileInfo = nullptr;
    long m_lNumberFixRt = 40;
    long m_lNumberUserdefRt = 2;
    long m_lNumberRt = 0;
    long m_lFirstUsedIndexRt = 0;
    long m_lRtIndex = -1;
    long m_lRtArrayIndex = -1;
    std::string m_strRtSelFileName;
    CResource m_Resource;
    bool m_bRtByFilename = true;
    RtFileList m_RtFiles;                   // the ringtone file names and their records
    std::size_t m_nImyNames = 0;            // names at the front of the list that are in the iMelody folder
    std::shared_ptr<ReadOutJob> m_pReadOut; // the running read-out, null when none
    std::vector<std::shared_ptr<ReadOutJob>> m_RetiredReadOuts; // cancelled read-outs still finishing
    std::string m_strRtStdFolder;
    std::string m_strImyStdFolder;
    eProfileSettingsType m_eCurLine = ePhonebookCalls;
};

} // namespace corvina
