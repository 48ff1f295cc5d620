// Line assembly and fault decisions of the virtual phone.
#include "CSimPhone.h"

namespace corvina {

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
}

std::vector<SSimReply> CSimPhone::Feed(const std::string& strBytes)
{
    std::vector<SSimReply> replies;
    for (char c : strBytes) {
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
    case EFaultKind::None: reply.strBytes = m_engine.Respond(strLine); break;
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

}  // namespace corvina
