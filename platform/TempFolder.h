// The process's own temporary folder: every temporary file of this process lives inside it, so two
// editors, or the editor and a command-line tool, never share temporary names.
#pragma once

#include <filesystem>

namespace corvina {

// This process's private folder, made with mkdtemp inside the system's temporary folder on first use
// and removed when the process exits. Folders left behind by processes that crashed are removed then.
// Falls back to the system's temporary folder itself if no folder can be made there.
std::filesystem::path ProcessTempFolder();

// Removes folders of processes that no longer run from parent (the system's temporary folder when
// empty); returns how many were removed. A folder belongs to a running process while its lock is held.
int RemoveStaleTempFolders(const std::filesystem::path& parent = {});

} // namespace corvina
