// The base both pages share to reach the main dialog's phone state and to talk AT commands. It
// knows the main dialog only by what a page may ask of it, so the pages sit below the main dialog.
#pragma once

#include <memory>

namespace corvina {

class CAtcHelperFunctions;
class IRingingtoneOwner;

class CRingingtoneAccess {
public:
    CRingingtoneAccess();
    virtual ~CRingingtoneAccess();

    // Sets the owning main dialog.
    void SetRtParent(IRingingtoneOwner* owner) { m_pRtDlg = owner; }
    IRingingtoneOwner* GetRtParent() const { return m_pRtDlg; }

    // The owner's values, or the defaults when no main dialog is attached yet.
    long FirstUsedIndexRt() const;
    long NumberFixRt() const;
    long NumberUserdefRt() const;
    long NumberRt() const;
    long RtIndex() const;
    long RtArrayIndex() const;
    int IsConnected() const;
    int WasRead() const;
    // The owner's UpdateRtIndex; nothing without an owner.
    void UpdateRtIndex(long index, int flag);
    // Writes the selected tone to the phone as the current line's ringtone; FALSE when it failed.
    int WriteSelectedRingingTone();

protected:
    // The page's kept AT object, created on first use; null when it cannot be created.
    CAtcHelperFunctions* _GetAtcHelper();

private:
    IRingingtoneOwner* m_pRtDlg = nullptr;
    CAtcHelperFunctions* m_pAtcHelper = nullptr;
};

} // namespace corvina
