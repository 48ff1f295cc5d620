// Tests of the player's file reader: cursors on one reading, and one reading shared while a file is
// unchanged. What it sends for each file, and which files it refuses, is pinned in MidiScheduleDigestTests.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CMidiSchedule.h"
#include "PlayerTestFiles.h"
#include "ScheduleEvents.h"

namespace corvina {
namespace {

using Bytes = test::ByteVector;

TEST(MidiSchedule, CursorsOnOneReadingWalkIndependentlyAndEndAtTheLength)
{
    // The length query, the play and the preview may each walk the same reading.
    Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x60, 0xFF, 0x51,
                   0x03, 0x0F, 0x42, 0x40, 0x83, 0x00, 0xFF, 0x2F, 0x00};
    Bytes notes = {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xC0, 0x05, 0x30,
                   0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    CMidiSchedule s;
    ASSERT_TRUE(s.Parse(test::SmfBytes(1, 96, {tempo, notes})));
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
        if (!cursor.Next(e))
            return false;
        seen.push_back(test::SENT_EVENT{e.TimeUs, e.Status, e.Data1, e.Data2, {e.Sysex.begin(), e.Sysex.end()}});
        return true;
    };
    take(ahead, seenAhead);
    take(ahead, seenAhead);
    while (take(behind, seenBehind))
        take(ahead, seenAhead);
    EXPECT_EQ(seenAhead, all);
    EXPECT_EQ(seenBehind, all);
    EXPECT_FALSE(ahead.Next(e));
    // The End of Track at tick 480 is the last thing: 500 ms, then 384 ticks at 60 bpm.
    EXPECT_EQ(behind.TimeUs(), 500'000 + 4'000'000);
    EXPECT_EQ(behind.TimeUs(), s.LengthUs());
    EXPECT_EQ(ahead.TimeUs(), s.LengthUs());
}

TEST(MidiSchedule, AnUnchangedFileIsReadOnceWhileItsReadingIsHeld)
{
    const test::ScratchFolder dir;
    const std::filesystem::path path = dir.Path() / "a.mid";
    auto write = [&](std::uint8_t key) {
        test::WriteSmf(path, 0, 96, {{0x00, 0x90, key, 0x64, 0x60, 0x80, key, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
    };
    write(0x3C);
    auto first = CMidiSchedule::LoadShared(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CMidiSchedule::LoadShared(path), first); // the length query and the play share it

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
