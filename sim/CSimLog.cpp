// Time-stamped log lines of the virtual phone.
#include "CSimLog.h"

#include <chrono>
#include <ctime>

namespace corvina {

CSimLog::~CSimLog()
{
    if (m_file)
        std::fclose(m_file);
}

bool CSimLog::Open(const std::string& strPath)
{
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(strPath.c_str(), "a");
    return m_file != nullptr;
}

std::string CSimLog::Escape(const std::string& bytes)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else
            out += static_cast<char>(c);
    }
    return out;
}

void CSimLog::Write(const char* pszTag, const std::string& strText)
{
    if (!m_file)
        return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    std::fprintf(m_file, "%s.%03d %s %s\n", stamp, static_cast<int>(millis), pszTag, Escape(strText).c_str());
    std::fflush(m_file);
}

} // namespace corvina
