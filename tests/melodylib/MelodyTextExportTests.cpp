// Writing a line as iMelody and RTTTL: exact text, folding, octaves, what each format refuses, and reading
// the text back (iMelody with our reader, RTTTL with a reader made here from the format's public description).
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "MelodyLibrary.h"
#include "MelodyTestSupport.h"

namespace corvina {
namespace {

struct Tone {
    int key; // -1 for a pause
    double ms;
    bool operator==(const Tone&) const = default;
};

// RTTTL as publicly described: "name:d=4,o=6,b=63:" defaults, then [duration] letter [#] [octave] [.];
// octave 4's a is 440 Hz (MIDI key 69); a beat is a quarter note.
std::vector<Tone> ReadRtttl(const std::string& text)
{
    const std::size_t c1 = text.find(':'), c2 = text.find(':', c1 + 1);
    int d = 4, o = 6, b = 63;
    std::istringstream defaults(text.substr(c1 + 1, c2 - c1 - 1));
    for (std::string pair; std::getline(defaults, pair, ',');)
        (pair[0] == 'd' ? d : pair[0] == 'o' ? o : b) = std::stoi(pair.substr(pair.find('=') + 1));
    std::vector<Tone> tones;
    std::istringstream notes(text.substr(c2 + 1));
    for (std::string token; std::getline(notes, token, ',');) {
        std::size_t i = 0;
        const int duration = std::isdigit(token[0]) ? std::stoi(token, &i) : d;
        static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};
        const char letter = static_cast<char>(std::tolower(token[i++]));
        int key = letter == 'p' ? -1 : letter == 'h' ? 11 : kSemitone[letter - 'a'];
        if (i < token.size() && token[i] == '#')
            ++key, ++i;
        const int octave = i < token.size() && std::isdigit(token[i]) ? token[i++] - '0' : o;
        const bool dotted = token.find('.') != std::string::npos;
        tones.push_back({letter == 'p' ? -1 : 12 * (octave + 1) + key, 240000.0 / b / duration * (dotted ? 1.5 : 1)});
    }
    return tones;
}

// The notes and rests of a melody as they sound (every value of either format has its own length).
std::vector<Tone> Tones(const Melody& m)
{
    std::vector<Tone> tones;
    for (const MelodyItem& item : m.Items) {
        const double factor[] = {1, 1.5, 1.75, 2.0 / 3};
        tones.push_back({item.Kind == eMelodyItemKind::Note ? item.Key : -1,
                         240000.0 / m.Beat / (1 << item.Duration) * factor[static_cast<int>(item.Dotting)]});
    }
    return tones;
}

std::string Text(const Melody& m, bool rtttl)
{
    std::ostringstream out;
    rtttl ? ExportRTTTL(m, out) : ExportiMelody(m, out);
    return out.str();
}

TEST(MelodyTextExport, ASmallLineIsWrittenByteForByteInBothFormats)
{
    // At 120 beats a quarter is 500 ms: a quarter, an eighth, a dotted quarter, three triplet eighths, a
    // half rest and a double-dotted half; 20 ms gaps are how the notes were played, not rests.
    const std::vector<TimedNote> line = {{0, 480000, 72},        {500000, 730000, 74},   {750000, 1500000, 76},
                                         {1500000, 1666667, 79}, {1666667, 1833333, 81}, {1833333, 2000000, 84},
                                         {3000000, 4750000, 70}};
    EXPECT_EQ(Text(MelodyFromLine(line, 120, eNoteValues::iMelody, "Tiny"), false),
              "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:Tiny\r\nBEAT:120\r\n"
              "MELODY:*4c2d3e2.g3;a3;*5c3;r1*3#a1:\r\nEND:IMELODY\r\n");
    // Without triplets the three notes become 16th values that keep the next onset in place.
    const std::string rtttl = Text(MelodyFromLine(line, 120, eNoteValues::RTTTL, "Tiny:tune, long name"), true);
    EXPECT_EQ(rtttl, "Tinytune l:d=16,o=5,b=120:4c,8d,4e.,g.,a,c6.,2p,1a#4\n");
    EXPECT_EQ(ReadRtttl(rtttl),
              (std::vector<Tone>{
                  {72, 500}, {74, 250}, {76, 750}, {79, 187.5}, {81, 125}, {84, 187.5}, {-1, 1000}, {70, 2000}}));
}

TEST(MelodyTextExport, ALongLineReadsBackWithItsNotesAndValuesAndFoldsAt75Octets)
{
    std::mt19937 random(7);
    std::vector<TimedNote> line;
    std::uint32_t at = 0;
    for (int i = 0; i < 400; ++i) {
        const std::uint32_t length = 30000 + random() % 1500000;
        line.push_back({at, at + length, static_cast<int>(36 + random() % 70)});
        at += length + (random() % 3 == 0 ? random() % 2000000 : 0);
    }
    for (const bool rtttl : {false, true}) {
        const Melody written = MelodyFromLine(line, 40 + static_cast<int>(random() % 200),
                                              rtttl ? eNoteValues::RTTTL : eNoteValues::iMelody, "");
        const std::string text = Text(written, rtttl);
        EXPECT_EQ(rtttl ? ReadRtttl(text) : Tones(test::Read(text)), Tones(written));
        if (rtttl)
            continue;
        std::istringstream lines(text);
        for (std::string physical; std::getline(lines, physical);)
            EXPECT_LE(physical.size(), 76u) << physical; // 75 octets and the CR
        EXPECT_GT(std::count(text.begin(), text.end(), '\n'), 30);
    }
}

TEST(MelodyTextExport, KeysMoveIntoEachFormatsOctavesAndWhatAFormatCannotSayIsRefused)
{
    std::vector<TimedNote> low;
    for (int key : {40, 45, 52, 20, 100})
        low.push_back({static_cast<std::uint32_t>(low.size() * 500000),
                       static_cast<std::uint32_t>(low.size() * 500000 + 500000), key});
    auto keys = [](const Melody& m) {
        std::vector<int> k;
        for (const MelodyItem& item : m.Items)
            k.push_back(item.Key);
        return k;
    };
    // RTTTL moves the whole line up four octaves (most notes fit), then folds the one that still does not.
    EXPECT_EQ(keys(MelodyFromLine(low, 120, eNoteValues::RTTTL, "")), (std::vector<int>{88, 93, 100, 68, 100}));
    EXPECT_EQ(keys(MelodyFromLine(low, 120, eNoteValues::iMelody, "")), (std::vector<int>{40, 45, 52, 32, 100}));

    Melody m = MelodyFromLine({{0, 500000, 72}}, 120, eNoteValues::iMelody, "");
    m.Items[0].Dotting = eDurationSpec::Triplet;
    EXPECT_THROW(Text(m, true), unsupported_format);
    m.Items[0].Dotting = eDurationSpec::Plain;
    m.Items.insert(m.Items.begin(), MelodyItem{eMelodyItemKind::RepeatBegin});
    EXPECT_THROW(Text(m, true), unsupported_format);
    m.Items = {MelodyItem{eMelodyItemKind::Note, 23}};
    EXPECT_THROW(Text(m, false), unsupported_format);
    EXPECT_THROW(Text(m, true), unsupported_format);
}

} // namespace
} // namespace corvina
