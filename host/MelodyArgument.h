// A melody named on the command line (or by the file manager), made into a file the editor opens:
// a MIDI file as it is, an iMelody file converted into a MIDI file of the same name in a private
// temporary folder, which goes away with this object.
#pragma once

#include <filesystem>
#include <string>

namespace corvina {

class MelodyArgument {
public:
    MelodyArgument() = default;
    ~MelodyArgument();
    MelodyArgument(const MelodyArgument&) = delete;
    MelodyArgument& operator=(const MelodyArgument&) = delete;

    // The path the editor should open for path. An iMelody file that cannot be converted is
    // returned as it is, so that the editor reports it; the user's file is only read.
    std::string Open(const std::string& path);

private:
    std::filesystem::path m_folder; // its folder inside the process's temporary folder, empty until needed
};

} // namespace corvina
