// Reads the text of one Windows-registry export file (.reg) into a key store.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RegStore.h"

namespace corvina {

// Applies a .reg text to a store. Lines it cannot use are skipped and described in problems as
// "source:line: reason"; nothing in the text can make it fail.
class RegParser {
public:
    // At most this many problems are listed per text; the rest are counted in one closing line.
    static constexpr std::size_t kMaxProblemsPerText = 100;

    RegParser(RegStore& store, std::vector<std::string>& problems, std::string source);

    // Parses the whole text (UTF-8, or UTF-16 little-endian with its byte-order mark).
    void Parse(std::string_view text);

private:
    void ParseLines(std::string_view text);
    void ParseKeyLine(std::string_view line);
    void ParseValueLine(std::string_view line, std::string_view text, std::size_t& pos);
    void Problem(const std::string& reason);

    RegStore& m_store;
    std::vector<std::string>& m_problems;
    std::string m_source;
    std::size_t m_lineNumber = 0;
    std::size_t m_problemCount = 0;
    RegKey* m_key = nullptr;   // the section values go to; null before the first valid section
    bool m_sawSection = false; // tells "before any key" from "after a broken section"
};

} // namespace corvina
