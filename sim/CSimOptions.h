// The command line of corvina-phonesim.
#pragma once

#include <string>
#include <vector>

namespace corvina {

// Options of the virtual phone program, as parsed from its command line.
class CSimOptions {
public:
    std::string m_strStateDir;
    std::string m_strModel; // empty: the model in the state, or the default
    std::string m_strImei;  // empty: keep
    std::string m_strLink;
    std::string m_strLog;
    std::string m_strCorpus;
    bool m_bSeedRingtones = false;
    bool m_bReopen = false;
    int m_nReopenMs = 1000;
    // Fault rules in the form CFaultPlan::Apply takes.
    std::vector<std::string> m_faultRules;
    // Answer ERROR to every vendor command.
    bool m_bStandardOnly = false;
    bool m_bHelp = false;
    bool m_bVersion = false;
    bool m_bListModels = false;

    // Parses the arguments (without the program name); false with a message for bad ones.
    bool Parse(const std::vector<std::string>& args, std::string& strError);
    // The text of --help.
    static std::string HelpText(const std::string& strDefaultState, const std::string& strDefaultCorpus);
    // Where the state lives when --state is not given: $XDG_STATE_HOME/corvina/phonesim.
    static std::string DefaultStateDir();
};

} // namespace corvina
