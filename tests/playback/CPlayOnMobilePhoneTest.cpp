// The phone side of the play-on-phone panel against the virtual phone, without a display.
#include "AtHelperOnPhone.h"
#include "CPlayOnMobilePhone.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

using CPlayOnMobilePhoneTest = test::VirtualPhoneTest; // skipped where the build has no virtual phone

TEST_F(CPlayOnMobilePhoneTest, PlaysTheRingtoneOrAFileOnThePhoneStopsItAndSaysWhenNothingPlays)
{
    test::ScratchFolder folder;
    test::VirtualPhone phone(folder.Path(), "CX70");
    ASSERT_TRUE(phone.Ready());
    auto helper = test::AtHelperOn(phone);
    CPlayOnMobilePhone player([&] { return helper.get(); });

    EXPECT_TRUE(player.SetRingTone(17, 3));
    EXPECT_EQ(phone.Settings()["ringtone.index"], "17");
    EXPECT_TRUE(player.Play(false, ""));
    EXPECT_EQ(phone.Settings()["playing"], "tone 17");
    EXPECT_TRUE(player.Stop(false));
    EXPECT_EQ(phone.Settings()["playing"], "");

    test::WriteFile(phone.Files() / "Ringtones" / "tune.mid", "MThd");
    EXPECT_TRUE(player.Play(true, "A:\\Ringtones\\tune.mid"));
    EXPECT_EQ(phone.Settings()["playing"], "file A:\\Ringtones\\tune.mid");
    EXPECT_TRUE(player.Stop(true));
    EXPECT_EQ(phone.Settings()["playing"], "");
    // A file the phone does not have, and a volume off its scale, are refused.
    EXPECT_FALSE(player.Play(true, "A:\\Ringtones\\missing.mid"));
    EXPECT_EQ(phone.Settings()["playing"], "");
    EXPECT_FALSE(player.SetRingTone(18, 9));
    EXPECT_EQ(phone.Settings()["ringtone.index"], "17");

    CPlayOnMobilePhone unlinked([] { return static_cast<CAtcHelperFunctions*>(nullptr); });
    EXPECT_FALSE(unlinked.Play(false, ""));
    EXPECT_FALSE(unlinked.Stop(false));
}

} // namespace
} // namespace corvina
