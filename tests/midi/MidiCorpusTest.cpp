// Every corpus file loads with the expected result; what the engine writes from it reads back with the
// same notes, and python3-mido accepts every file written from a source it accepts itself.
#include "Corpus.h"
#include "MidiTestSupport.h"

#include <iostream>
#include <set>

namespace corvina::test {
namespace {

class MidiCorpusTest : public MidiTest {};

TEST_F(MidiCorpusTest, EveryCorpusFileLoadsWithItsResultAndItsOutputsReadBackWithTheSameNotes)
{
    // Not Standard MIDI Files of format 0 or 1: an iMelody text, a format-2 file, an empty file, text.
    const std::set<std::string> unsupported = {"testimy.imy", "test-2-tracks-type-2.mid", "test-empty-file.mid",
                                               "test-not-a-midi-file.mid"};
    // Files whose only track is refused (too short, not a track chunk, or cut short) but that have bytes
    // after it: they load with no tracks.
    const std::set<std::string> noTracks = {"test-empty.mid", "test-non-midi-track.mid",
                                            "test-corrupt-file-missing-byte.mid"};
    const std::vector<std::filesystem::path> files = CorpusFiles({".mid", ".imy", ".kar"});
    ASSERT_GE(files.size(), 90u) << "corpus not found at " << kCorpus;

    std::ofstream manifest(m_dir / "manifest.txt");
    int outputs = 0;
    for (const std::filesystem::path& path : files) {
        SCOPED_TRACE(path.string());
        const std::string name = path.filename().string();
        CMidiFile file;
        const int result = file.Load(path.string());
        ASSERT_EQ(result, unsupported.count(name) ? kMidiLoadUnsupported : kMidiLoadOk);
        if (result != kMidiLoadOk)
            continue;
        EXPECT_EQ(file.GetTrackCount() == 0, noTracks.count(name) == 1);
        ASSERT_TRUE(file.WriteChannelFiles());

        for (int i = 0; i < file.GetCombinationCount(); ++i) {
            int track = -1, channel = -1;
            file.GetCombination(i, track, channel);
            CMidiFile part;
            ASSERT_EQ(part.Load(file.GetChannelFileName(i)), kMidiLoadOk) << part.GetParseLog();
            ASSERT_EQ(part.GetTrackCount(), 1);
            const std::size_t partNotes = part.GetTrack(0)->GetNoteOnTimes(0)->size();
            EXPECT_EQ(partNotes, file.GetTrack(track)->GetNoteOnTimes(channel)->size());
            EXPECT_EQ(part.GetAllNoteOnTimes().size(), partNotes);
            const std::filesystem::path copy = m_dir / ("out" + std::to_string(++outputs) + ".mid");
            std::filesystem::copy_file(file.GetChannelFileName(i), copy);
            manifest << path.string() << '\t' << copy.string() << '\n';
        }

        if (file.GetTrackCount() == 0)
            continue;
        ASSERT_EQ(file.Load(path.string()), kMidiLoadOk); // the clip uses this file's division
        const int notes = file.WriteClip(0, static_cast<std::uint32_t>(file.GetLengthMs()) * 1000u);
        ASSERT_GE(notes, 0);
        CMidiFile clip;
        ASSERT_EQ(clip.Load(file.GetClipFileName()), kMidiLoadOk) << clip.GetParseLog();
        EXPECT_EQ(clip.GetTrackCount(), file.GetTrackCount());
        EXPECT_EQ(clip.GetAllNoteOnTimes().size(), static_cast<std::size_t>(notes));
        const std::filesystem::path copy = m_dir / ("out" + std::to_string(++outputs) + ".mid");
        std::filesystem::copy_file(file.GetClipFileName(), copy);
        manifest << path.string() << '\t' << copy.string() << '\n';
    }
    manifest.close();
    EXPECT_GT(outputs, 100);

    if (std::system("/usr/bin/python3 -c 'import mido' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-mido is missing (apt-get install python3-mido): written files not checked with mido";
    const std::string command = "/usr/bin/python3 " CORVINA_MIDI_TEST_DIR "/mido_check.py " +
                                (m_dir / "manifest.txt").string() + " > " + (m_dir / "mido.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(m_dir / "mido.txt");
    std::cout << "mido: " << ReadFile(m_dir / "mido.txt");
}

} // namespace
} // namespace corvina::test
