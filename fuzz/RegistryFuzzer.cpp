// Fuzz target for the registry files: any bytes are read as a .reg file (both text encodings go
// through the file reader), then merged as text over it, then looked up.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CRegistryHelper.h"
#include "ScratchFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const corvina::test::ScratchFolder scratch("registry-fuzz", corvina::test::FastTemporaryFolder());
    const std::string path =
        scratch.Write("input.reg", std::string(reinterpret_cast<const char*>(data), size)).string();
    corvina::Registry registry;
    registry.Load({path});
    registry.MergeText(std::string(reinterpret_cast<const char*>(data), size));
    volatile std::size_t sink = registry.Problems().size() +
                                registry.SubKeys(corvina::HKEY_LOCAL_MACHINE, corvina::kPhoneDependenciesKey).size();
    (void)registry.GetString(corvina::HKEY_LOCAL_MACHINE, "Software\\Halvren\\Corvina", "Port");
    (void)sink;
    return 0;
}
