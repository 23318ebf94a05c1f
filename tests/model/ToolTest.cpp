#include "model/Tool.h"

#include <gtest/gtest.h>

#include <set>

// Every tool of the palette has one row, a title and a key of its own, and
// its title leads back to it in any case; anything else names no tool.
TEST(Tool, TitlesAndKeysNameEachToolOnce)
{
    std::set<Tool> tools;
    std::set<QString> titles;
    std::set<char> keys;
    for (const ToolRow& row : toolRows()) {
        const QString title = QLatin1String(row.title);
        SCOPED_TRACE(row.title);
        EXPECT_NE(row.tool, Tool::None);
        EXPECT_TRUE(tools.insert(row.tool).second);
        EXPECT_TRUE(titles.insert(title).second);
        EXPECT_TRUE(keys.insert(row.key).second);
        EXPECT_EQ(toolTitle(row.tool), title);
        EXPECT_EQ(toolNamed(title), row.tool);
        EXPECT_EQ(toolNamed(title.toUpper()), row.tool);
    }
    EXPECT_EQ(tools.size(), 18u);
    EXPECT_EQ(toolTitle(Tool::None), QString());
    for (const char* other : {"", "lasso", "select ", "move"})
        EXPECT_EQ(toolNamed(QLatin1String(other)), Tool::None) << other;
}
