// Small rules of the tones page: the volume shown before the phone is asked, which controls are
// enabled, and the values a read-out starts from.
#pragma once

#include <string>

namespace corvina {

// The volume shown for a line of a phone that is not asked per line: the middle of the scale.
long MidVolume(long volStart, long volEnd);

// Tone list, line chooser and track bar: usable once the phone was read and is connected.
bool TonesControlsEnabled(bool wasRead, bool connected);
// Ringer radios and vibration check box, for a page attached to a main dialog: never for "R15"
// (exact case), else when the page is usable and the phone is not of the platform family.
bool RingerControlsEnabled(const std::string& phoneType, bool enabled);
// Play-on-phone buttons: by file name when the current file is playable, by index when the page
// is usable; never on the platform family.
bool PlayButtonsEnabled(const std::string& phoneType, bool rtByFilename, bool curFilePlayable, bool enabled);
// Whether a line change rebuilds the scale and makes the line current in the main dialog
// (the platform family reads its lines' settings from the phone instead).
bool LineChangeUpdatesMainDialog(const std::string& phoneType);
// A line chooser selection that names one of the lines.
bool IsValidLineSelection(long index, long lineCount);
// Label beside the line chooser before the lines are built: "Profile:" by file name, else "Settings for:".
unsigned InitialLineLabelId(bool rtByFilename);

} // namespace corvina
