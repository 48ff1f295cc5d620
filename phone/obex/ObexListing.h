// The folder listing an OBEX file service sends (x-obex/folder-listing): read by the volume,
// written by the virtual phone.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace corvina::obex {

// The attribute of a <file> element in which a phone that numbers its tones gives the file's number.
inline constexpr const char* kToneNumberAttribute = "x-tone-number";

// One <file> or <folder> element.
struct SListingEntry {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    // From user-perm: true when the permissions are given and lack W.
    bool readOnly = false;
    // Last change, seconds since 1970; 0 when the listing gives none or an unreadable one.
    std::time_t modified = 0;
    // The phone's number of the tone (x-tone-number, written by phones that number their tones);
    // 0 when the listing gives none.
    std::int32_t toneNumber = 0;
};

// Reads a listing; nothing when the text is no folder-listing (no <folder-listing> element, an
// element or attribute cut off, an entry without a name or with a name holding '/' or '\').
// Unknown elements and attributes are skipped; a tone number that is no positive decimal is none.
std::optional<std::vector<SListingEntry>> ParseFolderListing(const std::string& xml);
// Writes a listing with a parent-folder element when hasParent is set.
std::string FormatFolderListing(const std::vector<SListingEntry>& entries, bool hasParent);

// "20261206T052500Z" (UTC) or "20261206T052500" (local time) to seconds since 1970; nothing for
// other forms.
std::optional<std::time_t> ParseListingTime(const std::string& text);
// Seconds since 1970 to the UTC form.
std::string FormatListingTime(std::time_t t);

} // namespace corvina::obex
