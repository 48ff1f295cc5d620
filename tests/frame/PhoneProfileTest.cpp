// Phone-type tests and profile readers against hand-written registry texts.
#include "CRegistryHelper.h"
#include "PhoneProfile.h"
#include "PhoneType.h"
#include "RingingLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvina {
namespace {

// A profile key of the suite with the given values.
std::string Profile(const std::string& type, const std::string& values)
{
    return "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\PhoneDependencies\\" + type + "]\n" + values + "\n";
}

void LoadProfiles(const std::string& body)
{
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n\n" + body);
}

TEST(PhoneType, BirchFamilyNeedsBirchWithCaseOrMosaicWhole)
{
    for (const char* type : {"BIRCH", "xBIRCHy", "MOSAIC", "mosaic"})
        EXPECT_TRUE(IsBirchFamily(type)) << type;
    for (const char* type : {"birch", "MOSAIC2", " MOSAIC"})
        EXPECT_FALSE(IsBirchFamily(type)) << type;
    EXPECT_FALSE(ContainsBirch("MOSAIC"));
    EXPECT_TRUE(IsAspen("ASPEN"));
    EXPECT_FALSE(IsAspen("aspen"));
    EXPECT_EQ(UnsupportedPhoneMessage("ASPEN"), 4022u);
    EXPECT_EQ(UnsupportedPhoneMessage("aspen"), 547u);
}

TEST(RingingLine, LineTypesMapToThePhoneInterfacesLineNumbers)
{
    // Profile line type and the phone's line number.
    const std::pair<int, int> lines[] = {{6, 1},   {7, 1},   {8, 2},   {18, 12}, {19, 15},
                                         {20, 14}, {21, 13}, {22, 16}, {26, 20}, {5, 0}};
    for (const auto& [type, line] : lines)
        EXPECT_EQ(RingingLineFromProfileType(type), line) << type;
}

TEST(PhoneProfile, SoundFiguresAreReadAndAbsentOrBadOnesLimitNothing)
{
    LoadProfiles(
        Profile("CX70",
                "\"Polyphony\"=dword:00000010\n\"MaxToneBytes\"=dword:00007800\n\"SpeakerLowHz\"=dword:00000352") +
        Profile("R15", "\"Polyphony\"=dword:ffffffff"));
    SoundProfile s;
    EXPECT_EQ(GetSoundProfileFromRegdb("CX70", s), 1);
    EXPECT_EQ(std::vector<long>({s.lPolyphony, s.lMaxToneBytes, s.lSpeakerLowHz, s.lSpeakerHighHz}),
              std::vector<long>({16, 30720, 850, 5000}));
    EXPECT_EQ(GetSoundProfileFromRegdb("R15", s), 1);
    EXPECT_EQ(std::vector<long>({s.lPolyphony, s.lMaxToneBytes, s.lSpeakerLowHz, s.lSpeakerHighHz}),
              std::vector<long>({0, 0, 800, 5000}));
    EXPECT_EQ(GetSoundProfileFromRegdb("UNKNOWN", s), 0);
}

TEST(PhoneProfile, IncreasingVolumeSitsAtTheEndTheStartOrNowhere)
{
    LoadProfiles(
        Profile("BIRCH-X",
                "\"RtIncreasingVol\"=dword:00000002\n\"RtVolStart\"=dword:00000002\n\"RtVolEnd\"=dword:00000006") +
        Profile("BIRCH-Y",
                "\"RtIncreasingVol\"=dword:00000001\n\"RtVolStart\"=dword:00000002\n\"RtVolEnd\"=dword:00000006") +
        Profile("BIRCH-Z", "\"RtIncreasingVol\"=dword:00000000\n\"RtVolEnd\"=dword:00000006") +
        Profile("CX70",
                "\"RtIncreasingVol\"=dword:00000002\n\"RtVolStart\"=dword:00000003\n\"RtVolEnd\"=dword:00000009"));
    VolumeProfile v;
    EXPECT_EQ(GetVolInfosFromRegdb("BIRCH-X", v), 1);
    EXPECT_TRUE(v.bIncreasingVol);
    EXPECT_EQ(v.lIncreasingVolPos, 6);
    EXPECT_EQ(GetVolInfosFromRegdb("BIRCH-Y", v), 1);
    EXPECT_EQ(v.lIncreasingVolPos, 2);
    const long positionBefore = v.lIncreasingVolPos;
    EXPECT_EQ(GetVolInfosFromRegdb("BIRCH-Z", v), 1);
    EXPECT_FALSE(v.bIncreasingVol);
    EXPECT_EQ(v.lIncreasingVolPos, positionBefore);
    EXPECT_EQ(v.lVolStart, 1); // missing start falls back to 1

    // Outside the platform family start and end are not read: the page keeps what it had.
    VolumeProfile fresh;
    EXPECT_EQ(GetVolInfosFromRegdb("CX70", fresh), 1);
    EXPECT_EQ(fresh.lVolStart, 1);
    EXPECT_EQ(fresh.lVolEnd, 4);
    EXPECT_EQ(fresh.lIncreasingVolPos, 4);
}

TEST(PhoneProfile, MissingRequiredVolumeValuesFailTheReaderWithTheirDefaults)
{
    LoadProfiles(Profile("BIRCH-X", "\"RtIncreasingVol\"=dword:00000002") +
                 Profile("CX70", "\"RtAccMultiChannel\"=dword:00000001"));
    VolumeProfile v;
    EXPECT_EQ(GetVolInfosFromRegdb("BIRCH-X", v), 0);
    EXPECT_EQ(v.lVolEnd, 5);
    EXPECT_EQ(v.lIncreasingVolPos, 5); // at the end, which took its default
    VolumeProfile w;
    EXPECT_EQ(GetVolInfosFromRegdb("CX70", w), 0);
    EXPECT_TRUE(w.bIncreasingVol);
    EXPECT_EQ(w.lIncreasingVolPos, 5);
    EXPECT_EQ(GetVolInfosFromRegdb("", w), 0);
}

TEST(PhoneProfile, TheWholeProfileDecidesConnectionAndMode)
{
    LoadProfiles(
        Profile(
            "CX70",
            "\"RtIncreasingVol\"=dword:00000001\n\"RtAccMultiChannel\"=dword:00000001\n\"RtStdFolder\"=\"Ringtones\"") +
        Profile(
            "BIRCH-A",
            "\"RtIncreasingVol\"=dword:00000001\n\"RtVolEnd\"=dword:00000005\n\"RtAccMultiChannel\"=dword:00000002\n"
            "\"RtStdFolder\"=\"Ringtones\"\n\"NumberFixRt\"=dword:00000028\n\"NumberUserdefRt\"=dword:00000003") +
        Profile(
            "BIRCH-B",
            "\"RtIncreasingVol\"=dword:00000001\n\"RtVolEnd\"=dword:00000005\n\"RtAccMultiChannel\"=dword:00000001\n"
            "\"RtStdFolder\"=\"Ringtones\"") +
        Profile(
            "ME45",
            "\"RtIncreasingVol\"=dword:00000000\n\"RtAccMultiChannel\"=dword:00000000\n"
            "\"NumberFixRt\"=dword:00000028\n\"NumberUserdefRt\"=dword:00000005\n\"FirstUsedIndexRt\"=dword:00000001") +
        Profile("NOMULTI", "\"RtIncreasingVol\"=dword:00000001\n\"RtStdFolder\"=\"Ringtones\""));

    // A folder-mode phone outside the family is connected without tone counts.
    FrameProfile frame;
    VolumeProfile volume;
    int multi = -1;
    EXPECT_EQ(ReadProfile("1", "CX70", frame, volume, multi), 1);
    EXPECT_TRUE(frame.bRtByFilename);
    EXPECT_EQ(frame.strRtStdFolder, "Ringtones");
    EXPECT_EQ(multi, 1);
    EXPECT_EQ(frame.lNumberFixRt, 40);

    // A platform phone with only one of its two folders works by index and needs the counts.
    FrameProfile birch;
    EXPECT_EQ(ReadProfile("1", "BIRCH-A", birch, volume, multi), 1);
    EXPECT_FALSE(birch.bRtByFilename);
    EXPECT_EQ(multi, 0); // only the value 1 means multi-channel
    EXPECT_EQ(birch.lNumberFixRt, 40);
    EXPECT_EQ(birch.lNumberUserdefRt, 3);
    EXPECT_EQ(birch.lNumberRt, 43);
    EXPECT_EQ(birch.lFirstUsedIndexRt, 0); // no first index: 0
    FrameProfile noCounts;
    EXPECT_EQ(ReadProfile("1", "BIRCH-B", noCounts, volume, multi), 0);

    FrameProfile index;
    EXPECT_EQ(ReadProfile("1", "ME45", index, volume, multi), 1);
    EXPECT_FALSE(index.bRtByFilename);
    EXPECT_EQ(index.lFirstUsedIndexRt, 1);
    EXPECT_EQ(index.lNumberRt, 45);

    FrameProfile none;
    EXPECT_EQ(ReadProfile("1", "NOMULTI", none, volume, multi), 0);
    EXPECT_EQ(multi, 0);
    EXPECT_EQ(ReadProfile("1", "UNKNOWN", none, volume, multi), 0);
    EXPECT_EQ(ReadProfile("", "CX70", none, volume, multi), 0);
    EXPECT_EQ(IsSupportedPhone("cx70") != 0, true); // key names ignore case
}

TEST(PhoneProfile, FoldersAreReadOnlyForASupportedPhoneWithAnImei)
{
    LoadProfiles(Profile("BIRCH-M55", "\"RtStdFolder\"=\"Ringtones\"\n\"ImyStdFolder\"=\"iMelodies\"") +
                 Profile("MOSAIC", "\"RtStdFolder\"=\"Ringtones\"\n\"ImyStdFolder\"=\"iMelodies\""));
    FrameProfile p;
    EXPECT_EQ(ReadRtStdFolderFromRegdb("", "BIRCH-M55", p), 0);
    EXPECT_TRUE(p.strRtStdFolder.empty());
    EXPECT_FALSE(p.bRtByFilename);
    EXPECT_EQ(ReadRtStdFolderFromRegdb("1", "BIRCH-M55", p), 1);
    EXPECT_EQ(p.strImyStdFolder, "iMelodies");
    EXPECT_TRUE(p.bRtByFilename);
    // The iMelody folder belongs to types containing BIRCH only.
    EXPECT_EQ(ReadRtStdFolderFromRegdb("1", "MOSAIC", p), 1);
    EXPECT_TRUE(p.strImyStdFolder.empty());
    EXPECT_TRUE(p.bRtByFilename);
}

} // namespace
} // namespace corvina
