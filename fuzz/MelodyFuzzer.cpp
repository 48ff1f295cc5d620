// Fuzz target for the melody library: any text is read as iMelody and, when it reads, exported as a
// Standard MIDI File, as the file dialog's preview converts .imy files. The export must stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "MelodyLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    corvina::Melody melody;
    try {
        corvina::ImportiMelody(in, melody);
    } catch (const corvina::unsupported_format&) {
        return 0;
    }
    // The bound comes from the input's first byte, so cut and whole exports are both tried.
    const std::int32_t bound =
        size > 0 && (data[0] & 1) ? static_cast<std::int32_t>(data[0]) * 100 : corvina::kUnboundedSmfLength;
    std::ostringstream out;
    const int notes = corvina::ExportSMF(melody, out, bound);
    // Every event takes at least four bytes; the file holds the bounded events and a few fixed ones.
    if (notes < 0 || notes > corvina::kMaxSmfEvents / 2 ||
        out.str().size() > static_cast<std::size_t>(corvina::kMaxSmfEvents) * 9 + melody.Name.size() + 200)
        std::abort();
    return 0;
}
