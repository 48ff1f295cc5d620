// Writer of a melody's notes and rests as RTTTL text ("name:d=4,o=5,b=120:8c6,e.,p").
#include <algorithm>
#include <array>
#include <ostream>
#include <string>

#include "MelodyLibrary.h"

namespace corvina {
namespace {

// Old phones keep ten characters of the name; ':' and ',' would end it early.
constexpr std::size_t kLongestName = 10;

const char* const kNoteNames[12] = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"};

std::string NameText(const std::string& name)
{
    std::string text;
    for (char c : name) {
        if (text.size() == kLongestName)
            break;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
            c == '_')
            text += c;
    }
    return text.empty() ? "melody" : text;
}

} // namespace

void ExportRTTTL(const Melody& melody, std::ostream& out)
{
    // d and o are the most frequent duration and octave, so that most notes need neither.
    std::array<int, 6> durations{};
    std::array<int, 4> octaves{};
    for (const MelodyItem& item : melody.Items) {
        switch (item.Kind) {
        case eMelodyItemKind::Note:
            if (item.Key < kLowestRtttlKey || item.Key > kHighestRtttlKey)
                throw unsupported_format("MIDI key " + std::to_string(item.Key) + " is outside RTTTL's octaves 4 to 7");
            ++octaves[static_cast<std::size_t>(item.Key / 12 - 5)];
            [[fallthrough]];
        case eMelodyItemKind::Rest:
            if (item.Dotting == eDurationSpec::DoubleDotted || item.Dotting == eDurationSpec::Triplet)
                throw unsupported_format("RTTTL has no double-dotted or triplet notes");
            ++durations[static_cast<std::size_t>(std::clamp(item.Duration, 0, 5))];
            break;
        case eMelodyItemKind::RepeatBegin:
        case eMelodyItemKind::RepeatEnd: throw unsupported_format("RTTTL has no repeats");
        default: break; // volume, lights and vibration: RTTTL plays only notes
        }
    }
    const int d = static_cast<int>(std::max_element(durations.begin(), durations.end()) - durations.begin());
    const int o = static_cast<int>(std::max_element(octaves.begin(), octaves.end()) - octaves.begin()) + 4;

    std::string text = NameText(melody.Name) + ":d=" + std::to_string(1 << d) + ",o=" + std::to_string(o) +
                       ",b=" + std::to_string(melody.Beat) + ":";
    bool first = true;
    for (const MelodyItem& item : melody.Items) {
        if (item.Kind != eMelodyItemKind::Note && item.Kind != eMelodyItemKind::Rest)
            continue;
        if (!first)
            text += ',';
        first = false;
        if (item.Duration != d)
            text += std::to_string(1 << item.Duration);
        if (item.Kind == eMelodyItemKind::Rest) {
            text += 'p';
        } else {
            text += kNoteNames[item.Key % 12];
            if (item.Key / 12 - 1 != o)
                text += std::to_string(item.Key / 12 - 1);
        }
        if (item.Dotting == eDurationSpec::Dotted)
            text += '.';
    }
    text += '\n';
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw std::ios_base::failure("the RTTTL file cannot be written");
}

} // namespace corvina
