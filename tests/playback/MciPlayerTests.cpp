// Tests of the PC player in file mode: lengths, ranges heard in the rendered sound, status, restarts
// and the end-of-play notification.
#include <gtest/gtest.h>

#include "CMciPlayer.h"
#include "CRegistryHelper.h"
#include "Corpus.h"
#include "PlayerTestFiles.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;
using Bytes = test::ByteVector;

using test::kScale;

class MciPlayer : public ::testing::Test {
protected:
    void SetUp() override { Configure(false); }
    void TearDown() override { Registry::Instance().LoadText(""); }

    // The player renders with the driver into the file (out.wav of the scratch folder unless named).
    void Configure(bool realTime, const std::string& driver = "file", std::string file = {})
    {
        Registry::Instance().LoadText("Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\r\n\"AudioDriver\"=\"" +
                                      driver + "\"\r\n\"AudioFile\"=\"" + (file.empty() ? Wav().string() : file) +
                                      "\"\r\n\"AudioFileRealTime\"=dword:0000000" + (realTime ? "1" : "0") + "\r\n");
    }

    fs::path Wav() const { return m_dir / "out.wav"; }

    // Plays the range of the player's file to its end and stops: what was rendered.
    test::Wav PlayRange(test::WatchedPlayer& player, std::int32_t from, std::int32_t to)
    {
        player.SetPlayWhole(false);
        player.SetFrom(from);
        player.SetTo(to);
        const int ends = player.Ends();
        EXPECT_TRUE(player.Play()) << from << ".." << to;
        EXPECT_TRUE(player.WaitForEnds(ends + 1)) << from << ".." << to;
        player.Stop();
        return test::ReadWav(Wav());
    }

    const test::ScratchFolder m_folder{"player"};
    const fs::path m_dir = m_folder.Path();
};

// Format 1: a tempo track and one note track; tempo 120 bpm, then 240 bpm from tick 960, then 60 bpm
// from tick 1920; division 480. The last event is at tick 2400.
void WriteTempoChangeFile(const fs::path& path)
{
    Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // 500000 us per quarter
                   0x87, 0x40, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, // +960: 250000
                   0x87, 0x40, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, // +960: 1000000
                   0x00, 0xFF, 0x2F, 0x00};
    Bytes notes = {0x00, 0x90, 0x45, 0x70, 0x92, 0x60, 0x80, 0x45, 0x00, 0x00, 0xFF, 0x2F, 0x00}; // off at 2400
    test::WriteSmf(path, 1, 480, {tempo, notes});
}

TEST_F(MciPlayer, LengthFollowsTheTempoMapOfHandMadeFiles)
{
    CMciPlayer player;
    // 120 bpm, division 96, End of Track at tick 384: two seconds.
    test::WriteSmf(m_dir / "constant.mid", 0, 96,
                   {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x82, 0x20, 0xFF, 0x2F, 0x00}});
    player.SetFile((m_dir / "constant.mid").string());
    EXPECT_EQ(player.GetLength(), 2000);
    EXPECT_EQ(player.GetDeviceID(), 0u); // opened for the query only

    // 960 ticks at 120 bpm (1000 ms) + 960 at 240 bpm (500 ms) + 480 at 60 bpm (1000 ms).
    WriteTempoChangeFile(m_dir / "tempo.mid");
    player.SetFile((m_dir / "tempo.mid").string());
    EXPECT_EQ(player.GetLength(), 2500);

    // 25 frames per second, 40 ticks per frame: 1000 ticks per second; the end at tick 1500.
    test::WriteSmf(m_dir / "smpte.mid", 0, 0xE728,
                   {{0x00, 0x90, 0x3C, 0x64, 0x8B, 0x5C, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
    player.SetFile((m_dir / "smpte.mid").string());
    EXPECT_EQ(player.GetLength(), 1500);

    player.SetFile(kScale.string());
    EXPECT_EQ(player.GetLength(), 4000);
}

TEST_F(MciPlayer, FilesThatAreNotPlayableMidiDoNotOpen)
{
    CMciPlayer player;
    EXPECT_FALSE(player.Play()); // no file set
    test::WriteFile(m_dir / "text.mid", "This is not a MIDI file at all, just some words.");
    for (fs::path p : {m_dir / "text.mid", m_dir / "missing.mid", test::kMidiCorpus / "test-not-a-midi-file.mid",
                       test::kMidiCorpus / "test-empty-file.mid"}) {
        player.SetFile(p.string());
        EXPECT_EQ(player.GetLength(), 0) << p;
        EXPECT_FALSE(player.Play()) << p;
        EXPECT_EQ(player.GetDeviceID(), 0u) << p;
    }
}

TEST_F(MciPlayer, StatusIsZeroWithoutADeviceAndDescribesAnOpenOne)
{
    test::WatchedPlayer player;
    for (auto item : {MCI_STATUS_LENGTH, MCI_STATUS_POSITION, MCI_STATUS_CURRENT_TRACK, MCI_STATUS_NUMBER_OF_TRACKS})
        EXPECT_EQ(player.Status(item), 0u);

    WriteTempoChangeFile(m_dir / "tempo.mid");
    player.SetFile((m_dir / "tempo.mid").string());
    player.SetPlayWhole(true);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(player.WaitForEnds(1));
    // The device stays open after the end until it is stopped.
    EXPECT_EQ(player.Status(MCI_STATUS_LENGTH), 2500u);
    EXPECT_EQ(player.Status(MCI_STATUS_POSITION), 2500u);
    EXPECT_EQ(player.Status(MCI_STATUS_NUMBER_OF_TRACKS), 2u);
    EXPECT_EQ(player.Status(MCI_STATUS_CURRENT_TRACK), 1u);
    EXPECT_EQ(player.Status(MCI_STATUS_MODE), MCI_MODE_STOP);
    player.Stop();
    EXPECT_EQ(player.Status(MCI_STATUS_LENGTH), 0u);
}

TEST_F(MciPlayer, ARangeSoundsInsideAndIsSilentAfterItsEnd)
{
    test::WatchedPlayer player;
    // The scale plays one note every 500 ms; 2750 cuts the sixth note in its middle.
    player.SetFile(kScale.string());
    const test::Wav wav = PlayRange(player, 1500, 2750);
    ASSERT_GT(wav.SampleRate, 0);
    EXPECT_NEAR(wav.Seconds(), 1.25 + 0.3, 0.02); // the range and the silent tail
    for (double ms = 0; ms < 1200; ms += 100)
        EXPECT_GT(wav.Rms(ms, ms + 100), 50.0) << ms;
    EXPECT_LT(wav.Rms(1260, 1550), 5.0);

    // A "to" past the end is cut to the length; a "from" below 1 starts at 0.
    EXPECT_NEAR(PlayRange(player, 3500, 100000).Seconds(), 0.5 + 0.3, 0.02);
    const test::Wav start = PlayRange(player, -20, 300);
    EXPECT_NEAR(start.Seconds(), 0.3 + 0.3, 0.02);
    EXPECT_GT(start.Rms(0, 100), 50.0); // the first note, which begins at 0

    // An empty or reversed range does not play.
    player.SetFrom(2000);
    player.SetTo(2000);
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetDeviceID(), 0u);
}

TEST_F(MciPlayer, ControllersSetBeforeARangeStillApplyInIt)
{
    // Volume full at 0 ms, then (in the quiet file) down to nothing at 400 ms; a note from 1000 to
    // 1500 ms. Division 100 at 120 bpm: 5 ms a tick.
    auto write = [](const fs::path& path, std::uint8_t laterVolume) {
        test::WriteSmf(path, 0, 100, {{0x00, 0xB0, 0x07, 0x64, 0x50, 0xB0, 0x07, laterVolume, 0x78, 0x90,
                                       0x3C, 0x64, 0x64, 0x80, 0x3C, 0x00, 0x00, 0xFF,        0x2F, 0x00}});
    };
    write(m_dir / "quiet.mid", 0x00);
    write(m_dir / "loud.mid", 0x64);
    test::WatchedPlayer player;
    double rms[2] = {};
    for (int i : {0, 1}) {
        player.SetFile((m_dir / (i == 0 ? "quiet.mid" : "loud.mid")).string());
        const test::Wav wav = PlayRange(player, 500, 1500);
        ASSERT_NEAR(wav.Seconds(), 1.0 + 0.3, 0.02);
        rms[i] = wav.Rms(550, 950); // the note, 500 ms into the range
    }
    EXPECT_LT(rms[0], 5.0);
    EXPECT_GT(rms[1], 50.0);
}

TEST_F(MciPlayer, PlayingAgainRestartsAndOnlyTheLastPlayNotifies)
{
    Configure(true); // rendering at playing speed, so the first play is still running
    test::WatchedPlayer player;
    player.SetFile(kScale.string());
    player.SetPlayWhole(false);
    player.SetFrom(0);
    player.SetTo(1500);
    ASSERT_TRUE(player.Play());
    std::uint32_t firstDevice = player.GetDeviceID();
    ASSERT_TRUE(player.Play());
    EXPECT_NE(player.GetDeviceID(), firstDevice);
    EXPECT_EQ(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    ASSERT_TRUE(player.WaitForEnds(1));
    player.Close();
    EXPECT_EQ(player.Ends(), 1);
    EXPECT_NEAR(test::ReadWav(Wav()).Seconds(), 1.5 + 0.3, 0.02);

    // Stop ends a play without a notification.
    ASSERT_TRUE(player.Play());
    player.Stop();
    EXPECT_EQ(player.GetDeviceID(), 0u);
    EXPECT_EQ(player.Ends(), 1);
}

TEST_F(MciPlayer, AnOutputThatCannotOpenFailsThePlayAndOneThatFailsWhilePlayingEndsItWithItsEndNotice)
{
    test::WatchedPlayer player;
    player.SetFile(kScale.string());
    player.SetPlayWhole(true);
    Configure(false, "no-such-driver");
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetDeviceID(), 0u);
    Configure(false, "file", "/nonexistent-folder/out.wav");
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.Ends(), 0);

    // The device takes the header and then refuses every block: the disk is full.
    Configure(false, "file", "/dev/full");
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(player.WaitForEnds(1));
    EXPECT_NE(player.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    player.Close();
    EXPECT_EQ(player.Ends(), 1);
}

TEST_F(MciPlayer, AFileTooLongForAWavIsRefusedInFileModeInsteadOfWritingNothing)
{
    // One note after a delta of 0x0FFFFFFF at tempo 0xFFFFFF: about 545 days. Microseconds times the
    // sample rate used to overflow, and Play reported success after writing an empty WAV.
    test::WriteSmf(
        m_dir / "endless.mid", 0, 96,
        {{0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00}});
    test::WatchedPlayer player;
    player.SetFile((m_dir / "endless.mid").string());
    EXPECT_EQ(player.GetLength(), 0x7FFFFFFF);
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetDeviceID(), 0u);

    // A range of it that fits plays: its first second, silent, rendered at once.
    EXPECT_NEAR(PlayRange(player, 0, 1000).Seconds(), 1.3, 0.05);
}

} // namespace
} // namespace corvina
