// libFuzzer target: the OBEX folder-listing reader on any text, checking that what it accepts is
// written back and read again to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ObexListing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string xml(reinterpret_cast<const char*>(data), size);
    auto entries = corvina::obex::ParseFolderListing(xml);
    if (!entries)
        return 0;
    for (const auto& entry : *entries)
        if (entry.name.empty() || entry.name.find_first_of("/\\") != std::string::npos)
            std::abort();
    auto again = corvina::obex::ParseFolderListing(corvina::obex::FormatFolderListing(*entries, true));
    if (!again || again->size() != entries->size())
        std::abort();
    for (std::size_t i = 0; i < entries->size(); ++i)
        if ((*again)[i].name != (*entries)[i].name || (*again)[i].folder != (*entries)[i].folder ||
            (*again)[i].readOnly != (*entries)[i].readOnly)
            std::abort();
    return 0;
}
