// corvina-phone run as a program against the virtual phone: its output forms, its exit codes, and
// that a put it aborts leaves nothing on the phone. Also the search for the phone's port.
#include "CAtLink.h"
#include "PortProbe.h"
#include "PhoneTestSupport.h"
#include "VirtualPhone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;
using test::VirtualPhone;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool with the registry file, its output going to files beside it; onStarted may act on
// the running process.
RunResult RunTool(const std::vector<std::string>& arguments, const fs::path& registry,
                  const std::function<void(pid_t)>& onStarted = {})
{
    std::vector<std::string> args = {CORVINA_PHONE_TOOL};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = {"CORVINA_REGISTRY=" + registry.string(), "PATH=/usr/bin:/bin"};
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (std::string& item : strings)
            list.push_back(item.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(args), envp = pointers(env);
    const fs::path out = registry.parent_path() / "out.txt", err = registry.parent_path() / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    RunResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        if (onStarted)
            onStarted(pid);
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
        result.out = test::ReadFile(out);
        result.err = test::ReadFile(err);
    }
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

class PhoneToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VirtualPhone::Available() || std::string(CORVINA_PHONE_TOOL).empty())
            GTEST_SKIP() << "the virtual phone or the tool is not part of this build";
    }

    // A registry file naming the phone's port.
    fs::path Registry(const std::string& port)
    {
        const fs::path file = dir.Path() / "phone.reg";
        test::WriteFile(file, test::ReadFile(CORVINA_SERVICES_REG) +
                                  "\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" +
                                  test::RegString("Port", port) + "\"AtTimeoutMs\"=dword:000007d0\n");
        return file;
    }

    test::ScratchFolder dir;
};

TEST_F(PhoneToolTest, IdentifyListGetPutRemoveAndMkdirGiveTheirFormsAndExitCodes)
{
    VirtualPhone phone(dir.Path(), "CX70", {"--imei", "351234567890123"});
    ASSERT_TRUE(phone.Ready());
    const fs::path reg = Registry(phone.Port());

    RunResult r = RunTool({"identify"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"manufacturer\": \"Halvren\", \"model\": \"CX70\", \"revision\": \"corvina-phonesim 1.0\", "
                     "\"imei\": \"351234567890123\"}\n");

    test::WriteFile(phone.Files() / "Ringtones" / "a \"q\".mid", "12345");
    fs::create_directories(phone.Files() / "Ringtones" / "Sub");
    r = RunTool({"ls", "Ringtones"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with(
        "[{\"name\": \"Sub\", \"size\": 0, \"folder\": true, \"read_only\": false, \"modified\": \"20"))
        << r.out;
    EXPECT_NE(
        r.out.find(
            "{\"name\": \"a \\\"q\\\".mid\", \"size\": 5, \"folder\": false, \"read_only\": false, \"modified\": \"20"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.back(), '\n');

    test::WriteFile(dir.Path() / "local.mid", std::string(9000, 'x'));
    r = RunTool({"put", (dir.Path() / "local.mid").string(), "/Ringtones"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // no progress when standard error is no terminal
    EXPECT_EQ(test::ReadFile(phone.Files() / "Ringtones" / "local.mid"), std::string(9000, 'x'));
    // The phone's file is not replaced without --force.
    r = RunTool({"put", (dir.Path() / "local.mid").string(), "Ringtones"}, reg);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not replaced"), std::string::npos) << r.err;
    r = RunTool({"--force", "put", (dir.Path() / "local.mid").string(), "Ringtones"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;

    r = RunTool({"get", "Ringtones/local.mid", (dir.Path() / "back.mid").string()}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadFile(dir.Path() / "back.mid"), std::string(9000, 'x'));
    // An existing local file is left alone; a folder that cannot be written is a local error.
    test::WriteFile(dir.Path() / "mine.mid", "mine");
    EXPECT_EQ(RunTool({"get", "Ringtones/local.mid", (dir.Path() / "mine.mid").string()}, reg).status, 2);
    EXPECT_EQ(test::ReadFile(dir.Path() / "mine.mid"), "mine");
    EXPECT_EQ(RunTool({"get", "Ringtones/local.mid", (dir.Path() / "no" / "such" / "x.mid").string()}, reg).status, 2);
    EXPECT_EQ(RunTool({"put", (dir.Path() / "missing.mid").string()}, reg).status, 2);
    r = RunTool({"get", "Ringtones/none.mid", (dir.Path() / "none.mid").string()}, reg);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.Path() / "none.mid"));

    r = RunTool({"mkdir", "/Ringtones/Made"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_directory(phone.Files() / "Ringtones" / "Made"));
    r = RunTool({"rm", "Ringtones/local.mid"}, reg);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(phone.Files() / "Ringtones" / "local.mid"));
    EXPECT_EQ(RunTool({"rm", "Ringtones/local.mid"}, reg).status, 1);

    // --port wins over the registry.
    r = RunTool({"--port", (dir.Path() / "nothing").string(), "identify"}, reg);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not connected"), std::string::npos) << r.err;
}

TEST_F(PhoneToolTest, WrongUsageExitsWith64AndHelpListsEveryOption)
{
    const fs::path reg = Registry("");
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"dance"}, {"get", "x"}, {"ls", "a", "b"}, {"--bogus", "ls"}, {"--port"}, {"identify"}}) {
        RunResult r = RunTool(wrong, reg);
        EXPECT_EQ(r.status, 64) << (wrong.empty() ? "(nothing)" : wrong[0]);
        EXPECT_NE(r.err.find("corvina-phone: "), std::string::npos);
    }
    RunResult help = RunTool({"--help"}, reg);
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"\n  --port DEV", "\n  --force", "\n  --help", "\n  --version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    RunResult version = RunTool({"--version"}, reg);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("corvina-phone ", 0), 0u);
}

TEST_F(PhoneToolTest, AnInterruptedPutLeavesNothingOnThePhone)
{
    // A slow phone, so the transfer is still running when the interrupt comes.
    VirtualPhone phone(dir.Path(), "CX70", {"--delay-ms", "40"});
    ASSERT_TRUE(phone.Ready());
    const fs::path reg = Registry(phone.Port());
    test::WriteFile(dir.Path() / "big.mid", std::string(200000, 'y'));
    const fs::path folder = phone.Files() / "Ringtones";
    RunResult r = RunTool({"put", (dir.Path() / "big.mid").string(), "Ringtones"}, reg, [&](pid_t pid) {
        // Interrupt once the upload has begun on the phone.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (bool started = false; !started && std::chrono::steady_clock::now() < deadline;) {
            for (const auto& entry : fs::directory_iterator(folder))
                started = started || entry.path().filename().string().rfind(".big.mid.obex-", 0) == 0;
            if (!started)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::kill(pid, SIGINT);
    });
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
    EXPECT_EQ(test::AllNames(folder), std::vector<std::string>{});
}

TEST_F(PhoneToolTest, AProbeSaysWhatEachCandidateIsAndAutoTakesTheFirstPhone)
{
    VirtualPhone phone(dir.Path(), "CX70");
    ASSERT_TRUE(phone.Ready());
    VirtualPhone refusing(dir.Path() / "other", "CX70", {"--fail-cmd", "AT+CGSN"});
    ASSERT_TRUE(refusing.Ready());
    // The candidates are found by the patterns in "PortCandidates", in their order.
    test::LoadRegistry(
        "\"AtTimeoutMs\"=dword:000007d0\n" +
        test::RegString("PortCandidates", (dir.Path() / "ttyA*").string() + "; " + (dir.Path() / "ttyB*").string()));
    test::WriteFile(dir.Path() / "ttyA0", "not a terminal");
    fs::create_symlink(dir.Path() / "gone", dir.Path() / "ttyA1");
    fs::create_symlink(refusing.Port(), dir.Path() / "ttyA2");
    fs::create_symlink(phone.Port(), dir.Path() / "ttyB0");
    const auto candidates = ExpandPortPatterns(ConfiguredPortPatterns());
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[3], (dir.Path() / "ttyB0").string());

    using eOutcome = SPortReport::eOutcome;
    EXPECT_EQ(ProbePort(candidates[0]).outcome, eOutcome::NotAPhone);
    EXPECT_EQ(ProbePort(candidates[1]).outcome, eOutcome::Missing);
    EXPECT_EQ(ProbePort(candidates[2]).outcome, eOutcome::NotAPhone);
    const SPortReport found = ProbePort(candidates[3]);
    EXPECT_EQ(std::tuple(found.outcome, found.imei, found.model),
              std::tuple(eOutcome::Phone, "350000000000017", "CX70"));
    EXPECT_FALSE(found.maker.empty());
    // A device the user may not open names its group; one another program holds names that program.
    const SPortReport denied = ProbePort(candidates[3], [](const std::string&) { return EACCES; });
    EXPECT_EQ(denied.outcome, eOutcome::PermissionDenied);
    EXPECT_FALSE(denied.group.empty());
    EXPECT_EQ(ProbePort(candidates[3], [](const std::string&) { return EBUSY; }).outcome, eOutcome::Busy);
    EXPECT_EQ(FindPortHolder(candidates[3]), ""); // the virtual phone is the device, no other user
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(candidates[3].c_str(), O_RDWR | O_NOCTTY);
        [[maybe_unused]] const auto written = ::write(ready[1], "x", 1);
        ::pause();
        ::_exit(fd >= 0 ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const SPortReport busy = ProbePort(candidates[3]);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(busy.outcome, eOutcome::Busy);
    // The forked holder runs under this program's name.
    EXPECT_EQ(busy.holder + "\n", test::ReadFile("/proc/self/comm"));

    EXPECT_EQ(CAtLink::AutoDevice(), (dir.Path() / "ttyB0").string());
    Registry::Instance().LoadText("");
}

} // namespace
} // namespace corvina
