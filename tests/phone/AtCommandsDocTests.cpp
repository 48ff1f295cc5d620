// The command set's documentation and the commands the code sends must name the same templates.
#include "AtCommands.h"
#include "PhoneTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace corvina {
namespace {

// Templates written in the first column of the documentation's tables.
std::set<std::string> DocumentedTemplates()
{
    std::set<std::string> templates;
    std::istringstream doc(test::ReadFile(CORVINA_AT_COMMANDS_DOC));
    // A row such as "| `AT^CRTN=<index>,<volume>` | ..." names one template.
    const std::string opening = "| `AT";
    for (std::string line; std::getline(doc, line);) {
        if (line.compare(0, opening.size(), opening) != 0)
            continue;
        const std::size_t close = line.find("` |", 3);
        if (close != std::string::npos)
            templates.insert(line.substr(3, close - 3));
    }
    return templates;
}

TEST(AtCommandsDoc, ListsExactlyTheTemplatesTheLinkSends)
{
    const std::set<std::string> documented = DocumentedTemplates();
    ASSERT_FALSE(documented.empty()) << "no command table found in " << CORVINA_AT_COMMANDS_DOC;
    EXPECT_EQ(documented, std::set<std::string>(atcmd::kAll.begin(), atcmd::kAll.end()));
}

} // namespace
} // namespace corvina
