// Tests of the buffer primitives: which reads move the cursor, and how the writes respect capacity.
#include <gtest/gtest.h>

#include <cstring>

#include "CMidiBuffer.h"

namespace corvina {
namespace {

void Fill(CMidiBuffer& buf, const std::string& bytes)
{
    ASSERT_TRUE(buf.CreateReadImage(static_cast<std::int32_t>(bytes.size())));
    std::memcpy(buf.GetReadImage(), bytes.data(), bytes.size());
}

TEST(CMidiBufferTest, ReadsMoveTheCursorOnlyWhenTheyFindEnoughData)
{
    CMidiBuffer buf;
    Fill(buf, std::string("\x12\x34\x56", 3));
    EXPECT_EQ(buf.ReadByte(false), 0x12);
    EXPECT_EQ(buf.GetReadPos(), 0);
    EXPECT_EQ(buf.ReadNumber(4), 0u); // only three bytes: nothing read, no move
    EXPECT_EQ(buf.GetReadPos(), 0);
    EXPECT_EQ(buf.ReadString(4), "");
    EXPECT_EQ(buf.GetReadPos(), 0);
    EXPECT_EQ(buf.ReadNumber(2), 0x1234u);
    EXPECT_EQ(buf.ReadByte(true), 0x56);
    EXPECT_FALSE(buf.MoreData());
    EXPECT_EQ(buf.ReadByte(true), 0); // at the end: 0 and no move
    EXPECT_EQ(buf.GetReadPos(), 3);

    buf.SetReadPos(0);
    EXPECT_EQ(buf.ReadNumber(5), 0u); // a size outside 1 to 4 gives 0 but still moves
    EXPECT_EQ(buf.GetReadPos(), 5);
    EXPECT_EQ(buf.ReadByte(true), 0); // past the end nothing is read
    buf.SetReadPos(-3);
    EXPECT_EQ(buf.ReadByte(true), 0);
    EXPECT_EQ(buf.ReadNumber(1), 0u);
    EXPECT_EQ(buf.GetReadPos(), -3);
}

TEST(CMidiBufferTest, VariableLengthQuantitiesHaveNoLengthLimitAndFailWithoutMoving)
{
    CMidiBuffer buf;
    Fill(buf, std::string("\x81\x80\x80\x80\x81\x00\x7F\x81", 8));
    std::uint32_t value = 1;
    ASSERT_TRUE(buf.ReadVarLength(value)); // six bytes: the top bits fall off the 32-bit value
    EXPECT_EQ(value, 128u);
    EXPECT_EQ(buf.GetReadPos(), 6);
    ASSERT_TRUE(buf.ReadVarLength(value));
    EXPECT_EQ(value, 0x7Fu);
    EXPECT_FALSE(buf.ReadVarLength(value)); // 0x81 then the end of the data
    EXPECT_EQ(buf.GetReadPos(), 7);
    buf.SetReadPos(8);
    EXPECT_FALSE(buf.ReadVarLength(value)); // nothing left at all
    EXPECT_EQ(buf.GetParseLog(), "ReadVarLength failed\n7: ReadVarLength failed\n8: ");
}

TEST(CMidiBufferTest, WritesStopAtTheCapacityAndCopiesAreAllOrNothing)
{
    CMidiBuffer buf;
    Fill(buf, "ABCDEFGH");
    buf.SetWriteCapacity(8);
    ASSERT_TRUE(buf.AllocateWriteImage());
    EXPECT_TRUE(buf.WriteNumber(0x01020304u, 0));
    EXPECT_TRUE(buf.WriteNumber(0xAABBCCu, 2));
    EXPECT_TRUE(buf.CopyRange(3, 0));
    EXPECT_FALSE(buf.CopyRange(6, 3)); // ends beyond the read image
    EXPECT_FALSE(buf.CopyRange(0, 7)); // would pass the capacity
    EXPECT_EQ(buf.GetWritePos(), 2);
    EXPECT_TRUE(buf.CopyRange(0, 3));
    EXPECT_TRUE(buf.WriteVarLength(0x3FFF));
    EXPECT_TRUE(buf.WriteByte(0x7E));
    EXPECT_FALSE(buf.WriteByte(0x7F));
    EXPECT_EQ(buf.GetWrittenBytes(), std::string("\xBB\xCC") + "ABC\xFF\x7F\x7E");

    buf.SetWritePos(0);
    EXPECT_TRUE(buf.WriteVarLength(0x0FFFFFFF));
    EXPECT_FALSE(buf.WriteVarLength(0x10000000)); // more than four bytes is not a valid delta
    EXPECT_EQ(buf.GetWrittenBytes(), std::string("\xFF\xFF\xFF\x7F", 4));
}

TEST(CMidiBufferTest, ParseLogUsesTheFieldAndErrorLineFormats)
{
    CMidiBuffer buf;
    Fill(buf, std::string(40, '\0'));
    buf.SetReadPos(26);
    buf.LogField("Length", 12);
    buf.LogError("Wrong track size!");
    EXPECT_EQ(buf.GetParseLog(), "Length 12 (26, 1a)\nWrong track size!\n26: ");
    buf.Clear();
    EXPECT_EQ(buf.GetParseLog(), "");
    EXPECT_EQ(buf.GetReadSize(), 0);
}

TEST(CMidiBufferTest, AnOutputGrowsAsItIsWrittenKeepsWhatItHoldsAndStopsAtItsCapacity)
{
    // The image is allocated a piece at a time; a long output crosses several pieces, and a jump of the
    // write position (the room left for a chunk length) past what is allocated is filled in later.
    CMidiBuffer buf;
    std::string source(1000, '\0');
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<char>(i * 7);
    Fill(buf, source);
    const std::int64_t capacity = 300 * 1000 + 4;
    buf.SetWriteCapacity(capacity);
    ASSERT_TRUE(buf.AllocateWriteImage());
    ASSERT_TRUE(buf.WriteString("MTrk"));
    buf.SetWritePos(200 * 1000);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(buf.CopyRange(0, 1000)) << i;
    const std::int64_t end = buf.GetWritePos();
    buf.SetWritePos(4);
    ASSERT_TRUE(buf.WriteNumber(0x01020304u, 4));
    buf.SetWritePos(end);
    EXPECT_TRUE(buf.WriteNumber(0xAABBCCDDu, 4));
    EXPECT_FALSE(buf.WriteByte(0)); // the capacity is reached
    EXPECT_FALSE(buf.CopyRange(0, 1));

    const std::string_view written = buf.GetWrittenBytes();
    ASSERT_EQ(written.size(), static_cast<std::size_t>(capacity));
    EXPECT_EQ(written.substr(0, 8), std::string_view("MTrk\x01\x02\x03\x04", 8));
    EXPECT_EQ(written.substr(200 * 1000, 1000), source);
    EXPECT_EQ(written.substr(299 * 1000, 1000), source);
    EXPECT_EQ(written.substr(300 * 1000), std::string_view("\xAA\xBB\xCC\xDD", 4));
}

} // namespace
} // namespace corvina
