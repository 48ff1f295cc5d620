// Tests of the melody file dialog's preview copy: MIDI files copied, iMelody files converted, and the
// messages for a copy that fails or an iMelody text that cannot be read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

#include "PreviewFile.h"
#include "TempFolder.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

const fs::path kImelody = fs::path(CORVINA_CORPUS_DIR) / "android-cts-imelody" / "testimy.imy";
const fs::path kScale = fs::path(CORVINA_CORPUS_DIR) / "jazz-soft-test-midi-files" / "test-c-major-scale.mid";

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PreviewFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("corvina-preview-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return m_dir / name;
    }
    fs::path Preview() const { return m_dir / kPreviewFileName; }

    fs::path m_dir;
};

TEST(PreviewPath, LiesInTheTemporaryFolder)
{
    EXPECT_EQ(DefaultPreviewPath(), ProcessTempFolder() / "rtplayinfileopen.mid");
}

TEST_F(PreviewFile, CopiesAMidiFileAsItIsAndReplacesAWriteProtectedCopy)
{
    Write(kPreviewFileName, "old preview");
    fs::permissions(Preview(), fs::perms::owner_read | fs::perms::group_read);

    EXPECT_EQ(MakePreviewFile(kScale, Preview()), 0u);
    EXPECT_EQ(Contents(Preview()), Contents(kScale));
    EXPECT_NE(fs::status(Preview()).permissions() & fs::perms::owner_write, fs::perms::none);

    // Choosing the preview copy itself keeps it.
    EXPECT_EQ(MakePreviewFile(Preview(), Preview()), 0u);
    EXPECT_EQ(Contents(Preview()), Contents(kScale));
}

TEST_F(PreviewFile, ConvertsIMelodyFilesWhateverTheCaseOfTheExtension)
{
    fs::copy_file(kImelody, m_dir / "TUNE.IMY");
    EXPECT_EQ(MakePreviewFile(m_dir / "TUNE.IMY", Preview()), 0u);
    const std::string upper = Contents(Preview());
    EXPECT_EQ(upper.substr(0, 4), "MThd");

    fs::remove(Preview());
    EXPECT_EQ(MakePreviewFile(kImelody, Preview()), 0u);
    EXPECT_EQ(Contents(Preview()), upper);
}

TEST_F(PreviewFile, AnUnreadableIMelodyGivesTheFormatMessageAndKeepsThePreviousPreview)
{
    Write(kPreviewFileName, "previous preview");
    EXPECT_EQ(MakePreviewFile(Write("bad.imy", "BEGIN:IMELODY\nMELODY:x9\nEND:IMELODY\n"), Preview()), IDS_FORMAT_NOT_SUPPORTED);
    EXPECT_EQ(MakePreviewFile(m_dir / "missing.imy", Preview()), IDS_FORMAT_NOT_SUPPORTED);
    EXPECT_EQ(Contents(Preview()), "previous preview");
}

TEST_F(PreviewFile, AFileThatCannotBeCopiedGivesTheTemporaryFilesMessage)
{
    Write(kPreviewFileName, "previous preview");
    EXPECT_EQ(MakePreviewFile(m_dir / "missing.mid", Preview()), IDS_CANNOT_WRITE_TEMP);
    EXPECT_EQ(MakePreviewFile(m_dir, Preview()), IDS_CANNOT_WRITE_TEMP);
    EXPECT_EQ(Contents(Preview()), "previous preview");
    EXPECT_EQ(MakePreviewFile(kScale, m_dir / "no-such-folder" / kPreviewFileName), IDS_CANNOT_WRITE_TEMP);
}

} // namespace
} // namespace corvina
