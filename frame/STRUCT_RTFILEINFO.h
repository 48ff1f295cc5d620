// One ringtone file on the phone, as the read-out lists it.
#pragma once

#include <cstdint>

namespace corvina {

struct STRUCT_RTFILEINFO {
    std::int32_t nIndex = 0;        // position of the file's name in the name list (platform phones)
    std::int32_t nToneNumber = 0;   // the phone's number of the tone (platform phones); sort key there
    std::uint32_t dwAttributes = 0; // 0x01 read-only; a file the editor adds gets 0x20
    std::int32_t nNumber = 0;       // the listing's own number; not read by the editor
    double dLastChange = 0.0;       // OLE automation date of the last change
};

} // namespace corvina
