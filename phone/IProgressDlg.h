// The progress window that a transfer to the phone drives, with the operations it is known by.
#pragma once

#include "IServiceObject.h"

#include <cstdint>
#include <string>

namespace corvina {

class IProgressDlg : public IServiceObject {
public:
    // Slot 7: the window's title.
    virtual HRESULT SetTitle(const std::string& text) = 0;
    // Slot 11: the line of text that says what is transferred.
    virtual HRESULT SetLine(const std::string& text) = 0;
    // Slot 14: the range of positions (the transfer passes 0 and 100).
    virtual HRESULT SetRange(std::int32_t low, std::int32_t high) = 0;
    // Slot 15: the current position within the range.
    virtual HRESULT SetPos(std::int32_t pos) = 0;
    // Slot 18: the same line again, shortened to fit the window when it is too long.
    virtual HRESULT SetLineCompact(const std::string& text) = 0;
    // Slot 22: shows the window.
    virtual HRESULT Show() = 0;
    // Slot 24: closes the window.
    virtual HRESULT Close() = 0;
    // Slot 25: cancelled becomes non-zero when the user has pressed Cancel.
    virtual HRESULT HasUserCancelled(std::int32_t* cancelled) = 0;
    // Slot 34: a window option; the transfer sets option 1 (offer Cancel) once before it starts.
    virtual HRESULT SetOption(std::int32_t option) = 0;
};

} // namespace corvina
