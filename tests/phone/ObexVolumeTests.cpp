// The OBEX volume against the virtual phone on a real pseudo-terminal with no "VolumeRoot": the
// phone's fs/ folder shows what the phone was told, and AT commands are answered after every session.
#include "CAtCommandService.h"
#include "CFileStream.h"
#include "CStreamFilter.h"
#include "CFolderVolume.h"
#include "CObexVolume.h"
#include "PhoneErrors.h"
#include "PhoneTestSupport.h"
#include "OleDate.h"
#include "ServiceInit.h"
#include "VirtualPhone.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::VirtualPhone;

// A file stream that counts its reads and, like a cancelled progress window, reports the end of
// its data after cancelAfter reads.
class CountingStream : public CStreamFilter {
public:
    CountingStream(std::shared_ptr<IStream> inner, int cancelAfter = -1)
        : CStreamFilter(std::move(inner)), m_cancelAfter(cancelAfter)
    {
    }
    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override
    {
        if (m_cancelAfter >= 0 && static_cast<int>(m_reads.size()) >= m_cancelAfter) {
            *pcbRead = 0;
            return S_FALSE;
        }
        HRESULT hr = Inner().Read(pv, cb, pcbRead);
        m_reads.push_back(*pcbRead);
        return hr;
    }

    const std::vector<std::uint32_t>& Reads() const { return m_reads; }

private:
    int m_cancelAfter;
    std::vector<std::uint32_t> m_reads;
};

class ObexVolumeTest : public test::VirtualPhoneTest {
protected:
    void TearDown() override { Registry::Instance().LoadText(""); }

    // Starts the phone, points the configuration at its port only and opens the volume.
    void Start(std::vector<std::string> extra = {})
    {
        phone = std::make_unique<VirtualPhone>(dir.Path(), "CX70", std::move(extra));
        test::LoadRegistry(test::RegString("Port", phone->Port()) + "\"AtTimeoutMs\"=dword:000007d0\n");
        ASSERT_TRUE(phone->Ready());
        ASSERT_TRUE(InitMbxVolPtr(volume));
    }

    std::shared_ptr<IStream> FileOf(const std::string& name, std::size_t size)
    {
        std::string data;
        for (std::size_t i = 0; i < size; ++i)
            data += static_cast<char>((i * 31 + i / 7) & 0xFF);
        test::WriteFile(dir.Path() / name, data);
        std::shared_ptr<IStream> stream;
        EXPECT_EQ(CFileStream::CreateFromFile(dir.Path() / name, stream), S_OK);
        return stream;
    }

    // The phone answers AT commands (the line is out of OBEX mode).
    static HRESULT AtWorks()
    {
        CAtCommandService atc;
        atc.SetPort(Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port").value_or(""));
        std::int32_t start = 0, end = 0;
        return atc.GetVolumeRange(1, &start, &end);
    }

    test::ScratchFolder dir;
    std::unique_ptr<VirtualPhone> phone;
    std::shared_ptr<IMBXVolume> volume;
};

TEST_F(ObexVolumeTest, WithoutAFolderTheVolumeListsPutsReadsAndDeletesOverObex)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    auto* obexVolume = dynamic_cast<CObexVolume*>(volume.get());
    ASSERT_NE(obexVolume, nullptr);

    fs::create_directories(phone->Files() / "Ringtones" / "Sub");
    const fs::path tune = phone->Files() / "Ringtones" / "tune.mid";
    test::WriteFile(tune, "MThd-tune");
    MBX_LISTING listing;
    ASSERT_EQ(volume->ListFolder("\\*", -1, listing), S_OK);
    EXPECT_TRUE(listing.isRoot);
    EXPECT_NE(std::find(listing.names.begin(), listing.names.end(), "Ringtones"), listing.names.end());
    // The phone's own dot file is never shown.
    for (const std::string& name : listing.names)
        EXPECT_NE(name[0], '.') << name;
    ASSERT_EQ(volume->ListFolder("\\ringtones\\*", 0, listing), S_OK);
    ASSERT_EQ(listing.rows.size(), 2u);
    EXPECT_EQ(test::Row(listing.rows[0]), std::tuple("Sub", 0, FILE_ATTRIBUTE_DIRECTORY, 0));
    EXPECT_EQ(test::Row(listing.rows[1]), std::tuple("tune.mid", 9, FILE_ATTRIBUTE_ARCHIVE, 0));
    // The date is the file's, to the second.
    const auto written = std::chrono::file_clock::to_sys(fs::last_write_time(tune));
    EXPECT_NEAR(listing.rows[1].lastChange, OleDateFromTime(std::chrono::system_clock::to_time_t(written)),
                1.0 / 86400);
    EXPECT_EQ(volume->ListFolder("\\Ringtones\\*.MID", 0, listing), S_OK);
    EXPECT_EQ(listing.rows.size(), 1u);
    EXPECT_EQ(volume->ListFolder("\\Nowhere\\*", 0, listing), HR_PATH_NOT_FOUND);
    EXPECT_EQ(AtWorks(), S_OK);

    // A large file goes in many packets, each one read of the stream.
    auto source = std::make_shared<CountingStream>(FileOf("big.mid", 100000));
    ASSERT_EQ(volume->PutFile("\\Ringtones\\big.mid", source.get(), 0), S_OK);
    EXPECT_EQ(test::ReadFile(phone->Files() / "Ringtones" / "big.mid"), test::ReadFile(dir.Path() / "big.mid"));
    EXPECT_GT(source->Reads().size(), 40u);
    for (std::uint32_t read : source->Reads())
        EXPECT_LE(read, 2048u);
    EXPECT_EQ(AtWorks(), S_OK);

    std::vector<std::uint8_t> data;
    ASSERT_EQ(obexVolume->GetFile("\\Ringtones\\big.mid", data), S_OK);
    EXPECT_EQ(std::string(data.begin(), data.end()), test::ReadFile(dir.Path() / "big.mid"));
    EXPECT_EQ(obexVolume->GetFile("\\Ringtones\\none.mid", data), HR_PATH_NOT_FOUND);

    // Folders: made once, then already there; a file in the way.
    EXPECT_EQ(volume->MakeFolder("\\Ringtones\\New"), S_OK);
    EXPECT_TRUE(fs::is_directory(phone->Files() / "Ringtones" / "New"));
    EXPECT_EQ(volume->MakeFolder("\\Ringtones\\new"), S_FALSE);
    EXPECT_EQ(volume->MakeFolder("\\Ringtones\\tune.mid"), HR_ALREADY_EXISTS);
    EXPECT_EQ(volume->MakeFolder("\\Missing\\New"), HR_PATH_NOT_FOUND);

    // Write protection through the set-permissions action.
    EXPECT_EQ(volume->ChangeAttributes("\\Ringtones\\tune.mid", FILE_ATTRIBUTE_READONLY), S_OK);
    ASSERT_EQ(volume->ListFolder("\\Ringtones\\tune.mid", 0, listing), S_OK);
    EXPECT_EQ(listing.rows.at(0).attributes, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(volume->RemoveFile("\\Ringtones\\tune.mid"), E_ACCESSDENIED);
    auto again = FileOf("again.mid", 10);
    EXPECT_EQ(volume->PutFile("\\Ringtones\\tune.mid", again.get(), 0), E_ACCESSDENIED);
    EXPECT_EQ(volume->ChangeAttributes("\\Ringtones\\tune.mid", 0), S_OK);
    EXPECT_EQ(volume->RemoveFile("\\Ringtones\\tune.mid"), S_OK);
    EXPECT_FALSE(fs::exists(tune));
    EXPECT_EQ(volume->RemoveFile("\\Ringtones\\tune.mid"), HR_PATH_NOT_FOUND);
    EXPECT_EQ(volume->RemoveFile("\\Ringtones\\Sub"), E_ACCESSDENIED);
    EXPECT_EQ(volume->RemoveFile("\\..\\x"), E_ACCESSDENIED);
    EXPECT_EQ(AtWorks(), S_OK);
}

TEST_F(ObexVolumeTest, ACancelledPutLeavesNothingOnThePhone)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto before = test::AllNames(phone->Files() / "Ringtones");
    auto source = std::make_shared<CountingStream>(FileOf("big.mid", 60000), 5);
    EXPECT_EQ(volume->PutFile("\\Ringtones\\big.mid", source.get(), 0), E_ABORT);
    EXPECT_EQ(source->Reads().size(), 5u);
    EXPECT_EQ(test::AllNames(phone->Files() / "Ringtones"), before);
    EXPECT_EQ(AtWorks(), S_OK);
    // The volume is usable again at once.
    auto small = FileOf("small.mid", 300);
    EXPECT_EQ(volume->PutFile("\\Ringtones\\small.mid", small.get(), 0), S_OK);
    EXPECT_EQ(test::ReadFile(phone->Files() / "Ringtones" / "small.mid").size(), 300u);
}

TEST_F(ObexVolumeTest, APhoneThatRefusesObexFailsTheOperationAndKeepsAnsweringAt)
{
    ASSERT_NO_FATAL_FAILURE(Start({"--refuse-obex"}));
    MBX_LISTING listing;
    EXPECT_EQ(volume->ListFolder("\\*", -1, listing), HR_AT_ERROR);
    EXPECT_TRUE(listing.names.empty());
    EXPECT_EQ(AtWorks(), S_OK);
}

TEST_F(ObexVolumeTest, ALineDroppedMidPutFailsInTimeLeavesNothingAndTheLinkRecovers)
{
    ASSERT_NO_FATAL_FAILURE(Start({"--obex-drop-after", "6", "--reopen", "--reopen-ms", "300"}));
    const auto before = test::AllNames(phone->Files() / "Ringtones");
    auto source = FileOf("big.mid", 60000);
    const auto start = std::chrono::steady_clock::now();
    const HRESULT hr = volume->PutFile("\\Ringtones\\big.mid", source.get(), 0);
    EXPECT_TRUE(hr == HR_DEVICE_NOT_CONNECTED || hr == HR_TIMEOUT) << HResultText(hr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(test::AllNames(phone->Files() / "Ringtones"), before);

    // The phone comes back on a new terminal behind the same link.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    HRESULT at = E_FAIL;
    while (FAILED(at = AtWorks()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(at, S_OK);
    auto retry = FileOf("big.mid", 60000);
    EXPECT_EQ(volume->PutFile("\\Ringtones\\big.mid", retry.get(), 0), S_OK);
    EXPECT_EQ(test::ReadFile(phone->Files() / "Ringtones" / "big.mid").size(), 60000u);
    EXPECT_EQ(AtWorks(), S_OK);
}

TEST_F(ObexVolumeTest, TheRegistryChoosesTheVolume)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(dynamic_cast<CObexVolume*>(volume.get()), nullptr);

    const std::string base = test::RegString("Port", phone->Port());
    test::LoadRegistry(base + test::RegString("VolumeRoot", phone->Files().string()));
    ASSERT_TRUE(InitMbxVolPtr(volume));
    EXPECT_NE(dynamic_cast<CFolderVolume*>(volume.get()), nullptr);

    test::LoadRegistry(base + test::RegString("VolumeRoot", phone->Files().string()) +
                       test::RegString("Volume", "OBEX"));
    ASSERT_TRUE(InitMbxVolPtr(volume));
    EXPECT_NE(dynamic_cast<CObexVolume*>(volume.get()), nullptr);

    test::LoadRegistry(base + test::RegString("Volume", "folder"));
    EXPECT_FALSE(InitMbxVolPtr(volume)); // forced to a folder that is not configured
}

TEST_F(ObexVolumeTest, ASlowPhoneStillServesFilesAndAnOtherUserWaitsForTheSession)
{
    ASSERT_NO_FATAL_FAILURE(Start({"--delay-ms", "20"}));
    auto source = FileOf("mid.mid", 30000);
    std::atomic<bool> putDone{false};
    HRESULT putResult = E_FAIL;
    std::thread transfer([&] {
        putResult = volume->PutFile("\\Ringtones\\mid.mid", source.get(), 0);
        putDone = true;
    });
    // Once the upload has begun on the phone, an AT command from another thread queues behind
    // the session; sent in between, it would break the transfer.
    auto uploading = [&] {
        return std::ranges::any_of(test::AllNames(phone->Files() / "Ringtones"),
                                   [](const std::string& name) { return name.starts_with(".mid.mid.obex-"); });
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!uploading() && !putDone && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const HRESULT at = AtWorks();
    transfer.join();
    EXPECT_EQ(putResult, S_OK);
    EXPECT_EQ(at, S_OK);
    EXPECT_EQ(test::ReadFile(phone->Files() / "Ringtones" / "mid.mid").size(), 30000u);
    EXPECT_EQ(AtWorks(), S_OK);
}

} // namespace
} // namespace corvina
