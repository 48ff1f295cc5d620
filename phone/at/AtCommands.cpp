// Filling AT command templates.
#include "AtCommands.h"

namespace corvina::atcmd {

std::optional<std::string> Format(std::string_view templ, const std::vector<std::string>& arguments)
{
    std::string text;
    std::size_t used = 0;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] != '<') {
            text += templ[i];
            continue;
        }
        const std::size_t close = templ.find('>', i);
        if (close == std::string_view::npos || used == arguments.size())
            return std::nullopt;
        const std::string& argument = arguments[used++];
        for (unsigned char c : argument)
            if (c == '"' || c < 0x20 || c == 0x7F)
                return std::nullopt;
        text += argument;
        i = close;
    }
    if (used != arguments.size())
        return std::nullopt;
    return text;
}

} // namespace corvina::atcmd
