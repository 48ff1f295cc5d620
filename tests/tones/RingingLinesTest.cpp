// The ringing lines of caller-group phones (with and without groups), platform phones and others.
#include "CGroupMgr.h"
#include "CRegistryHelper.h"
#include "CResource.h"
#include "RingingLine.h"
#include "RingingLines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvina {
namespace {

// A key of numbered group names below the caller-group key.
std::string Names(const std::string& subkey, const std::vector<std::string>& names)
{
    std::string text = "\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\CallerGroups\\" + subkey + "]\n";
    for (size_t i = 0; i < names.size(); ++i)
        text += "\"" + std::to_string(i) + "\"=\"" + names[i] + "\"\n";
    return text;
}

const std::string kHeader =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\"
    "CallerGroups]\n\"R41Family\"=\"R41;RX41;RX4A;RX4E;MV72;MV73\"\n\"GroupNone\"=\"No group\"\n";
const std::string kGroups =
    kHeader +
    Names("PhoneTypes\\R41",
          {"None", "Family", "Friends", "Colleagues", "VIP", "Office", "Sports", "Neighbours", "Others"}) +
    Names("Imei\\111", {"Nobody", "Band", "Club", "Team", "Crew", "Choir", "Class", "Gym", "Kin"});

class RingingLines : public testing::Test {
protected:
    void SetUp() override { strings.SetLanguage(LANG_ENGLISH_UK); }
    void TearDown() override { Registry::Instance().Reload(); }
    RingingLineTable Build(const std::string& type, const std::string& imei, bool isR41 = true)
    {
        return BuildRingingLines(type, imei, true, isR41, strings, CGroupMgr::GetRef());
    }
    CResource strings;
};

TEST_F(RingingLines, ASliderModelWithItsOwnGroupsShowsTwentyLinesWithoutTheNoGroupEntry)
{
    Registry::Instance().LoadText(kGroups);
    const RingingLineTable table = Build("rx4a", "111");
    EXPECT_EQ(table.nLabelId, 541u);
    ASSERT_EQ(table.LineNames.size(), 20u);
    ASSERT_EQ(table.LineTypes.size(), 20u);
    EXPECT_EQ(table.LineNames[0], "Phonebook/Addressbook calls");
    EXPECT_EQ(table.LineNames[1], "Group calls Band");
    EXPECT_EQ(table.LineNames[8], "Group calls Kin");
    EXPECT_EQ(table.LineTypes[8], 17);
    EXPECT_EQ(table.LineNames[9], "Other calls");
    EXPECT_EQ(table.LineTypes[9], 6);
    EXPECT_EQ(std::count(table.LineTypes.begin(), table.LineTypes.end(), eGroupNone), 0);
    EXPECT_EQ(table.LineNames[18], "Open Glidex");
    EXPECT_EQ(table.LineTypes.back(), eCloseGlidex);
    // Messages, Alarm and Alarm clock reach the phone as lines 15, 14 and 13.
    EXPECT_EQ(table.LineTypes[12], eAlarm);
    EXPECT_EQ(table.LineTypes[13], eAlarmClock);
    EXPECT_EQ(table.LineTypes[14], eMessages);
    EXPECT_EQ(RingingLineFromProfileType(table.LineTypes[14]), 15);
    EXPECT_EQ(RingingLineFromProfileType(table.LineTypes[12]), 14);
    EXPECT_EQ(RingingLineFromProfileType(table.LineTypes[13]), 13);
}

TEST_F(RingingLines, APhoneWithoutGroupsTakesTheFamilyDefaultsAndTheFamilysLineCount)
{
    Registry::Instance().LoadText(kGroups);
    const RingingLineTable table = Build("RX41", "999");
    ASSERT_EQ(table.LineNames.size(), 18u);
    EXPECT_EQ(table.LineNames[1], "Group calls Family");
    EXPECT_EQ(table.LineNames.back(), "End melody");
    EXPECT_EQ(R41RowCount("MV73"), 21);
    EXPECT_EQ(R41RowCount("R41"), 19);
}

TEST_F(RingingLines, FewerThanNineGroupNamesMakeEveryGroupLineTheNoGroupName)
{
    Registry::Instance().LoadText(kHeader + Names("PhoneTypes\\R41", {"None", "Family"}));

    const RingingLineTable table = Build("R41", "");
    ASSERT_EQ(table.LineNames.size(), 18u);
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(table.LineNames[i], "Group calls No group") << i;
}

TEST_F(RingingLines, PlatformPhonesShowFourLinesAndOtherPhonesAllCalls)
{
    const RingingLineTable birch = Build("XBIRCH2", "1", false);
    EXPECT_EQ(birch.nLabelId, 527u);
    EXPECT_EQ(birch.LineNames,
              (std::vector<std::string>{"External Calls", "Internal Calls", "Appointments", "Alarm clock"}));
    EXPECT_EQ(birch.LineTypes, (std::vector<int>{22, 23, 21, 13}));
    EXPECT_EQ(Build("mosaic", "1", false).LineTypes.size(), 4u);

    const RingingLineTable other = Build("C55", "1", false);
    EXPECT_EQ(other.LineNames, std::vector<std::string>{"All calls"});
    EXPECT_EQ(other.LineTypes, std::vector<int>{6});
    // Without a main dialog the caller-group test does not apply.
    EXPECT_EQ(BuildRingingLines("R41", "1", false, true, strings, CGroupMgr::GetRef()).LineTypes, std::vector<int>{6});
}

} // namespace
} // namespace corvina
