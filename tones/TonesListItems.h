// The entries of the tones list: fixed tones, user-defined slots and ringtone files, with the
// item data the platform family's phones need, and the position of the active tone.
#pragma once

#include "STRUCT_RTFILEINFO.h"

#include <string>
#include <vector>

namespace corvina {

class CResource;

constexpr unsigned IDS_MELODY = 505;
constexpr unsigned IDS_USER_DEFINED = 506;
// Images of the list: a tone, and the active tone.
constexpr int kImageTone = 0;
constexpr int kImageActiveTone = 1;
// A profile asking for more fixed or user-defined tones than this is taken as having this many.
constexpr long kMaxToneSlots = 9999;

// One entry of the list.
struct ToneListItem {
    std::string strText;
    int nImage = kImageTone;
    long lData = 0; // the phone's tone number (platform family), else 0
};

// What the list is built from: the phone's profile and the ringtone files of the read-out.
struct TonesListSource {
    bool bRtByFilename = false; // files in the standard folder rather than numbered slots
    std::string strPhoneType;
    long lNumberFixRt = 0;
    long lNumberUserdefRt = 0;
    const std::vector<std::string>* pNames = nullptr;          // ringtone file names, listing order
    const std::vector<STRUCT_RTFILEINFO*>* pRecords = nullptr; // their records, by tone number
};

// All entries of the list, in order. Platform-family records are read with the name entry of the
// same position only while both exist; a record naming a position outside the names adds nothing.
std::vector<ToneListItem> BuildTonesList(const TonesListSource& source, const CResource& strings);

// The entry for a file written to the phone after a transmission.
ToneListItem AddedFileItem(const std::string& name);

// List position of the active tone: by file name the array index, else the tone index made relative.
long ActiveTonePosition(bool rtByFilename, long rtArrayIndex, long rtIndex, long firstUsedIndexRt);
// The tone index for a chosen list position.
long ToneIndexForPosition(long position, long firstUsedIndexRt);
// Position of the first entry whose item data is the tone number, or -1.
long FindToneItem(const std::vector<ToneListItem>& items, long toneNumber);

} // namespace corvina
