// The main dialog's side of a phone connection: new phone records and their validation.
#include "CRingingtoneDlg.h"

#include "UiServices.h"

namespace corvina {

std::intptr_t CRingingtoneDlg::OnNewPhone(std::uintptr_t, std::intptr_t lParam)
{
    auto* record = reinterpret_cast<CMobileInfo*>(lParam);
    // The same phone again: the record is not kept, so it is freed here.
    if (m_pMobileInfo && record && !record->m_strImei.empty() && record->m_strImei == m_pMobileInfo->m_strImei) {
        delete record;
        return 0;
    }
    m_bValidationPending = true;
    delete m_pMobileInfo;
    m_pMobileInfo = record;
    SetRtDefaults();
    m_bWasRead = 0;
    if (m_nShown)
        OnMsgValidateNew(0, 0);
    return 0;
}

std::intptr_t CRingingtoneDlg::OnMsgValidateNew(std::uintptr_t, std::intptr_t)
{
    m_bWasRead = 0;
    m_bConnected = 0;
    UpdateControls();
    UpdateReadButton(false);
    if (!m_pMobileInfo)
        return 0;
    if (m_pMobileInfo->m_strImei.empty())
        Ui().MessageBox(m_Resource.GetString(514), "", MB_OK);
    return 0;
}

std::intptr_t CRingingtoneDlg::OnMsgRtInfosRead(std::uintptr_t, std::intptr_t)
{
    return 0;
}

} // namespace corvina
