// The tones list's texts and item data by index, by file and on platform phones, and the active position.
#include "CResource.h"
#include "TonesListItems.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

class TonesList : public testing::Test {
protected:
    void SetUp() override { strings.SetLanguage(LANG_ENGLISH_UK); }
    // Platform-phone files: the records are sorted by tone number, the names keep listing order.
    std::vector<ToneListItem> Birch(const std::string& type, std::vector<std::string> fileNames)
    {
        names = std::move(fileNames);
        TonesListSource source{true, type, 40, 0, &names, &pointers};
        return BuildTonesList(source, strings);
    }
    CResource strings;
    std::vector<std::string> names;
    std::vector<STRUCT_RTFILEINFO> records{{1, 12}, {0, 45}, {2, 50}};
    std::vector<STRUCT_RTFILEINFO*> pointers{&records[0], &records[1], &records[2]};
};

TEST_F(TonesList, ByIndexFortyFixedTonesAreFollowedByTheNumberedUserDefinedSlots)
{
    const auto items = BuildTonesList({false, "C55", 40, 2, nullptr, nullptr}, strings);
    ASSERT_EQ(items.size(), 42u);
    EXPECT_EQ(items[0].strText, "  01   Melody");
    EXPECT_EQ(items[39].strText, "  40   Melody");
    EXPECT_EQ(items[40].strText, "  41   User-defined 01");
    EXPECT_EQ(items[41].strText, "  42   User-defined 02");
    EXPECT_EQ(items[41].lData, 0);
    // A click on entry 41 (position 40) selects the tone FirstUsedIndexRt + 40, and back.
    EXPECT_EQ(ToneIndexForPosition(40, 1), 41);
    EXPECT_EQ(ActiveTonePosition(false, 7, 41, 1), 40);
    EXPECT_EQ(ActiveTonePosition(true, 7, 41, 1), 7);
}

TEST_F(TonesList, ByFileEachNameIsOneEntryAndAddedFilesLookTheSame)
{
    names = {"a.mid", "b.wav"};
    const auto items = BuildTonesList({true, "C55", 40, 2, &names, nullptr}, strings);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].strText, "  b.wav");
    EXPECT_EQ(AddedFileItem("new.mid").strText, "  new.mid");
}

TEST_F(TonesList, BirchPhonesNameFixedTonesByFileAndAppendHigherToneNumbers)
{
    const auto items = Birch("BIRCH", {"alpha.mid", "beta.mid", "gamma.mid"});
    ASSERT_EQ(items.size(), 42u);
    EXPECT_EQ(items[10].strText, "  11   Melody");
    EXPECT_EQ(items[11].strText, "  12   beta.mid");
    EXPECT_EQ(items[11].lData, 12);
    EXPECT_EQ(items[40].strText, "  41   alpha.mid");
    EXPECT_EQ(items[40].lData, 45);
    EXPECT_EQ(items[41].strText, "  42   gamma.mid");
    EXPECT_EQ(items[41].lData, 50);
    EXPECT_EQ(FindToneItem(items, 50), 41);
    EXPECT_EQ(FindToneItem(items, -1), -1);
}

TEST_F(TonesList, MosaicShowsMelodyForEveryFixedEntry)
{
    const auto items = Birch("MOSAIC", {"alpha.mid", "beta.mid", "gamma.mid"});
    ASSERT_EQ(items.size(), 42u);
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(items[n].strText.substr(7), "Melody") << n;
        EXPECT_EQ(items[n].lData, n + 1);
    }
    EXPECT_EQ(items[41].lData, 50);
}

TEST_F(TonesList, OnlyRecordsThatHaveANameEntryAtTheirPositionAreShown)
{
    // Two names, three records: the third record is not read; the first still names tone 12.
    auto items = Birch("BIRCH", {"alpha.mid", "beta.mid"});
    ASSERT_EQ(items.size(), 41u);
    EXPECT_EQ(items[11].strText, "  12   beta.mid");
    EXPECT_EQ(items[40].strText, "  41   alpha.mid");

    // More names than records: the extra names add nothing; a record naming no entry is skipped.
    records[2].nIndex = 9;
    items = Birch("BIRCH", {"alpha.mid", "beta.mid", "gamma.mid", "delta.mid"});
    ASSERT_EQ(items.size(), 41u);
    EXPECT_EQ(items[40].lData, 45);
}

} // namespace
} // namespace corvina
