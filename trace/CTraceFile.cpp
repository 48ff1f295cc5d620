// The diagnostic trace: settings from the registry, a header about the machine, stamped lines.
#include "CTraceFile.h"

#include <sys/utsname.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "CRegistryHelper.h"

namespace corvina {
namespace {

constexpr const char* kTraceKey = "Software\\Halvren\\Pellucid 5.0\\Kvt";
constexpr const char* kDefaultTraceFile = "Trace.txt";
// The settings were kept in fixed buffers: a longer file name cannot be read, a longer
// registered component path neither.
constexpr std::size_t kFileNameBuffer = 260;
constexpr std::size_t kComponentPathBuffer = 261;

constexpr std::uint32_t kMicrosecondsBit = 0x10000000;
constexpr std::uint32_t kNewFileBit = 0x20000000;
constexpr std::uint32_t kComponentsBit = 0x40000000;
constexpr std::uint32_t kSystemBit = 0x80000000;

constexpr std::int64_t kTicksPerSecond = 10'000'000; // 100-ns units
constexpr std::uint64_t kMonotonicFrequency = 1'000'000'000;

constexpr const char* kBannerTop =
    "\n\n******************************************Trace MBX***************************************************\n";
constexpr const char* kBannerBottom =
    "******************************************Trace MBX***************************************************\n\n";

constexpr const char* kServerClass = "CLSID\\{D73D7EA8-AD8A-11D3-A271-00105A3B325A}\\LocalServer32";
constexpr const char* kShellExtClass = "CLSID\\{ED65AB22-B24F-11d3-BA80-00C0CA16AA37}\\InProcServer32";
constexpr const char* kSearchApp = "MBXSearchApp.exe";

// The current local time, in 100-ns units since 1970-01-01 00:00 local, with its broken-down form.
struct LocalNow {
    std::int64_t ticks = 0;
    std::tm fields{};
    long nanoseconds = 0;
};

LocalNow ReadLocalNow()
{
    LocalNow now;
    timespec real{};
    clock_gettime(CLOCK_REALTIME, &real);
    localtime_r(&real.tv_sec, &now.fields);
    now.nanoseconds = real.tv_nsec;
    now.ticks = (static_cast<std::int64_t>(real.tv_sec) + now.fields.tm_gmtoff) * kTicksPerSecond + real.tv_nsec / 100;
    return now;
}

std::optional<std::uint64_t> ReadCounter()
{
    timespec mono{};
    if (clock_gettime(CLOCK_MONOTONIC, &mono) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(mono.tv_sec) * kMonotonicFrequency + static_cast<std::uint64_t>(mono.tv_nsec);
}

// Counter ticks in 100-ns units; the product is formed in 128 bits, as nanosecond counts times ten
// million overflow 64 bits within hours of boot.
std::int64_t CounterToTicks(std::uint64_t counter, std::uint64_t frequency)
{
    return static_cast<std::int64_t>(static_cast<unsigned __int128>(counter) * kTicksPerSecond / frequency);
}

// "6.18.44-generic" gives 6, 18, 44; missing parts stay 0.
std::array<int, 3> ReleaseNumbers(const char* release)
{
    std::array<int, 3> numbers{0, 0, 0};
    std::sscanf(release, "%d.%d.%d", &numbers[0], &numbers[1], &numbers[2]);
    return numbers;
}

// Four 16-bit parts, most significant first, from "a.b.c.d" (missing trailing parts are 0).
std::optional<std::array<int, 4>> ParseVersion(const std::string& text)
{
    std::array<int, 4> parts{0, 0, 0, 0};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t end = pos;
        long value = 0;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9' && value <= 0xFFFF)
            value = value * 10 + (text[end++] - '0');
        if (end == pos || value > 0xFFFF)
            return std::nullopt;
        parts[i] = static_cast<int>(value);
        pos = end;
        if (pos == text.size())
            return parts;
        if (text[pos] != '.')
            return std::nullopt;
        ++pos;
    }
    return std::nullopt;
}

// A file's version: the "Version" text beside its registration, else the first line of
// "<file>.version" next to it. A missing file has no version.
std::optional<std::array<int, 4>> FileVersion(const std::filesystem::path& file, const char* registrationKey)
{
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    if (registrationKey)
        if (auto text = Registry::Instance().GetString(HKEY_CLASSES_ROOT, registrationKey, "Version"))
            return ParseVersion(*text);
    std::ifstream in(file.string() + ".version");
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return ParseVersion(line);
}

// The file a class registration names in its default value, when it fits the buffer.
std::optional<std::string> RegisteredFile(const char* key)
{
    std::optional<std::string> file = Registry::Instance().GetString(HKEY_CLASSES_ROOT, key, "");
    if (!file || file->size() >= kComponentPathBuffer)
        return std::nullopt;
    return file;
}

void WriteSystemLine(std::FILE* out)
{
    utsname system{};
    if (uname(&system) != 0)
        return;
    std::array<int, 3> release = ReleaseNumbers(system.release);
    // No service packs here: the blanks stand where their numbers would be.
    std::fprintf(out, "*  %s\tVersion %d.%d (Build %d)   %18s\t\n", system.sysname, release[0], release[1],
                 release[2] & 0xFFFF, "");
}

void WriteComponentLines(std::FILE* out)
{
    const Registry& registry = Registry::Instance();
    if (!registry.KeyExists(HKEY_CLASSES_ROOT, kServerClass)) {
        std::fputs("*  MBXServer.exe\tnot registred.\n", out);
    } else if (auto file = RegisteredFile(kServerClass)) {
        if (auto v = FileVersion(*file, kServerClass))
            std::fprintf(out, "*  MBXServer.exe\t\t FileVersion %d , %d , %d , %d\t\t\t\t\t\t\t\t\t\t\t\n", (*v)[0],
                         (*v)[1], (*v)[2], (*v)[3]);
    }

    if (!registry.KeyExists(HKEY_CLASSES_ROOT, kShellExtClass)) {
        std::fputs("*  MBXShellExt.dll\tnot registred.\n", out);
    } else if (auto file = RegisteredFile(kShellExtClass)) {
        if (auto v = FileVersion(*file, kShellExtClass))
            std::fprintf(out, "*  MBXShellExt.dll\t\t FileVersion %d , %d , %d , %d\t\t\t\t\t\t\t\t\t\t\n", (*v)[0],
                         (*v)[1], (*v)[2], (*v)[3]);
        std::filesystem::path searchApp = std::filesystem::path(*file).parent_path() / kSearchApp;
        if (auto v = FileVersion(searchApp, nullptr))
            std::fprintf(out, "*  MBXSearchExt.exe\t          FileVersion %d , %d , %d , %d\t\t\t\t\t\t\t\t\t\t\n",
                         (*v)[0], (*v)[1], (*v)[2], (*v)[3]);
    }
}

} // namespace

CTraceFile::CTraceFile()
{
    const Registry& registry = Registry::Instance();
    std::optional<std::int32_t> flags = registry.GetDword(HKEY_LOCAL_MACHINE, kTraceKey, "Flags");
    if (!flags || *flags == 0)
        return;
    m_flags = static_cast<std::uint32_t>(*flags);

    std::optional<std::string> name = registry.GetString(HKEY_LOCAL_MACHINE, kTraceKey, "FileName");
    m_path = name && name->size() < kFileNameBuffer ? *name : kDefaultTraceFile;

    // Only the last folder is created: a trace path pointing into a missing tree is a typing error.
    std::size_t separator = m_path.find_last_of('/');
    if (separator != std::string::npos && separator >= 1) {
        std::error_code ignored;
        std::filesystem::create_directory(m_path.substr(0, separator), ignored);
    }
    WriteHeader();
    ReportRegistryProblems();
}

CTraceFile::~CTraceFile() = default;

void CTraceFile::WriteHeader()
{
    std::optional<std::uint64_t> counter = ReadCounter();
    LocalNow now = ReadLocalNow();
    if (counter) {
        m_frequency = kMonotonicFrequency;
        m_clockOffset = now.ticks - CounterToTicks(*counter, m_frequency);
    }

    std::FILE* out = std::fopen(m_path.c_str(), (m_flags & kNewFileBit) ? "w" : "a");
    if (!out)
        return;
    m_microseconds = (m_flags & kMicrosecondsBit) != 0;
    const std::tm& t = now.fields;

    std::fputs(kBannerTop, out);
    if (m_clockOffset != 0) {
        std::int64_t ticks = CounterToTicks(*counter, m_frequency) + m_clockOffset;
        std::fprintf(out,
                     "************************Generated: %2.2d:%2.2d:%4.4d %2.2d:%2.2d:%2.2d:%6.6d ******* %s  %.2f us "
                     "***************\n",
                     t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                     static_cast<int>((ticks / 10) % 1000000), "HR", 1000000.0 / static_cast<double>(m_frequency));
    } else {
        // Without the counter the stamps carry the system time's milliseconds: a resolution of 1000 us.
        std::fprintf(
            out,
            "\n\n************************Generated: %2.2d:%2.2d:%4.4d %2.2d:%2.2d:%2.2d:%3.3d ******* %s  %.2f us "
            "****************\n",
            t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
            static_cast<int>(now.nanoseconds / 1000000), "ST", 1000.0);
    }
    if (m_flags & kSystemBit)
        WriteSystemLine(out);
    if (m_flags & kComponentsBit)
        WriteComponentLines(out);
    std::fputs(kBannerBottom, out);
    std::fclose(out);
}

std::string CTraceFile::Stamp()
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    long fraction = 0;
    bool stamped = false;
    if (std::int64_t offset = m_clockOffset; offset != 0) {
        std::optional<std::uint64_t> counter = ReadCounter();
        std::int64_t ticks = counter ? CounterToTicks(*counter, m_frequency) + offset : -1;
        std::time_t seconds = static_cast<std::time_t>(ticks / kTicksPerSecond);
        std::tm fields{};
        if (ticks >= 0 && gmtime_r(&seconds, &fields)) {
            hour = fields.tm_hour;
            minute = fields.tm_min;
            second = fields.tm_sec;
            fraction = m_microseconds ? (ticks / 10) % 1000000 : (ticks / 10000) % 1000;
            stamped = true;
        } else {
            m_clockOffset = 0; // the system time serves from now on
        }
    }
    if (!stamped) {
        LocalNow now = ReadLocalNow();
        hour = now.fields.tm_hour;
        minute = now.fields.tm_min;
        second = now.fields.tm_sec;
        fraction = m_microseconds ? now.nanoseconds / 1000 : now.nanoseconds / 1000000;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), m_microseconds ? "%2.2d:%2.2d:%2.2d:%6.6ld" : "%2.2d:%2.2d:%2.2d:%3.3ld",
                  hour, minute, second, fraction);
    return text.data();
}

void CTraceFile::Trace(int level, const char* format, ...)
{
    if (!IsEnabled(level))
        return;
    std::string stamp = Stamp();
    std::lock_guard guard(m_lock);
    std::FILE* out = std::fopen(m_path.c_str(), "a");
    if (!out)
        return;
    std::fprintf(out, "%s %d ", stamp.c_str(), level);
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
    std::fputs("\n", out);
    std::fclose(out);
}

void CTraceFile::ReportRegistryProblems()
{
    if (!IsEnabled(1))
        return;
    for (const std::string& problem : Registry::Instance().Problems())
        Trace(1, "Registry: %s", problem.c_str());
}

namespace {

std::mutex g_traceCreation;
std::atomic<CTraceFile*> g_trace{nullptr};

} // namespace

CTraceFile& TheTrace()
{
    if (CTraceFile* trace = g_trace.load(std::memory_order_acquire))
        return *trace;
    std::lock_guard guard(g_traceCreation);
    if (!g_trace.load(std::memory_order_relaxed))
        g_trace.store(new CTraceFile, std::memory_order_release);
    return *g_trace.load(std::memory_order_relaxed);
}

void ResetTrace()
{
    std::lock_guard guard(g_traceCreation);
    // The old object goes only here, when no other thread may trace (tests, a reload at start-up).
    delete g_trace.exchange(new CTraceFile, std::memory_order_acq_rel);
}

} // namespace corvina
