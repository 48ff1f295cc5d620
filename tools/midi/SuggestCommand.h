// corvina-midi suggest: the clip the editor would propose for a file, as JSON.
#pragma once

#include <string>
#include <vector>

namespace corvina::tool {

// Runs "suggest FILE [--all | --track N --channel C] [--seconds S]" with the arguments after the
// subcommand; prints the suggestion and gives the exit code.
int RunSuggest(const std::vector<std::string>& args);

} // namespace corvina::tool
