// Fuzz target for the virtual phone's command engine: any bytes are split into command lines and run
// one after another on a phone whose state lives in a scratch folder, and read as a settings file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CAtCommandEngine.h"
#include "ScratchFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const corvina::test::ScratchFolder scratch("phonesim-fuzz", corvina::test::FastTemporaryFolder());
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> problems;
    corvina::CPhoneState::Parse(text, problems);

    // A fresh phone for every input, so a crash can be replayed alone.
    std::error_code ec;
    std::filesystem::remove_all(scratch.Path() / "phone", ec);
    static const std::vector<std::string> kTypes = corvina::CPhoneModel::KnownTypes();
    corvina::CPhoneState state;
    std::string error;
    if (!state.Open(scratch.Path() / "phone", error))
        return 0;
    corvina::CPhoneModel model;
    corvina::CPhoneModel::FromType(kTypes[size % kTypes.size()], model);
    state.ApplyModel(model);
    state.FileSystem().EnsureFolder(model.m_strRtStdFolder);
    state.FileSystem().EnsureFolder(model.m_strImyStdFolder);
    corvina::CAtCommandEngine engine(state, model);
    std::size_t start = 0;
    int commands = 0;
    while (start <= text.size() && commands++ < 64) {
        std::size_t end = text.find('\r', start);
        if (end == std::string::npos)
            end = text.size();
        engine.Respond(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
