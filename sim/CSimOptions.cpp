// Parsing and help of corvina-phonesim's command line.
#include "CSimOptions.h"

#include <charconv>
#include <cstdlib>

#include "CFaultPlan.h"

namespace corvina {

namespace {

bool ParseMs(const std::string& s, int& value)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size() && value >= 0 && value <= 600000;
}

} // namespace

bool CSimOptions::Parse(const std::vector<std::string>& args, std::string& strError)
{
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        auto eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto take = [&](std::string& target) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    strError = name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            target = value;
            return true;
        };
        auto rule = [&](const char* kind) {
            std::string v;
            if (!take(v))
                return false;
            const std::string text = std::string(kind) + "=" + v;
            CFaultPlan check;
            if (!check.Apply(text, strError))
                return false;
            m_faultRules.push_back(text);
            return true;
        };
        bool ok = true;
        std::string number;
        if (name == "-h" || name == "--help")
            m_bHelp = true;
        else if (name == "--version")
            m_bVersion = true;
        else if (name == "--list-models")
            m_bListModels = true;
        else if (name == "--seed-ringtones")
            m_bSeedRingtones = true;
        else if (name == "--reopen")
            m_bReopen = true;
        else if (name == "--standard-only")
            m_bStandardOnly = true;
        else if (name == "--refuse-obex")
            m_faultRules.push_back("fail=AT+CPROT");
        else if (name == "--obex-drop-after")
            ok = rule("obexdrop");
        else if (name == "--state")
            ok = take(m_strStateDir);
        else if (name == "--model")
            ok = take(m_strModel);
        else if (name == "--imei") {
            ok = take(m_strImei);
            if (ok && (m_strImei.size() != 15 || m_strImei.find_first_not_of("0123456789") != std::string::npos)) {
                strError = "--imei wants 15 digits: " + m_strImei;
                ok = false;
            }
        } else if (name == "--link")
            ok = take(m_strLink);
        else if (name == "--log")
            ok = take(m_strLog);
        else if (name == "--corpus")
            ok = take(m_strCorpus);
        else if (name == "--reopen-ms") {
            ok = take(number);
            if (ok && !ParseMs(number, m_nReopenMs)) {
                strError = "--reopen-ms wants milliseconds: " + number;
                ok = false;
            }
        } else if (name == "--fail-cmd")
            ok = rule("fail");
        else if (name == "--cme-cmd")
            ok = rule("cme");
        else if (name == "--garbage")
            ok = rule("garbage");
        else if (name == "--silent-cmd")
            ok = rule("silent");
        else if (name == "--delay-ms")
            ok = rule("delay");
        else if (name == "--drop-after")
            ok = rule("drop");
        else {
            strError = "unknown option: " + args[i];
            ok = false;
        }
        if (!ok)
            return false;
    }
    return true;
}

std::string CSimOptions::DefaultStateDir()
{
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
        return std::string(xdg) + "/corvina/phonesim";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/state/corvina/phonesim";
    return "corvina-phonesim-state";
}

std::string CSimOptions::HelpText(const std::string& strDefaultState, const std::string& strDefaultCorpus)
{
    return "Usage: corvina-phonesim [options]\n"
           "\n"
           "A virtual mobile phone for the ringtone editor. It opens a pseudo-terminal, prints its\n"
           "path on the first line of standard output and answers AT commands on it like a phone:\n"
           "identification (AT, ATZ, ATE0/ATE1, ATI, +CGMI, +CGMM, +CGMR, +CGSN, +CMEE, +CSCS, +CFUN),\n"
           "volumes (+CRSL, ^CLVL), tones (^CRTN, ^CLTN), sound mode (+CALM, +CVIB), active files\n"
           "(^CAFL), user tone uploads (^CUTB, ^CUTD, ^CUTE) and playing (^CPLY, ^CPLF). Unknown\n"
           "commands get ERROR. AT+CPROT=0 answers CONNECT and the line speaks OBEX File Transfer\n"
           "over fs/ until DISCONNECT, or until it has been idle for 5 seconds. Settings and files\n"
           "survive a restart (see corvina-phonesim(1)).\n"
           "\n"
           "Phone:\n"
           "  --state DIR        state folder: phone.conf, fs/ (the phone's files), usertones/\n"
           "                     (default " +
           strDefaultState +
           ")\n"
           "  --model TYPE       phone type to play (default: the one in the state, else CX70):\n"
           "                     CX70 (ringtone files), BIRCH-M55 and any type containing BIRCH,\n"
           "                     MOSAIC (BIRCH family: tone numbers, per-line tone and volume),\n"
           "                     ME45, R15 (numbered tone slots with 5 and 2 user slots),\n"
           "                     RX41, R41 (caller-group family). A new type resets the tone and\n"
           "                     volume settings to the family's defaults; files stay.\n"
           "  --imei DIGITS      the IMEI, 15 digits (kept in the state; default 350000000000017)\n"
           "  --seed-ringtones   copy a few MIDI files (BIRCH-M55: and one iMelody) from the corpus\n"
           "                     into the standard folders; they count as built-in tones 1, 2, ...\n"
           "  --corpus DIR       corpus folder for seeding (default " +
           strDefaultCorpus +
           ")\n"
           "  --list-models      print the phone types known by name and exit\n"
           "  --standard-only    answer ERROR to every vendor (^) command, as a phone whose firmware\n"
           "                     has only the standard commands\n"
           "\n"
           "Line:\n"
           "  --link PATH        also make PATH a symbolic link to the pseudo-terminal (removed on exit)\n"
           "  --log FILE         append one time-stamped line per command received (RX), answer\n"
           "                     sent (TX) and line event (EV)\n"
           "\n"
           "Faults (for tests; PREFIX is matched against the start of the command line, ignoring\n"
           "case, \"AT\" may be left out; each option can be given more than once):\n"
           "  --fail-cmd PREFIX  answer ERROR\n"
           "  --cme-cmd PREFIX:N answer +CME ERROR: N\n"
           "  --garbage PREFIX   answer random bytes that are no AT answer\n"
           "  --silent-cmd PREFIX  never answer\n"
           "  --delay-ms N       wait N milliseconds before every answer\n"
           "  --drop-after N     close the pseudo-terminal after answering N commands; the program\n"
           "                     then exits, unless --reopen is given\n"
           "  --reopen           after a drop, wait --reopen-ms (default 1000) and open a new\n"
           "                     pseudo-terminal: its path is printed as a new line and --link is\n"
           "                     pointed at it; the session restarts (echo on) and the drop fires once\n"
           "  --reopen-ms N      pause before reopening\n"
           "  --refuse-obex      answer ERROR to AT+CPROT=0 (same as --fail-cmd AT+CPROT)\n"
           "  --obex-drop-after N  close the pseudo-terminal after answering N OBEX packets\n"
           "At run time AT^SIMFAULT=\"<rule>\" adds a rule (fail=P, cme=P:N, garbage=P, silent=P,\n"
           "delay=N, drop=N counting from the next command, obexdrop=N) and AT^SIMFAULT=\"clear\" removes all;\n"
           "AT^SIMFAULT? lists them. AT^SIMFAULT itself is never faulted.\n"
           "\n"
           "  -h, --help         show this text\n"
           "  --version          print the version and exit\n"
           "\n"
           "SIGTERM and SIGINT end the program cleanly (the link is removed). Exit status: 0 after a\n"
           "clean end or a drop without --reopen, 2 for a state, phone type or link that cannot be\n"
           "used, 64 for a wrong command line.\n";
}

} // namespace corvina
