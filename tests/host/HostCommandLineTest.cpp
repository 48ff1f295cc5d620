// The corvina program's command line (read before the toolkit starts) and melodies named on it.
#include "CHostOptions.h"
#include "CMidiFile.h"
#include "MelodyArgument.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <tuple>

namespace corvina::test {
namespace {

namespace fs = std::filesystem;

struct Parsed {
    bool ok;
    CHostOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string> args)
{
    Parsed parsed{};
    parsed.ok = parsed.options.Parse(args, parsed.error);
    return parsed;
}

// Every value the options hold, to compare them all at once.
auto Values(const CHostOptions& o)
{
    return std::tuple(o.m_strPhone, o.m_nPage, o.m_strScreenshot, o.m_nDelayMs, o.m_strFile, o.m_bHelp, o.m_bVersion);
}

TEST(HostCommandLine, TakesEveryOptionInBothSpellingsAndOneFile)
{
    const Parsed all =
        Parse({"--phone", "CX70,350000000000017", "--page=1", "--screenshot", "out.png", "--delay", "0", "song.mid"});
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(Values(all.options), std::tuple("CX70,350000000000017", 1, "out.png", 0, "song.mid", false, false));

    const Parsed none = Parse({});
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(Values(none.options), std::tuple("", -1, "", 1500, "", false, false));

    EXPECT_TRUE(Parse({"-h"}).options.m_bHelp);
    EXPECT_TRUE(Parse({"x.mid", "--help"}).options.m_bHelp);
    EXPECT_TRUE(Parse({"--version"}).options.m_bVersion);
    // After "--" a name that starts with a dash is a file.
    const Parsed dashed = Parse({"--", "-odd name.mid"});
    ASSERT_TRUE(dashed.ok);
    EXPECT_EQ(dashed.options.m_strFile, "-odd name.mid");
}

TEST(HostCommandLine, RefusesWrongOptionsWithAOneLineReason)
{
    // Each command line is written as one string of space-separated arguments.
    for (const char* line : {"--bogus", "-x", "--page", "--page 2", "--page=one", "--delay -5", "--delay 600001",
                             "--help=yes", "--phone ,350000000000017", "--screenshot=", "a.mid b.mid", "--version=2"}) {
        std::istringstream words(line);
        const Parsed parsed = Parse({std::istream_iterator<std::string>(words), {}});
        EXPECT_FALSE(parsed.ok) << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
    EXPECT_NE(Parse({"--bogus"}).error.find("--bogus"), std::string::npos);
}

TEST(HostCommandLine, HelpListsEveryOptionTheParserTakes)
{
    const std::string help = CHostOptions::HelpText();
    for (const char* option :
         {"-h, --help", "--version", "--phone TYPE,IMEI", "--page N", "--screenshot FILE", "--delay MS"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

class MelodyArgumentTest : public ::testing::Test {
protected:
    const ScratchFolder m_folder{"host-test"};
    const fs::path m_dir = m_folder.Path();
};

TEST_F(MelodyArgumentTest, AnIMelodyFileOpensAsAMidiFileOfTheSameNameThatGoesAwayAfterwards)
{
    const std::string melody =
        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:c2d2e2\r\nEND:IMELODY\r\n";
    const fs::path imy = m_folder.Write("Tune.IMY", melody);
    const fs::path midi = m_folder.Write("song.mid", "not looked at");
    fs::path converted;
    {
        MelodyArgument argument;
        EXPECT_EQ(argument.Open(midi.string()), midi.string());
        converted = argument.Open(imy.string());
        EXPECT_EQ(converted.filename(), "Tune.mid");
        EXPECT_NE(converted.parent_path(), m_dir);
        CMidiFile file;
        ASSERT_EQ(file.Load(converted.string()), kMidiLoadOk);
        EXPECT_GE(file.GetTrackCount(), 1);
        // The user's file is only read.
        EXPECT_EQ(ReadFile(imy), melody);
    }
    EXPECT_FALSE(fs::exists(converted));
    EXPECT_FALSE(fs::exists(converted.parent_path()));
}

TEST_F(MelodyArgumentTest, AnUnreadableIMelodyFileIsHandedOnForTheEditorToReport)
{
    MelodyArgument argument;
    const fs::path broken = m_folder.Write("broken.imy", "this is no melody");
    EXPECT_EQ(argument.Open(broken.string()), broken.string());
    const std::string missing = (m_dir / "missing.imy").string();
    EXPECT_EQ(argument.Open(missing), missing);
}

} // namespace
} // namespace corvina::test
