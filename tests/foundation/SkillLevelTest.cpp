#include "foundation/SkillLevel.h"

#include <gtest/gtest.h>
#include <string>

TEST(SkillLevelTest, NamesByLevel)
{
    const char* const aszExpected[] = {"ERROR",  "Scrub",  "Scrub", "Scrub", "Schmoe",
                                       "Schmoe", "Schmoe", "Shark", "Shark", "Shark"};
    for (int i = 0; i < 10; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(aszExpected[i]), GetSkillLevelName(i));
    }
    EXPECT_EQ(std::string("ERROR"), GetSkillLevelName(-1)); // outside the table: no read past it
    EXPECT_EQ(std::string("ERROR"), GetSkillLevelName(10));
}
