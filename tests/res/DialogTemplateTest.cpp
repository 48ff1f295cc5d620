// Checks that the seven dialog templates carry their controls where the pages expect them.
#include "DialogTemplate.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace corvina {
namespace {

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
    for (std::size_t i = 0; i < dialog.controlCount; ++i)
        if (dialog.controls[i].id == id) return &dialog.controls[i];
    return nullptr;
}

TEST(DialogTemplates, EachOfTheSevenExistsWithItsSizeAndControlCount) {
    struct Expected { int id, cx, cy; std::size_t controls; };
    const Expected expected[] = {{4500, 464, 307, 2},  {4558, 442, 231, 12}, {4502, 446, 246, 5},
                                 {4503, 128, 44, 6},   {4562, 43, 44, 3},    {4508, 255, 116, 5},
                                 {4563, 343, 151, 14}};
    std::size_t count = 0;
    const DialogTemplate* const* all = AllDialogTemplates(count);
    ASSERT_EQ(count, 7u);
    for (std::size_t i = 0; i < count; ++i) {
        const Expected& e = expected[i];
        const DialogTemplate* dialog = FindDialogTemplate(e.id);
        ASSERT_NE(dialog, nullptr) << e.id;
        EXPECT_EQ(all[i], dialog);
        EXPECT_EQ(dialog->cx, e.cx) << e.id;
        EXPECT_EQ(dialog->cy, e.cy) << e.id;
        EXPECT_EQ(dialog->controlCount, e.controls) << e.id;
        EXPECT_STREQ(dialog->fontName, "MS Sans Serif");
        EXPECT_EQ(dialog->fontPoints, 8);
        EXPECT_TRUE(dialog->style & DS_CHILD);
        std::set<int> ids;
        for (std::size_t c = 0; c < dialog->controlCount; ++c) {
            const ControlTemplate& control = dialog->controls[c];
            if (control.id != kNoId) {
                EXPECT_TRUE(ids.insert(control.id).second) << e.id << " " << control.id;
            }
            const bool showsImage =
                control.cls == ControlClass::StaticIcon || control.cls == ControlClass::StaticBitmap;
            EXPECT_EQ(showsImage, control.imageId != 0) << e.id << " " << control.id;
        }
    }
    EXPECT_EQ(FindDialogTemplate(4501), nullptr);
    EXPECT_EQ(FindDialogTemplate(4562)->style, DS_CHILD | DS_MODALFRAME);
    EXPECT_EQ(FindDialogTemplate(4508)->style, DS_CHILD | DS_VISIBLE | DS_CLIPSIBLINGS);
    EXPECT_EQ(FindDialogTemplate(4563)->style, DS_CHILD | DS_TRANSPARENT);
}

TEST(DialogTemplates, ControlsSitWhereTheLayoutPutsThem) {
    const ControlTemplate* read = FindControl(*FindDialogTemplate(4500), 4541);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->cls, ControlClass::IconButton);
    EXPECT_EQ(std::string(read->text), "Auslesen...");
    EXPECT_EQ((std::array<int, 4>{read->x, read->y, read->cx, read->cy}), (std::array<int, 4>{364, 26, 92, 16}));

    const DialogTemplate& tones = *FindDialogTemplate(4558);
    const ControlTemplate* loading = FindControl(tones, 4608);
    ASSERT_NE(loading, nullptr);
    EXPECT_FALSE(loading->style & CS_VISIBLE);
    EXPECT_EQ(std::string(loading->text), "...Liste wird geladen ...");
    const ControlTemplate* list = FindControl(tones, 4560);
    EXPECT_EQ((std::array<int, 4>{list->x, list->y, list->cx, list->cy}),
              (std::array<int, 4>{loading->x, loading->y, loading->cx, loading->cy}));
    EXPECT_TRUE(list->style & CS_NOCOLUMNHEADER);
    EXPECT_TRUE(FindControl(tones, 4561)->style & CS_GROUP);
    EXPECT_FALSE(FindControl(tones, 4510)->style & CS_GROUP);
    EXPECT_EQ(std::string(FindControl(tones, 4547)->text), "Lautstärke:...");

    const DialogTemplate& melodies = *FindDialogTemplate(4502);
    const ControlTemplate* phoneList = FindControl(melodies, 4524);
    const ControlTemplate* phoneEdit = FindControl(melodies, 4607);
    EXPECT_EQ(phoneList->cls, ControlClass::DropList);
    EXPECT_EQ(phoneEdit->cls, ControlClass::DropDown);
    EXPECT_EQ(phoneList->x, phoneEdit->x);
    EXPECT_EQ(phoneList->y, phoneEdit->y);
    EXPECT_FALSE(FindControl(melodies, 4604)->style & CS_VISIBLE);

    const DialogTemplate& clip = *FindDialogTemplate(4563);
    EXPECT_EQ(FindControl(clip, 4593)->imageId, 4067);
    EXPECT_EQ(FindControl(clip, 4594)->imageId, 4532);
    EXPECT_FALSE(FindControl(clip, 4594)->style & CS_VISIBLE);
    EXPECT_FALSE(FindControl(clip, 4598)->style & CS_VISIBLE);
    const ControlTemplate* clipEnd = FindControl(clip, 4596);
    EXPECT_EQ((std::array<int, 4>{clipEnd->x, clipEnd->y, clipEnd->cx, clipEnd->cy}),
              (std::array<int, 4>{73, 108, 40, 14}));
    EXPECT_TRUE(clipEnd->style & CS_READONLY);
    EXPECT_TRUE(FindControl(clip, 4606)->style & CS_RIGHT);

    const DialogTemplate& play = *FindDialogTemplate(4562);
    EXPECT_EQ(play.controls[0].id, kNoId);
    EXPECT_EQ(play.controls[0].imageId, 4563);
    const DialogTemplate& fileOpen = *FindDialogTemplate(4508);
    EXPECT_EQ(fileOpen.controls[2].imageId, 4504);
    EXPECT_FALSE(FindControl(fileOpen, 1119)->style & CS_VISIBLE);
    EXPECT_EQ(FindControl(fileOpen, 4577)->x, 210);
}

} // namespace
} // namespace corvina
