// Tests of reading iMelody text: header fields, the melody line, and the errors for bad input.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "MelodyLibrary.h"
#include "MelodyTestSupport.h"

namespace corvina {
namespace {

using test::Read;
using test::Wrap;

TEST(MelodyImport, HeaderFieldsAreReadWhateverTheirCaseAndLineEnds)
{
    Melody m = Read("begin:imelody\nVersion:1.0\nformat:CLASS2.0\nNAME:Bells\ncomposer:Someone\n"
                    "BEAT:180\nstyle:2\nvolume:12\nmelody:c2\nend:imelody\n");
    EXPECT_EQ(m.Version, "1.0");
    EXPECT_EQ(m.Format, "CLASS2.0");
    EXPECT_EQ(m.Name, "Bells");
    EXPECT_EQ(m.Composer, "Someone");
    const auto beatStyleVolume = [](const Melody& x) { return std::tuple(x.Beat, x.Style, x.Volume); };
    EXPECT_EQ(beatStyleVolume(m), std::tuple(180, eMelodyStyle::Staccato, 12));
    EXPECT_EQ(beatStyleVolume(Read(Wrap("c2", "STYLE:S1\r\nVOLUME:V3\r\n"))),
              std::tuple(120, eMelodyStyle::Continuous, 3));
    EXPECT_EQ(beatStyleVolume(Read(Wrap("c2"))), std::tuple(120, eMelodyStyle::Natural, 7)); // the defaults
    EXPECT_EQ(Read(Wrap("c2", "BEAT:2000\r\n")).Beat, 900);
}

TEST(MelodyImport, FoldedLinesAreJoinedBeforeParsing)
{
    Melody m =
        Read("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nMELODY:c2d2\r\n e2f2\r\n\tg2\r\nEND:IMELODY\r\n");
    ASSERT_EQ(m.Items.size(), 5u);
    EXPECT_EQ(m.Items[4].Key, 79); // g in the default octave
}

TEST(MelodyImport, NotesGetTheirPitchFromLetterAccidentalAndOctave)
{
    // Octave 4's a is 880 Hz; the octave prefix stays in force (b3 after *0c3); b of octave 8 is above the
    // MIDI range and sounds an octave lower; a flat c falls to the octave below.
    const Melody m = Read(Wrap("a3#c3&e3*0c3b3*8c3b0&c3"));
    std::vector<int> keys;
    for (const MelodyItem& item : m.Items)
        keys.push_back(item.Key);
    ASSERT_EQ(keys, (std::vector<int>{81, 73, 75, 24, 35, 120, 119, 119}));
    EXPECT_EQ(m.Items[6].Duration, 0);
}

TEST(MelodyImport, DurationsSpecsSwitchesVolumesAndRepeatsBecomeItems)
{
    Melody m = Read(Wrap("c5.d1:e2;r4ledonledoffvibeonvibeoffbackonbackoffV10V+v-(c3@0V+)"));
    using K = eMelodyItemKind;
    std::vector<K> kinds;
    for (const auto& i : m.Items)
        kinds.push_back(i.Kind);
    EXPECT_EQ(kinds,
              (std::vector<K>{K::Note, K::Note, K::Note, K::Rest, K::Led, K::Led, K::Vibe, K::Vibe, K::Backlight,
                              K::Backlight, K::Volume, K::Volume, K::Volume, K::RepeatBegin, K::Note, K::RepeatEnd}));
    EXPECT_EQ(std::tuple(m.Items[0].Dotting, m.Items[1].Dotting, m.Items[2].Dotting),
              std::tuple(eDurationSpec::Dotted, eDurationSpec::DoubleDotted, eDurationSpec::Triplet));
    EXPECT_EQ(m.Items[3].Duration, 4);
    EXPECT_TRUE(m.Items[4].On);
    EXPECT_FALSE(m.Items[5].On);
    EXPECT_EQ(m.Items[10].Value, 10);
    EXPECT_EQ(m.Items[11].Step, 1);
    EXPECT_EQ(m.Items[12].Step, -1);
    EXPECT_EQ(m.Items[15].Count, 0);
    EXPECT_EQ(m.Items[15].Step, 1);
}

TEST(MelodyImport, MalformedInputRaisesUnsupportedFormatAndLeavesTheMelodyAlone)
{
    const std::vector<std::string> bad = {
        "VERSION:1.2\r\nMELODY:c2\r\nEND:IMELODY\r\n", // no BEGIN
        Wrap("h3"),                                    // no such note
        Wrap("c7"),                                    // duration out of range
        Wrap("c"),                                     // duration missing
        Wrap("#x2"),                                   // accidental without a note
        Wrap("*9c2"),                                  // octave out of range
        Wrap("(c2d2"),                                 // repeat not closed
        Wrap("(c2(d2@2)@2)"),                          // nested repeat
        Wrap("c2@2)"),                                 // count outside a repeat
        Wrap("(c2@)"),                                 // count missing
        Wrap("(@2)"),                                  // empty block
        Wrap("V16c2"),                                 // volume too high
        Wrap(""),                                      // empty melody
        Wrap("c2", "VOLUME:loud\r\n"),
        Wrap("c2", "STYLE:S3\r\n"),
        Wrap("c2", "BEAT:fast\r\n"),
        "BEGIN:IMELODY\r\nMELODY:c2\r\n",             // END missing
        "BEGIN:IMELODY\r\nNAME:x\r\nEND:IMELODY\r\n", // MELODY missing
        Wrap("c2", "VERSION:2.0\r\n"),
        std::string("\x00\x01\xFF\xFEMThd garbage\x7F", 17),
        "",
        "   \r\n\r\n",
    };
    for (const auto& text : bad) {
        std::istringstream in(text);
        Melody m;
        m.Name = "untouched";
        EXPECT_THROW(ImportiMelody(in, m), unsupported_format) << text;
        EXPECT_EQ(m.Name, "untouched");
    }

    std::istringstream failed(Wrap("c2"));
    failed.setstate(std::ios::failbit);
    Melody m;
    try {
        ImportiMelody(failed, m);
        FAIL() << "a failed stream was read";
    } catch (const unsupported_format& e) {
        EXPECT_NE(std::string(e.what()), "");
    }
}

TEST(MelodyImport, ErrorsSayWhereTheMelodyWentWrong)
{
    try {
        Read(Wrap("c2d2x2"));
        FAIL();
    } catch (const unsupported_format& e) {
        EXPECT_NE(std::string(e.what()).find("character 5"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace corvina
