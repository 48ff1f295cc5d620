// The command line of the corvina program, read before the toolkit starts so that --help and
// --version work without a display and a wrong option ends the program at once.
#pragma once

#include <string>
#include <vector>

namespace corvina {

class CHostOptions {
public:
    bool m_bHelp = false;        // -h / --help: print HelpText() and exit
    bool m_bVersion = false;     // --version: print the version and exit
    std::string m_strPhone;      // --phone TYPE,IMEI: post this record instead of detecting the phone
    int m_nPage = -1;            // --page N: the page shown first (-1: the editor's choice)
    std::string m_strScreenshot; // --screenshot FILE: write a PNG of the window and quit
    int m_nDelayMs = 1500;       // --delay MS: wait before the screenshot
    bool m_bStatus = false;      // --status: print each new text of the phone status line
    std::string m_strFile;       // FILE: a melody opened on the Melodies page

    // Parses the arguments (without the program name); false with a one-line message for bad ones.
    bool Parse(const std::vector<std::string>& args, std::string& strError);
    // The text of --help.
    static std::string HelpText();
};

} // namespace corvina
