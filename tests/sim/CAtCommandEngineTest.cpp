// Command handling of the virtual phone, per phone family, checked on strings without a terminal.
#include <gtest/gtest.h>

#include "CAtCommandEngine.h"
#include "SimTestSupport.h"

namespace corvina::test {
namespace {

std::string HexOf(const std::string& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

int SumOf(const std::string& bytes)
{
    int sum = 0;
    for (unsigned char c : bytes)
        sum = (sum + c) % 65536;
    return sum;
}

// Each test's phones keep their state in a scratch folder of the test.
class VirtualPhoneCommands : public ::testing::Test {
protected:
    ScratchFolder dir;
};

TEST_F(VirtualPhoneCommands, AnswersTheIdentificationCommandsLikeAStandardPhone)
{
    SSimulatedPhone phone(dir.Path(), "CX70");
    phone.Expect({"AT -> OK", "AT+CGSN -> 350000000000017|OK", "at+cgmm -> CX70|OK", "AT+CGMI -> Halvren|OK",
                  "AT+CGMR -> corvina-phonesim 1.0|OK", "ATI -> Halvren|CX70|Revision: corvina-phonesim 1.0|OK",
                  "AT+CSCS=? -> +CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"UCS2\",\"UTF-8\")|OK", "AT+CSCS=\"UTF-8\" -> OK",
                  "AT+CSCS? -> +CSCS: \"UTF-8\"|OK", "AT+CFUN? -> +CFUN: 1|OK", "AT+CFUN=1 -> OK",
                  "AT+CMEE? -> +CMEE: 0|OK", "AT+NOSUCH -> ERROR", "hello -> ERROR", "AT+CGSN=\"unclosed -> ERROR"});
    EXPECT_TRUE(phone.Run("").empty());
}

TEST_F(VirtualPhoneCommands, EchoesUntilAte0AndReportsErrorsInTheChosenForm)
{
    SSimulatedPhone phone(dir.Path(), "CX70");
    EXPECT_EQ(phone.engine->Respond("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(phone.engine->Respond("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(phone.engine->Respond("AT"), "\r\nOK\r\n");
    phone.Expect({"AT+CALM=7 -> ERROR", "AT+CMEE=1 -> OK", "AT+CALM=7 -> +CME ERROR: 4", "AT+CMEE=2 -> OK",
                  "AT+CALM=7 -> +CME ERROR: operation not supported", "ATZ -> OK"});
    EXPECT_TRUE(phone.engine->IsEchoOn());
    phone.Expect({"AT+CALM=7 -> ERROR"});
}

TEST_F(VirtualPhoneCommands, KeepsToneVolumeAndSoundModeOfAFolderPhone)
{
    SSimulatedPhone phone(dir.Path(), "CX70");
    phone.Expect({"AT+CMEE=1 -> OK", "AT+CRSL=? -> +CRSL: (1-4)|OK", "AT^CRTN=12,4 -> OK", "AT^CRTN? -> ^CRTN: 12,4|OK",
                  "AT^CRTN=12,5 -> +CME ERROR: 21", "AT+CALM=2;+CVIB=1 -> OK",
                  "AT+CALM?;+CVIB? -> +CALM: 2|+CVIB: 1|OK"});
    EXPECT_EQ(phone.state.SoundModeWord(), 0x14);
    phone.Expect({"AT+CVIB=2 -> OK"});
    EXPECT_EQ(phone.state.SoundModeWord(), 0x44);
    // One line only, but the editor may name any ringing line.
    phone.Expect({"AT^CLVL=3,4 -> OK", "AT^CLVL=21,4 -> +CME ERROR: 21", "AT^CLVL=1,5 -> +CME ERROR: 21"});
}

TEST_F(VirtualPhoneCommands, AOneLinePhoneHasOneRingingVolumeThatEveryVolumeCommandShares)
{
    SSimulatedPhone phone(dir.Path(), "CX70");
    // The editor writes the volume for the line it shows (current line 9 is ringing line 3) and
    // reads it back from the general tone.
    phone.Expect({"AT+CMEE=1 -> OK", "AT^CRTN=12,1 -> OK", "AT^CLVL=3,4 -> OK", "AT^CRTN? -> ^CRTN: 12,4|OK",
                  "AT+CRSL? -> +CRSL: 4|OK", "AT^CLVL=1 -> ^CLVL: 1,4|OK", "AT+CRSL=2 -> OK",
                  "AT^CLVL=3 -> ^CLVL: 3,2|OK", "AT^CRTN=12,3 -> OK", "AT^CLVL=20 -> ^CLVL: 20,3|OK"});
    // No per-line copy that could drift apart from the general volume.
    EXPECT_EQ(phone.state.m_nToneVolume, 3);
    EXPECT_TRUE(phone.state.m_ringingLineVolumes.empty());

    // The caller-group family keeps a volume per line, apart from the general tone's.
    ScratchFolder groupDir;
    SSimulatedPhone group(groupDir.Path(), "RX41");
    group.Expect({"AT+CMEE=1 -> OK", "AT^CLVL=3,5 -> OK", "AT^CLVL=4,1 -> OK", "AT^CLVL=3 -> ^CLVL: 3,5|OK",
                  "AT^CLVL=4 -> ^CLVL: 4,1|OK"});
}

TEST_F(VirtualPhoneCommands, ChoosingARingtoneByIndexTurnsTheRingerOn)
{
    SSimulatedPhone phone(dir.Path(), "ME45");
    phone.Expect({"AT+CMEE=1 -> OK", "AT+CALM=1;+CVIB=1 -> OK"});
    EXPECT_EQ(phone.state.SoundModeWord(), 0x12);
    // Ringer on, vibration untouched.
    phone.Expect({"AT^CRTN=7,2 -> OK", "AT+CALM? -> +CALM: 0|OK"});
    EXPECT_EQ(phone.state.SoundModeWord(), 0x11);
    // A refused choice changes nothing.
    phone.Expect({"AT+CALM=2 -> OK", "AT^CRTN=0,2 -> +CME ERROR: 21", "AT+CALM? -> +CALM: 2|OK"});
}

TEST_F(VirtualPhoneCommands, FeaturesAFamilyLacksAnswerError)
{
    // Numbered slots: no files to assign or play, no tones per profile line.
    SSimulatedPhone index(dir.Path() / "index", "ME45");
    index.Expect({"AT+CMEE=1 -> OK", "AT^CAFL=6 -> ERROR", "AT^CPLF=\"A:\\Ringtones\\a.mid\",-1 -> ERROR",
                  "AT^CPLF=0 -> ERROR", "AT^CLTN=6 -> ERROR"});
    // Files: no user-defined slots to fill, no tones per profile line, no group scale.
    SSimulatedPhone folder(dir.Path() / "folder", "CX70");
    folder.Expect({"AT+CMEE=1 -> OK", "AT^CLTN=6 -> ERROR", "AT^CUTB=0,10 -> ERROR", "AT^CUTD=\"00\" -> ERROR",
                   "AT^CUTE=0 -> ERROR", "AT^CLVL=? -> ERROR"});
    // Volumes go with the tone of each profile line.
    SSimulatedPhone birch(dir.Path() / "birch", "BIRCH-M55");
    birch.Expect({"AT+CMEE=1 -> OK", "AT^CLVL=3,2 -> ERROR", "AT^CUTB=0,10 -> ERROR"});
}

TEST_F(VirtualPhoneCommands, AssignsAndPlaysFilesThatExistOnThePhone)
{
    SSimulatedPhone phone(dir.Path(), "RX41");
    dir.Write("fs/Ringtones/tune.mid", "MThd");
    phone.Expect({"AT+CMEE=1 -> OK", "AT^CAFL=6 -> ^CAFL: 6,\"\"|OK", "AT^CAFL=6,\"A:\\Ringtones\\tune.mid\" -> OK",
                  "AT^CAFL=6 -> ^CAFL: 6,\"A:\\Ringtones\\tune.mid\"|OK",
                  "AT^CAFL=7,\"A:\\Ringtones\\missing.mid\" -> +CME ERROR: 22",
                  "AT^CAFL=7,\"A:\\..\\phone.conf\" -> +CME ERROR: 22",
                  "AT^CAFL=5,\"A:\\Ringtones\\tune.mid\" -> +CME ERROR: 21",
                  "AT^CPLF=\"A:\\ringtones\\TUNE.MID\",-1 -> OK"});
    EXPECT_EQ(phone.state.m_strPlaying, "file A:\\ringtones\\TUNE.MID");
    phone.Expect({"AT^CPLF=\"A:\\Ringtones\\gone.mid\",-1 -> +CME ERROR: 22", "AT^CPLF=0 -> OK"});
    EXPECT_EQ(phone.state.m_strPlaying, "");
    phone.Expect({"AT^CPLY=1 -> OK"});
    EXPECT_EQ(phone.state.m_strPlaying, "tone " + std::to_string(phone.state.m_nToneIndex));
    phone.Expect({"AT^CPLY=0 -> OK"});
    EXPECT_EQ(phone.state.m_strPlaying, "");
    // The caller-group family has its own scale for twenty ringing lines.
    phone.Expect({"AT^CLVL=? -> ^CLVL: (1-5)|OK", "AT^CLVL=20,5 -> OK", "AT^CLVL=20 -> ^CLVL: 20,5|OK"});
}

TEST_F(VirtualPhoneCommands, BirchPhonesKeepToneAndVolumePerLineWithToneNumbers)
{
    SSimulatedPhone phone(dir.Path(), "BIRCH-M55");
    phone.Expect({"AT+CMEE=1 -> OK", "AT+CRSL=? -> +CRSL: (1-5)|OK", "AT^CLTN=22 -> ^CLTN: 22,1,3|OK",
                  "AT^CLTN=22,40,5 -> OK", "AT^CLTN=22 -> ^CLTN: 22,40,5|OK", "AT^CLTN=27 -> +CME ERROR: 21",
                  "AT^CLTN=13,41,2 -> +CME ERROR: 21"});
    // A file that arrives in a standard folder is numbered after the fixed tones.
    dir.Write("fs/Ringtones/new.mid", "MThd");
    dir.Write("fs/iMelodies/a.imy", "BEGIN:IMELODY");
    phone.engine->RefreshToneNumbers();
    const auto numbers = phone.state.FileSystem().ReadToneNumbers();
    EXPECT_EQ(numbers.at("Ringtones/new.mid"), 42);
    EXPECT_EQ(numbers.at("iMelodies/a.imy"), 41);
    phone.Expect({"AT^CLTN=13,42,2 -> OK", "AT^CLTN=13,43,2 -> +CME ERROR: 21", "AT^CLTN=13,42,6 -> +CME ERROR: 21",
                  "AT^CLVL=1,3 -> ERROR"});
    // Numbers stay with their files; a removed file gives its number up.
    std::filesystem::remove(dir.Path() / "fs" / "iMelodies" / "a.imy");
    phone.engine->RefreshToneNumbers();
    EXPECT_EQ(phone.state.FileSystem().ReadToneNumbers(), (std::map<std::string, int>{{"Ringtones/new.mid", 42}}));
}

TEST_F(VirtualPhoneCommands, MosaicIsOfTheBirchFamilyWithoutAnIMelodyFolder)
{
    SSimulatedPhone phone(dir.Path(), "MOSAIC");
    EXPECT_TRUE(phone.model.m_bBirch);
    EXPECT_TRUE(phone.model.m_strImyStdFolder.empty());
    phone.Expect({"AT^CLTN=21 -> ^CLTN: 21,1,3|OK"});
    CPhoneModel other;
    EXPECT_FALSE(CPhoneModel::FromType("MOSAIC2", other));
    EXPECT_TRUE(CPhoneModel::FromType("mosaic", other));
    EXPECT_TRUE(other.m_bBirch);
    EXPECT_TRUE(CPhoneModel::FromType("XBIRCH9", other));
    EXPECT_TRUE(other.m_bBirch);
    EXPECT_FALSE(CPhoneModel::FromType("birch", other));
}

TEST_F(VirtualPhoneCommands, IndexPhonesTakeUserTonesWithChecksumIntoTheirSlots)
{
    SSimulatedPhone phone(dir.Path(), "ME45");
    std::string tone = "MThd";
    for (int i = 0; i < 300; ++i)
        tone += static_cast<char>(i * 7);
    phone.Expect(
        {"AT+CMEE=1 -> OK", "AT^CRTN=46,2 -> +CME ERROR: 21", "AT^CRTN=45,2 -> OK",
         "AT^CUTB=4," + std::to_string(tone.size()) + " -> OK", "AT^CUTD=\"" + HexOf(tone.substr(0, 256)) + "\" -> OK",
         "AT^CUTD=\"" + HexOf(tone.substr(256)) + "\" -> OK", "AT^CUTE=" + std::to_string(SumOf(tone)) + " -> OK"});
    EXPECT_EQ(ReadFile(phone.state.UserToneFile(4)), tone);
    EXPECT_EQ(phone.state.m_userTones.at(4), (SUserTone{static_cast<int>(tone.size()), SumOf(tone)}));

    // A wrong checksum, a short transfer or an overlong chunk leave the slot as it was.
    phone.Expect({"AT^CUTB=4,2 -> OK", "AT^CUTD=\"0102\" -> OK", "AT^CUTE=4 -> +CME ERROR: 4", "AT^CUTB=4,3 -> OK",
                  "AT^CUTD=\"0102\" -> OK", "AT^CUTE=3 -> +CME ERROR: 4", "AT^CUTB=4,1 -> OK",
                  "AT^CUTD=\"0102\" -> +CME ERROR: 4", "AT^CUTE=3 -> +CME ERROR: 4"});
    EXPECT_EQ(phone.state.m_userTones.at(4).nSize, static_cast<int>(tone.size()));
    // Bad slots, sizes and hex.
    phone.Expect({"AT^CUTB=5,10 -> +CME ERROR: 4", "AT^CUTB=0,0 -> +CME ERROR: 4", "AT^CUTB=0,65537 -> +CME ERROR: 4",
                  "AT^CUTD=\"00\" -> +CME ERROR: 4", "AT^CUTB=0,2 -> OK", "AT^CUTD=\"0G\" -> +CME ERROR: 4",
                  "AT^CUTB=0,600 -> OK", "AT^CUTD=\"" + std::string(514, '0') + "\" -> +CME ERROR: 4"});

    SSimulatedPhone r15(dir.Path() / "r15", "R15");
    r15.Expect({"AT+CMEE=1 -> OK", "AT^CUTB=1,1 -> OK", "AT^CUTB=2,1 -> +CME ERROR: 4"});
}

TEST_F(VirtualPhoneCommands, StateSurvivesARestartOfThePhone)
{
    {
        SSimulatedPhone phone(dir.Path(), "BIRCH-M55");
        phone.Run("AT^CRTN=7,2;+CALM=1;+CVIB=0;^CLTN=23,12,4");
        dir.Write("fs/Ringtones/x.mid", "MThd");
        phone.Run("AT^CAFL=9,\"A:\\Ringtones\\x.mid\"");
        phone.Run("AT^CPLF=\"A:\\Ringtones\\x.mid\",-1");
    }
    SSimulatedPhone again(dir.Path(), "BIRCH-M55");
    again.Expect({"AT^CRTN? -> ^CRTN: 7,2|OK", "AT+CALM? -> +CALM: 1|OK", "AT^CLTN=23 -> ^CLTN: 23,12,4|OK",
                  "AT^CAFL=9 -> ^CAFL: 9,\"A:\\Ringtones\\x.mid\"|OK"});
    EXPECT_EQ(again.state.m_strPlaying, "file A:\\Ringtones\\x.mid");
    // Another phone type on the same state starts from its family's defaults.
    SSimulatedPhone other(dir.Path(), "ME45");
    other.Expect({"AT^CRTN? -> ^CRTN: 1,3|OK", "AT+CGMM -> ME45|OK"});
}

} // namespace
} // namespace corvina::test
