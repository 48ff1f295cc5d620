// The trace file: flags, header lines, stamps, file modes, folder creation and concurrent lines.
#include <gtest/gtest.h>

// GCC 12 warns of uninitialised members deep inside std::regex in sanitizer builds; a false alarm.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <sys/utsname.h>

#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "CRegistryHelper.h"
#include "CTraceFile.h"
#include "ScratchFolder.h"

namespace corvina {
namespace {

using test::ScratchFolder;

const std::string kBannerTop =
    "\n\n******************************************Trace MBX***************************************************\n";
const std::string kBannerBottom =
    "******************************************Trace MBX***************************************************\n\n";
const std::regex kGeneratedLine(R"(\*{24}Generated: \d\d:\d\d:\d{4} \d\d:\d\d:\d\d:\d{6} \*{7} HR  0\.00 us \*{15})");

// Loads a registry with the trace key; an empty file name leaves "FileName" out.
void ConfigureTrace(std::uint32_t flags, const std::string& fileName, const std::string& more = "")
{
    char dword[16];
    std::snprintf(dword, sizeof dword, "%08x", flags);
    const std::string name = fileName.empty() ? "" : "\"FileName\"=\"" + fileName + "\"\n";
    Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Pellucid 5.0\\Kvt]\n\"Flags\"=dword:" + std::string(dword) +
        "\n" + name + more);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The trace lines of a file, without the header.
std::vector<std::string> TraceLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(text))
        if (!line.empty() && line[0] != '*')
            lines.push_back(line);
    return lines;
}

// Each test writes its trace into a scratch folder of its own.
class TraceFileTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    const std::filesystem::path file = folder.Path() / "trace.txt";
};

TEST_F(TraceFileTest, IsOffAndCreatesNothingWithoutFlags)
{
    Registry::Instance().LoadText("REGEDIT4\n");
    CTraceFile missing;
    EXPECT_EQ(missing.Flags(), 0u);
    ConfigureTrace(0, (folder.Path() / "off" / "trace.txt").string());
    CTraceFile zero;
    zero.Trace(1, "nothing");
    EXPECT_FALSE(zero.IsEnabled(1));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "off"));
}

TEST_F(TraceFileTest, WritesTheHeaderWordForWordAndOnlyTheEnabledLevels)
{
    ConfigureTrace(0x00000004, file.string());
    {
        CTraceFile trace;
        EXPECT_TRUE(trace.IsEnabled(3));
        EXPECT_FALSE(trace.IsEnabled(1));
        EXPECT_FALSE(trace.IsEnabled(4));
        trace.Trace(3, "Entering CRingingtoneDlg::CRingingtoneDlg");
        trace.Trace(1, "level one is off");
        trace.Trace(3, "Leaving %s::%s", "CRingingtoneDlg", "CRingingtoneDlg");
    }
    std::string text = test::ReadFile(file);
    ASSERT_EQ(text.compare(0, kBannerTop.size(), kBannerTop), 0) << text;
    std::vector<std::string> lines = Lines(text.substr(kBannerTop.size()));
    ASSERT_EQ(lines.size(), 5u) << text;
    EXPECT_TRUE(std::regex_match(lines[0], kGeneratedLine)) << lines[0];
    EXPECT_EQ(lines[1] + "\n\n", kBannerBottom);
    EXPECT_EQ(lines[2], "");
    const std::regex milliseconds(R"(\d\d:[0-5]\d:[0-5]\d:\d{3} 3 (.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[3], match, milliseconds)) << lines[3];
    EXPECT_EQ(match[1], "Entering CRingingtoneDlg::CRingingtoneDlg");
    ASSERT_TRUE(std::regex_match(lines[4], match, milliseconds)) << lines[4];
    EXPECT_EQ(match[1], "Leaving CRingingtoneDlg::CRingingtoneDlg");
}

TEST_F(TraceFileTest, Bit29StartsANewFileAtEveryLoadOtherwiseItAppends)
{
    auto countHeaders = [](const std::string& text) {
        std::size_t count = 0;
        for (std::size_t at = text.find("Generated:"); at != std::string::npos; at = text.find("Generated:", at + 1))
            ++count;
        return count;
    };
    std::filesystem::path appended = folder.Path() / "appended.txt";
    std::filesystem::path fresh = folder.Path() / "fresh.txt";
    for (int load = 0; load < 3; ++load) {
        ConfigureTrace(0x00000004, appended.string());
        CTraceFile().Trace(3, "load %d", load);
        ConfigureTrace(0x20000004, fresh.string());
        CTraceFile().Trace(3, "load %d", load);
    }
    EXPECT_EQ(countHeaders(test::ReadFile(appended)), 3u);
    EXPECT_EQ(TraceLines(test::ReadFile(appended)).size(), 3u);
    EXPECT_EQ(countHeaders(test::ReadFile(fresh)), 1u);
    std::vector<std::string> lines = TraceLines(test::ReadFile(fresh));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" 3 load 2"), std::string::npos);
}

TEST_F(TraceFileTest, CreatesOnlyTheLastMissingFolderOfTheFileName)
{
    std::filesystem::path oneLevel = folder.Path() / "logs" / "trace.txt";
    ConfigureTrace(0x4, oneLevel.string());
    CTraceFile().Trace(3, "kept");
    EXPECT_EQ(TraceLines(test::ReadFile(oneLevel)).size(), 1u);

    std::filesystem::path twoLevels = folder.Path() / "a" / "b" / "trace.txt";
    ConfigureTrace(0x4, twoLevels.string());
    CTraceFile().Trace(3, "dropped");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "a"));
}

TEST_F(TraceFileTest, FallsBackToTraceTxtWhenTheFileNameCannotBeRead)
{
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    for (const std::string& name : {std::string(), std::string(260, 'n')}) {
        ConfigureTrace(0x4, name);
        CTraceFile trace;
        EXPECT_EQ(trace.Path(), "Trace.txt");
        trace.Trace(3, "here");
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(TraceLines(test::ReadFile(folder.Path() / "Trace.txt")).size(), 2u);
}

TEST_F(TraceFileTest, HeaderNamesTheSystemAndReportsUnregisteredComponents)
{
    ConfigureTrace(0xC0000004, file.string());
    CTraceFile trace;
    std::string text = test::ReadFile(file);
    utsname system{};
    ASSERT_EQ(uname(&system), 0);
    std::string systemLine = "*  " + std::string(system.sysname) + "\tVersion ";
    std::size_t at = text.find(systemLine);
    ASSERT_NE(at, std::string::npos) << text;
    std::string line = text.substr(at, text.find('\n', at) - at + 1);
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\*  \w+\tVersion \d+\.\d+ \(Build \d+\) {21}\t\n)"))) << line;
    EXPECT_NE(text.find("*  MBXServer.exe\tnot registred.\n*  MBXShellExt.dll\tnot registred.\n"), std::string::npos)
        << text;
}

TEST_F(TraceFileTest, HeaderGivesTheVersionsOfRegisteredComponents)
{
    std::filesystem::path server = folder.Write("bin/mbx-server", "");
    std::filesystem::path shellExt = folder.Write("shell/libmbxshell.so", "");
    folder.Write("shell/MBXSearchApp.exe", "");
    folder.Write("shell/MBXSearchApp.exe.version", "5.1.0.77\n");
    const std::string clsid = "[HKEY_CLASSES_ROOT\\CLSID\\";
    ConfigureTrace(0x40000004, file.string(),
                   clsid + "{D73D7EA8-AD8A-11D3-A271-00105A3B325A}\\LocalServer32]\n@=\"" + server.string() +
                       "\"\n\"Version\"=\"5.0.12.3\"\n" + clsid +
                       "{ED65AB22-B24F-11d3-BA80-00C0CA16AA37}\\InProcServer32]\n@=\"" + shellExt.string() +
                       "\"\n\"Version\"=\"not a version\"\n");
    CTraceFile trace;
    std::string text = test::ReadFile(file);
    EXPECT_NE(text.find("*  MBXServer.exe\t\t FileVersion 5 , 0 , 12 , 3\t\t\t\t\t\t\t\t\t\t\t\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("MBXShellExt.dll"), std::string::npos) << text;
    EXPECT_NE(text.find("*  MBXSearchExt.exe\t          FileVersion 5 , 1 , 0 , 77\t\t\t\t\t\t\t\t\t\t\n"),
              std::string::npos)
        << text;
}

TEST_F(TraceFileTest, WritesRegistryProblemsAtLevelOne)
{
    ConfigureTrace(0x1, file.string(), "\"Broken\"=dword:xyz\n");
    CTraceFile trace;
    std::vector<std::string> lines = TraceLines(test::ReadFile(file));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" 1 Registry: <text>:5: DWORD value of \"Broken\""), std::string::npos) << lines[0];
}

TEST_F(TraceFileTest, LinesFromManyThreadsStayWholeAndBit28StampsThemInMicroseconds)
{
    ConfigureTrace(0x10000002, file.string());
    ResetTrace();
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                TheTrace().Trace(2, "thread %d line %d %s", t, i, "padding-padding-padding-padding-padding");
        });
    for (auto& thread : threads)
        thread.join();
    const std::regex whole(
        R"(\d\d:[0-5]\d:[0-5]\d:\d{6} 2 thread (\d) line (\d+) padding-padding-padding-padding-padding)");
    std::set<std::pair<int, int>> seen;
    std::vector<std::string> lines = TraceLines(test::ReadFile(file));
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << line;
        seen.emplace(std::stoi(match[1]), std::stoi(match[2]));
    }
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}

} // namespace
} // namespace corvina
