// The registry calls the editor makes, the shipped phone profiles and the user's melody folder.
#include <gtest/gtest.h>

#include "CRegistryHelper.h"
#include "ScopedEnv.h"
#include "ScratchFolder.h"

namespace corvina {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

std::string ProfileKey(const std::string& phone)
{
    return std::string(kPhoneDependenciesKey) + "\\" + phone;
}

TEST(CRegistryHelper, ReadsValuesOnlyWhenPresentAndLeavesTheTargetAloneOtherwise)
{
    Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\PhoneDependencies\\ME45]\n"
        "\"NumberFixRt\"=dword:00000028\n\"Negative\"=dword:fffffffe\n\"RtStdFolder\"=\"Tones\"\n");
    CRegistryHelper helper;
    long number = 99;
    EXPECT_EQ(helper.bGetDWordAsLongFromRegistry(number, "NumberFixRt", HKEY_LOCAL_MACHINE, ProfileKey("ME45")), 1);
    EXPECT_EQ(number, 40);
    EXPECT_EQ(helper.bGetDWordAsLongFromRegistry(number, "Negative", HKEY_LOCAL_MACHINE, ProfileKey("me45")), 1);
    EXPECT_EQ(number, -2);
    EXPECT_EQ(helper.bGetDWordAsLongFromRegistry(number, "NumberUserdefRt", HKEY_LOCAL_MACHINE, ProfileKey("ME45")), 0);
    EXPECT_EQ(number, -2);

    std::string folder = "unchanged";
    EXPECT_EQ(helper.bGetStringFromRegistry(folder, "rtstdfolder", HKEY_LOCAL_MACHINE, ProfileKey("ME45")), 1);
    EXPECT_EQ(folder, "Tones");
    EXPECT_EQ(helper.bGetStringFromRegistry(folder, "ImyStdFolder", HKEY_LOCAL_MACHINE, ProfileKey("ME45")), 0);
    EXPECT_EQ(helper.bGetStringFromRegistry(folder, "NumberFixRt", HKEY_LOCAL_MACHINE, ProfileKey("ME45")), 0);
    EXPECT_EQ(folder, "Tones");
}

TEST(CRegistryHelper, FindsOnlyDirectSubkeysOfTheParentIgnoringCase)
{
    Registry::Instance().LoadText(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\PhoneDependencies\\BIRCH-M55\\Extra]\n");
    for (const char* found : {"BIRCH-M55", "birch-m55"})
        EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration(found, kPhoneDependenciesKey), 1) << found;
    for (const char* missing : {"BIRCH", "BIRCH-M55\\Extra", "", "Extra"})
        EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration(missing, kPhoneDependenciesKey), 0) << missing;
}

TEST(CRegistryHelper, ShippedDefaultParsesCleanlyAndHoldsEveryPhoneProfile)
{
    Registry registry;
    registry.Load({std::filesystem::path(CORVINA_SHIPPED_REG_DIR) / "default.reg"});
    EXPECT_TRUE(registry.Problems().empty()) << registry.Problems().front();
    EXPECT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, kSuiteRootKey));
    EXPECT_FALSE(registry.GetDword(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Language"));
    // The phone is found by itself among the usual serial devices.
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port"), "auto");
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "PortCandidates"),
              "/dev/ttyACM*;/dev/ttyUSB*;/dev/rfcomm*");
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Halvren\\Pellucid 5.0\\Kvt"));

    // Each profile is of one kind: a phone that keeps ringtones as files in a standard folder (an
    // iMelody folder only beside it), or one with numbered fixed and user-defined slots.
    const std::vector<std::string> phones = registry.SubKeys(HKEY_LOCAL_MACHINE, kPhoneDependenciesKey);
    EXPECT_EQ(phones.size(), 7u);
    for (const std::string& phone : phones) {
        SCOPED_TRACE(phone);
        const std::string key = ProfileKey(phone);
        const bool files = registry.GetString(HKEY_LOCAL_MACHINE, key, "RtStdFolder").has_value();
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "NumberUserdefRt").value_or(0) > 0, !files);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtAccMultiChannel").value_or(0), files ? 1 : 0);
        if (!files) {
            EXPECT_FALSE(registry.GetString(HKEY_LOCAL_MACHINE, key, "ImyStdFolder"));
            EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "NumberFixRt"), 40);
            EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "FirstUsedIndexRt"), 1);
        }
        if (const auto start = registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtVolStart")) {
            EXPECT_LT(*start, registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtVolEnd").value_or(0));
        }
        EXPECT_LE(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtIncreasingVol").value_or(0), 2);
        // Every shipped phone names its voices (a chip's usual count), its size limit and its speaker.
        const int voices = registry.GetDword(HKEY_LOCAL_MACHINE, key, "Polyphony").value_or(0);
        EXPECT_TRUE(voices == 4 || voices == 16 || voices == 24 || voices == 32 || voices == 40 || voices == 64)
            << voices;
        EXPECT_GT(registry.GetDword(HKEY_LOCAL_MACHINE, key, "MaxToneBytes").value_or(0), 0);
        EXPECT_LT(registry.GetDword(HKEY_LOCAL_MACHINE, key, "SpeakerLowHz").value_or(0),
                  registry.GetDword(HKEY_LOCAL_MACHINE, key, "SpeakerHighHz").value_or(0));
    }
}

TEST(CRegistryHelper, UserPathComesFromTheRegistryThenTheMusicFolderThenHome)
{
    ScratchFolder home;
    ScopedEnv homeVar("HOME", home.Path().string());
    ScopedEnv configVar("XDG_CONFIG_HOME", nullptr);
    Registry::Instance().LoadText("REGEDIT4\n");

    // No music folder at all: the home folder.
    EXPECT_EQ(CRegistryHelper::GetUserSpecificPath("RingingtoneFile"), home.Path().string());

    std::filesystem::create_directories(home.Path() / "Music");
    EXPECT_EQ(CRegistryHelper::GetUserSpecificPath("RingingtoneFile"), (home.Path() / "Music").string());

    // The desktop's own name for the music folder wins over the plain guess once it exists.
    home.Write(".config/user-dirs.dirs", "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                         "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    EXPECT_EQ(CRegistryHelper::GetUserSpecificPath("RingingtoneFile"), (home.Path() / "Music").string());
    std::filesystem::create_directories(home.Path() / "Songs");
    EXPECT_EQ(CRegistryHelper::GetUserSpecificPath("RingingtoneFile"), (home.Path() / "Songs").string());

    Registry::Instance().LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
                                  "\"RingingtoneFile\"=\"/srv/melodies\"\n");
    EXPECT_EQ(CRegistryHelper::GetUserSpecificPath("RingingtoneFile"), "/srv/melodies");
}

} // namespace
} // namespace corvina
