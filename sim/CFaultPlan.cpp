// Fault rules of the virtual phone.
#include "CFaultPlan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvina {

namespace {

constexpr int kMaxDelayMs = 600000;
constexpr const char* kFaultControl = "AT^SIMFAULT";

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool ParseCount(const std::string& s, int nMax, int& value)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size() && value >= 0 && value <= nMax;
}

std::string NormalisePrefix(const std::string& prefix)
{
    std::string p = Upper(prefix);
    if (p.rfind("AT", 0) != 0)
        p = "AT" + p;
    return p;
}

const char* KindName(EFaultKind kind)
{
    switch (kind) {
    case EFaultKind::Error: return "fail";
    case EFaultKind::CmeError: return "cme";
    case EFaultKind::Garbage: return "garbage";
    case EFaultKind::Silent: return "silent";
    default: return "none";
    }
}

} // namespace

bool CFaultPlan::Apply(const std::string& strRule, std::string& strError)
{
    if (strRule == "clear") {
        m_rules.clear();
        m_nDelayMs = 0;
        m_nDropAfter = 0;
        m_nObexDropAfter = 0;
        return true;
    }
    auto eq = strRule.find('=');
    if (eq == std::string::npos || eq + 1 >= strRule.size()) {
        strError = "a fault rule has the form kind=value: " + strRule;
        return false;
    }
    const std::string kind = strRule.substr(0, eq);
    const std::string value = strRule.substr(eq + 1);
    int number = 0;
    if (kind == "delay") {
        if (!ParseCount(value, kMaxDelayMs, number)) {
            strError = "delay wants milliseconds (0.." + std::to_string(kMaxDelayMs) + "): " + value;
            return false;
        }
        m_nDelayMs = number;
        return true;
    }
    if (kind == "drop") {
        if (!ParseCount(value, 1000000, number) || number == 0) {
            strError = "drop wants a number of commands above 0: " + value;
            return false;
        }
        m_nDropAfter = number;
        return true;
    }
    if (kind == "obexdrop") {
        if (!ParseCount(value, 1000000, number) || number == 0) {
            strError = "obexdrop wants a number of OBEX packets above 0: " + value;
            return false;
        }
        m_nObexDropAfter = number;
        return true;
    }
    SFaultRule rule;
    rule.strPrefix = NormalisePrefix(value);
    if (kind == "fail")
        rule.eKind = EFaultKind::Error;
    else if (kind == "garbage")
        rule.eKind = EFaultKind::Garbage;
    else if (kind == "silent")
        rule.eKind = EFaultKind::Silent;
    else if (kind == "cme") {
        auto colon = value.rfind(':');
        if (colon == std::string::npos || colon == 0 || !ParseCount(value.substr(colon + 1), 65535, rule.nCmeCode)) {
            strError = "cme wants PREFIX:CODE: " + value;
            return false;
        }
        rule.eKind = EFaultKind::CmeError;
        rule.strPrefix = NormalisePrefix(value.substr(0, colon));
    } else {
        strError = "unknown fault kind: " + kind;
        return false;
    }
    m_rules.push_back(rule);
    return true;
}

SFaultRule CFaultPlan::Match(const std::string& strLine) const
{
    std::string line = Upper(strLine);
    line.erase(0, line.find_first_not_of(" \t"));
    if (line.rfind(kFaultControl, 0) == 0)
        return {};
    for (const auto& rule : m_rules)
        if (line.rfind(rule.strPrefix, 0) == 0)
            return rule;
    return {};
}

std::string CFaultPlan::Describe() const
{
    std::string text;
    auto add = [&text](const std::string& rule) { text += (text.empty() ? "" : ";") + rule; };
    for (const auto& rule : m_rules)
        add(std::string(KindName(rule.eKind)) + "=" + rule.strPrefix +
            (rule.eKind == EFaultKind::CmeError ? ":" + std::to_string(rule.nCmeCode) : ""));
    if (m_nDelayMs > 0)
        add("delay=" + std::to_string(m_nDelayMs));
    if (m_nDropAfter > 0)
        add("drop=" + std::to_string(m_nDropAfter));
    if (m_nObexDropAfter > 0)
        add("obexdrop=" + std::to_string(m_nObexDropAfter));
    return text;
}

std::string CFaultPlan::MakeGarbage()
{
    // High bytes and punctuation only: no letters, so no result code can appear by chance. One byte
    // that never occurs in UTF-8 (0xFF) makes sure random high bytes never form valid text.
    static const std::string punctuation = "#$%&*<>@[]{}|~";
    std::uniform_int_distribution<int> length(8, 48), pick(0, 1), high(0x80, 0xFE),
        punct(0, static_cast<int>(punctuation.size()) - 1);
    std::string bytes;
    const int n = length(m_random);
    for (int i = 0; i < n; ++i)
        bytes += pick(m_random) ? static_cast<char>(high(m_random)) : punctuation[static_cast<size_t>(punct(m_random))];
    std::uniform_int_distribution<std::size_t> where(0, bytes.size());
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(where(m_random)), static_cast<char>(0xFF));
    return bytes + "\r\n";
}

} // namespace corvina
