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

TEST(VirtualPhoneCommands, AnswersTheIdentificationCommandsLikeAStandardPhone)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    EXPECT_EQ(phone.Run("AT"), Lines({"OK"}));
    EXPECT_EQ(phone.Run("AT+CGSN"), Lines({"350000000000017", "OK"}));
    EXPECT_EQ(phone.Run("at+cgmm"), Lines({"CX70", "OK"}));
    EXPECT_EQ(phone.Run("AT+CGMI"), Lines({"Halvren", "OK"}));
    EXPECT_EQ(phone.Run("AT+CGMR").size(), 2u);
    EXPECT_EQ(phone.Run("ATI").back(), "OK");
    EXPECT_EQ(phone.Run("AT+CSCS=?"), Lines({"+CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"UCS2\",\"UTF-8\")", "OK"}));
    EXPECT_EQ(phone.Final("AT+CSCS=\"UTF-8\""), "OK");
    EXPECT_EQ(phone.Run("AT+CSCS?"), Lines({"+CSCS: \"UTF-8\"", "OK"}));
    EXPECT_EQ(phone.Run("AT+CFUN?"), Lines({"+CFUN: 1", "OK"}));
    EXPECT_EQ(phone.Final("AT+CFUN=1"), "OK");
    EXPECT_EQ(phone.Run("AT+CMEE?"), Lines({"+CMEE: 0", "OK"}));
    EXPECT_EQ(phone.Run(""), Lines({}));
    EXPECT_EQ(phone.Final("AT+NOSUCH"), "ERROR");
    EXPECT_EQ(phone.Final("hello"), "ERROR");
    EXPECT_EQ(phone.Final("AT+CGSN=\"unclosed"), "ERROR");
}

TEST(VirtualPhoneCommands, EchoesUntilAte0AndReportsErrorsInTheChosenForm)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    EXPECT_EQ(phone.engine->Respond("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(phone.engine->Respond("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(phone.engine->Respond("AT"), "\r\nOK\r\n");
    EXPECT_EQ(phone.Final("AT+CALM=7"), "ERROR");
    EXPECT_EQ(phone.Final("AT+CMEE=1"), "OK");
    EXPECT_EQ(phone.Final("AT+CALM=7"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT+CMEE=2"), "OK");
    EXPECT_EQ(phone.Final("AT+CALM=7"), "+CME ERROR: operation not supported");
    EXPECT_EQ(phone.Final("ATZ"), "OK");
    EXPECT_TRUE(phone.engine->IsEchoOn());
    EXPECT_EQ(phone.Final("AT+CALM=7"), "ERROR");
}

TEST(VirtualPhoneCommands, KeepsToneVolumeAndSoundModeOfAFolderPhone)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    phone.Run("AT+CMEE=1");
    EXPECT_EQ(phone.Run("AT+CRSL=?"), Lines({"+CRSL: (1-4)", "OK"}));
    EXPECT_EQ(phone.Final("AT^CRTN=12,4"), "OK");
    EXPECT_EQ(phone.Run("AT^CRTN?"), Lines({"^CRTN: 12,4", "OK"}));
    EXPECT_EQ(phone.Final("AT^CRTN=12,5"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT+CALM=2;+CVIB=1"), "OK");
    EXPECT_EQ(phone.Run("AT+CALM?;+CVIB?"), Lines({"+CALM: 2", "+CVIB: 1", "OK"}));
    EXPECT_EQ(phone.state.SoundModeWord(), 0x14);
    EXPECT_EQ(phone.Final("AT+CVIB=2"), "OK");
    EXPECT_EQ(phone.state.SoundModeWord(), 0x44);
    // One line only, but the editor may name any ringing line.
    EXPECT_EQ(phone.Final("AT^CLVL=3,4"), "OK");
    EXPECT_EQ(phone.Final("AT^CLVL=21,4"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CLVL=1,5"), "+CME ERROR: 21");
}

TEST(VirtualPhoneCommands, AOneLinePhoneHasOneRingingVolumeThatEveryVolumeCommandShares)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "CX70");
    phone.Run("AT+CMEE=1");
    EXPECT_EQ(phone.Final("AT^CRTN=12,1"), "OK");
    // The editor writes the volume for the line it shows (current line 9 is ringing line 3) and
    // reads it back from the general tone.
    EXPECT_EQ(phone.Final("AT^CLVL=3,4"), "OK");
    EXPECT_EQ(phone.Run("AT^CRTN?"), Lines({"^CRTN: 12,4", "OK"}));
    EXPECT_EQ(phone.Run("AT+CRSL?"), Lines({"+CRSL: 4", "OK"}));
    EXPECT_EQ(phone.Run("AT^CLVL=1"), Lines({"^CLVL: 1,4", "OK"}));
    EXPECT_EQ(phone.Final("AT+CRSL=2"), "OK");
    EXPECT_EQ(phone.Run("AT^CLVL=3"), Lines({"^CLVL: 3,2", "OK"}));
    EXPECT_EQ(phone.Final("AT^CRTN=12,3"), "OK");
    EXPECT_EQ(phone.Run("AT^CLVL=20"), Lines({"^CLVL: 20,3", "OK"}));
    // No per-line copy that could drift apart from the general volume.
    EXPECT_EQ(phone.state.m_nToneVolume, 3);
    EXPECT_TRUE(phone.state.m_ringingLineVolumes.empty());

    // The caller-group family keeps a volume per line, apart from the general tone's.
    ScratchFolder groupDir;
    SSimulatedPhone group(groupDir.Path(), "RX41");
    group.Run("AT+CMEE=1");
    EXPECT_EQ(group.Final("AT^CLVL=3,5"), "OK");
    EXPECT_EQ(group.Final("AT^CLVL=4,1"), "OK");
    EXPECT_EQ(group.Run("AT^CLVL=3"), Lines({"^CLVL: 3,5", "OK"}));
    EXPECT_EQ(group.Run("AT^CLVL=4"), Lines({"^CLVL: 4,1", "OK"}));
}

TEST(VirtualPhoneCommands, ChoosingARingtoneByIndexTurnsTheRingerOn)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "ME45");
    phone.Run("AT+CMEE=1");
    EXPECT_EQ(phone.Final("AT+CALM=1;+CVIB=1"), "OK");
    EXPECT_EQ(phone.state.SoundModeWord(), 0x12);
    EXPECT_EQ(phone.Final("AT^CRTN=7,2"), "OK");
    // Ringer on, vibration untouched.
    EXPECT_EQ(phone.Run("AT+CALM?"), Lines({"+CALM: 0", "OK"}));
    EXPECT_EQ(phone.state.SoundModeWord(), 0x11);
    // A refused choice changes nothing.
    EXPECT_EQ(phone.Final("AT+CALM=2"), "OK");
    EXPECT_EQ(phone.Final("AT^CRTN=0,2"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Run("AT+CALM?"), Lines({"+CALM: 2", "OK"}));
}

TEST(VirtualPhoneCommands, FeaturesAFamilyLacksAnswerError)
{
    ScratchFolder dir;
    SSimulatedPhone index(dir.Path() / "index", "ME45");
    index.Run("AT+CMEE=1");
    // Numbered slots: no files to assign or play, no tones per profile line.
    EXPECT_EQ(index.Final("AT^CAFL=6"), "ERROR");
    EXPECT_EQ(index.Final("AT^CPLF=\"A:\\Ringtones\\a.mid\",-1"), "ERROR");
    EXPECT_EQ(index.Final("AT^CPLF=0"), "ERROR");
    EXPECT_EQ(index.Final("AT^CLTN=6"), "ERROR");

    SSimulatedPhone folder(dir.Path() / "folder", "CX70");
    folder.Run("AT+CMEE=1");
    // Files: no user-defined slots to fill, no tones per profile line, no group scale.
    EXPECT_EQ(folder.Final("AT^CLTN=6"), "ERROR");
    EXPECT_EQ(folder.Final("AT^CUTB=0,10"), "ERROR");
    EXPECT_EQ(folder.Final("AT^CUTD=\"00\""), "ERROR");
    EXPECT_EQ(folder.Final("AT^CUTE=0"), "ERROR");
    EXPECT_EQ(folder.Final("AT^CLVL=?"), "ERROR");

    SSimulatedPhone birch(dir.Path() / "birch", "BIRCH-M55");
    birch.Run("AT+CMEE=1");
    // Volumes go with the tone of each profile line.
    EXPECT_EQ(birch.Final("AT^CLVL=3,2"), "ERROR");
    EXPECT_EQ(birch.Final("AT^CUTB=0,10"), "ERROR");
}

TEST(VirtualPhoneCommands, AssignsAndPlaysFilesThatExistOnThePhone)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "RX41");
    phone.Run("AT+CMEE=1");
    dir.Write("fs/Ringtones/tune.mid", "MThd");
    EXPECT_EQ(phone.Run("AT^CAFL=6"), Lines({"^CAFL: 6,\"\"", "OK"}));
    EXPECT_EQ(phone.Final("AT^CAFL=6,\"A:\\Ringtones\\tune.mid\""), "OK");
    EXPECT_EQ(phone.Run("AT^CAFL=6"), Lines({"^CAFL: 6,\"A:\\Ringtones\\tune.mid\"", "OK"}));
    EXPECT_EQ(phone.Final("AT^CAFL=7,\"A:\\Ringtones\\missing.mid\""), "+CME ERROR: 22");
    EXPECT_EQ(phone.Final("AT^CAFL=7,\"A:\\..\\phone.conf\""), "+CME ERROR: 22");
    EXPECT_EQ(phone.Final("AT^CAFL=5,\"A:\\Ringtones\\tune.mid\""), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CPLF=\"A:\\ringtones\\TUNE.MID\",-1"), "OK");
    EXPECT_EQ(phone.state.m_strPlaying, "file A:\\ringtones\\TUNE.MID");
    EXPECT_EQ(phone.Final("AT^CPLF=\"A:\\Ringtones\\gone.mid\",-1"), "+CME ERROR: 22");
    EXPECT_EQ(phone.Final("AT^CPLF=0"), "OK");
    EXPECT_EQ(phone.state.m_strPlaying, "");
    EXPECT_EQ(phone.Final("AT^CPLY=1"), "OK");
    EXPECT_EQ(phone.state.m_strPlaying, "tone " + std::to_string(phone.state.m_nToneIndex));
    EXPECT_EQ(phone.Final("AT^CPLY=0"), "OK");
    EXPECT_EQ(phone.state.m_strPlaying, "");
    // The caller-group family has its own scale for twenty ringing lines.
    EXPECT_EQ(phone.Run("AT^CLVL=?"), Lines({"^CLVL: (1-5)", "OK"}));
    EXPECT_EQ(phone.Final("AT^CLVL=20,5"), "OK");
    EXPECT_EQ(phone.Run("AT^CLVL=20"), Lines({"^CLVL: 20,5", "OK"}));
}

TEST(VirtualPhoneCommands, BirchPhonesKeepToneAndVolumePerLineWithToneNumbers)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "BIRCH-M55");
    phone.Run("AT+CMEE=1");
    EXPECT_EQ(phone.Run("AT+CRSL=?"), Lines({"+CRSL: (1-5)", "OK"}));
    EXPECT_EQ(phone.Run("AT^CLTN=22"), Lines({"^CLTN: 22,1,3", "OK"}));
    EXPECT_EQ(phone.Final("AT^CLTN=22,40,5"), "OK");
    EXPECT_EQ(phone.Run("AT^CLTN=22"), Lines({"^CLTN: 22,40,5", "OK"}));
    EXPECT_EQ(phone.Final("AT^CLTN=27"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CLTN=13,41,2"), "+CME ERROR: 21");
    // A file that arrives in a standard folder is numbered after the fixed tones.
    dir.Write("fs/Ringtones/new.mid", "MThd");
    dir.Write("fs/iMelodies/a.imy", "BEGIN:IMELODY");
    phone.engine->RefreshToneNumbers();
    const auto numbers = phone.state.FileSystem().ReadToneNumbers();
    EXPECT_EQ(numbers.at("Ringtones/new.mid"), 42);
    EXPECT_EQ(numbers.at("iMelodies/a.imy"), 41);
    EXPECT_EQ(phone.Final("AT^CLTN=13,42,2"), "OK");
    EXPECT_EQ(phone.Final("AT^CLTN=13,43,2"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CLTN=13,42,6"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CLVL=1,3"), "ERROR");
    // Numbers stay with their files; a removed file gives its number up.
    std::filesystem::remove(dir.Path() / "fs" / "iMelodies" / "a.imy");
    phone.engine->RefreshToneNumbers();
    EXPECT_EQ(phone.state.FileSystem().ReadToneNumbers(), (std::map<std::string, int>{{"Ringtones/new.mid", 42}}));
}

TEST(VirtualPhoneCommands, MosaicIsOfTheBirchFamilyWithoutAnIMelodyFolder)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "MOSAIC");
    EXPECT_TRUE(phone.model.m_bBirch);
    EXPECT_TRUE(phone.model.m_strImyStdFolder.empty());
    EXPECT_EQ(phone.Run("AT^CLTN=21"), Lines({"^CLTN: 21,1,3", "OK"}));
    CPhoneModel other;
    EXPECT_FALSE(CPhoneModel::FromType("MOSAIC2", other));
    EXPECT_TRUE(CPhoneModel::FromType("mosaic", other));
    EXPECT_TRUE(other.m_bBirch);
    EXPECT_TRUE(CPhoneModel::FromType("XBIRCH9", other));
    EXPECT_TRUE(other.m_bBirch);
    EXPECT_FALSE(CPhoneModel::FromType("birch", other));
}

TEST(VirtualPhoneCommands, IndexPhonesTakeUserTonesWithChecksumIntoTheirSlots)
{
    ScratchFolder dir;
    SSimulatedPhone phone(dir.Path(), "ME45");
    phone.Run("AT+CMEE=1");
    EXPECT_EQ(phone.Final("AT^CRTN=46,2"), "+CME ERROR: 21");
    EXPECT_EQ(phone.Final("AT^CRTN=45,2"), "OK");

    std::string tone = "MThd";
    for (int i = 0; i < 300; ++i)
        tone += static_cast<char>(i * 7);
    EXPECT_EQ(phone.Final("AT^CUTB=4," + std::to_string(tone.size())), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"" + HexOf(tone.substr(0, 256)) + "\""), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"" + HexOf(tone.substr(256)) + "\""), "OK");
    EXPECT_EQ(phone.Final("AT^CUTE=" + std::to_string(SumOf(tone))), "OK");
    EXPECT_EQ(ReadFile(phone.state.UserToneFile(4)), tone);
    EXPECT_EQ(phone.state.m_userTones.at(4), (SUserTone{static_cast<int>(tone.size()), SumOf(tone)}));

    // A wrong checksum, a short transfer or an overlong chunk leave the slot as it was.
    EXPECT_EQ(phone.Final("AT^CUTB=4,2"), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"0102\""), "OK");
    EXPECT_EQ(phone.Final("AT^CUTE=4"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=4,3"), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"0102\""), "OK");
    EXPECT_EQ(phone.Final("AT^CUTE=3"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=4,1"), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"0102\""), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTE=3"), "+CME ERROR: 4");
    EXPECT_EQ(phone.state.m_userTones.at(4).nSize, static_cast<int>(tone.size()));
    // Bad slots, sizes and hex.
    EXPECT_EQ(phone.Final("AT^CUTB=5,10"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=0,0"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=0,65537"), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTD=\"00\""), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=0,2"), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"0G\""), "+CME ERROR: 4");
    EXPECT_EQ(phone.Final("AT^CUTB=0,600"), "OK");
    EXPECT_EQ(phone.Final("AT^CUTD=\"" + std::string(514, '0') + "\""), "+CME ERROR: 4");

    SSimulatedPhone r15(dir.Path() / "r15", "R15");
    r15.Run("AT+CMEE=1");
    EXPECT_EQ(r15.Final("AT^CUTB=1,1"), "OK");
    EXPECT_EQ(r15.Final("AT^CUTB=2,1"), "+CME ERROR: 4");
}

TEST(VirtualPhoneCommands, StateSurvivesARestartOfThePhone)
{
    ScratchFolder dir;
    {
        SSimulatedPhone phone(dir.Path(), "BIRCH-M55");
        phone.Run("AT^CRTN=7,2;+CALM=1;+CVIB=0;^CLTN=23,12,4");
        dir.Write("fs/Ringtones/x.mid", "MThd");
        phone.Run("AT^CAFL=9,\"A:\\Ringtones\\x.mid\"");
        phone.Run("AT^CPLF=\"A:\\Ringtones\\x.mid\",-1");
    }
    SSimulatedPhone again(dir.Path(), "BIRCH-M55");
    EXPECT_EQ(again.Run("AT^CRTN?"), Lines({"^CRTN: 7,2", "OK"}));
    EXPECT_EQ(again.Run("AT+CALM?"), Lines({"+CALM: 1", "OK"}));
    EXPECT_EQ(again.Run("AT^CLTN=23"), Lines({"^CLTN: 23,12,4", "OK"}));
    EXPECT_EQ(again.Run("AT^CAFL=9"), Lines({"^CAFL: 9,\"A:\\Ringtones\\x.mid\"", "OK"}));
    EXPECT_EQ(again.state.m_strPlaying, "file A:\\Ringtones\\x.mid");
    // Another phone type on the same state starts from its family's defaults.
    SSimulatedPhone other(dir.Path(), "ME45");
    EXPECT_EQ(other.Run("AT^CRTN?"), Lines({"^CRTN: 1,3", "OK"}));
    EXPECT_EQ(other.Run("AT+CGMM"), Lines({"ME45", "OK"}));
}

} // namespace
} // namespace corvina::test
