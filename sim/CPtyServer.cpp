// Pseudo-terminal handling of the virtual phone.
#include "CPtyServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace corvina {

namespace {

constexpr int kPollMs = 200;
// How often the phone looks for new tone files while idle.
constexpr int kIdleEveryMs = 1000;
// How long an answer may wait for a client that does not read.
constexpr int kWriteTimeoutMs = 2000;

} // namespace

CPtyServer::CPtyServer(CSimPhone& phone, CSimLog& log) : m_phone(phone), m_log(log) {}

CPtyServer::~CPtyServer()
{
    Close();
}

bool CPtyServer::Open(const std::string& strLink, std::string& strError)
{
    Close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        strError = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        strError = "cannot name the pseudo-terminal";
        Close();
        return false;
    }
    m_strDevice = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0) {
        strError = "cannot open " + m_strDevice;
        Close();
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    if (!strLink.empty()) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path link(strLink);
        if (fs::exists(fs::symlink_status(link, ec)) && !fs::is_symlink(fs::symlink_status(link, ec))) {
            strError = strLink + " exists and is not a symbolic link; it is left alone";
            Close();
            return false;
        }
        // Made beside the link and renamed over it, so that a client never sees it missing.
        const fs::path temp = link.string() + ".new";
        fs::remove(temp, ec);
        fs::create_symlink(m_strDevice, temp, ec);
        if (!ec)
            fs::rename(temp, link, ec);
        if (ec) {
            strError = "cannot make the link " + strLink + ": " + ec.message();
            Close();
            return false;
        }
        m_strLink = strLink;
    }
    m_log.Event("opened " + m_strDevice + (m_strLink.empty() ? "" : " link " + m_strLink));
    return true;
}

void CPtyServer::Close()
{
    if (!m_strLink.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_strLink, ec);
        m_strLink.clear();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool CPtyServer::Pause(int nMs, const volatile std::sig_atomic_t& stop)
{
    for (int waited = 0; waited < nMs && !stop; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10, nMs - waited)));
    return !stop;
}

void CPtyServer::WaitUntilRead(const volatile std::sig_atomic_t& stop) const
{
    // Written bytes reach the terminal's input queue a moment later, so look only after a while.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int pending = 0;
    for (int waited = 0; waited < kWriteTimeoutMs && !stop; waited += 10) {
        if (::ioctl(m_slave, FIONREAD, &pending) != 0 || pending == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool CPtyServer::SendAll(const std::string& strBytes)
{
    size_t done = 0;
    while (done < strBytes.size()) {
        ssize_t n = ::write(m_master, strBytes.data() + done, strBytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd p{m_master, POLLOUT, 0};
        if (::poll(&p, 1, kWriteTimeoutMs) <= 0) {
            m_log.Event("client does not read; " + std::to_string(strBytes.size() - done) + " bytes dropped");
            return true;
        }
    }
    return true;
}

int CPtyServer::Serve(const volatile std::sig_atomic_t& stop, bool bReopen, int nReopenMs,
                      const std::function<void(const std::string&)>& onOpened, const std::function<void()>& onIdle)
{
    int idleMs = 0;
    char buffer[1024];
    while (!stop) {
        pollfd p[2] = {{m_master, POLLIN, 0}, {m_watchFd, POLLIN, 0}};
        int ready = ::poll(p, m_watchFd >= 0 ? 2 : 1, kPollMs);
        if (ready < 0 && errno != EINTR)
            return 1;
        if (ready > 0 && m_watchFd >= 0 && (p[1].revents & POLLIN)) {
            if (m_onWatch)
                m_onWatch();
            if (!(p[0].revents & POLLIN))
                continue;
        }
        if (ready <= 0) {
            idleMs += kPollMs;
            if (idleMs >= kIdleEveryMs && onIdle) {
                idleMs = 0;
                onIdle();
            }
            continue;
        }
        ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0) {
            // The terminal's own end is held open, so this does not happen while the line is up.
            m_log.Event("read failed on " + m_strDevice);
            return 1;
        }
        for (const SSimReply& reply : m_phone.Feed(std::string(buffer, static_cast<size_t>(n)))) {
            m_log.Received(reply.strCommand);
            if (reply.nDelayMs > 0 && !Pause(reply.nDelayMs, stop))
                return 0;
            if (!reply.strBytes.empty()) {
                if (!SendAll(reply.strBytes))
                    return 1;
                m_log.Sent(reply.strBytes);
            }
            if (!reply.bDrop)
                continue;
            // Hanging up throws away what the client has not read yet: let it take the last answer.
            WaitUntilRead(stop);
            m_log.Event("line dropped after " + std::to_string(m_phone.CommandCount()) + " commands");
            const std::string link = m_strLink;
            Close();
            if (!bReopen)
                return 0;
            if (!Pause(nReopenMs, stop))
                return 0;
            std::string error;
            if (!Open(link, error)) {
                m_log.Event(error);
                return 1;
            }
            m_phone.Restart();
            if (onOpened)
                onOpened(m_strDevice);
            break; // bytes that followed the drop went with the old line
        }
    }
    return 0;
}

} // namespace corvina
