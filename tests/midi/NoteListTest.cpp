// The notes of a file as spans: pairing note-ons with note-offs on hand-made tracks.
#include "MidiTestSupport.h"
#include "NoteList.h"

namespace corvina {
namespace {

using namespace test;

class NoteListTest : public MidiTest {};

TEST_F(NoteListTest, NotesRunFromTheirOnToTheirOffAndARestruckKeyEndsTheSoundingOne)
{
    // Division 96, tempo 500 000: a tick is 5 208.33 us, 96 ticks half a second.
    const std::string first = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}) + Bytes({0x00, 0x90, 60, 100}) + // C on
                              Bytes({0x60, 64, 90}) +            // E on (running status), 0.5 s
                              Bytes({0x60, 60, 0}) +             // C off by velocity 0, 1 s
                              Bytes({0x00, 0x99, 36, 120}) +     // drum on channel 9
                              Bytes({0x60, 0x90, 64, 80}) +      // E struck again, 1.5 s
                              Bytes({0x60, 0x80, 64, 0}) + kEnd; // E off, 2 s; the drum never ends
    const std::string second = Bytes({0x30, 0x91, 72, 70, 0x30, 0x81, 72, 0}) + kEnd;
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("notes.mid", Header(1, 2, 96) + Track(first) + Track(second))), 0);

    const auto all = CollectNotes(file, -1, -1);
    EXPECT_EQ(all, (std::vector<SMidiNote>{{0, 1000000, 60, 100, 0, 0},
                                           {250000, 500000, 72, 70, 1, 1},
                                           {500000, 1500000, 64, 90, 0, 0},   // ended by its second strike
                                           {1000000, 2000000, 36, 120, 9, 0}, // lasts to the track's end
                                           {1500000, 2000000, 64, 80, 0, 0}}));

    EXPECT_EQ(CollectNotes(file, 0, kDrumChannel).size(), 1u);
    EXPECT_EQ(CollectNotes(file, 1, -1).size(), 1u);
    EXPECT_TRUE(CollectNotes(file, 0, 5).empty());

    // A clip keeps the notes that start inside it, their ends cut at its end.
    const auto clip = ClipNotes(all, 500000, 1500000);
    EXPECT_EQ(clip, (std::vector<SMidiNote>{{500000, 1500000, 64, 90, 0, 0},
                                            {1000000, 1500000, 36, 120, 9, 0},
                                            {1500000, 1500000, 64, 80, 0, 0}}));
}

} // namespace
} // namespace corvina
