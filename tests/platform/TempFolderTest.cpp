// The per-process temporary folder: private to each process, removed at exit, and a crashed run's
// folder removed by the next start while a running process's folder is left alone.
#include "ScratchFolder.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvina {
namespace fs = std::filesystem;
namespace {

// Run as a child (this same program, chosen by the environment before main): print the folder,
// put a file in it, then end as told: "exit" normally, "crash" by a signal, "wait" until stdin closes.
const int g_childMode = [] {
    const char* mode = std::getenv("CORVINA_TEMPFOLDER_CHILD");
    if (!mode)
        return 0;
    const fs::path folder = ProcessTempFolder();
    std::ofstream(folder / "work.mid") << "x";
    std::printf("%s\n", folder.c_str());
    std::fflush(stdout);
    const std::string how = mode;
    if (how == "crash")
        std::raise(SIGKILL);
    if (how == "wait")
        while (std::fgetc(stdin) != EOF) {
        }
    std::exit(0);
}();

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
    int in = -1;
    fs::path folder;
};

Child Start(const fs::path& tmp, const char* mode)
{
    int toChild[2], fromChild[2];
    EXPECT_EQ(::pipe2(toChild, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(fromChild, O_CLOEXEC), 0);
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::setenv("CORVINA_TEMPFOLDER_CHILD", mode, 1);
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::execl("/proc/self/exe", "temp-folder-child", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    child.in = toChild[1];
    child.out = ::fdopen(fromChild[0], "r");
    char line[4096] = {};
    if (std::fgets(line, sizeof line, child.out))
        child.folder = std::string(line, std::strcspn(line, "\n"));
    return child;
}

int Finish(Child& child)
{
    ::close(child.in);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    std::fclose(child.out);
    return status;
}

// Each test's processes take their temporary folders below a scratch folder of the test.
class TempFolderTest : public ::testing::Test {
protected:
    test::ScratchFolder m_scratch{"tempfolder"};
    const fs::path m_tmp = m_scratch.Path();
};

TEST_F(TempFolderTest, EachProcessGetsItsOwnPrivateFolderThatGoesWhenItEnds)
{
    Child first = Start(m_tmp, "wait");
    Child second = Start(m_tmp, "wait");
    ASSERT_FALSE(first.folder.empty());
    EXPECT_EQ(first.folder.parent_path(), m_tmp);
    EXPECT_NE(first.folder, second.folder);
    EXPECT_TRUE(fs::exists(first.folder / "work.mid"));
    struct stat info {};
    ASSERT_EQ(::stat(first.folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "others must not read or plant temporary files";

    // While both run, a cleanup leaves their folders alone.
    EXPECT_EQ(RemoveStaleTempFolders(m_tmp), 0);
    EXPECT_TRUE(fs::exists(second.folder / "work.mid"));

    EXPECT_EQ(Finish(first), 0);
    EXPECT_FALSE(fs::exists(first.folder));
    EXPECT_TRUE(fs::exists(second.folder));
    EXPECT_EQ(Finish(second), 0);
    EXPECT_FALSE(fs::exists(second.folder));
    EXPECT_TRUE(fs::is_empty(m_tmp));
}

TEST_F(TempFolderTest, AFolderLeftByACrashIsRemovedWhenTheNextProcessStarts)
{
    Child crashed = Start(m_tmp, "crash");
    const int status = Finish(crashed);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(fs::exists(crashed.folder / "work.mid")) << "a killed process cannot clean up";
    // Folders that only look alike are someone else's and stay.
    fs::create_directory(m_tmp / "corvina-abcdef");
    std::ofstream(m_tmp / "corvina-abcdef" / "keep") << "y";

    Child next = Start(m_tmp, "exit");
    EXPECT_EQ(Finish(next), 0);
    EXPECT_FALSE(fs::exists(crashed.folder));
    EXPECT_TRUE(fs::exists(m_tmp / "corvina-abcdef" / "keep"));
}

TEST(TempFolder, TheSameFolderServesTheWholeProcess)
{
    const fs::path folder = ProcessTempFolder();
    EXPECT_EQ(folder, ProcessTempFolder());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_NE(folder, fs::temp_directory_path());
}

} // namespace
} // namespace corvina
