// Tests of the player's file reader: event times along the tempo map, and which files it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CMidiSchedule.h"
#include "PlayerTestFiles.h"
#include "ScheduleEvents.h"

namespace corvina {
namespace {

using Bytes = test::ByteVector;

Bytes File(int format, std::uint16_t division, const std::vector<Bytes>& tracks)
{
    return test::SmfBytes(format, division, tracks);
}

TEST(MidiSchedule, EventsOfAllTracksFollowTheTempoMapWithRunningStatus)
{
    // Track 0: 120 bpm, at tick 96 (500 ms) 60 bpm. Track 1: notes with running status.
    Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    Bytes notes = {0x00, 0xC0, 0x05, 0x30, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    CMidiSchedule s;
    ASSERT_TRUE(s.Parse(File(1, 96, {tempo, notes})));
    ASSERT_EQ(test::AllEvents(s).size(), 3u);
    EXPECT_EQ(test::AllEvents(s)[0].Status, 0xC0);
    EXPECT_EQ(test::AllEvents(s)[1].TimeUs, 250'000);               // tick 48 at 120 bpm
    EXPECT_EQ(test::AllEvents(s)[2].TimeUs, 500'000 + 500'000);    // tick 144: 48 ticks at 60 bpm
    EXPECT_EQ(test::AllEvents(s)[2].Status, 0x90);
    EXPECT_EQ(s.LengthMs(), 1000);
    EXPECT_EQ(s.Tracks(), 2);
}

TEST(MidiSchedule, DamagedTracksArePlayedAsFarAsTheyGo)
{
    // The chunk claims 100 bytes but the file ends after the first note; no End of Track.
    Bytes f = File(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00}});
    f[21] = 100;
    CMidiSchedule s;
    ASSERT_TRUE(s.Parse(f));
    EXPECT_EQ(test::AllEvents(s).size(), 2u);
    EXPECT_EQ(s.LengthMs(), 500);

    // System bytes and system-exclusive events inside a track are skipped; running status goes on
    // after them. An event cut short ends the track.
    CMidiSchedule t;
    ASSERT_TRUE(t.Parse(File(0, 96, {{0x00, 0xF8, 0x00, 0x90, 0x3C, 0x64, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF0, 0x02, 0x7E, 0xF7,
                                      0x00, 0x3C, 0x00, 0x00, 0x80}})));
    ASSERT_EQ(test::AllEvents(t).size(), 3u);
    EXPECT_EQ(test::AllEvents(t)[1].Status, 0xF0);
    EXPECT_EQ(test::AllEvents(t)[2].Status, 0x90);
    EXPECT_EQ(test::AllEvents(t)[2].Data2, 0);

    // A data byte with no status before it ends the track.
    CMidiSchedule u;
    ASSERT_TRUE(u.Parse(File(0, 96, {{0x00, 0x3C, 0x64, 0x00, 0x90, 0x3C, 0x64}})));
    EXPECT_TRUE(test::AllEvents(u).empty());
    // A track that ends right after a delta time.
    CMidiSchedule v;
    ASSERT_TRUE(v.Parse(File(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60}})));
    EXPECT_EQ(test::AllEvents(v).size(), 1u);
}

TEST(MidiSchedule, CursorsOnOneReadingWalkIndependentlyAndEndAtTheLength)
{
    // The length query, the play and the preview may each walk the same reading.
    Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x83, 0x00, 0xFF, 0x2F, 0x00};
    Bytes notes = {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xC0, 0x05, 0x30, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    CMidiSchedule s;
    ASSERT_TRUE(s.Parse(File(1, 96, {tempo, notes})));
    const auto all = test::AllEvents(s);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(s.EventCount(), 4);
    EXPECT_EQ(all[0].Status, 0xF0);
    EXPECT_EQ(all[0].Sysex, (Bytes{0x7E, 0x7F}));
    EXPECT_TRUE(all[1].Sysex.empty());

    // One cursor runs two events ahead of the other; each gives the whole sequence.
    CMidiSchedule::CCursor ahead = s.Begin();
    CMidiSchedule::CCursor behind = s.Begin();
    std::vector<test::SENT_EVENT> seenAhead, seenBehind;
    SCHEDULED_EVENT e;
    auto take = [&](CMidiSchedule::CCursor& cursor, std::vector<test::SENT_EVENT>& seen) {
        if (!cursor.Next(e)) return false;
        seen.push_back(test::SENT_EVENT{e.TimeUs, e.Status, e.Data1, e.Data2, {e.Sysex.begin(), e.Sysex.end()}});
        return true;
    };
    take(ahead, seenAhead);
    take(ahead, seenAhead);
    while (take(behind, seenBehind)) take(ahead, seenAhead);
    EXPECT_EQ(seenAhead, all);
    EXPECT_EQ(seenBehind, all);
    EXPECT_FALSE(ahead.Next(e));
    // The End of Track at tick 480 is the last thing: 500 ms, then 384 ticks at 60 bpm.
    EXPECT_EQ(behind.TimeUs(), 500'000 + 4'000'000);
    EXPECT_EQ(behind.TimeUs(), s.LengthUs());
    EXPECT_EQ(ahead.TimeUs(), s.LengthUs());
}

TEST(MidiSchedule, FilesThatAreNotPlayableMidiAreRefusedWithAReason)
{
    std::vector<Bytes> bad = {
        {},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 0, 0},
        File(2, 96, {{0x00, 0xFF, 0x2F, 0x00}}),
        File(0, 0, {{0x00, 0xFF, 0x2F, 0x00}}),
        File(0, 96, {}),
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0},
    };
    for (const Bytes& b : bad) {
        CMidiSchedule s;
        std::string reason;
        EXPECT_FALSE(s.Parse(b, &reason));
        EXPECT_FALSE(reason.empty());
    }
}


// A track of `count` note-ons, each after a delta of 0x0FFFFFFF, at a tempo of 0xFFFFFF.
Bytes SlowestTrack(int count)
{
    Bytes t = {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < count; ++i)
        t.insert(t.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64});
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    return t;
}

TEST(MidiSchedule, TimesStopAtTheLongestLengthInsteadOfOverflowingOrRunningBackwards)
{
    // Metrical division 1: about 2049 such events used to overflow the 64-bit time line.
    for (std::uint16_t division : {std::uint16_t{1}, std::uint16_t{0xFF01}}) {
        SCOPED_TRACE(division);
        CMidiSchedule s;
        ASSERT_TRUE(s.Parse(File(0, division, {SlowestTrack(3000)})));
        const auto events = test::AllEvents(s);
        ASSERT_EQ(events.size(), 3000u);
        for (std::size_t i = 1; i < events.size(); ++i)
            ASSERT_GE(events[i].TimeUs, events[i - 1].TimeUs) << "event " << i;
        EXPECT_GT(events[0].TimeUs, 0);
        EXPECT_EQ(events.back().TimeUs, CMidiSchedule::kLongestTimeUs);
        EXPECT_EQ(s.LengthUs(), CMidiSchedule::kLongestTimeUs);
        EXPECT_EQ(s.LengthMs(), 0x7FFFFFFF);
    }
    // Below the limit nothing changes: one such delta at division 32767.
    CMidiSchedule s;
    ASSERT_TRUE(s.Parse(File(0, 0x7FFF, {SlowestTrack(1)})));
    EXPECT_EQ(test::AllEvents(s)[0].TimeUs, std::int64_t{0x0FFFFFFF} * 0xFFFFFF / 0x7FFF);
}

TEST(MidiSchedule, AnUnchangedFileIsReadOnceWhileItsReadingIsHeld)
{
    const test::ScratchFolder dir;
    const std::filesystem::path path = dir.Path() / "a.mid";
    auto write = [&](std::uint8_t key) { test::WriteSmf(path, 0, 96, {{0x00, 0x90, key, 0x64, 0x60, 0x80, key, 0x00, 0x00, 0xFF, 0x2F, 0x00}}); };
    write(0x3C);
    auto first = CMidiSchedule::LoadShared(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CMidiSchedule::LoadShared(path), first);   // the length query and the play share it

    // Another file, or this one rewritten, is read afresh.
    std::filesystem::remove(path);
    write(0x40);
    auto second = CMidiSchedule::LoadShared(path);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(test::AllEvents(*second)[0].Data1, 0x40);

    std::string reason;
    EXPECT_EQ(CMidiSchedule::LoadShared(dir.Path() / "missing.mid", &reason), nullptr);
    EXPECT_EQ(reason, "the file cannot be found");
}

} // namespace
} // namespace corvina
