// Checks that the MIDI engine reads the files the melody library writes, with every note.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "CMidiFile.h"
#include "Corpus.h"
#include "MelodyLibrary.h"
#include "MelodyLine.h"
#include "MelodyTestSupport.h"
#include "ScratchFolder.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

TEST(MelodyAndEngine, TheEngineLoadsExportedMelodiesWithAllTheirNotes)
{
    const test::ScratchFolder temp("melody-engine");
    // Text, notes, length in ms (-1: not checked).
    const std::vector<std::tuple<std::string, std::size_t, int>> cases = {
        {test::Wrap("(c3d3@3)e2r2", "BEAT:120\r\n"), 7, 2500}, // 120 bpm: a quarter is 500 ms
        {"BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nNAME:Scale\r\nBEAT:60\r\nMELODY:c2d2e2f2\r\nEND:"
         "IMELODY\r\n",
         4, 4000},
        {test::ReadFile(test::kImelody), 11, -1}, // counted by hand in the export tests
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& [text, notes, lengthMs] = cases[i];
        const fs::path out = temp.Write("melody" + std::to_string(i) + ".mid", test::Export(test::Read(text)));
        CMidiFile midi(temp.Path());
        ASSERT_EQ(midi.Load(out.string()), kMidiLoadOk) << midi.GetParseLog();
        EXPECT_EQ(midi.GetAllNoteOnTimes().size(), notes);
        ASSERT_TRUE(midi.WriteChannelFiles());
        if (lengthMs >= 0) {
            EXPECT_EQ(midi.GetLengthMs(), lengthMs);
        }
    }
}

TEST(MelodyAndEngine, EveryCorpusLineSoundsOneNoteAtATimeAndReadsBackAsiMelody)
{
    const test::ScratchFolder temp("melody-corpus");
    int lines = 0;
    for (const fs::path& path : test::CorpusFiles({".mid"})) {
        SCOPED_TRACE(path.string());
        CMidiFile midi(temp.Path());
        if (midi.Load(path.string()) != kMidiLoadOk)
            continue;
        const SMelodyLine line = ExtractMelodyLine(CollectNotes(midi, -1, -1));
        if (line.eResult != eMelodyLineResult::Ok)
            continue;
        ++lines;
        std::vector<TimedNote> timed;
        for (std::size_t i = 0; i < line.notes.size(); ++i) {
            const SMidiNote& n = line.notes[i];
            EXPECT_TRUE(n.dwStartUs < n.dwEndUs &&
                        (i + 1 == line.notes.size() || n.dwEndUs <= line.notes[i + 1].dwStartUs))
                << i;
            timed.push_back({n.dwStartUs, n.dwEndUs, n.byKey});
        }
        const Melody written = MelodyFromLine(timed, BeatFromTempo(midi.GetTrack(line.nTrack)->GetTempoAt(0)),
                                              eNoteValues::iMelody, "corpus");
        std::ostringstream text;
        ExportiMelody(written, text);
        const Melody read = test::Read(text.str());
        std::vector<int> keys, expected; // keys below *0 c come up by octaves
        for (const MelodyItem& item : read.Items)
            if (item.Kind == eMelodyItemKind::Note)
                keys.push_back(item.Key);
        for (const TimedNote& note : timed)
            expected.push_back(std::max(note.Key, kLowestiMelodyKey + note.Key % 12));
        EXPECT_EQ(keys, expected);
    }
    EXPECT_GE(lines, 60); // most files of the corpus have a tune; the rest are drums, silence or broken
}

} // namespace
} // namespace corvina
