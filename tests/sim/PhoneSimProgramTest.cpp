// The real corvina-phonesim program over its pseudo-terminal; every wait has a deadline.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "TiedChild.h"

namespace corvina::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(5);

// Polls the condition every 20 ms until it holds (true) or the deadline passes (false).
bool WaitFor(const std::function<bool()>& condition)
{
    const auto end = Clock::now() + kDeadline;
    while (Clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Reads from the descriptor onto the text until it holds one of the marks (""), the line drops
// ("<gone>") or the deadline passes ("<timeout>").
std::string ReadUntil(int fd, std::string& text, std::initializer_list<const char*> marks)
{
    const auto end = Clock::now() + kDeadline;
    while (std::none_of(marks.begin(), marks.end(), [&](const char* mark) { return text.find(mark) != text.npos; })) {
        pollfd p{fd, POLLIN, 0};
        if (Clock::now() >= end)
            return "<timeout>";
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return "<gone>";
        text.append(chunk, static_cast<size_t>(n));
    }
    return "";
}

// The program running in the background, with its standard output readable line by line.
class CRunningSim {
public:
    explicit CRunningSim(std::vector<std::string> args)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        args.insert(args.begin(), CORVINA_PHONESIM);
        m_pid = SpawnTiedChild(std::move(args), fds[1]);
        ::close(fds[1]);
        m_out = fds[0];
    }
    ~CRunningSim()
    {
        Stop();
        if (m_out >= 0)
            ::close(m_out);
    }
    // The next line the program prints, or "" when none comes before the deadline.
    std::string NextLine()
    {
        if (!ReadUntil(m_out, m_buffer, {"\n"}).empty())
            return {};
        const std::string line = m_buffer.substr(0, m_buffer.find('\n'));
        m_buffer.erase(0, line.size() + 1);
        return line;
    }
    // Ends the program with SIGTERM and returns its exit status (-1: had to be killed).
    int Stop()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            const bool ended = WaitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; });
            if (!ended) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
            }
            m_pid = -1;
            m_status = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_status = -1;
    std::string m_buffer;
};

int OpenRaw(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Sends a command and collects the answer up to its final result code; "<gone>" when the line drops.
std::string Ask(int fd, const std::string& command)
{
    const std::string out = command + "\r";
    if (::write(fd, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        return "<gone>";
    std::string answer;
    const std::string end = ReadUntil(fd, answer, {"OK\r\n", "ERROR"});
    return answer + end;
}

TEST(VirtualPhoneProgram, AnswersTheImeiOverItsPseudoTerminalAndLogsTheExchange)
{
    ScratchFolder dir;
    const std::string log = (dir.Path() / "sim.log").string();
    CRunningSim sim({"--state", (dir.Path() / "state").string(), "--imei", "490154203237518", "--log", log});
    const std::string device = sim.NextLine();
    ASSERT_FALSE(device.empty());
    int fd = OpenRaw(device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Ask(fd, "AT+CGSN"), "AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask(fd, "ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(Ask(fd, "AT+CGMM"), "\r\nCX70\r\n\r\nOK\r\n");
    ::close(fd);
    // A client that comes back after closing finds the line still up.
    fd = OpenRaw(device);
    EXPECT_EQ(Ask(fd, "AT+CALM=1"), "\r\nOK\r\n");
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);

    const std::string text = ReadFile(log);
    EXPECT_NE(text.find(" RX AT+CGSN\n"), std::string::npos);
    EXPECT_NE(text.find(" TX AT+CGSN\\r\\r\\n490154203237518\\r\\n\\r\\nOK\\r\\n\n"), std::string::npos);
    const std::string settings = ReadFile(dir.Path() / "state" / "phone.conf");
    EXPECT_NE(settings.find("calm=1\n"), std::string::npos);
    EXPECT_NE(settings.find("imei=490154203237518\n"), std::string::npos);
}

TEST(VirtualPhoneProgram, DropsTheLineAndComesBackAtTheSameLink)
{
    ScratchFolder dir;
    const auto link = dir.Path() / "phone";
    CRunningSim sim({"--state", (dir.Path() / "state").string(), "--model", "R41", "--link", link.string(),
                     "--drop-after", "2", "--reopen", "--reopen-ms", "300"});
    const std::string first = sim.NextLine();
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), first);
    int fd = OpenRaw(link.string());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Ask(fd, "ATE0"), "ATE0\r\r\nOK\r\n");
    const std::string last = Ask(fd, "AT^CLVL=?");
    EXPECT_EQ(last.substr(0, 22), "\r\n^CLVL: (1-5)\r\n\r\nOK\r\n");
    EXPECT_NE(Ask(fd, "AT").find("<gone>"), std::string::npos);
    ::close(fd);

    const std::string second = sim.NextLine();
    ASSERT_FALSE(second.empty());
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::is_symlink(link); }));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), second);
    fd = OpenRaw(link.string());
    ASSERT_GE(fd, 0);
    // A fresh line: echo is on again.
    EXPECT_EQ(Ask(fd, "AT+CGMM"), "AT+CGMM\r\r\nR41\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask(fd, "AT"), "AT\r\r\nOK\r\n");
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(VirtualPhoneProgram, RefusesUnknownPhoneTypes)
{
    ScratchFolder dir;
    CRunningSim sim({"--state", dir.Path().string(), "--model", "NOPHONE"});
    EXPECT_EQ(sim.NextLine(), "");
    EXPECT_EQ(sim.Stop(), 2);
}

} // namespace
} // namespace corvina::test
