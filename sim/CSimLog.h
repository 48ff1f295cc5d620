// The virtual phone's log: every command received and every answer sent, one time-stamped line each.
#pragma once

#include <cstdio>
#include <string>

namespace corvina {

// A line-per-event log file; a log that is not open swallows everything.
class CSimLog {
public:
    CSimLog() = default;
    ~CSimLog();
    CSimLog(const CSimLog&) = delete;
    CSimLog& operator=(const CSimLog&) = delete;

    // Opens the file for appending; false when it cannot be opened.
    bool Open(const std::string& strPath);
    // "<time> RX <text>": a command line as received.
    void Received(const std::string& strLine) { Write("RX", strLine); }
    // "<time> TX <text>": bytes sent, control characters escaped.
    void Sent(const std::string& strBytes) { Write("TX", strBytes); }
    // "<time> EV <text>": what happened to the line (opened, dropped, faults).
    void Event(const std::string& strText) { Write("EV", strText); }

    // Text with CR, LF, quotes, backslashes and non-text bytes escaped (\r, \n, \xNN).
    static std::string Escape(const std::string& strBytes);

private:
    void Write(const char* pszTag, const std::string& strText);
    std::FILE* m_file = nullptr;
};

} // namespace corvina
