// The one serial link per phone device: raw termios, a timeout on every command, reopen after the
// device went away.
#include "CAtLink.h"

#include "AtCommands.h"
#include "CAtParser.h"
#include "CRegistryHelper.h"
#include "CTraceFile.h"
#include "PhoneErrors.h"
#include "PortProbe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <termios.h>
#include <utility>
#include <unistd.h>

namespace corvina {

namespace {

constexpr int kDefaultTimeoutMs = 5000;
constexpr int kDefaultBaud = 115200;
constexpr int kTraceLevel = 5;
constexpr int kResyncQuietMs = 200;

speed_t SpeedFor(int baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B115200;
    }
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

HRESULT CAtLink::Session::Command(const std::string& command, const std::string& infoPrefix,
                                  std::vector<std::string>* info)
{
    return m_link.Exchange(command, infoPrefix, info);
}

HRESULT CAtLink::Session::WriteBytes(const std::vector<std::uint8_t>& bytes)
{
    if (m_link.m_fd < 0)
        return HR_DEVICE_NOT_CONNECTED;
    HRESULT hr = m_link.WriteAll(std::string(bytes.begin(), bytes.end()), TimeoutMs());
    if (hr == HR_DEVICE_NOT_CONNECTED)
        m_link.CloseLocked();
    return hr;
}

HRESULT CAtLink::Session::ReadBytes(std::uint8_t* buffer, std::size_t size, std::size_t& got, int timeoutMs)
{
    got = 0;
    if (m_link.m_fd < 0)
        return HR_DEVICE_NOT_CONNECTED;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int left = RemainingMs(deadline);
        pollfd p{m_link.m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return HR_TIMEOUT;
        if (ready < 0 || !(p.revents & POLLIN)) {
            m_link.CloseLocked();
            return HR_DEVICE_NOT_CONNECTED;
        }
        const ssize_t n = ::read(m_link.m_fd, buffer, size);
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return S_OK;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (left == 0)
                return HR_TIMEOUT;
            continue;
        }
        m_link.CloseLocked();
        return HR_DEVICE_NOT_CONNECTED;
    }
}

void CAtLink::Session::DataModeEnded(bool clean)
{
    if (!clean) {
        m_link.m_resync = true;
        m_link.m_initialized = false;
    }
}

namespace {

std::mutex g_autoLock;
std::string g_autoDevice;   // the device "auto" means
bool g_autoWatched = false; // a watcher decides it; nobody probes on their own

} // namespace

void CAtLink::SetAutoDevice(const std::string& device)
{
    std::lock_guard guard(g_autoLock);
    g_autoDevice = device;
    g_autoWatched = true;
}

std::string CAtLink::AutoDevice()
{
    std::lock_guard guard(g_autoLock);
    if (!g_autoWatched && g_autoDevice.empty()) {
        // Without a watcher (the command-line tools) the candidates are probed until a phone
        // answers; then that port stays the phone's for the process.
        for (const std::string& device : ExpandPortPatterns(ConfiguredPortPatterns())) {
            const SPortReport report = ProbePort(device);
            TheTrace().Trace(4, "Port probe %s: %s", device.c_str(),
                             report.imei.empty() ? "no phone" : report.imei.c_str());
            if (report.outcome == SPortReport::eOutcome::Phone) {
                g_autoDevice = device;
                break;
            }
        }
    }
    return g_autoDevice;
}

std::shared_ptr<CAtLink> CAtLink::ForDevice(const std::string& configured)
{
    // Links live for the whole process: the port is opened once and kept.
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<CAtLink>> links;
    const std::string device = configured == kAutoPort ? AutoDevice() : configured;
    std::lock_guard guard(lock);
    std::shared_ptr<CAtLink>& link = links[device];
    if (!link)
        link = std::make_shared<CAtLink>(device);
    return link;
}

CAtLink::CAtLink(std::string device) : m_device(std::move(device)) {}

CAtLink::~CAtLink()
{
    CloseLocked();
}

int CAtLink::TimeoutMs()
{
    auto value = Registry::Instance().GetDword(HKEY_LOCAL_MACHINE, kSuiteRootKey, "AtTimeoutMs");
    return value && *value > 0 ? *value : kDefaultTimeoutMs;
}

int CAtLink::Baud()
{
    auto value = Registry::Instance().GetDword(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Baud");
    return value && *value > 0 ? *value : kDefaultBaud;
}

bool CAtLink::Acquire(int waitMs)
{
    std::unique_lock lock(m_queueLock);
    if (!m_queueFree.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return !m_inUse; }))
        return false;
    m_inUse = true;
    return true;
}

void CAtLink::Release()
{
    {
        std::lock_guard lock(m_queueLock);
        m_inUse = false;
    }
    m_queueFree.notify_one();
}

HRESULT CAtLink::CheckPort()
{
    // A link busy with someone's command is open; no need to wait for it.
    if (!Acquire(0))
        return S_OK;
    if (m_fd >= 0 && !DrainInput())
        CloseLocked();
    HRESULT hr = S_OK;
    if (m_fd < 0 && FAILED(OpenDevice())) {
        // A port that worked before and is gone now means the phone was unplugged, not that the
        // suite is set up wrongly.
        hr = m_bWasOpened ? HR_DEVICE_NOT_CONNECTED : HR_PORT_CANNOT_BE_READ;
    }
    Release();
    return hr;
}

void CAtLink::Close()
{
    if (!Acquire(TimeoutMs()))
        return;
    CloseLocked();
    Release();
}

void CAtLink::CloseLocked()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_initialized = false;
}

HRESULT CAtLink::OpenDevice()
{
    if (m_device.empty())
        return HR_DEVICE_NOT_CONNECTED;
    const int fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        TheTrace().Trace(kTraceLevel, "AT link %s cannot be opened (errno %d)", m_device.c_str(), errno);
        return HR_DEVICE_NOT_CONNECTED;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        // Not a terminal: nothing to talk to.
        ::close(fd);
        return HR_DEVICE_NOT_CONNECTED;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, SpeedFor(Baud()));
    ::cfsetospeed(&tio, SpeedFor(Baud()));
    ::tcsetattr(fd, TCSANOW, &tio);
    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_bWasOpened = true;
    m_initialized = false;
    TheTrace().Trace(kTraceLevel, "AT link %s opened at %d baud", m_device.c_str(), Baud());
    return S_OK;
}

bool CAtLink::DrainInput(int quietMs)
{
    // Late answers and unsolicited lines left from before belong to no command. A raw terminal
    // reads 0 bytes when nothing is there, so poll tells "nothing" from "gone".
    char buffer[512];
    const auto deadline = Clock::now() + std::chrono::milliseconds(LinkTimeoutMs());
    for (;;) {
        // A phone that never stops talking is left to the command's own reading.
        if (Clock::now() >= deadline)
            return true;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, std::min(quietMs, RemainingMs(deadline)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return false;
        if (ready == 0 || !(p.revents & POLLIN))
            return true;
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0 || (got < 0 && errno == EINTR))
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;
    }
}

HRESULT CAtLink::EnsureReady()
{
    // After a command that ended without its answer, the rest of that answer may still come:
    // wait until the line has been quiet for a moment.
    if (m_fd >= 0 && !DrainInput(std::exchange(m_resync, false) ? kResyncQuietMs : 0)) {
        TheTrace().Trace(kTraceLevel, "AT link %s: device gone, reopening", m_device.c_str());
        CloseLocked();
    }
    if (m_fd < 0)
        if (HRESULT hr = OpenDevice(); FAILED(hr))
            return hr;
    if (m_initialized)
        return S_OK;
    // Verbose result codes first: a phone left in numeric or quiet mode would otherwise look silent.
    for (const char* command : {atcmd::kVerbose, atcmd::kResultCodesOn, atcmd::kEchoOff, atcmd::kExtendedErrors})
        if (HRESULT hr = Exchange(command, {}, nullptr); FAILED(hr))
            return hr;
    // A phone without UTF-8 still serves the commands whose strings are plain ASCII, so only a
    // phone that does not answer at all stops here.
    const HRESULT charset = Exchange(atcmd::kCharsetUtf8, {}, nullptr);
    if (charset == HR_TIMEOUT || charset == HR_DEVICE_NOT_CONNECTED || charset == HR_AT_GARBAGE)
        return charset;
    m_initialized = true;
    return S_OK;
}

HRESULT CAtLink::WriteAll(const std::string& bytes, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = ::write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return HR_DEVICE_NOT_CONNECTED;
        pollfd p{m_fd, POLLOUT, 0};
        const int left = RemainingMs(deadline);
        if (left == 0)
            return HR_TIMEOUT;
        if (::poll(&p, 1, left) < 0 && errno != EINTR)
            return HR_DEVICE_NOT_CONNECTED;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return HR_DEVICE_NOT_CONNECTED;
    }
    return S_OK;
}

HRESULT CAtLink::Exchange(const std::string& command, const std::string& infoPrefix, std::vector<std::string>* info)
{
    if (m_fd < 0)
        return HR_DEVICE_NOT_CONNECTED;
    const int timeoutMs = LinkTimeoutMs();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const bool tracing = TheTrace().IsEnabled(kTraceLevel);
    if (tracing)
        TheTrace().Trace(kTraceLevel, "AT> %s", command.c_str());

    CAtParser parser;
    parser.Start(command, infoPrefix);
    HRESULT hr = WriteAll(command + "\r", timeoutMs);
    char buffer[512];
    while (SUCCEEDED(hr) && !parser.Done()) {
        const int left = RemainingMs(deadline);
        if (left == 0) {
            hr = HR_TIMEOUT;
            break;
        }
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            hr = HR_DEVICE_NOT_CONNECTED;
            break;
        }
        if (ready == 0)
            continue; // the deadline check above ends the wait
        if (!(p.revents & POLLIN)) {
            hr = HR_DEVICE_NOT_CONNECTED;
            break;
        }
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0) {
            hr = HR_DEVICE_NOT_CONNECTED;
            break;
        }
        parser.Feed(buffer, static_cast<std::size_t>(got));
    }
    if (tracing) {
        for (const std::string& line : parser.Lines())
            TheTrace().Trace(kTraceLevel, "AT< %s", line.c_str());
        if (!parser.Pending().empty())
            TheTrace().Trace(kTraceLevel, "AT< (unfinished) %s", parser.Pending().c_str());
    }
    if (SUCCEEDED(hr))
        hr = parser.Result();
    if (hr == HR_DEVICE_NOT_CONNECTED)
        CloseLocked();
    else if (hr == HR_TIMEOUT || hr == HR_AT_GARBAGE)
        m_resync = true;
    if (tracing && FAILED(hr))
        TheTrace().Trace(kTraceLevel, "AT! %s failed: %s", command.c_str(), HResultText(hr).c_str());
    if (info)
        *info = parser.Info();
    return hr;
}

HRESULT CAtLink::Command(const std::string& command, const std::string& infoPrefix, std::vector<std::string>* info)
{
    return Transaction([&](Session& session) { return session.Command(command, infoPrefix, info); });
}

HRESULT CAtLink::Transaction(const std::function<HRESULT(Session&)>& body)
{
    if (!Acquire(TimeoutMs()))
        return HR_PHONE_BUSY;
    // Released on every exit, also when the body throws.
    struct Releaser {
        CAtLink* link;
        ~Releaser() { link->Release(); }
    } releaser{this};
    if (HRESULT hr = EnsureReady(); FAILED(hr))
        return hr;
    Session session(*this);
    return body(session);
}

} // namespace corvina
