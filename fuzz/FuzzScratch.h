// A private scratch folder for one fuzzing process (memory-backed when /dev/shm can be written),
// removed when the process ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace corvina::fuzz {

struct Scratch {
    explicit Scratch(const char* name)
    {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
        pattern += std::string("corvina-") + name + "-fuzz.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
    }
    ~Scratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Writes the input as a file in the folder and returns its path.
    std::string Write(const char* fileName, const std::uint8_t* data, std::size_t size) const
    {
        const std::string path = (folder / fileName).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            std::abort();
        if (size > 0 && std::fwrite(data, 1, size, file) != size)
            std::abort();
        std::fclose(file);
        return path;
    }

    std::filesystem::path folder;
};

} // namespace corvina::fuzz
