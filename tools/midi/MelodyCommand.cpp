// corvina-midi melody: picks the sung line of a clip, cuts it to a phone's note limit at a phrase end
// and writes it as iMelody, RTTTL or JSON. Nothing is written when the clip has no line.
#include "MelodyCommand.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "MelodyLibrary.h"
#include "MelodyLine.h"
#include "MidiToolSupport.h"

namespace corvina::tool {
namespace {

// Far above any phone's limit, low enough that nobody mistypes a size for it.
constexpr std::uint64_t kMostNotes = 1000000;

std::uint32_t Ms(std::uint32_t us)
{
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(us) + 500) / 1000);
}

// The line as JSON: where it came from, its tempo, and each note as start and length in ms and key.
std::string LineJson(const SMelodyLine& line, std::size_t total, int beat)
{
    std::string json = "{\"track\": " + std::to_string(line.nTrack) + ", \"channel\": " + std::to_string(line.nChannel) +
                       ", \"chordal\": " + (line.bChordal ? "true" : "false") + ", \"beat\": " + std::to_string(beat) +
                       ", \"notes_in_line\": " + std::to_string(total) + ", \"notes\": [";
    for (std::size_t i = 0; i < line.notes.size(); ++i) {
        const SMidiNote& n = line.notes[i];
        // Lengths from the rounded ends, so that notes stay one after the other in milliseconds too.
        json += std::string(i ? ", " : "") + "{\"start_ms\": " + std::to_string(Ms(n.dwStartUs)) +
                ", \"duration_ms\": " + std::to_string(Ms(n.dwEndUs) - Ms(n.dwStartUs)) +
                ", \"key\": " + std::to_string(n.byKey) + "}";
    }
    return json + "]}\n";
}

// Writes the whole text or removes what was begun: a failed write leaves no half file.
bool WriteFile(const std::string& path, const std::string& text)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush())
            return true;
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return false;
}

} // namespace

int RunMelody(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {"--format", "--max-notes"}, {}, true, choice); !error.empty())
        return UsageError("melody: " + error);
    const std::string format = choice.more.count("--format") ? choice.more["--format"] : "";
    if (format != "imelody" && format != "rtttl" && format != "json")
        return UsageError("melody needs --format imelody, rtttl or json");
    std::optional<std::uint64_t> maxNotes;
    if (choice.more.count("--max-notes")) {
        maxNotes = ParseNumber(choice.more["--max-notes"], kMostNotes);
        if (!maxNotes || *maxNotes == 0)
            return UsageError("--max-notes must be a number from 1 to " + std::to_string(kMostNotes));
    }
    if (format != "json" && choice.output.empty())
        return UsageError("melody needs -o OUT");

    CMidiFile file;
    if (const int result = LoadWaiting(file, choice.input); result != kMidiLoadOk) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }
    if (!choice.all && !file.GetTrack(*choice.track))
        return UsageError("the file has no track " + std::to_string(*choice.track));

    SMelodyLine line = ExtractMelodyLine(ChosenNotes(file, choice));
    if (line.eResult != eMelodyLineResult::Ok) {
        std::fprintf(stderr, "corvina-midi: %s; nothing written\n", MelodyLineMessage(line.eResult).c_str());
        return kExitNoNotes;
    }
    const std::size_t total = line.notes.size();
    if (maxNotes && total > *maxNotes) {
        const SMelodyCut cut = CutAtPhraseEnd(line.notes, static_cast<std::size_t>(*maxNotes));
        line.notes.resize(cut.nKept);
        std::fprintf(stderr, "corvina-midi: kept %zu of the line's %zu notes (at most %llu), cut %s\n", cut.nKept, total,
                     static_cast<unsigned long long>(*maxNotes), cut.bAtPhraseEnd ? "at a phrase end" : "at the limit");
    }
    const CMidiTrack* track = file.GetTrack(line.nTrack);
    const int beat = BeatFromTempo(track ? track->GetTempoAt(choice.fromUs.value_or(0)) : file.GetInitialTempo());

    std::string text;
    if (format == "json") {
        text = LineJson(line, total, beat);
        if (choice.output.empty()) {
            std::fputs(text.c_str(), stdout);
            return kExitOk;
        }
    } else {
        std::vector<TimedNote> timed;
        for (const SMidiNote& n : line.notes)
            timed.push_back({n.dwStartUs, n.dwEndUs, n.byKey});
        const bool rtttl = format == "rtttl";
        const Melody melody = MelodyFromLine(timed, beat, rtttl ? eNoteValues::RTTTL : eNoteValues::iMelody,
                                             std::filesystem::path(choice.output).stem().string());
        std::ostringstream out;
        try {
            rtttl ? ExportRTTTL(melody, out) : ExportiMelody(melody, out);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "corvina-midi: the melody cannot be written: %s\n", e.what());
            return kExitWrite;
        }
        text = out.str();
    }
    if (!WriteFile(choice.output, text)) {
        std::fprintf(stderr, "corvina-midi: cannot write %s\n", choice.output.c_str());
        return kExitWrite;
    }
    std::printf("%zu\n", line.notes.size());
    return kExitOk;
}

} // namespace corvina::tool
