// The Melodies page's phone conversation against the virtual phone, without a display.
#include "AtHelperOnPhone.h"
#include "CFileStream.h"
#include "CMelodiesPhone.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

using CMelodiesPhoneTest = test::VirtualPhoneTest; // skipped where the build has no virtual phone

TEST_F(CMelodiesPhoneTest, TheSoundModeIsKeptAndPutBackAndAClipLandsInItsUserSlot)
{
    test::ScratchFolder folder;
    test::VirtualPhone phone(folder.Path(), "ME45");
    ASSERT_TRUE(phone.Ready());
    auto helper = test::AtHelperOn(phone);
    CMelodiesPhone melodies([&] { return helper.get(); });

    EXPECT_TRUE(melodies.WriteSoundMode(0x14)); // not the phone's first mode
    EXPECT_EQ(melodies.ReadSoundMode(), 0x14L);

    const std::string clip = "MThd clip bytes";
    std::shared_ptr<IStream> stream;
    ASSERT_EQ(CFileStream::CreateFromFile(folder.Write("clip.mid", clip), stream), S_OK);
    EXPECT_EQ(melodies.SendToSlot(2, stream.get()), S_OK);
    EXPECT_EQ(test::ReadFile(phone.State() / "usertones" / "2.mid"), clip);
    // A slot the phone does not have is refused with the phone's answer.
    ASSERT_EQ(CFileStream::CreateFromFile(folder.Path() / "clip.mid", stream), S_OK);
    EXPECT_TRUE(FAILED(melodies.SendToSlot(9, stream.get())));
    EXPECT_FALSE(std::filesystem::exists(phone.State() / "usertones" / "9.mid"));

    CMelodiesPhone unlinked([] { return static_cast<CAtcHelperFunctions*>(nullptr); });
    EXPECT_FALSE(unlinked.ReadSoundMode().has_value());
    EXPECT_FALSE(unlinked.WriteSoundMode(0x22));
    EXPECT_EQ(unlinked.SendToSlot(2, stream.get()), E_POINTER);
}

} // namespace
} // namespace corvina
