// The virtual phone's serial line: a pseudo-terminal served by one poll loop.
#pragma once

#include <csignal>
#include <functional>
#include <string>

#include "CSimLog.h"
#include "CSimPhone.h"

namespace corvina {

// Owns the pseudo-terminal (and its optional link) and passes bytes between it and the phone.
class CPtyServer {
public:
    CPtyServer(CSimPhone& phone, CSimLog& log);
    ~CPtyServer();
    CPtyServer(const CPtyServer&) = delete;
    CPtyServer& operator=(const CPtyServer&) = delete;

    // Opens a new pseudo-terminal in raw mode and points the link (when not empty) at it.
    bool Open(const std::string& strLink, std::string& strError);
    // Closes the pseudo-terminal and removes the link.
    void Close();
    // Path of the terminal device a client opens.
    const std::string& DevicePath() const { return m_strDevice; }

    // Serves until the stop flag is set, or until the line drops and bReopen is false. After a
    // drop with bReopen, a new terminal is opened after nReopenMs and onOpened gets its path.
    // Returns 0, or 1 when the terminal cannot be served any more.
    int Serve(const volatile std::sig_atomic_t& stop, bool bReopen, int nReopenMs,
              const std::function<void(const std::string&)>& onOpened, const std::function<void()>& onIdle);

    // Another descriptor the loop waits on beside the line; onReady runs when it is readable.
    void AlsoWatch(int fd, std::function<void()> onReady)
    {
        m_watchFd = fd;
        m_onWatch = std::move(onReady);
    }

private:
    bool SendAll(const std::string& strBytes);
    // Waits (a bounded time) until the client has read everything sent.
    void WaitUntilRead(const volatile std::sig_atomic_t& stop) const;
    // Sleeps in small steps so that a stop request is not held up; false when stopped.
    static bool Pause(int nMs, const volatile std::sig_atomic_t& stop);

    CSimPhone& m_phone;
    CSimLog& m_log;
    int m_master = -1;
    // The terminal's own end, held open so that the line stays up while no client has it open.
    int m_slave = -1;
    int m_watchFd = -1;
    std::function<void()> m_onWatch;
    std::string m_strDevice;
    std::string m_strLink;
};

} // namespace corvina
