// Paths, tone numbers and seeding of the virtual phone's file system.
#include "CPhoneFileSystem.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace corvina {

namespace fs = std::filesystem;

namespace {

// How many corpus MIDI files a seeded phone gets.
constexpr int kSeedMidiFiles = 4;
// Seeded files stay small, like the tones a phone ships with.
constexpr std::uintmax_t kSeedMaxBytes = 64 * 1024;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool HasExtension(const fs::path& p, const char* ext)
{
    return Lower(p.extension().string()) == ext;
}

bool StartsWithMidiHeader(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    char head[4] = {};
    return in.read(head, 4) && std::string(head, 4) == "MThd";
}

// Corpus files sorted by path so that every seeding picks the same ones.
std::vector<fs::path> CorpusFiles(const fs::path& corpus, const char* ext)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(corpus, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && HasExtension(it->path(), ext) && it->file_size(ec) <= kSeedMaxBytes)
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool CopyInto(const fs::path& source, const fs::path& folder, std::string& strCopiedName)
{
    std::error_code ec;
    fs::path target = folder / source.filename();
    strCopiedName = source.filename().string();
    if (fs::exists(target, ec))
        return false;
    return fs::copy_file(source, target, ec) && !ec;
}

} // namespace

CPhoneFileSystem::CPhoneFileSystem(fs::path root) : m_root(std::move(root)) {}

bool CPhoneFileSystem::MapPhonePath(const std::string& strPhonePath, fs::path& out) const
{
    std::string rest = strPhonePath;
    if (rest.size() >= 2 && rest[1] == ':') {
        if (std::toupper(static_cast<unsigned char>(rest[0])) != 'A')
            return false;
        rest.erase(0, 2);
    }
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/'))
        return false;
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 1; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\\' || rest[i] == '/') {
            if (part.empty() || part == "." || part == "..")
                return false;
            parts.push_back(part);
            part.clear();
        } else {
            part += rest[i];
        }
    }
    if (FindIgnoringCase(parts, out))
        return true;
    out = m_root;
    for (const auto& p : parts)
        out /= p;
    return true;
}

bool CPhoneFileSystem::FindIgnoringCase(const std::vector<std::string>& parts, fs::path& out) const
{
    fs::path current = m_root;
    std::error_code ec;
    for (const auto& part : parts) {
        if (fs::exists(current / part, ec)) {
            current /= part;
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (Lower(it->path().filename().string()) == Lower(part)) {
                current = it->path();
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    out = current;
    return true;
}

bool CPhoneFileSystem::PhoneFileExists(const std::string& strPhonePath) const
{
    fs::path p;
    std::error_code ec;
    return MapPhonePath(strPhonePath, p) && fs::is_regular_file(p, ec);
}

bool CPhoneFileSystem::EnsureFolder(const std::string& strFolder) const
{
    if (strFolder.empty())
        return true;
    std::error_code ec;
    fs::create_directories(m_root / strFolder, ec);
    return fs::is_directory(m_root / strFolder, ec);
}

std::map<std::string, int> CPhoneFileSystem::ReadToneNumbers() const
{
    std::map<std::string, int> numbers;
    std::ifstream in(m_root / kToneNumbersFile);
    std::string line;
    while (std::getline(in, line)) {
        auto tab = line.rfind('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 >= line.size())
            continue;
        const std::string digits = line.substr(tab + 1);
        if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }) ||
            digits.size() > 9)
            continue;
        numbers[line.substr(0, tab)] = std::stoi(digits);
    }
    return numbers;
}

bool CPhoneFileSystem::WriteToneNumbers(const std::map<std::string, int>& numbers) const
{
    // Written in number order, the order the phone presents its tones in.
    std::vector<std::pair<int, std::string>> sorted;
    for (const auto& [name, number] : numbers)
        sorted.emplace_back(number, name);
    std::sort(sorted.begin(), sorted.end());
    std::ostringstream text;
    for (const auto& [number, name] : sorted)
        text << name << '\t' << number << '\n';
    const fs::path target = m_root / kToneNumbersFile;
    const fs::path temp = m_root / (std::string(kToneNumbersFile) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    return !ec;
}

bool CPhoneFileSystem::UpdateToneNumbers(const std::vector<std::string>& folders, int nFirstUserNumber) const
{
    const std::map<std::string, int> old = ReadToneNumbers();
    std::map<std::string, int> numbers;
    std::vector<std::string> fresh;
    std::error_code ec;
    for (const auto& folder : folders) {
        if (folder.empty())
            continue;
        std::vector<std::string> names;
        for (fs::directory_iterator it(m_root / folder, ec), end; !ec && it != end; it.increment(ec)) {
            // Dot files are no tones: the transfer's partial files and the volume's own.
            const std::string name = it->path().filename().string();
            if (!name.empty() && name[0] != '.' && it->is_regular_file(ec))
                names.push_back(folder + "/" + name);
        }
        std::sort(names.begin(), names.end());
        for (const auto& key : names) {
            auto found = old.find(key);
            if (found != old.end())
                numbers[key] = found->second;
            else
                fresh.push_back(key);
        }
    }
    std::set<int> used;
    for (const auto& [key, number] : numbers)
        used.insert(number);
    int next = nFirstUserNumber;
    for (const auto& key : fresh) {
        while (used.count(next))
            ++next;
        numbers[key] = next;
        used.insert(next);
    }
    // The file is written also when empty: it tells the folder volume that this phone numbers.
    std::error_code missing;
    if (numbers == old && fs::exists(m_root / kToneNumbersFile, missing))
        return false;
    return WriteToneNumbers(numbers);
}

int CPhoneFileSystem::Seed(const fs::path& corpus, const std::string& strRtFolder, const std::string& strImyFolder,
                           bool bNumber, std::string& strError) const
{
    std::error_code ec;
    if (!fs::is_directory(corpus, ec)) {
        strError = "corpus folder not found: " + corpus.string();
        return 0;
    }
    std::vector<std::pair<std::string, std::string>> copied; // folder, name
    if (!strRtFolder.empty() && EnsureFolder(strRtFolder)) {
        int taken = 0;
        for (const auto& file : CorpusFiles(corpus, ".mid")) {
            if (taken == kSeedMidiFiles)
                break;
            // Only well-formed files: the test files of broken MIDI data are no tones.
            if (!StartsWithMidiHeader(file) || file.filename().string().find("illegal") != std::string::npos)
                continue;
            std::string name;
            if (CopyInto(file, m_root / strRtFolder, name))
                copied.emplace_back(strRtFolder, name);
            ++taken;
        }
    }
    if (!strImyFolder.empty() && EnsureFolder(strImyFolder)) {
        auto imys = CorpusFiles(corpus, ".imy");
        std::string name;
        if (!imys.empty() && CopyInto(imys.front(), m_root / strImyFolder, name))
            copied.emplace_back(strImyFolder, name);
    }
    if (bNumber && !copied.empty()) {
        auto numbers = ReadToneNumbers();
        std::set<int> used;
        for (const auto& [key, number] : numbers)
            used.insert(number);
        int next = 1;
        for (const auto& [folder, name] : copied) {
            while (used.count(next))
                ++next;
            numbers[folder + "/" + name] = next;
            used.insert(next);
        }
        if (!WriteToneNumbers(numbers))
            strError = "cannot write the tone numbers";
    }
    return static_cast<int>(copied.size());
}

int CPhoneFileSystem::RemoveUnfinishedTransfers() const
{
    // A leftover is a hidden file whose name ends in the transfer's mark and six random characters.
    const auto leftover = [](const std::string& name) {
        if (name.size() < 2 || name[0] != '.')
            return false;
        for (const std::string mark : {".obex-", ".part-"}) {
            const std::size_t at = name.size() >= mark.size() + 6 ? name.size() - mark.size() - 6 : std::string::npos;
            if (at != std::string::npos && at > 0 && name.compare(at, mark.size(), mark) == 0)
                return true;
        }
        return false;
    };
    int removed = 0;
    std::error_code ec;
    std::vector<fs::path> found;
    for (fs::recursive_directory_iterator it(m_root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && leftover(it->path().filename().string()))
            found.push_back(it->path());
    for (const fs::path& path : found)
        removed += fs::remove(path, ec) ? 1 : 0;
    return removed;
}

} // namespace corvina
