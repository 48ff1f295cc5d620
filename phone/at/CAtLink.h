// The one serial link per phone device in the process: every user's commands pass through it one
// command (or one transaction) at a time, so they never interleave on the wire.
#pragma once

#include "HResult.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvina {

class CAtLink {
public:
    // Commands inside a transaction; only valid while the transaction's body runs.
    class Session {
    public:
        // Sends one command and waits for its final result code; info receives the lines that start
        // with infoPrefix (every non-unsolicited line when the prefix is empty).
        HRESULT Command(const std::string& command, const std::string& infoPrefix = {},
                        std::vector<std::string>* info = nullptr);
        // Raw bytes while the line is in a data mode (file transfer after CONNECT).
        HRESULT WriteBytes(const std::vector<std::uint8_t>& bytes);
        // Waits at most timeoutMs for bytes; got is how many arrived. HR_TIMEOUT when none did,
        // HR_DEVICE_NOT_CONNECTED when the line dropped (the device is then closed).
        HRESULT ReadBytes(std::uint8_t* buffer, std::size_t size, std::size_t& got, int timeoutMs);
        // After a data mode: when clean is false the phone may still be in it, so the next user
        // waits for a quiet line and runs the opening sequence again.
        void DataModeEnded(bool clean);

    private:
        friend class CAtLink;
        explicit Session(CAtLink& link) : m_link(link) {}
        CAtLink& m_link;
    };

    // The "Port" value that asks for the phone to be found among the serial devices.
    static constexpr const char* kAutoPort = "auto";

    // The link of the device, created on first use and shared by everyone in the process;
    // "auto" is the device AutoDevice() names (an empty device when there is no phone).
    static std::shared_ptr<CAtLink> ForDevice(const std::string& configured);
    // The device "Port"="auto" stands for: the one a watcher of the serial devices last set, or,
    // where nobody watches (a command-line tool), the first candidate that answers as a phone.
    static std::string AutoDevice();
    // The watcher's word on the phone's device ("" while there is none).
    static void SetAutoDevice(const std::string& device);

    explicit CAtLink(std::string device);
    ~CAtLink();
    CAtLink(const CAtLink&) = delete;
    CAtLink& operator=(const CAtLink&) = delete;

    const std::string& Device() const { return m_device; }

    // Opens the device when it is not open (without talking to the phone); S_OK,
    // HR_PORT_CANNOT_BE_READ when it never could be opened, HR_DEVICE_NOT_CONNECTED when it could
    // and no longer can (the phone went away). Never closes a device in use.
    HRESULT CheckPort();
    // One command as one unit.
    HRESULT Command(const std::string& command, const std::string& infoPrefix = {},
                    std::vector<std::string>* info = nullptr);
    // Several commands as one unit; HR_PHONE_BUSY when another user holds the link for longer
    // than the timeout. The body's result is given back.
    HRESULT Transaction(const std::function<HRESULT(Session&)>& body);
    // Closes the device (unless another user holds it beyond the timeout); the next command opens
    // it again.
    void Close();

    // The settings in force: "AtTimeoutMs" and "Baud" under the suite root.
    static int TimeoutMs();
    // A shorter answer timeout for this link only (probing ports); 0 goes back to the setting.
    void SetTimeoutMs(int timeoutMs) { m_timeoutMs = timeoutMs; }
    static int Baud();

private:
    HRESULT OpenDevice();
    HRESULT EnsureReady();
    // Reads and drops pending input until the line is quiet for quietMs; false when the device is gone.
    bool DrainInput(int quietMs = 0);
    HRESULT Exchange(const std::string& command, const std::string& infoPrefix, std::vector<std::string>* info);
    HRESULT WriteAll(const std::string& bytes, int timeoutMs);
    void CloseLocked();

    // Takes the link for one command or transaction, waiting at most waitMs.
    bool Acquire(int waitMs);
    void Release();

    const std::string m_device;
    std::mutex m_queueLock;
    std::condition_variable m_queueFree;
    bool m_inUse = false;
    int m_fd = -1;
    bool m_initialized = false;
    bool m_bWasOpened = false; // the device has been open once in this process
    bool m_resync = false;     // the last command's answer may still be arriving
    int m_timeoutMs = 0;

    int LinkTimeoutMs() const { return m_timeoutMs > 0 ? m_timeoutMs : TimeoutMs(); }
};

} // namespace corvina
