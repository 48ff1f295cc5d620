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
    Registry::Instance().LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\PhoneDependencies\\ME45]\n"
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
    Registry::Instance().LoadText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina\\PhoneDependencies\\BIRCH-M55\\Extra]\n");
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("BIRCH-M55", kPhoneDependenciesKey), 1);
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("birch-m55", kPhoneDependenciesKey), 1);
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("BIRCH", kPhoneDependenciesKey), 0);
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("BIRCH-M55\\Extra", kPhoneDependenciesKey), 0);
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("", kPhoneDependenciesKey), 0);
    EXPECT_EQ(CRegistryHelper::bIsKeyInSubkeyEnumeration("Extra", kPhoneDependenciesKey), 0);
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
    EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "PortCandidates"), "/dev/ttyACM*;/dev/ttyUSB*;/dev/rfcomm*");
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Halvren\\Pellucid 5.0\\Kvt"));

    struct Expected {
        const char* phone;
        const char* rtFolder;
        const char* imyFolder;
        std::optional<int> volStart, volEnd, increasing, fixed, userdef, first, multi;
    };
    const Expected profiles[] = {
        {"CX70", "Ringtones", nullptr, {}, {}, 1, {}, {}, {}, 1},
        {"BIRCH-M55", "Ringtones", "iMelodies", 1, 5, 2, 40, 0, 1, 1},
        {"MOSAIC", "Ringtones", nullptr, 1, 5, 1, 40, 0, 1, 1},
        {"ME45", nullptr, nullptr, {}, {}, 0, 40, 5, 1, 0},
        {"R15", nullptr, nullptr, {}, {}, 0, 40, 2, 1, 0},
        {"RX41", "Ringtones", nullptr, {}, {}, 2, {}, {}, {}, 1},
        {"R41", "Ringtones", nullptr, {}, {}, 2, {}, {}, {}, 1},
    };
    std::vector<std::string> phones = registry.SubKeys(HKEY_LOCAL_MACHINE, kPhoneDependenciesKey);
    EXPECT_EQ(phones.size(), std::size(profiles));
    for (const Expected& p : profiles) {
        SCOPED_TRACE(p.phone);
        std::string key = ProfileKey(p.phone);
        ASSERT_TRUE(registry.KeyExists(HKEY_LOCAL_MACHINE, key));
        auto text = [&](const char* expected) { return expected ? std::optional<std::string>(expected) : std::nullopt; };
        EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, key, "RtStdFolder"), text(p.rtFolder));
        EXPECT_EQ(registry.GetString(HKEY_LOCAL_MACHINE, key, "ImyStdFolder"), text(p.imyFolder));
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtVolStart"), p.volStart);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtVolEnd"), p.volEnd);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtIncreasingVol"), p.increasing);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "NumberFixRt"), p.fixed);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "NumberUserdefRt"), p.userdef);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "FirstUsedIndexRt"), p.first);
        EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, key, "RtAccMultiChannel"), p.multi);
        // Every shipped phone names its voices (a chip's usual count), its size limit and its speaker.
        const int voices = registry.GetDword(HKEY_LOCAL_MACHINE, key, "Polyphony").value_or(0);
        EXPECT_TRUE(voices == 4 || voices == 16 || voices == 24 || voices == 32 || voices == 40 || voices == 64) << voices;
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
