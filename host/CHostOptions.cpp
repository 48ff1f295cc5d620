// Reading the corvina program's command line without any toolkit.
#include "CHostOptions.h"

#include <charconv>

namespace corvina {
namespace {

constexpr int kMaxDelayMs = 600000;

bool ParseInt(const std::string& text, int low, int high, int& value)
{
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, parsed);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool CHostOptions::Parse(const std::vector<std::string>& args, std::string& strError)
{
    bool bOptionsEnded = false;
    bool bHaveFile = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (bOptionsEnded || name == "-" || name.empty() || name[0] != '-') {
            if (bHaveFile) {
                strError = "only one FILE can be opened: " + name;
                return false;
            }
            m_strFile = name;
            bHaveFile = true;
            continue;
        }
        if (name == "--") {
            bOptionsEnded = true;
            continue;
        }
        // Long options take their value as the next argument or after '='.
        std::string value;
        bool bHasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
            bHasValue = true;
        }
        auto take = [&]() {
            if (!bHasValue) {
                if (i + 1 >= args.size()) {
                    strError = name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            return true;
        };
        auto flag = [&](bool& target) {
            if (bHasValue) {
                strError = name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };
        bool ok = true;
        if (name == "-h" || name == "--help")
            ok = flag(m_bHelp);
        else if (name == "--version")
            ok = flag(m_bVersion);
        else if (name == "--status")
            ok = flag(m_bStatus);
        else if (name == "--phone") {
            ok = take();
            if (ok && (value.empty() || value.front() == ',')) {
                strError = "--phone wants TYPE or TYPE,IMEI: " + value;
                ok = false;
            }
            m_strPhone = value;
        } else if (name == "--page") {
            ok = take() && ParseInt(value, 0, 1, m_nPage);
            if (!ok && strError.empty())
                strError = "--page wants 0 (ringtones) or 1 (melodies): " + value;
        } else if (name == "--screenshot") {
            ok = take();
            if (ok && value.empty()) {
                strError = "--screenshot wants a file name";
                ok = false;
            }
            m_strScreenshot = value;
        } else if (name == "--delay") {
            ok = take() && ParseInt(value, 0, kMaxDelayMs, m_nDelayMs);
            if (!ok && strError.empty())
                strError = "--delay wants milliseconds from 0 to " + std::to_string(kMaxDelayMs) + ": " + value;
        } else {
            strError = "unknown option " + name;
            ok = false;
        }
        if (!ok)
            return false;
    }
    return true;
}

std::string CHostOptions::HelpText()
{
    return "Usage: corvina [options] [FILE]\n"
           "\n"
           "The ringtone editor: see and change the ringtones of a mobile phone, cut clips from MIDI\n"
           "files and send them to the phone. FILE (a MIDI or iMelody file) opens on the Melodies page.\n"
           "\n"
           "Options:\n"
           "  -h, --help             show this help and exit\n"
           "      --version          print the version and exit\n"
           "      --phone TYPE,IMEI  take this phone as connected instead of detecting one on the port\n"
           "      --page N           show page 0 (ringtones on the phone) or 1 (melodies) first\n"
           "      --screenshot FILE  write a PNG picture of the window to FILE and quit\n"
           "      --delay MS         milliseconds to wait before the screenshot (default 1500)\n"
           "      --status           print the phone's status line to standard output each time it changes\n"
           "\n"
           "Exit status: 0 when the window was closed, 64 for a wrong command line.\n";
}

} // namespace corvina
