// The phone's file system as a folder on the PC.
#include "CFolderVolume.h"

#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "CTraceFile.h"
#include "OleDate.h"
#include "PhoneErrors.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace corvina {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

bool IsInside(const fs::path& root, const fs::path& candidate)
{
    auto r = root.begin();
    auto c = candidate.begin();
    for (; r != root.end(); ++r, ++c)
        if (c == candidate.end() || *r != *c)
            return false;
    return true;
}

HRESULT FromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return HR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return E_ACCESSDENIED;
    case EEXIST: return HR_ALREADY_EXISTS;
    default: return E_FAIL;
    }
}

// Closes and removes a temporary file unless it was handed over.
class TempFile {
public:
    TempFile(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int Fd() const { return m_fd; }
    bool CloseFile()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }
    void Keep() { m_path.clear(); }

private:
    int m_fd;
    fs::path m_path;
};

} // namespace

CFolderVolume::CFolderVolume(fs::path root) : m_root(std::move(root)) {}

HRESULT CFolderVolume::Run()
{
    if (m_root.empty())
        if (auto root = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "VolumeRoot"))
            m_root = *root;
    return CheckRoot();
}

HRESULT CFolderVolume::CheckRoot() const
{
    std::error_code ec;
    if (m_root.empty() || !fs::is_directory(m_root, ec)) {
        TheTrace().Trace(5, "Folder volume: root \"%s\" is not a folder", m_root.c_str());
        return HR_DEVICE_NOT_CONNECTED;
    }
    return S_OK;
}

HRESULT CFolderVolume::SetPort(const std::string& port)
{
    m_port = port;
    return CAtLink::ForDevice(port)->CheckPort();
}

HRESULT CFolderVolume::Resolve(const std::string& path, Resolved& resolved) const
{
    if (HRESULT hr = CheckRoot(); FAILED(hr))
        return hr;
    // Only paths rooted at a backslash name something on the phone.
    if (path.empty() || path[0] != '\\')
        return E_ACCESSDENIED;
    std::error_code ec;
    const fs::path root = fs::canonical(m_root, ec);
    if (ec)
        return HR_DEVICE_NOT_CONNECTED;
    fs::path full = root;
    std::string relative;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        if (part == "." || part == ".." || part.find('/') != std::string::npos || part.find('\0') != std::string::npos)
            return E_ACCESSDENIED;
        // The phone's file system ignores case: take an entry that differs only in case.
        std::string name = part;
        if (!fs::exists(fs::symlink_status(full / name, ec)) && fs::is_directory(full, ec)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(full, ec))
                if (Lower(entry.path().filename().string()) == Lower(part)) {
                    name = entry.path().filename().string();
                    break;
                }
        }
        full /= name;
        relative += (relative.empty() ? "" : "/") + name;
    }
    // Links must not lead out of the root.
    const fs::path real = fs::weakly_canonical(full, ec);
    if (ec || !IsInside(root, real))
        return E_ACCESSDENIED;
    resolved.full = full;
    resolved.relative = relative;
    return S_OK;
}

std::map<std::string, std::int32_t> CFolderVolume::ReadToneNumbers() const
{
    std::map<std::string, std::int32_t> numbers;
    std::ifstream in(m_root / kToneNumbersFile);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t tab = line.rfind('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        std::int32_t number = 0;
        const char* first = line.data() + tab + 1;
        const char* last = line.data() + line.size();
        auto [end, ec] = std::from_chars(first, last, number);
        if (ec == std::errc() && end == last && end != first)
            numbers[line.substr(0, tab)] = number;
    }
    return numbers;
}

HRESULT CFolderVolume::MakeFolder(const std::string& path)
{
    Resolved target;
    if (HRESULT hr = Resolve(path, target); FAILED(hr))
        return hr;
    if (target.relative.empty())
        return S_FALSE; // the root is always there
    struct stat info {};
    if (::lstat(target.full.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? S_FALSE : HR_ALREADY_EXISTS;
    if (::mkdir(target.full.c_str(), 0755) != 0)
        return FromErrno(errno);
    return S_OK;
}

HRESULT CFolderVolume::RemoveFile(const std::string& path)
{
    Resolved target;
    if (HRESULT hr = Resolve(path, target); FAILED(hr))
        return hr;
    struct stat info {};
    if (target.relative.empty() || ::stat(target.full.c_str(), &info) != 0)
        return target.relative.empty() ? E_ACCESSDENIED : HR_PATH_NOT_FOUND;
    // Folders are not files; a write-protected file must be unprotected first, as on the phone.
    if (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR))
        return E_ACCESSDENIED;
    if (::unlink(target.full.c_str()) != 0)
        return FromErrno(errno);
    return S_OK;
}

HRESULT CFolderVolume::ListFolder(const std::string& pattern, std::int32_t flag, MBX_LISTING& listing)
{
    listing = MBX_LISTING{};
    const std::size_t cut = pattern.rfind('\\');
    if (cut == std::string::npos)
        return E_ACCESSDENIED;
    const std::string wildcard = pattern.substr(cut + 1).empty() ? "*" : pattern.substr(cut + 1);
    Resolved folder;
    if (HRESULT hr = Resolve(cut == 0 ? "\\" : pattern.substr(0, cut), folder); FAILED(hr))
        return hr;
    std::error_code ec;
    if (!fs::is_directory(folder.full, ec))
        return HR_PATH_NOT_FOUND;

    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.full, ec)) {
        const std::string name = entry.path().filename().string();
        // Dot files are the volume's own (tone numbers, transfers in progress).
        if (name.empty() || name[0] == '.')
            continue;
        if (::fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            names.push_back(name);
    }
    if (ec)
        return FromErrno(ec.value());
    std::sort(names.begin(), names.end());

    listing.isRoot = flag == -1;
    if (listing.isRoot) {
        listing.names = names;
        return names.empty() ? S_FALSE : S_OK;
    }
    const std::map<std::string, std::int32_t> toneNumbers = ReadToneNumbers();
    for (const std::string& name : names) {
        struct stat info {};
        if (::stat((folder.full / name).c_str(), &info) != 0)
            continue; // a dangling link is nothing the phone has
        MBX_LISTENTRY row;
        row.name = name;
        const bool isFolder = S_ISDIR(info.st_mode);
        row.number = isFolder ? 0 : static_cast<std::int32_t>(std::min<off_t>(info.st_size, INT32_MAX));
        row.attributes = isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        if (!(info.st_mode & S_IWUSR))
            row.attributes = (row.attributes & ~FILE_ATTRIBUTE_ARCHIVE) | FILE_ATTRIBUTE_READONLY;
        row.lastChange = OleDateFromTime(info.st_mtime);
        const std::string key = folder.relative.empty() ? name : folder.relative + "/" + name;
        if (auto found = toneNumbers.find(key); found != toneNumbers.end())
            row.toneNumber = found->second;
        listing.rows.push_back(std::move(row));
    }
    return listing.rows.empty() ? S_FALSE : S_OK;
}

HRESULT CFolderVolume::PutFile(const std::string& path, IStream* source, std::int32_t)
{
    if (!source)
        return E_POINTER;
    Resolved target;
    if (HRESULT hr = Resolve(path, target); FAILED(hr))
        return hr;
    const fs::path folder = target.full.parent_path();
    const std::string name = target.full.filename().string();
    if (target.relative.empty() || name.empty() || name[0] == '.')
        return E_ACCESSDENIED;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return HR_PATH_NOT_FOUND;
    if (::stat(target.full.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR)))
        return E_ACCESSDENIED;

    // The size the stream announces tells a complete transfer from one that stopped early (a
    // cancelled progress stream reports the end of its data).
    STATSTG stat;
    const bool sizeKnown = SUCCEEDED(source->Stat(&stat, 0));

    std::string temp = (folder / ("." + name + ".part-XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return FromErrno(errno);
    TempFile file(fd, temp);
    std::vector<char> buffer(64 * 1024);
    std::uint64_t total = 0;
    for (;;) {
        std::uint32_t got = 0;
        HRESULT hr = source->Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got);
        if (FAILED(hr))
            return hr;
        if (got == 0)
            break;
        for (std::uint32_t done = 0; done < got;) {
            const ssize_t put = ::write(file.Fd(), buffer.data() + done, got - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return put < 0 ? FromErrno(errno) : E_FAIL;
            done += static_cast<std::uint32_t>(put);
        }
        total += got;
    }
    if (sizeKnown && total != stat.cbSize) {
        TheTrace().Trace(5, "PutFile %s: %llu of %llu bytes, nothing written", path.c_str(),
                         static_cast<unsigned long long>(total), static_cast<unsigned long long>(stat.cbSize));
        return E_ABORT;
    }
    if (::fchmod(file.Fd(), 0644) != 0 || ::fsync(file.Fd()) != 0 || !file.CloseFile())
        return FromErrno(errno);
    if (::rename(temp.c_str(), target.full.c_str()) != 0)
        return FromErrno(errno);
    file.Keep();
    WaitForToneNumber(target.relative);
    return S_OK;
}

void CFolderVolume::WaitForToneNumber(const std::string& relative) const
{
    // A phone that numbers its tones does so when the file lands; the file is the phone's once it
    // has its number, so a listing right after the transfer shows it numbered. A phone that
    // numbers nothing keeps no numbers file.
    if (!fs::exists(m_root / kToneNumbersFile))
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kToneNumberWaitMs);
    while (!ReadToneNumbers().count(relative)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            TheTrace().Trace(5, "PutFile %s: the phone gave no tone number", relative.c_str());
            return;
        }
        ::poll(nullptr, 0, 5);
    }
}

HRESULT CFolderVolume::ChangeAttributes(const std::string& path, std::uint32_t attributes)
{
    Resolved target;
    if (HRESULT hr = Resolve(path, target); FAILED(hr))
        return hr;
    struct stat info {};
    if (target.relative.empty() || ::stat(target.full.c_str(), &info) != 0)
        return target.relative.empty() ? E_ACCESSDENIED : HR_PATH_NOT_FOUND;
    mode_t mode = info.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (::chmod(target.full.c_str(), mode) != 0)
        return FromErrno(errno);
    return S_OK;
}

} // namespace corvina

namespace corvina {

HRESULT CFolderVolume::GetFile(const std::string& path, std::vector<std::uint8_t>& data)
{
    Resolved target;
    if (HRESULT hr = Resolve(path, target); FAILED(hr))
        return hr;
    std::error_code ec;
    if (target.relative.empty() || !fs::is_regular_file(target.full, ec))
        return HR_PATH_NOT_FOUND;
    std::ifstream in(target.full, std::ios::binary);
    if (!in)
        return E_ACCESSDENIED;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? E_FAIL : S_OK;
}

} // namespace corvina
