// Time field texts: what is shown for a time and which typed texts are read back.
#include "TimeText.h"

#include <gtest/gtest.h>

namespace corvina {

TEST(TimeText, ShowsMinutesSecondsAndTheFractionInTheFieldsDigits)
{
    EXPECT_EQ(FormatTime(59999, 2), "0:59.99");
    EXPECT_EQ(FormatTime(60000, 2), "1:00.00");
    EXPECT_EQ(FormatTime(65432, 3), "1:05.432");
    EXPECT_EQ(FormatTime(65432, 1), "1:05.4");
    EXPECT_EQ(FormatTime(0, 2), "0:00.00");
    EXPECT_EQ(FormatTime(3900000, 2), "65:00.00");
    EXPECT_EQ(FormatTime(-1, 2), std::nullopt);
    EXPECT_EQ(FormatTime(1000, 4), std::nullopt);
}

TEST(TimeText, ReadsTextsWhoseColonAndPointStandWhereTheDigitsSay)
{
    EXPECT_EQ(ParseTimeText("65:00.00", 2), 3900000);
    EXPECT_EQ(ParseTimeText("1:05.50", 2), 65500);
    EXPECT_EQ(ParseTimeText("1:05.5", 1), 65500);
    EXPECT_EQ(ParseTimeText("1:05.432", 3), 65432);
    EXPECT_EQ(ParseTimeText("0:00.0", 1), 0);
    // The point must stand three characters before the end of a 2-digit field.
    for (const char* text : {"1:05.5", "0:60.00", ":05.50", "1-05.50", "1:05,50"})
        EXPECT_EQ(ParseTimeText(text, 2), -1) << text;
    EXPECT_EQ(ParseTimeText("", 3), -1);
}

TEST(TimeText, ReadsLeadingDigitsOnlyAndRefusesTimesBeyondTheFieldsRange)
{
    EXPECT_EQ(ParseTimeText("x:05.50", 2), 5500);
    EXPECT_EQ(ParseTimeText("2a:5b.7c", 2), 2 * 60000 + 5000 + 70);
    EXPECT_EQ(ParseTimeText("35791:23.647", 3), 2147483647);
    EXPECT_EQ(ParseTimeText("35791:23.648", 3), -1);
    EXPECT_EQ(ParseTimeText("99999999999999999999:00.00", 2), -1);
}

TEST(TimeText, EveryShownTimeReadsBackTruncatedToTheFieldsDigits)
{
    for (int digits = 1; digits <= 3; ++digits) {
        for (std::int32_t ms : {0, 999, 1001, 59999, 60000, 61234, 3599999, 3600000}) {
            const std::optional<std::string> text = FormatTime(ms, digits);
            ASSERT_TRUE(text);
            const int unit = digits == 3 ? 1 : digits == 2 ? 10 : 100;
            EXPECT_EQ(ParseTimeText(*text, digits), ms / unit * unit) << *text;
        }
    }
}

} // namespace corvina
