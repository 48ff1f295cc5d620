// The shared parts of corvina-midi's subcommands.
#include "MidiToolSupport.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace corvina::tool {

std::string LoadMessage(int result)
{
    if (result == corvina::kMidiLoadCannotOpen)
        return "Unable to open specified file. This may be open in another application.";
    return "Format of specified file is not supported!";
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "corvina-midi: %s (try --help)\n", message.c_str());
    return kExitUsage;
}

// Whole decimal number within [0, limit].
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t limit)
{
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

// Milliseconds ("1500") or minutes:seconds with up to three decimals ("1:02.5"), as microseconds.
std::optional<std::uint32_t> ParseClock(std::string_view text)
{
    std::uint64_t ms = 0;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        const auto value = ParseNumber(text, UINT32_MAX);
        if (!value)
            return std::nullopt;
        ms = *value;
    } else {
        const auto minutes = ParseNumber(text.substr(0, colon), 100000);
        std::string_view rest = text.substr(colon + 1);
        const std::size_t dot = rest.find('.');
        const std::string_view secText = rest.substr(0, dot);
        const auto seconds = secText.size() == 2 ? ParseNumber(secText, 59) : std::nullopt;
        std::uint64_t fraction = 0;
        if (dot != std::string_view::npos) {
            std::string_view frac = rest.substr(dot + 1);
            if (frac.empty() || frac.size() > 3)
                return std::nullopt;
            const auto digits = ParseNumber(frac, 999);
            if (!digits)
                return std::nullopt;
            fraction = *digits;
            for (std::size_t i = frac.size(); i < 3; ++i)
                fraction *= 10;
        }
        if (!minutes || !seconds)
            return std::nullopt;
        ms = (*minutes * 60 + *seconds) * 1000 + fraction;
    }
    if (ms * 1000 > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(ms * 1000);
}

constexpr int kLockWaitMs = 10000;
constexpr int kLockRetryMs = 10;

// Loads the file; a file another reader holds is waited for. Returns the load's result.
int LoadWaiting(CMidiFile& file, const std::string& path)
{
    int result = file.Load(path);
    // The reader locks a file only while it reads it; another reader of the same file (the editor,
    // or a second run of this tool in a script) is waited for instead of failing. A file that cannot
    // be read at all fails at once.
    for (int waitedMs = 0; result == corvina::kMidiLoadCannotOpen && waitedMs < kLockWaitMs &&
                           ::access(path.c_str(), R_OK) == 0 && std::filesystem::is_regular_file(path);
         waitedMs += kLockRetryMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kLockRetryMs));
        result = file.Load(path);
    }
    return result;
}

// Loads like the editor: the file, then its per-channel files. Returns an exit code, or -1 when loaded.
int LoadLikeEditor(CMidiFile& file, const std::string& path, bool printFailureJson)
{
    const int result = LoadWaiting(file, path);
    if (result != corvina::kMidiLoadOk) {
        if (printFailureJson)
            std::printf("{\"result\": %d}\n", result);
        std::fprintf(stderr, "corvina-midi: %s: %s\n", path.c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }
    if (!file.WriteChannelFiles()) {
        std::fprintf(stderr, "corvina-midi: It is not possible to write temporary files.\n");
        return kExitWrite;
    }
    return -1;
}

std::string ParseClipChoice(const std::vector<std::string>& args, const std::set<std::string>& valued,
                            const std::set<std::string>& flags, bool selectionOptional, SClipChoice& choice)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool known = arg == "--track" || arg == "--channel" || arg == "--from-us" || arg == "--to-us" ||
                           arg == "--from" || arg == "--to" || arg == "-o" || valued.count(arg);
        if (arg == "--all") {
            choice.all = true;
        } else if (flags.count(arg)) {
            choice.flags.insert(arg);
        } else if (known) {
            if (i + 1 >= args.size())
                return arg + " needs a value";
            const std::string text = args[++i];
            if (arg == "-o") {
                choice.output = text;
            } else if (valued.count(arg)) {
                choice.more[arg] = text;
            } else if (arg == "--track") {
                const auto n = ParseNumber(text, 999);
                if (!n)
                    return "bad track number: " + text;
                choice.track = static_cast<int>(*n);
            } else if (arg == "--channel") {
                const auto n = ParseNumber(text, 15);
                if (!n)
                    return "channel must be 0 to 15: " + text;
                choice.channel = static_cast<int>(*n);
            } else {
                std::optional<std::uint32_t> time;
                if (arg.ends_with("-us")) {
                    if (auto v = ParseNumber(text, UINT32_MAX))
                        time = static_cast<std::uint32_t>(*v);
                } else {
                    time = ParseClock(text);
                }
                if (!time)
                    return "bad time: " + text;
                (arg.starts_with("--from") ? choice.fromUs : choice.toUs) = time;
            }
        } else if (arg.starts_with("-") && arg != "-") {
            return "unknown option " + arg;
        } else if (choice.input.empty()) {
            choice.input = arg;
        } else {
            return "unexpected argument " + arg;
        }
    }
    if (choice.input.empty())
        return "a FILE is needed";
    const bool picked = choice.track.has_value() || choice.channel.has_value();
    if (selectionOptional && !choice.all && !picked)
        choice.all = true;
    if (choice.all == picked)
        return "either --all or --track and --channel is needed";
    if (!choice.all && !(choice.track && choice.channel))
        return "both --track and --channel are needed";
    return {};
}

std::vector<SMidiNote> ChosenNotes(const CMidiFile& file, const SClipChoice& choice)
{
    std::vector<SMidiNote> notes =
        CollectNotes(file, choice.all ? -1 : *choice.track, choice.all ? -1 : *choice.channel);
    if (choice.fromUs || choice.toUs)
        notes = ClipNotes(notes, choice.fromUs.value_or(0), choice.toUs.value_or(UINT32_MAX));
    return notes;
}

} // namespace corvina::tool
