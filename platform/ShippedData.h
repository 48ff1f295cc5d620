// Where the files shipped with the programs (registry files, tones) are found: beside the running
// program, as <prefix>/bin/program and <prefix>/share/corvina. A build folder has the same layout.
#pragma once

#include <filesystem>

namespace corvina {

// The folder of the shipped data: the running program's folder, then the install's path from the
// programs' folder to the data folder (normally ../share), then "corvina". Empty when the running
// program cannot be found.
std::filesystem::path ShippedDataFolder();

} // namespace corvina
