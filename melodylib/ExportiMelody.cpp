// Writer of a melody as iMelody 1.2 text, folded at 75 octets the way the reader unfolds it.
#include <ostream>
#include <string>
#include <vector>

#include "MelodyLibrary.h"

namespace corvina {
namespace {

// Octets of a line before its CRLF; longer lines are folded (CRLF and a space).
constexpr std::size_t kLineOctets = 75;

const char* const kNoteNames[12] = {"c", "#c", "d", "#d", "e", "f", "#f", "g", "#g", "a", "#a", "b"};

std::string DurationText(const MelodyItem& item)
{
    std::string text(1, static_cast<char>('0' + item.Duration));
    switch (item.Dotting) {
    case eDurationSpec::Dotted: return text + ".";
    case eDurationSpec::DoubleDotted: return text + ":";
    case eDurationSpec::Triplet: return text + ";";
    case eDurationSpec::Plain: break;
    }
    return text;
}

// Header text on one line: line breaks and other control characters would end the field early.
std::string FieldText(const std::string& value)
{
    std::string text;
    for (char c : value)
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    return text;
}

// Appends pieces to physical lines of at most kLineOctets, breaking only between pieces (and inside a
// piece only when it is longer than a line by itself, never inside a UTF-8 character).
class FoldedText {
public:
    explicit FoldedText(std::string& out) : m_out(out) {}
    void Piece(const std::string& piece)
    {
        for (std::size_t i = 0; i < piece.size();) {
            if (m_used + 1 > kLineOctets || (i == 0 && m_used > 1 && m_used + piece.size() > kLineOctets)) {
                m_out += "\r\n ";
                m_used = 1;
            }
            std::size_t take = std::min(piece.size() - i, kLineOctets - m_used);
            while (i + take < piece.size() && take > 1 && (static_cast<unsigned char>(piece[i + take]) & 0xC0) == 0x80)
                --take;
            m_out.append(piece, i, take);
            m_used += take;
            i += take;
        }
    }
    void EndLine()
    {
        m_out += "\r\n";
        m_used = 0;
    }

private:
    std::string& m_out;
    std::size_t m_used = 0;
};

} // namespace

void ExportiMelody(const Melody& melody, std::ostream& out)
{
    std::string text;
    FoldedText lines(text);
    auto field = [&](const std::string& name, const std::string& value) {
        lines.Piece(name + ":");
        lines.Piece(FieldText(value));
        lines.EndLine();
    };
    field("BEGIN", "IMELODY");
    field("VERSION", "1.2");
    field("FORMAT", melody.Format.empty() ? "CLASS1.0" : melody.Format);
    if (!melody.Name.empty())
        field("NAME", melody.Name);
    if (!melody.Composer.empty())
        field("COMPOSER", melody.Composer);
    if (!melody.Copyright.empty())
        field("COPYRIGHT", melody.Copyright);
    field("BEAT", std::to_string(melody.Beat));
    if (melody.Style != eMelodyStyle::Natural)
        field("STYLE", "S" + std::to_string(static_cast<int>(melody.Style)));
    if (melody.Volume != 7)
        field("VOLUME", "V" + std::to_string(melody.Volume));

    lines.Piece("MELODY:");
    int octave = -1; // nothing written yet: the first note names its octave whatever the default
    for (const MelodyItem& item : melody.Items) {
        switch (item.Kind) {
        case eMelodyItemKind::Note: {
            if (item.Key < kLowestiMelodyKey)
                throw unsupported_format("MIDI key " + std::to_string(item.Key) +
                                         " is below the iMelody range (*0 c is 24)");
            std::string piece;
            const int noteOctave = item.Key / 12 - 2;
            if (noteOctave != octave)
                piece = "*" + std::to_string(noteOctave);
            octave = noteOctave;
            lines.Piece(piece + kNoteNames[item.Key % 12] + DurationText(item));
            break;
        }
        case eMelodyItemKind::Rest: lines.Piece("r" + DurationText(item)); break;
        case eMelodyItemKind::Volume:
            lines.Piece(item.Value >= 0 ? "V" + std::to_string(item.Value) : item.Step > 0 ? "V+" : "V-");
            break;
        case eMelodyItemKind::Led: lines.Piece(item.On ? "ledon" : "ledoff"); break;
        case eMelodyItemKind::Vibe: lines.Piece(item.On ? "vibeon" : "vibeoff"); break;
        case eMelodyItemKind::Backlight: lines.Piece(item.On ? "backon" : "backoff"); break;
        case eMelodyItemKind::RepeatBegin: lines.Piece("("); break;
        case eMelodyItemKind::RepeatEnd:
            lines.Piece("@" + std::to_string(item.Count) + (item.Step > 0 ? "V+" : item.Step < 0 ? "V-" : "") + ")");
            break;
        }
    }
    lines.EndLine();
    field("END", "IMELODY");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw std::ios_base::failure("the iMelody file cannot be written");
}

} // namespace corvina
