// The transfer's progress window on wx. The window exists only between Show and Close; values set
// before Show are kept and shown when it opens.
#include "CWxProgressDlg.h"

#include "CServiceFactory.h"

#include <wx/app.h>
#include <wx/progdlg.h>

namespace corvina {

CWxProgressDlg::CWxProgressDlg() = default;

CWxProgressDlg::~CWxProgressDlg()
{
    Close();
}

int CWxProgressDlg::Percent() const
{
    if (m_high <= m_low)
        return 0;
    const long long clamped = std::min<long long>(std::max(m_pos, m_low), m_high);
    return static_cast<int>((clamped - m_low) * 100 / (m_high - m_low));
}

HRESULT CWxProgressDlg::SetTitle(const std::string& text)
{
    m_title = text;
    if (m_dialog)
        m_dialog->SetTitle(wxString::FromUTF8(text));
    return S_OK;
}

HRESULT CWxProgressDlg::SetLine(const std::string& text)
{
    m_line = text;
    if (m_dialog && !m_dialog->Update(Percent(), wxString::FromUTF8(text)))
        m_cancelled = true;
    return S_OK;
}

HRESULT CWxProgressDlg::SetLineCompact(const std::string& text)
{
    return SetLine(text);
}

HRESULT CWxProgressDlg::SetRange(std::int32_t low, std::int32_t high)
{
    m_low = low;
    m_high = high;
    return S_OK;
}

HRESULT CWxProgressDlg::SetPos(std::int32_t pos)
{
    m_pos = pos;
    // Update also runs the window's events, so Cancel is seen while the transfer reads.
    if (m_dialog && !m_dialog->Update(Percent()))
        m_cancelled = true;
    return S_OK;
}

HRESULT CWxProgressDlg::Show()
{
    if (m_dialog)
        return S_OK;
    wxWindow* owner = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    const int style = wxPD_APP_MODAL | wxPD_AUTO_HIDE | (m_canCancel ? wxPD_CAN_ABORT : 0);
    m_dialog =
        std::make_unique<wxProgressDialog>(wxString::FromUTF8(m_title), wxString::FromUTF8(m_line), 100, owner, style);
    m_dialog->Update(Percent());
    return S_OK;
}

HRESULT CWxProgressDlg::Close()
{
    m_dialog.reset();
    return S_OK;
}

HRESULT CWxProgressDlg::HasUserCancelled(std::int32_t* cancelled)
{
    if (!cancelled)
        return E_POINTER;
    if (m_dialog && m_dialog->WasCancelled())
        m_cancelled = true;
    *cancelled = m_cancelled ? 1 : 0;
    return S_OK;
}

HRESULT CWxProgressDlg::SetOption(std::int32_t option)
{
    // Option 1 offers Cancel; the window is made with it when it is shown.
    if (option == 1)
        m_canCancel = true;
    return S_OK;
}

void CWxProgressDlg::Register()
{
    CServiceFactory::Instance().RegisterImplementation("ProgressWindow",
                                                       [] { return std::make_shared<CWxProgressDlg>(); });
}

} // namespace corvina
