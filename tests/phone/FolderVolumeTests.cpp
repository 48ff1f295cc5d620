// The folder-backed phone volume: listing, folders, atomic writes, attributes, deletion and the
// boundary of its root.
#include "CFileStream.h"
#include "CFolderVolume.h"
#include "CStreamFilter.h"
#include "PhoneErrors.h"
#include "PhoneTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace corvina {
namespace {

namespace fs = std::filesystem;

// A file stream whose reads are scripted: each hands out at most 1000 bytes, and after a number of
// bytes the stream fails, or stops early as a cancelled progress stream does; every read is counted.
class ScriptedStream : public CStreamFilter {
public:
    ScriptedStream(const fs::path& file, std::string data, std::size_t stopAfter, HRESULT failure)
        : CStreamFilter(Open(file, data)), m_data(std::move(data)), m_stopAfter(stopAfter), m_failure(failure)
    {
    }
    int reads = 0;

    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override
    {
        ++reads;
        *pcbRead = 0;
        if (m_pos >= m_stopAfter && m_pos < m_data.size())
            return m_failure == S_OK ? S_FALSE : m_failure;
        const std::size_t limit = std::min(m_data.size(), m_stopAfter);
        const std::size_t n = std::min<std::size_t>({cb, limit - m_pos, 1000});
        std::memcpy(pv, m_data.data() + m_pos, n);
        m_pos += n;
        *pcbRead = static_cast<std::uint32_t>(n);
        return n == cb ? S_OK : S_FALSE;
    }

private:
    static std::shared_ptr<IStream> Open(const fs::path& file, const std::string& data)
    {
        test::WriteFile(file, data);
        std::shared_ptr<IStream> stream;
        CFileStream::CreateFromFile(file, stream);
        return stream;
    }

    std::string m_data;
    std::size_t m_pos = 0;
    std::size_t m_stopAfter;
    HRESULT m_failure;
};

class FolderVolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = dir.Path() / "fs";
        fs::create_directories(root / "Ringtones");
        fs::create_directories(root / "iMelodies");
        test::WriteFile(root / "Ringtones" / "tune.mid", std::string(1234, 'm'));
        test::WriteFile(root / "Ringtones" / "locked.mid", "x");
        fs::permissions(root / "Ringtones" / "locked.mid", fs::perms::owner_write | fs::perms::group_write,
                        fs::perm_options::remove);
        test::WriteFile(root / ".tonenumbers", "Ringtones/tune.mid\t12\nbroken line\nRingtones/locked.mid\t7\n");
        test::WriteFile(dir.Path() / "secret.txt", "outside");
        ASSERT_EQ(volume.Run(), S_OK);
    }

    test::ScratchFolder dir;
    fs::path root;
    CFolderVolume volume{dir.Path() / "fs"};
};

TEST_F(FolderVolumeTest, ListsRootNamesAndFolderRowsWithAttributesDatesAndToneNumbers)
{
    MBX_LISTING listing;
    EXPECT_EQ(volume.ListFolder("\\*", -1, listing), S_OK);
    EXPECT_TRUE(listing.isRoot);
    EXPECT_EQ(listing.names, (std::vector<std::string>{"Ringtones", "iMelodies"})); // no dot files

    ASSERT_EQ(volume.ListFolder("\\Ringtones\\*", 0, listing), S_OK);
    ASSERT_EQ(listing.rows.size(), 2u);
    EXPECT_EQ(test::Row(listing.rows[0]), std::tuple("locked.mid", 1, FILE_ATTRIBUTE_READONLY, 7));
    EXPECT_EQ(test::Row(listing.rows[1]), std::tuple("tune.mid", 1234, FILE_ATTRIBUTE_ARCHIVE, 12));
    // The date is today's, as an automation date (days since 30 December 1899).
    const double now = 25569.0 + static_cast<double>(std::time(nullptr)) / 86400.0;
    EXPECT_NEAR(listing.rows[1].lastChange, now, 1.0);

    // Folder names ignore case, as on the phone; an empty folder lists nothing.
    EXPECT_EQ(volume.ListFolder("\\ringtones\\*.MID", 0, listing), S_OK);
    EXPECT_EQ(listing.rows.size(), 2u);
    EXPECT_EQ(volume.ListFolder("\\iMelodies\\*", 0, listing), S_FALSE);
    EXPECT_TRUE(listing.rows.empty());
    EXPECT_EQ(volume.ListFolder("\\Missing\\*", 0, listing), HR_PATH_NOT_FOUND);

    fs::create_directory(root / "Ringtones" / "Sub");
    ASSERT_EQ(volume.ListFolder("\\Ringtones\\*", 0, listing), S_OK);
    EXPECT_EQ(listing.rows[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FolderVolumeTest, MakesFoldersChangesAttributesAndRemovesFiles)
{
    EXPECT_EQ(volume.MakeFolder("\\Sounds"), S_OK);
    EXPECT_TRUE(fs::is_directory(root / "Sounds"));
    EXPECT_EQ(volume.MakeFolder("\\Sounds"), S_FALSE);
    EXPECT_EQ(volume.MakeFolder("\\Ringtones\\tune.mid"), HR_ALREADY_EXISTS);
    EXPECT_EQ(volume.MakeFolder("\\No\\Such"), HR_PATH_NOT_FOUND);

    // A write-protected file is unprotected before it can go, as the transfer does.
    EXPECT_EQ(volume.RemoveFile("\\Ringtones\\locked.mid"), E_ACCESSDENIED);
    EXPECT_EQ(volume.ChangeAttributes("\\Ringtones\\locked.mid", FILE_ATTRIBUTE_ARCHIVE), S_OK);
    EXPECT_EQ(volume.RemoveFile("\\Ringtones\\locked.mid"), S_OK);
    EXPECT_FALSE(fs::exists(root / "Ringtones" / "locked.mid"));
    EXPECT_EQ(volume.RemoveFile("\\Ringtones\\locked.mid"), HR_PATH_NOT_FOUND);
    EXPECT_EQ(volume.RemoveFile("\\Ringtones"), E_ACCESSDENIED);

    EXPECT_EQ(volume.ChangeAttributes("\\Ringtones\\tune.mid", FILE_ATTRIBUTE_READONLY), S_OK);
    MBX_LISTING listing;
    volume.ListFolder("\\Ringtones\\*", 0, listing);
    EXPECT_EQ(listing.rows.at(0).attributes, FILE_ATTRIBUTE_READONLY);
}

TEST_F(FolderVolumeTest, WritesAWholeStreamAndReplacesFilesInOneStep)
{
    // No phone behind this folder numbers the files, so it keeps no numbers file.
    fs::remove(root / ".tonenumbers");
    const std::string melody(5000, 'a');
    ScriptedStream stream(dir.Path() / "stream.mid", melody, melody.size(), S_OK);
    EXPECT_EQ(volume.PutFile("\\Ringtones\\tune.mid", &stream, 0), S_OK);
    EXPECT_EQ(test::ReadFile(root / "Ringtones" / "tune.mid"), melody);
    EXPECT_GE(stream.reads, 5); // every byte came through the stream's own reads

    // From a file on the PC.
    test::WriteFile(dir.Path() / "clip.mid", "MThd-clip");
    std::shared_ptr<IStream> file;
    ASSERT_EQ(CFileStream::CreateFromFile(dir.Path() / "clip.mid", file), S_OK);
    STATSTG stat;
    ASSERT_EQ(file->Stat(&stat, 0), S_OK);
    EXPECT_EQ(stat.cbSize, 9u);
    EXPECT_EQ(volume.PutFile("\\Ringtones\\clip.mid", file.get(), 0), S_OK);
    EXPECT_EQ(test::ReadFile(root / "Ringtones" / "clip.mid"), "MThd-clip");
    EXPECT_EQ(CFileStream::CreateFromFile(dir.Path() / "none.mid", file), HR_PATH_NOT_FOUND);

    // Protected files and missing folders are not written.
    ScriptedStream again(dir.Path() / "again.mid", "x", 1, S_OK);
    EXPECT_EQ(volume.PutFile("\\Ringtones\\locked.mid", &again, 0), E_ACCESSDENIED);
    EXPECT_EQ(volume.PutFile("\\Nowhere\\x.mid", &again, 0), HR_PATH_NOT_FOUND);
}

TEST_F(FolderVolumeTest, AFailedOrCancelledTransferLeavesNoPartialFileAndKeepsTheOldOne)
{
    const std::string before = test::ReadFile(root / "Ringtones" / "tune.mid");
    ScriptedStream failing(dir.Path() / "failing.mid", std::string(5000, 'b'), 2500, E_FAIL);
    EXPECT_EQ(volume.PutFile("\\Ringtones\\tune.mid", &failing, 0), E_FAIL);
    ScriptedStream cancelled(dir.Path() / "cancelled.mid", std::string(5000, 'c'), 2000, S_OK); // reports the end early
    EXPECT_EQ(volume.PutFile("\\Ringtones\\tune.mid", &cancelled, 0), E_ABORT);
    ScriptedStream newFile(dir.Path() / "newFile.mid", std::string(5000, 'd'), 100, E_FAIL);
    EXPECT_EQ(volume.PutFile("\\Ringtones\\new.mid", &newFile, 0), E_FAIL);

    EXPECT_EQ(test::ReadFile(root / "Ringtones" / "tune.mid"), before);
    EXPECT_FALSE(fs::exists(root / "Ringtones" / "new.mid"));
    EXPECT_EQ(test::AllNames(root / "Ringtones"), (std::vector<std::string>{"locked.mid", "tune.mid"}));
}

TEST_F(FolderVolumeTest, RefusesEveryPathThatLeavesTheRoot)
{
    fs::create_directory_symlink(dir.Path(), root / "Escape");
    fs::create_symlink(dir.Path() / "secret.txt", root / "Ringtones" / "link.mid");
    ScriptedStream stream(dir.Path() / "stream.mid", "evil", 4, S_OK);
    MBX_LISTING listing;
    for (const std::string path : {"\\..\\secret.txt", "\\Ringtones\\..\\..\\secret.txt", "/etc/passwd", "secret.txt",
                                   "\\Escape\\secret.txt", "\\Ringtones\\link.mid"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(volume.RemoveFile(path), E_ACCESSDENIED);
        EXPECT_EQ(volume.PutFile(path, &stream, 0), E_ACCESSDENIED);
        EXPECT_EQ(volume.ChangeAttributes(path, FILE_ATTRIBUTE_READONLY), E_ACCESSDENIED);
    }
    EXPECT_EQ(volume.ListFolder("\\Escape\\*", 0, listing), E_ACCESSDENIED);
    EXPECT_EQ(volume.MakeFolder("\\..\\made"), E_ACCESSDENIED);
    EXPECT_EQ(test::ReadFile(dir.Path() / "secret.txt"), "outside");
    EXPECT_FALSE(fs::exists(dir.Path() / "made"));

    CFolderVolume unconfigured;
    test::LoadRegistry("");
    EXPECT_EQ(unconfigured.Run(), HR_DEVICE_NOT_CONNECTED);
}

} // namespace
} // namespace corvina
