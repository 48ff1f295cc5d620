// The AT link against a scripted peer on a pseudo-terminal: answers, errors, silence, garbage, a
// dropped line, reopening, and commands from several threads.
#include "CAtLink.h"
#include "CTraceFile.h"
#include "PhoneErrors.h"
#include "PhoneTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace corvina {
namespace {

// What the peer does with one command: the bytes to send back, nothing (silence), or a hang-up.
struct Reply {
    std::string bytes;
    bool hangUp = false;
    int delayMs = 0;
};

// A phone played by a script on the master side of a pseudo-terminal.
class FakePhone {
public:
    explicit FakePhone(std::function<Reply(const std::string&)> script) : m_script(std::move(script))
    {
        int slave = -1;
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&m_master, &slave, name, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        m_device = name;
        // The test's side keeps no handle on the device: only the link opens it.
        ::close(slave);
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakePhone() { HangUp(); }

    const std::string& Device() const { return m_device; }
    // The commands received so far, in order.
    std::vector<std::string> Received()
    {
        std::lock_guard lock(m_lock);
        return m_received;
    }
    void HangUp()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    void Serve()
    {
        std::string pending;
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            char buffer[1024];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got <= 0)
                continue;
            pending.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t cr; (cr = pending.find('\r')) != std::string::npos;) {
                const std::string command = pending.substr(0, cr);
                pending.erase(0, cr + 1);
                {
                    std::lock_guard lock(m_lock);
                    m_received.push_back(command);
                }
                const Reply reply = m_script(command);
                if (reply.delayMs)
                    std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
                if (reply.hangUp) {
                    ::close(m_master);
                    m_master = -1;
                    return;
                }
                if (!reply.bytes.empty() && ::write(m_master, reply.bytes.data(), reply.bytes.size()) < 0)
                    return;
            }
        }
    }

    std::function<Reply(const std::string&)> m_script;
    int m_master = -1;
    std::string m_device;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<std::string> m_received;
};

// Opening commands succeed; the rest follows the given script.
std::function<Reply(const std::string&)> AfterOpening(std::function<Reply(const std::string&)> rest)
{
    return [rest](const std::string& command) {
        // Echo is still on until ATE0, so these come back before their answer.
        if (command == "ATV1" || command == "ATQ0" || command == "ATE0")
            return Reply{command + "\r\r\nOK\r\n"};
        if (command == "AT+CMEE=1" || command == "AT+CSCS=\"UTF-8\"")
            return Reply{"\r\nOK\r\n"};
        return rest(command);
    };
}

class AtLinkTest : public ::testing::Test {
protected:
    void SetUp() override { test::LoadRegistry("\"AtTimeoutMs\"=dword:0000012c\n"); } // 300 ms
    void TearDown() override { Registry::Instance().LoadText(""); }
};

TEST_F(AtLinkTest, OpensWithEchoOffAndExtendedErrorsAndReturnsInformationLines)
{
    FakePhone phone(AfterOpening([](const std::string& command) {
        if (command == "AT+CRSL=?")
            return Reply{"\r\nRING\r\n\r\n+CRSL: (1-5)\r\n\r\nOK\r\n"};
        return Reply{"\r\nERROR\r\n"};
    }));
    CAtLink link(phone.Device());
    std::vector<std::string> info;
    EXPECT_EQ(link.Command("AT+CRSL=?", "+CRSL:", &info), S_OK);
    EXPECT_EQ(info, std::vector<std::string>{"+CRSL: (1-5)"});
    EXPECT_EQ(link.Command("AT+NOPE"), HR_AT_ERROR);
    EXPECT_EQ(phone.Received(), (std::vector<std::string>{"ATV1", "ATQ0", "ATE0", "AT+CMEE=1", "AT+CSCS=\"UTF-8\"",
                                                          "AT+CRSL=?", "AT+NOPE"}));

    // A phone without UTF-8 is still used; one that refuses extended errors is not.
    FakePhone noUtf8([](const std::string& command) {
        return Reply{command == "AT+CSCS=\"UTF-8\"" ? "\r\n+CME ERROR: 4\r\n" : "\r\nOK\r\n"};
    });
    EXPECT_EQ(CAtLink(noUtf8.Device()).Command("AT^CPLY=0"), S_OK);
    FakePhone noCmee(
        [](const std::string& command) { return Reply{command == "AT+CMEE=1" ? "\r\nERROR\r\n" : "\r\nOK\r\n"}; });
    EXPECT_EQ(CAtLink(noCmee.Device()).Command("AT^CPLY=0"), HR_AT_ERROR);
}

TEST_F(AtLinkTest, APhoneLeftInNumericModeIsSwitchedToVerboseAndItsPrefixedAnswersAreTaken)
{
    // Until ATV1 the phone gives numeric result codes, which the link would not read.
    auto verbose = std::make_shared<bool>(false);
    FakePhone phone([verbose](const std::string& command) {
        if (command == "ATV1")
            *verbose = true;
        if (!*verbose)
            return Reply{"0\r"};
        if (command == "AT+CGSN")
            return Reply{"\r\n+CGSN: 351234567890123\r\n\r\nOK\r\n"};
        if (command == "AT+CGMM")
            return Reply{"\r\n+CGMM: \"M55\"\r\n\r\n+CRING: VOICE\r\n\r\nOK\r\n"};
        return Reply{"\r\nOK\r\n"};
    });
    CAtLink link(phone.Device());
    std::vector<std::string> info;
    ASSERT_EQ(link.Command("AT+CGSN", {}, &info), S_OK);
    EXPECT_EQ(info, std::vector<std::string>{"+CGSN: 351234567890123"});
    ASSERT_EQ(link.Command("AT+CGMM", {}, &info), S_OK);
    // The command's own prefix is its answer; another prefixed line is still unsolicited.
    EXPECT_EQ(info, std::vector<std::string>{"+CGMM: \"M55\""});
    EXPECT_EQ(phone.Received().front(), "ATV1");
}

TEST_F(AtLinkTest, FailuresOfThePhoneComeBackWithinTheTimeout)
{
    FakePhone phone(AfterOpening([](const std::string& command) {
        if (command == "AT^CPLF=0")
            return Reply{"\r\n+CME ERROR: 22\r\n"};
        if (command == "AT^SILENT")
            return Reply{""};
        if (command == "AT^NOISE")
            return Reply{std::string("\r\n\x13\x80\x00\x07zz\r\n", 10)};
        if (command == "AT^LATE")
            return Reply{"\r\n^CRTN: 9,9\r\n\r\nOK\r\n", false, 380};
        if (command == "AT^CRTN?")
            return Reply{"\r\n^CRTN: 2,3\r\n\r\nOK\r\n"};
        return Reply{"\r\nOK\r\n"};
    }));
    CAtLink link(phone.Device());
    EXPECT_EQ(link.Command("AT^CPLF=0"), HrFromCmeError(22));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Command("AT^SILENT"), HR_TIMEOUT);
    // No hang: the 300 ms timeout ends the wait (generous bound for a loaded machine).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    EXPECT_EQ(link.Command("AT^NOISE"), HR_AT_GARBAGE);
    // An answer that comes after its command gave up is not taken for the next command's.
    EXPECT_EQ(link.Command("AT^LATE"), HR_TIMEOUT);
    std::vector<std::string> info;
    EXPECT_EQ(link.Command("AT^CRTN?", "^CRTN:", &info), S_OK);
    EXPECT_EQ(info, std::vector<std::string>{"^CRTN: 2,3"});
    // The link is still usable after each failure.
    EXPECT_EQ(link.Command("AT"), S_OK);
}

TEST_F(AtLinkTest, EveryCommandAndAnswerLineIsTracedAtLevelFive)
{
    test::ScratchFolder dir;
    const std::filesystem::path traceFile = dir.Path() / "trace.txt";
    // Level 5 is bit 4 of the trace flags.
    test::LoadRegistry("\"AtTimeoutMs\"=dword:0000012c\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Pellucid 5.0\\Kvt]\n"
                       "\"Flags\"=dword:00000010\n" +
                       test::RegString("FileName", traceFile.string()));
    ResetTrace();
    FakePhone phone(AfterOpening([](const std::string&) { return Reply{"\r\n^CRTN: 4,1\r\n\r\nOK\r\n"}; }));
    CAtLink link(phone.Device());
    EXPECT_EQ(link.Command("AT^CRTN?", "^CRTN:"), S_OK);
    Registry::Instance().LoadText("");
    ResetTrace();
    const std::string trace = test::ReadFile(traceFile);
    for (const char* line : {" 5 AT> ATE0", " 5 AT> AT^CRTN?", " 5 AT< ^CRTN: 4,1", " 5 AT< OK"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << " in " << trace;
}

TEST_F(AtLinkTest, SilentOrMissingDevicesFailInsteadOfHanging)
{
    FakePhone silent([](const std::string&) { return Reply{""}; });
    CAtLink link(silent.Device());
    EXPECT_EQ(link.Command("AT"), HR_TIMEOUT); // the opening ATE0 is never answered

    CAtLink missing("/dev/corvina-no-such-phone");
    EXPECT_EQ(missing.CheckPort(), HR_PORT_CANNOT_BE_READ); // a port that never opened is a setup problem
    EXPECT_EQ(missing.Command("AT"), HR_DEVICE_NOT_CONNECTED);
    CAtLink notATerminal("/dev/null");
    EXPECT_EQ(notATerminal.Command("AT"), HR_DEVICE_NOT_CONNECTED);
}

TEST_F(AtLinkTest, ADroppedLineFailsTheCommandAndTheLinkReopensWhenThePhoneComesBack)
{
    test::ScratchFolder dir;
    const std::filesystem::path port = dir.Path() / "phone";
    auto dropping = std::make_unique<FakePhone>(AfterOpening([](const std::string& command) {
        if (command == "AT^CPLY=1")
            return Reply{"\r\n", true, 0}; // half an answer, then the line is gone
        return Reply{"\r\nOK\r\n"};
    }));
    std::filesystem::create_symlink(dropping->Device(), port);
    CAtLink link(port.string());
    EXPECT_EQ(link.Command("AT"), S_OK);
    EXPECT_EQ(link.Command("AT^CPLY=1"), HR_DEVICE_NOT_CONNECTED);
    dropping->HangUp();
    EXPECT_EQ(link.Command("AT"), HR_DEVICE_NOT_CONNECTED); // unplugged: nothing to open

    // The phone comes back on a new pseudo-terminal behind the same path.
    FakePhone back(AfterOpening([](const std::string&) { return Reply{"\r\nOK\r\n"}; }));
    std::filesystem::remove(port);
    std::filesystem::create_symlink(back.Device(), port);
    EXPECT_EQ(link.Command("AT^CPLY=1"), S_OK);
    EXPECT_EQ(back.Received().front(), "ATV1"); // opened anew, with the opening commands
}

TEST_F(AtLinkTest, APortThatWorkedAndVanishedIsAnUnpluggedPhoneNotAnUnusablePort)
{
    test::ScratchFolder dir;
    const std::filesystem::path port = dir.Path() / "phone";
    auto phone = std::make_unique<FakePhone>(AfterOpening([](const std::string&) { return Reply{"\r\nOK\r\n"}; }));
    std::filesystem::create_symlink(phone->Device(), port);
    CAtLink link(port.string());
    EXPECT_EQ(link.CheckPort(), S_OK);
    EXPECT_EQ(link.Command("AT"), S_OK);
    // The cable is pulled: the device behind the port is gone.
    phone->HangUp();
    phone.reset();
    std::filesystem::remove(port);
    EXPECT_EQ(link.CheckPort(), HR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(link.CheckPort(), HR_DEVICE_NOT_CONNECTED); // and stays so until the phone is back
}

TEST_F(AtLinkTest, CommandsAndTransactionsFromSeveralThreadsNeverInterleave)
{
    // Waiting threads queue behind each other's transactions; on a busy machine that takes longer
    // than the short timeout the other tests use, and this test is about order, not time.
    test::LoadRegistry("\"AtTimeoutMs\"=dword:00002710\n"); // 10 s
    FakePhone phone(AfterOpening([](const std::string& command) {
        return Reply{"\r\n" + command.substr(2) + "\r\n\r\nOK\r\n", false, 2};
    }));
    CAtLink link(phone.Device());
    ASSERT_EQ(link.Command("AT"), S_OK);

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                const std::string tag = "+T" + std::to_string(t) + "X" + std::to_string(i);
                HRESULT hr = link.Transaction([&](CAtLink::Session& session) {
                    for (int step = 0; step < 3; ++step) {
                        std::vector<std::string> info;
                        const std::string command = "AT" + tag + ":" + std::to_string(step);
                        if (HRESULT r = session.Command(command, tag, &info); FAILED(r))
                            return r;
                        // Each answer belongs to its own command.
                        if (info != std::vector<std::string>{command.substr(2)})
                            return E_FAIL;
                    }
                    return S_OK;
                });
                if (hr != S_OK)
                    ++failures;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);

    // On the wire, the three steps of every transaction follow each other.
    const std::vector<std::string> received = phone.Received();
    ASSERT_EQ(received.size(), 6u + 4 * 5 * 3);
    for (std::size_t i = 6; i < received.size(); i += 3)
        for (int step = 0; step < 3; ++step)
            EXPECT_EQ(received[i + step], received[i].substr(0, received[i].size() - 1) + std::to_string(step));
}

TEST_F(AtLinkTest, AnotherThreadHoldingTheLinkTooLongMakesTheWaiterBusy)
{
    FakePhone phone(AfterOpening([](const std::string&) { return Reply{"\r\nOK\r\n"}; }));
    CAtLink link(phone.Device());
    ASSERT_EQ(link.Command("AT"), S_OK);
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        link.Transaction([&](CAtLink::Session&) {
            holding = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return S_OK;
        });
    });
    while (!holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(link.Command("AT"), HR_PHONE_BUSY);
    // Checking the port does not wait for the holder: a link in use is open.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.CheckPort(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    release = true;
    holder.join();
    EXPECT_EQ(link.Command("AT"), S_OK);
}

} // namespace
} // namespace corvina
