// The main dialog meets a virtual phone: validation, the read-out on its worker, the ringtone file
// lists, and the failures that end a read-out with a message.
#include "CRegistryHelper.h"
#include "CRingingtoneDlg.h"
#include "CServiceFactory.h"
#include "FakeUi.h"
#include "EditorWithPhone.h"
#include "IMBXVolume.h"
#include "ReadOut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::LoadEditorRegistry;

// A file-system volume whose root lists nothing and whose folders cannot be made.
class NoFolderVolume : public IMBXVolume {
public:
    HRESULT MakeFolder(const std::string&) override { return E_ACCESSDENIED; }
    HRESULT RemoveFile(const std::string&) override { return E_FAIL; }
    HRESULT ListFolder(const std::string&, std::int32_t, MBX_LISTING& listing) override
    {
        listing = MBX_LISTING();
        return S_FALSE;
    }
    HRESULT PutFile(const std::string&, IStream*, std::int32_t) override { return E_FAIL; }
    HRESULT ChangeAttributes(const std::string&, std::uint32_t) override { return E_FAIL; }
    HRESULT SetPort(const std::string&) override { return S_OK; }
};

class ReadOutTest : public test::VirtualPhoneTest {
protected:
    void TearDown() override
    {
        CloseDialog();
        Registry::Instance().LoadText("");
    }

    std::unique_ptr<test::VirtualPhone> StartPhone(const std::string& model, std::vector<std::string> extra = {})
    {
        auto phone = std::make_unique<test::VirtualPhone>(m_folder.Path() / model, model, std::move(extra));
        EXPECT_TRUE(phone->Ready());
        LoadEditorRegistry(phone->RegistryText());
        return phone;
    }
    // Shows the main dialog and posts it the record of a phone of the model, as the host does.
    void ShowDialogFor(const std::string& model)
    {
        m_frame = test::NewTestFrame();
        m_dlg = new CRingingtoneDlg(m_frame);
        ASSERT_TRUE(m_dlg->Init(m_frame));
        m_dlg->Show();
        test::DispatchPending();
        test::PostPhone(m_dlg, model, "350000000000017");
    }
    void CloseDialog()
    {
        if (m_frame)
            m_frame->Destroy();
        m_frame = nullptr;
        test::DispatchPending();
    }
    bool WaitForReadOut(int timeoutMs = 15000)
    {
        return test::DispatchUntil([&] { return !m_dlg->IsReadOutRunning(); }, timeoutMs);
    }
    std::vector<std::string> Messages() const { return m_ui.Texts(); }

    test::ScratchFolder m_folder;
    test::FakeUi m_ui;
    wxFrame* m_frame = nullptr;
    CRingingtoneDlg* m_dlg = nullptr;
};

TEST_F(ReadOutTest, ANewFolderPhoneIsValidatedAndReadOutInListingOrderWithItsActiveFile)
{
    auto phone = StartPhone("CX70", {"--seed-ringtones"});
    std::vector<std::string> onPhone;
    for (const auto& entry : fs::directory_iterator(phone->Files() / "Ringtones"))
        onPhone.push_back(entry.path().filename().string());
    ASSERT_GE(onPhone.size(), 2u);
    ASSERT_EQ(SetActiveFileToPhone(9, "Ringtones", onPhone[1]), S_OK);

    ShowDialogFor("CX70");
    ASSERT_TRUE(test::DispatchUntil([&] { return m_dlg->WasRead() != 0; }, 15000))
        << ::testing::PrintToString(Messages());
    EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());
    EXPECT_EQ(m_dlg->IsConnected(), 1);
    EXPECT_TRUE(m_dlg->GetRtByFilename());

    std::vector<std::string> listed = *m_dlg->GetRtFileList();
    std::vector<std::string> sorted = listed, expected = onPhone;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(m_dlg->GetRtFileInfoList()->size(), listed.size());
    EXPECT_EQ(m_dlg->GetRtSelFileName(), onPhone[1]);
    EXPECT_EQ(m_dlg->GetCurRtFileName(), onPhone[1]);
    EXPECT_EQ(m_dlg->GetNumberRt(), static_cast<long>(listed.size()));
}

TEST_F(ReadOutTest, AReadOutRequestedDuringAReadOutStartsNoSecondWorker)
{
    const fs::path log = m_folder.Path() / "phone.log";
    auto phone = StartPhone("ME45", {"--delay-ms", "150", "--log", log.string()});
    ShowDialogFor("ME45");
    ASSERT_TRUE(test::DispatchUntil([&] { return m_dlg->IsReadOutRunning(); }));
    m_dlg->ReadInfosFromPhone();
    m_dlg->ReadInfosFromPhone();
    ASSERT_TRUE(WaitForReadOut());
    EXPECT_EQ(m_dlg->WasRead(), 1);
    // Each read-out asks for the volume scale once: one worker ran.
    std::ifstream in(log);
    int scaleQuestions = 0;
    for (std::string line; std::getline(in, line);)
        if (line.find("RX") != std::string::npos && line.find("AT+CRSL=?") != std::string::npos)
            ++scaleQuestions;
    EXPECT_EQ(scaleQuestions, 1);
    // Index mode reads the AT part alone.
    EXPECT_FALSE(m_dlg->GetRtByFilename());
    EXPECT_TRUE(m_dlg->GetRtFileList()->empty());
    EXPECT_EQ(m_dlg->GetNumberRt(), 45);
}

TEST_F(ReadOutTest, AMissingStandardFolderIsCreatedAndGivesAnEmptyListWithoutAMessage)
{
    auto phone = StartPhone("CX70");
    fs::remove_all(phone->Files() / "Ringtones");
    ShowDialogFor("CX70");
    ASSERT_TRUE(WaitForReadOut());
    test::DispatchUntil([&] { return m_dlg->WasRead() != 0; }, 2000);
    EXPECT_EQ(m_dlg->WasRead(), 1) << ::testing::PrintToString(Messages());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(fs::is_directory(phone->Files() / "Ringtones"));
    EXPECT_TRUE(m_dlg->GetRtFileList()->empty());
}

TEST_F(ReadOutTest, AFolderThatCannotBeCreatedGives543AndOneThatCannotBeListedGives542)
{
    auto phone = StartPhone("CX70");
    CServiceFactory::Instance().RegisterImplementation("NoFolderVolume",
                                                       [] { return std::make_shared<NoFolderVolume>(); });
    LoadEditorRegistry(phone->RegistryText(),
                       "[HKEY_CLASSES_ROOT\\CLSID\\{D73D7EA8-AD8A-11D3-A271-00105A3B325A}\\Corvina]\n"
                       "\"Implementation\"=\"NoFolderVolume\"\n");
    ShowDialogFor("CX70");
    ASSERT_TRUE(WaitForReadOut());
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_ui.m_boxes.empty(); }));
    EXPECT_EQ(Messages().back(), "Creating standard ringtone folder on the phone unsuccessful.");
    EXPECT_EQ(m_dlg->WasRead(), 0);
    CloseDialog();
    CServiceFactory::Instance().UnregisterImplementation("NoFolderVolume");

    // The standard folder's name is taken by a file: listing it fails.
    m_ui.m_boxes.clear();
    LoadEditorRegistry(phone->RegistryText());
    fs::remove_all(phone->Files() / "Ringtones");
    std::ofstream(phone->Files() / "Ringtones") << "not a folder";
    ShowDialogFor("CX70");
    ASSERT_TRUE(WaitForReadOut());
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_ui.m_boxes.empty(); }));
    EXPECT_EQ(Messages().back(), "Reading from standard ringtone folder unsuccessful.");
}

TEST_F(ReadOutTest, APhoneThatStopsAnsweringGives549WithinTheLinksTimeout)
{
    auto phone = StartPhone("CX70", {"--silent-cmd", "AT+CRSL"});
    LoadEditorRegistry(phone->RegistryText(800));
    ShowDialogFor("CX70");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(test::DispatchUntil([&] { return !m_ui.m_boxes.empty(); }, 10000));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(Messages().back(), "Reading of ringtone information unsuccessful.");
    EXPECT_LT(elapsed, std::chrono::seconds(6));
    EXPECT_EQ(m_dlg->WasRead(), 0);
}

TEST_F(ReadOutTest, PlatformPhonesKeepTheListingOrderOfNamesWhileRecordsSortByToneNumber)
{
    auto phone = StartPhone("BIRCH-M55", {"--seed-ringtones"});
    ShowDialogFor("BIRCH-M55");
    ASSERT_TRUE(test::DispatchUntil([&] { return m_dlg->WasRead() != 0; }, 15000))
        << ::testing::PrintToString(Messages());
    const auto& names = *m_dlg->GetRtFileList();
    const auto& records = *m_dlg->GetRtFileInfoList();
    ASSERT_FALSE(names.empty());
    ASSERT_EQ(names.size(), records.size());
    // The iMelody folder is listed first.
    EXPECT_EQ(fs::path(names.front()).extension(), ".imy");
    for (std::size_t i = 1; i < records.size(); ++i)
        EXPECT_LE(records[i - 1]->nToneNumber, records[i]->nToneNumber);
    for (const STRUCT_RTFILEINFO* record : records)
        ASSERT_LT(static_cast<std::size_t>(record->nIndex), names.size());
}

TEST_F(ReadOutTest, ANewPhoneDuringAReadOutLeavesNoStaleNamesInTheLists)
{
    auto slow = StartPhone("CX70", {"--seed-ringtones", "--delay-ms", "150"});
    ShowDialogFor("CX70");
    ASSERT_TRUE(test::DispatchUntil([&] { return m_dlg->IsReadOutRunning(); }));
    // An index phone replaces it before the first read-out is done.
    test::PostPhone(m_dlg, "ME45", "350000000000099");
    ASSERT_TRUE(WaitForReadOut(20000));
    test::DispatchUntil([&] { return m_dlg->WasRead() != 0; }, 10000);
    // Give the cancelled worker time to finish and post; its result must be dropped.
    test::DispatchUntil([] { return false; }, 2500);
    EXPECT_EQ(m_dlg->GetPhoneType(), "ME45");
    EXPECT_TRUE(m_dlg->GetRtFileList()->empty());
    EXPECT_TRUE(m_dlg->GetRtFileInfoList()->empty());
    EXPECT_FALSE(m_dlg->GetRtByFilename());
}

TEST_F(ReadOutTest, APortThatCannotBeOpenedIsToldByTheDialogWhileTheReadOutEnds)
{
    // A platform phone reads no AT part, so the first thing the worker touches is the port. The
    // fake user interface fails this test if the worker shows the message itself.
    auto phone = StartPhone("BIRCH-M55");
    LoadEditorRegistry("\"Port\"=\"" + (m_folder.Path() / "no-such-port").string() + "\"\n\"VolumeRoot\"=\"" +
                       phone->Files().string() + "\"\n");
    ShowDialogFor("BIRCH-M55");
    ASSERT_TRUE(WaitForReadOut());
    ASSERT_TRUE(test::DispatchUntil([&] { return m_ui.m_boxes.size() >= 2; }));
    EXPECT_EQ(Messages()[0], "Port cannot be read. Please reinstall Pellucid!\n");
    EXPECT_EQ(Messages()[1], "Reading from standard ringtone folder unsuccessful.");
    EXPECT_EQ(m_dlg->WasRead(), 0);
    // The list is back in place of the loading note.
    wxWindow* note = m_dlg->GetTonesMobileDlg()->GetDlgItem(CTonesMobileDlg::IDC_LOAD_COMMENT);
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->IsShown());
}

TEST_F(ReadOutTest, APhoneUnpluggedDuringAReadOutEndsTheLoadingNoteAndTellsTheFailedReadOut)
{
    auto phone = StartPhone("CX70", {"--seed-ringtones", "--delay-ms", "200"});
    LoadEditorRegistry(phone->RegistryText(1000));
    ShowDialogFor("CX70");
    ASSERT_TRUE(test::DispatchUntil([&] { return m_dlg->IsReadOutRunning(); }));
    wxWindow* note = m_dlg->GetTonesMobileDlg()->GetDlgItem(CTonesMobileDlg::IDC_LOAD_COMMENT);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsShown());
    // The cable is pulled: the phone is gone and the host says so with an empty record.
    phone->Stop();
    test::PostPhone(m_dlg, "CX70", "");
    const std::string readOutFailed = "Reading of ringtone information unsuccessful.";
    const std::string connect = "Please connect the phone whose ringtone you want to change.";
    ASSERT_TRUE(test::DispatchUntil([&] { return m_ui.Told(connect) && m_ui.Told(readOutFailed); }, 15000))
        << ::testing::PrintToString(Messages());
    EXPECT_FALSE(note->IsShown());
    EXPECT_FALSE(m_dlg->IsReadOutRunning());
    EXPECT_EQ(m_dlg->WasRead(), 0);
    EXPECT_EQ(m_dlg->IsConnected(), 0);
    EXPECT_TRUE(m_dlg->GetRtFileList()->empty());
    // Each is told once, and no port message for a phone that was there.
    const auto texts = Messages();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), readOutFailed), 1);
    EXPECT_FALSE(m_ui.Told("Port cannot be read. Please reinstall Pellucid!\n"));
}

} // namespace
} // namespace corvina
