// Icons, bitmaps and cursors by resource id: the desktop's icon theme where a stock icon fits,
// otherwise the images compiled into the editor.
#pragma once

#include <wx/bitmap.h>
#include <wx/cursor.h>

namespace corvina {

// The icon or bitmap with the id, scaled to width x height when both are given (0: natural size).
// An unknown id gives an invalid bitmap.
wxBitmap LoadImageBitmap(int id, int width = 0, int height = 0);
// The cursor with the id (106, 107, 108); the arrow cursor for an unknown id.
wxCursor LoadImageCursor(int id);

} // namespace corvina
