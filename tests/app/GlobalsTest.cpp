// The program's own globals: the values they start with, and their order, which is the order
// main builds them in (and the reverse of the order they go in).
#include "app/Globals.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> Texts(const CString* pFirst, std::size_t nCount)
{
    std::vector<std::string> aTexts;
    for (std::size_t i = 0; i < nCount; ++i)
        aTexts.emplace_back(pFirst[i].GetString());
    return aTexts;
}

TEST(GlobalsTest, StartWithTheirTableValues)
{
    const SGlobals g;
    EXPECT_TRUE(g.strEmpty.IsEmpty());
    EXPECT_EQ((std::vector<std::string>{"", "0.0004", "0.05", "0", "0.03", "0", "0.3", "0", "0.1", "0.0", "0.05", "30",
                                        "0.4", "2", "1000"}),
              Texts(g.astrAimTuning.data(), g.astrAimTuning.size()));
    EXPECT_EQ(std::vector<std::string>(17), Texts(g.astrAimSpare.data(), g.astrAimSpare.size()));
    EXPECT_EQ((std::vector<std::string>{"Ambient", "Down", "JukeBox", "Flame", "Flame1", "TV", "Fan 0", "Fan 1",
                                        "Fan 2", "Fan 3", "8 ball", "Coinman Vorn", "AMD logo", "Trees"}),
              Texts(g.astrLightNames.data(), g.astrLightNames.size()));
    struct SText
    {
        const char* szRow;
        const CString& strValue;
        const char* szExpected;
    };
    for (const SText& t : {SText{"16 tag", g.strProcessorTag, ""}, SText{"16 adhere", g.strAdhere, "adhere"},
                           SText{"16 data folder", g.strDataFolderText, ""}, SText{"16 further", g.strFurther, ""},
                           SText{"17", g.strDefaultResourceType, "_DATA"}, SText{"23", g.strLogFile, "VornLog.txt"},
                           SText{"26", g.strDisableTexture, "Disable.bmp"}, SText{"42", g.strChatTexture, "Chat.bmp"},
                           SText{"46", g.strMusicFile, "VornMidi.mid"}})
    {
        SCOPED_TRACE(t.szRow);
        EXPECT_STREQ(t.szExpected, t.strValue.GetString());
    }
    struct SRect
    {
        const char* szRow;
        RECT rc;
        RECT rcExpected;
    };
    for (const SRect& r :
         {SRect{"51", g.rcSplashClip, {100, 262, 148, 310}}, SRect{"53 first", g.arcSplashSpare[0], {24, 442, 44, 542}},
          SRect{"53 second", g.arcSplashSpare[1], {346, 166, 426, 230}},
          SRect{"55", g.rcSplashOverlay, {378, 204, 430, 308}}})
    {
        SCOPED_TRACE(r.szRow);
        EXPECT_EQ(r.rcExpected.left, r.rc.left);
        EXPECT_EQ(r.rcExpected.top, r.rc.top);
        EXPECT_EQ(r.rcExpected.right, r.rc.right);
        EXPECT_EQ(r.rcExpected.bottom, r.rc.bottom);
    }
}

TEST(GlobalsTest, LieInTableOrderSoTheyAreBuiltInItAndGoInReverse)
{
    // Members are built in the order they lie in and destroyed in the reverse order.
    const SGlobals g;
    const void* aRows[] = {&g.strEmpty,       &g.astrAimTuning,     &g.astrAimSpare,      &g.strProcessorTag,
                           &g.strAdhere,      &g.strDataFolderText, &g.strFurther,        &g.strDefaultResourceType,
                           &g.astrLightNames, &g.strLogFile,        &g.strDisableTexture, &g.strChatTexture,
                           &g.strMusicFile,   &g.rcSplashClip,      &g.arcSplashSpare,    &g.rcSplashOverlay};
    for (std::size_t i = 1; i < std::size(aRows); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_LT(static_cast<const char*>(aRows[i - 1]), static_cast<const char*>(aRows[i]));
    }
}
} // namespace
