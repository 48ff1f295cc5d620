// Tests of the corvina-midi tool: its JSON, exit codes, and files byte-identical to the engine's.
#include "GeneratedSongs.h"
#include "ClipSuggestion.h"
#include "Corpus.h"
#include "MidiTestSupport.h"

#include <algorithm>

#include <sys/wait.h>

namespace corvina::test {
namespace {

const std::string kTool = CORVINA_MIDI_TOOL;
const std::string kChords = (kMidiCorpus / "test-multichannel-chords-2.mid").string();

struct ToolRun {
    int code;
    std::string out, err;
};

class CorvinaMidiToolTest : public MidiTest {
protected:
    // Runs the tool; environment is put before the command ("TMPDIR=/x").
    ToolRun Tool(const std::string& args, const std::string& environment = "")
    {
        const std::string out = (m_dir / "stdout.txt").string(), err = (m_dir / "stderr.txt").string();
        const int status = std::system((environment + " " + kTool + " " + args + " >" + out + " 2>" + err).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }
    // Runs the tool, which must succeed.
    ToolRun Ok(const std::string& args, const std::string& environment = "")
    {
        ToolRun run = Tool(args, environment);
        EXPECT_EQ(run.code, 0) << args << "\n" << run.err;
        return run;
    }
    // A new folder inside the test's own.
    std::filesystem::path Folder(const std::string& name)
    {
        std::filesystem::create_directory(m_dir / name);
        return m_dir / name;
    }
};

// Numbers as the tool lists them in JSON: "1, 2, 3".
template <typename T>
std::string List(const std::vector<T>& values)
{
    std::string list;
    for (const T& value : values)
        list += (list.empty() ? "" : ", ") + std::to_string(value);
    return list;
}

TEST_F(CorvinaMidiToolTest, InfoPrintsTheEngineFactsAsJson)
{
    const ToolRun run = Ok("info " + kChords);
    CMidiFile file;
    ASSERT_EQ(file.Load(kChords), kMidiLoadOk);
    EXPECT_TRUE(run.out.starts_with("{\"result\": 0, \"format\": 1, \"division\": 96, \"tracks\": 2, "
                                    "\"combinations\": [[0, 0], [0, 1], [1, 2]], \"track_lengths_ms\": [4000, 4000], "
                                    "\"file_length_ms\": 4000, \"note_on_counts\": ["))
        << run.out;
    EXPECT_NE(run.out.find("\"all_note_on_times\": [" + List(file.GetAllNoteOnTimes()) + "]}\n"), std::string::npos)
        << run.out;

    const ToolRun missing = Tool("info " + (m_dir / "nothing.mid").string());
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "{\"result\": 4024}\n");
    EXPECT_NE(missing.err.find("Unable to open specified file. This may be open in another application."),
              std::string::npos);
    const ToolRun text = Tool("info " + Write("x.mid", "not a MIDI file at all, just some text"));
    EXPECT_EQ(text.code, 1);
    EXPECT_EQ(text.out, "{\"result\": 4021}\n");
    EXPECT_NE(text.err.find("Format of specified file is not supported!"), std::string::npos);
}

TEST_F(CorvinaMidiToolTest, VoicesFitAndRenderTellWhatTheyDidAndRefuseWhatTheyCannotDo)
{
    EXPECT_EQ(Tool("voices " + kChords).out, "{\"voices\": 3, \"at_ms\": 0, \"notes\": 24}\n");
    EXPECT_EQ(Tool("voices " + kChords + " --track 1 --channel 2").out,
              "{\"voices\": 1, \"at_ms\": 0, \"notes\": 8}\n");
    const std::string fitted = (m_dir / "fit.mid").string();
    const ToolRun fit = Ok("fit " + kChords + " --voices 2 -o " + fitted);
    EXPECT_TRUE(fit.out.starts_with("{\"voices\": 2, \"bytes\": " + std::to_string(ReadFile(fitted).size()) +
                                    ", \"dropped\": 8,"))
        << fit.out;
    EXPECT_EQ(Tool("voices " + fitted).out, "{\"voices\": 2, \"at_ms\": 0, \"notes\": 16}\n");
    EXPECT_EQ(Tool("fit " + kChords + " --voices 2 --max-bytes 20 -o " + fitted).code, 4);
    EXPECT_EQ(Tool("fit " + Write("x.mid", "no MIDI") + " --voices 2 -o " + fitted).code, 1);
    EXPECT_EQ(Tool("fit " + kChords + " --voices 0 -o " + fitted).code, 64);
    EXPECT_EQ(Tool("render " + kChords + " --voices 2 -o x.wav").code, 64); // a phone's figure without --as-phone
    const ToolRun render =
        Tool("render " + kChords + " --as-phone --voices 2 --speaker 900-4000 -o " + (m_dir / "x.wav").string());
    EXPECT_EQ(render.out, "{\"length_ms\": 4000, \"as_phone\": true, \"voices\": 2, \"speaker_hz\": [900, 4000]}\n")
        << render.err;
}

TEST_F(CorvinaMidiToolTest, SplitAndClipWriteTheSameBytesAsTheEditor)
{
    const std::filesystem::path outDir = Folder("split");
    const ToolRun split = Ok("split " + kChords + " " + outDir.string());
    EXPECT_EQ(split.out, "[\"rt000.0.mid\", \"rt000.1.mid\", \"rt001.2.mid\"]\n");

    CMidiFile file;
    ASSERT_EQ(file.Load(kChords), kMidiLoadOk);
    ASSERT_TRUE(file.WriteChannelFiles());
    EXPECT_EQ(ReadFile(outDir / "rt000.1.mid"), ReadFile(file.GetChannelFileName(1)));
    EXPECT_EQ(ReadFile(outDir / "rt001.2.mid"), ReadFile(file.GetChannelFileName(2)));

    const int allNotes = file.WriteClip(1000000, 2500000);
    ASSERT_GT(allNotes, 0);
    const ToolRun all =
        Ok("clip " + kChords + " --all --from-us 1000000 --to 0:02.5 -o " + (m_dir / "all.mid").string());
    EXPECT_EQ(all.out, std::to_string(allNotes) + "\n");
    EXPECT_EQ(ReadFile(m_dir / "all.mid"), ReadFile(file.GetClipFileName()));

    const int trackNotes = file.GetTrack(0)->WriteTrackClip(1, 500000, 3000000);
    ASSERT_GT(trackNotes, 0);
    const ToolRun one =
        Ok("clip " + kChords + " --track 0 --channel 1 --from 500 --to-us 3000000 -o " + (m_dir / "one.mid").string());
    EXPECT_EQ(one.out, std::to_string(trackNotes) + "\n");
    EXPECT_EQ(ReadFile(m_dir / "one.mid"), ReadFile(file.GetClipFileName()));
}

TEST_F(CorvinaMidiToolTest, SplitAndInfoOfALargeFileWriteNoTemporaryFiles)
{
    // Sixteen channels in one track under running status, 40 000 events: split writes its files once,
    // straight into OUTDIR, and info writes none at all.
    std::string events;
    for (int i = 0; i < 40000; ++i) // a new channel's status every eight events, else a delta of 1
        events +=
            (i % 8 == 0 ? Bytes({0x00, 0x90 | (i / 8) % 16}) : Bytes({0x01})) + Bytes({36 + i % 60, i % 4 ? 64 : 0});
    const std::string source = Write("large.mid", Header(0, 1, 480) + Track(events + kEnd));
    const std::filesystem::path tmp = Folder("tmp"), outDir = Folder("split");
    const ToolRun split = Ok("split " + source + " " + outDir.string(), "TMPDIR=" + tmp.string());
    EXPECT_EQ(std::count(split.out.begin(), split.out.end(), ','), 15);
    EXPECT_TRUE(std::filesystem::is_empty(tmp));

    CMidiFile file;
    ASSERT_EQ(file.Load(source), kMidiLoadOk);
    ASSERT_TRUE(file.WriteChannelFiles());
    ASSERT_EQ(file.GetCombinationCount(), 16);
    for (int i = 0; i < 16; ++i) {
        const std::string name = file.GetChannelFileName(i).substr(file.GetTempPrefix().size()); // rt000.N.mid
        EXPECT_EQ(ReadFile(outDir / name), ReadFile(file.GetChannelFileName(i))) << name;
    }

    const ToolRun info = Ok("info " + source, "TMPDIR=" + tmp.string());
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_NE(info.out.find("\"combinations\": [[0, 0], [0, 1], [0, 2]"), std::string::npos);
    EXPECT_NE(info.out.find("\"file_length_ms\": " + std::to_string(file.GetLengthMs()) + ","), std::string::npos);
    EXPECT_NE(info.out.find("\"all_note_on_times\": [" + List(file.GetAllNoteOnTimes()) + "]}\n"), std::string::npos);
}

TEST_F(CorvinaMidiToolTest, ExitCodesTellLoadFailuresWriteFailuresEmptyClipsAndUsageErrorsApart)
{
    const std::string out = (m_dir / "clip.mid").string();
    EXPECT_EQ(Tool("clip " + kChords + " --track 1 --channel 0 --from 0 --to 4000 -o " + out).code, 3);
    EXPECT_FALSE(std::filesystem::exists(out)); // a clip without notes is not saved
    EXPECT_EQ(Tool("clip nothing.mid --all --from 0 --to 1 -o " + out).code, 1);
    EXPECT_EQ(Tool("split " + kChords + " " + (m_dir / "no-such-folder").string()).code, 64);

    // Running status made explicit cannot fit in a single-track clip the size of its source.
    const std::string events =
        Bytes({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x40, 0x00, 0x40, 0x40, 0x60, 0x3C, 0x00}) + kEnd;
    const std::string dense = Write("d.mid", Header(0, 1, 96) + Track(events));
    EXPECT_EQ(Tool("clip " + dense + " --track 0 --channel 0 --from 0 --to 1000 -o " + out).code, 2);

    for (const char* args :
         {"", "frobnicate x.mid", "info", "info a.mid --verbose", "clip " CORVINA_CORPUS_DIR " --all --from 0 -o x.mid",
          "clip x.mid --all --track 0 --channel 0 --from 0 --to 1 -o y", "clip x.mid --all --from 1:75 --to 2 -o y",
          "clip x.mid --track 0 --channel 16 --from 0 --to 1 -o y", "suggest", "suggest x.mid --seconds 0",
          "suggest x.mid --seconds 1e3", "suggest x.mid --seconds -2", "suggest x.mid --seconds 4000",
          "suggest x.mid -o y.mid", "suggest x.mid --from 0", "suggest x.mid --track 1"}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.code, 64) << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("corvina-midi clip FILE --track N --channel C"), std::string::npos);
    EXPECT_EQ(Tool("--version").out.rfind("corvina-midi ", 0), 0u);
}

TEST_F(CorvinaMidiToolTest, SuggestPrintsTheEnginesClipAsJsonAndTellsNoNotesAndWrongUsageApart)
{
    const bench::SChorusSong chorusSong = bench::GenerateChorusSong(7);
    const std::string song = Write("song.mid", bench::SongFile(chorusSong.notes, chorusSong.dwTempo));
    CMidiFile file;
    ASSERT_EQ(file.Load(song), kMidiLoadOk);
    const auto json = [](const SClipSuggestion& s) {
        return "{\"from_ms\": " + std::to_string(s.dwFromMs) + ", \"to_ms\": " + std::to_string(s.dwToMs) +
               ", \"repeats\": " + std::to_string(s.Repeats()) + ", \"transposed\": [" + List(s.ReturnSemitones()) +
               "], ";
    };
    const SClipSuggestion all = SuggestClip(CollectNotes(file, -1, -1), {20});
    ASSERT_EQ(all.eBasis, EClipBasis::kRepetition);
    const ToolRun run = Ok("suggest " + song + " --seconds 20");
    EXPECT_TRUE(run.out.starts_with(json(all))) << run.out;
    EXPECT_NE(run.out.find("\"basis\": \"repetition\", \"reason\": \"returns "), std::string::npos) << run.out;

    const std::vector<SMidiNote> notes = CollectNotes(file, -1, -1);
    const SMidiNote& some = notes.back();
    const std::string one = " --track " + std::to_string(some.nTrack) + " --channel " + std::to_string(some.byChannel);
    const ToolRun chosen = Ok("suggest " + song + one);
    EXPECT_TRUE(chosen.out.starts_with(json(SuggestClip(CollectNotes(file, some.nTrack, some.byChannel)))))
        << chosen.out;

    int silent = 0;
    while (!CollectNotes(file, 0, silent).empty())
        ++silent;
    EXPECT_EQ(Tool("suggest " + song + " --track 0 --channel " + std::to_string(silent)).code, 3);
    EXPECT_EQ(Tool("suggest " + (m_dir / "nothing.mid").string()).code, 1);
    const ToolRun wrong = Tool("suggest " + song + " --track 99 --channel 0"); // a track the song lacks
    EXPECT_EQ(wrong.code, 64);
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;
}

TEST_F(CorvinaMidiToolTest, EightSplitsAtOnceWriteWhatOneSplitAloneWrites)
{
    // Each process keeps its temporary files in a folder of its own: runs side by side, on two
    // different files with the same output names, never write into or delete each other's files.
    const std::string files[2] = {(kMidiCorpus / "test-sysex-7f-04-04-master-coarse-tuning.mid").string(),
                                  (kCorpus / "music21-testPrimitive" / "test02.mid").string()};
    std::vector<std::string> expected[2];
    for (int f = 0; f < 2; ++f) {
        const std::filesystem::path alone = Folder("alone" + std::to_string(f));
        Ok("split " + files[f] + " " + alone.string());
        expected[f] = test::AllNames(alone);
        ASSERT_GE(expected[f].size(), 4u);
    }

    std::string script;
    for (int i = 0; i < 8; ++i) {
        const std::filesystem::path out = Folder("run" + std::to_string(i));
        script += "(" + kTool + " split " + files[i % 2] + " " + out.string() + " >/dev/null 2>&1; echo $? >" +
                  (out / "code").string() + ") & ";
    }
    ASSERT_EQ(std::system(("/bin/sh -c '" + script + "wait'").c_str()), 0);

    for (int i = 0; i < 8; ++i) {
        const std::filesystem::path out = m_dir / ("run" + std::to_string(i));
        const std::filesystem::path alone = m_dir / ("alone" + std::to_string(i % 2));
        EXPECT_EQ(ReadFile(out / "code"), "0\n") << "run " << i;
        EXPECT_EQ(test::AllNames(out).size(), expected[i % 2].size() + 1) << "run " << i << " (its files and code)";
        for (const auto& name : expected[i % 2])
            EXPECT_EQ(ReadFile(out / name), ReadFile(alone / name)) << "run " << i << ": " << name;
    }
}

TEST_F(CorvinaMidiToolTest, MelodyWritesTheTuneOfASongAndNothingForAClipWithoutOne)
{
    const bench::STuneSong song = bench::GenerateTuneSong(5, 20);
    const std::string source = Write("song.mid", bench::SongFile(song.notes, song.usPerQuarter));
    const ToolRun json = Ok("melody " + source + " --format json");
    EXPECT_NE(json.out.find("\"channel\": " + std::to_string(song.tune.front().byChannel) + ","), std::string::npos);
    EXPECT_NE(json.out.find("\"notes_in_line\": " + std::to_string(song.tune.size()) + ","), std::string::npos);

    const std::string imy = (m_dir / "ring.imy").string();
    const ToolRun cut = Ok("melody " + source + " --all --from 0 --to 0:15 --max-notes 12 --format imelody -o " + imy);
    EXPECT_LE(std::stoi(cut.out), 12);
    EXPECT_NE(cut.err.find("kept " + std::to_string(std::stoi(cut.out)) + " of the line's"), std::string::npos)
        << cut.err;
    EXPECT_EQ(ReadFile(imy).rfind("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:ring\r\nBEAT:", 0), 0u);
    const ToolRun rtttl = Ok("melody " + source + " --format rtttl -o " + (m_dir / "ring.txt").string());
    EXPECT_EQ(ReadFile(m_dir / "ring.txt").rfind("ring:d=", 0), 0u);

    // Drums only, and a track and channel without notes: a message, no file.
    const std::string drums =
        Write("drums.mid", Header(0, 1, 96) + Track(Bytes({0x00, 0x99, 36, 100, 0x30, 0x89, 36, 0}) + kEnd));
    const std::string none = (m_dir / "none.imy").string();
    const ToolRun onlyDrums = Tool("melody " + drums + " --format imelody -o " + none);
    EXPECT_EQ(onlyDrums.code, 3);
    EXPECT_EQ(onlyDrums.err,
              "corvina-midi: the clip has only drums (channel 10): there is no tune to take; nothing written\n");
    EXPECT_EQ(Tool("melody " + drums + " --track 0 --channel 2 --format rtttl -o " + none).code, 3);
    EXPECT_FALSE(std::filesystem::exists(none));
    for (const char* args : {"", " --format wav -o x", " --format imelody", " --max-notes 0 --format json",
                             " --track 3 --channel 0 --format json"})
        EXPECT_EQ(Tool("melody " + drums + args).code, 64) << args;
}

} // namespace
} // namespace corvina::test
