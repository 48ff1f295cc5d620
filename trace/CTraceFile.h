// The module's diagnostic trace file: settings from the registry, a header, one stamped line per call.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace corvina {

class CTraceFile {
public:
    // Reads "Flags" and "FileName" under HKEY_LOCAL_MACHINE "Software\Halvren\Pellucid 5.0\Kvt"
    // and, when tracing is on, writes the header.
    CTraceFile();
    virtual ~CTraceFile();
    CTraceFile(const CTraceFile&) = delete;
    CTraceFile& operator=(const CTraceFile&) = delete;

    // Writes one line when the level (1 to 28) is enabled by the flags.
    void Trace(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // True when Trace(level, ...) would write: one mask test.
    bool IsEnabled(int level) const { return level >= 1 && level <= 28 && (m_flags & (1u << (level - 1))) != 0; }
    std::uint32_t Flags() const { return m_flags; }
    const std::string& Path() const { return m_path; }

private:
    void WriteHeader();
    std::string Stamp();
    void ReportRegistryProblems();

    std::uint32_t m_flags = 0;
    std::string m_path;
    bool m_microseconds = false;
    std::mutex m_lock;
    std::uint64_t m_frequency = 0;
    // Local time minus monotonic time in 100-ns units; 0 means stamps come from the system time.
    // A failed conversion on any tracing thread switches it to 0, hence atomic.
    std::atomic<std::int64_t> m_clockOffset{0};
};

// The module's one trace object, created on first use (at library load in the editor).
CTraceFile& TheTrace();
// Re-reads the settings: a new trace object replaces the old one (tests, and a changed registry).
void ResetTrace();

} // namespace corvina
