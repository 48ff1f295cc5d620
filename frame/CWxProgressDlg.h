// The progress window of a transfer to the phone on the desktop: a wxProgressDialog with Cancel,
// created when the transfer shows it and destroyed when it closes.
#pragma once

#include "IProgressDlg.h"

#include <memory>
#include <string>

class wxProgressDialog;

namespace corvina {

class CWxProgressDlg : public IProgressDlg {
public:
    CWxProgressDlg();
    ~CWxProgressDlg() override;

    HRESULT SetTitle(const std::string& text) override;
    HRESULT SetLine(const std::string& text) override;
    HRESULT SetRange(std::int32_t low, std::int32_t high) override;
    HRESULT SetPos(std::int32_t pos) override;
    HRESULT SetLineCompact(const std::string& text) override;
    HRESULT Show() override;
    HRESULT Close() override;
    HRESULT HasUserCancelled(std::int32_t* cancelled) override;
    HRESULT SetOption(std::int32_t option) override;

    // Registers this window with the service factory under "ProgressWindow".
    static void Register();

private:
    // Position within 0..100 of the dialog's gauge.
    int Percent() const;

    std::unique_ptr<wxProgressDialog> m_dialog;
    std::string m_title;
    std::string m_line;
    std::int32_t m_low = 0;
    std::int32_t m_high = 100;
    std::int32_t m_pos = 0;
    bool m_canCancel = true;
    bool m_cancelled = false;
};

} // namespace corvina
