// The ringtone file list: look-ups, additions, playable types, paths and the overwrite warning.
#include "CResource.h"
#include "RtFileList.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

TEST(RtFileList, PlayableFilesAreDecidedByTheTextAfterTheLastPoint)
{
    for (const char* name : {"song.MID", "a.b.wav", "x.Mmf"})
        EXPECT_TRUE(FilePlayable(name)) << name;
    for (const char* name : {"song.mid.", "song", "a.mid.txt", ""})
        EXPECT_FALSE(FilePlayable(name)) << name;
}

TEST(RtFileList, NamesAreFoundIgnoringCaseButTheActiveFileOnlyExactly)
{
    RtFileList list;
    list.Names() = {"Alpha.mid", "beta.mid"};
    EXPECT_EQ(list.GetIndexForName("ALPHA.MID"), 0);
    EXPECT_EQ(list.GetActiveFileIndex("ALPHA.MID"), -1);
    EXPECT_EQ(list.GetActiveFileIndex("beta.mid"), 1);
    EXPECT_EQ(list.NameAt(-1), "");
    EXPECT_EQ(list.NameAt(2), "");
    EXPECT_EQ(list.NameAt(1), "beta.mid");
    // An active file elsewhere still gives the bare name.
    EXPECT_EQ(NameFromPhonePath("A:\\Other\\beta.mid"), "beta.mid");
    EXPECT_EQ(list.GetActiveFileIndex(NameFromPhonePath("A:\\Other\\beta.mid")), 1);
    EXPECT_EQ(NameFromPhonePath("plain.mid"), "plain.mid");
    EXPECT_EQ(GetAPathFileName("Ringtones", "x.mid"), "A:\\Ringtones\\x.mid");
}

TEST(RtFileList, AddingAKnownNameOnlyRefreshesItsRecord)
{
    RtFileList list;
    EXPECT_TRUE(list.Add("tune.mid"));
    ASSERT_EQ(list.Records().size(), 1u);
    EXPECT_EQ(list.Records()[0]->dwAttributes, 0x20u);
    EXPECT_EQ(list.Records()[0]->nNumber, 0);
    list.Records()[0]->dwAttributes = 0x01;
    list.Records()[0]->dLastChange = 1.0;
    EXPECT_FALSE(list.Add("TUNE.MID"));
    EXPECT_EQ(list.Names().size(), 1u);
    EXPECT_EQ(list.Records()[0]->dwAttributes, 0x20u);
    EXPECT_GT(list.Records()[0]->dLastChange, 40000.0);
    list.Empty();
    EXPECT_TRUE(list.Names().empty());
    EXPECT_TRUE(list.Records().empty());
}

using test::ScopedEnv;

TEST(RtFileList, TheOverwriteWarningNamesTheFileAndItsDateInTheUsersLocaleAndSaysWhenItIsProtected)
{
    ScopedEnv all("LC_ALL", nullptr), time("LC_TIME", nullptr), lang("LANG", "C.UTF-8");
    CResource english;
    english.SetLanguage(LANG_ENGLISH_UK);
    RtFileList list;
    list.Add("tune.mid");
    list.Records()[0]->dLastChange = 45000.5; // 15 March 2023, noon
    int index = -7;
    EXPECT_EQ(list.GetOverwriteWarning("TUNE.mid", index, english), "");
    EXPECT_EQ(index, -7);
    EXPECT_EQ(list.GetOverwriteWarning("tune.mid", index, english),
              "The target directory already contains a file with the name \"tune.mid\",\n"
              "\nlast changed on 15/03/2023 12:00:00.\n\nDo you want to replace this file?");
    EXPECT_EQ(index, 0);
    list.Records()[0]->dwAttributes = 0x21;
    EXPECT_EQ(
        list.GetOverwriteWarning("tune.mid", index, english).substr(0, 70),
        std::string("The target directory contains a write-protected file with the name \"tune.mid\",").substr(0, 70));

    // The user's own locale of the same language decides; another language's locale does not.
    const std::tm noon = OleDateFields(45000.5);
    CResource german;
    german.SetLanguage(LANG_GERMAN);
    EXPECT_EQ(german.FormatDateTime(noon), "15.03.2023 12:00:00");
    ScopedEnv american("LANG", "en_US.UTF-8");
    EXPECT_EQ(english.FormatDateTime(noon), "03/15/2023 12:00:00 PM");
    EXPECT_EQ(german.FormatDateTime(noon), "15.03.2023 12:00:00");
}

TEST(RtFileList, PlatformRecordsSortByToneNumberAndTheOverwriteWarningReadsTheRecordOfTheName)
{
    CResource english;
    english.SetLanguage(LANG_ENGLISH_UK);
    RtFileList list;
    for (const char* name : {"c.mid", "a.mid", "b.mid"})
        list.Add(name);
    const int numbers[] = {50, 12, 45};
    for (int i = 0; i < 3; ++i) {
        list.Records()[i]->nToneNumber = numbers[i];
        list.Records()[i]->nIndex = i;
    }
    list.Records()[0]->dwAttributes = 0x21; // only c.mid is write-protected
    list.SortRecordsByToneNumber();
    EXPECT_EQ(list.Records()[0]->nToneNumber, 12);
    EXPECT_EQ(list.Records()[0]->nIndex, 1);
    EXPECT_EQ(list.Records()[2]->nToneNumber, 50);
    EXPECT_EQ(list.Names()[0], "c.mid");
    EXPECT_EQ(list.RecordForName(0)->nToneNumber, 50);
    int index = -1;
    EXPECT_NE(list.GetOverwriteWarning("c.mid", index, english).find("write-protected"), std::string::npos);
    EXPECT_EQ(list.GetOverwriteWarning("a.mid", index, english).find("write-protected"), std::string::npos);
    EXPECT_EQ(list.RecordForName(3), nullptr);
}

} // namespace
} // namespace corvina
