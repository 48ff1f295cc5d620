// The phone's file system: folders and files below the phone's root, named "\folder\name".
#pragma once

#include "IServiceObject.h"
#include "IStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

// File attribute bits as the listing gives them.
constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;

// One row of a folder listing.
struct MBX_LISTENTRY {
    std::string name;             // column 0: the entry's name without path
    std::int32_t number = 0;      // column 2: the entry's size in bytes (0 for folders)
    std::uint32_t attributes = 0; // column 3: FILE_ATTRIBUTE_* bits
    double lastChange = 0.0;      // column 6: date of the last change, OLE automation date
    std::int32_t toneNumber = 0;  // column 7: the phone's number of the tone, 0 when it has none
};

// What ListFolder gives: names for the root query, rows for a folder query.
struct MBX_LISTING {
    bool isRoot = false;
    std::vector<std::string> names;
    std::vector<MBX_LISTENTRY> rows;
};

class IMBXVolume : public IServiceObject {
public:
    // Slot 10: makes the folder "\folder"; S_OK when made, S_FALSE when it was already there.
    virtual HRESULT MakeFolder(const std::string& path) = 0;
    // Slot 12: deletes the file "\folder\name".
    virtual HRESULT RemoveFile(const std::string& path) = 0;
    // Slot 15: "\*" with flag -1 lists the root's names; "\folder\*" with flag 0 lists the folder's
    // rows. S_FALSE (and an empty listing) when nothing is listed.
    virtual HRESULT ListFolder(const std::string& pattern, std::int32_t flag, MBX_LISTING& listing) = 0;
    // Slot 21: reads the stream to its end into the file "\folder\name", replacing it as one step.
    virtual HRESULT PutFile(const std::string& path, IStream* source, std::int32_t flags) = 0;
    // Slot 24: gives the file the attribute word (bit 0x01: read-only).
    virtual HRESULT ChangeAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // Slot 28: the serial port of the phone; HR_PORT_CANNOT_BE_READ when it cannot be opened.
    virtual HRESULT SetPort(const std::string& port) = 0;
};

} // namespace corvina
