// Shared helpers of the virtual phone's tests: a phone of one type on a state folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CAtCommandEngine.h"
#include "CPhoneState.h"
#include "ScratchFolder.h"

namespace corvina::test {

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

} // namespace corvina::test
