// Tests of the stream that moves the progress window while a file is sent to the phone.
#include "CProgressStreamImpl.h"

#include "CRecordingProgressDlg.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

namespace corvina {
namespace {

namespace fs = std::filesystem;

// A file of the given bytes in a folder of its own, removed with the fixture.
class ProgressStream : public ::testing::Test {
protected:
    fs::path WriteFile(const std::string& bytes) { return m_folder.Write("rtclip.mid", bytes); }

    const test::ScratchFolder m_folder{"pstream"};
    CRecordingProgressDlg m_dlg;
};

// A window whose positions cannot be set, while its cancel query still answers.
class CPositionFailingDlg : public CRecordingProgressDlg {
public:
    HRESULT SetPos(std::int32_t) override { return E_FAIL; }
};

TEST_F(ProgressStream, ReadingTheWholeFileMovesTheWindowFromTheBaseToExactlyHundredMore)
{
    CProgressStreamImpl stream(&m_dlg, 5);
    ASSERT_EQ(stream.CreateFromFile(WriteFile("abc")), S_OK);
    EXPECT_EQ(stream.GetTotal(), 3u);

    std::string text;
    char byte = 0;
    std::uint32_t got = 0;
    while (stream.Read(&byte, 1, &got) == S_OK && got == 1)
        text += byte;
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(got, 0u);
    // 1, 2 and 3 of 3 bytes: the share is cut, never rounded.
    EXPECT_EQ(m_dlg.Positions(), (std::vector<std::int32_t>{5 + 33, 5 + 66, 5 + 100}));
    EXPECT_EQ(stream.GetDone(), 3u);
}

TEST_F(ProgressStream, AnEmptyFileSetsNoPositionAndReadsAsTheEnd)
{
    CProgressStreamImpl stream(&m_dlg, 0);
    ASSERT_EQ(stream.CreateFromFile(WriteFile("")), S_OK);
    std::array<char, 16> buffer{};
    std::uint32_t got = 99;
    EXPECT_EQ(stream.Read(buffer.data(), buffer.size(), &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(m_dlg.Positions().empty());
    EXPECT_EQ(m_dlg.Transcript(), "HasUserCancelled 0\n");
}

TEST_F(ProgressStream, ACancelledWindowEndsTheDataWithoutReadingTheFile)
{
    CProgressStreamImpl stream(&m_dlg, 0);
    ASSERT_EQ(stream.CreateFromFile(WriteFile("0123456789")), S_OK);
    m_dlg.CancelAfterPositions(1);
    std::array<char, 4> buffer{};
    std::uint32_t got = 0;
    ASSERT_EQ(stream.Read(buffer.data(), buffer.size(), &got), S_OK);
    EXPECT_EQ(got, 4u);

    buffer.fill('x');
    EXPECT_EQ(stream.Read(buffer.data(), buffer.size(), &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(std::string(buffer.data(), buffer.size()), "xxxx");
    EXPECT_NE(stream.GetCancelled(), 0);
    std::uint64_t position = 0;
    ASSERT_EQ(stream.Seek(0, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(m_dlg.Positions(), (std::vector<std::int32_t>{40}));
}

TEST_F(ProgressStream, AWindowThatFailsRaisesAComError)
{
    const fs::path path = WriteFile("0123456789");
    char byte = 0;

    CPositionFailingDlg positionFailing;
    CProgressStreamImpl stream(&positionFailing, 0);
    ASSERT_EQ(stream.CreateFromFile(path), S_OK);
    EXPECT_THROW(stream.Read(&byte, 1, nullptr), ComError);

    m_dlg.FailWith(E_ABORT);
    CProgressStreamImpl queryFailing(&m_dlg, 0);
    ASSERT_EQ(queryFailing.CreateFromFile(path), S_OK);
    try {
        queryFailing.Read(&byte, 1, nullptr);
        ADD_FAILURE() << "a failed cancel query was not raised";
    } catch (const ComError& error) {
        EXPECT_EQ(error.Error(), E_ABORT);
    }
}

TEST_F(ProgressStream, OtherOperationsAreTheFileStreamsAndNeedOne)
{
    CProgressStreamImpl stream(&m_dlg, 0);
    std::uint64_t position = 0;
    STATSTG stat;
    std::uint32_t got = 7;
    char byte = 0;
    EXPECT_EQ(stream.Seek(0, STREAM_SEEK_SET, &position), E_POINTER);
    EXPECT_EQ(stream.Read(&byte, 1, &got), E_POINTER);
    EXPECT_EQ(got, 0u);
    EXPECT_NE(stream.CreateFromFile(WriteFile("") / "missing.mid"), S_OK);
    EXPECT_EQ(stream.GetInnerStream(), nullptr);

    const fs::path path = WriteFile("0123456789");
    ASSERT_EQ(stream.CreateFromFile(path), S_OK);
    EXPECT_EQ(stream.Seek(-3, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 7u);
    ASSERT_EQ(stream.Stat(&stat, 0), S_OK);
    EXPECT_EQ(stat.cbSize, 10u);
    EXPECT_EQ(stat.pwcsName, path.string());
    EXPECT_EQ(stream.Write("x", 1, nullptr), E_ACCESSDENIED);

    // A copy shares the file and carries the progress made so far.
    ASSERT_EQ(stream.Read(&byte, 1, nullptr), S_OK);
    CProgressStreamImpl copy(stream);
    EXPECT_EQ(copy.GetInnerStream(), stream.GetInnerStream());
    EXPECT_EQ(copy.GetDone(), 1u);
    EXPECT_EQ(copy.GetTotal(), 10u);
    ASSERT_EQ(copy.Read(&byte, 1, nullptr), S_OK);
    EXPECT_EQ(byte, '8');
    EXPECT_EQ(m_dlg.Positions(), (std::vector<std::int32_t>{10, 20}));

    EXPECT_NE(copy.CreateFromFile(m_folder.Path() / "missing.mid"), S_OK);
    EXPECT_EQ(copy.GetInnerStream(), stream.GetInnerStream());
    EXPECT_EQ(copy.GetTotal(), 10u);
}

} // namespace
} // namespace corvina
