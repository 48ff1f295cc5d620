// The editor's dialog templates as data: control ids, classes, styles, texts and positions in
// dialog units, as laid out for an 8-point "MS Sans Serif" dialog font.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvina {

enum class ControlClass {
    PushButton, // plain push button
    IconButton, // owner-drawn button that shows an icon (and optionally a text)
    DropList,   // combo box, drop-down list
    DropDown,   // combo box, drop-down with edit field
    ListView,   // report-view list
    TrackBar,
    RadioButton, // automatic radio button
    CheckBox,    // automatic check box
    Static,      // static text
    GroupBox,
    StaticIcon,   // static showing an icon at its real size (imageId)
    StaticBitmap, // static showing a bitmap (imageId)
    Edit,
    TabControl,
};

// Style bits of a control template.
enum ControlStyle : std::uint32_t {
    CS_VISIBLE = 1u << 0,
    CS_TABSTOP = 1u << 1,
    CS_GROUP = 1u << 2,
    CS_BORDER = 1u << 3,
    CS_VSCROLL = 1u << 4,
    CS_SORT = 1u << 5,
    CS_READONLY = 1u << 6,
    CS_CENTER = 1u << 7, // text centred (edits, statics)
    CS_RIGHT = 1u << 8,  // text right-aligned (statics)
    CS_AUTOHSCROLL = 1u << 9,
    CS_SINGLESEL = 1u << 10, // list views
    CS_SHOWSELALWAYS = 1u << 11,
    CS_NOCOLUMNHEADER = 1u << 12,
    CS_NOSORTHEADER = 1u << 13,
    CS_REPORT = 1u << 14,
    CS_AUTOTICKS = 1u << 15, // track bars
    CS_TICKSTOP = 1u << 16,
    CS_NOTICKS = 1u << 17,
    CS_VCENTER = 1u << 18, // buttons: text centred vertically too
    CS_DISABLED = 1u << 19,
};

struct ControlTemplate {
    int id; // control id; 0xFFFF (kNoId) for statics without one
    ControlClass cls;
    const char* text;    // template (German) text; "" when none
    std::uint32_t style; // ControlStyle bits
    int x, y, cx, cy;    // dialog units
    int imageId;         // icon or bitmap id for StaticIcon/StaticBitmap, else 0
};

constexpr int kNoId = 0xFFFF;

enum DialogStyle : std::uint32_t {
    DS_CHILD = 1u << 0,
    DS_MODALFRAME = 1u << 1,
    DS_CLIPSIBLINGS = 1u << 2,
    DS_TRANSPARENT = 1u << 3,
    DS_VISIBLE = 1u << 4,
};

struct DialogTemplate {
    int id;
    int cx, cy;           // dialog units
    std::uint32_t style;  // DialogStyle bits
    const char* fontName; // "MS Sans Serif"
    int fontPoints;       // 8
    const ControlTemplate* controls;
    std::size_t controlCount;
};

// A control placed in template pixels (pixels at the template's 8-point font, mirrored and scaled
// with the dialog) instead of dialog units: the clip editor's rows line up pixel by pixel with its
// ruler and note view. Controls the editor makes itself are placed by the same table.
struct PixelPlace {
    int id;           // control id; an embedded panel is named by its template id
    int x, y, cx, cy; // template pixels
};

// The pixel places of a dialog's controls; empty for a dialog laid out in dialog units only.
std::span<const PixelPlace> FindPixelPlaces(int dialogId);

// The template with the given id (4500, 4558, 4502, 4503, 4562, 4508, 4563), or nullptr.
const DialogTemplate* FindDialogTemplate(int id);
// All seven templates.
const DialogTemplate* const* AllDialogTemplates(std::size_t& count);

} // namespace corvina
