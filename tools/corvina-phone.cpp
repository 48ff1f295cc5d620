// corvina-phone: the phone's identity and files from the command line, through the same phone
// services and the same serial-line queue as the editor.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtAnswers.h"
#include "AtCommands.h"
#include "CAtLink.h"
#include "CFileStream.h"
#include "CStreamFilter.h"
#include "CFolderVolume.h"
#include "CObexVolume.h"
#include "CRegistryHelper.h"
#include "CServiceFactory.h"
#include "PhoneErrors.h"
#include "PortProbe.h"
#include "ServiceClassIds.h"

namespace {

using namespace corvina;
namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitPhone = 1;
constexpr int kExitLocal = 2;
constexpr int kExitUsage = 64;

constexpr const char* kHelp =
    "usage: corvina-phone [--port DEV] [--force] COMMAND [ARGUMENTS]\n"
    "\n"
    "The phone's identity and files from the command line, through the same services and the same\n"
    "serial-line queue as the ringtone editor. Files go over OBEX on the phone's line, or through\n"
    "the folder named by \"VolumeRoot\" when the registry sets one.\n"
    "\n"
    "commands:\n"
    "  identify             print manufacturer, model, revision and IMEI as JSON\n"
    "  ports                list the candidate devices (\"PortCandidates\", or --port DEV alone) with\n"
    "                       what the system knows of each and what a short probe found, as JSON\n"
    "  ls [FOLDER]          print the folder's entries as JSON (default: the phone's root)\n"
    "  get REMOTE LOCAL     copy the phone's file REMOTE to LOCAL\n"
    "  put LOCAL [FOLDER]   copy LOCAL into the phone's FOLDER (default: the root); progress on\n"
    "                       standard error when it is a terminal; Ctrl+C aborts and leaves nothing\n"
    "  rm REMOTE            delete the phone's file REMOTE\n"
    "  mkdir FOLDER         make the folder on the phone\n"
    "Phone paths are written Ringtones/tune.mid, /Ringtones/tune.mid or \\Ringtones\\tune.mid.\n"
    "\n"
    "options:\n"
    "  --port DEV           the phone's serial device (default: \"Port\" in the registry; \"auto\"\n"
    "                       probes /dev/ttyACM*, /dev/ttyUSB* and /dev/rfcomm*)\n"
    "  --force              let get replace LOCAL and put replace the phone's file\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "environment: CORVINA_REGISTRY names the registry files (colon-separated) instead of the\n"
    "shipped one, /etc/corvina/*.reg and ~/.config/corvina/*.reg.\n"
    "\n"
    "exit status: 0 done, 1 the phone failed (its message on standard error), 2 a local file\n"
    "             error, 64 wrong usage.\n";

std::atomic<bool> g_cancelled{false};

void OnInterrupt(int)
{
    g_cancelled = true;
}

const char* OutcomeName(SPortReport::eOutcome outcome)
{
    switch (outcome) {
    case SPortReport::eOutcome::Phone: return "phone";
    case SPortReport::eOutcome::NotAPhone: return "not a phone";
    case SPortReport::eOutcome::Silent: return "no answer";
    case SPortReport::eOutcome::PermissionDenied: return "permission denied";
    case SPortReport::eOutcome::Busy: return "busy";
    case SPortReport::eOutcome::Missing: return "missing";
    }
    return "?";
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "corvina-phone: %s (try --help)\n", message.c_str());
    return kExitUsage;
}

int PhoneFailed(HRESULT hr, const std::string& what)
{
    const std::string text = ComError(hr, DescribePhoneError(hr)).ErrorMessage();
    std::fprintf(stderr, "corvina-phone: %s: %s (%s)\n", what.c_str(), text.c_str(), HResultText(hr).c_str());
    return kExitPhone;
}

int LocalFailed(const std::string& message)
{
    std::fprintf(stderr, "corvina-phone: %s\n", message.c_str());
    return kExitLocal;
}

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// "Ringtones/tune.mid", "/Ringtones/tune.mid" or "\Ringtones\tune.mid" to "\Ringtones\tune.mid".
std::string PhonePath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    while (path.size() > 1 && path.back() == '\\')
        path.pop_back();
    if (path.empty() || path[0] != '\\')
        path.insert(path.begin(), '\\');
    return path;
}

// The OLE date of a listing (local time) as ISO 8601 local time; empty for no date.
std::string IsoFromOleDate(double date)
{
    if (date <= 0.0)
        return {};
    const auto local = static_cast<std::time_t>((date - 25569.0) * 86400.0 + 0.5);
    std::tm tm{};
    gmtime_r(&local, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    return text;
}

// A stream on the local file that moves a percentage on standard error and stops on Ctrl+C.
class ProgressStream : public CStreamFilter {
public:
    ProgressStream(std::shared_ptr<IStream> inner, std::uint64_t size, bool show)
        : CStreamFilter(std::move(inner)), m_size(size), m_show(show)
    {
    }
    ~ProgressStream() override
    {
        if (m_show && m_shown >= 0)
            std::fputc('\n', stderr);
    }
    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override
    {
        // Like Cancel in the editor's progress window: the data ends early, the phone drops the file.
        if (g_cancelled) {
            *pcbRead = 0;
            return S_FALSE;
        }
        HRESULT hr = Inner().Read(pv, cb, pcbRead);
        m_done += *pcbRead;
        const int percent = m_size ? static_cast<int>(m_done * 100 / m_size) : 100;
        if (m_show && percent != m_shown) {
            m_shown = percent;
            std::fprintf(stderr, "\rcorvina-phone: %3d%%", percent);
            std::fflush(stderr);
        }
        return hr;
    }

private:
    std::uint64_t m_size;
    bool m_show;
    std::uint64_t m_done = 0;
    int m_shown = -1;
};

struct Options {
    std::string port;
    bool force = false;
    std::vector<std::string> words;
};

int Identify(const std::string& port)
{
    auto link = CAtLink::ForDevice(port);
    struct Field {
        const char* name;
        const char* command;
        const char* prefix;
        std::string value;
    };
    std::vector<Field> fields = {{"manufacturer", atcmd::kManufacturer, "+CGMI:", {}},
                                 {"model", atcmd::kModel, "+CGMM:", {}},
                                 {"revision", atcmd::kRevision, "+CGMR:", {}},
                                 {"imei", atcmd::kImei, "+CGSN:", {}}};
    HRESULT hr = link->Transaction([&](CAtLink::Session& session) {
        for (Field& field : fields) {
            std::vector<std::string> lines;
            HRESULT result = session.Command(field.command, {}, &lines);
            // A phone without one of the optional texts still has an identity.
            if (FAILED(result) && (result == HR_AT_ERROR || CmeErrorFromHr(result) >= 0) &&
                field.name != std::string("imei"))
                continue;
            if (FAILED(result))
                return result;
            if (!lines.empty())
                field.value = atanswer::PlainValue(lines.front(), field.prefix);
        }
        return S_OK;
    });
    if (FAILED(hr))
        return PhoneFailed(hr, "identify");
    std::string json = "{";
    for (std::size_t i = 0; i < fields.size(); ++i)
        json += std::string(i ? ", " : "") + Json(fields[i].name) + ": " + Json(fields[i].value);
    std::printf("%s}\n", json.c_str());
    return kExitOk;
}

HRESULT MakeVolume(const std::string& port, std::shared_ptr<IMBXVolume>& volume)
{
    if (HRESULT hr = CServiceFactory::Instance().CreateInstance(CLSID_MBXVolume, volume); FAILED(hr))
        return hr;
    const HRESULT hr = volume->SetPort(port);
    return hr == HR_PORT_CANNOT_BE_READ ? HR_DEVICE_NOT_CONNECTED : hr;
}

HRESULT GetFile(IMBXVolume& volume, const std::string& path, std::vector<std::uint8_t>& data)
{
    if (auto* obex = dynamic_cast<CObexVolume*>(&volume))
        return obex->GetFile(path, data);
    if (auto* folder = dynamic_cast<CFolderVolume*>(&volume))
        return folder->GetFile(path, data);
    return E_NOTIMPL;
}

// The row of the phone's entry, found ignoring case; S_FALSE when it is not there.
HRESULT FindRow(IMBXVolume& volume, const std::string& path, MBX_LISTENTRY& row)
{
    MBX_LISTING listing;
    HRESULT hr = volume.ListFolder(path, 0, listing);
    if (hr == HR_PATH_NOT_FOUND || hr == S_FALSE)
        return S_FALSE;
    if (FAILED(hr))
        return hr;
    const std::string name = path.substr(path.rfind('\\') + 1);
    for (const MBX_LISTENTRY& candidate : listing.rows)
        if (strcasecmp(candidate.name.c_str(), name.c_str()) == 0) {
            row = candidate;
            return S_OK;
        }
    return S_FALSE;
}

int List(IMBXVolume& volume, const std::string& folder)
{
    MBX_LISTING listing;
    const std::string pattern = (folder == "\\" ? std::string() : folder) + "\\*";
    HRESULT hr = volume.ListFolder(pattern, 0, listing);
    if (FAILED(hr))
        return PhoneFailed(hr, "ls " + folder);
    std::string json = "[";
    for (std::size_t i = 0; i < listing.rows.size(); ++i) {
        const MBX_LISTENTRY& row = listing.rows[i];
        const std::string modified = IsoFromOleDate(row.lastChange);
        json += std::string(i ? ",\n " : "") + "{\"name\": " + Json(row.name) +
                ", \"size\": " + std::to_string(row.number) +
                ", \"folder\": " + ((row.attributes & FILE_ATTRIBUTE_DIRECTORY) ? "true" : "false") +
                ", \"read_only\": " + ((row.attributes & FILE_ATTRIBUTE_READONLY) ? "true" : "false") +
                ", \"modified\": " + (modified.empty() ? "null" : Json(modified)) + "}";
    }
    std::printf("%s]\n", json.c_str());
    return kExitOk;
}

int Get(IMBXVolume& volume, const std::string& remote, const fs::path& local, bool force)
{
    std::error_code ec;
    if (!force && fs::exists(fs::symlink_status(local, ec)))
        return LocalFailed(local.string() + " exists; not replaced (use --force)");
    std::vector<std::uint8_t> data;
    if (HRESULT hr = GetFile(volume, remote, data); FAILED(hr))
        return PhoneFailed(hr, "get " + remote);
    // Written beside the target and renamed over it: a failed write leaves the old file alone.
    const fs::path folder = local.has_parent_path() ? local.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + local.filename().string() + ".part-XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return LocalFailed("cannot write in " + folder.string() + ": " + std::strerror(errno));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const int error = errno;
    const bool ok = done == data.size() && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), local.c_str()) != 0) {
        ::unlink(temp.c_str());
        return LocalFailed("cannot write " + local.string() + ": " + std::strerror(ok ? errno : error));
    }
    return kExitOk;
}

int Put(IMBXVolume& volume, const fs::path& local, const std::string& folder, bool force)
{
    std::shared_ptr<IStream> file;
    std::error_code ec;
    if (!fs::is_regular_file(local, ec) || FAILED(CFileStream::CreateFromFile(local, file)))
        return LocalFailed("cannot read " + local.string());
    STATSTG stat;
    if (FAILED(file->Stat(&stat, 0)))
        return LocalFailed("cannot measure " + local.string());
    const std::string remote = (folder == "\\" ? std::string() : folder) + "\\" + local.filename().string();
    if (!force) {
        MBX_LISTENTRY row;
        HRESULT found = FindRow(volume, remote, row);
        if (FAILED(found))
            return PhoneFailed(found, "put " + remote);
        if (found == S_OK) {
            std::fprintf(stderr, "corvina-phone: %s is already on the phone; not replaced (use --force)\n",
                         remote.c_str());
            return kExitPhone;
        }
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    HRESULT hr;
    {
        ProgressStream stream(file, stat.cbSize, ::isatty(STDERR_FILENO) == 1);
        hr = volume.PutFile(remote, &stream, 0);
    }
    if (g_cancelled && FAILED(hr)) {
        std::fprintf(stderr, "corvina-phone: put %s cancelled; nothing was left on the phone\n", remote.c_str());
        return kExitPhone;
    }
    if (FAILED(hr))
        return PhoneFailed(hr, "put " + remote);
    return kExitOk;
}

} // namespace

// The candidates and what a probe of each found.
int Ports(const std::string& port)
{
    const std::vector<std::string> devices = port.empty() || port == CAtLink::kAutoPort
                                                 ? ExpandPortPatterns(ConfiguredPortPatterns())
                                                 : std::vector<std::string>{port};
    std::string json = "[";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const SPortReport r = ProbePort(devices[i]);
        json += std::string(i ? ",\n " : "") + "{\"device\": " + Json(r.device) +
                ", \"usb_maker\": " + Json(r.usbMaker) + ", \"usb_model\": " + Json(r.usbModel) +
                ", \"usb_id\": " + Json(r.usbId) + ", \"bluetooth\": " + Json(r.bluetooth) +
                ", \"probe\": " + Json(OutcomeName(r.outcome)) + ", \"manufacturer\": " + Json(r.maker) +
                ", \"model\": " + Json(r.model) + ", \"imei\": " + Json(r.imei) + ", \"group\": " + Json(r.group) +
                ", \"holder\": " + Json(r.holder) + "}";
    }
    std::printf("%s]\n", json.c_str());
    return kExitOk;
}

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("corvina-phone %s\n", CORVINA_VERSION);
            return kExitOk;
        }
        if (arg == "--force") {
            options.force = true;
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            if (arg == "--port" && i + 1 >= argc)
                return Usage("--port needs a device");
            options.port = arg == "--port" ? argv[++i] : arg.substr(7);
            if (options.port.empty())
                return Usage("--port needs a device");
        } else if (arg.size() > 1 && arg[0] == '-' && options.words.empty()) {
            return Usage("unknown option " + arg);
        } else {
            options.words.push_back(arg);
        }
    }
    if (options.words.empty())
        return Usage("no command given");
    const std::string command = options.words[0];
    const std::size_t count = options.words.size() - 1;
    auto want = [&](std::size_t least, std::size_t most) { return count >= least && count <= most; };
    if (!((command == "identify" && want(0, 0)) || (command == "ports" && want(0, 0)) ||
          (command == "ls" && want(0, 1)) || (command == "get" && want(2, 2)) || (command == "put" && want(1, 2)) ||
          (command == "rm" && want(1, 1)) || (command == "mkdir" && want(1, 1))))
        return Usage(command == "identify" || command == "ports" || command == "ls" || command == "get" ||
                             command == "put" || command == "rm" || command == "mkdir"
                         ? "wrong number of arguments for " + command
                         : "unknown command " + command);

    if (command == "ports")
        return Ports(options.port);
    if (options.port.empty())
        options.port = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port").value_or("");
    if (options.port.empty())
        return Usage("no phone port: give --port DEV or set \"Port\" in the registry");
    if (command == "identify")
        return Identify(options.port);

    std::shared_ptr<IMBXVolume> volume;
    if (HRESULT hr = MakeVolume(options.port, volume); FAILED(hr))
        return PhoneFailed(hr, "open the phone's files");
    const auto& words = options.words;
    if (command == "ls")
        return List(*volume, PhonePath(count ? words[1] : "\\"));
    if (command == "get")
        return Get(*volume, PhonePath(words[1]), words[2], options.force);
    if (command == "put")
        return Put(*volume, words[1], PhonePath(count > 1 ? words[2] : "\\"), options.force);
    if (command == "rm") {
        HRESULT hr = volume->RemoveFile(PhonePath(words[1]));
        return FAILED(hr) ? PhoneFailed(hr, "rm " + PhonePath(words[1])) : kExitOk;
    }
    HRESULT hr = volume->MakeFolder(PhonePath(words[1]));
    if (FAILED(hr))
        return PhoneFailed(hr, "mkdir " + PhonePath(words[1]));
    if (hr == S_FALSE)
        std::fprintf(stderr, "corvina-phone: %s was already there\n", PhonePath(words[1]).c_str());
    return kExitOk;
}
