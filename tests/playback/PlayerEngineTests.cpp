// Checks that the player's lengths agree with the MIDI engine's for the files the editor plays.
#include <gtest/gtest.h>

#include <filesystem>

#include "CMciPlayer.h"
#include "CMidiFile.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

TEST(MciPlayerAndEngine, LengthsOfCorpusFilesAndTheirChannelFilesAgreeWithTheEngine)
{
    fs::path temp = fs::temp_directory_path() / ("corvina-player-engine-" + std::to_string(::getpid()));
    fs::create_directories(temp);
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(CORVINA_CORPUS_DIR)) {
        if (entry.path().extension() != ".mid") continue;
        SCOPED_TRACE(entry.path().filename().string());
        CMidiFile file(temp);
        if (file.Load(entry.path().string()) != kMidiLoadOk || !file.WriteChannelFiles()) continue;
        CMciPlayer player;
        // A single-track file has one tempo map in both readers.
        if (file.GetTrackCount() == 1 && file.GetCombinationCount() > 0) {
            player.SetFile(entry.path().string());
            EXPECT_NEAR(player.GetLength(), file.GetLengthMs(), 3);
            ++compared;
        }
        // The per-channel files are what the clip editor hands to the player.
        for (int i = 0; i < file.GetCombinationCount(); ++i) {
            player.SetFile(file.GetChannelFileName(i));
            EXPECT_NEAR(player.GetLength(), file.GetCombinationTrack(i)->GetLengthMs(), 3) << "combination " << i;
            ++compared;
        }
    }
    fs::remove_all(temp);
    EXPECT_GT(compared, 50);
}

} // namespace
} // namespace corvina
