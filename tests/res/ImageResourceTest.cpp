// Checks that every icon, bitmap and cursor the dialogs use is compiled in as a PNG of its size.
#include "ImageResource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>

namespace corvina {
namespace {

std::uint32_t BigEndian32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

TEST(ImageResources, EveryImageIsAPngOfItsListedSize)
{
    // Id, width and height of each image.
    const std::tuple<int, int, int> expected[] = {
        {4065, 7, 12},   {4066, 1, 12},  {4504, 16, 16}, {4505, 16, 16}, {4506, 16, 16}, {4509, 16, 16},
        {4513, 12, 12},  {4514, 12, 12}, {4517, 16, 16}, {4520, 16, 16}, {4521, 16, 16}, {4529, 12, 12},
        {4530, 12, 12},  {4536, 12, 22}, {4537, 16, 16}, {4539, 12, 22}, {4563, 16, 16}, {4565, 16, 16},
        {4567, 16, 16},  {4570, 16, 16}, {4571, 16, 16}, {4579, 12, 22}, {4583, 12, 22}, {4587, 16, 16},
        {4067, 514, 18}, {4532, 70, 27}, {106, 32, 32},  {107, 32, 32},  {108, 32, 32},
    };
    constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto& [id, width, height] : expected) {
        const ImageResource* image = FindImageResource(id);
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->id, id);
        EXPECT_EQ(std::pair(image->width, image->height), std::pair(width, height)) << id;
        ASSERT_GT(image->size, 33u) << id;
        EXPECT_EQ(std::memcmp(image->png, kSignature, sizeof kSignature), 0) << id;
        // The picture itself must have the size the dialogs lay it out with.
        EXPECT_EQ(std::memcmp(image->png + 12, "IHDR", 4), 0) << id;
        EXPECT_EQ(BigEndian32(image->png + 16), std::uint32_t(width)) << id;
        EXPECT_EQ(BigEndian32(image->png + 20), std::uint32_t(height)) << id;
    }
    EXPECT_EQ(FindImageResource(0), nullptr);
    EXPECT_EQ(FindImageResource(4500), nullptr);
}

TEST(ImageResources, CursorsHaveHotSpotsInsideAndOtherImagesNone)
{
    for (int id : {106, 107, 108}) {
        const ImageResource* cursor = FindImageResource(id);
        ASSERT_NE(cursor, nullptr);
        EXPECT_GT(cursor->hotX, 0) << id;
        EXPECT_LT(cursor->hotX, cursor->width) << id;
        EXPECT_GT(cursor->hotY, 0) << id;
        EXPECT_LT(cursor->hotY, cursor->height) << id;
    }
    // The end cursor grabs on its left, the start cursor on its right.
    EXPECT_LT(FindImageResource(106)->hotX, FindImageResource(108)->hotX);
    EXPECT_GT(FindImageResource(107)->hotX, FindImageResource(108)->hotX);
    EXPECT_EQ(std::pair(FindImageResource(4505)->hotX, FindImageResource(4505)->hotY), std::pair(0, 0));
}

} // namespace
} // namespace corvina
