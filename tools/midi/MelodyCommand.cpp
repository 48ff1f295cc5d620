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
#include "MelodyLineText.h"
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
    std::string json = "{\"track\": " + std::to_string(line.nTrack) +
                       ", \"channel\": " + std::to_string(line.nChannel) +
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

    const bool rtttl = format == "rtttl";
    const SMelodyText written = MelodyLineText(
        file, choice.all ? -1 : *choice.track, choice.all ? -1 : *choice.channel, choice.fromUs.value_or(0),
        choice.toUs.value_or(UINT32_MAX), maxNotes.value_or(0), rtttl ? eMelodyFormat::RTTTL : eMelodyFormat::iMelody,
        std::filesystem::path(choice.output).stem().string());
    if (written.eResult != eMelodyLineResult::Ok) {
        std::fprintf(stderr, "corvina-midi: %s; nothing written\n", MelodyLineMessage(written.eResult).c_str());
        return kExitNoNotes;
    }
    const SMelodyLine& line = written.line;
    if (written.bCut)
        std::fprintf(stderr, "corvina-midi: kept %zu of the line's %zu notes (at most %llu), cut %s\n",
                     line.notes.size(), written.nTotal, static_cast<unsigned long long>(*maxNotes),
                     written.bAtPhraseEnd ? "at a phrase end" : "at the limit");
    std::string text;
    if (format == "json") {
        text = LineJson(line, written.nTotal, written.nBeat);
        if (choice.output.empty()) {
            std::fputs(text.c_str(), stdout);
            return kExitOk;
        }
    } else if (!written.strError.empty()) {
        std::fprintf(stderr, "corvina-midi: the melody cannot be written: %s\n", written.strError.c_str());
        return kExitWrite;
    } else {
        text = written.strText;
    }
    if (!WriteFile(choice.output, text)) {
        std::fprintf(stderr, "corvina-midi: cannot write %s\n", choice.output.c_str());
        return kExitWrite;
    }
    std::printf("%zu\n", line.notes.size());
    return kExitOk;
}

} // namespace corvina::tool
