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
    SSimulatedLine sim("CX70");
    sim.line.EnableObex(sim.phone.state.FileSystem().Root());
    EXPECT_EQ(Answers(sim.line.Feed("ATE0\rAT+CPROT=0\r")),
              (std::vector<std::string>{"ATE0\r\r\nOK\r\n", "\r\nCONNECT\r\n"}));
    EXPECT_TRUE(sim.line.InObex());

    // CONNECT in two pieces: one answer, with the phone's smaller packet size.
    const std::string connect = ConnectRequest();
    EXPECT_TRUE(sim.line.Feed(connect.substr(0, 5)).empty());
    auto replies = sim.line.Feed(connect.substr(5));
    ASSERT_EQ(replies.size(), 1u);
    auto answer = CObexPacket::Parse({replies[0].strBytes.begin(), replies[0].strBytes.end()}, 4);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Code(), obex::kRspSuccess);
    EXPECT_EQ(answer->Fields(), (std::vector<std::uint8_t>{0x10, 0x00, 0x08, 0x00}));
    ASSERT_NE(answer->Find(obex::kHdrConnectionId), nullptr);

    // DISCONNECT, and an AT command in the same bytes is answered as one.
    CObexPacket disconnect(obex::kOpDisconnect);
    EXPECT_EQ(Answers(sim.line.Feed(Bytes(disconnect) + "AT\r")),
              (std::vector<std::string>{std::string("\xA0\x00\x03", 3), "\r\nOK\r\n"}));
    EXPECT_FALSE(sim.line.InObex());

    // A PC that speaks AT in the middle of a session gets AT answers again.
    sim.line.Feed("AT+CPROT=0\r");
    sim.line.Feed(ConnectRequest());
    EXPECT_EQ(Answers(sim.line.Feed("AT+CGMM\r")), std::vector<std::string>{"\r\nCX70\r\n\r\nOK\r\n"});
    EXPECT_FALSE(sim.line.InObex());
}

TEST(VirtualPhoneObex, NoBytesWedgeTheLineAndADropFiresAfterTheNamedPacket)
{
    SSimulatedLine sim("CX70");
    sim.line.EnableObex(sim.phone.state.FileSystem().Root());
    sim.line.SetObexIdleMs(5);
    sim.line.Feed("ATE0\r");
    std::mt19937 random(16);
    for (int round = 0; round < 100; ++round) {
        sim.line.Feed("AT+CPROT=0\r");
        if (round % 2)
            sim.line.Feed(ConnectRequest());
        std::string noise;
        for (int i = 0; i < 300; ++i)
            noise += static_cast<char>(random() & 0xFF);
        // A packet with an impossible length or a byte that is no operation ends the session at
        // once; an unfinished packet keeps it until the line has been idle. Then AT is answered.
        sim.line.Feed(noise);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        bool answered = false;
        while (!answered && std::chrono::steady_clock::now() < deadline) {
            for (const SSimReply& reply : sim.line.Feed("AT\r"))
                answered = answered || reply.strBytes.find("\r\nOK\r\n") != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(answered) << round;
        ASSERT_FALSE(sim.line.InObex());
    }
    sim.line.Restart();

    std::string error;
    ASSERT_TRUE(sim.faults.Apply("obexdrop=2", error));
    EXPECT_EQ(sim.faults.Describe(), "obexdrop=2");
    sim.line.Feed("ATE0\rAT+CPROT=0\r");
    EXPECT_EQ(Each(sim.line.Feed(ConnectRequest()), &SSimReply::bDrop), std::vector<bool>{false});
    CObexPacket root(obex::kOpSetPath);
    root.Fields() = {0x02, 0x00};
    root.AddText(obex::kHdrName, "");
    EXPECT_EQ(Each(sim.line.Feed(Bytes(root)), &SSimReply::bDrop), std::vector<bool>{true});
    EXPECT_FALSE(sim.line.InObex());
    EXPECT_FALSE(sim.faults.Apply("obexdrop=0", error));
}

TEST(VirtualPhoneObex, AStandardOnlyPhoneRefusesEveryVendorCommand)
{
    SSimulatedLine sim("CX70");
    sim.faults.m_bStandardOnly = true;
    EXPECT_EQ(Answers(sim.line.Feed("ATE0\rAT^CRTN?\rAT ^CAFL=9\rAT+CRSL=?\rAT+CALM?\rAT^SIMFAULT?\r")),
              (std::vector<std::string>{"ATE0\r\r\nOK\r\n", "\r\nERROR\r\n", "\r\nERROR\r\n",
                                        "\r\n+CRSL: (1-4)\r\n\r\nOK\r\n", "\r\n+CALM: 0\r\n\r\nOK\r\n",
                                        "\r\n^SIMFAULT: \"\"\r\n\r\nOK\r\n"}));
    // Clearing the faults keeps the firmware as it is.
    sim.line.Feed("AT^SIMFAULT=\"clear\"\r");
    EXPECT_EQ(Answers(sim.line.Feed("AT^CRTN?\r")), std::vector<std::string>{"\r\nERROR\r\n"});
}

} // namespace
} // namespace corvina::test
