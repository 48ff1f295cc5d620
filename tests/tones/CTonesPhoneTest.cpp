// The tones page's phone conversation against the virtual phone, without a display: what the phone
// was told shows in its settings, and a refusal or a missing link leaves everything as it was.
#include "AtHelperOnPhone.h"
#include "CTonesPhone.h"
#include "ReadOut.h"
#include "ScratchFolder.h"
#include "SoundMode.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

std::int32_t SoundModeOf(CAtcHelperFunctions& helper)
{
    std::int32_t word = -1;
    EXPECT_EQ(helper.Atc().GetSoundMode(&word), S_OK);
    return word;
}

class CTonesPhoneTest : public test::VirtualPhoneTest {
protected:
    test::ScratchFolder m_folder;
};

TEST_F(CTonesPhoneTest, TheSoundModeGoesOutWithOnlyThePartsThePhoneHasAndComesBackAsItWas)
{
    test::VirtualPhone phone(m_folder.Path(), "CX70");
    ASSERT_TRUE(phone.Ready());
    auto helper = test::AtHelperOn(phone);
    CTonesPhone tones([&] { return helper.get(); });

    EXPECT_TRUE(tones.RestoreSoundMode(kRingOff | kVibraOff));
    EXPECT_EQ(SoundModeOf(*helper), kRingOff | kVibraOff);
    // Without AT+CVIB only the ringer part is sent: the vibration stays as the phone had it.
    EXPECT_TRUE(tones.WriteSoundMode(kRingBeep | kVibraOn, LACKS_VIBRATION));
    EXPECT_EQ(SoundModeOf(*helper), kRingBeep | kVibraOff);
    // Nothing the phone has is left: nothing is sent, and that is no failure.
    EXPECT_TRUE(tones.WriteSoundMode(kRingOn | kVibraOn, LACKS_RINGER | LACKS_VIBRATION));
    EXPECT_EQ(SoundModeOf(*helper), kRingBeep | kVibraOff);
    // A phone without a tone per line refuses the line tone.
    EXPECT_FALSE(tones.ReadLineTone(8).has_value());
}

TEST_F(CTonesPhoneTest, ALineToneIsWrittenWithItsVolumeAndReadBackAndARefusedOneChangesNothing)
{
    test::VirtualPhone phone(m_folder.Path(), "BIRCH-M55");
    ASSERT_TRUE(phone.Ready());
    auto helper = test::AtHelperOn(phone);
    CTonesPhone tones([&] { return helper.get(); });

    EXPECT_TRUE(tones.WriteLineTone(8, 5, 2));
    EXPECT_EQ(phone.Settings()["line.8.tone"], "5");
    EXPECT_EQ(phone.Settings()["line.8.volume"], "2");
    const auto read = tones.ReadLineTone(8);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->tone, 5);
    EXPECT_EQ(read->volume, 2);
    // A volume outside the phone's scale is refused and the line keeps what it had.
    EXPECT_FALSE(tones.WriteLineTone(8, 6, 99));
    EXPECT_EQ(phone.Settings()["line.8.tone"], "5");
}

TEST_F(CTonesPhoneTest, WithoutAnAtHelperEveryExchangeFailsQuietly)
{
    CTonesPhone tones([] { return static_cast<CAtcHelperFunctions*>(nullptr); });
    EXPECT_FALSE(tones.RestoreSoundMode(kRingOn | kVibraOff));
    EXPECT_FALSE(tones.WriteSoundMode(kRingOn | kVibraOff, 0));
    EXPECT_FALSE(tones.ReadLineTone(8).has_value());
    EXPECT_FALSE(tones.WriteLineVolume(1, 2));
}

} // namespace
} // namespace corvina
