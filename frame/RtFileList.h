// The ringtone files on the phone: their names in listing order and their records, with the
// look-ups the pages need (by name, playable types, phone paths, the overwrite warning).
#pragma once

#include "STRUCT_RTFILEINFO.h"

#include <ctime>
#include <string>
#include <vector>

namespace corvina {

class CResource;

// The current time as an OLE automation date (days since 1899-12-30, local time).
double OleDateNow();
// The local time fields of an OLE automation date.
std::tm OleDateFields(double oleDate);

class RtFileList {
public:
    RtFileList() = default;
    ~RtFileList();
    RtFileList(const RtFileList&) = delete;
    RtFileList& operator=(const RtFileList&) = delete;

    std::vector<std::string>& Names() { return m_names; }
    std::vector<STRUCT_RTFILEINFO*>& Records() { return m_records; }
    const std::vector<std::string>& Names() const { return m_names; }
    const std::vector<STRUCT_RTFILEINFO*>& Records() const { return m_records; }

    // Drops every name and deletes every record, last first.
    void Empty();
    // Adds a file the editor wrote: true when the name is new; a known name (ignoring case) only
    // gets its record's attributes and date refreshed.
    bool Add(const std::string& name);
    // First position whose name equals name ignoring case, else -1.
    int GetIndexForName(const std::string& name) const;
    // First position whose name equals name exactly, else -1.
    long GetActiveFileIndex(const std::string& name) const;
    // The name at index, or "" outside the list.
    std::string NameAt(long index) const;
    // Platform phones: records ascending by tone number; the names keep their order.
    void SortRecordsByToneNumber();
    // The record of the name at a position: once sorted by tone number, the record whose index
    // points at the name; before that, the record at the same position. nullptr when there is none.
    const STRUCT_RTFILEINFO* RecordForName(long namePosition) const;
    // The warning before a file of that name is replaced on the phone, "" when none is listed
    // (exact comparison); index receives the listed position.
    std::string GetOverwriteWarning(const std::string& name, int& index, const CResource& strings) const;

private:
    std::vector<std::string> m_names;
    std::vector<STRUCT_RTFILEINFO*> m_records;
    bool m_bSortedByTone = false; // records no longer parallel to the names
};

// "A:\" + folder + "\" + name: a file's path for the ringtone-assignment service.
std::string GetAPathFileName(const std::string& folder, const std::string& name);
// True for the extensions the phone can play from a file: mid, mmf, wav (any case).
bool FilePlayable(const std::string& name);
// The part of a phone path after its last backslash (the whole text without one).
std::string NameFromPhonePath(const std::string& path);

} // namespace corvina
