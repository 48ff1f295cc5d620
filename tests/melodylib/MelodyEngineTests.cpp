// Checks that the MIDI engine reads the files the melody library writes, with every note.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CMidiFile.h"
#include "MelodyLibrary.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

TEST(MelodyAndEngine, TheEngineLoadsExportedMelodiesWithAllTheirNotes)
{
    fs::path temp = fs::temp_directory_path() / ("corvina-melody-engine-" + std::to_string(::getpid()));
    fs::create_directories(temp);
    struct Case { std::string text; std::size_t notes; int lengthMs; };
    const std::vector<Case> cases = {
        // 120 bpm: a quarter is 500 ms.
        {"BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:(c3d3@3)e2r2\r\nEND:IMELODY\r\n", 7, 2500},
        {"BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nNAME:Scale\r\nBEAT:60\r\nMELODY:c2d2e2f2\r\nEND:IMELODY\r\n", 4, 4000},
    };
    std::vector<std::pair<std::string, std::size_t>> inputs;
    for (const auto& c : cases) inputs.emplace_back(c.text, c.notes);
    std::ifstream corpus(fs::path(CORVINA_CORPUS_DIR) / "android-cts-imelody" / "testimy.imy", std::ios::binary);
    std::stringstream corpusText;
    corpusText << corpus.rdbuf();
    inputs.emplace_back(corpusText.str(), 11); // counted by hand in the export tests

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        std::istringstream in(inputs[i].first);
        Melody m;
        ImportiMelody(in, m);
        fs::path out = temp / ("melody" + std::to_string(i) + ".mid");
        {
            std::ofstream file(out, std::ios::binary);
            ExportSMF(m, file, kUnboundedSmfLength);
        }
        CMidiFile midi(temp);
        ASSERT_EQ(midi.Load(out.string()), kMidiLoadOk) << midi.GetParseLog();
        EXPECT_EQ(midi.GetAllNoteOnTimes().size(), inputs[i].second);
        ASSERT_TRUE(midi.WriteChannelFiles());
        if (i < cases.size()) {
            EXPECT_EQ(midi.GetLengthMs(), cases[i].lengthMs);
        }
    }
    fs::remove_all(temp);
}

} // namespace
} // namespace corvina
