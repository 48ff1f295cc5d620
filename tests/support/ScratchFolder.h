// A private folder for one test (or fuzzing run), removed with everything in it, and whole-file reads
// and writes.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace corvina::test {

class ScratchFolder {
public:
    // A fresh folder corvina-NAME-XXXXXX below `under` (the temporary folder, which honours TMPDIR):
    // processes running side by side never share one.
    explicit ScratchFolder(const std::string& name = "test",
                           const std::filesystem::path& under = std::filesystem::temp_directory_path())
    {
        std::string pattern = (under / ("corvina-" + name + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder below " + under.string());
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        // Read-only files and folders made by a test must not stop the clean-up.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Writes the bytes as the file `name` below the folder (making its folders) and returns its path.
    std::filesystem::path Write(const std::filesystem::path& name, const std::string& bytes) const
    {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::filesystem::path m_path;
};

// Every name in the folder, hidden ones too, sorted.
inline std::vector<std::string> AllNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Where scratch folders that every run of a fuzzer writes into go: memory when /dev/shm can be written.
inline std::filesystem::path FastTemporaryFolder()
{
    return ::access("/dev/shm", W_OK) == 0 ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
}

// The bytes of a file ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace corvina::test
