// The melody line: which voice is sung, one note at a time, the reasons for no line, the phrase-end cut,
// and the tune of generated songs against the skyline.
#include "GeneratedSongs.h"
#include "MelodyLine.h"
#include "MidiTestSupport.h"

namespace corvina {
namespace {

using namespace test;

SMidiNote N(std::uint32_t startMs, std::uint32_t endMs, int key, int channel = 0)
{
    return {startMs * 1000, endMs * 1000, static_cast<std::uint8_t>(key), 100, static_cast<std::uint8_t>(channel), 0};
}

std::vector<int> Keys(const std::vector<SMidiNote>& line)
{
    std::vector<int> keys;
    for (const SMidiNote& n : line)
        keys.push_back(n.byKey);
    return keys;
}

TEST(MelodyLine, TakesTheSungLineWhenAPadChordsAndADrumFillSitAboveIt)
{
    // A stepwise tune in varied rhythm on channel 3, a pad held high on 1, two-note chords above the tune
    // on 2, a fill of high percussion on the drum channel.
    const int tune[] = {60, 62, 64, 62, 60, 64, 65, 67, 65, 64, 62, 60};
    const int lengths[] = {500, 250, 250, 750, 250, 500, 500, 250, 250, 500, 1000, 500};
    std::vector<SMidiNote> notes = {N(0, 3000, 96, 1), N(3000, 6000, 93, 1)};
    for (std::uint32_t t = 0, i = 0; i < 12; t += lengths[i], ++i)
        notes.push_back(N(t, t + lengths[i] - 20, tune[i], 3));
    for (std::uint32_t t = 0; t < 6000; t += 1000)
        for (int key : {72, 76})
            notes.push_back(N(t, t + 950, key, 2));
    for (std::uint32_t t = 4000; t < 5000; t += 125)
        notes.push_back(N(t, t + 60, 81, kDrumChannel));

    const SMelodyLine line = ExtractMelodyLine(notes);
    ASSERT_EQ(line.eResult, eMelodyLineResult::Ok);
    EXPECT_EQ(line.nChannel, 3);
    EXPECT_FALSE(line.bChordal);
    EXPECT_EQ(Keys(line.notes), std::vector<int>(std::begin(tune), std::end(tune)));
    // The skyline hears the pad only.
    EXPECT_EQ(Keys(SkylineLine(notes)), (std::vector<int>{96, 93}));
}

TEST(MelodyLine, CutsOverlapsSoThatOneNoteSoundsAtATime)
{
    // Legato overlaps are cut; of a double stop the higher note is sung.
    const std::vector<SMidiNote> notes = {N(0, 560, 60), N(500, 1080, 64), N(1000, 1500, 67), N(1000, 1500, 62),
                                          N(1500, 2000, 65)};
    const SMelodyLine line = ExtractMelodyLine(notes);
    ASSERT_EQ(line.eResult, eMelodyLineResult::Ok);
    EXPECT_EQ(line.notes,
              (std::vector<SMidiNote>{N(0, 500, 60), N(500, 1000, 64), N(1000, 1500, 67), N(1500, 2000, 65)}));
}

TEST(MelodyLine, SingsTheTopOfAChannelThatPlaysChordsAndSkipsWhatIsStruckUnderAHeldNote)
{
    // A piano: a tune on top of chords; at 1500 ms the left hand strikes again under the held top note.
    const std::vector<SMidiNote> notes = {N(0, 1000, 48),    N(0, 1000, 55),    N(0, 1000, 72),    N(1000, 2000, 50),
                                          N(1000, 2000, 53), N(1000, 2000, 74), N(1500, 2000, 57), N(2000, 2500, 76),
                                          N(2000, 3000, 52), N(2500, 3000, 77)};
    const SMelodyLine line = ExtractMelodyLine(notes);
    ASSERT_EQ(line.eResult, eMelodyLineResult::Ok);
    EXPECT_TRUE(line.bChordal);
    EXPECT_EQ(Keys(line.notes), (std::vector<int>{72, 74, 76, 77}));
}

TEST(MelodyLine, GivesAReasonWhenThereIsNothingToSing)
{
    const std::vector<SMidiNote> drums = {N(0, 100, 36, kDrumChannel), N(500, 600, 38, kDrumChannel)};
    std::vector<SMidiNote> chords = drums;
    for (std::uint32_t t = 0; t < 4000; t += 1000)
        for (int key : {60, 64, 67})
            chords.push_back(N(t, t + 900, key + static_cast<int>(t / 1000), 4));
    EXPECT_EQ(ExtractMelodyLine({}).eResult, eMelodyLineResult::NoNotes);
    EXPECT_EQ(ExtractMelodyLine({N(1000, 1000, 60)}).eResult, eMelodyLineResult::NoNotes); // takes no time
    EXPECT_EQ(ExtractMelodyLine(drums).eResult, eMelodyLineResult::OnlyDrums);
    EXPECT_EQ(ExtractMelodyLine(chords).eResult, eMelodyLineResult::OnlyChords);
    EXPECT_TRUE(ExtractMelodyLine(chords).notes.empty());
    EXPECT_EQ(MelodyLineMessage(eMelodyLineResult::OnlyChords),
              "the clip has only chords (three or more notes struck together): there is no single line to sing");
}

TEST(MelodyLine, CutsALongLineAfterTheLastRestOrLongNoteBeforeThePhonesLimit)
{
    // Quarter notes at 500 ms; a rest after note 3, a long note as note 6.
    std::vector<SMidiNote> line;
    for (std::uint32_t t : {0, 500, 1000, 2000, 2500, 3000, 4500, 5000, 5500, 6000})
        line.push_back(N(t, t + 480, 60));
    line[5].dwEndUs = 4500000;
    EXPECT_EQ(CutAtPhraseEnd(line, 9).nKept, 6u);       // after the long note
    EXPECT_EQ(CutAtPhraseEnd(line, 5).nKept, 3u);       // after the rest
    EXPECT_FALSE(CutAtPhraseEnd(line, 2).bAtPhraseEnd); // none in the second half of the limit: at it
    EXPECT_EQ(CutAtPhraseEnd(line, 2).nKept, 2u);
    EXPECT_EQ(CutAtPhraseEnd(line, 10).nKept, 10u);
}

TEST(MelodyLine, FindsTheTuneOfGeneratedSongsWhereTheSkylineDoesNot)
{
    constexpr int kSongs = 200;
    int oursGood = 0, skylineGood = 0;
    for (std::uint32_t seed = 10001; seed <= 10000 + kSongs; ++seed) {
        const bench::STuneSong song = bench::GenerateTuneSong(seed, 30);
        oursGood += bench::TuneRecall(song.tune, ExtractMelodyLine(song.notes).notes) >= 0.9;
        skylineGood += bench::TuneRecall(song.tune, SkylineLine(song.notes)) >= 0.9;
    }
    EXPECT_GE(oursGood, kSongs * 95 / 100);
    EXPECT_LE(skylineGood, kSongs / 4);
}

class TrackTempoTest : public MidiTest {};

TEST_F(TrackTempoTest, TheTempoAtATimeCountsTempoChangesUpToAndAtThatTime)
{
    // 500 000 us per quarter, then 400 000 from one second on (192 ticks at 500 000 and division 96).
    const std::string events = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 60, 100}) +
                               Bytes({0x81, 0x40, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80, 0x00, 0x80, 60, 0}) + kEnd;
    CMidiFile file;
    ASSERT_EQ(file.Load(Write("tempo.mid", Header(0, 1, 96) + Track(events))), kMidiLoadOk);
    for (const auto& [us, tempo] :
         {std::pair{0u, 500000u}, {999999u, 500000u}, {1000000u, 400000u}, {5000000u, 400000u}})
        EXPECT_EQ(file.GetTrack(0)->GetTempoAt(us), tempo) << us;
}

} // namespace
} // namespace corvina
