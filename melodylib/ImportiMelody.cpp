// Reader of iMelody 1.0/1.2 text: unfolds lines, reads the header fields and parses the melody line.
#include <algorithm>
#include <cctype>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MelodyLibrary.h"

namespace corvina {
namespace {

// Real ringtones are a few hundred bytes; anything this big is not one.
constexpr std::size_t kLargestInput = 1 << 20;
constexpr int kMinBeat = 25;
constexpr int kMaxBeat = 900;
constexpr int kMaxVolume = 15;
constexpr int kDefaultOctave = 4;

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

std::string Trim(std::string_view s)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// Splits at CRLF, LF or CR and joins folded lines (a break followed by a space or tab).
std::vector<std::string> UnfoldedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string current;
    bool haveLine = false;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            if (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
                ++i; // folded: the break and one blank vanish
                continue;
            }
            lines.push_back(current);
            current.clear();
            haveLine = false;
            continue;
        }
        current += c;
        haveLine = true;
        ++i;
    }
    if (haveLine)
        lines.push_back(current);
    return lines;
}

std::optional<int> ParseInt(std::string_view s, int maxDigits)
{
    if (s.empty() || static_cast<int>(s.size()) > maxDigits)
        return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

int ParseVolumeField(const std::string& value)
{
    std::string v = Lower(value);
    if (!v.empty() && v[0] == 'v')
        v.erase(0, 1);
    if (v == "+")
        return 8;
    if (v == "-")
        return 6;
    auto n = ParseInt(v, 2);
    if (!n || *n > kMaxVolume)
        throw unsupported_format("VOLUME must be V0 to V15, not \"" + value + "\"");
    return *n;
}

eMelodyStyle ParseStyleField(const std::string& value)
{
    std::string v = Lower(value);
    if (!v.empty() && v[0] == 's')
        v.erase(0, 1);
    if (v == "0")
        return eMelodyStyle::Natural;
    if (v == "1")
        return eMelodyStyle::Continuous;
    if (v == "2")
        return eMelodyStyle::Staccato;
    throw unsupported_format("STYLE must be S0, S1 or S2, not \"" + value + "\"");
}

int ParseBeatField(const std::string& value)
{
    auto n = ParseInt(value, 6);
    if (!n || *n == 0)
        throw unsupported_format("BEAT must be a number of beats per minute, not \"" + value + "\"");
    // Out-of-range tempos are common in hand-written files; the nearest playable tempo is used.
    return std::clamp(*n, kMinBeat, kMaxBeat);
}

// Parses the melody line into items; positions in messages count from 1.
class MelodyParser {
public:
    explicit MelodyParser(std::string_view text) : m_text(text) {}

    std::vector<MelodyItem> Parse()
    {
        while (SkipBlanks(), m_pos < m_text.size())
            ParseItem();
        if (m_inRepeat)
            throw Error("repeat block opened at " + std::to_string(m_repeatStart + 1) + " is not closed");
        if (m_items.empty())
            throw unsupported_format("MELODY is empty");
        return std::move(m_items);
    }

private:
    unsupported_format Error(const std::string& what) const
    {
        return unsupported_format("MELODY, character " + std::to_string(m_pos + 1) + ": " + what);
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }

    char Peek(std::size_t ahead = 0) const
    {
        std::size_t p = m_pos + ahead;
        return p < m_text.size() ? static_cast<char>(std::tolower(static_cast<unsigned char>(m_text[p]))) : '\0';
    }

    bool TakeWord(std::string_view word)
    {
        if (m_text.size() - m_pos < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (Peek(i) != word[i])
                return false;
        m_pos += word.size();
        return true;
    }

    bool TakeSwitch(std::string_view name, eMelodyItemKind kind)
    {
        // "...off" first: "on" is not a prefix of it, but keep the longer word first anyway.
        for (bool on : {false, true}) {
            if (TakeWord(std::string(name) + (on ? "on" : "off"))) {
                MelodyItem item;
                item.Kind = kind;
                item.On = on;
                m_items.push_back(item);
                return true;
            }
        }
        return false;
    }

    void ParseDuration(MelodyItem& item)
    {
        char d = Peek();
        if (d < '0' || d > '5')
            throw Error(d ? std::string("duration must be 0 to 5, found '") + d + "'" : "duration missing at the end");
        item.Duration = d - '0';
        ++m_pos;
        switch (Peek()) {
        case '.':
            item.Dotting = eDurationSpec::Dotted;
            ++m_pos;
            break;
        case ':':
            item.Dotting = eDurationSpec::DoubleDotted;
            ++m_pos;
            break;
        case ';':
            item.Dotting = eDurationSpec::Triplet;
            ++m_pos;
            break;
        default: break;
        }
    }

    void ParseNote(int accidental)
    {
        static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
        char letter = Peek();
        if (letter < 'a' || letter > 'g')
            throw Error(std::string("note letter expected after the accidental, found '") + (letter ? letter : ' ') +
                        "'");
        ++m_pos;
        MelodyItem item;
        item.Kind = eMelodyItemKind::Note;
        int key = 12 * (m_octave + 2) + kSemitone[letter - 'a'] + accidental;
        // The top octave runs past the MIDI range: such notes sound an octave lower.
        while (key > 127)
            key -= 12;
        item.Key = std::max(key, 0);
        ParseDuration(item);
        m_items.push_back(item);
    }

    void ParseVolume()
    {
        MelodyItem item;
        item.Kind = eMelodyItemKind::Volume;
        if (Peek() == '+' || Peek() == '-') {
            item.Step = Peek() == '+' ? 1 : -1;
            ++m_pos;
        } else {
            int v = 0, digits = 0;
            while (Peek() >= '0' && Peek() <= '9' && digits < 3)
                v = v * 10 + (Peek() - '0'), ++m_pos, ++digits;
            if (digits == 0)
                throw Error("volume must be V0 to V15, V+ or V-");
            if (v > kMaxVolume)
                throw Error("volume " + std::to_string(v) + " is above V15");
            item.Value = v;
        }
        m_items.push_back(item);
    }

    void ParseRepeatEnd()
    {
        if (!m_inRepeat)
            throw Error("'@' outside a repeat block");
        if (m_items.empty() || m_items.back().Kind == eMelodyItemKind::RepeatBegin)
            throw Error("repeat block is empty");
        ++m_pos;
        SkipBlanks();
        int count = 0, digits = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            if (++digits > 4)
                throw Error("repeat count is larger than " + std::to_string(kMaxRepeatCount));
            count = count * 10 + (Peek() - '0');
            ++m_pos;
        }
        if (digits == 0)
            throw Error("repeat count missing after '@'");
        MelodyItem item;
        item.Kind = eMelodyItemKind::RepeatEnd;
        item.Count = count;
        SkipBlanks();
        if (Peek() == 'v' && (Peek(1) == '+' || Peek(1) == '-')) {
            item.Step = Peek(1) == '+' ? 1 : -1;
            m_pos += 2;
            SkipBlanks();
        }
        if (Peek() != ')')
            throw Error("')' expected to close the repeat block");
        ++m_pos;
        m_inRepeat = false;
        m_items.push_back(item);
    }

    void ParseItem()
    {
        char c = Peek();
        if (c == '*') {
            char o = Peek(1);
            if (o < '0' || o > '8')
                throw Error("octave must be *0 to *8");
            m_octave = o - '0';
            m_pos += 2;
            return;
        }
        if (c == '#' || c == '&') {
            ++m_pos;
            ParseNote(c == '#' ? 1 : -1);
            return;
        }
        if (TakeSwitch("led", eMelodyItemKind::Led) || TakeSwitch("vibe", eMelodyItemKind::Vibe) ||
            TakeSwitch("back", eMelodyItemKind::Backlight))
            return;
        if (c >= 'a' && c <= 'g') {
            ParseNote(0);
            return;
        }
        if (c == 'r') {
            ++m_pos;
            MelodyItem item;
            item.Kind = eMelodyItemKind::Rest;
            ParseDuration(item);
            m_items.push_back(item);
            return;
        }
        if (c == 'v') {
            ++m_pos;
            ParseVolume();
            return;
        }
        if (c == '(') {
            if (m_inRepeat)
                throw Error("repeat blocks cannot be nested");
            m_inRepeat = true;
            m_repeatStart = m_pos;
            ++m_pos;
            MelodyItem item;
            item.Kind = eMelodyItemKind::RepeatBegin;
            m_items.push_back(item);
            return;
        }
        if (c == '@') {
            ParseRepeatEnd();
            return;
        }
        if (c == ')')
            throw Error("')' without a repeat count");
        unsigned char raw = static_cast<unsigned char>(m_text[m_pos]);
        if (raw < 0x20 || raw >= 0x7F)
            throw Error("unexpected byte " + std::to_string(raw));
        throw Error(std::string("unexpected character '") + m_text[m_pos] + "'");
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_octave = kDefaultOctave;
    bool m_inRepeat = false;
    std::size_t m_repeatStart = 0;
    std::vector<MelodyItem> m_items;
};

} // namespace

void ImportiMelody(std::istream& in, Melody& melody)
{
    if (!in)
        throw unsupported_format("the iMelody file cannot be read");
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kLargestInput)
            throw unsupported_format("the file is too large for an iMelody");
    }
    if (in.bad())
        throw unsupported_format("reading the iMelody file failed");
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw unsupported_format("the file is empty");

    std::vector<std::string> lines = UnfoldedLines(text);
    auto line = lines.begin();
    auto skipEmpty = [&] {
        while (line != lines.end() && Trim(*line).empty())
            ++line;
    };
    skipEmpty();
    if (line == lines.end() || Lower(Trim(*line)) != "begin:imelody")
        throw unsupported_format("the file does not start with BEGIN:IMELODY");
    ++line;

    Melody result;
    bool haveMelody = false, ended = false;
    for (; line != lines.end(); ++line) {
        std::string trimmed = Trim(*line);
        if (trimmed.empty())
            continue;
        std::size_t colon = trimmed.find(':');
        if (colon == std::string::npos)
            throw unsupported_format("line without a field name: \"" + trimmed.substr(0, 40) + "\"");
        std::string name = Lower(Trim(std::string_view(trimmed).substr(0, colon)));
        std::string value = Trim(std::string_view(trimmed).substr(colon + 1));
        if (name == "end") {
            if (Lower(value) != "imelody")
                throw unsupported_format("END:" + value + " does not close the iMelody");
            ended = true;
            break;
        }
        if (name == "begin")
            throw unsupported_format("BEGIN inside the iMelody");
        if (name == "version")
            result.Version = value;
        else if (name == "format")
            result.Format = value;
        else if (name == "name")
            result.Name = value;
        else if (name == "composer")
            result.Composer = value;
        else if (name == "copyright")
            result.Copyright = value;
        else if (name == "beat")
            result.Beat = ParseBeatField(value);
        else if (name == "style")
            result.Style = ParseStyleField(value);
        else if (name == "volume")
            result.Volume = ParseVolumeField(value);
        else if (name == "melody") {
            if (haveMelody)
                throw unsupported_format("more than one MELODY line");
            result.Items = MelodyParser(value).Parse();
            haveMelody = true;
        }
        // Other fields (vendor extensions) carry nothing the melody needs.
    }
    if (!haveMelody)
        throw unsupported_format("the iMelody has no MELODY line");
    if (!ended)
        throw unsupported_format("END:IMELODY is missing");
    if (!result.Version.empty() && result.Version.rfind("1.", 0) != 0)
        throw unsupported_format("iMelody version " + result.Version + " is not supported");
    melody = std::move(result);
}

} // namespace corvina
