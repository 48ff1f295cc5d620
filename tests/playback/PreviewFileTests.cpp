// Tests of the melody file dialog's preview copy: MIDI files copied, iMelody files converted, and the
// messages for a copy that fails or an iMelody text that cannot be read.
#include <gtest/gtest.h>

#include "Corpus.h"
#include "PreviewFile.h"
#include "ScratchFolder.h"
#include "TempFolder.h"

namespace corvina {
namespace {

namespace fs = std::filesystem;

using test::kImelody;
using test::kScale;

class PreviewFile : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, const std::string& text) { return m_folder.Write(name, text); }
    fs::path Preview() const { return m_dir / kPreviewFileName; }

    const test::ScratchFolder m_folder{"preview"};
    const fs::path m_dir = m_folder.Path();
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
    EXPECT_EQ(test::ReadFile(Preview()), test::ReadFile(kScale));
    EXPECT_NE(fs::status(Preview()).permissions() & fs::perms::owner_write, fs::perms::none);

    // Choosing the preview copy itself keeps it.
    EXPECT_EQ(MakePreviewFile(Preview(), Preview()), 0u);
    EXPECT_EQ(test::ReadFile(Preview()), test::ReadFile(kScale));
}

TEST_F(PreviewFile, ConvertsIMelodyFilesWhateverTheCaseOfTheExtension)
{
    fs::copy_file(kImelody, m_dir / "TUNE.IMY");
    EXPECT_EQ(MakePreviewFile(m_dir / "TUNE.IMY", Preview()), 0u);
    const std::string upper = test::ReadFile(Preview());
    EXPECT_EQ(upper.substr(0, 4), "MThd");

    fs::remove(Preview());
    EXPECT_EQ(MakePreviewFile(kImelody, Preview()), 0u);
    EXPECT_EQ(test::ReadFile(Preview()), upper);
}

TEST_F(PreviewFile, AnUnreadableIMelodyGivesTheFormatMessageAndKeepsThePreviousPreview)
{
    Write(kPreviewFileName, "previous preview");
    EXPECT_EQ(MakePreviewFile(Write("bad.imy", "BEGIN:IMELODY\nMELODY:x9\nEND:IMELODY\n"), Preview()),
              IDS_FORMAT_NOT_SUPPORTED);
    EXPECT_EQ(MakePreviewFile(m_dir / "missing.imy", Preview()), IDS_FORMAT_NOT_SUPPORTED);
    EXPECT_EQ(test::ReadFile(Preview()), "previous preview");
}

TEST_F(PreviewFile, AFileThatCannotBeCopiedGivesTheTemporaryFilesMessage)
{
    Write(kPreviewFileName, "previous preview");
    EXPECT_EQ(MakePreviewFile(m_dir / "missing.mid", Preview()), IDS_CANNOT_WRITE_TEMP);
    EXPECT_EQ(MakePreviewFile(m_dir, Preview()), IDS_CANNOT_WRITE_TEMP);
    EXPECT_EQ(test::ReadFile(Preview()), "previous preview");
    EXPECT_EQ(MakePreviewFile(kScale, m_dir / "no-such-folder" / kPreviewFileName), IDS_CANNOT_WRITE_TEMP);
}

} // namespace
} // namespace corvina
