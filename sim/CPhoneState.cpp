// Loading and saving the virtual phone's settings file.
#include "CPhoneState.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace corvina {

namespace fs = std::filesystem;

namespace {

bool ToInt(const std::string& s, int& value)
{
    if (s.empty())
        return false;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

// Splits "line.9.tone" into prefix "line", number 9 and suffix "tone".
bool SplitIndexedKey(const std::string& key, std::string& prefix, int& number, std::string& suffix)
{
    auto first = key.find('.');
    if (first == std::string::npos)
        return false;
    auto second = key.find('.', first + 1);
    prefix = key.substr(0, first);
    suffix = second == std::string::npos ? "" : key.substr(second + 1);
    return ToInt(key.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1), number);
}

int MidVolume(const CPhoneModel& model)
{
    return (model.m_nVolStart + model.m_nVolEnd + 1) / 2;
}

} // namespace

bool CPhoneState::Open(const fs::path& dir, std::string& strError)
{
    std::error_code ec;
    fs::create_directories(dir / "fs", ec);
    fs::create_directories(dir / "usertones", ec);
    if (!fs::is_directory(dir / "fs", ec)) {
        strError = "cannot create the state folder " + dir.string();
        return false;
    }
    const fs::path settings = dir / kSettingsFile;
    if (fs::exists(settings, ec)) {
        std::ifstream in(settings, std::ios::binary);
        if (!in) {
            strError = "cannot read " + settings.string();
            return false;
        }
        std::ostringstream text;
        text << in.rdbuf();
        std::vector<std::string> problems;
        *this = Parse(text.str(), problems);
        for (const auto& p : problems)
            strError += settings.string() + ": " + p + "\n";
    }
    m_dir = dir;
    return true;
}

bool CPhoneState::Save(std::string& strError) const
{
    const fs::path target = m_dir / kSettingsFile;
    const fs::path temp = m_dir / (std::string(kSettingsFile) + ".tmp");
    const std::string text = Serialize();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        strError = "cannot write " + temp.string();
        return false;
    }
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    std::error_code ec;
    if (ok)
        fs::rename(temp, target, ec);
    if (!ok || ec) {
        strError = "cannot write " + target.string();
        return false;
    }
    return true;
}

std::string CPhoneState::Serialize() const
{
    std::ostringstream out;
    out << "# corvina-phonesim state: key=value, one per line (see docs/virtual-phone.md)\n";
    out << "model=" << m_strModel << "\n";
    out << "imei=" << m_strImei << "\n";
    out << "ringtone.index=" << m_nToneIndex << "\n";
    out << "ringtone.volume=" << m_nToneVolume << "\n";
    out << "calm=" << m_nCalm << "\n";
    out << "cvib=" << m_nCvib << "\n";
    // Derived from calm and cvib; written for readers of the file, ignored when loading.
    out << "soundmode=" << SoundModeWord() << "\n";
    for (const auto& [line, tone] : m_lineTones) {
        out << "line." << line << ".tone=" << tone.nTone << "\n";
        out << "line." << line << ".volume=" << tone.nVolume << "\n";
    }
    for (const auto& [line, volume] : m_ringingLineVolumes)
        out << "ringingline." << line << ".volume=" << volume << "\n";
    for (const auto& [line, path] : m_activeFiles)
        out << "activefile." << line << "=" << path << "\n";
    for (const auto& [slot, tone] : m_userTones) {
        out << "usertone." << slot << ".size=" << tone.nSize << "\n";
        out << "usertone." << slot << ".sum=" << tone.nSum << "\n";
    }
    out << "playing=" << m_strPlaying << "\n";
    return out.str();
}

CPhoneState CPhoneState::Parse(const std::string& strText, std::vector<std::string>& problems)
{
    CPhoneState state;
    std::istringstream in(strText);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) {
            problems.push_back("line " + std::to_string(lineNo) + ": no '='");
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        int number = 0;
        bool ok = true;
        std::string prefix, suffix;
        int index = 0;
        if (key == "model")
            ok = !value.empty() && (state.m_strModel = value, true);
        else if (key == "imei")
            ok = !value.empty() && (state.m_strImei = value, true);
        else if (key == "playing")
            state.m_strPlaying = value;
        else if (key == "soundmode")
            ; // derived
        else if (key == "ringtone.index" || key == "ringtone.volume" || key == "calm" || key == "cvib") {
            ok = ToInt(value, number);
            if (ok) {
                int& target = key == "ringtone.index"    ? state.m_nToneIndex
                              : key == "ringtone.volume" ? state.m_nToneVolume
                              : key == "calm"            ? state.m_nCalm
                                                         : state.m_nCvib;
                target = number;
            }
        } else if (SplitIndexedKey(key, prefix, index, suffix)) {
            if (prefix == "activefile" && suffix.empty())
                state.m_activeFiles[index] = value;
            else if (!ToInt(value, number))
                ok = false;
            else if (prefix == "line" && suffix == "tone")
                state.m_lineTones[index].nTone = number;
            else if (prefix == "line" && suffix == "volume")
                state.m_lineTones[index].nVolume = number;
            else if (prefix == "ringingline" && suffix == "volume")
                state.m_ringingLineVolumes[index] = number;
            else if (prefix == "usertone" && suffix == "size")
                state.m_userTones[index].nSize = number;
            else if (prefix == "usertone" && suffix == "sum")
                state.m_userTones[index].nSum = number;
            else
                ok = false;
        } else {
            ok = false;
        }
        if (!ok)
            problems.push_back("line " + std::to_string(lineNo) + ": cannot use \"" + line + "\"");
    }
    return state;
}

void CPhoneState::ApplyModel(const CPhoneModel& model)
{
    if (m_strModel == model.m_strType)
        return;
    m_strModel = model.m_strType;
    m_nToneIndex = model.FirstToneIndex() > 0 ? model.FirstToneIndex() : 1;
    m_nToneVolume = MidVolume(model);
    m_lineTones.clear();
    m_ringingLineVolumes.clear();
    m_userTones.clear();
    m_strPlaying.clear();
    if (!model.m_bFolderMode)
        m_activeFiles.clear();
}

SLineTone CPhoneState::LineTone(int nLine, const CPhoneModel& model) const
{
    auto it = m_lineTones.find(nLine);
    if (it != m_lineTones.end())
        return it->second;
    return SLineTone{1, MidVolume(model)};
}

int CPhoneState::RingingLineVolume(int nLine, const CPhoneModel& model) const
{
    // A phone outside the caller-group family rings with one volume, whatever line is named.
    if (!model.m_bR41)
        return m_nToneVolume;
    auto it = m_ringingLineVolumes.find(nLine);
    return it != m_ringingLineVolumes.end() ? it->second : MidVolume(model);
}

std::string CPhoneState::ActiveFile(int nLine) const
{
    auto it = m_activeFiles.find(nLine);
    return it != m_activeFiles.end() ? it->second : std::string();
}

int CPhoneState::SoundModeWord() const
{
    const int ringer = m_nCalm == 1 ? 2 : m_nCalm == 2 ? 4 : 1;
    const int vibration = m_nCvib == 1 ? 0x10 : m_nCvib == 2 ? 0x40 : 0x20;
    return ringer | vibration;
}

fs::path CPhoneState::UserToneFile(int nSlot) const
{
    return m_dir / "usertones" / (std::to_string(nSlot) + ".mid");
}

bool CPhoneState::operator==(const CPhoneState& o) const
{
    return m_strModel == o.m_strModel && m_strImei == o.m_strImei && m_nToneIndex == o.m_nToneIndex &&
           m_nToneVolume == o.m_nToneVolume && m_nCalm == o.m_nCalm && m_nCvib == o.m_nCvib &&
           m_lineTones == o.m_lineTones && m_ringingLineVolumes == o.m_ringingLineVolumes &&
           m_activeFiles == o.m_activeFiles && m_userTones == o.m_userTones && m_strPlaying == o.m_strPlaying;
}

} // namespace corvina
