// The module's icons, bitmaps and cursors by id, as PNG images compiled into the library.
#pragma once

#include <cstddef>

namespace corvina {

struct ImageResource {
    int id;                   // icon, bitmap or cursor id (cursors: 106, 107, 108)
    const unsigned char* png; // PNG bytes
    std::size_t size;
    int width, height; // pixels
    int hotX, hotY;    // cursor hot spot; 0 for icons and bitmaps
};

// The image with the given id, or nullptr.
const ImageResource* FindImageResource(int id);

} // namespace corvina
