// Reads one command's answer from the bytes a phone sends: information lines, the final result
// code, and everything else (echo, unsolicited lines) set aside.
#pragma once

#include "HResult.h"

#include <cstddef>
#include <string>
#include <vector>

namespace corvina {

class CAtParser {
public:
    // Longest line accepted; a longer one is garbage.
    static constexpr std::size_t kMaxLine = 4096;

    // Begins the answer to command. Lines starting with infoPrefix ("+CRSL:") are its information
    // lines; with an empty prefix every line that does not look unsolicited is one, and so is a
    // line with the command's own prefix ("+CGSN: ..." for "AT+CGSN").
    void Start(std::string command, std::string infoPrefix);
    // Takes more bytes; true once the answer is complete (a final result code or garbage).
    bool Feed(const char* data, std::size_t size);

    bool Done() const { return m_done; }
    // S_OK for OK; the phone's error codes for ERROR and +CME ERROR; HR_AT_GARBAGE for garbage.
    HRESULT Result() const { return m_result; }
    // Information lines, without the prefix's text removed.
    const std::vector<std::string>& Info() const { return m_info; }
    // Every complete line seen, in order (for the trace).
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Bytes of an unfinished line.
    const std::string& Pending() const { return m_partial; }

    // True for a final result code; sets hr to its result.
    static bool IsFinalResult(const std::string& line, HRESULT& hr);
    // True for a line a phone sends on its own (RING, +CRING: ..., ^CPLYEND, ...).
    static bool LooksUnsolicited(const std::string& line);

private:
    void TakeLine(std::string line);

    std::string m_command;
    std::string m_prefix;
    std::string m_ownPrefix; // "+CGSN:" for "AT+CGSN"
    std::string m_partial;
    std::vector<std::string> m_info;
    std::vector<std::string> m_lines;
    bool m_done = false;
    HRESULT m_result = S_OK;
};

} // namespace corvina
