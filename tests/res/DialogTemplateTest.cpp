// Checks properties the dialogs built from the seven templates rely on: one control per id, every
// control inside its dialog, images where a control shows one, and controls that take turns in one
// place sharing it.
#include "DialogTemplate.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace corvina {
namespace {

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id)
{
    for (std::size_t i = 0; i < dialog.controlCount; ++i)
        if (dialog.controls[i].id == id)
            return &dialog.controls[i];
    return nullptr;
}

TEST(DialogTemplates, EachIsFoundByItsIdAndHoldsEachControlIdOnceInsideItsBounds)
{
    std::size_t count = 0;
    const DialogTemplate* const* all = AllDialogTemplates(count);
    ASSERT_EQ(count, 7u);
    for (std::size_t i = 0; i < count; ++i) {
        const DialogTemplate& dialog = *all[i];
        EXPECT_EQ(FindDialogTemplate(dialog.id), &dialog);
        EXPECT_TRUE(dialog.style & DS_CHILD) << dialog.id;
        std::set<int> ids;
        for (std::size_t c = 0; c < dialog.controlCount; ++c) {
            const ControlTemplate& control = dialog.controls[c];
            SCOPED_TRACE(testing::Message() << dialog.id << " " << control.id);
            if (control.id != kNoId) {
                EXPECT_TRUE(ids.insert(control.id).second);
            }
            EXPECT_GE(control.x, 0);
            EXPECT_GE(control.y, 0);
            EXPECT_GT(control.cx, 0);
            EXPECT_GT(control.cy, 0);
            EXPECT_LE(control.x + control.cx, dialog.cx);
            EXPECT_LE(control.y + control.cy, dialog.cy);
            const bool showsImage =
                control.cls == ControlClass::StaticIcon || control.cls == ControlClass::StaticBitmap;
            EXPECT_EQ(showsImage, control.imageId != 0);
        }
    }
    EXPECT_EQ(FindDialogTemplate(4501), nullptr);
}

TEST(DialogTemplates, ControlsThatTakeTurnsShareOnePlaceAndTheStandInStartsHidden)
{
    const auto place = [](const ControlTemplate& c) { return std::array<int, 4>{c.x, c.y, c.cx, c.cy}; };
    // The loading note lies over the tones list while the phone is read out.
    const DialogTemplate& tones = *FindDialogTemplate(4558);
    const ControlTemplate* loading = FindControl(tones, 4608);
    const ControlTemplate* list = FindControl(tones, 4560);
    ASSERT_TRUE(loading && list);
    EXPECT_EQ(place(*loading), place(*list));
    EXPECT_FALSE(loading->style & CS_VISIBLE);
    EXPECT_TRUE(list->style & CS_VISIBLE);
    // The slot list and the file name box: the Melodies page shows whichever fits the phone.
    const DialogTemplate& melodies = *FindDialogTemplate(4502);
    const ControlTemplate* slots = FindControl(melodies, 4524);
    const ControlTemplate* fileName = FindControl(melodies, 4607);
    ASSERT_TRUE(slots && fileName);
    EXPECT_EQ(slots->cls, ControlClass::DropList);
    EXPECT_EQ(fileName->cls, ControlClass::DropDown);
    EXPECT_EQ((std::array<int, 3>{slots->x, slots->y, slots->cx}),
              (std::array<int, 3>{fileName->x, fileName->y, fileName->cx}));
    // The radio buttons of the ringer form one group that starts at "On".
    EXPECT_TRUE(FindControl(tones, 4561)->style & CS_GROUP);
    EXPECT_FALSE(FindControl(tones, 4510)->style & CS_GROUP);
    EXPECT_FALSE(FindControl(tones, 4511)->style & CS_GROUP);
}

} // namespace
} // namespace corvina
