// Null-safe access to the main dialog, and the write of the selected tone to the phone.
#include "CRingingtoneAccess.h"

#include "CTraceFile.h"
#include "ReadOut.h"

#include "CAtcHelperFunctions.h"
#include "IRingingtoneOwner.h"
#include "RunOnPhone.h"
#include "UiServices.h"

#include <new>

namespace corvina {

CRingingtoneAccess::CRingingtoneAccess() = default;

CRingingtoneAccess::~CRingingtoneAccess()
{
    delete m_pAtcHelper;
    m_pAtcHelper = nullptr;
}

CAtcHelperFunctions* CRingingtoneAccess::_GetAtcHelper()
{
    if (!m_pAtcHelper)
        m_pAtcHelper = new (std::nothrow) CAtcHelperFunctions();
    return m_pAtcHelper;
}

long CRingingtoneAccess::FirstUsedIndexRt() const
{
    return m_pRtDlg ? m_pRtDlg->FirstUsedIndexRt() : 0;
}
long CRingingtoneAccess::NumberFixRt() const
{
    return m_pRtDlg ? m_pRtDlg->GetNumberFixRt() : 0;
}
long CRingingtoneAccess::NumberUserdefRt() const
{
    return m_pRtDlg ? m_pRtDlg->GetNumberUserdefRt() : 0;
}
long CRingingtoneAccess::NumberRt() const
{
    return m_pRtDlg ? m_pRtDlg->GetNumberRt() : 0;
}
long CRingingtoneAccess::RtIndex() const
{
    return m_pRtDlg ? m_pRtDlg->GetRtIndex() : -1;
}
long CRingingtoneAccess::RtArrayIndex() const
{
    return m_pRtDlg ? m_pRtDlg->GetRtArrayIndex() : -1;
}
int CRingingtoneAccess::IsConnected() const
{
    return m_pRtDlg ? m_pRtDlg->IsConnected() : 0;
}
int CRingingtoneAccess::WasRead() const
{
    return m_pRtDlg ? m_pRtDlg->WasRead() : 0;
}

void CRingingtoneAccess::UpdateRtIndex(long index, int flag)
{
    if (m_pRtDlg)
        m_pRtDlg->UpdateRtIndex(index, flag);
}

int CRingingtoneAccess::WriteSelectedRingingTone()
{
    if (!m_pRtDlg)
        return 0;
    // A phone without the command for this write is never sent it.
    const unsigned needs = m_pRtDlg->GetRtByFilename() ? LACKS_ACTIVE_FILE : LACKS_TONE;
    if (m_pRtDlg->GetLackingFeatures() & needs) {
        TheTrace().Trace(4, "WriteSelectedRingingTone: the phone lacks %s", LackingFeatureNames(needs).c_str());
        return 0;
    }
    CWaitCursor wait;
    HRESULT hr = S_OK;
    if (m_pRtDlg->GetRtByFilename()) {
        hr = m_pRtDlg->SetActiveFileToPhone(m_pRtDlg->GetCurRtFileName());
    } else {
        // A fresh AT object for this write, not the page's kept one.
        CAtcHelperFunctions atc;
        hr = RunOnPhone(&atc, "WriteSelectedRingingTone", [&](IAtCommandService& service) {
            return service.SetRingTone(RtIndex(), m_pRtDlg->GetVolume());
        });
    }
    if (FAILED(hr))
        return 0;
    if (!m_pRtDlg->GetRtByFilename())
        m_pRtDlg->AddSoundModeNormal();
    return 1;
}

} // namespace corvina
