// The preview copy that the melody file dialog plays: a MIDI file copied as it is, or an iMelody
// file converted to a Standard MIDI File, always at one path in the temporary folder.
#pragma once

#include <filesystem>

namespace corvina {

// Name of the preview copy inside the temporary folder.
constexpr const char* kPreviewFileName = "rtplayinfileopen.mid";
// String ids of the messages the preview can give.
constexpr unsigned IDS_CANNOT_WRITE_TEMP = 537;
constexpr unsigned IDS_FORMAT_NOT_SUPPORTED = 4021;

// The preview path: the temporary folder followed by kPreviewFileName.
std::filesystem::path DefaultPreviewPath();

// Makes the file writable again for its owner (a copy left write-protected can then be replaced);
// nothing happens when the file does not exist.
void SetNormalAttributes(const std::filesystem::path& path);

// Writes the preview of the selected file into preview: a ".imy" file (any case) is converted, any
// other file copied. Returns the id of the message to show (0 for none): IDS_CANNOT_WRITE_TEMP when
// the copy failed, IDS_FORMAT_NOT_SUPPORTED when the iMelody text cannot be read (the previous preview
// is then left as it was). Other failures of the conversion are dropped; nothing is thrown.
unsigned MakePreviewFile(const std::filesystem::path& selected, const std::filesystem::path& preview);

} // namespace corvina
