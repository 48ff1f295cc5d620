// Reads one command's answer from the bytes a phone sends.
#include "CAtParser.h"

#include "PhoneErrors.h"

#include <cctype>
#include <utility>

namespace corvina {

void CAtParser::Start(std::string command, std::string infoPrefix)
{
    m_command = std::move(command);
    m_prefix = std::move(infoPrefix);
    // "AT+CGSN" answers "+CGSN: ..." on many phones: its own prefix marks its information lines.
    m_ownPrefix.clear();
    if (m_command.size() > 3 && (m_command[2] == '+' || m_command[2] == '^')) {
        const std::size_t end = m_command.find_first_of("=?;", 3);
        m_ownPrefix = m_command.substr(2, end == std::string::npos ? std::string::npos : end - 2) + ":";
        for (char& c : m_ownPrefix)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    m_partial.clear();
    m_info.clear();
    m_lines.clear();
    m_done = false;
    m_result = S_OK;
}

bool CAtParser::Feed(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size && !m_done; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\r' || c == '\n') {
            if (!m_partial.empty())
                TakeLine(std::exchange(m_partial, {}));
            continue;
        }
        // Control bytes never occur in a phone's text answers: the line is noise.
        if ((c < 0x20 && c != '\t') || c == 0x7F || m_partial.size() >= kMaxLine) {
            m_done = true;
            m_result = HR_AT_GARBAGE;
            break;
        }
        m_partial += static_cast<char>(c);
    }
    return m_done;
}

bool CAtParser::IsFinalResult(const std::string& line, HRESULT& hr)
{
    if (line == "OK") {
        hr = S_OK;
        return true;
    }
    // The phone's answer to a switch into a data mode (AT+CPROT=0), with or without a rate.
    if (line == "CONNECT" || line.compare(0, 8, "CONNECT ") == 0) {
        hr = S_OK;
        return true;
    }
    if (line == "ERROR") {
        hr = HR_AT_ERROR;
        return true;
    }
    for (const char* prefix : {"+CME ERROR:", "+CMS ERROR:"}) {
        const std::string p = prefix;
        if (line.compare(0, p.size(), p) != 0)
            continue;
        std::string number = line.substr(p.size());
        while (!number.empty() && number.front() == ' ')
            number.erase(0, 1);
        int n = -1;
        if (!number.empty() && number.size() <= 6) {
            n = 0;
            for (char c : number) {
                if (!std::isdigit(static_cast<unsigned char>(c))) {
                    n = -1;
                    break;
                }
                n = n * 10 + (c - '0');
            }
        }
        hr = HrFromCmeError(n);
        return true;
    }
    return false;
}

bool CAtParser::LooksUnsolicited(const std::string& line)
{
    if (line == "RING" || line == "NO CARRIER" || line == "BUSY" || line == "NO ANSWER")
        return true;
    // "+XXXX:" and "^XXXX" forms are reports of the phone's own.
    if (!line.empty() && (line[0] == '+' || line[0] == '^')) {
        std::size_t i = 1;
        while (i < line.size() && std::isalnum(static_cast<unsigned char>(line[i])))
            ++i;
        return i > 1 && (i == line.size() || line[i] == ':');
    }
    return false;
}

namespace {

// Answers are UTF-8 text; noise on the line almost never is.
bool IsUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t extra = c < 0x80             ? 0
                                  : (c & 0xE0) == 0xC0 ? 1
                                  : (c & 0xF0) == 0xE0 ? 2
                                  : (c & 0xF8) == 0xF0 ? 3
                                                       : 9;
        if (extra == 9 || (extra == 1 && c < 0xC2) || (extra > 0 && i + extra >= text.size()))
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

void CAtParser::TakeLine(std::string line)
{
    m_lines.push_back(line);
    if (!IsUtf8(line)) {
        m_done = true;
        m_result = HR_AT_GARBAGE;
        return;
    }
    if (line == m_command)
        return; // the echo, while echo is still on
    HRESULT hr = S_OK;
    if (IsFinalResult(line, hr)) {
        m_done = true;
        m_result = hr;
        return;
    }
    const bool ownAnswer = !m_ownPrefix.empty() && line.compare(0, m_ownPrefix.size(), m_ownPrefix) == 0;
    const bool isInfo =
        m_prefix.empty() ? ownAnswer || !LooksUnsolicited(line) : line.compare(0, m_prefix.size(), m_prefix) == 0;
    if (isInfo)
        m_info.push_back(std::move(line));
}

} // namespace corvina
