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

class PhoneDetectorTest : public test::VirtualPhoneTest {
protected:
    void TearDown() override
    {
        m_detector.Stop(); // a test that ended early leaves it looking
        Registry::Instance().LoadText("");
    }

    // Starts the phone and the detector, looking every 20 ms, and waits until it found the phone.
    void StartDetecting(int atTimeoutMs)
    {
        m_phone = std::make_unique<test::VirtualPhone>(m_folder.Path(), "ME45");
        ASSERT_TRUE(m_phone->Ready());
        Registry::Instance().LoadText(
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" +
            m_phone->RegistryText(atTimeoutMs));
        m_detector.Start(20);
        ASSERT_TRUE(m_reports.WaitForCount(1));
    }

    test::ScratchFolder m_folder;
    Reports m_reports;
    std::unique_ptr<test::VirtualPhone> m_phone;
    PhoneDetector m_detector{[this](CMobileInfo* record) { m_reports.Add(record); }};
};

TEST_F(PhoneDetectorTest, ABusyLineIsNoUnpluggedPhoneButAVanishedPhoneIsReportedGone)
{
    ASSERT_NO_FATAL_FAILURE(StartDetecting(300));
    EXPECT_EQ(m_reports.Imeis(), std::vector<std::string>{"350000000000017"});

    // A long transfer holds the line for several of the detector's looks.
    std::mutex lock;
    std::condition_variable done;
    bool release = false;
    std::thread transfer([&] {
        CAtLink::ForDevice(m_phone->Port())->Transaction([&](CAtLink::Session& session) {
            std::unique_lock<std::mutex> hold(lock);
            done.wait(hold, [&] { return release; });
            return session.Command("AT");
        });
    });
    const int before = m_detector.LookCount();
    const bool looked = WaitForLooks(m_detector, before + 2 * PhoneDetector::kSilentLooksBeforeGone);
    {
        std::lock_guard<std::mutex> hold(lock);
        release = true;
    }
    done.notify_all();
    transfer.join();
    ASSERT_TRUE(looked);
    ASSERT_TRUE(WaitForLooks(m_detector, m_detector.LookCount() + 2));
    EXPECT_EQ(m_reports.Imeis(), std::vector<std::string>{"350000000000017"});

    // Unplugged: the port is gone, and the editor hears so.
    m_phone->Stop();
    ASSERT_TRUE(m_reports.WaitForCount(2));
    m_detector.Stop();
    EXPECT_EQ(m_reports.Imeis(), (std::vector<std::string>{"350000000000017", ""}));
}

TEST_F(PhoneDetectorTest, APhoneThatStopsAnsweringCountsAsGoneOnlyAfterSeveralSilentLooks)
{
    ASSERT_NO_FATAL_FAILURE(StartDetecting(200));
    // From now on the phone keeps quiet about its IMEI, as a phone busy with a call might.
    ASSERT_EQ(CAtLink::ForDevice(m_phone->Port())->Command("AT^SIMFAULT=\"silent=AT+CGSN\""), S_OK);
    const int silentFrom = m_detector.LookCount();
    ASSERT_TRUE(m_reports.WaitForCount(2));
    // The detector was patient for the agreed number of looks before it gave the phone up.
    EXPECT_GE(m_detector.LookCount() - silentFrom, PhoneDetector::kSilentLooksBeforeGone);
    m_detector.Stop();
    EXPECT_EQ(m_reports.Imeis(), (std::vector<std::string>{"350000000000017", ""}));
}

} // namespace
} // namespace corvina
