// Faults the virtual phone can be told to show: wrong answers, silence, garbage, slowness, a dropped line.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace corvina {

// What the phone does instead of answering a command normally.
enum class EFaultKind { None, Error, CmeError, Garbage, Silent };

// One rule: commands that begin with the prefix get the fault.
struct SFaultRule {
    EFaultKind eKind = EFaultKind::None;
    std::string strPrefix; // upper case, beginning with "AT"
    int nCmeCode = 0;
};

// The set of faults in force; changed from the command line or at run time (AT^SIMFAULT).
class CFaultPlan {
public:
    // Adds one rule in the form "<kind>=<value>": fail=PREFIX, cme=PREFIX:N, garbage=PREFIX,
    // silent=PREFIX, delay=MS, drop=N, obexdrop=N, or "clear" for no faults. False with a reason for a bad rule.
    bool Apply(const std::string& strRule, std::string& strError);
    // The first rule whose prefix the command line begins with (case ignored), or a None rule.
    // The fault control command itself never matches, so a test can always clear the faults.
    SFaultRule Match(const std::string& strLine) const;
    // The rules in the form Apply takes, separated by ";".
    std::string Describe() const;
    // Random bytes that no AT client can read as an answer (no "OK", no "ERROR").
    std::string MakeGarbage();

    // Pause before every answer, in milliseconds.
    int m_nDelayMs = 0;
    // Drop the line after answering this many more commands (0: never).
    int m_nDropAfter = 0;
    // Drop the line after answering this many OBEX packets since the line opened (0: never).
    // Fires once.
    int m_nObexDropAfter = 0;
    // Answer ERROR to every vendor ("^") command, as a phone with only the standard commands;
    // "clear" does not change it.
    bool m_bStandardOnly = false;

private:
    std::vector<SFaultRule> m_rules;
    std::mt19937 m_random{std::random_device{}()};
};

} // namespace corvina
