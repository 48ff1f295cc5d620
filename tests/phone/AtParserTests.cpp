// Reading AT answers from hand-made byte strings, the answer lines' values and the sound-mode word.
#include "AtAnswers.h"
#include "AtCommands.h"
#include "CAtParser.h"
#include "CFaultPlan.h"
#include "PhoneErrors.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

CAtParser Parse(const std::string& command, const std::string& prefix, const std::string& bytes)
{
    CAtParser parser;
    parser.Start(command, prefix);
    parser.Feed(bytes.data(), bytes.size());
    return parser;
}

TEST(AtParser, TakesInformationLinesAndSkipsEchoAndUnsolicitedLines)
{
    CAtParser parser =
        Parse("AT+CRSL=?",
              "+CRSL:", "AT+CRSL=?\r\r\nRING\r\n\r\n+CRING: VOICE\r\n\r\n+CRSL: (1-5)\r\n\r\n^CPLYEND\r\n\r\nOK\r\n");
    EXPECT_TRUE(parser.Done());
    EXPECT_EQ(parser.Result(), S_OK);
    EXPECT_EQ(parser.Info(), std::vector<std::string>{"+CRSL: (1-5)"});

    // Without a prefix the phone's own reports are still not taken as the answer.
    CAtParser imei = Parse("AT+CGSN", "", "\r\nRING\r\n\r\n350000000000017\r\n\r\nOK\r\n");
    EXPECT_EQ(imei.Info(), std::vector<std::string>{"350000000000017"});
}

TEST(AtParser, WaitsForTheFinalResultCodeAcrossPieces)
{
    CAtParser parser;
    parser.Start("AT^CRTN?", "^CRTN:");
    EXPECT_FALSE(parser.Feed("\r\n^CRTN: 3", 10));
    EXPECT_FALSE(parser.Feed(",2\r\n\r\nO", 7));
    EXPECT_TRUE(parser.Feed("K\r\n", 3));
    EXPECT_EQ(parser.Info(), std::vector<std::string>{"^CRTN: 3,2"});
}

TEST(AtParser, MapsErrorsAndGarbageToTheirResults)
{
    EXPECT_EQ(Parse("AT", "", "\r\nERROR\r\n").Result(), HR_AT_ERROR);
    EXPECT_EQ(Parse("AT", "", "\r\n+CME ERROR: 22\r\n").Result(), HrFromCmeError(22));
    EXPECT_EQ(HrFromCmeError(22), HrFromBits(0x8004B116u));
    EXPECT_EQ(Parse("AT", "", "\r\n+CMS ERROR: 4\r\n").Result(), HrFromCmeError(4));
    EXPECT_EQ(Parse("AT", "", "\r\n+CME ERROR: SIM busy\r\n").Result(), HR_AT_ERROR);
    EXPECT_EQ(Parse("AT", "", "\r\n+CME ERROR: 99999999\r\n").Result(), HR_AT_ERROR);
    EXPECT_EQ(CmeErrorFromHr(HrFromCmeError(4)), 4);
    EXPECT_EQ(CmeErrorFromHr(HR_AT_ERROR), -1);

    const std::string noise("\r\n\x01\xff\x02OK\r\n", 8);
    CAtParser garbage = Parse("AT", "", noise);
    EXPECT_TRUE(garbage.Done());
    EXPECT_EQ(garbage.Result(), HR_AT_GARBAGE);
    // Bytes that are no UTF-8 text, as a line full of noise gives.
    EXPECT_EQ(Parse("AT+CRSL=?", "+CRSL:", "\r\n\x9f\xe2!\xfe#\r\n\r\nOK\r\n").Result(), HR_AT_GARBAGE);
    EXPECT_EQ(Parse("AT+CGMM", "", "\r\nM\xc3\xa4nnlein\r\n\r\nOK\r\n").Result(), S_OK);
    EXPECT_EQ(Parse("AT", "", std::string(CAtParser::kMaxLine + 10, 'x')).Result(), HR_AT_GARBAGE);
}

TEST(AtAnswers, ReadRangesNumbersAndQuotedPaths)
{
    EXPECT_EQ(atanswer::Range("+CRSL: (1-4)", "+CRSL:"), std::make_pair(1, 4));
    EXPECT_EQ(atanswer::Range("^CLVL: (0-7)", "^CLVL:"), std::make_pair(0, 7));
    EXPECT_FALSE(atanswer::Range("+CRSL: 1-4", "+CRSL:"));
    EXPECT_FALSE(atanswer::Range("+CRSL: (1-4)x", "+CRSL:"));
    EXPECT_EQ(atanswer::Numbers("^CLTN: 6,-1,2", "^CLTN:", 3), (std::vector<int>{6, -1, 2}));
    EXPECT_FALSE(atanswer::Numbers("^CLTN: 6,3", "^CLTN:", 3));
    EXPECT_FALSE(atanswer::Numbers("^CRTN: 3,2", "^CLTN:", 2));
    EXPECT_EQ(atanswer::NumberAndString("^CAFL: 6,\"A:\\Ringtones\\tune.mid\"", "^CAFL:"),
              std::make_pair(6, std::string("A:\\Ringtones\\tune.mid")));
    EXPECT_EQ(atanswer::NumberAndString("^CAFL: 7,\"\"", "^CAFL:")->second, "");
    EXPECT_FALSE(atanswer::NumberAndString("^CAFL: 7,\"open", "^CAFL:"));
}

TEST(AtAnswers, TranslateTheSoundModeWordBothWays)
{
    // The +CALM and +CVIB values for a word (-1: left alone); none for a word no phone can be in.
    auto commands = [](std::int32_t word) -> std::optional<std::pair<int, int>> {
        if (const auto found = atanswer::CommandsForSoundMode(word))
            return std::make_pair(found->calm, found->cvib);
        return std::nullopt;
    };
    EXPECT_EQ(commands(0x04 | 0x10), std::make_pair(2, 1));
    EXPECT_EQ(commands(0x02 | 0x20), std::make_pair(1, 0));
    EXPECT_EQ(commands(0x01 | 0x40), std::make_pair(0, 1));
    EXPECT_EQ(commands(0x10), std::make_pair(-1, 1));
    for (std::int32_t impossible : {0, 0x01 | 0x02, 0x01 | 0x10 | 0x20})
        EXPECT_FALSE(commands(impossible)) << impossible;

    EXPECT_EQ(atanswer::SoundModeFromAnswers(0, 1), 0x11);
    EXPECT_EQ(atanswer::SoundModeFromAnswers(1, 0), 0x22);
    EXPECT_EQ(atanswer::SoundModeFromAnswers(2, 2), 0x44);
    EXPECT_FALSE(atanswer::SoundModeFromAnswers(3, 0));
}

TEST(AtCommands, FillPlaceholdersAndRefuseWhatAQuotedStringCannotCarry)
{
    EXPECT_EQ(atcmd::Format(atcmd::kSetLineTone, {"6", "3", "2"}), "AT^CLTN=6,3,2");
    EXPECT_EQ(atcmd::Format(atcmd::kPlayToneFile, {"A:\\R\\a b.mid", "-1"}), "AT^CPLF=\"A:\\R\\a b.mid\",-1");
    EXPECT_FALSE(atcmd::Format(atcmd::kPlayToneFile, {"A:\\R\\\"x\".mid", "-1"}));
    EXPECT_FALSE(atcmd::Format(atcmd::kPlayToneFile, {"A:\\R\\x\r\nATZ", "-1"}));
    EXPECT_FALSE(atcmd::Format(atcmd::kSetLineTone, {"6", "3"}));
    EXPECT_EQ(atcmd::Format(atcmd::kVolumeRange, {}), "AT+CRSL=?");
}

TEST(AtParser, TheVirtualPhonesGarbageIsNeverTakenForAnAnswer)
{
    // Random noise must fail every time: a test that expects the garbage error cannot pass by luck.
    CFaultPlan faults;
    for (int i = 0; i < 20000; ++i) {
        const std::string noise = faults.MakeGarbage();
        CAtParser parser = Parse("AT+CRSL=?", "+CRSL:", "\r\n" + noise + "\r\nOK\r\n");
        ASSERT_EQ(parser.Result(), HR_AT_GARBAGE) << "noise taken for an answer: " << noise;
        parser = Parse("AT+CGMM", "", "\r\n" + noise + "\r\nOK\r\n");
        ASSERT_EQ(parser.Result(), HR_AT_GARBAGE) << "noise taken for a model name: " << noise;
    }
}

TEST(AtParser, ConnectEndsTheAnswerAndPlainValuesLoseTheirPrefixAndQuotes)
{
    CAtParser parser;
    parser.Start("AT+CPROT=0", "");
    EXPECT_TRUE(parser.Feed("\r\nCONNECT\r\n", 11));
    EXPECT_EQ(parser.Result(), S_OK);
    parser.Start("AT+CPROT=0", "");
    EXPECT_TRUE(parser.Feed("\r\nCONNECT 115200\r\n", 18));
    EXPECT_EQ(parser.Result(), S_OK);
    // "CONNECTED" is no result code.
    parser.Start("AT", "");
    EXPECT_FALSE(parser.Feed("\r\nCONNECTED\r\n", 13));
    EXPECT_EQ(atanswer::PlainValue("+CGMM: \"M55\"", "+CGMM:"), "M55");
    EXPECT_EQ(atanswer::PlainValue("+CGSN: 351234567890123 ", "+CGSN:"), "351234567890123");
    EXPECT_EQ(atanswer::PlainValue("CX70", "+CGMM:"), "CX70");
    EXPECT_EQ(atanswer::PlainValue("\"", "+CGMM:"), "\"");
}

} // namespace
} // namespace corvina
