// The host's phone detection against the virtual phone: a phone found, a busy line that is no
// unplugged phone, and a phone that really goes away.
#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "PhoneDetector.h"
#include "VirtualPhone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corvina {
namespace {

// The records the detector reported, in order.
class Reports {
public:
    void Add(CMobileInfo* record)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_records.emplace_back(record);
        m_changed.notify_all();
    }
    std::vector<std::string> Imeis()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<std::string> imeis;
        for (const auto& record : m_records)
            imeis.push_back(record->m_strImei);
        return imeis;
    }
    bool WaitForCount(std::size_t count, int timeoutMs = 10000)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_records.size() >= count; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<CMobileInfo>> m_records;
};

// Waits, with a deadline, until the detector has taken more looks.
bool WaitForLooks(const PhoneDetector& detector, int atLeast, int timeoutMs = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (detector.LookCount() < atLeast) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class PhoneDetectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::VirtualPhone::Available())
            GTEST_SKIP() << "the virtual phone corvina-phonesim is not part of this build";
    }
    void TearDown() override { Registry::Instance().LoadText(""); }

    test::ScratchFolder m_folder;
};

TEST_F(PhoneDetectorTest, ABusyLineIsNoUnpluggedPhoneButAVanishedPhoneIsReportedGone)
{
    test::VirtualPhone phone(m_folder.Path(), "ME45");
    ASSERT_TRUE(phone.Ready());
    Registry::Instance().LoadText(
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" +
        phone.RegistryText(300));
    Reports reports;
    PhoneDetector detector([&](CMobileInfo* record) { reports.Add(record); });
    detector.Start(20);
    ASSERT_TRUE(reports.WaitForCount(1));
    EXPECT_EQ(reports.Imeis(), std::vector<std::string>{"350000000000017"});

    // A long transfer holds the line for several of the detector's looks.
    std::mutex lock;
    std::condition_variable done;
    bool release = false;
    std::thread transfer([&] {
        CAtLink::ForDevice(phone.Port())->Transaction([&](CAtLink::Session& session) {
            std::unique_lock<std::mutex> hold(lock);
            done.wait(hold, [&] { return release; });
            return session.Command("AT");
        });
    });
    const int before = detector.LookCount();
    const bool looked = WaitForLooks(detector, before + 2 * PhoneDetector::kSilentLooksBeforeGone);
    {
        std::lock_guard<std::mutex> hold(lock);
        release = true;
    }
    done.notify_all();
    transfer.join();
    ASSERT_TRUE(looked);
    ASSERT_TRUE(WaitForLooks(detector, detector.LookCount() + 2));
    EXPECT_EQ(reports.Imeis(), std::vector<std::string>{"350000000000017"});

    // Unplugged: the port is gone, and the editor hears so.
    phone.Stop();
    ASSERT_TRUE(reports.WaitForCount(2));
    detector.Stop();
    EXPECT_EQ(reports.Imeis(), (std::vector<std::string>{"350000000000017", ""}));
}

TEST_F(PhoneDetectorTest, APhoneThatStopsAnsweringCountsAsGoneOnlyAfterSeveralSilentLooks)
{
    test::VirtualPhone phone(m_folder.Path(), "ME45");
    ASSERT_TRUE(phone.Ready());
    Registry::Instance().LoadText(
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" +
        phone.RegistryText(200));
    Reports reports;
    PhoneDetector detector([&](CMobileInfo* record) { reports.Add(record); });
    detector.Start(20);
    ASSERT_TRUE(reports.WaitForCount(1));
    // From now on the phone keeps quiet about its IMEI, as a phone busy with a call might.
    ASSERT_EQ(CAtLink::ForDevice(phone.Port())->Command("AT^SIMFAULT=\"silent=AT+CGSN\""), S_OK);
    const int silentFrom = detector.LookCount();
    ASSERT_TRUE(reports.WaitForCount(2));
    // The detector was patient for the agreed number of looks before it gave the phone up.
    EXPECT_GE(detector.LookCount() - silentFrom, PhoneDetector::kSilentLooksBeforeGone);
    detector.Stop();
    EXPECT_EQ(reports.Imeis(), (std::vector<std::string>{"350000000000017", ""}));
}

} // namespace
} // namespace corvina
