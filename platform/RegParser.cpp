// Line-by-line reading of .reg text: headers, sections, string and DWORD values, deletions.
#include "RegParser.h"
#include "Utf8.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

namespace corvina {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// Nothing may follow a complete line except blanks and a comment.
bool OnlyCommentLeft(std::string_view rest)
{
    rest = Trim(rest);
    return rest.empty() || rest.front() == ';';
}

// Reads a quoted text starting at s[0] == '"'; \\ and \" are escapes, any other backslash stays.
// Returns the text and moves s past the closing quote, or nothing when the quote is not closed.
std::optional<std::string> TakeQuoted(std::string_view& s)
{
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

// Exports of newer systems are UTF-16; everything else here works on UTF-8.
std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// The next physical line (without its end) starting at pos; pos moves to the following line.
std::string_view NextLine(std::string_view text, std::size_t& pos)
{
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
        end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

RegParser::RegParser(RegStore& store, std::vector<std::string>& problems, std::string source)
    : m_store(store), m_problems(problems), m_source(std::move(source))
{
}

void RegParser::Problem(const std::string& reason)
{
    if (++m_problemCount <= kMaxProblemsPerText)
        m_problems.push_back(m_source + ":" + std::to_string(m_lineNumber) + ": " + reason);
}

void RegParser::Parse(std::string_view text)
{
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        std::string converted = Utf16LeToUtf8(text.substr(2));
        ParseLines(converted);
    } else {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        ParseLines(text);
    }
    if (m_problemCount > kMaxProblemsPerText)
        m_problems.push_back(m_source + ": " + std::to_string(m_problemCount - kMaxProblemsPerText) +
                             " more problems not listed");
}

void RegParser::ParseLines(std::string_view text)
{
    bool headerSeen = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string_view line = Trim(NextLine(text, pos));
        ++m_lineNumber;
        if (line.empty())
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader4 || line == kHeader5)
                continue;
            if (line.front() != '[' && line.front() != '"' && line.front() != '@' && line.front() != ';') {
                Problem("unknown first line, expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
                continue;
            }
            Problem("the first line is not \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
        }
        if (line.front() == ';')
            continue;
        if (line.front() == '[')
            ParseKeyLine(line);
        else if (line.front() == '"' || line.front() == '@')
            ParseValueLine(line, text, pos);
        else
            Problem("not a key, a value or a comment");
    }
}

void RegParser::ParseKeyLine(std::string_view line)
{
    m_key = nullptr;
    m_sawSection = true;
    // The name ends at the first ']' that only blanks or a comment follow: a comment may hold ']'
    // itself, and so, rarely, may a key name.
    std::size_t close = line.find(']');
    while (close != std::string_view::npos && !OnlyCommentLeft(line.substr(close + 1)))
        close = line.find(']', close + 1);
    if (close == std::string_view::npos) {
        Problem("key line without a closing ']'");
        return;
    }
    std::string_view name = line.substr(1, close - 1);
    bool remove = !name.empty() && name.front() == '-';
    if (remove)
        name.remove_prefix(1);
    std::string path = RegStore::CanonicalPath(name);
    if (path.empty()) {
        Problem("key without a known hive: [" + std::string(name) + "]");
        return;
    }
    if (RegStore::Depth(path) > RegStore::kMaxDepth) {
        Problem("key deeper than " + std::to_string(RegStore::kMaxDepth) + " levels");
        return;
    }
    if (remove)
        m_store.Remove(path);
    else
        m_key = &m_store.Ensure(path);
}

void RegParser::ParseValueLine(std::string_view line, std::string_view text, std::size_t& pos)
{
    std::string name;
    std::string_view rest = line;
    if (rest.front() == '@') {
        rest.remove_prefix(1);
    } else {
        std::optional<std::string> quoted = TakeQuoted(rest);
        if (!quoted) {
            Problem("value name without a closing quote");
            return;
        }
        name = std::move(*quoted);
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') {
        Problem("value without '='");
        return;
    }
    rest = Trim(rest.substr(1));

    // Binary data may go on over several lines, each but the last ending in a backslash.
    if (StartsWithNoCase(rest, "hex")) {
        std::size_t first = m_lineNumber;
        while (!rest.empty() && rest.back() == '\\' && pos < text.size()) {
            rest = Trim(NextLine(text, pos));
            ++m_lineNumber;
        }
        std::size_t last = m_lineNumber;
        m_lineNumber = first;
        Problem("binary (hex) values are not supported; \"" + name + "\" skipped");
        m_lineNumber = last;
        return;
    }
    if (!m_key) {
        Problem(m_sawSection ? "value after a key line that could not be used" : "value before any key");
        return;
    }
    if (rest == "-") {
        m_store.RemoveValue(*m_key, name);
        return;
    }
    if (!rest.empty() && rest.front() == '"') {
        std::optional<std::string> data = TakeQuoted(rest);
        if (!data) {
            Problem("text value of \"" + name + "\" without a closing quote");
            return;
        }
        if (!OnlyCommentLeft(rest)) {
            Problem("text after the closing quote of \"" + name + "\"");
            return;
        }
        m_store.SetValue(*m_key, name, std::move(*data));
        return;
    }
    if (StartsWithNoCase(rest, "dword:")) {
        std::string_view digits = rest.substr(6);
        std::size_t length = 0;
        while (length < digits.size() && std::isxdigit(static_cast<unsigned char>(digits[length])))
            ++length;
        std::uint32_t value = 0;
        if (length == 0 || length > 8 || !OnlyCommentLeft(digits.substr(length)) ||
            std::from_chars(digits.data(), digits.data() + length, value, 16).ec != std::errc()) {
            Problem("DWORD value of \"" + name + "\" is not 1 to 8 hexadecimal digits");
            return;
        }
        m_store.SetValue(*m_key, name, static_cast<std::int32_t>(value));
        return;
    }
    Problem("unknown value type for \"" + name + "\"");
}

} // namespace corvina
