// Reading and writing OBEX folder listings: a small tolerant reader for the few elements a
// listing has, not a general XML parser.
#include "ObexListing.h"
#include "Utf8.h"

#include <charconv>
#include <cstdio>
#include <map>

namespace corvina::obex {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == ':' || c == '.';
}

// Replaces the five named entities and numeric references; nothing for an unknown or broken one.
std::optional<std::string> Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string::npos || end - i > 12)
            return std::nullopt;
        const std::string entity = text.substr(i + 1, end - i - 1);
        static const std::map<std::string, char> kNamed = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        if (auto found = kNamed.find(entity); found != kNamed.end()) {
            out += found->second;
        } else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const char* first = entity.data() + (hex ? 2 : 1);
            const char* last = entity.data() + entity.size();
            std::uint32_t code = 0;
            auto [ptr, ec] = std::from_chars(first, last, code, hex ? 16 : 10);
            if (ec != std::errc() || ptr != last || first == last || code == 0 || code > 0x10FFFF ||
                (code >= 0xD800 && code <= 0xDFFF))
                return std::nullopt;
            AppendUtf8(out, code);
        } else {
            return std::nullopt;
        }
        i = end;
    }
    return out;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
};

// Reads the tag starting at the '<' at pos; pos moves past its '>'. Nothing for a broken tag.
std::optional<Element> ReadTag(const std::string& xml, std::size_t& pos)
{
    Element element;
    std::size_t i = pos + 1;
    if (i < xml.size() && xml[i] == '/')
        ++i;
    while (i < xml.size() && IsNameChar(xml[i]))
        element.name += xml[i++];
    if (element.name.empty())
        return std::nullopt;
    for (;;) {
        while (i < xml.size() && IsSpace(xml[i]))
            ++i;
        if (i >= xml.size())
            return std::nullopt;
        if (xml[i] == '>' || (xml[i] == '/' && i + 1 < xml.size() && xml[i + 1] == '>')) {
            pos = xml.find('>', i) + 1;
            return element;
        }
        std::string name;
        while (i < xml.size() && IsNameChar(xml[i]))
            name += xml[i++];
        while (i < xml.size() && IsSpace(xml[i]))
            ++i;
        if (name.empty() || i >= xml.size() || xml[i] != '=')
            return std::nullopt;
        ++i;
        while (i < xml.size() && IsSpace(xml[i]))
            ++i;
        if (i >= xml.size() || (xml[i] != '"' && xml[i] != '\''))
            return std::nullopt;
        const char quote = xml[i++];
        const std::size_t close = xml.find(quote, i);
        if (close == std::string::npos)
            return std::nullopt;
        auto value = Unescape(xml.substr(i, close - i));
        if (!value)
            return std::nullopt;
        element.attributes[name] = std::move(*value);
        i = close + 1;
    }
}

} // namespace

std::optional<std::time_t> ParseListingTime(const std::string& text)
{
    if (text.size() != 15 && !(text.size() == 16 && text[15] == 'Z'))
        return std::nullopt;
    if (text[8] != 'T')
        return std::nullopt;
    auto number = [&text](std::size_t at, std::size_t count, int& value) {
        auto [ptr, ec] = std::from_chars(text.data() + at, text.data() + at + count, value);
        return ec == std::errc() && ptr == text.data() + at + count;
    };
    std::tm tm{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!number(0, 4, year) || !number(4, 2, month) || !number(6, 2, day) || !number(9, 2, hour) ||
        !number(11, 2, minute) || !number(13, 2, second))
        return std::nullopt;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t t = text.size() == 16 ? timegm(&tm) : std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return t;
}

std::string FormatListingTime(std::time_t t)
{
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::optional<std::vector<SListingEntry>> ParseFolderListing(const std::string& xml)
{
    std::vector<SListingEntry> entries;
    bool inListing = false;
    bool sawListing = false;
    std::size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string::npos) {
        // Declarations, the document type and comments carry nothing for us.
        if (xml.compare(pos, 4, "<!--") == 0) {
            const std::size_t end = xml.find("-->", pos + 4);
            if (end == std::string::npos)
                return std::nullopt;
            pos = end + 3;
            continue;
        }
        if (pos + 1 < xml.size() && (xml[pos + 1] == '?' || xml[pos + 1] == '!')) {
            const std::size_t end = xml.find('>', pos);
            if (end == std::string::npos)
                return std::nullopt;
            pos = end + 1;
            continue;
        }
        const bool closing = pos + 1 < xml.size() && xml[pos + 1] == '/';
        auto element = ReadTag(xml, pos);
        if (!element)
            return std::nullopt;
        if (element->name == "folder-listing") {
            inListing = !closing;
            sawListing = true;
            continue;
        }
        if (closing || !inListing || (element->name != "file" && element->name != "folder"))
            continue;
        SListingEntry entry;
        entry.folder = element->name == "folder";
        const auto& attributes = element->attributes;
        auto name = attributes.find("name");
        if (name == attributes.end() || name->second.empty() || name->second == "." || name->second == ".." ||
            name->second.find_first_of("/\\") != std::string::npos || name->second.find('\0') != std::string::npos)
            return std::nullopt;
        entry.name = name->second;
        if (auto size = attributes.find("size"); size != attributes.end()) {
            const std::string& text = size->second;
            std::uint64_t value = 0;
            auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && ptr == text.data() + text.size())
                entry.size = value;
        }
        if (auto perm = attributes.find("user-perm"); perm != attributes.end())
            entry.readOnly = perm->second.find_first_of("Ww") == std::string::npos;
        if (auto modified = attributes.find("modified"); modified != attributes.end())
            entry.modified = ParseListingTime(modified->second).value_or(0);
        if (auto tone = attributes.find(kToneNumberAttribute); tone != attributes.end() && !entry.folder) {
            const std::string& text = tone->second;
            std::int32_t value = 0;
            auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && ptr == text.data() + text.size() && value > 0)
                entry.toneNumber = value;
        }
        entries.push_back(std::move(entry));
    }
    if (!sawListing)
        return std::nullopt;
    return entries;
}

std::string FormatFolderListing(const std::vector<SListingEntry>& entries, bool hasParent)
{
    std::string xml = "<?xml version=\"1.0\"?>\n"
                      "<!DOCTYPE folder-listing SYSTEM \"obex-folder-listing.dtd\">\n"
                      "<folder-listing version=\"1.0\">\n";
    if (hasParent)
        xml += "  <parent-folder/>\n";
    for (const SListingEntry& entry : entries) {
        xml += entry.folder ? "  <folder" : "  <file";
        xml += " name=\"" + Escape(entry.name) + "\"";
        if (!entry.folder)
            xml += " size=\"" + std::to_string(entry.size) + "\"";
        if (entry.modified != 0)
            xml += " modified=\"" + FormatListingTime(entry.modified) + "\"";
        xml += entry.readOnly ? " user-perm=\"R\"" : " user-perm=\"RWD\"";
        if (!entry.folder && entry.toneNumber > 0)
            xml += std::string(" ") + kToneNumberAttribute + "=\"" + std::to_string(entry.toneNumber) + "\"";
        xml += "/>\n";
    }
    xml += "</folder-listing>\n";
    return xml;
}

} // namespace corvina::obex
