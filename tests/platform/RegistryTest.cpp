// Reading .reg text: values, escapes, headers, malformed lines, file order and size limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>

#include "CRegistryHelper.h"
#include "RegStore.h"
#include "ScopedEnv.h"
#include "ScratchFolder.h"
#include "UserSettings.h"

namespace corvina {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

constexpr const char* kKey = "Software\\Test";

bool AnyProblemContains(const Registry& registry, const std::string& part)
{
    const auto& problems = registry.Problems();
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(part) != std::string::npos; });
}

// Each test reads into a registry of its own, not the process-wide one.
class RegistryFiles : public ::testing::Test {
protected:
    Registry registry;
};

TEST_F(RegistryFiles, ReadsTextAndDwordValuesWithEscapesDefaultsAndComments)
{
    registry.LoadText("Windows Registry Editor Version 5.00\r\n"
                      "\r\n"
                      "; a comment line\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
                      "@=\"the default\"\r\n"
                      "\"Path\"=\"C:\\\\Tones\\\\a \\\"b\\\".mid\"\r\n"
                      "\"Plain\"=\"C:\\Temp\"\r\n"
                      "\"Count\"=dword:0000000a   ; trailing comment\r\n"
                      "  \"Indented\" = dword:1\r\n"
                      "\"Empty\"=\"\"\r\n");
    EXPECT_TRUE(registry.Problems().empty()) << registry.Problems().front();
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, ""), "the default");
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Path"), "C:\\Tones\\a \"b\".mid");
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Plain"), "C:\\Temp");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Count"), 10);
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Indented"), 1);
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Empty"), "");
    // A value is read only as the type it was written with.
    EXPECT_FALSE(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Count"));
    EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Path"));
    EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Missing"));
    EXPECT_FALSE(registry.GetDword(HKEY_CLASSES_ROOT, kKey, "Count"));
}

TEST_F(RegistryFiles, AKeyLineWithABracketInItsTrailingCommentNamesTheKeyBeforeTheComment)
{
    registry.LoadText("Windows Registry Editor Version 5.00\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test]   ; the suite's settings [see docs]\r\n"
                      "\"Port\"=\"/dev/ttyACM0\"\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Odd]Name] ; a key whose name holds ']'\r\n"
                      "\"Kind\"=dword:2\r\n");
    EXPECT_TRUE(registry.Problems().empty()) << registry.Problems().front();
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Port"), "/dev/ttyACM0");
    EXPECT_FALSE(registry.GetString(HKEY_LOCAL_MACHINE, "Software\\Test]   ; the suite's settings [see docs", "Port"));
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, "Software\\Odd]Name", "Kind"), 2);
    // Text after the closing bracket that is no comment is still refused.
    Registry broken;
    broken.LoadText("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Test] junk\r\n");
    EXPECT_TRUE(AnyProblemContains(broken, "closing"));
}

TEST_F(RegistryFiles, ReadsDwordsAsSignedAndRejectsBadHex)
{
    registry.LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                      "\"AllOnes\"=dword:ffffffff\n\"Lowest\"=DWORD:80000000\n\"Highest\"=dword:7FFFFFFF\n"
                      "\"TooLong\"=dword:123456789\n\"NotHex\"=dword:12g4\n\"Nothing\"=dword:\n");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "AllOnes"), -1);
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Lowest"), INT_MIN);
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Highest"), INT_MAX);
    for (const char* bad : {"TooLong", "NotHex", "Nothing"})
        EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, bad)) << bad;
    ASSERT_EQ(registry.Problems().size(), 3u);
    EXPECT_EQ(registry.Problems()[0], "<text>:6: DWORD value of \"TooLong\" is not 1 to 8 hexadecimal digits");
}

TEST_F(RegistryFiles, ComparesKeyAndValueNamesIgnoringCaseAndKeepsTheFirstSpelling)
{
    registry.LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test\\Phones\\BIRCH-M55]\n\"RtVolEnd\"=dword:5\n"
                      "[hklm\\SOFTWARE\\test\\phones\\birch-m55]\n\"rtvolend\"=dword:6\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test\\Phones\\me45]\n");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\TEST\\PHONES\\Birch-m55", "RTVOLEND"), 6);
    EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, "software\\test"));
    EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, "\\Software\\Test\\"));
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Tes"));
    EXPECT_EQ(registry.SubKeys(HKEY_LOCAL_MACHINE, "software\\test\\PHONES"),
              (std::vector<std::string>{"BIRCH-M55", "me45"}));
}

TEST_F(RegistryFiles, AcceptsBothHeadersAndReportsAMissingOrUnknownFirstLine)
{
    // Each first line with the problem it gives (none for the two headers); the values count all the same.
    for (const auto& [header, problem] :
         std::vector<std::pair<std::string, std::string>>{{"REGEDIT4\n", ""},
                                                          {"Windows Registry Editor Version 5.00\n", ""},
                                                          {"Some Other Editor 9\n", "<text>:1: unknown first line"},
                                                          {"", "<text>:1: the first line is not"}}) {
        Registry fresh;
        fresh.LoadText(header + "[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"A\"=dword:1\n");
        ASSERT_EQ(fresh.Problems().size(), problem.empty() ? 0u : 1u) << header;
        EXPECT_TRUE(problem.empty() || AnyProblemContains(fresh, problem)) << header;
        EXPECT_EQ(fresh.GetDword(HKEY_LOCAL_MACHINE, kKey, "A"), 1) << header;
    }
}

TEST_F(RegistryFiles, SkipsAndReportsMalformedLinesButKeepsTheGoodOnes)
{
    registry.LoadText("REGEDIT4\n"
                      "\"Early\"=dword:1\n" // value before any key
                      "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                      "\"Open=dword:1\n"                // name without closing quote
                      "\"Broken\"=\"no end\n"           // text without closing quote
                      "\"Tail\"=\"x\" junk\n"           // text after the quote
                      "\"Bin\"=hex:01,02,\\\n  03,04\n" // binary over two lines
                      "\"Kind\"=qword:1\n"              // unknown type
                      "\"NoEquals\" dword:1\n"
                      "garbage line\n"
                      "\"Good\"=\"yes\"\n"
                      "[HKEY_NOWHERE\\Software\\Test]\n" // unknown hive
                      "\"Lost\"=dword:1\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test\n" // no closing bracket
                      "\"AlsoLost\"=dword:1\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                      "\"Last\"=dword:7\n");
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Good"), "yes");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Last"), 7);
    for (const char* name : {"Early", "Broken", "Tail", "Bin", "Kind", "NoEquals", "Lost", "AlsoLost"})
        EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, name) ||
                     registry.GetString(HKEY_LOCAL_MACHINE, kKey, name))
            << name;
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\03,04"));
    EXPECT_EQ(registry.Problems().size(), 12u);
    EXPECT_TRUE(AnyProblemContains(registry, "<text>:2: value before any key"));
    EXPECT_TRUE(AnyProblemContains(registry, "<text>:7: binary (hex) values are not supported"));
    EXPECT_TRUE(AnyProblemContains(registry, "<text>:9: unknown value type"));
    EXPECT_TRUE(AnyProblemContains(registry, "key without a known hive"));
    EXPECT_TRUE(AnyProblemContains(registry, "<text>:16: value after a key line that could not be used"));
}

TEST_F(RegistryFiles, DeletesKeysWithTheirSubkeysAndSingleValues)
{
    registry.LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test\\A\\Deep]\n\"X\"=dword:1\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Test\\A2]\n\"Y\"=dword:2\n\"Z\"=dword:3\n");
    registry.MergeText("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Software\\Test\\a]\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Test\\A2]\n\"y\"=-\n");
    EXPECT_TRUE(registry.Problems().empty());
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\A"));
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\A\\Deep"));
    EXPECT_EQ(registry.SubKeys(HKEY_LOCAL_MACHINE, kKey), std::vector<std::string>{"A2"});
    EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, "Software\\Test\\A2", "Y"));
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, "Software\\Test\\A2", "Z"), 3);
}

TEST_F(RegistryFiles, ReadsUtf16ExportsWithTheirByteOrderMark)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
                              "\"Name\"=\"K\xE4se\"\r\n"))
        utf16 += {c, '\0'};
    registry.LoadText(utf16);
    EXPECT_TRUE(registry.Problems().empty());
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Name"), "K\xC3\xA4se");
}

TEST_F(RegistryFiles, LaterFilesOverrideEarlierOnesAndMissingFilesAreReported)
{
    ScratchFolder folder;
    auto first = folder.Write(
        "a.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"Port\"=\"/dev/ttyS0\"\n\"Keep\"=dword:1\n");
    auto second = folder.Write("b.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TEST]\n\"PORT\"=\"/dev/ttyUSB0\"\n");
    registry.Load({first, folder.Path() / "missing.reg", second});
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Port"), "/dev/ttyUSB0");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "Keep"), 1);
    ASSERT_EQ(registry.Problems().size(), 1u);
    EXPECT_NE(registry.Problems()[0].find("missing.reg: cannot be read"), std::string::npos);

    registry.Load({second, first});
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Port"), "/dev/ttyS0");
    EXPECT_TRUE(registry.Problems().empty());
}

TEST_F(RegistryFiles, DefaultFilesComeFromTheEnvironmentListOrTheShippedThenUserFolders)
{
    ScratchFolder folder;
    {
        ScopedEnv list("CORVINA_REGISTRY", "/x/one.reg::/y/two.reg");
        EXPECT_EQ(Registry::DefaultFiles(), (std::vector<std::filesystem::path>{"/x/one.reg", "/y/two.reg"}));
    }
    folder.Write("corvina/20-port.reg", "");
    folder.Write("corvina/10-trace.reg", "");
    folder.Write("corvina/notes.txt", "");
    ScopedEnv unset("CORVINA_REGISTRY", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", folder.Path().string());
    std::vector<std::filesystem::path> files = Registry::DefaultFiles();
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(files.front(), std::filesystem::path(CORVINA_SHIPPED_REG_DIR) / "default.reg");
    EXPECT_EQ(files[files.size() - 2], folder.Path() / "corvina/10-trace.reg");
    EXPECT_EQ(files.back(), folder.Path() / "corvina/20-port.reg");
}

TEST_F(RegistryFiles, AChosenPortIsSavedInTheUsersFileKeepingItsOtherLinesAndHoldsAtOnce)
{
    ScratchFolder folder;
    ScopedEnv config("XDG_CONFIG_HOME", folder.Path().string());
    const auto file = folder.Write(
        "corvina/phone.reg",
        "Windows Registry Editor Version 5.00\n\n; mine\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n\"port\"=\"/dev/old\"\n\"Language\"=dword:00000407\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"Port\"=\"theirs\"\n");
    EXPECT_EQ(UserSettingsFile(), file);
    std::string error;
    ASSERT_TRUE(SaveUserValues({{"Port", "/dev/ttyUSB3", std::nullopt}, {"Baud", std::nullopt, 57600u}}, error))
        << error;
    EXPECT_EQ(test::ReadFile(file),
              "Windows Registry Editor Version 5.00\n\n; mine\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
              "\"Port\"=\"/dev/ttyUSB3\"\n\"Baud\"=dword:0000e100\n\"Language\"=dword:00000407\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"Port\"=\"theirs\"\n");
    EXPECT_EQ(Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port"), "/dev/ttyUSB3");
    EXPECT_EQ(Registry::Instance().GetDword(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Baud"), 57600);
    // A folder that cannot be written: the values hold all the same, and the reason is given.
    std::filesystem::remove_all(folder.Path() / "corvina");
    folder.Write("corvina", "a file where the folder should be");
    EXPECT_FALSE(SaveUserValues({{"Port", "auto", std::nullopt}}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port"), "auto");
    Registry::Instance().LoadText("");
}

TEST_F(RegistryFiles, CreatesDeepKeysWithTheirParentsAndRefusesPathsDeeperThanTheLimit)
{
    // A 40 KB key line of 20 000 components used to recurse once per component and overflow the stack.
    std::string tooDeep = "[HKEY_CURRENT_USER";
    for (int i = 0; i < 20000; ++i)
        tooDeep += "\\a";
    std::string deepest = "Software";
    for (std::size_t i = 1; i < RegStore::kMaxDepth; ++i)
        deepest += "\\k";
    registry.LoadText("REGEDIT4\n" + tooDeep + "]\n\"Lost\"=dword:1\n[HKEY_CURRENT_USER\\" + deepest +
                      "]\n\"Kept\"=dword:7\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"After\"=dword:2\n");
    EXPECT_TRUE(AnyProblemContains(registry, "key deeper than 512 levels"));
    EXPECT_FALSE(registry.KeyExists(HKEY_CURRENT_USER, "a"));
    // The deepest allowed key exists with every parent, each listing its one subkey.
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, deepest, "Kept"), 7);
    EXPECT_EQ(registry.SubKeys(HKEY_CURRENT_USER, "Software"), std::vector<std::string>{"k"});
    EXPECT_EQ(registry.SubKeys(HKEY_CURRENT_USER, deepest.substr(0, deepest.size() - 2)),
              std::vector<std::string>{"k"});
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "After"), 2);
}

TEST_F(RegistryFiles, SurvivesAHugeFileAndRefusesOneAboveTheLimit)
{
    ScratchFolder folder;
    std::filesystem::path huge = folder.Path() / "huge.reg";
    {
        std::ofstream out(huge, std::ios::binary);
        out << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n";
        std::string good = "\"Long\"=\"" + std::string(1000, 'x') + "\"\n";
        std::string bad = "\"Broken\"=\"" + std::string(1000, 'y') + "\n";
        for (int i = 0; i < 25000; ++i)
            out << good << bad;
    }
    const std::filesystem::path tooBig = folder.Write("sparse.reg", "");
    std::filesystem::resize_file(tooBig, 65u * 1024 * 1024);
    registry.Load({huge, tooBig});
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kKey, "Long"), std::string(1000, 'x'));
    // The listing stops after a hundred problems of one file and counts the rest.
    EXPECT_TRUE(AnyProblemContains(registry, "huge.reg: 24900 more problems not listed"));
    EXPECT_TRUE(AnyProblemContains(registry, "sparse.reg: larger than 64 MiB, not read"));
    EXPECT_EQ(registry.Problems().size(), 102u);
}

TEST_F(RegistryFiles, ReadsStayConsistentWhileAnotherThreadReloads)
{
    const std::string one = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"A\"=dword:1\n\"B\"=dword:1\n";
    const std::string two = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"A\"=dword:2\n\"B\"=dword:2\n";
    registry.LoadText(one);
    std::atomic<int> badReads{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                auto a = registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "A");
                auto b = registry.GetDword(HKEY_LOCAL_MACHINE, kKey, "B");
                if (!a || !b || (*a != 1 && *a != 2) || (*b != 1 && *b != 2))
                    ++badReads;
            }
        });
    for (int i = 0; i < 200; ++i)
        registry.LoadText(i % 2 ? one : two);
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(badReads, 0);
}

} // namespace
} // namespace corvina
