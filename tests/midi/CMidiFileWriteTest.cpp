// Tests of the writer: per-channel files, clips of one channel or all tracks, saving and cleaning up.
#include "MidiTestSupport.h"

namespace corvina::test {
namespace {

// One track on channel 0 at 96 ticks per quarter and 500000 us per quarter (one quarter = 0.5 s):
// program change at 0, notes at 0.5 s, 1.5 s and 2.5 s, each half a second long.
const std::string kMelody = Bytes({0x00, 0xC0, 0x05,       // t 0
                                   0x60, 0x90, 0x3C, 0x40, // t 0.5 s note-on
                                   0x60, 0x80, 0x3C, 0x00, // t 1.0 s
                                   0x60, 0x90, 0x3E, 0x40, // t 1.5 s note-on
                                   0x60, 0x3E, 0x00,       // t 2.0 s note-off under running status
                                   0x60, 0x90, 0x40, 0x40, // t 2.5 s note-on
                                   0x60, 0x80, 0x40, 0x00}) +
                            kEnd; // t 3.0 s

// The bytes of a format-0 file at 96 ticks a quarter with one chunk holding `events`.
std::string SingleTrackOutput(const std::string& events)
{
    return Header(0, 1, 96) + Track(events);
}

class CMidiFileWriteTest : public MidiTest {
protected:
    std::string ClipBytes(CMidiFile& file) { return ReadFile(file.GetClipFileName()); }
};

TEST_F(CMidiFileWriteTest, ChannelFilesAreNamedByTrackAndChannelAndThoseWrittenIntoAFolderStayWithTheCaller)
{
    const std::string silent = Track(Bytes({0x00, 0xFF, 0x01, 0x04, 'n', 'o', 'n', 'e'}) + kEnd);
    const std::string source = Write("a.mid", Header(1, 2, 96) + silent + Track(kMelody));
    const std::filesystem::path folder = m_dir / "out";
    std::filesystem::create_directory(folder);
    std::string expected;
    {
        CMidiFile file;
        CMidiFile other;
        ASSERT_EQ(file.Load(source), kMidiLoadOk);
        ASSERT_TRUE(file.WriteChannelFiles());
        const std::string prefix = file.GetTempPrefix();
        EXPECT_EQ(prefix.rfind(m_dir.string() + "/CVN{BB1AED61-3946-44a5-9D20-F527399C161B}", 0), 0u) << prefix;
        EXPECT_EQ(prefix.back(), '.');
        EXPECT_NE(prefix, other.GetTempPrefix());
        ASSERT_EQ(file.GetCombinationCount(), 1);
        int track = 0, channel = 0;
        file.GetCombination(0, track, channel);
        EXPECT_EQ(std::pair(track, channel), std::pair(1, 0));
        EXPECT_EQ(file.GetChannelFileName(0), prefix + "rt001.0.mid");
        EXPECT_EQ(file.GetCombinationTrack(0), file.GetTrack(1));
        file.GetCombination(1, track, channel);
        EXPECT_EQ(std::pair(track, channel), std::pair(-1, -1));
        EXPECT_EQ(file.GetCombinationTrack(1), nullptr);
        EXPECT_EQ(file.GetChannelFileName(1), "");
        EXPECT_EQ(file.GetLengthMs(), 3000);
        expected = ReadFile(file.GetChannelFileName(0));
    }
    {
        CMidiFile file;
        ASSERT_EQ(file.Load(source), kMidiLoadOk);
        ASSERT_TRUE(file.WriteChannelFilesInto(folder));
        ASSERT_EQ(file.GetCombinationCount(), 1);
        EXPECT_EQ(file.GetChannelFileName(0), (folder / "rt001.0.mid").string());
        EXPECT_EQ(file.GetLengthMs(), 3000);
        // A new load clears the object but leaves the caller's files alone.
        ASSERT_EQ(file.Load(source), kMidiLoadOk);
        EXPECT_TRUE(std::filesystem::exists(folder / "rt001.0.mid"));
        ASSERT_TRUE(file.WriteChannelFiles());
        EXPECT_EQ(file.GetChannelFileName(0), file.GetTempPrefix() + "rt001.0.mid");
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ReadFile(folder / "rt001.0.mid"), expected);
    EXPECT_TRUE(m_waits.empty());
    // Nothing but the source and the folder's one file: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()), 2);

    CMidiFile nowhere;
    ASSERT_EQ(nowhere.Load(source), kMidiLoadOk);
    EXPECT_FALSE(nowhere.WriteChannelFilesInto(m_dir / "no-such-folder"));
    EXPECT_EQ(nowhere.GetCombinationCount(), 0);
}

TEST_F(CMidiFileWriteTest, ChannelFilesMoveOneChannelToChannelZeroAndStartWithATempo)
{
    const std::string events = Bytes({0x00, 0xC1, 0x05, 0x00, 0x90, 0x3C, 0x40, 0x60, 0x91, 0x3E, 0x40, 0x00, 0x3C,
                                      0x00, 0x30, 0x80, 0x3C, 0x00}) +
                               kEnd;
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("a.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    ASSERT_TRUE(file.WriteChannelFiles());
    ASSERT_EQ(file.GetCombinationCount(), 2);
    const std::string tempo = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    // Channel 0: the other channel's 0x60 + 0x00 ticks are added to the next delta (0x30 -> 0x90).
    EXPECT_EQ(ReadFile(file.GetChannelFileName(0)),
              SingleTrackOutput(tempo + Bytes({0x00, 0x90, 0x3C, 0x40, 0x81, 0x10, 0x80, 0x3C, 0x00}) + kEnd));
    // Channel 1 on channel 0, with the running-status event given its status byte.
    EXPECT_EQ(ReadFile(file.GetChannelFileName(1)),
              SingleTrackOutput(tempo + Bytes({0x00, 0xC0, 0x05, 0x60, 0x90, 0x3E, 0x40, 0x00, 0x90, 0x3C, 0x00, 0x30,
                                               0xFF, 0x2F, 0x00})));

    // A track that starts with its own tempo gets no second one.
    const std::string ownTempo = Bytes({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0x90, 0x3C, 0x40}) + kEnd;
    CMidiFile slow;
    ASSERT_EQ(slow.Load(Write("b.mid", Header(0, 1, 96) + Track(ownTempo))), kMidiLoadOk);
    ASSERT_TRUE(slow.WriteChannelFiles());
    EXPECT_EQ(ReadFile(slow.GetChannelFileName(0)), SingleTrackOutput(ownTempo));
}

TEST_F(CMidiFileWriteTest, ThreeInterleavedChannelsGetTheirOwnFilesAndAFileThatCannotBeMadeStopsTheRest)
{
    // Channels 0, 1 and 2 take turns under running status, with a text event between them: each file
    // gets its channel's events, the text, and the deltas of the others added up.
    const std::string events = Bytes({0x00, 0x90, 0x3C, 0x40,      // ch 0 at 0
                                      0x10, 0x91, 0x3E, 0x40,      // ch 1 at 16
                                      0x10, 0x3F, 0x40,            // ch 1, running status, at 32
                                      0x08, 0xFF, 0x01, 0x01, 'x', // text at 40
                                      0x08, 0x92, 0x40, 0x40,      // ch 2 at 48
                                      0x10, 0x80, 0x3C, 0x00,      // ch 0 at 64
                                      0x10, 0x81, 0x3E, 0x00,      // ch 1 at 80
                                      0x10, 0x82, 0x40, 0x00}) +
                               kEnd; // ch 2 at 96
    const std::string tempo = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    const std::string source = Write("three.mid", Header(0, 1, 96) + Track(events));
    const std::filesystem::path folder = m_dir / "three";
    std::filesystem::create_directory(folder);
    CMidiFile file;
    ASSERT_EQ(file.Load(source), kMidiLoadOk);
    ASSERT_TRUE(file.WriteChannelFilesInto(folder));
    ASSERT_EQ(file.GetCombinationCount(), 3);
    EXPECT_EQ(ReadFile(folder / "rt000.0.mid"),
              SingleTrackOutput(tempo + Bytes({0x00, 0x90, 0x3C, 0x40, 0x28, 0xFF, 0x01, 0x01, 'x', 0x18, 0x80, 0x3C,
                                               0x00, 0x20, 0xFF, 0x2F, 0x00})));
    EXPECT_EQ(ReadFile(folder / "rt000.1.mid"),
              SingleTrackOutput(tempo + Bytes({0x10, 0x90, 0x3E, 0x40, 0x10, 0x90, 0x3F, 0x40, 0x08, 0xFF, 0x01,
                                               0x01, 'x',  0x28, 0x80, 0x3E, 0x00, 0x10, 0xFF, 0x2F, 0x00})));
    EXPECT_EQ(ReadFile(folder / "rt000.2.mid"),
              SingleTrackOutput(tempo + Bytes({0x28, 0xFF, 0x01, 0x01, 'x', 0x08, 0x90, 0x40, 0x40, 0x30, 0x80, 0x40,
                                               0x00, 0x00, 0xFF, 0x2F, 0x00})));
    // The most recent output is the last file written, as after any other output.
    ASSERT_TRUE(file.SaveClipAs((m_dir / "last.mid").string()));
    EXPECT_EQ(ReadFile(m_dir / "last.mid"), ReadFile(folder / "rt000.2.mid"));

    // A name taken by a folder: the file before it is written, the one after it is not tried.
    const std::filesystem::path blocked = m_dir / "blocked";
    std::filesystem::create_directories(blocked / "rt000.1.mid");
    CMidiFile again;
    ASSERT_EQ(again.Load(source), kMidiLoadOk);
    EXPECT_FALSE(again.WriteChannelFilesInto(blocked));
    EXPECT_EQ(again.GetCombinationCount(), 1);
    EXPECT_EQ(ReadFile(blocked / "rt000.0.mid"), ReadFile(folder / "rt000.0.mid"));
    EXPECT_FALSE(std::filesystem::exists(blocked / "rt000.2.mid"));
}

TEST_F(CMidiFileWriteTest, TrackClipsKeepControllersBeforeTheStartCutNotesToTheRangeAndPlaceByDistanceFromTheStart)
{
    // Notes at 0 s and 1.5 s; and a note whose track ends half a second after it.
    const std::string twoNotes =
        Bytes({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x81, 0x40, 0x90, 0x3E, 0x40, 0x60, 0x80, 0x3E, 0x00}) +
        kEnd;
    const std::string lateEnd = Bytes({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x60, 0xFF, 0x2F, 0x00});
    struct Case {
        const std::string& source;
        int channel;
        std::uint32_t from, to;
        int notes;
        std::string events;
    };
    const Case cases[] = {
        // A note-on exactly at the start is written at delta 0; the note after the end is dropped and
        // replaced by "all notes off" at the end time (0.2 s after the last event = 38 ticks).
        {kMelody, 0, 1500000, 2200000, 1,
         Bytes({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3E, 0x40, 0x60, 0x90, 0x3E, 0x00, 0x26, 0xB0, 0x7B, 0x00}) + kEnd},
        // No note written: the end of track follows at delta 0 without "all notes off".
        {kMelody, 0, 0, 100, 0, Bytes({0x00, 0xC0, 0x05}) + kEnd},
        // Other channels' events never appear; the end of track, the first event kept in the range, is
        // placed at its distance from the start (3 s = 576 ticks).
        {kMelody, 1, 0, 4000000, 0, Bytes({0x84, 0x40, 0xFF, 0x2F, 0x00})},
        // A clip from 1 s puts the note at 1.5 s half a second in: 96 ticks.
        {twoNotes, 0, 1000000, 2000000, 1, Bytes({0x60, 0x90, 0x3E, 0x40, 0x60, 0x80, 0x3E, 0x00}) + kEnd},
        // An end of track just after the clip ends it at the end time.
        {lateEnd, 0, 0, 700000, 1, Bytes({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x26, 0xFF, 0x2F, 0x00})},
    };
    // Clips of one source are written one after another from one loaded file: each replaces all of the
    // one before, however much shorter it is.
    std::unique_ptr<CMidiFile> file;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i + 1));
        if (i == 0 || &c.source != &cases[i - 1].source) {
            file = std::make_unique<CMidiFile>();
            ASSERT_EQ(file->Load(Write("m.mid", SingleTrackOutput(c.source))), kMidiLoadOk);
        }
        EXPECT_EQ(file->GetTrack(0)->WriteTrackClip(c.channel, c.from, c.to), c.notes);
        EXPECT_EQ(ClipBytes(*file), SingleTrackOutput(c.events));
        EXPECT_EQ(file->GetTrack(0)->WriteTrackClip(16, 0, 4000000), -1);
    }
}

TEST_F(CMidiFileWriteTest, AllTrackClipsWriteEveryTrackAndUseTheLatestDivision)
{
    const std::string text = Track(Bytes({0x00, 0xFF, 0x01, 0x04, 'a', 'b', 'c', 'd'}) + kEnd);
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("all.mid", Header(1, 2, 96, 10) + Track(kMelody) + text)), kMidiLoadOk);

    // Everything before the start is written at delta 0 and its notes count; the first event after
    // the end is still written (at delta 0) before the clip is closed.
    EXPECT_EQ(file.WriteClip(1200000, 2200000), 3);
    const std::string melodyClip =
        Track(Bytes({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x40, 0x00, 0x80, 0x3C, 0x00, 0x60, 0x90, 0x3E,
                     0x40, 0x60, 0x90, 0x3E, 0x00, 0x00, 0x90, 0x40, 0x40, 0x26, 0xB0, 0x7B, 0x00}) +
              kEnd);
    // The header keeps the source's length field (10) but holds only the six standard bytes.
    const std::string header = "MThd" + Be(10, 4) + Be(1, 2) + Be(2, 2) + Be(96, 2);
    EXPECT_EQ(ClipBytes(file), header + melodyClip + text);

    // Ticks use the division of whatever track was loaded last, here one with 480 per quarter.
    CMidiFile fine;
    ASSERT_EQ(fine.Load(Write("fine.mid", Header(0, 1, 480) + text)), kMidiLoadOk);
    EXPECT_EQ(file.WriteClip(1200000, 2200000), 3);
    EXPECT_NE(ClipBytes(file).find(Bytes({0x81, 0x40, 0xB0, 0x7B, 0x00})), std::string::npos);
}

TEST_F(CMidiFileWriteTest, FailedOutputsLeaveTheTargetEmptyAndReportFailure)
{
    // A clip of one track may not grow beyond the source: explicit status bytes make this one too long.
    const std::string dense = Bytes({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x40, 0x00, 0x40, 0x40, 0x00, 0x41, 0x40, 0x00,
                                     0x43, 0x40, 0x60, 0x3C, 0x00}) +
                              kEnd;
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("d.mid", Header(0, 1, 96) + Track(dense))), kMidiLoadOk);
    EXPECT_EQ(file.GetTrack(0)->WriteTrackClip(0, 0, 1000000), -1);
    EXPECT_TRUE(std::filesystem::exists(file.GetClipFileName()));
    EXPECT_EQ(std::filesystem::file_size(file.GetClipFileName()), 0u);
    EXPECT_EQ(file.WriteClip(0, 1000000), 5); // twice the source's size is room enough

    EXPECT_TRUE(file.SaveClipAs((m_dir / "saved.mid").string()));
    EXPECT_EQ(ReadFile(m_dir / "saved.mid"), ClipBytes(file));
    EXPECT_FALSE(file.SaveClipAs((m_dir / "no-such-folder" / "saved.mid").string()));

    CMidiFile nowhere(m_dir / "no-such-folder");
    ASSERT_EQ(nowhere.Load(Write("d2.mid", Header(0, 1, 96) + Track(dense))), kMidiLoadOk);
    EXPECT_FALSE(nowhere.WriteChannelFiles());
    EXPECT_EQ(nowhere.GetCombinationCount(), 0);
}

TEST_F(CMidiFileWriteTest, ClearingDeletesTheTemporaryFilesAndRetriesAFailedDeletionOnce)
{
    const std::string source = Write("m.mid", Header(0, 1, 96) + Track(kMelody));
    std::string channelFile, clipFile;
    {
        CMidiFile file;
        ASSERT_EQ(file.Load(source), kMidiLoadOk);
        ASSERT_TRUE(file.WriteChannelFiles());
        ASSERT_EQ(file.WriteClip(0, 1000000), 2);
        channelFile = file.GetChannelFileName(0);
        clipFile = file.GetClipFileName();
        ASSERT_TRUE(std::filesystem::exists(channelFile));

        ASSERT_EQ(file.Load(source), kMidiLoadOk); // a new load removes the old files
        EXPECT_FALSE(std::filesystem::exists(channelFile));
        EXPECT_FALSE(std::filesystem::exists(clipFile));
        EXPECT_TRUE(m_waits.empty());

        ASSERT_TRUE(file.WriteChannelFiles());
        std::filesystem::remove(channelFile); // someone else deleted it: the deletion fails
        file.ClearFile();
        EXPECT_EQ(m_waits, std::vector<int>{5000});
        EXPECT_EQ(file.GetTrackCount(), 0);
        EXPECT_EQ(file.GetCombinationCount(), 0);
        EXPECT_TRUE(file.GetAllNoteOnTimes().empty());
        EXPECT_TRUE(file.GetNoteOnCounts().empty());

        ASSERT_EQ(file.Load(source), kMidiLoadOk);
        ASSERT_TRUE(file.WriteChannelFiles());
        ASSERT_EQ(file.WriteClip(0, 1000000), 2);
    }
    EXPECT_FALSE(std::filesystem::exists(channelFile)); // the destructor cleans up too
    EXPECT_FALSE(std::filesystem::exists(clipFile));
    EXPECT_EQ(m_waits.size(), 1u);
}

} // namespace
} // namespace corvina::test
