// Result codes of the phone services and the error object that carries a failed one.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvina {

// 32-bit result code with the Windows meaning: negative is a failure.
using HRESULT = std::int32_t;

constexpr HRESULT HrFromBits(std::uint32_t bits)
{
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HrFromBits(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HrFromBits(0x80004002u);
constexpr HRESULT E_POINTER = HrFromBits(0x80004003u);
constexpr HRESULT E_ABORT = HrFromBits(0x80004004u);
constexpr HRESULT E_FAIL = HrFromBits(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = HrFromBits(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = HrFromBits(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HrFromBits(0x80070057u);
// A class id that no registry file registers.
constexpr HRESULT REGDB_E_CLASSNOTREG = HrFromBits(0x80040154u);
// The configured serial port cannot be opened: the editor tells the user to reinstall.
constexpr HRESULT HR_PORT_CANNOT_BE_READ = 0x00000704;
// The phone link is busy with another user's command sequence; a waiting read-out is retried.
constexpr HRESULT HR_PHONE_BUSY = HrFromBits(0x8004B001u);

constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}

// Hexadecimal text of a result code, "0x80004005".
std::string HResultText(HRESULT hr);

// The exception that carries a failed HRESULT from the place it was raised to the user operation.
class ComError : public std::runtime_error {
public:
    explicit ComError(HRESULT hr, const std::string& description = {});
    HRESULT Error() const noexcept { return m_hr; }
    // A text the user can read: the description, or a generic one for the code.
    std::string ErrorMessage() const;

private:
    HRESULT m_hr;
    std::string m_description;
};

} // namespace corvina
