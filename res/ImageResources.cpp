// The inventory of icons, bitmaps and cursors: sizes and cursor hot spots, with the PNG bytes that
// the build embeds from res/images/.
#include "ImageResource.h"

#include <array>

namespace corvina {

struct EmbeddedImage {
    int id;
    const unsigned char* png;
    std::size_t size;
};
extern const EmbeddedImage kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;

namespace {

struct ImageInfo {
    int id;
    int width, height;
    int hotX, hotY;
};

// Cursor hot spots sit on the bar that stands for the clip bound being dragged.
constexpr ImageInfo kInventory[] = {
    {4065, 7, 12, 0, 0},  {4066, 1, 12, 0, 0},   {4504, 16, 16, 0, 0},  {4505, 16, 16, 0, 0},  {4506, 16, 16, 0, 0},
    {4509, 16, 16, 0, 0}, {4513, 12, 12, 0, 0},  {4514, 12, 12, 0, 0},  {4517, 16, 16, 0, 0},  {4520, 16, 16, 0, 0},
    {4521, 16, 16, 0, 0}, {4529, 12, 12, 0, 0},  {4530, 12, 12, 0, 0},  {4536, 12, 22, 0, 0},  {4537, 16, 16, 0, 0},
    {4539, 12, 22, 0, 0}, {4563, 16, 16, 0, 0},  {4565, 16, 16, 0, 0},  {4567, 16, 16, 0, 0},  {4570, 16, 16, 0, 0},
    {4571, 16, 16, 0, 0}, {4579, 12, 22, 0, 0},  {4583, 12, 22, 0, 0},  {4587, 16, 16, 0, 0},  {4067, 514, 18, 0, 0},
    {4532, 70, 27, 0, 0}, {106, 32, 32, 10, 15}, {107, 32, 32, 21, 15}, {108, 32, 32, 15, 15},
};

const std::array<ImageResource, std::size(kInventory)>& Resources()
{
    static const std::array<ImageResource, std::size(kInventory)> resources = [] {
        std::array<ImageResource, std::size(kInventory)> out{};
        for (std::size_t i = 0; i < out.size(); ++i) {
            const ImageInfo& info = kInventory[i];
            out[i] = {info.id, nullptr, 0, info.width, info.height, info.hotX, info.hotY};
            for (std::size_t k = 0; k < kEmbeddedImageCount; ++k)
                if (kEmbeddedImages[k].id == info.id) {
                    out[i].png = kEmbeddedImages[k].png;
                    out[i].size = kEmbeddedImages[k].size;
                }
        }
        return out;
    }();
    return resources;
}

} // namespace

const ImageResource* FindImageResource(int id)
{
    for (const ImageResource& resource : Resources())
        // An inventory entry whose picture was not built in is reported as missing, not as empty.
        if (resource.id == id)
            return resource.png != nullptr ? &resource : nullptr;
    return nullptr;
}

} // namespace corvina
