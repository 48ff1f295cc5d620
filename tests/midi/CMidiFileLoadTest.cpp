// Tests of loading: result codes, header and track checks, times, note-on lists, running status, log.
#include "MidiTestSupport.h"

#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvina::test {
namespace {

// Twelve bytes of events that make a valid track: a text event and the end of track.
const std::string kMinimalEvents = Bytes({0x00, 0xFF, 0x01, 0x04, 'a', 'b', 'c', 'd'}) + kEnd;
const std::string kMinimalTrack = Track(kMinimalEvents);

class CMidiFileLoadTest : public MidiTest {};

TEST_F(CMidiFileLoadTest, PathsThatCannotBeReadGiveUnsupportedOrCannotOpen)
{
    CMidiFile file;
    EXPECT_EQ(file.Load(""), kMidiLoadUnsupported);
    EXPECT_EQ(file.Load((m_dir / "missing.mid").string()), kMidiLoadCannotOpen);
    EXPECT_EQ(file.Load(m_dir.string()), kMidiLoadCannotOpen);
    EXPECT_EQ(file.Load(Write("empty.mid", "")), kMidiLoadUnsupported);

    const std::string good = Write("good.mid", Header(0, 1, 96) + kMinimalTrack);
    const int fd = ::open(good.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0); // another program holds the file
    EXPECT_EQ(file.Load(good), kMidiLoadCannotOpen);
    ::close(fd);
    EXPECT_EQ(file.Load(good), kMidiLoadOk);
}

TEST_F(CMidiFileLoadTest, HeaderChecksRefuseWhatTheEditorCannotHandle)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"RIFF" + Header(0, 1, 96).substr(4) + kMinimalTrack, "wrong chunk type!"},
        {"MThd" + Be(60, 4) + Header(0, 1, 96).substr(8) + kMinimalTrack, "too small, data missing!"},
        {Header(2, 1, 96) + kMinimalTrack, "not format 0 or 1!"},
        {Header(0, 0, 96) + kMinimalTrack, "less than 1 or more than 1000 tracks!"},
        {Header(1, 1001, 96) + kMinimalTrack, "less than 1 or more than 1000 tracks!"},
        {Header(0, 1, 0xE728) + kMinimalTrack, "division time code based is not supported!"},
    };
    for (const auto& [bytes, message] : cases) {
        CMidiFile file;
        EXPECT_EQ(file.Load(Write("bad.mid", bytes)), kMidiLoadUnsupported) << message;
        EXPECT_NE(file.GetParseLog().find(message + "\n"), std::string::npos) << file.GetParseLog();
        EXPECT_NE(file.GetParseLog().find("Error in\n"), std::string::npos);
    }

    std::string thousand = Header(1, 1000, 96);
    for (int i = 0; i < 1000; ++i)
        thousand += kMinimalTrack;
    CMidiFile file;
    EXPECT_EQ(file.Load(Write("many.mid", thousand)), kMidiLoadOk);
    EXPECT_EQ(file.GetTrackCount(), 1000);
}

TEST_F(CMidiFileLoadTest, HeaderLengthAndTrackCountDecideWhereTracksAreAndWhetherTheLoadSucceeds)
{
    CMidiFile longHeader;
    ASSERT_EQ(longHeader.Load(Write("h10.mid", Header(0, 1, 96, 10) + kMinimalTrack)), kMidiLoadOk);
    EXPECT_EQ(longHeader.GetHeaderLength(), 10);
    EXPECT_NE(longHeader.GetParseLog().find("Length 12 (26, 1a)\n"), std::string::npos); // track at 18

    const std::string two = kMinimalTrack + kMinimalTrack;
    CMidiFile trailing;
    EXPECT_EQ(trailing.Load(Write("t1.mid", Header(1, 3, 96) + two + "garbage!")), kMidiLoadOk);
    EXPECT_EQ(trailing.GetTrackCount(), 2);
    EXPECT_NE(trailing.GetParseLog().find("more data after last track\n"), std::string::npos);

    CMidiFile missing;
    EXPECT_EQ(missing.Load(Write("t2.mid", Header(1, 3, 96) + two)), kMidiLoadUnsupported);
    EXPECT_NE(missing.GetParseLog().find("Tracks loaded 2 ("), std::string::npos);

    // Exactly four stray bytes are read as a chunk type, which leaves nothing after them: a failure.
    CMidiFile four;
    EXPECT_EQ(four.Load(Write("t3.mid", Header(1, 3, 96) + two + "junk")), kMidiLoadUnsupported);
}

TEST_F(CMidiFileLoadTest, BrokenTracksAreDiscardedWithTheirReason)
{
    // A broken track, the reason the log gives, the note-on counts still reported.
    const std::vector<std::tuple<std::string, std::string, std::vector<std::uint32_t>>> cases = {
        {"MTrk" + Be(11, 4) + kMinimalEvents.substr(1), "Wrong track size!\n", {}},
        {"MTrk" + Be(200, 4) + kMinimalEvents, "Wrong track size!\n", {}},
        // A track that fails after a note-on still reports its note count, though the track is dropped.
        {Track(Bytes({0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00, 0x00, 0xC0, 0x05, 0x00})),
         "Last event is not end event!\n\n",
         {1}},
        {"MTrk" + Be(12, 4) + Bytes({0x00, 0xFF, 0x01, 0x0A, 'a', 'b', 'c', 'd'}) + kEnd,
         "Track length is not correct!\n\n",
         {}},
        {"XTrk" + Be(12, 4) + kMinimalEvents, "Wrong chunk type!\n", {}},
    };
    for (const auto& [track, message, noteOnCounts] : cases) {
        CMidiFile file;
        // A good track after the broken one is never reached; the bytes left make the load succeed.
        EXPECT_EQ(file.Load(Write("bad.mid", Header(1, 2, 96) + track + kMinimalTrack)), kMidiLoadOk) << message;
        EXPECT_EQ(file.GetTrackCount(), 0) << message;
        EXPECT_NE(file.GetParseLog().find(message), std::string::npos) << file.GetParseLog();
        EXPECT_EQ(file.GetNoteOnCounts(), noteOnCounts) << message;
        EXPECT_TRUE(file.GetAllNoteOnTimes().empty());
    }
}

TEST_F(CMidiFileLoadTest, UnusualButReadableInputKeepsItsLiteralMeaning)
{
    // A tempo of 0 at time 0 does not count as a tempo at the start.
    const std::string zero = Bytes({0x00, 0xFF, 0x51, 0x03, 0, 0, 0, 0x60, 0x90, 0x3C, 0x40}) + kEnd;
    CMidiFile zeroTempo;
    ASSERT_EQ(zeroTempo.Load(Write("b.mid", Header(0, 1, 96) + Track(zero))), kMidiLoadOk);
    EXPECT_FALSE(zeroTempo.GetTrack(0)->HasTempoAtStart());
    EXPECT_EQ(*zeroTempo.GetTrack(0)->GetNoteOnTimes(0), std::vector<std::uint32_t>{0});

    // Data bytes before any status byte in the whole program make empty events without a channel.
    ResetMidiReaderState();
    CMidiFile orphan;
    ASSERT_EQ(orphan.Load(Write("c.mid", Header(0, 1, 96) + Track(Bytes({0x00, 0x3C}) + kMinimalEvents))), kMidiLoadOk);
    const CMidiEvent& first = orphan.GetTrack(0)->GetEvents()[0];
    EXPECT_TRUE(first.IsRunningStatus());
    EXPECT_EQ(first.GetChannel(), -1);
    EXPECT_EQ(first.GetEndOffset(), first.GetDataOffset());
    EXPECT_EQ(orphan.GetTrack(0)->GetEvents().size(), 4u);
}

TEST_F(CMidiFileLoadTest, EventsKeptCompactlyGiveBackEveryFieldTheirParseFound)
{
    // Tracks keep 16 bytes per event and read the rest again from the image: long and padded deltas,
    // running status, a system exclusive event and a meta event with a two-byte length.
    const std::string events = Bytes({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, // 22: tempo 1000000
                                      0x83, 0x60, 0x90, 0x3C, 0x40,             // 29: delta 480
                                      0x80, 0x80, 0x80, 0x80, 0x00, 0x3C, 0x00, // 34: delta 0 in five bytes
                                      0x00, 0xF0, 0x03, 0x01, 0x02, 0xF7,       // 41: system exclusive
                                      0x60, 0xFF, 0x01, 0x81, 0x00}) +          // 47: 128 bytes of text
                               std::string(128, 'x') +
                               kEnd; // 180: end of track
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("compact.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    const CMidiEventList list = file.GetTrack(0)->GetEvents();
    ASSERT_EQ(list.size(), 6u);
    // Start, data and end offsets, delta, time, tempo, running status, status byte.
    using Fields = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                              bool, std::uint8_t>;
    const Fields expected[] = {
        {22, 23, 29, 0, 0, 500000, false, 0},          {29, 31, 34, 480, 5000000, 1000000, false, 0x90},
        {34, 39, 41, 0, 5000000, 1000000, true, 0x90}, {41, 42, 47, 0, 5000000, 1000000, false, 0},
        {47, 48, 180, 96, 6000000, 1000000, false, 0}, {180, 181, 184, 0, 6000000, 1000000, false, 0},
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        const CMidiEvent e = list[i];
        EXPECT_EQ(Fields(e.GetStartOffset(), e.GetDataOffset(), e.GetEndOffset(), e.GetDelta(), e.GetTime(),
                         e.GetTempo(), e.IsRunningStatus(), e.GetStatus()),
                  expected[i])
            << i;
    }
    EXPECT_TRUE(list[2].IsNoteOff());
    EXPECT_TRUE(list.back().IsEndOfTrack());
    EXPECT_EQ(file.GetTrack(0)->GetLengthMs(), 6000);
}

TEST_F(CMidiFileLoadTest, TheParseLogRecordsEachFieldWithItsPosition)
{
    CMidiFile file;
    const std::string events = Bytes({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00}) + kEnd;
    ASSERT_EQ(file.Load(Write("log.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    EXPECT_EQ(file.GetParseLog(),
              "Format 0 (10, a)\nNumberOfTracks 1 (12, c)\nTicksPerQuarter 96 (14, e)\nTrack no. 0 (14, e)\n"
              "Length 12 (22, 16)\nEvents loaded 3 (34, 22)\nTracks loaded 1 (34, 22)\n");
}

TEST_F(CMidiFileLoadTest, TimesAddRoundedTempoTimesDeltaOverDivision)
{
    // Deltas 96, 1, 1, 5 at 500000 us per quarter and 96 ticks: each step rounded on its own.
    const std::string events =
        Bytes({0x60, 0x90, 0x3C, 0x40, 0x01, 0x3D, 0x40, 0x01, 0x3E, 0x40, 0x05, 0x3F, 0x40}) + kEnd;
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("t.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    EXPECT_EQ(*file.GetTrack(0)->GetNoteOnTimes(0), (std::vector<std::uint32_t>{500000, 505208, 510416, 536458}));
    EXPECT_EQ(file.GetTrack(0)->GetLengthMs(), 536);

    CMidiFile zeroDivision;
    ASSERT_EQ(zeroDivision.Load(Write("z.mid", Header(0, 1, 0) + Track(events))), kMidiLoadOk);
    EXPECT_EQ(*zeroDivision.GetTrack(0)->GetNoteOnTimes(0), (std::vector<std::uint32_t>{0, 0, 0, 0}));
}

TEST_F(CMidiFileLoadTest, TempoEventsAtTheStartOfTheFirstTrackSetTheInitialTempo)
{
    const std::string note = Bytes({0x60, 0x90, 0x3C, 0x40});
    const std::string tempo500k = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    const std::string tempo1s = Bytes({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40});
    const std::string second = Track(note + Bytes({0x00, 0xFF, 0x01, 0x01, 'x'}) + kEnd);

    CMidiFile same;
    ASSERT_EQ(same.Load(Write("a.mid", Header(1, 2, 96) + Track(tempo500k + note + kEnd) + second)), kMidiLoadOk);
    EXPECT_EQ(same.GetInitialTempo(), 500000u);
    EXPECT_TRUE(same.GetTrack(0)->HasTempoAtStart());
    EXPECT_FALSE(same.GetTrack(1)->HasTempoAtStart());

    CMidiFile slow;
    ASSERT_EQ(slow.Load(Write("b.mid", Header(1, 2, 96) + Track(tempo1s + note + kEnd) + second)), kMidiLoadOk);
    EXPECT_EQ(slow.GetInitialTempo(), 1000000u);
    EXPECT_EQ((*slow.GetTrack(0)->GetNoteOnTimes(0))[0], 1000000u);
    EXPECT_EQ((*slow.GetTrack(1)->GetNoteOnTimes(0))[0], 1000000u); // later tracks start at the new tempo
    EXPECT_NE(slow.GetParseLog().find("FF51 event time: 1000000 (25, 19)\n"), std::string::npos);

    // The same tempo later on changes only what follows it.
    CMidiFile later;
    const std::string lateTempo = Bytes({0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40});
    ASSERT_EQ(later.Load(Write("c.mid", Header(0, 1, 96) + Track(note + lateTempo + note + kEnd))), kMidiLoadOk);
    EXPECT_EQ(later.GetInitialTempo(), 500000u);
    EXPECT_FALSE(later.GetTrack(0)->HasTempoAtStart());
    EXPECT_EQ(*later.GetTrack(0)->GetNoteOnTimes(0), (std::vector<std::uint32_t>{500000, 2000000}));
}

TEST_F(CMidiFileLoadTest, NoteOnListsKeepChannelOrderAndIgnoreZeroVelocity)
{
    const std::string t0 = Track(Bytes({0x00, 0x93, 0x3C, 0x40, 0x60, 0x90, 0x3C, 0x40, 0x00, 0x93, 0x3C, 0x00, 0x60,
                                        0x3E, 0x40, 0x00, 0x80, 0x3C, 0x00}) +
                                 kEnd);
    const std::string t1 = Track(Bytes({0x30, 0x9F, 0x40, 0x7F, 0x00, 0xB0, 0x07, 0x64}) + kEnd);
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("n.mid", Header(1, 2, 96) + t0 + t1)), kMidiLoadOk);
    const CMidiTrack& track = *file.GetTrack(0);
    EXPECT_EQ(*track.GetNoteOnTimes(3), (std::vector<std::uint32_t>{0, 1000000})); // velocity 0 left out
    EXPECT_EQ(*track.GetNoteOnTimes(0), (std::vector<std::uint32_t>{500000}));
    EXPECT_EQ(track.GetNoteOnTimes(16), nullptr);
    EXPECT_TRUE(track.IsChannelUsed(0));
    EXPECT_TRUE(track.IsChannelUsed(3));
    EXPECT_FALSE(file.GetTrack(1)->IsChannelUsed(0)); // a controller alone does not use a channel
    EXPECT_EQ(file.GetAllNoteOnTimes(), (std::vector<std::uint32_t>{500000, 0, 1000000, 250000}));
    EXPECT_EQ(file.GetNoteOnCounts(), (std::vector<std::uint32_t>{1, 2, 1}));
    EXPECT_TRUE(track.GetEvents()[3].IsRunningStatus());
    EXPECT_TRUE(track.GetEvents()[2].IsNoteOff());
}

TEST_F(CMidiFileLoadTest, RunningStatusCarriesOverBetweenTracksAndFiles)
{
    // The second track starts with data bytes: they continue the first track's last status, 0x92.
    const std::string t0 = Track(Bytes({0x00, 0x92, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x01, 'x'}) + kEnd);
    const std::string t1 = Track(Bytes({0x10, 0x40, 0x40, 0x00, 0xFF, 0x01, 0x03, 'a', 'b', 'c'}) + kEnd);
    CMidiFile first;
    ASSERT_EQ(first.Load(Write("a.mid", Header(1, 2, 96) + t0 + t1)), kMidiLoadOk);
    EXPECT_TRUE(first.GetTrack(1)->IsChannelUsed(2));
    EXPECT_EQ(first.GetTrack(1)->GetEvents()[0].GetStatus(), 0x92);

    // A new file that starts with running status still sees 0x92 from the file loaded before it.
    CMidiFile second;
    ASSERT_EQ(second.Load(Write("b.mid", Header(0, 1, 96) + t1)), kMidiLoadOk);
    EXPECT_TRUE(second.GetTrack(0)->IsChannelUsed(2));
    EXPECT_EQ(TheMidiReaderState().byLastStatus, 0x92);
}

TEST_F(CMidiFileLoadTest, TruncatedTempoEventsNeitherHangNorReadOutsideTheFile)
{
    // A tempo event cut after its type byte moves the cursor back onto the text's last byte (0).
    const std::string events = Bytes({0x00, 0xFF, 0x01, 0x05, 'a', 'b', 'c', 'd', 0x00, 0x00, 0xFF, 0x51});
    CMidiFile file;
    EXPECT_EQ(file.Load(Write("cut.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    EXPECT_EQ(file.GetTrackCount(), 0);
    EXPECT_NE(file.GetParseLog().find("Last event is not end event!"), std::string::npos);

    const std::string unended = Bytes({0x00, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0x00, 0xFF, 0x2F, 0x00, 0x00, 0x00});
    CMidiFile sysex; // a system exclusive without its end byte runs to the end of the file
    EXPECT_EQ(sysex.Load(Write("sx.mid", Header(0, 1, 96) + Track(unended))), kMidiLoadUnsupported);
}

TEST(MidiReaderStateTest, RememberedDeltaTimesAreAlwaysTheComputedOnes)
{
    // Deltas that share a memory slot (5, 261, 0x10000005), a tempo that changes and comes back, a
    // division of 0 and the largest values: every answer is the one the division gives.
    const std::uint32_t deltas[] = {5, 261, 0x10000005u, 5, 0, 96, 0xFFFFFFFFu, 261, 1};
    const std::uint32_t tempos[] = {500000, 1, 500000, 0xFFFFFF, 0};
    const std::uint32_t divisions[] = {96, 0, 32767, 96};
    MidiTimeMemo memo;
    for (int round = 0; round < 2; ++round)
        for (std::uint32_t division : divisions)
            for (std::uint32_t tempo : tempos)
                for (std::uint32_t delta : deltas)
                    EXPECT_EQ(MidiDeltaMicroseconds(memo, tempo, delta, division), MidiScale(tempo, delta, division))
                        << tempo << " " << delta << " " << division;
    EXPECT_EQ(MidiDeltaMicroseconds(memo, 500000, 96, 96), 500000u);
    EXPECT_EQ(MidiDeltaMicroseconds(memo, 500000, 1, 96), 5208u);
}

} // namespace
} // namespace corvina::test
