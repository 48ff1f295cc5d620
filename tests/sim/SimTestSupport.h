// Shared helpers of the virtual phone's tests: a phone of one type on a state folder, and that phone
// on its line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CAtCommandEngine.h"
#include "CFaultPlan.h"
#include "CPhoneState.h"
#include "CSimPhone.h"
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
    // Runs the steps in turn, each "command -> answer" with the answer's lines parted by '|'; a
    // failure names the step by its place in the list.
    void Expect(const std::vector<std::string>& steps)
    {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const std::size_t arrow = steps[i].find(" -> ");
            std::vector<std::string> answer{""};
            for (char c : steps[i].substr(arrow + 4))
                if (c == '|')
                    answer.emplace_back();
                else
                    answer.back().push_back(c);
            EXPECT_EQ(engine->Execute(steps[i].substr(0, arrow)), answer) << "step " << i + 1 << ": " << steps[i];
        }
    }
};

// The phone on its line, with the fault plan the line consults.
struct SSimulatedLine {
    ScratchFolder dir;
    SSimulatedPhone phone;
    CFaultPlan faults;
    CSimPhone line;

    explicit SSimulatedLine(const std::string& type) : phone(dir.Path(), type), line(*phone.engine, faults) {}
};

// One field of each reply of the line, in order.
template <class T>
std::vector<T> Each(const std::vector<SSimReply>& replies, T SSimReply::*field)
{
    std::vector<T> values;
    for (const SSimReply& reply : replies)
        values.push_back(reply.*field);
    return values;
}
// The bytes the line sent back for each command, in order.
inline std::vector<std::string> Answers(const std::vector<SSimReply>& replies)
{
    return Each(replies, &SSimReply::strBytes);
}

} // namespace corvina::test
