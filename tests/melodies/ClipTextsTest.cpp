// File dialog filter, initial folder and track list texts of the clip editor.
#include "ClipTexts.h"

#include "CRegistryHelper.h"

#include <gtest/gtest.h>

namespace corvina {

TEST(ClipTexts, TheFilterOffersMidiFilesThenAllFilesInTheChosenLanguage)
{
    CResource strings;
    strings.SetLanguage(LANG_ENGLISH_UK);
    EXPECT_EQ(BuildFilter(strings), "MIDI files (*.mid)|*.mid|All files (*.*)|*.*||");
    EXPECT_EQ(FilterToWildcard(BuildFilter(strings)), "MIDI files (*.mid)|*.mid|All files (*.*)|*.*");
    strings.SetLanguage(LANG_GERMAN);
    EXPECT_EQ(FilterToWildcard(BuildFilter(strings)), "MIDI-Dateien (*.mid)|*.mid|Alle Dateien (*.*)|*.*");
}

TEST(ClipTexts, TheInitialFolderIsTheSavedOrOpenFilesFolderElseTheUsersMelodyFolder)
{
    Registry::Instance().LoadText("Windows Registry Editor Version 5.00\n\n"
                                  "[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n"
                                  "\"RingingtoneFile\"=\"/home/user/Tones\"\n");
    EXPECT_EQ(GetInitialFolder(true, "/saved/clip.mid", "/open/song.mid", true).text, "/saved");
    EXPECT_EQ(GetInitialFolder(true, "", "/open/song.mid", true).text, "/open");
    const InitialFolder whole = GetInitialFolder(true, "", "/open/song.mid", false);
    EXPECT_EQ(whole.text, "/open/song.mid");
    EXPECT_FALSE(whole.fromRegistry);

    for (const InitialFolder& folder :
         {GetInitialFolder(false, "/saved/clip.mid", "/open/song.mid", true),
          GetInitialFolder(true, "", "/song.mid", true), GetInitialFolder(true, "", "song.mid", true)}) {
        EXPECT_EQ(folder.text, "/home/user/Tones");
        EXPECT_TRUE(folder.fromRegistry);
    }
    Registry::Instance().Reload();
}

TEST(ClipTexts, TrackRowsCountFromOneAndTheAllRowSaysAll)
{
    CResource strings;
    strings.SetLanguage(LANG_ENGLISH_UK);
    EXPECT_EQ(TrackRowText(0), "        1");
    EXPECT_EQ(ChannelRowText(9), "10");
    EXPECT_EQ(AllRowTrackText(strings), "        all");
    EXPECT_EQ(AllRowChannelText(strings), "all");
    EXPECT_EQ(TrackColumnTitle(strings), "        Track");
    EXPECT_EQ(ChannelColumnTitle(strings), "        Channel");
}

} // namespace corvina
