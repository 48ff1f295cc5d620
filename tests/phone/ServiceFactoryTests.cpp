// Creating services by class id from the registry, setting them up with the configured port, and
// the error helpers every user operation relies on.
#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "CFolderVolume.h"
#include "CRecordingProgressDlg.h"
#include "CServiceFactory.h"
#include "PhoneErrors.h"
#include "PhoneTestSupport.h"
#include "ServiceClassIds.h"
#include "ServiceInit.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

namespace corvina {
namespace {

class ServiceFactoryTest : public ::testing::Test {
protected:
    void TearDown() override { Registry::Instance().LoadText(""); }
    test::ScratchFolder dir;
};

TEST_F(ServiceFactoryTest, CreatesTheImplementationTheRegistryNamesForEachClassId)
{
    test::LoadRegistry(test::RegString("VolumeRoot", dir.Path().string()));
    CServiceFactory& factory = CServiceFactory::Instance();
    std::shared_ptr<IMBXVolume> volume;
    EXPECT_EQ(factory.CreateInstance(CLSID_MBXVolume, volume), S_OK);
    EXPECT_NE(std::dynamic_pointer_cast<CFolderVolume>(volume), nullptr);
    std::shared_ptr<IRingtoneSettings> settings;
    EXPECT_EQ(factory.CreateInstance(CLSID_RingtoneSettings, settings), S_OK);
    std::shared_ptr<IAtCommandService> atc;
    EXPECT_EQ(factory.CreateInstance(CLSID_AtCommandService, atc), S_OK);
    // Asking a class for an interface it does not offer.
    std::shared_ptr<IRingtoneSettings> wrong;
    EXPECT_EQ(factory.CreateInstance(CLSID_MBXVolume, wrong), E_NOINTERFACE);
    // The screen's progress window is registered by the editor, not here.
    std::shared_ptr<IProgressDlg> progress;
    EXPECT_EQ(factory.CreateInstance(CLSID_ProgressDlg, progress), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(factory.CreateInstance("{00000000-0000-0000-0000-000000000000}", progress), REGDB_E_CLASSNOTREG);

    // A different configuration serves the same class id with another implementation.
    auto recorder = std::make_shared<CRecordingProgressDlg>();
    factory.RegisterImplementation("TestProgress", [recorder] { return recorder; });
    Registry::Instance().MergeText("[HKEY_CLASSES_ROOT\\CLSID\\" + std::string(CLSID_ProgressDlg) +
                                   "\\Corvina]\n\"Implementation\"=\"TestProgress\"\n");
    EXPECT_EQ(factory.CreateInstance(CLSID_ProgressDlg, progress), S_OK);
    EXPECT_EQ(progress, recorder);
    factory.UnregisterImplementation("TestProgress");
    EXPECT_EQ(factory.CreateInstance(CLSID_ProgressDlg, progress), REGDB_E_CLASSNOTREG);
}

TEST_F(ServiceFactoryTest, InitFailsWithThePortMessageOnlyWhenThePortCannotBeOpened)
{
    test::FakeUi ui;
    test::LoadRegistry(test::RegString("VolumeRoot", dir.Path().string()) +
                       test::RegString("Port", "/dev/corvina-no-such-port"));
    std::shared_ptr<IMBXVolume> volume = std::make_shared<CFolderVolume>(dir.Path());
    HRESULT failure = S_OK;
    EXPECT_FALSE(InitMbxVolPtr(volume, &failure));
    EXPECT_EQ(volume, nullptr); // the old object was released
    EXPECT_EQ(failure, HR_PORT_CANNOT_BE_READ);
    std::shared_ptr<IRingtoneSettings> settings;
    EXPECT_FALSE(InitRtSettingsPtr(settings, &failure));
    EXPECT_EQ(failure, HR_PORT_CANNOT_BE_READ);
    // Setting up shows nothing (the read-out worker does it too); the user-interface thread tells.
    EXPECT_TRUE(ui.Texts().empty());
    EXPECT_TRUE(ReportPortCannotBeRead(failure));
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>(1, "Port cannot be read. Please reinstall Pellucid!\n")));

    // A volume whose root is missing fails with another code, which is no port message.
    test::LoadRegistry(test::RegString("VolumeRoot", (dir.Path() / "none").string()));
    EXPECT_FALSE(InitMbxVolPtr(volume, &failure));
    EXPECT_NE(failure, HR_PORT_CANNOT_BE_READ);
    EXPECT_TRUE(FAILED(failure));
    EXPECT_FALSE(ReportPortCannotBeRead(failure));
    EXPECT_EQ(ui.Texts().size(), 1u);

    // Without "Port" no port is set; with one that opens, the services are ready.
    test::LoadRegistry(test::RegString("VolumeRoot", dir.Path().string()));
    EXPECT_TRUE(InitMbxVolPtr(volume));
    EXPECT_TRUE(InitRtSettingsPtr(settings));
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    test::LoadRegistry(test::RegString("VolumeRoot", dir.Path().string()) + test::RegString("Port", name));
    EXPECT_TRUE(InitMbxVolPtr(volume, &failure));
    EXPECT_EQ(failure, S_OK);
    EXPECT_TRUE(InitRtSettingsPtr(settings));
    EXPECT_EQ(ui.Texts().size(), 1u);
    ::close(slave);
    ::close(master);
}

TEST_F(ServiceFactoryTest, AHelperWithoutAServiceRaisesENotAPointer)
{
    CAtcHelperFunctions empty(nullptr);
    EXPECT_EQ(empty.GetInterface(), nullptr);
    try {
        empty.Atc();
        FAIL() << "no error raised";
    } catch (const ComError& error) {
        EXPECT_EQ(error.Error(), E_POINTER);
    }
    // Unregistered service: the helper holds nothing, and the next use raises.
    Registry::Instance().LoadText("");
    CAtcHelperFunctions unregistered;
    EXPECT_EQ(unregistered.GetInterface(), nullptr);
    EXPECT_THROW(unregistered.Atc(), ComError);
}

TEST_F(ServiceFactoryTest, ComErrorsCarryTheirCodeAndAReadableText)
{
    test::FakeUi ui;
    try {
        CComError::ThrowIfFailed(S_FALSE);
        CComError::ThrowIfFailed(HrFromCmeError(22));
        FAIL() << "no error raised";
    } catch (const ComError& error) {
        EXPECT_EQ(error.Error(), HrFromBits(0x8004B116u));
        CComError::TraceComError(error, "test");
        CComError::ReportError(error);
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"The phone reported error 22."});
    EXPECT_THROW(CComError::ThrowCurrent(HR_PORT_CANNOT_BE_READ), ComError);
}

TEST_F(ServiceFactoryTest, TheRecordingProgressWindowRecordsCallsAndCancelsOnRequest)
{
    CRecordingProgressDlg dlg;
    dlg.CancelAfterPositions(2);
    std::int32_t cancelled = -1;
    dlg.SetTitle("Melody is transmitted ...");
    dlg.SetRange(0, 100);
    dlg.SetOption(1);
    dlg.SetPos(0);
    dlg.Show();
    dlg.HasUserCancelled(&cancelled);
    EXPECT_EQ(cancelled, 0);
    dlg.SetPos(40);
    dlg.SetPos(80);
    dlg.HasUserCancelled(&cancelled);
    EXPECT_EQ(cancelled, 1);
    dlg.Close();
    EXPECT_EQ(dlg.Transcript(), "SetTitle Melody is transmitted ...\nSetRange 0 100\nSetOption 1\nSetPos 0\nShow\n"
                                "HasUserCancelled 0\nSetPos 40\nSetPos 80\nHasUserCancelled 1\nClose\n");
    dlg.FailWith(E_FAIL);
    EXPECT_EQ(dlg.SetPos(90), E_FAIL);
}

} // namespace
} // namespace corvina
