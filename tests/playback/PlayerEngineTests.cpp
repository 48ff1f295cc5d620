// Checks that the player's lengths agree with the MIDI engine's for the files the editor plays.
#include <gtest/gtest.h>

#include <filesystem>

#include "CMciPlayer.h"
#include "CMidiFile.h"
#include "Corpus.h"
#include "ScratchFolder.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

TEST(MciPlayerAndEngine, LengthsOfCorpusFilesAndTheirChannelFilesAgreeWithTheEngine)
{
    const test::ScratchFolder temp("player-engine");
    int compared = 0;
    for (const fs::path& path : test::CorpusFiles({".mid"})) {
        SCOPED_TRACE(path.filename().string());
        CMidiFile file(temp.Path());
        if (file.Load(path.string()) != kMidiLoadOk || !file.WriteChannelFiles())
            continue;
        CMciPlayer player;
        // A single-track file has one tempo map in both readers.
        if (file.GetTrackCount() == 1 && file.GetCombinationCount() > 0) {
            player.SetFile(path.string());
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
    EXPECT_GT(compared, 50);
}

} // namespace
} // namespace corvina
