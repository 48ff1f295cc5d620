// Tells the virtual phone at once when a file lands in one of its standard folders, so that it
// numbers the tone then, as a phone does when a file is written to it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvina {

class CFileLandingWatch {
public:
    CFileLandingWatch() = default;
    ~CFileLandingWatch();
    CFileLandingWatch(const CFileLandingWatch&) = delete;
    CFileLandingWatch& operator=(const CFileLandingWatch&) = delete;

    // Watches the folders for files that are completed, moved in, moved out or removed; false when
    // the system offers no watch (the phone then numbers on its idle scan only).
    bool Watch(const std::vector<std::filesystem::path>& folders);
    // The descriptor that becomes readable when something landed or left; -1 when not watching.
    int Fd() const { return m_fd; }
    // Reads the pending events; true when one of them concerns a file the phone keeps (the
    // transfer's own dot files, such as partial uploads, do not count).
    bool TakeEvents();

private:
    int m_fd = -1;
};

} // namespace corvina
