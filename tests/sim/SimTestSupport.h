// Shared helpers of the virtual phone's tests: a throw-away state folder and a phone on it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "CAtCommandEngine.h"
#include "CPhoneState.h"

namespace corvina::test {

// A fresh folder below the temporary folder, removed with the object.
class CTempFolder {
public:
    CTempFolder()
    {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("corvina-sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~CTempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A phone of one type with its state in a folder, as the program sets it up.
struct SSimulatedPhone {
    CPhoneState state;
    CPhoneModel model;
    std::unique_ptr<CAtCommandEngine> engine;

    SSimulatedPhone(const std::filesystem::path& dir, const std::string& type)
    {
        std::string error;
        state.Open(dir, error);
        CPhoneModel::FromType(type, model);
        state.ApplyModel(model);
        state.FileSystem().EnsureFolder(model.m_strRtStdFolder);
        state.FileSystem().EnsureFolder(model.m_strImyStdFolder);
        engine = std::make_unique<CAtCommandEngine>(state, model);
    }
    // The answer lines of one command, final result code last.
    std::vector<std::string> Run(const std::string& line) { return engine->Execute(line); }
    // The final result code of one command.
    std::string Final(const std::string& line) { return engine->Execute(line).back(); }
};

inline std::vector<std::string> Lines(std::initializer_list<const char*> items)
{
    return std::vector<std::string>(items.begin(), items.end());
}

}  // namespace corvina::test
