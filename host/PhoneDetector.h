// Finds the phone on the configured port: asks its IMEI and model at an interval and reports a
// new phone record whenever the phone changes or goes away. Runs on its own thread.
#pragma once

#include "CMobileInfo.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace corvina {

class PhoneDetector {
public:
    // Receives each new record (owned by the receiver); called on the detector's thread.
    using Report = std::function<void(CMobileInfo* record)>;

    explicit PhoneDetector(Report report);
    ~PhoneDetector();
    PhoneDetector(const PhoneDetector&) = delete;
    PhoneDetector& operator=(const PhoneDetector&) = delete;

    // Starts polling every intervalMs (the registry's "DetectIntervalMs" when 0, else 2000).
    void Start(int intervalMs = 0);
    // Stops polling and waits for the thread (at most one link timeout).
    void Stop();

    // What one look at the port found.
    enum class eLook {
        Phone,    // a phone answered with its IMEI
        NoPhone,  // nothing there: the port cannot be opened or the phone refuses
        Busy,     // someone else holds the line (a transfer): says nothing about the phone
        Silent,   // no answer in time: a slow phone, or none behind a port that stays
    };
    // One look at the port; info is the phone there, or a record with an empty IMEI.
    static eLook Look(const std::string& port, CMobileInfo& info);
    // One look at the port: the phone there, or a record with an empty IMEI when none answers.
    static CMobileInfo Probe(const std::string& port);

    // Looks in a row without an answer before a phone counts as gone.
    static constexpr int kSilentLooksBeforeGone = 3;
    // How many looks the detector has taken so far.
    int LookCount() const { return m_nLooks.load(); }

private:
    void Run(int intervalMs);

    Report m_report;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::string m_lastImei;
    std::string m_lastType;
    bool m_reportedPhone = false;
    int m_nSilentLooks = 0;
    std::atomic<int> m_nLooks{0};
};

} // namespace corvina
