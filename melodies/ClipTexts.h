// Texts of the clip editor that follow fixed rules: the file-type filter of its file dialogs, the
// folder they start in, and the rows and column titles of the track list.
#pragma once

#include "CResource.h"

#include <string>

namespace corvina {

// The filter of the open and save dialogs, "MIDI files (*.mid)|*.mid|All files (*.*)|*.*||" in the
// strings' language.
std::string BuildFilter(const CResource& strings);
// The same filter as a wx wildcard: the closing "||" dropped.
std::string FilterToWildcard(const std::string& filter);

// The folder (or file) a file dialog starts with.
struct InitialFolder {
    std::string text;
    bool fromRegistry = false; // the user's melody folder was used because no file gave a folder
};
// With a file open: the saved path if any, else the open file's path; cut to its folder (the part
// before the last '/') when fromCurrentFile. An empty result becomes the user's melody folder
// ("RingingtoneFile") and sets fromRegistry.
InitialFolder GetInitialFolder(bool fileOpen, const std::string& savedPath, const std::string& fileName,
                               bool fromCurrentFile);

// Track list texts: column 0 of a combination's row (its 0-based track index shown from 1), column 1
// (its 0-based channel shown from 1), both columns of the row for all combinations, and the titles.
std::string TrackRowText(int trackIndex);
std::string ChannelRowText(int channel);
std::string AllRowTrackText(const CResource& strings);
std::string AllRowChannelText(const CResource& strings);
std::string TrackColumnTitle(const CResource& strings);
std::string ChannelColumnTitle(const CResource& strings);

} // namespace corvina
