// A virtual phone for one test: its own state folder, a link to its terminal, stopped on destruction.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "Corpus.h"
#include "ScratchFolder.h"
#include "TiedChild.h"

namespace corvina::test {

class VirtualPhone {
public:
    static bool Available()
    {
        return std::string(CORVINA_PHONESIM).size() && std::filesystem::exists(CORVINA_PHONESIM);
    }

    VirtualPhone(const std::filesystem::path& folder, const std::string& model, std::vector<std::string> extra = {})
        : m_state(folder / "state"), m_link(folder / "tty")
    {
        std::vector<std::string> args = {CORVINA_PHONESIM, "--state",       m_state.string(), "--model",       model,
                                         "--link",         m_link.string(), "--corpus",       kCorpus.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        // The phone dies with the test process, also when the test crashes: an orphan would keep the
        // test runner's output pipe open, and a crash would read as a timeout.
        m_pid = SpawnTiedChild(std::move(args));
        for (int i = 0; i < 500 && m_pid > 0 && !std::filesystem::exists(m_link); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~VirtualPhone() { Stop(); }
    VirtualPhone(const VirtualPhone&) = delete;
    VirtualPhone& operator=(const VirtualPhone&) = delete;

    // Ends the phone program, as an unplugged phone.
    void Stop()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    bool Ready() const { return m_pid > 0 && std::filesystem::exists(m_link); }
    pid_t Pid() const { return m_pid; }
    std::string Port() const { return m_link.string(); }
    std::filesystem::path Files() const { return m_state / "fs"; }
    std::filesystem::path State() const { return m_state; }
    // The registry lines that point the editor at this phone.
    std::string RegistryText(int timeoutMs = 2000) const
    {
        char timeout[16];
        std::snprintf(timeout, sizeof timeout, "%08x", timeoutMs);
        return "\"Port\"=\"" + Port() + "\"\n\"VolumeRoot\"=\"" + Files().string() +
               "\"\n\"AtTimeoutMs\"=dword:" + timeout + "\n";
    }
    // The settings file as key/value pairs.
    std::map<std::string, std::string> Settings() const
    {
        std::map<std::string, std::string> values;
        std::ifstream in(m_state / "phone.conf");
        for (std::string line; std::getline(in, line);)
            if (auto eq = line.find('='); eq != std::string::npos && line[0] != '#')
                values[line.substr(0, eq)] = line.substr(eq + 1);
        return values;
    }

private:
    std::filesystem::path m_state;
    std::filesystem::path m_link;
    pid_t m_pid = -1;
};

// A test that needs the virtual phone: skipped in a build without it.
class VirtualPhoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VirtualPhone::Available())
            GTEST_SKIP() << "the virtual phone corvina-phonesim is not part of this build";
    }
};

} // namespace corvina::test
