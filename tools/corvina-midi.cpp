// corvina-midi: the editor's MIDI engine on the command line (file facts, per-channel files, clips).
// Files it writes are the same bytes the editor writes for the same choice.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "CMidiFile.h"
#include "MelodyCommand.h"
#include "MidiToolSupport.h"
#include "VoicesCommands.h"
#include "SuggestCommand.h"

namespace {

using corvina::CMidiFile;

using namespace corvina::tool;

constexpr const char* kUsage =
    "usage: corvina-midi info FILE\n"
    "       corvina-midi split FILE OUTDIR\n"
    "       corvina-midi clip FILE --all (--from-us S | --from T) (--to-us E | --to T) -o OUT\n"
    "       corvina-midi clip FILE --track N --channel C (--from-us S | --from T) (--to-us E | --to T) -o OUT\n"
    "       corvina-midi voices FILE [--all | --track N --channel C] [--from T] [--to T]\n"
    "       corvina-midi fit FILE --voices N [--max-bytes B] -o OUT\n"
    "       corvina-midi render FILE [--all | --track N --channel C] [--from T] [--to T]\n"
    "                    [--as-phone] [--voices N] [--speaker LOW-HIGH] -o OUT.wav\n"
    "       corvina-midi melody FILE [--all | --track N --channel C] [--from T] [--to T] [--max-notes N]\n"
    "                    --format imelody|rtttl|json [-o OUT]\n"
    "       corvina-midi suggest FILE [--all | --track N --channel C] [--seconds S]\n"
    "       corvina-midi --help | --version\n"
    "\n"
    "info   prints the file's facts as JSON (times of note-ons in microseconds).\n"
    "split  writes one file per used track and channel into OUTDIR as rtTTT.C.mid, prints their names.\n"
    "clip   cuts a clip of all tracks, or of track N (0-based) and channel C (0-15), and saves it as OUT;\n"
    "       prints the number of notes. --from-us/--to-us take microseconds, --from/--to take\n"
    "       milliseconds or m:ss.fff; both ends are inclusive.\n"
    "voices prints the most notes that sound at once in the clip (the whole file without clip options)\n"
    "       and when: {\"voices\": N, \"at_ms\": T, \"notes\": K}.\n"
    "fit    writes a copy of a clip file that never needs more than N voices (and, with --max-bytes,\n"
    "       takes at most B bytes) as OUT, ending or leaving out the least important notes first;\n"
    "       prints the voices, bytes and the notes dropped and shortened as JSON.\n"
    "render writes the clip (the whole file without clip options) as a 16-bit WAV file as the PC plays\n"
    "       it, or with --as-phone as a phone does: at most N voices (default: no limit) through a\n"
    "       speaker from LOW to HIGH Hz (default 800-5000).\n"
    "melody writes the tune of a clip (all tracks unless a track and channel are given) as one line of\n"
    "       iMelody or RTTTL into OUT and prints its number of notes, or prints it as JSON (start and\n"
    "       duration in ms, MIDI key; into OUT when given). --max-notes cuts a longer line at a phrase end.\n"
    "suggest prints the clip to cut as JSON: the section heard most often (from_ms, to_ms, repeats,\n"
    "       transposed: each return's semitones against the first), else the stretch with the most\n"
    "       notes; of about S seconds (default 25, within 40 %), of all tracks unless one is chosen.\n"
    "\n"
    "exit status: 0 done, 1 the file cannot be loaded, 2 a file cannot be written,\n"
    "             3 the clip has no notes, or no line to sing (nothing saved), 4 the clip cannot be\n"
    "             fitted, 5 no SoundFont to render with, 64 wrong usage.\n";

// Numbers are formatted into one buffer and written in large pieces: a long file has millions of them.
class NumberPrinter {
public:
    ~NumberPrinter() { Flush(); }
    void Text(std::string_view text)
    {
        if (m_used + text.size() > sizeof m_buffer)
            Flush();
        if (text.size() > sizeof m_buffer) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return;
        }
        std::memcpy(m_buffer + m_used, text.data(), text.size());
        m_used += text.size();
    }
    void Number(std::uint64_t value)
    {
        if (m_used + 24 > sizeof m_buffer)
            Flush();
        m_used = static_cast<std::size_t>(std::to_chars(m_buffer + m_used, m_buffer + sizeof m_buffer, value).ptr -
                                          m_buffer);
    }
    // ", " and a time: the note-on list has millions of them, so this one writes two digits a step
    // from the end of a small buffer and copies the digits once.
    void NextTime(std::uint32_t value)
    {
        static constexpr char kPairs[] =
            "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
            "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
            "8081828384858687888990919293949596979899";
        if (m_used + 16 > sizeof m_buffer)
            Flush();
        char digits[10];
        char* first = digits + sizeof digits;
        while (value >= 100) {
            const std::uint32_t pair = (value % 100) * 2;
            value /= 100;
            *--first = kPairs[pair + 1];
            *--first = kPairs[pair];
        }
        if (value >= 10) {
            *--first = kPairs[value * 2 + 1];
            *--first = kPairs[value * 2];
        } else {
            *--first = static_cast<char>('0' + value);
        }
        char* out = m_buffer + m_used;
        *out++ = ',';
        *out++ = ' ';
        const std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
        std::memcpy(out, first, count);
        m_used += 2 + count;
    }
    void List(const std::vector<std::uint32_t>& values)
    {
        Text("[");
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i)
                Text(", ");
            Number(values[i]);
        }
        Text("]");
    }
    void Flush()
    {
        std::fwrite(m_buffer, 1, m_used, stdout);
        m_used = 0;
    }

private:
    char m_buffer[1 << 16];
    std::size_t m_used = 0;
};

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("info takes exactly one FILE");
    CMidiFile file;
    const int result = LoadWaiting(file, args[0]);
    if (result != corvina::kMidiLoadOk) {
        std::printf("{\"result\": %d}\n", result);
        std::fprintf(stderr, "corvina-midi: %s: %s\n", args[0].c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }

    // The combinations the editor offers are the used channels of each track, in order: the facts
    // need no per-channel file written.
    std::vector<std::pair<int, int>> combinations;
    int fileLength = 0;
    for (int t = 0; t < file.GetTrackCount(); ++t) {
        const corvina::CMidiTrack& track = *file.GetTrack(t);
        for (int c = 0; c < 16; ++c) {
            if (track.IsChannelUsed(c)) {
                combinations.emplace_back(track.GetTrackIndex(), c);
                fileLength = std::max(fileLength, track.GetLengthMs());
            }
        }
    }
    NumberPrinter out;
    out.Text("{\"result\": 0, \"format\": ");
    out.Number(static_cast<std::uint64_t>(file.GetFormat()));
    out.Text(", \"division\": ");
    out.Number(static_cast<std::uint64_t>(file.GetTicksPerQuarter()));
    out.Text(", \"tracks\": ");
    out.Number(static_cast<std::uint64_t>(file.GetTrackCount()));
    out.Text(", \"combinations\": [");
    for (std::size_t i = 0; i < combinations.size(); ++i) {
        out.Text(i ? ", [" : "[");
        out.Number(static_cast<std::uint64_t>(combinations[i].first));
        out.Text(", ");
        out.Number(static_cast<std::uint64_t>(combinations[i].second));
        out.Text("]");
    }
    out.Text("], \"track_lengths_ms\": [");
    for (int i = 0; i < file.GetTrackCount(); ++i) {
        if (i)
            out.Text(", ");
        out.Number(static_cast<std::uint64_t>(file.GetTrack(i)->GetLengthMs()));
    }
    out.Text("], \"file_length_ms\": ");
    out.Number(static_cast<std::uint64_t>(fileLength));
    out.Text(", \"note_on_counts\": ");
    out.List(file.GetNoteOnCounts());
    // The file's list of all note-on times is the tracks' lists one after the other (per track, channel
    // 0 first): printed from those, it is never built.
    out.Text(", \"all_note_on_times\": [");
    bool first = true;
    for (int t = 0; t < file.GetTrackCount(); ++t) {
        for (int c = 0; c < 16; ++c) {
            for (std::uint32_t time : *file.GetTrack(t)->GetNoteOnTimes(c)) {
                if (first)
                    out.Number(time);
                else
                    out.NextTime(time);
                first = false;
            }
        }
    }
    out.Text("]");
    out.Text("}\n");
    return kExitOk;
}

int RunSplit(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return UsageError("split takes FILE and OUTDIR");
    std::error_code ec;
    if (!std::filesystem::is_directory(args[1], ec))
        return UsageError("no such folder: " + args[1]);
    CMidiFile file;
    const int result = LoadWaiting(file, args[0]);
    if (result != corvina::kMidiLoadOk) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", args[0].c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }
    // The editor's writer, straight into OUTDIR: the same bytes as its temporary files, written once.
    const bool written = file.WriteChannelFilesInto(args[1]);
    std::vector<std::string> names;
    for (int i = 0; i < file.GetCombinationCount(); ++i)
        names.push_back(std::filesystem::path(file.GetChannelFileName(i)).filename().string());
    if (!written) {
        std::fprintf(stderr, "corvina-midi: cannot write the per-channel files into %s\n", args[1].c_str());
        return kExitWrite;
    }
    std::fputc('[', stdout);
    for (std::size_t i = 0; i < names.size(); ++i)
        std::printf(i ? ", \"%s\"" : "\"%s\"", names[i].c_str());
    std::printf("]\n");
    return kExitOk;
}

int RunClip(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {}, {}, false, choice); !error.empty())
        return UsageError("clip: " + error);
    if (!choice.fromUs || !choice.toUs)
        return UsageError("clip needs a start and an end time");
    if (choice.output.empty())
        return UsageError("clip needs -o OUT");
    const std::string& input = choice.input;
    const std::string& output = choice.output;
    const bool all = choice.all;
    const std::uint32_t from = *choice.fromUs, to = *choice.toUs;

    CMidiFile file;
    if (const int code = LoadLikeEditor(file, input, false); code >= 0)
        return code;
    int notes = -1;
    if (all) {
        notes = file.WriteClip(from, to);
    } else {
        corvina::CMidiTrack* pTrack = file.GetTrack(*choice.track);
        if (!pTrack)
            return UsageError("the file has no track " + std::to_string(*choice.track));
        notes = pTrack->WriteTrackClip(*choice.channel, from, to);
    }
    if (notes < 0) {
        std::fprintf(stderr, "corvina-midi: the clip cannot be written\n");
        return kExitWrite;
    }
    std::printf("%d\n", notes);
    if (notes == 0) {
        std::fprintf(stderr, "corvina-midi: the clip has no notes; nothing saved\n");
        return kExitNoNotes;
    }
    if (!file.SaveClipAs(output)) {
        std::fprintf(stderr, "corvina-midi: cannot write %s\n", output.c_str());
        return kExitWrite;
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("missing command");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("corvina-midi %s\n", CORVINA_VERSION);
        return kExitOk;
    }
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
    }
    if (command == "info" || command == "split") {
        for (const std::string& arg : args) {
            if (arg.starts_with("-") && arg != "-")
                return UsageError("unknown option " + arg);
        }
        return command == "info" ? RunInfo(args) : RunSplit(args);
    }
    if (command == "clip")
        return RunClip(args);
    if (command == "voices" || command == "fit" || command == "render")
        return command == "voices" ? RunVoices(args) : command == "fit" ? RunFit(args) : RunRender(args);
    if (command == "melody")
        return corvina::tool::RunMelody(args);
    if (command == "suggest")
        return RunSuggest(args);
    return UsageError((command.starts_with("-") ? "unknown option " : "unknown command ") + command);
}
