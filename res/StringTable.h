// The string tables as plain data: one table of (id, text) pairs per language, compiled in.
#pragma once

#include <cstddef>

namespace corvina {

struct StringEntry {
    unsigned id;
    const char* text; // UTF-8, line breaks as '\n'
};

struct StringTable {
    long language;
    const StringEntry* entries; // ascending by id
    std::size_t count;
};

// Every language table found in res/strings/ at build time (generated list).
const StringTable* const* AllStringTables(std::size_t& count);

} // namespace corvina
