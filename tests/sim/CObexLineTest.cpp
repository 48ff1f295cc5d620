// The virtual phone's line in OBEX mode: the switch with AT+CPROT=0, bytes that are no OBEX, a
// dropped session, and a phone with only the standard commands.
#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "CFaultPlan.h"
#include "CObexPacket.h"
#include "CSimPhone.h"
#include "SimTestSupport.h"

namespace corvina::test {
namespace {

std::string Bytes(const CObexPacket& packet)
{
    auto built = packet.Build();
    return std::string(built->begin(), built->end());
}

std::string ConnectRequest()
{
    CObexPacket connect(obex::kOpConnect);
    connect.Fields() = {0x10, 0x00, 0x20, 0x00};
    connect.AddBytes(obex::kHdrTarget, {obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end()});
    return Bytes(connect);
}

TEST(VirtualPhoneObex, TheLineSpeaksObexAfterCprotUntilDisconnectOrBytesThatAreNoObex)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    CFaultPlan faults;
    CSimPhone line(*phone.engine, faults);
    line.EnableObex(phone.state.FileSystem().Root());
    auto replies = line.Feed("ATE0\rAT+CPROT=0\r");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].strBytes, "\r\nCONNECT\r\n");
    EXPECT_TRUE(line.InObex());

    // CONNECT in two pieces: one answer, with the phone's smaller packet size.
    const std::string connect = ConnectRequest();
    EXPECT_TRUE(line.Feed(connect.substr(0, 5)).empty());
    replies = line.Feed(connect.substr(5));
    ASSERT_EQ(replies.size(), 1u);
    auto answer = CObexPacket::Parse({replies[0].strBytes.begin(), replies[0].strBytes.end()}, 4);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Code(), obex::kRspSuccess);
    EXPECT_EQ(answer->Fields(), (std::vector<std::uint8_t>{0x10, 0x00, 0x08, 0x00}));
    ASSERT_NE(answer->Find(obex::kHdrConnectionId), nullptr);

    // DISCONNECT, and an AT command in the same bytes is answered as one.
    CObexPacket disconnect(obex::kOpDisconnect);
    replies = line.Feed(Bytes(disconnect) + "AT\r");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].strBytes, std::string("\xA0\x00\x03", 3));
    EXPECT_EQ(replies[1].strBytes, "\r\nOK\r\n");
    EXPECT_FALSE(line.InObex());

    // A PC that speaks AT in the middle of a session gets AT answers again.
    line.Feed("AT+CPROT=0\r");
    line.Feed(ConnectRequest());
    replies = line.Feed("AT+CGMM\r");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].strBytes, "\r\nCX70\r\n\r\nOK\r\n");
    EXPECT_FALSE(line.InObex());
}

TEST(VirtualPhoneObex, NoBytesWedgeTheLineAndADropFiresAfterTheNamedPacket)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    CFaultPlan faults;
    CSimPhone line(*phone.engine, faults);
    line.EnableObex(phone.state.FileSystem().Root());
    line.SetObexIdleMs(5);
    line.Feed("ATE0\r");
    std::mt19937 random(16);
    for (int round = 0; round < 100; ++round) {
        line.Feed("AT+CPROT=0\r");
        if (round % 2)
            line.Feed(ConnectRequest());
        std::string noise;
        for (int i = 0; i < 300; ++i)
            noise += static_cast<char>(random() & 0xFF);
        // A packet with an impossible length or a byte that is no operation ends the session at
        // once; an unfinished packet keeps it until the line has been idle. Then AT is answered.
        line.Feed(noise);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        bool answered = false;
        while (!answered && std::chrono::steady_clock::now() < deadline) {
            for (const SSimReply& reply : line.Feed("AT\r"))
                answered = answered || reply.strBytes.find("\r\nOK\r\n") != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(answered) << round;
        ASSERT_FALSE(line.InObex());
    }
    line.Restart();

    std::string error;
    ASSERT_TRUE(faults.Apply("obexdrop=2", error));
    EXPECT_EQ(faults.Describe(), "obexdrop=2");
    line.Feed("ATE0\rAT+CPROT=0\r");
    auto replies = line.Feed(ConnectRequest());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_FALSE(replies[0].bDrop);
    CObexPacket root(obex::kOpSetPath);
    root.Fields() = {0x02, 0x00};
    root.AddText(obex::kHdrName, "");
    replies = line.Feed(Bytes(root));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(replies[0].bDrop);
    EXPECT_FALSE(line.InObex());
    EXPECT_FALSE(faults.Apply("obexdrop=0", error));
}

TEST(VirtualPhoneObex, AStandardOnlyPhoneRefusesEveryVendorCommand)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    CFaultPlan faults;
    faults.m_bStandardOnly = true;
    CSimPhone line(*phone.engine, faults);
    auto replies = line.Feed("ATE0\rAT^CRTN?\rAT ^CAFL=9\rAT+CRSL=?\rAT+CALM?\rAT^SIMFAULT?\r");
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[1].strBytes, "\r\nERROR\r\n");
    EXPECT_EQ(replies[2].strBytes, "\r\nERROR\r\n");
    EXPECT_EQ(replies[3].strBytes, "\r\n+CRSL: (1-4)\r\n\r\nOK\r\n");
    EXPECT_NE(replies[4].strBytes.find("+CALM:"), std::string::npos);
    EXPECT_NE(replies[5].strBytes.find("OK"), std::string::npos);
    // Clearing the faults keeps the firmware as it is.
    line.Feed("AT^SIMFAULT=\"clear\"\r");
    replies = line.Feed("AT^CRTN?\r");
    EXPECT_EQ(replies.at(0).strBytes, "\r\nERROR\r\n");
}

} // namespace
} // namespace corvina::test
