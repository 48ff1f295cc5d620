// Finds the phone: looks at the candidate devices when they appear (udev for devices in /dev, the
// folders of other candidates through inotify), checks the phone it found at an interval, reports
// a new phone record whenever the phone changes or goes away, and says what it sees on the way
// (looking, no phone, a device it may not open, ...). Runs on its own thread.
#pragma once

#include "CMobileInfo.h"
#include "PortProbe.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace corvina {

// What the detector sees, for the status line.
struct SPhoneStatus {
    enum class eState {
        Looking,          // probing the candidates
        NoPhone,          // no candidate is a phone, and none failed in a way worth telling
        Connected,        // report: the phone and its device
        PermissionDenied, // report: a candidate the user may not open, and its group
        Busy,             // report: a candidate another program holds, and which
        NotAPhone,        // report: a candidate that answers, but not as a phone
    };
    eState state = eState::Looking;
    SPortReport report;
    bool operator==(const SPhoneStatus& other) const
    {
        return state == other.state && report.device == other.report.device && report.imei == other.report.imei &&
               report.holder == other.report.holder && report.group == other.report.group;
    }
};

class PhoneDetector {
public:
    // Receives each new record (owned by the receiver); called on the detector's thread.
    using Report = std::function<void(CMobileInfo* record)>;
    // Receives each new status; called on the detector's thread.
    using StatusReport = std::function<void(const SPhoneStatus& status)>;

    explicit PhoneDetector(Report report, StatusReport status = {}, PortOpenCheck openCheck = {});
    ~PhoneDetector();
    PhoneDetector(const PhoneDetector&) = delete;
    PhoneDetector& operator=(const PhoneDetector&) = delete;

    // Starts watching; a found phone is checked every intervalMs (the registry's "DetectIntervalMs"
    // when 0, else 2000).
    void Start(int intervalMs = 0);
    // Stops and waits for the thread (at most one link timeout).
    void Stop();
    // The settings changed (a port chosen by hand): forget the phone and look again at once.
    void Rescan();

    // What one look at the port found.
    enum class eLook {
        Phone,   // a phone answered with its IMEI
        NoPhone, // nothing there: the port cannot be opened or the phone refuses
        Busy,    // someone else holds the line (a transfer): says nothing about the phone
        Silent,  // no answer in time: a slow phone, or none behind a port that stays
    };
    // One look at the port through its shared link; info is the phone there, or a record with an
    // empty IMEI.
    static eLook Look(const std::string& port, CMobileInfo& info);
    // One look at the port: the phone there, or a record with an empty IMEI when none answers.
    static CMobileInfo Probe(const std::string& port);

    // Looks in a row without an answer before a phone counts as gone.
    static constexpr int kSilentLooksBeforeGone = 3;
    // A candidate that was busy or silent is looked at again after this long; one that answered as
    // no phone is left alone until it goes and comes again.
    static constexpr int kRetryMs = 5000;
    // How many looks at the found phone the detector has taken so far.
    int LookCount() const { return m_nLooks.load(); }

private:
    // A candidate as last probed: which file it was (a new device at the same path is probed anew).
    struct SProbed {
        std::uint64_t identity = 0;
        SPortReport report;
        std::chrono::steady_clock::time_point when;
    };

    void Run(int intervalMs);
    // Looks at the candidates; true when a phone was found and reported.
    bool Scan();
    // Checks the found phone; false when it is gone (and was reported gone).
    bool CheckPhone();
    void SetStatus(const SPhoneStatus& status);
    void ReportRecord(const CMobileInfo& record);

    Report m_report;
    StatusReport m_status;
    PortOpenCheck m_openCheck;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_rescan = false;
    int m_wakeFd = -1;  // an eventfd that wakes the thread's poll
    std::string m_port; // the found phone's device; empty while there is none
    bool m_auto = true; // "Port" is "auto" (or unset): the candidates are searched
    std::map<std::string, SProbed> m_probed;
    SPhoneStatus m_lastStatus;
    bool m_statusSent = false;
    std::string m_lastImei;
    std::string m_lastType;
    bool m_reportedPhone = false;
    int m_nSilentLooks = 0;
    std::atomic<int> m_nLooks{0};
};

} // namespace corvina
