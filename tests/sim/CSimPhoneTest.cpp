// Line assembly and injected faults of the virtual phone, and its settings file.
#include <fstream>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "CFaultPlan.h"
#include "CSimLog.h"
#include "CSimOptions.h"
#include "CSimPhone.h"
#include "SimTestSupport.h"

namespace corvina::test {
namespace {

TEST(VirtualPhoneLine, SplitsCommandsAtCrOrCrLfAndRejectsOverlongLines)
{
    SSimulatedLine sim("CX70");
    EXPECT_TRUE(sim.line.Feed("ATE").empty());
    EXPECT_EQ(Answers(sim.line.Feed("0\r\nAT+CGSN\r\n\r")),
              (std::vector<std::string>{"ATE0\r\r\nOK\r\n", "\r\n350000000000017\r\n\r\nOK\r\n"}));
    EXPECT_EQ(Answers(sim.line.Feed("AT" + std::string(CSimPhone::kMaxLine + 10, 'X') + "\rAT\r")),
              (std::vector<std::string>{"\r\nERROR\r\n", "\r\nOK\r\n"}));
    EXPECT_EQ(sim.line.CommandCount(), 4);
}

TEST(VirtualPhoneLine, InjectsErrorsSilenceGarbageDelayAndADroppedLine)
{
    SSimulatedLine sim("CX70");
    std::string error;
    for (const char* rule : {"fail=+CGSN", "cme=at^crtn:100", "garbage=+CRSL", "silent=AT+CALM", "delay=25", "drop=6"})
        ASSERT_TRUE(sim.faults.Apply(rule, error)) << rule;
    for (const char* wrong : {"cme=+CGSN", "explode=AT", "drop=0"})
        EXPECT_FALSE(sim.faults.Apply(wrong, error)) << wrong;
    sim.phone.Run("ATE0");

    auto r = sim.line.Feed("AT+CGSN\rAT^CRTN?\rAT+CRSL=?\rAT+CALM?\rAT+CGMM\r");
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].strBytes, "\r\nERROR\r\n");
    EXPECT_EQ(r[1].strBytes, "\r\n+CME ERROR: 100\r\n");
    EXPECT_EQ(r[2].strBytes.find("OK"), std::string::npos);
    EXPECT_EQ(r[2].strBytes.find("ERROR"), std::string::npos);
    EXPECT_GT(r[2].strBytes.size(), 8u);
    EXPECT_TRUE(r[3].strBytes.empty());
    EXPECT_EQ(r[4].strBytes, "\r\nCX70\r\n\r\nOK\r\n");
    EXPECT_EQ(Each(r, &SSimReply::nDelayMs), std::vector<int>(5, 25));
    EXPECT_EQ(Each(r, &SSimReply::bDrop), std::vector<bool>(5, false));
    // The sixth command is answered, then the line goes; the drop happens once.
    EXPECT_EQ(Each(sim.line.Feed("AT\rAT\r"), &SSimReply::bDrop), (std::vector<bool>{true, false}));

    // Faults can be changed at run time, and the control command itself is never faulted.
    r = sim.line.Feed("AT^SIMFAULT=\"fail=AT\"\rAT\rAT^SIMFAULT?\r");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].strBytes, "\r\nOK\r\n");
    EXPECT_EQ(r[1].strBytes, "\r\nERROR\r\n");
    EXPECT_NE(r[2].strBytes.find("fail=AT"), std::string::npos);
    r = sim.line.Feed("AT^SIMFAULT=\"clear\"\rAT\rAT^SIMFAULT=\"drop=2\"\rAT\rAT\rAT^SIMFAULT=\"bogus\"\r");
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(Each(r, &SSimReply::bDrop), (std::vector<bool>{false, false, false, false, true, false}));
    EXPECT_EQ(r[1].strBytes, "\r\nOK\r\n");
    EXPECT_EQ(r[1].nDelayMs, 0);
    EXPECT_EQ(r[5].strBytes, "\r\nERROR\r\n");
}

TEST(VirtualPhoneLine, AnswersEveryMangledCommandWithAFinalResultCode)
{
    SSimulatedLine sim("ME45");
    const std::vector<std::string> pieces = {"AT",   "+", "^", "CUTB", "CUTD", "CUTE", "CLTN",        "CAFL", "CPLF",
                                             "CRTN", "=", "?", ",",    "\"",   "-1",   "99999999999", "0",    "A:\\",
                                             ";",    "E", "Z", "\xff", "\x01", " ",    "\r"};
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::string input;
    for (int i = 0; i < 20000; ++i)
        input += pieces[pick(random)];
    input += "\r";
    int answered = 0;
    for (const auto& reply : sim.line.Feed(input)) {
        if (reply.strBytes.empty())
            continue;
        ++answered;
        const std::string& b = reply.strBytes;
        const bool final = b.ends_with("\r\nOK\r\n") || b.ends_with("\r\nERROR\r\n") ||
                           b.find("\r\n+CME ERROR: ") != std::string::npos;
        EXPECT_TRUE(final) << CSimLog::Escape(b);
    }
    EXPECT_GT(answered, 100);
}

TEST(VirtualPhoneSettings, ReadsBackWhatItWroteAndSkipsMalformedLines)
{
    CPhoneState state;
    state.m_strModel = "RX41";
    state.m_nToneIndex = 17;
    state.m_nCalm = 2;
    state.m_nCvib = 1;
    state.m_lineTones[22] = SLineTone{41, 5};
    state.m_ringingLineVolumes[14] = 2;
    state.m_activeFiles[6] = "A:\\Ringtones\\a=b.mid";
    state.m_userTones[1] = SUserTone{300, 1234};
    state.m_strPlaying = "tone 17";
    std::vector<std::string> problems;
    const std::string text = state.Serialize();
    EXPECT_NE(text.find("soundmode=20\n"), std::string::npos);
    EXPECT_TRUE(CPhoneState::Parse(text, problems) == state);
    EXPECT_TRUE(problems.empty());

    const CPhoneState odd = CPhoneState::Parse("model=ME45\nnonsense\ncalm=x\nline.x.tone=3\nfoo=1\nimei=\n", problems);
    EXPECT_EQ(std::tuple(odd.m_strModel, odd.m_nCalm, odd.m_strImei), std::tuple("ME45", 0, CPhoneState::kDefaultImei));
    EXPECT_EQ(problems.size(), 5u);

    // A broken settings file is reported, not fatal.
    ScratchFolder dir;
    std::ofstream(dir.Path() / CPhoneState::kSettingsFile) << "model=R15\n???\n";
    CPhoneState loaded;
    std::string error;
    EXPECT_TRUE(loaded.Open(dir.Path(), error));
    EXPECT_EQ(loaded.m_strModel, "R15");
    EXPECT_NE(error.find("line 2"), std::string::npos);
}

TEST(VirtualPhoneSettings, SeedsTheStandardFoldersFromTheCorpusOnce)
{
    ScratchFolder dir;
    CPhoneFileSystem files(dir.Path());
    std::string error;
    EXPECT_EQ(files.Seed(CORVINA_CORPUS_DIR, "Ringtones", "iMelodies", true, error), 5);
    EXPECT_TRUE(error.empty()) << error;
    const auto numbers = files.ReadToneNumbers();
    ASSERT_EQ(numbers.size(), 5u);
    std::set<int> values;
    for (const auto& [name, number] : numbers) {
        values.insert(number);
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / name)) << name;
    }
    EXPECT_EQ(values, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(files.Seed(CORVINA_CORPUS_DIR, "Ringtones", "iMelodies", true, error), 0);
    EXPECT_EQ(files.Seed(dir.Path() / "nowhere", "Ringtones", "", false, error), 0);
    EXPECT_FALSE(error.empty());
}

TEST(VirtualPhoneSettings, PiecesOfTransfersCutOffByAKillAreGoneWhenThePhoneStartsAgain)
{
    ScratchFolder dir;
    std::filesystem::create_directories(dir.Path() / "Ringtones" / "Sub");
    const char* leftovers[] = {"Ringtones/.song.mid.obex-a1B2c3", "Ringtones/Sub/.x.mid.part-ZZ09zz"};
    const char* kept[] = {".tonenumbers", "Ringtones/song.mid", "Ringtones/.obex-a1B2c3",
                          "Ringtones/.song.mid.obex-short", "Ringtones/plain.obex-a1B2c3"};
    for (const char* name : leftovers)
        std::ofstream(dir.Path() / name) << "partial";
    for (const char* name : kept)
        std::ofstream(dir.Path() / name) << "whole";
    EXPECT_EQ(CPhoneFileSystem(dir.Path()).RemoveUnfinishedTransfers(), 2);
    for (const char* name : leftovers)
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / name)) << name;
}

TEST(VirtualPhoneOptions, ParsesFaultsAndRefusesBadValues)
{
    CSimOptions options;
    std::string error;
    EXPECT_TRUE(options.Parse({"--state", "/tmp/x", "--model=R41", "--imei", "123456789012345", "--fail-cmd", "+CGSN",
                               "--cme-cmd", "^CUTE:4", "--drop-after", "3", "--reopen", "--delay-ms", "10"},
                              error))
        << error;
    EXPECT_EQ(options.m_strModel, "R41");
    EXPECT_EQ(options.m_faultRules, (std::vector<std::string>{"fail=+CGSN", "cme=^CUTE:4", "drop=3", "delay=10"}));
    EXPECT_TRUE(options.m_bReopen);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--imei", "12345"}, {"--cme-cmd", "+CGSN"}, {"--state"}, {"--frobnicate"}})
        EXPECT_FALSE(CSimOptions().Parse(wrong, error)) << wrong[0];
    const std::string help = CSimOptions::HelpText("S", "C");
    for (const char* option :
         {"--state", "--model", "--imei", "--seed-ringtones", "--corpus", "--link", "--log", "--fail-cmd", "--cme-cmd",
          "--garbage", "--silent-cmd", "--delay-ms", "--drop-after", "--reopen", "AT^SIMFAULT"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
} // namespace corvina::test
