// Line assembly and fault decisions of the virtual phone.
#include "CSimPhone.h"

#include <cctype>

namespace corvina {

namespace {

std::string Compact(const std::string& line)
{
    std::string out;
    for (char c : line)
        if (c != ' ' && c != '\t')
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsObexSwitch(const std::string& line)
{
    return Compact(line) == "AT+CPROT=0";
}

// The vendor commands are the "^" ones; the program's own AT^SIMFAULT stays usable.
bool IsVendorCommand(const std::string& line)
{
    const std::string compact = Compact(line);
    return compact.rfind("AT^", 0) == 0 && compact.rfind("AT^SIMFAULT", 0) != 0;
}

} // namespace

CSimPhone::CSimPhone(CAtCommandEngine& engine, CFaultPlan& faults) : m_engine(engine), m_faults(faults)
{
    m_engine.m_onSimFault = [this](const std::string& rule) {
        std::string error;
        if (!m_faults.Apply(rule, error))
            return false;
        // A drop rule set at run time counts the commands after the one that set it.
        if (rule.rfind("drop=", 0) == 0)
            m_nDropCount = -1;
        return true;
    };
    m_engine.m_describeFaults = [this] { return m_faults.Describe(); };
}

void CSimPhone::Restart()
{
    m_pending.clear();
    m_bOverlong = false;
    m_engine.ResetSession();
    m_bObex = false;
    m_nObexPackets = 0;
    if (m_obex)
        m_obex->Reset();
}

void CSimPhone::EnableObex(const std::filesystem::path& root)
{
    m_obex = std::make_unique<CObexServer>(root, [this] { return m_engine.ToneNumbers(); });
}

size_t CSimPhone::FeedObex(const std::string& strBytes, std::vector<SSimReply>& replies)
{
    std::vector<SObexStep> steps;
    const size_t used = m_obex->Feed(strBytes, steps);
    for (const SObexStep& step : steps) {
        SSimReply reply;
        reply.strCommand = step.strRequest;
        reply.strBytes = step.strReply;
        reply.nDelayMs = m_faults.m_nDelayMs;
        ++m_nObexPackets;
        if (m_faults.m_nObexDropAfter > 0 && m_nObexPackets >= m_faults.m_nObexDropAfter) {
            // The line goes down after this answer, in the middle of whatever the PC was doing.
            reply.bDrop = true;
            m_faults.m_nObexDropAfter = 0;
            m_obex->Reset();
            m_bObex = false;
            replies.push_back(reply);
            return strBytes.size();
        }
        replies.push_back(reply);
    }
    m_lastObex = std::chrono::steady_clock::now();
    if (m_obex->Ended()) {
        m_bObex = false;
        m_obex->Reset();
    }
    return used;
}

std::vector<SSimReply> CSimPhone::Feed(const std::string& strBytes)
{
    std::vector<SSimReply> replies;
    if (m_bObex && std::chrono::steady_clock::now() - m_lastObex > std::chrono::milliseconds(m_nObexIdleMs)) {
        m_bObex = false;
        m_obex->Reset();
    }
    for (size_t i = 0; i < strBytes.size(); ++i) {
        if (m_bObex) {
            i += FeedObex(strBytes.substr(i), replies);
            if (m_bObex || i >= strBytes.size() || (!replies.empty() && replies.back().bDrop))
                break;
        }
        const char c = strBytes[i];
        if (c != '\r' && c != '\n') {
            if (m_pending.size() < kMaxLine)
                m_pending += c;
            else
                m_bOverlong = true;
            continue;
        }
        // CR ends a command; the LF of a CR LF pair then ends an empty line, which gets no answer.
        std::string line;
        line.swap(m_pending);
        if (m_bOverlong) {
            m_bOverlong = false;
            SSimReply reply;
            reply.strCommand = line;
            reply.strBytes = CAtCommandEngine::Frame({"ERROR"});
            ++m_nCommands;
            replies.push_back(reply);
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        replies.push_back(Answer(line));
    }
    return replies;
}

SSimReply CSimPhone::Answer(const std::string& strLine)
{
    SSimReply reply;
    reply.strCommand = strLine;
    reply.nDelayMs = m_faults.m_nDelayMs;
    const SFaultRule rule = m_faults.Match(strLine);
    const std::string echo = m_engine.IsEchoOn() ? strLine + "\r" : std::string();
    switch (rule.eKind) {
    case EFaultKind::None:
        if (m_obex && IsObexSwitch(strLine)) {
            // The answer is the last text on the line: OBEX packets follow.
            reply.strBytes = echo + CAtCommandEngine::Frame({"CONNECT"});
            m_bObex = true;
            m_lastObex = std::chrono::steady_clock::now();
            m_obex->Reset();
        } else if (m_faults.m_bStandardOnly && IsVendorCommand(strLine)) {
            reply.strBytes = echo + CAtCommandEngine::Frame({"ERROR"});
        } else {
            reply.strBytes = m_engine.Respond(strLine);
        }
        break;
    case EFaultKind::Error: reply.strBytes = echo + CAtCommandEngine::Frame({"ERROR"}); break;
    case EFaultKind::CmeError:
        reply.strBytes = echo + CAtCommandEngine::Frame({"+CME ERROR: " + std::to_string(rule.nCmeCode)});
        break;
    case EFaultKind::Garbage: reply.strBytes = m_faults.MakeGarbage(); break;
    case EFaultKind::Silent: break;
    }
    ++m_nCommands;
    if (m_faults.m_nDropAfter > 0 && ++m_nDropCount >= m_faults.m_nDropAfter) {
        reply.bDrop = true;
        m_faults.m_nDropAfter = 0;
        m_nDropCount = 0;
    }
    return reply;
}

} // namespace corvina
