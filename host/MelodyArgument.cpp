// Converting an iMelody file given to the program into a MIDI file the editor can open.
#include "MelodyArgument.h"

#include "PreviewFile.h"
#include "TempFolder.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace corvina {

namespace fs = std::filesystem;

MelodyArgument::~MelodyArgument()
{
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

std::string MelodyArgument::Open(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext != ".imy")
        return path;
    std::error_code ec;
    if (m_folder.empty()) {
        // Inside the process's own temporary folder, which goes away even after a crash.
        const fs::path folder = ProcessTempFolder() / "melody-arguments";
        fs::create_directories(folder, ec);
        if (ec)
            return path;
        m_folder = folder;
    }
    // The converted copy keeps the melody's name, which is what the Melodies page shows.
    const fs::path converted = m_folder / fs::path(path).filename().replace_extension(".mid");
    if (!fs::is_regular_file(path, ec) || MakePreviewFile(path, converted) != 0 || !fs::exists(converted, ec))
        return path;
    return converted.string();
}

} // namespace corvina
