// Command handling of the virtual phone: identification, tones, volumes, sound mode, files, uploads.
#include "CAtCommandEngine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <system_error>

namespace corvina {

namespace {

// +CME ERROR codes the phone gives.
constexpr int kCmePhoneFailure = 0;
constexpr int kCmeNotAllowed = 3;
constexpr int kCmeNotSupported = 4;
constexpr int kCmeInvalidIndex = 21;
constexpr int kCmeNotFound = 22;
// Profile lines (AT^CLTN, AT^CAFL) and ringing lines (AT^CLVL).
constexpr int kFirstProfileLine = 6;
constexpr int kLastProfileLine = 26;
constexpr int kFirstRingingLine = 1;
constexpr int kLastRingingLine = 20;
constexpr size_t kMaxLineLength = 4096;

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool ParseInt(const std::string& s, int& value)
{
    if (s.empty())
        return false;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

std::string Range(int a, int b)
{
    return "(" + std::to_string(a) + "-" + std::to_string(b) + ")";
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string CmeText(int n)
{
    switch (n) {
    case kCmePhoneFailure: return "phone failure";
    case kCmeNotAllowed: return "operation not allowed";
    case kCmeNotSupported: return "operation not supported";
    case kCmeInvalidIndex: return "invalid index";
    case kCmeNotFound: return "not found";
    default: return "unknown";
    }
}

} // namespace

CAtCommandEngine::CAtCommandEngine(CPhoneState& state, CPhoneModel model) : m_state(state), m_model(std::move(model)) {}

void CAtCommandEngine::ResetSession()
{
    m_bEcho = true;
    m_nCmee = 0;
    m_strCharset = "GSM";
    AbortUpload();
}

void CAtCommandEngine::AbortUpload()
{
    m_bUploading = false;
    m_upload.clear();
}

void CAtCommandEngine::RefreshToneNumbers()
{
    if (!m_model.NumbersTones())
        return;
    m_state.FileSystem().UpdateToneNumbers({m_model.m_strImyStdFolder, m_model.m_strRtStdFolder},
                                           m_model.m_nNumberFixRt + 1);
}

std::map<std::string, int> CAtCommandEngine::ToneNumbers()
{
    if (!m_model.NumbersTones())
        return {};
    RefreshToneNumbers();
    return m_state.FileSystem().ReadToneNumbers();
}

std::string CAtCommandEngine::Frame(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += "\r\n" + line + "\r\n";
    return out;
}

std::string CAtCommandEngine::Respond(const std::string& strLine)
{
    // Echo is decided before the line runs: "ATE0" is still echoed, as on a real phone.
    const bool bEcho = m_bEcho;
    const auto lines = Execute(strLine);
    if (lines.empty())
        return {};
    return (bEcho ? strLine + "\r" : std::string()) + Frame(lines);
}

std::string CAtCommandEngine::FinalText(SStatus status) const
{
    if (status.IsOk())
        return "OK";
    if (status.nCme < 0 || m_nCmee == 0)
        return "ERROR";
    if (m_nCmee == 2)
        return "+CME ERROR: " + CmeText(status.nCme);
    return "+CME ERROR: " + std::to_string(status.nCme);
}

std::vector<std::string> CAtCommandEngine::Execute(const std::string& strRawLine)
{
    std::string line = strRawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    line = Trim(line);
    if (line.empty())
        return {};
    Lines out;
    if (line.size() > kMaxLineLength || line.size() < 2 || Upper(line.substr(0, 2)) != "AT")
        return {"ERROR"};

    const std::string rest = line.substr(2);
    SStatus status = SStatus::Ok();
    size_t pos = 0;
    while (pos < rest.size() && status.IsOk()) {
        if (rest[pos] == ';' || rest[pos] == ' ') {
            ++pos;
            continue;
        }
        if (rest[pos] == '+' || rest[pos] == '^') {
            // An extended command runs to the next ';' outside a string.
            size_t end = pos;
            bool quoted = false;
            for (; end < rest.size(); ++end) {
                if (rest[end] == '"')
                    quoted = !quoted;
                else if (rest[end] == ';' && !quoted)
                    break;
            }
            status = RunExtended(rest.substr(pos, end - pos), out);
            pos = end;
        } else {
            status = RunBasic(rest, pos, out);
        }
    }
    if (m_bDirty) {
        m_bDirty = false;
        m_strSaveError.clear();
        if (!m_state.Save(m_strSaveError) && status.IsOk())
            status = SStatus::Cme(kCmePhoneFailure);
    }
    out.push_back(FinalText(status));
    return out;
}

CAtCommandEngine::SStatus CAtCommandEngine::RunBasic(const std::string& rest, size_t& pos, Lines& out)
{
    std::string name(1, static_cast<char>(std::toupper(static_cast<unsigned char>(rest[pos++]))));
    if (name == "&" && pos < rest.size())
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(rest[pos++])));
    std::string digits;
    while (pos < rest.size() && std::isdigit(static_cast<unsigned char>(rest[pos])))
        digits += rest[pos++];
    int n = 0;
    if (!digits.empty() && !ParseInt(digits, n))
        return SStatus::Error();
    if (name == "E" && n <= 1) {
        m_bEcho = n == 1;
        return SStatus::Ok();
    }
    if ((name == "Z" || name == "&F") && n == 0) {
        ResetSession();
        return SStatus::Ok();
    }
    if (name == "I" && n == 0) {
        out.push_back(kManufacturer);
        out.push_back(m_state.m_strModel);
        out.push_back(std::string("Revision: ") + kRevision);
        return SStatus::Ok();
    }
    // Verbose answers and result codes on are the only settings this phone has.
    if ((name == "V" && (digits.empty() || n == 1)) || (name == "Q" && n == 0))
        return SStatus::Ok();
    return SStatus::Error();
}

CAtCommandEngine::SStatus CAtCommandEngine::RunExtended(const std::string& command, Lines& out)
{
    size_t nameEnd = 1;
    while (nameEnd < command.size() && (std::isalnum(static_cast<unsigned char>(command[nameEnd]))))
        ++nameEnd;
    const std::string name = Upper(command.substr(0, nameEnd));
    const std::string tail = command.substr(nameEnd);
    EForm form = EForm::Exec;
    std::vector<SArg> args;
    if (tail == "?")
        form = EForm::Read;
    else if (tail == "=?")
        form = EForm::Test;
    else if (!tail.empty() && tail[0] == '=') {
        form = EForm::Set;
        // Arguments split at commas outside strings; a string keeps its text as sent.
        SArg arg;
        bool quoted = false;
        for (size_t i = 1; i <= tail.size(); ++i) {
            if (i == tail.size() || (tail[i] == ',' && !quoted)) {
                if (quoted)
                    return SStatus::Error();
                if (!arg.bQuoted)
                    arg.strText = Trim(arg.strText);
                args.push_back(arg);
                arg = SArg();
            } else if (tail[i] == '"') {
                quoted = !quoted;
                arg.bQuoted = true;
            } else if (quoted || arg.bQuoted == false) {
                arg.strText += tail[i];
            } else if (tail[i] != ' ') {
                return SStatus::Error(); // text after a closing quote
            }
        }
    } else if (!tail.empty()) {
        return SStatus::Error();
    }

    if (name == "+CGMI" || name == "+CGMM" || name == "+CGMR" || name == "+CGSN" || name == "+GMI" || name == "+GMM" ||
        name == "+GMR" || name == "+GSN")
        return Identification(name, form, out);
    if (name == "+CMEE")
        return Cmee(form, args, out);
    if (name == "+CSCS")
        return Cscs(form, args, out);
    if (name == "+CFUN")
        return Cfun(form, args, out);
    if (name == "+CRSL")
        return Crsl(form, args, out);
    if (name == "+CALM")
        return Calm(form, args, out);
    if (name == "+CVIB")
        return Cvib(form, args, out);
    if (name == "^CRTN")
        return Crtn(form, args, out);
    if (name == "^CPLY")
        return Cply(form, args, out);
    if (name == "^CPLF")
        return Cplf(form, args);
    if (name == "^CLVL")
        return Clvl(form, args, out);
    if (name == "^CLTN")
        return Cltn(form, args, out);
    if (name == "^CAFL")
        return Cafl(form, args, out);
    if (name == "^CUTB")
        return Cutb(form, args);
    if (name == "^CUTD")
        return Cutd(form, args);
    if (name == "^CUTE")
        return Cute(form, args);
    if (name == "^SIMFAULT")
        return SimFault(form, args, out);
    return SStatus::Error();
}

CAtCommandEngine::SStatus CAtCommandEngine::Identification(const std::string& name, EForm form, Lines& out) const
{
    if (form == EForm::Test)
        return SStatus::Ok();
    if (form != EForm::Exec)
        return SStatus::Error();
    const std::string key = name.substr(name.size() - 3);
    if (key == "GMI")
        out.push_back(kManufacturer);
    else if (key == "GMM")
        out.push_back(m_state.m_strModel);
    else if (key == "GMR")
        out.push_back(kRevision);
    else
        out.push_back(m_state.m_strImei);
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cmee(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int n = 0;
    switch (form) {
    case EForm::Read: out.push_back("+CMEE: " + std::to_string(m_nCmee)); return SStatus::Ok();
    case EForm::Test: out.push_back("+CMEE: (0-2)"); return SStatus::Ok();
    case EForm::Exec: m_nCmee = 0; return SStatus::Ok();
    case EForm::Set:
        if (args.size() != 1 || !ParseInt(args[0].strText, n) || n < 0 || n > 2)
            return SStatus::Cme(kCmeNotSupported);
        m_nCmee = n;
        return SStatus::Ok();
    }
    return SStatus::Error();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cscs(EForm form, const std::vector<SArg>& args, Lines& out)
{
    static const std::vector<std::string> sets = {"GSM", "IRA", "8859-1", "UCS2", "UTF-8"};
    if (form == EForm::Read) {
        out.push_back("+CSCS: \"" + m_strCharset + "\"");
        return SStatus::Ok();
    }
    if (form == EForm::Test) {
        std::string list;
        for (const auto& s : sets)
            list += (list.empty() ? "\"" : ",\"") + s + "\"";
        out.push_back("+CSCS: (" + list + ")");
        return SStatus::Ok();
    }
    if (form != EForm::Set || args.size() != 1 || !args[0].bQuoted)
        return SStatus::Error();
    const std::string wanted = Upper(args[0].strText);
    if (std::find(sets.begin(), sets.end(), wanted) == sets.end())
        return SStatus::Cme(kCmeNotSupported);
    m_strCharset = wanted;
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cfun(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int n = 0, reset = 0;
    if (form == EForm::Read) {
        out.push_back("+CFUN: " + std::to_string(m_nCfun));
        return SStatus::Ok();
    }
    if (form == EForm::Test) {
        out.push_back("+CFUN: (0,1,4),(0-1)");
        return SStatus::Ok();
    }
    if (form != EForm::Set || args.empty() || args.size() > 2 || !ParseInt(args[0].strText, n) ||
        (n != 0 && n != 1 && n != 4) ||
        (args.size() == 2 && (!ParseInt(args[1].strText, reset) || reset < 0 || reset > 1)))
        return SStatus::Cme(kCmeNotSupported);
    m_nCfun = n;
    if (reset == 1)
        ResetSession();
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Crsl(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int v = 0;
    switch (form) {
    case EForm::Test: out.push_back("+CRSL: " + Range(m_model.m_nVolStart, m_model.m_nVolEnd)); return SStatus::Ok();
    case EForm::Read: out.push_back("+CRSL: " + std::to_string(m_state.m_nToneVolume)); return SStatus::Ok();
    case EForm::Set:
        if (args.size() != 1 || !ParseInt(args[0].strText, v) || !m_model.IsVolumeInRange(v))
            return SStatus::Cme(kCmeInvalidIndex);
        m_state.m_nToneVolume = v;
        m_bDirty = true;
        return SStatus::Ok();
    default: return SStatus::Error();
    }
}

CAtCommandEngine::SStatus CAtCommandEngine::Calm(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int v = 0;
    switch (form) {
    case EForm::Test: out.push_back("+CALM: (0-2)"); return SStatus::Ok();
    case EForm::Read: out.push_back("+CALM: " + std::to_string(m_state.m_nCalm)); return SStatus::Ok();
    case EForm::Set:
        if (args.size() != 1 || !ParseInt(args[0].strText, v) || v < 0 || v > 2)
            return SStatus::Cme(kCmeNotSupported);
        m_state.m_nCalm = v;
        m_bDirty = true;
        return SStatus::Ok();
    default: return SStatus::Error();
    }
}

CAtCommandEngine::SStatus CAtCommandEngine::Cvib(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int v = 0;
    switch (form) {
    case EForm::Test: out.push_back("+CVIB: (0-2)"); return SStatus::Ok();
    case EForm::Read: out.push_back("+CVIB: " + std::to_string(m_state.m_nCvib)); return SStatus::Ok();
    case EForm::Set:
        // 2 is vibration on in the form some phones report; accepted so that tests can set it.
        if (args.size() != 1 || !ParseInt(args[0].strText, v) || v < 0 || v > 2)
            return SStatus::Cme(kCmeNotSupported);
        m_state.m_nCvib = v;
        m_bDirty = true;
        return SStatus::Ok();
    default: return SStatus::Error();
    }
}

CAtCommandEngine::SStatus CAtCommandEngine::Crtn(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int index = 0, volume = 0;
    switch (form) {
    case EForm::Test:
        out.push_back("^CRTN: " + Range(m_model.FirstToneIndex(), m_model.LastToneIndex()) + "," +
                      Range(m_model.m_nVolStart, m_model.m_nVolEnd));
        return SStatus::Ok();
    case EForm::Read:
        out.push_back("^CRTN: " + std::to_string(m_state.m_nToneIndex) + "," + std::to_string(m_state.m_nToneVolume));
        return SStatus::Ok();
    case EForm::Set:
        if (args.size() != 2 || !ParseInt(args[0].strText, index) || !ParseInt(args[1].strText, volume))
            return SStatus::Error();
        if (index < m_model.FirstToneIndex() || index > m_model.LastToneIndex() || !m_model.IsVolumeInRange(volume))
            return SStatus::Cme(kCmeInvalidIndex);
        m_state.m_nToneIndex = index;
        m_state.m_nToneVolume = volume;
        // Choosing a ringtone turns the ringer on, so that the choice is heard.
        m_state.m_nCalm = 0;
        m_bDirty = true;
        return SStatus::Ok();
    default: return SStatus::Error();
    }
}

CAtCommandEngine::SStatus CAtCommandEngine::Cply(EForm form, const std::vector<SArg>& args, Lines& out)
{
    int v = 0;
    switch (form) {
    case EForm::Test: out.push_back("^CPLY: (0-1)"); return SStatus::Ok();
    case EForm::Read:
        out.push_back(std::string("^CPLY: ") + (m_state.m_strPlaying.empty() ? "0" : "1"));
        return SStatus::Ok();
    case EForm::Set:
        if (args.size() != 1 || !ParseInt(args[0].strText, v) || v < 0 || v > 1)
            return SStatus::Cme(kCmeNotSupported);
        if (v == 0)
            m_state.m_strPlaying.clear();
        else if (const int slot = m_model.UserToneSlot(m_state.m_nToneIndex); slot >= 0)
            m_state.m_strPlaying = "usertone " + std::to_string(slot);
        else
            m_state.m_strPlaying = "tone " + std::to_string(m_state.m_nToneIndex);
        m_bDirty = true;
        return SStatus::Ok();
    default: return SStatus::Error();
    }
}

CAtCommandEngine::SStatus CAtCommandEngine::Cplf(EForm form, const std::vector<SArg>& args)
{
    // Phones with numbered tone slots have no files to play.
    if (!m_model.m_bFolderMode)
        return SStatus::Error();
    if (form == EForm::Test)
        return SStatus::Ok();
    if (form != EForm::Set || args.empty() || args.size() > 2)
        return SStatus::Error();
    if (!args[0].bQuoted) {
        if (args.size() != 1 || args[0].strText != "0")
            return SStatus::Error();
        m_state.m_strPlaying.clear();
        m_bDirty = true;
        return SStatus::Ok();
    }
    int repeat = -1;
    if (args.size() == 2 && (!ParseInt(args[1].strText, repeat) || repeat < -1))
        return SStatus::Cme(kCmeNotSupported);
    if (!m_state.FileSystem().PhoneFileExists(args[0].strText))
        return SStatus::Cme(kCmeNotFound);
    m_state.m_strPlaying = "file " + args[0].strText;
    m_bDirty = true;
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Clvl(EForm form, const std::vector<SArg>& args, Lines& out)
{
    // The BIRCH family sets line volumes together with the tone (AT^CLTN).
    if (m_model.m_bBirch)
        return SStatus::Error();
    const int start = m_model.m_bR41 ? m_model.m_nGroupVolStart : m_model.m_nVolStart;
    const int end = m_model.m_bR41 ? m_model.m_nGroupVolEnd : m_model.m_nVolEnd;
    if (form == EForm::Test) {
        if (!m_model.m_bR41)
            return SStatus::Error();
        out.push_back("^CLVL: " + Range(start, end));
        return SStatus::Ok();
    }
    int line = 0, volume = 0;
    if (form != EForm::Set || args.empty() || args.size() > 2 || !ParseInt(args[0].strText, line))
        return SStatus::Error();
    if (line < kFirstRingingLine || line > kLastRingingLine)
        return SStatus::Cme(kCmeInvalidIndex);
    if (args.size() == 1) {
        out.push_back("^CLVL: " + std::to_string(line) + "," +
                      std::to_string(m_state.RingingLineVolume(line, m_model)));
        return SStatus::Ok();
    }
    if (!ParseInt(args[1].strText, volume))
        return SStatus::Error();
    if (volume < start || volume > end)
        return SStatus::Cme(kCmeInvalidIndex);
    if (m_model.m_bR41)
        m_state.m_ringingLineVolumes[line] = volume;
    else
        m_state.m_nToneVolume = volume;
    m_bDirty = true;
    return SStatus::Ok();
}

bool CAtCommandEngine::IsKnownTone(int nTone)
{
    if (nTone >= 1 && nTone <= m_model.m_nNumberFixRt)
        return true;
    RefreshToneNumbers();
    for (const auto& [name, number] : m_state.FileSystem().ReadToneNumbers())
        if (number == nTone)
            return true;
    return false;
}

CAtCommandEngine::SStatus CAtCommandEngine::Cltn(EForm form, const std::vector<SArg>& args, Lines& out)
{
    if (!m_model.m_bBirch)
        return SStatus::Error();
    if (form == EForm::Test) {
        out.push_back("^CLTN: " + Range(kFirstProfileLine, kLastProfileLine) + ",(1-999)," +
                      Range(m_model.m_nVolStart, m_model.m_nVolEnd));
        return SStatus::Ok();
    }
    int line = 0, tone = 0, volume = 0;
    if (form != EForm::Set || (args.size() != 1 && args.size() != 3) || !ParseInt(args[0].strText, line))
        return SStatus::Error();
    if (line < kFirstProfileLine || line > kLastProfileLine)
        return SStatus::Cme(kCmeInvalidIndex);
    if (args.size() == 1) {
        const SLineTone t = m_state.LineTone(line, m_model);
        out.push_back("^CLTN: " + std::to_string(line) + "," + std::to_string(t.nTone) + "," +
                      std::to_string(t.nVolume));
        return SStatus::Ok();
    }
    if (!ParseInt(args[1].strText, tone) || !ParseInt(args[2].strText, volume))
        return SStatus::Error();
    if (!m_model.IsVolumeInRange(volume) || !IsKnownTone(tone))
        return SStatus::Cme(kCmeInvalidIndex);
    m_state.m_lineTones[line] = SLineTone{tone, volume};
    m_bDirty = true;
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cafl(EForm form, const std::vector<SArg>& args, Lines& out)
{
    // Phones that number their tones in slots have no files to assign.
    if (!m_model.m_bFolderMode)
        return SStatus::Error();
    if (form == EForm::Test) {
        out.push_back("^CAFL: " + Range(kFirstProfileLine, kLastProfileLine));
        return SStatus::Ok();
    }
    int line = 0;
    if (form != EForm::Set || args.empty() || args.size() > 2 || !ParseInt(args[0].strText, line) ||
        (args.size() == 2 && !args[1].bQuoted))
        return SStatus::Error();
    if (line < kFirstProfileLine || line > kLastProfileLine)
        return SStatus::Cme(kCmeInvalidIndex);
    if (args.size() == 1) {
        out.push_back("^CAFL: " + std::to_string(line) + ",\"" + m_state.ActiveFile(line) + "\"");
        return SStatus::Ok();
    }
    const std::string& path = args[1].strText;
    if (path.empty())
        m_state.m_activeFiles.erase(line);
    else if (!m_state.FileSystem().PhoneFileExists(path))
        return SStatus::Cme(kCmeNotFound);
    else
        m_state.m_activeFiles[line] = path;
    m_bDirty = true;
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cutb(EForm form, const std::vector<SArg>& args)
{
    // Phones that keep tones as files have no user-defined slots.
    if (m_model.m_bFolderMode)
        return SStatus::Error();
    int slot = 0, size = 0;
    if (form != EForm::Set || args.size() != 2 || !ParseInt(args[0].strText, slot) || !ParseInt(args[1].strText, size))
        return SStatus::Error();
    AbortUpload();
    if (slot < 0 || slot >= m_model.m_nNumberUserdefRt || size <= 0 || size > kMaxUserToneBytes)
        return SStatus::Cme(kCmeNotSupported);
    m_bUploading = true;
    m_nUploadSlot = slot;
    m_nUploadSize = size;
    m_upload.reserve(static_cast<size_t>(size));
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cutd(EForm form, const std::vector<SArg>& args)
{
    // Phones that keep tones as files have no user-defined slots.
    if (m_model.m_bFolderMode)
        return SStatus::Error();
    if (form != EForm::Set || args.size() != 1)
        return SStatus::Error();
    const std::string& hex = args[0].strText;
    bool good = m_bUploading && args[0].bQuoted && !hex.empty() && hex.size() % 2 == 0 &&
                hex.size() <= 2 * kMaxChunkBytes &&
                std::all_of(hex.begin(), hex.end(), [](char c) { return HexValue(c) >= 0; }) &&
                m_upload.size() + hex.size() / 2 <= static_cast<size_t>(m_nUploadSize);
    if (!good) {
        // A broken transfer is abandoned; the slot keeps its old tone.
        AbortUpload();
        return SStatus::Cme(kCmeNotSupported);
    }
    for (size_t i = 0; i < hex.size(); i += 2)
        m_upload.push_back(static_cast<unsigned char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::Cute(EForm form, const std::vector<SArg>& args)
{
    // Phones that keep tones as files have no user-defined slots.
    if (m_model.m_bFolderMode)
        return SStatus::Error();
    int sum = 0;
    if (form != EForm::Set || args.size() != 1 || !ParseInt(args[0].strText, sum))
        return SStatus::Error();
    if (!m_bUploading)
        return SStatus::Cme(kCmeNotSupported);
    unsigned actual = 0;
    for (unsigned char b : m_upload)
        actual = (actual + b) & 0xFFFFu;
    const bool complete = m_upload.size() == static_cast<size_t>(m_nUploadSize) && static_cast<int>(actual) == sum;
    if (!complete) {
        AbortUpload();
        return SStatus::Cme(kCmeNotSupported);
    }
    const auto target = m_state.UserToneFile(m_nUploadSlot);
    auto temp = target;
    temp += ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(m_upload.data()), static_cast<std::streamsize>(m_upload.size()));
        if (!file.flush()) {
            AbortUpload();
            return SStatus::Cme(kCmePhoneFailure);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        AbortUpload();
        return SStatus::Cme(kCmePhoneFailure);
    }
    m_state.m_userTones[m_nUploadSlot] = SUserTone{m_nUploadSize, sum};
    m_bDirty = true;
    AbortUpload();
    return SStatus::Ok();
}

CAtCommandEngine::SStatus CAtCommandEngine::SimFault(EForm form, const std::vector<SArg>& args, Lines& out)
{
    if (form == EForm::Read && m_describeFaults) {
        out.push_back("^SIMFAULT: \"" + m_describeFaults() + "\"");
        return SStatus::Ok();
    }
    if (form != EForm::Set || args.size() != 1 || !args[0].bQuoted || !m_onSimFault)
        return SStatus::Error();
    return m_onSimFault(args[0].strText) ? SStatus::Ok() : SStatus::Error();
}

} // namespace corvina
