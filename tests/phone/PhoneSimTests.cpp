// The AT command service and the ringtone-assignment service against the virtual phone on a real
// pseudo-terminal; the phone's settings file shows what it was told.
#include "CAtCommandService.h"
#include "CAtcHelperFunctions.h"
#include "CFileStream.h"
#include "IMBXVolume.h"
#include "PhoneErrors.h"
#include "PhoneTestSupport.h"
#include "VirtualPhone.h"
#include "ServiceInit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::VirtualPhone;

class PhoneSimTest : public test::VirtualPhoneTest {
protected:
    void TearDown() override { Registry::Instance().LoadText(""); }

    // Starts the phone (after the one before has ended) and points the configuration at it.
    void Start(const std::string& model)
    {
        phone.reset();
        phone = std::make_unique<VirtualPhone>(dir.Path(), model);
        test::LoadRegistry(phone->RegistryText());
        ASSERT_TRUE(phone->Ready());
    }

    test::ScratchFolder dir;
    std::unique_ptr<VirtualPhone> phone;
};

TEST_F(PhoneSimTest, AVirtualPhoneEndsWithTheTestThatStartedItEvenWhenTheTestCrashes)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t test = ::fork();
    if (test == 0) {
        VirtualPhone phone(dir.Path(), "CX70");
        const pid_t pid = phone.Ready() ? phone.Pid() : -1;
        [[maybe_unused]] const auto written = ::write(fds[1], &pid, sizeof pid);
        std::abort(); // no destructor runs
    }
    ::close(fds[1]);
    pid_t phonePid = -1;
    ASSERT_EQ(::read(fds[0], &phonePid, sizeof phonePid), static_cast<ssize_t>(sizeof phonePid));
    ::close(fds[0]);
    ::waitpid(test, nullptr, 0);
    ASSERT_GT(phonePid, 0);
    // The phone was the crashed test's child; it is gone at once, not left holding the runner's pipe:
    // gone, or dead and waiting for whoever inherited it to collect it.
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        const std::string text = test::ReadFile("/proc/" + std::to_string(phonePid) + "/stat");
        gone = text.empty() || text.substr(text.rfind(')') + 2, 1) == "Z";
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
}

TEST_F(PhoneSimTest, SettingsOperationsChangeThePhoneAndReadItBack)
{
    ASSERT_NO_FATAL_FAILURE(Start("CX70"));
    CAtcHelperFunctions helper;
    IAtCommandService& atc = helper.Atc();

    std::int32_t start = 0, end = 0;
    EXPECT_EQ(atc.GetVolumeRange(1, &start, &end), S_OK);
    EXPECT_EQ(std::pair(start, end), std::pair(1, 4));
    EXPECT_EQ(atc.GetVolumeRangeOfGroupPhones(&start, &end), HR_AT_ERROR); // not a group phone

    // Choosing a tone turns the ringer on, so the sound mode comes after it.
    EXPECT_EQ(atc.SetRingTone(17, 3), S_OK);
    EXPECT_EQ(atc.SetLineVolume(2, 4), S_OK);
    EXPECT_EQ(atc.SetSoundMode(0x04 | 0x10), S_OK);
    auto settings = phone->Settings();
    EXPECT_EQ(std::tuple(settings["calm"], settings["cvib"]), std::tuple("2", "1"));
    EXPECT_EQ(settings["ringtone.index"], "17");
    // A one-line phone has one ringing volume: the line volume written is the one read back.
    EXPECT_EQ(settings["ringtone.volume"], "4");
    EXPECT_EQ(settings.count("ringingline.2.volume"), 0u);

    std::int32_t word = 0, tone = 0, volume = 0;
    EXPECT_EQ(atc.GetSoundMode(&word), S_OK);
    EXPECT_EQ(word, 0x14);
    EXPECT_EQ(atc.GetRingTone(&tone, &volume), S_OK);
    EXPECT_EQ(std::pair(tone, volume), std::pair(17, 4));
    EXPECT_EQ(atc.SetLineVolume(3, 2), S_OK);
    EXPECT_EQ(atc.GetRingTone(&tone, &volume), S_OK);
    EXPECT_EQ(volume, 2);
    EXPECT_EQ(atc.SetRingTone(17, 9), HrFromCmeError(21)); // outside the volume scale
    // Playing and stopping as the play-on-phone panel does is its own test; here the refusals' codes.
    EXPECT_EQ(atc.PlayToneFile("A:\\Ringtones\\missing.mid", -1), HrFromCmeError(22));
    EXPECT_EQ(atc.PlayToneFile("A:\\Ringtones\\\"quoted\".mid", -1), E_INVALIDARG);

    std::string imei, model;
    auto* service = dynamic_cast<CAtCommandService*>(&atc);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->GetIdentity(imei, model), S_OK);
    EXPECT_EQ(std::tuple(imei, model), std::tuple("350000000000017", "CX70"));
}

TEST_F(PhoneSimTest, TheActiveFileOfALineIsSetAndReadThroughTheRingtoneAssignmentService)
{
    ASSERT_NO_FATAL_FAILURE(Start("CX70"));
    test::WriteFile(phone->Files() / "Ringtones" / "tune.mid", "MThd");
    std::shared_ptr<IRingtoneSettings> settings;
    ASSERT_TRUE(InitRtSettingsPtr(settings));
    std::string path;
    EXPECT_EQ(settings->GetActiveFile(6, path), S_FALSE);
    EXPECT_EQ(path, "");
    EXPECT_EQ(settings->SetActiveFile(6, "A:\\Ringtones\\tune.mid"), S_OK);
    EXPECT_EQ(phone->Settings()["activefile.6"], "A:\\Ringtones\\tune.mid");
    EXPECT_EQ(settings->GetActiveFile(6, path), S_OK);
    EXPECT_EQ(path, "A:\\Ringtones\\tune.mid");
    EXPECT_EQ(settings->SetActiveFile(6, "A:\\Ringtones\\none.mid"), HrFromCmeError(22));
}

TEST_F(PhoneSimTest, APlatformPhoneNumbersATransmittedFileWhenItLandsAndNeverAPartialOne)
{
    ASSERT_NO_FATAL_FAILURE(Start("BIRCH-M55"));
    // A partial transfer left lying in the folder is no tone.
    test::WriteFile(phone->Files() / "Ringtones" / ".old.mid.part-ABC123", "MTh");
    std::shared_ptr<IMBXVolume> volume;
    ASSERT_TRUE(InitMbxVolPtr(volume));
    test::WriteFile(dir.Path() / "clip.mid", "MThd-clip");
    std::shared_ptr<IStream> file;
    ASSERT_EQ(CFileStream::CreateFromFile(dir.Path() / "clip.mid", file), S_OK);
    ASSERT_EQ(volume->PutFile("\\Ringtones\\clip.mid", file.get(), 0), S_OK);
    // Listed at once with its number after the 40 built-in tones, as the read-out after a
    // transfer does it.
    MBX_LISTING listing;
    ASSERT_EQ(volume->ListFolder("\\Ringtones\\*", 0, listing), S_OK);
    ASSERT_EQ(listing.rows.size(), 1u);
    EXPECT_EQ(test::Row(listing.rows[0]), std::tuple("clip.mid", 9, FILE_ATTRIBUTE_ARCHIVE, 41));
    // The phone knows the number too: a line can take the tone right away.
    CAtcHelperFunctions helper;
    std::int32_t tone = 41, level = 2;
    EXPECT_EQ(helper.Atc().ExchangeLineTone(9, &tone, &level), S_OK);
    const std::string numbers = test::ReadFile(phone->Files() / ".tonenumbers");
    EXPECT_EQ(numbers.find(".part"), std::string::npos) << numbers;
}

TEST_F(PhoneSimTest, LineTonesAndGroupVolumesFollowThePhoneFamily)
{
    ASSERT_NO_FATAL_FAILURE(Start("BIRCH-M55"));
    CAtcHelperFunctions helper;
    std::int32_t tone = 5, volume = 2;
    EXPECT_EQ(helper.Atc().ExchangeLineTone(8, &tone, &volume), S_OK);
    EXPECT_EQ(phone->Settings()["line.8.tone"], "5");
    EXPECT_EQ(phone->Settings()["line.8.volume"], "2");
    tone = volume = -1;
    EXPECT_EQ(helper.Atc().ExchangeLineTone(8, &tone, &volume), S_OK);
    EXPECT_EQ(std::pair(tone, volume), std::pair(5, 2));
    tone = volume = -1;
    EXPECT_EQ(helper.Atc().ExchangeLineTone(3, &tone, &volume), HrFromCmeError(21));

    ASSERT_NO_FATAL_FAILURE(Start("RX41"));
    std::int32_t start = 0, end = 0;
    EXPECT_EQ(CAtcHelperFunctions().Atc().GetVolumeRangeOfGroupPhones(&start, &end), S_OK);
    EXPECT_EQ(std::pair(start, end), std::pair(1, 5));
}

TEST_F(PhoneSimTest, AUserToneIsUploadedInChunksWithItsChecksum)
{
    ASSERT_NO_FATAL_FAILURE(Start("ME45"));
    std::string melody;
    for (int i = 0; i < 1000; ++i)
        melody += static_cast<char>(i * 7);
    test::WriteFile(dir.Path() / "clip.mid", melody);
    std::shared_ptr<IStream> stream;
    ASSERT_EQ(CFileStream::CreateFromFile(dir.Path() / "clip.mid", stream), S_OK);
    CAtcHelperFunctions helper;
    EXPECT_EQ(helper.Atc().PutUserTone(3, stream.get()), S_OK);
    EXPECT_EQ(test::ReadFile(phone->State() / "usertones" / "3.mid"), melody);
    unsigned sum = 0;
    for (unsigned char c : melody)
        sum = (sum + c) % 65536;
    EXPECT_EQ(phone->Settings()["usertone.3.size"], "1000");
    EXPECT_EQ(phone->Settings()["usertone.3.sum"], std::to_string(sum));

    ASSERT_EQ(CFileStream::CreateFromFile(dir.Path() / "clip.mid", stream), S_OK);
    EXPECT_EQ(helper.Atc().PutUserTone(9, stream.get()), HrFromCmeError(4)); // no such slot
    EXPECT_EQ(phone->Settings().count("usertone.9.size"), 0u);
}

} // namespace
} // namespace corvina
