// Finding the shipped data relative to the running program, never in the source tree.
#include "ShippedData.h"

#include <system_error>

namespace corvina {

std::filesystem::path ShippedDataFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return {};
    return (exe.parent_path() / CORVINA_BIN_TO_DATA / "corvina").lexically_normal();
}

} // namespace corvina
