// What the subcommands of corvina-midi share: exit codes, loading like the editor, and the clip
// options ("--track N --channel C" or "--all", "--from T --to T", "-o OUT").
#pragma once

#include "CMidiFile.h"
#include "NoteList.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace corvina::tool {

constexpr int kExitOk = 0;
constexpr int kExitLoad = 1;
constexpr int kExitWrite = 2;
constexpr int kExitNoNotes = 3;
constexpr int kExitUsage = 64;

// Prints "corvina-midi: MESSAGE (try --help)" and gives kExitUsage.
int UsageError(const std::string& message);
// The reader's words for a load result.
std::string LoadMessage(int result);
// Whole decimal number within [0, limit].
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t limit);
// Milliseconds ("1500") or minutes:seconds with up to three decimals ("1:02.5"), as microseconds.
std::optional<std::uint32_t> ParseClock(std::string_view text);
// Loads the file, waiting while another reader holds it. Returns the load's result.
int LoadWaiting(CMidiFile& file, const std::string& path);
// Loads like the editor: the file, then its per-channel files. Returns an exit code, or -1 when
// loaded; the failure is printed (and, with printFailureJson, {"result": N} on standard output).
int LoadLikeEditor(CMidiFile& file, const std::string& path, bool printFailureJson);

// The clip a subcommand works on, and its other options.
struct SClipChoice {
    std::string input;                       // FILE
    std::string output;                      // -o OUT; empty when not given
    bool all = false;                        // --all
    std::optional<int> track;                // --track N (0-based)
    std::optional<int> channel;              // --channel C (0 to 15)
    std::optional<std::uint32_t> fromUs;     // --from T / --from-us S
    std::optional<std::uint32_t> toUs;       // --to T / --to-us E
    std::map<std::string, std::string> more; // the command's own options with their values
    std::set<std::string> flags;             // the command's own options without a value
};

// Reads the arguments after the subcommand. valued: the command's own options that take a value;
// flags: those that take none. Gives an empty text when they are well formed, else what is wrong.
// Checked here: one FILE, --all or both --track and --channel (unless selectionOptional and neither
// is given, which means --all), times that read.
std::string ParseClipChoice(const std::vector<std::string>& args, const std::set<std::string>& valued,
                            const std::set<std::string>& flags, bool selectionOptional, SClipChoice& choice);

// The notes of the chosen track and channel (or all), cut to the chosen times (the whole file when
// none are given).
std::vector<SMidiNote> ChosenNotes(const CMidiFile& file, const SClipChoice& choice);

} // namespace corvina::tool
