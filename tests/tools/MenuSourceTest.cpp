#include "tools/respack/MenuSource.h"

#include "platform/win32/Accelerators.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Menus.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// A menu source compiles into the resource the menu reader gives back item for item.
TEST(MenuSourceTest, MenuSourceCompilesToItsItems)
{
    const std::string strSource = "# the game\n"
                                  "popup \"&Game\"\n"
                                  "    item 32180 \"&New game\"  # comment\n"
                                  "    separator\n"
                                  "    popup \"More\"\n"
                                  "        item 0xE140 \"About\"\n"
                                  "    end\n"
                                  "end\n"
                                  "item 32161 \"E&xit\"\r\n";
    std::vector<BYTE> data;
    std::string strError;
    ASSERT_TRUE(CompileMenuSource(strSource, data, strError)) << strError;
    std::vector<SMenuItem> items;
    ASSERT_TRUE(DecodeMenu(data, items, strError)) << strError;
    const std::vector<SMenuItem> expected = {
        {MF_POPUP,
         0,
         "&Game",
         {{0, 32180, "&New game", {}}, {MF_SEPARATOR, 0, "", {}}, {MF_POPUP, 0, "More", {{0, 0xE140, "About", {}}}}}},
        {0, 32161, "E&xit", {}}};
    EXPECT_EQ(expected, items);
}

TEST(MenuSourceTest, AcceleratorSourceCompilesKeysAndModifiers)
{
    std::vector<BYTE> data;
    std::string strError;
    ASSERT_TRUE(CompileAcceleratorSource("F2 32180\nalt+enter 32072\nCtrl+Shift+s 57603\n5 7\n", data, strError))
        << strError;
    std::vector<ACCEL> table;
    ASSERT_TRUE(DecodeAcceleratorTable(data, table, strError)) << strError;
    const std::vector<ACCEL> expected = {{FVIRTKEY, VK_F1 + 1, 32180},
                                         {FVIRTKEY | FALT, VK_RETURN, 32072},
                                         {FVIRTKEY | FCONTROL | FSHIFT, 'S', 57603},
                                         {FVIRTKEY, '5', 7}};
    EXPECT_EQ(expected, table);
}

TEST(MenuSourceTest, BadSourcesNameTheLineAndReason)
{
    struct SCase
    {
        bool bMenu;
        std::string strSource;
        const char* szReason;
    };
    const SCase cases[] = {
        {true, "", "the menu has no items"},
        {true, "popup \"A\"\n  item 1 \"x\"\n", "a popup is not closed"},
        {true, "item 1 \"x\"\nend\n", "line 2: an end without its popup"},
        {true, "popup \"A\"\nend\n", "line 2: a popup needs at least one item"},
        {true, "item 0 \"x\"\n", "line 1: a command id must lie between 1 and 65535"},
        {true, "item 70000 \"x\"\n", "line 1: a command id"},
        {true, "item 1 x y\n", "line 1: write popup"},
        {true, "item 1 \"x\n", "line 1: a quoted text is not closed"},
        // A NUL would end the text in the compiled menu and leave the rest to be read as items.
        {true, std::string("separator\nitem 1 \"\0\"\n", 21), "line 2: a menu text cannot hold a NUL character"},
        {true, std::string("popup \"A\0B\"\nitem 1 \"x\"\nend\n", 27), "line 1: a menu text cannot hold a NUL"},
        {true, "popup a\npopup a\npopup a\npopup a\npopup a\npopup a\npopup a\npopup a\npopup a\n",
         "line 8: popups nest deeper"},
        {false, "", "the table has no keys"},
        {false, "F2\n", "line 1: write a key as"},
        {false, "F13 1\n", "line 1: unknown key F13"},
        {false, "Ctrl+Ctrl+A 1\n", "line 1: unknown or repeated modifier"},
        {false, "Meta+A 1\n", "line 1: unknown or repeated modifier"},
        {false, "Ctrl+ 1\n", "line 1: unknown key"},
        {false, "A 0\n", "line 1: a command id"},
        {false, "F2 1\nf2 2\n", "line 2: the key f2 is given twice"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.strSource);
        std::vector<BYTE> data;
        std::string strError;
        const bool bCompiled = c.bMenu ? CompileMenuSource(c.strSource, data, strError)
                                       : CompileAcceleratorSource(c.strSource, data, strError);
        EXPECT_FALSE(bCompiled);
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
    }
}
