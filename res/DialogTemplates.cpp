// The editor's seven dialog templates: the main dialog, both pages, the play sub-dialogs, the
// file-open extension and the clip editor, in dialog units of the 8-point template font.
#include "DialogTemplate.h"

#include <iterator>

namespace corvina {

namespace {

constexpr std::uint32_t V = CS_VISIBLE;
constexpr std::uint32_t VT = CS_VISIBLE | CS_TABSTOP;
// The time fields of the clip editor: bordered, centred, typed into only through their own logic.
constexpr std::uint32_t kTimeField = CS_BORDER | CS_CENTER | CS_READONLY | CS_AUTOHSCROLL | CS_TABSTOP;

constexpr ControlTemplate kMain[] = {
    {4541, ControlClass::IconButton, "Auslesen...", VT, 364, 26, 92, 16, 0},
    {4531, ControlClass::TabControl, "Tab1", V, 7, 36, 449, 266, 0},
};

constexpr ControlTemplate kTonesPage[] = {
    {4559, ControlClass::DropList, "", VT | CS_VSCROLL, 7, 19, 180, 176, 0},
    {4560, ControlClass::ListView, "List2",
     V | CS_REPORT | CS_SINGLESEL | CS_SHOWSELALWAYS | CS_NOCOLUMNHEADER | CS_BORDER, 7, 52, 180, 172, 0},
    {4501, ControlClass::TrackBar, "Slider2", VT | CS_AUTOTICKS | CS_TICKSTOP | CS_NOTICKS, 265, 55, 90, 18, 0},
    {4561, ControlClass::RadioButton, "Ein...", VT | CS_GROUP, 222, 95, 42, 10, 0},
    {4510, ControlClass::RadioButton, "Aus...", VT, 222, 108, 42, 10, 0},
    {4511, ControlClass::RadioButton, "Beep...", VT, 222, 119, 42, 10, 0},
    {4512, ControlClass::CheckBox, "Vibration...", VT, 270, 108, 49, 10, 0},
    {4545, ControlClass::Static, "Einstellungen für:...", VT | CS_GROUP, 7, 7, 113, 8, 0},
    {4546, ControlClass::Static, "Rufton im Handy:...", V | CS_GROUP, 7, 40, 92, 8, 0},
    {4547, ControlClass::Static, "Lautstärke:...", V | CS_GROUP, 212, 52, 50, 8, 0},
    {4548, ControlClass::GroupBox, "Rufton...", V, 212, 79, 140, 60, 0},
    // Lies over the tones list while the phone is read out; hidden otherwise.
    {4608, ControlClass::Static, "...Liste wird geladen ...", CS_GROUP, 7, 52, 180, 172, 0},
};

// 4524 and 4607 share one place; the page shows whichever fits the phone. They reach almost to the
// play-on-phone box (placed at x 531 in template pixels, 354 units), so that file names on the
// phone and slot names in every language show whole.
constexpr int kDestinationWidth = 196;
constexpr ControlTemplate kMelodiesPage[] = {
    {4566, ControlClass::IconButton, "", VT, 25, 199, 90, 16, 0},
    {4524, ControlClass::DropList, "", VT | CS_SORT | CS_VSCROLL, 146, 200, kDestinationWidth, 43, 0},
    {4604, ControlClass::CheckBox, "Phone accepts MultiChannel", CS_TABSTOP, 16, 185, 107, 10, 0},
    {4527, ControlClass::GroupBox, "", V, 7, 177, 432, 62, 0},
    {4607, ControlClass::DropDown, "", VT | CS_VSCROLL, 146, 200, kDestinationWidth, 45, 0},
};

constexpr ControlTemplate kPlayInfo[] = {
    {kNoId, ControlClass::StaticIcon, "", V, 17, 7, 20, 20, 4504},
    {4557, ControlClass::IconButton, "Button1", VT, 3, 25, 16, 16, 0},
    {4577, ControlClass::IconButton, "Button1", VT, 23, 25, 16, 16, 0},
    {4535, ControlClass::Edit, "", VT | CS_BORDER | CS_AUTOHSCROLL, 49, 4, 27, 14, 0},
    {4578, ControlClass::Edit, "", VT | CS_BORDER | CS_AUTOHSCROLL, 49, 19, 27, 14, 0},
    {4549, ControlClass::PushButton, "Info", VT, 106, 14, 17, 14, 0},
};

constexpr ControlTemplate kPlay[] = {
    {kNoId, ControlClass::StaticIcon, "", V, 17, 6, 20, 20, 4563},
    {4557, ControlClass::IconButton, "Button1", VT | CS_CENTER | CS_VCENTER, 3, 25, 16, 16, 0},
    {4577, ControlClass::IconButton, "Button1", VT, 23, 25, 16, 16, 0},
};

// 1119 is the placeholder where the file dialog puts its own controls.
constexpr ControlTemplate kFileOpen[] = {
    {1119, ControlClass::GroupBox, "", 0, 7, 7, 158, 102, 0},
    {kNoId, ControlClass::Static, "", V, 185, 27, 46, 46, 0},
    {kNoId, ControlClass::StaticIcon, "", V, 203, 34, 20, 20, 4504},
    {4557, ControlClass::IconButton, "Button1", VT, 190, 53, 16, 16, 0},
    {4577, ControlClass::IconButton, "Button1", VT, 210, 53, 16, 16, 0},
};

constexpr ControlTemplate kClipEditor[] = {
    {4593, ControlClass::StaticBitmap, "", V, 0, 132, 343, 12, 4067},
    {4594, ControlClass::StaticBitmap, "", 0, 289, 81, 47, 17, 4532},
    {4595, ControlClass::Edit, "", V | kTimeField, 18, 107, 40, 14, 0},
    {4596, ControlClass::Edit, "", V | kTimeField, 73, 108, 40, 14, 0},
    {4597, ControlClass::Edit, "", V | kTimeField, 131, 107, 40, 14, 0},
    {4598, ControlClass::Edit, "", kTimeField, 303, 105, 40, 14, 0},
    {4599, ControlClass::Edit, "", V | kTimeField, 246, 107, 40, 14, 0},
    {4574, ControlClass::ListView, "List1",
     V | CS_REPORT | CS_SINGLESEL | CS_SHOWSELALWAYS | CS_NOSORTHEADER | CS_BORDER, 0, 26, 106, 72, 0},
    {4606, ControlClass::Static, "Spurlänge:...", V | CS_RIGHT | CS_GROUP, 185, 109, 64, 8, 0},
    {4582, ControlClass::Edit, "", VT | CS_BORDER | CS_READONLY | CS_AUTOHSCROLL, 0, 0, 96, 12, 0},
    {4605, ControlClass::Static, "Länge:...", V | CS_GROUP, 196, 1, 29, 8, 0},
    {4583, ControlClass::Edit, "", V | kTimeField, 230, 0, 50, 12, 0},
    {4516, ControlClass::IconButton, "", VT, 218, 51, 92, 16, 0},
    {4564, ControlClass::IconButton, "", VT, 218, 29, 92, 16, 0},
};

constexpr const char* kFont = "MS Sans Serif";
constexpr int kFontPoints = 8;

constexpr DialogTemplate kDialogs[] = {
    {4500, 464, 307, DS_CHILD, kFont, kFontPoints, kMain, std::size(kMain)},
    {4558, 442, 231, DS_CHILD, kFont, kFontPoints, kTonesPage, std::size(kTonesPage)},
    {4502, 446, 246, DS_CHILD, kFont, kFontPoints, kMelodiesPage, std::size(kMelodiesPage)},
    {4503, 128, 44, DS_CHILD | DS_MODALFRAME, kFont, kFontPoints, kPlayInfo, std::size(kPlayInfo)},
    {4562, 43, 44, DS_CHILD | DS_MODALFRAME, kFont, kFontPoints, kPlay, std::size(kPlay)},
    {4508, 255, 116, DS_CHILD | DS_VISIBLE | DS_CLIPSIBLINGS, kFont, kFontPoints, kFileOpen, std::size(kFileOpen)},
    {4563, 343, 151, DS_CHILD | DS_TRANSPARENT, kFont, kFontPoints, kClipEditor, std::size(kClipEditor)},
};

constexpr const DialogTemplate* kDialogList[] = {&kDialogs[0], &kDialogs[1], &kDialogs[2], &kDialogs[3],
                                                 &kDialogs[4], &kDialogs[5], &kDialogs[6]};
static_assert(std::size(kDialogList) == std::size(kDialogs));

} // namespace

namespace {

// The clip editor, by rows: the file row; the track list with its play panel (4503), the sound it
// plays with, the suggestion and the clip's limits; the track and player lengths above the clip
// fields; the ruler beside them.
constexpr PixelPlace kClipEditorPixels[] = {
    {4564, 0, 0, 22, 22},
    {4516, 30, 0, 22, 22},
    {4582, 60, 1, 218, 20},
    {4605, 288, 3, 50, 20},
    {4583, 348, 1, 50, 20},
    {4574, 0, 50, 170, 155},
    {4503, 208, 50, 70, 76},
    {4740, 290, 52, 170, 20},
    {4741, 290, 74, 170, 20},
    {4759, 470, 50, 150, 24},
    {4742, 290, 104, 380, 20},
    // One line, right-aligned against its field, reaching left up to the track list: long words
    // ("Длина дорожки:") stay on one line instead of wrapping down onto the note strip.
    {4606, 172, 188, 102, 20},
    {4599, 278, 185, 50, 20},
    {4598, 568, 185, 50, 20},
    {4595, 0, 230, 50, 20},
    {4596, 60, 230, 50, 20},
    {4597, 120, 230, 50, 20},
    {4593, 208, 230, 440, 20},
};

} // namespace

std::span<const PixelPlace> FindPixelPlaces(int dialogId)
{
    if (dialogId == 4563)
        return kClipEditorPixels;
    return {};
}

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& dialog : kDialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

const DialogTemplate* const* AllDialogTemplates(std::size_t& count)
{
    count = std::size(kDialogList);
    return kDialogList;
}

} // namespace corvina
