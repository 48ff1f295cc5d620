// corvina-midi voices, fit and render. render goes through the PC player's file mode, so the WAV file
// is what the editor's play panel renders for the same clip and sound.
#include "VoicesCommands.h"

#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>

#include "CMciPlayer.h"
#include "ClipFit.h"
#include "MidiToolSupport.h"
#include "Voices.h"

namespace corvina::tool {
namespace {

// Largest clip fit reads: what the player opens.
constexpr std::uintmax_t kLargestClip = 64u << 20;

bool HasClipOptions(const SClipChoice& choice)
{
    return !choice.all || choice.fromUs || choice.toUs;
}

// "800-5000": the speaker's band in Hz, low below high.
bool ParseBand(const std::string& text, int& low, int& high)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    const auto a = ParseNumber(std::string_view(text).substr(0, dash), 100000);
    const auto b = ParseNumber(std::string_view(text).substr(dash + 1), 100000);
    if (!a || !b || *a == 0 || *a >= *b)
        return false;
    low = static_cast<int>(*a);
    high = static_cast<int>(*b);
    return true;
}

} // namespace

int RunVoices(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {}, {}, true, choice); !error.empty())
        return UsageError("voices: " + error);
    if (!choice.output.empty())
        return UsageError("voices writes no file: -o is not one of its options");
    CMidiFile file;
    if (const int result = LoadWaiting(file, choice.input); result != kMidiLoadOk) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }
    if (!choice.all && !file.GetTrack(*choice.track))
        return UsageError("the file has no track " + std::to_string(*choice.track));
    const std::vector<SMidiNote> notes = ChosenNotes(file, choice);
    const SVoicePeak peak = PeakVoices(notes);
    std::printf("{\"voices\": %d, \"at_ms\": %u, \"notes\": %zu}\n", peak.nVoices, (peak.dwAtUs + 500) / 1000,
                notes.size());
    return kExitOk;
}

int RunFit(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {"--voices", "--max-bytes"}, {}, true, choice); !error.empty())
        return UsageError("fit: " + error);
    if (HasClipOptions(choice))
        return UsageError("fit takes the clip file as it is (cut it with clip first)");
    if (!choice.more.count("--voices"))
        return UsageError("fit needs --voices N");
    if (choice.output.empty())
        return UsageError("fit needs -o OUT");
    SClipFitOptions options;
    const auto voices = ParseNumber(choice.more["--voices"], 1024);
    if (!voices || *voices == 0)
        return UsageError("voices must be 1 to 1024: " + choice.more["--voices"]);
    options.nVoices = static_cast<int>(*voices);
    if (choice.more.count("--max-bytes")) {
        const auto bytes = ParseNumber(choice.more["--max-bytes"], kLargestClip);
        if (!bytes || *bytes == 0)
            return UsageError("bad byte limit: " + choice.more["--max-bytes"]);
        options.nMaxBytes = static_cast<std::size_t>(*bytes);
    }

    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(choice.input, ec);
    std::ifstream in(choice.input, std::ios::binary);
    if (ec || !in || size > kLargestClip) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(),
                     ec || !in ? "cannot be read" : "larger than the 64 MiB a clip can have");
        return kExitLoad;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const SClipFitResult fitted = FitClip(bytes, options);
    if (!fitted.Ok()) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(), fitted.strError.c_str());
        return fitted.bReadable ? kExitCannotFit : kExitLoad;
    }
    std::ofstream out(choice.output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(fitted.bytes.data()), static_cast<std::streamsize>(fitted.bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "corvina-midi: cannot write %s\n", choice.output.c_str());
        std::filesystem::remove(choice.output, ec);
        return kExitWrite;
    }
    std::printf("{\"voices\": %d, \"bytes\": %zu, \"dropped\": %zu, \"shortened\": %zu, \"voices_before\": %d, "
                "\"bytes_before\": %zu, \"channel_order_from_file\": %s}\n",
                fitted.nVoices, fitted.bytes.size(), fitted.dropped.size(), fitted.shortened.size(),
                fitted.nVoicesBefore, fitted.nBytesBefore, fitted.bChannelOrderFromFile ? "true" : "false");
    return kExitOk;
}

int RunRender(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {"--voices", "--speaker"}, {"--as-phone"}, true, choice);
        !error.empty())
        return UsageError("render: " + error);
    if (choice.output.empty())
        return UsageError("render needs -o OUT.wav");
    const bool asPhone = choice.flags.count("--as-phone") != 0;
    if (!asPhone && (choice.more.count("--voices") || choice.more.count("--speaker")))
        return UsageError("--voices and --speaker describe a phone: they need --as-phone");
    int voices = 0, low = 800, high = 5000;
    if (choice.more.count("--voices")) {
        const auto n = ParseNumber(choice.more["--voices"], 1024);
        if (!n || *n == 0)
            return UsageError("voices must be 1 to 1024: " + choice.more["--voices"]);
        voices = static_cast<int>(*n);
    }
    if (choice.more.count("--speaker") && !ParseBand(choice.more["--speaker"], low, high))
        return UsageError("the speaker is LOW-HIGH in Hz, low below high: " + choice.more["--speaker"]);

    // A clip is cut as the editor cuts it; without clip options the file plays whole.
    CMidiFile file;
    std::string played = choice.input;
    if (HasClipOptions(choice)) {
        if (const int code = LoadLikeEditor(file, choice.input, false); code >= 0)
            return code;
        const std::uint32_t from = choice.fromUs.value_or(0);
        const std::uint32_t to = choice.toUs.value_or(static_cast<std::uint32_t>(file.GetLengthMs() + 1) * 1000);
        int notes = -1;
        if (choice.all) {
            notes = file.WriteClip(from, to);
        } else {
            CMidiTrack* track = file.GetTrack(*choice.track);
            if (!track)
                return UsageError("the file has no track " + std::to_string(*choice.track));
            notes = track->WriteTrackClip(*choice.channel, from, to);
        }
        if (notes < 0) {
            std::fprintf(stderr, "corvina-midi: the clip cannot be written\n");
            return kExitWrite;
        }
        if (notes == 0) {
            std::fprintf(stderr, "corvina-midi: the clip has no notes; nothing rendered\n");
            return kExitNoNotes;
        }
        played = file.GetClipFileName();
    }

    CMciPlayer player;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    player.SetNotify([&] {
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        ended.notify_all();
    });
    player.SetFile(played);
    player.SetOutputFile(choice.output);
    player.SetPhoneSound(asPhone, voices, low, high);
    if (!player.Play()) {
        switch (player.GetLastFailure()) {
        case EPlayFailure::NoSoundFont:
            std::fprintf(stderr,
                         "corvina-midi: no General MIDI SoundFont (install timgm6mb-soundfont or set \"SoundFont\")\n");
            return kExitNoSoundFont;
        case EPlayFailure::AudioFileFailed:
            std::fprintf(stderr, "corvina-midi: cannot write %s\n", choice.output.c_str());
            return kExitWrite;
        default:
            std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(),
                         LoadMessage(kMidiLoadUnsupported).c_str());
            return kExitLoad;
        }
    }
    {
        std::unique_lock<std::mutex> guard(lock);
        ended.wait(guard, [&] { return done; });
    }
    const std::int32_t length = player.GetLength();
    player.Close();
    // A play that stopped because the file could no longer be written ends like a finished one: the
    // file must hold the whole clip at the byte rate its header gives.
    std::ifstream wav(choice.output, std::ios::binary);
    unsigned char header[44] = {};
    wav.read(reinterpret_cast<char*>(header), sizeof header);
    const std::uint64_t byteRate = header[28] | header[29] << 8 | header[30] << 16 | std::uint64_t{header[31]} << 24;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(choice.output, ec);
    if (!wav || ec || size < 44 + byteRate * static_cast<std::uint64_t>(length) / 1000) {
        std::fprintf(stderr, "corvina-midi: cannot write %s\n", choice.output.c_str());
        return kExitWrite;
    }
    std::printf("{\"length_ms\": %d, \"as_phone\": %s, \"voices\": %d, \"speaker_hz\": [%d, %d]}\n", length,
                asPhone ? "true" : "false", voices, asPhone ? low : 0, asPhone ? high : 0);
    return kExitOk;
}

} // namespace corvina::tool
