// The ringing lines a phone type offers on the tones page: their names, their line types and the
// text of the label above the line chooser.
#pragma once

#include <string>
#include <vector>

namespace corvina {

class CGroupMgr;
class CResource;

// The lines of one phone, in the order the line chooser shows them.
struct RingingLineTable {
    unsigned nLabelId = 527;            // text of the label beside the chooser: 541 or 527
    std::vector<std::string> LineNames; // one name per chooser entry
    std::vector<int> LineTypes;         // eProfileSettingsType of each entry, parallel to LineNames
};

// Row counts of the caller-group family's line table.
constexpr int kR41RowsWithGlidex = 21;
constexpr int kR41RowsWithoutGlidex = 19;

// True for the model codes whose phones have a slider and so the "Open/Close Glidex" lines.
bool HasGlidexLines(const std::string& phoneType);
// Number of rows of the caller-group family's line table for a phone type (21 or 19).
int R41RowCount(const std::string& phoneType);

// Builds the lines of the connected phone. hasOwner: the page is attached to a main dialog;
// isR41: that dialog's caller-group family test for the phone type.
RingingLineTable BuildRingingLines(const std::string& phoneType, const std::string& imei, bool hasOwner, bool isR41,
                                   const CResource& strings, const CGroupMgr& groups);

} // namespace corvina
