// Formatting and reading of the "m:ss.f" texts of the time fields.
#include "TimeText.h"

#include <cstdio>
#include <limits>

namespace corvina {
namespace {

// Reads the leading decimal digits of a piece of text, as a C runtime would: anything else ends the
// number and a piece without a leading digit counts as 0. Saturates instead of overflowing, so a
// long row of digits is simply too large.
std::int64_t LeadingNumber(const std::string& text, std::size_t begin, std::size_t end)
{
    constexpr std::int64_t kCap = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (std::size_t i = begin; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kCap)
            return kCap + 1;
    }
    return value;
}

} // namespace

std::optional<std::string> FormatTime(std::int32_t ms, int digits)
{
    if (digits < 1 || digits > 3)
        return std::nullopt;
    const std::int32_t minutes = ms / 60000;
    const std::int32_t seconds = (ms % 60000) / 1000;
    const std::int32_t thousandths = ms % 1000;
    if (seconds < 0 || seconds > 59 || minutes < 0 || thousandths < 0)
        return std::nullopt;
    const std::int32_t fraction = digits == 3 ? thousandths : digits == 2 ? thousandths / 10 : thousandths / 100;
    char text[40];
    std::snprintf(text, sizeof text, "%d:%02d.%0*d", static_cast<int>(minutes), static_cast<int>(seconds), digits,
                  static_cast<int>(fraction));
    return std::string(text);
}

std::int32_t ParseTimeText(const std::string& text, int digits)
{
    if (digits < 1 || digits > 3)
        return -1;
    const std::size_t n = static_cast<std::size_t>(digits);
    const std::size_t length = text.size();
    if (length < n + 5)
        return -1;
    const std::size_t colon = length - n - 4;
    const std::size_t point = length - n - 1;
    if (text[colon] != ':' || text[point] != '.')
        return -1;

    std::int64_t fraction = LeadingNumber(text, point + 1, length);
    if (n < 3)
        fraction *= 10;
    if (n < 2)
        fraction *= 10;
    const std::int64_t seconds = LeadingNumber(text, point - 2, point);
    const std::int64_t minutes = LeadingNumber(text, 0, colon);
    if (seconds < 0 || seconds > 59 || fraction < 0 || minutes < 0)
        return -1;
    const std::int64_t result = fraction + (seconds + minutes * 60) * 1000;
    // A time that does not fit the field's 32-bit value is refused like any other unreadable text.
    if (result > std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(result);
}

} // namespace corvina
