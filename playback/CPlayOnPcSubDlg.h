// The small play panel of the clip editor: Play and Stop with icons, the range to play in two edits
// (milliseconds) and an "Info" button that shows the player's status.
#pragma once

#include "CDialog.h"
#include "CMciPlayer.h"
#include "CResource.h"

#include <cstdint>
#include <functional>
#include <string>

namespace corvina {

class CPlayOnPcSubDlg : public CDialog {
public:
    static constexpr int IDD = 4503;
    static constexpr int IDC_EDIT_FROM = 4535;
    static constexpr int IDC_EDIT_TO = 4578;
    static constexpr int IDC_BUTTON_PLAY = 4557;
    static constexpr int IDC_BUTTON_STOP = 4577;
    static constexpr int IDC_BUTTON_INFO = 4549;

    CPlayOnPcSubDlg();
    ~CPlayOnPcSubDlg() override;

    void OnButtonPlay();
    void OnButtonStop();
    void OnButtonInfo();

    // Writes a number into the from or to edit and shows it at once.
    void SetFromEdit(int value);
    void SetToEdit(int value);
    // Enables or disables Play and Stop together.
    void EnableButtons(bool enable);
    // Playing: Play disabled and Stop enabled; otherwise the reverse.
    void SetPlayState(bool playing);

    // The player's operations, for the clip editor.
    void SetFile(const std::string& path) { m_Player.SetFile(path); }
    void SetPlayWhole(bool whole) { m_Player.SetPlayWhole(whole); }
    bool Play();
    void Stop() { m_Player.Stop(); }
    std::uint32_t Status(std::uint32_t item) const { return m_Player.Status(item); }
    std::int32_t GetLength() { return m_Player.GetLength(); }
    CMciPlayer& Player() { return m_Player; }

    // The text the "Info" box shows for the player's present status.
    std::string InfoText() const;
    // Called when Play is pressed, before the range edits are read: the owner may choose another
    // file, range or sound (the phone's) for this play.
    void SetBeforePlay(std::function<void()> beforePlay) { m_beforePlay = std::move(beforePlay); }

protected:
    bool OnInitDialog() override;
    bool OnToolTip(int controlId, std::string& text) override;
    void OnShowWindow(bool show) override;

private:
    std::intptr_t OnMciNotify(std::uintptr_t wParam, std::intptr_t lParam);
    int ReadEdit(int id) const;
    void SetEdit(int id, int value);
    void EnableControl(int id, bool enable);
    bool IsControlEnabled(int id) const;

    CMciPlayer m_Player;
    CResource m_Resource;
    std::intptr_t m_nPlaySerial = 0; // numbers the plays, so a late end of play is recognised
    std::function<void()> m_beforePlay;
};

} // namespace corvina
