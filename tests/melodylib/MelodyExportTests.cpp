// Tests of writing melodies as Standard MIDI Files: exact bytes, note counts, style and the length bound.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "Corpus.h"
#include "MelodyLibrary.h"
#include "MelodyTestSupport.h"
#include "MidiBytes.h"

namespace corvina {
namespace {

using namespace test;

TEST(MelodyExport, ATinyMelodyIsWrittenByteForByte)
{
    const Melody m = Read(Wrap("c2r3e3", "BEAT:120\r\nSTYLE:S1\r\nVOLUME:V15\r\n"));
    EXPECT_EQ(Export(m),
              Header(0, 1, 96) +
                  Track(Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // 500000 us per quarter
                               0x00, 0xC0, 0x00, 0x00, 0xB0, 0x07, 0x7F,       // V15
                               0x00, 0x90, 0x48, 0x64,                         // c, a quarter
                               0x60, 0x80, 0x48, 0x00, 0x30, 0x90, 0x4C, 0x64, // after an eighth rest: e, an eighth
                               0x30, 0x80, 0x4C, 0x00}) +
                        kEnd));
}

TEST(MelodyExport, StyleShortensTheSoundingPartAndTheBoundCutsWithANoteOff)
{
    // A half note is 192 ticks; 250 ms at 120 beats per minute are 48 ticks. V7 is controller value 0x3B.
    EXPECT_EQ(Export(Read(Wrap("c1", "BEAT:120\r\nSTYLE:S0\r\n")), 250),
              Header(0, 1, 96) + Track(Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00, 0x00,
                                              0xB0, 0x07, 0x3B, 0x00, 0x90, 0x48, 0x64, 0x30, 0x80, 0x48, 0x00}) +
                                       kEnd));

    EXPECT_EQ(InspectSmf(Export(Read(Wrap("c2r5", "STYLE:S0\r\n")))).EndTick, 96 + 12); // ends where the melody ends
    std::string s0 = Export(Read(Wrap("c2", "STYLE:S0\r\n")));
    std::string s2 = Export(Read(Wrap("c2", "STYLE:S2\r\n")));
    EXPECT_NE(s0.find(Bytes({0x5B, 0x80, 0x48, 0x00})), std::string::npos); // 96 * 20 / 21
    EXPECT_NE(s2.find(Bytes({0x30, 0x80, 0x48, 0x00})), std::string::npos); // half of 96
    EXPECT_EQ(InspectSmf(s0).EndTick, 96);

    const SmfSummary none = InspectSmf(Export(Read(Wrap("c2d2")), 0));
    EXPECT_EQ(std::tuple(none.NoteOns, none.EndTick), std::tuple(0, 0));
}

TEST(MelodyExport, RepeatsAreUnrolledWithTheirCountsAndVolumeSteps)
{
    auto notes = [](const std::string& line) { return InspectSmf(Export(Read(Wrap(line)))).NoteOns; };
    EXPECT_EQ(notes("(c3d3@3)e3"), 7);
    EXPECT_EQ(notes("(c3d3@1)"), 2);
    EXPECT_EQ(notes("(c3d3@0)e3"), 2 * kForeverRepeatPlays + 1);
    EXPECT_EQ(notes("c3ledon(r3@5)backoffd3"), 2);

    std::string stepped = Export(Read(Wrap("(c3@3V+)", "VOLUME:V7\r\n")));
    // V8 and V9 before the second and third pass.
    EXPECT_NE(stepped.find(Bytes({0xB0, 0x07, 0x44})), std::string::npos);
    EXPECT_NE(stepped.find(Bytes({0xB0, 0x07, 0x4C})), std::string::npos);

    // A forever-repeated block still ends where the bound says.
    SmfSummary bounded = InspectSmf(Export(Read(Wrap("(c3@9999)", "BEAT:120\r\n")), 1000));
    EXPECT_EQ(std::tuple(bounded.NoteOns, bounded.EndTick), std::tuple(4, 192)); // four eighths in one second
}

TEST(MelodyExport, RepeatedVolumeStepsAreBoundedByEventsAsWellAsByLength)
{
    // 2 KB of text: 1000 volume steps repeated 9999 times used to become ten million controller events
    // (a 40 MB file, seconds of work on the window's thread). Volume steps take no time, so only the
    // event bound stops them.
    std::string steps;
    for (int i = 0; i < 500; ++i)
        steps += "v+v-";
    SmfSummary s = InspectSmf(Export(Read(Wrap("(" + steps + "@9999)"))));
    // The melody's own events stay within the bound; tempo, program, volume and End of Track come on top.
    EXPECT_GT(s.Events, kMaxSmfEvents - 10);
    EXPECT_LE(s.Events, kMaxSmfEvents + 4);
    EXPECT_EQ(s.NoteOns, 0);

    // Notes stop at the bound too, each with its note-off.
    SmfSummary notes = InspectSmf(Export(Read(Wrap("(c5d5e5f5@9999)(c5d5e5f5@9999)", "BEAT:900\r\n"))));
    EXPECT_EQ(notes.NoteOns, kMaxSmfEvents / 2);
    EXPECT_EQ(notes.NoteOffs, notes.NoteOns);
}

TEST(MelodyExport, ExportReportsStreamFailure)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_THROW(ExportSMF(Read(Wrap("c2")), out, kUnboundedSmfLength), std::ios_base::failure);
}

// Notes of each corpus melody, counted by hand from the file.
const std::map<std::string, int> kCorpusNoteCounts = {
    // a1 b2 c3 a3. *4d3 a3 g3. *5c4 c1 *5#f2 *5#f2; backoff/backon make no sound.
    {"testimy.imy", 11},
};

TEST(MelodyExport, EveryCorpusMelodyConvertsWithTheNotesCountedByHand)
{
    int seen = 0;
    for (const std::filesystem::path& path : CorpusFiles({".imy"})) {
        std::string name = path.filename().string();
        SCOPED_TRACE(name);
        auto expected = kCorpusNoteCounts.find(name);
        ASSERT_NE(expected, kCorpusNoteCounts.end()) << "count the notes of this new corpus file by hand";
        std::ifstream in(path, std::ios::binary);
        Melody m;
        ASSERT_NO_THROW(ImportiMelody(in, m));
        std::ostringstream out;
        int written = ExportSMF(m, out, kUnboundedSmfLength);
        SmfSummary s = InspectSmf(out.str());
        const int n = expected->second;
        EXPECT_EQ(std::tuple(s.Format, s.Tracks, s.NoteOns, s.NoteOffs, written), std::tuple(0, 1, n, n, n));
        ++seen;
    }
    EXPECT_EQ(seen, static_cast<int>(kCorpusNoteCounts.size()));
}

} // namespace
} // namespace corvina
