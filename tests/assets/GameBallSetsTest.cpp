// The ball-set libraries: their list "TEXTURES.SET" names a set per variant and flag, and each
// set's number discs and colour table are in the same library, whole and readable.
#include "tests/assets/GameFiles.h"

#include "foundation/BallTextureData.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
struct SSetLine
{
    std::vector<std::string> fields; // variant, discs, description, colours, flag
    std::string strLastField;        // what follows the fourth separator, untrimmed
};

std::string Trim(const std::string& s)
{
    const auto nFirst = s.find_first_not_of(" \t\r");
    return nFirst == std::string::npos ? "" : s.substr(nFirst, s.find_last_not_of(" \t\r") - nFirst + 1);
}

/// The list's lines, read as the game reads them: up to the first line shorter than two
/// characters, lines starting with "/" skipped, fields ending at "," or ";".
std::vector<SSetLine> ReadSetLines(const std::vector<BYTE>& data)
{
    std::vector<SSetLine> lines;
    std::istringstream text(std::string(data.begin(), data.end()));
    for (std::string strLine; std::getline(text, strLine) && strLine.size() >= 2;)
    {
        if (strLine[0] == '/')
            continue;
        SSetLine line;
        std::size_t nStart = 0;
        for (int f = 0; f < 5; ++f)
        {
            const std::size_t nEnd = strLine.find_first_of(",;", nStart);
            if (f == 4)
                line.strLastField = strLine.substr(nStart);
            line.fields.push_back(Trim(strLine.substr(nStart, nEnd - nStart)));
            nStart = nEnd == std::string::npos ? strLine.size() : nEnd + 1;
        }
        lines.push_back(line);
    }
    return lines;
}

struct SExpectedSet
{
    const char* szLibrary;
    const char* szVariant;
    int nFlag;
};
const SExpectedSet s_aSets[] = {
    {"VornBall.dat", "standard", 1},
    {"VornBall1.dat", "standard", 0},
    {"VornBall1.dat", "american", 0},
    {"VornBall1.dat", "bonus", 0},
};

/// The ball painter's fixed colours, which the standard set's table repeats.
constexpr BYTE STANDARD_COLORS[27] = {0xFF, 0xFF, 0xFF, 0xC4, 0xC4, 0x1F, 0x2E, 0x2E, 0xF0,
                                      0xDD, 0x25, 0x25, 0xBA, 0x25, 0xBA, 0xF2, 0x6E, 0x25,
                                      0x25, 0x76, 0x25, 0x70, 0x43, 0x23, 0x25, 0x25, 0x25};
} // namespace

TEST(GameBallSetsTest, EveryVariantAndFlagHasAWholeSet)
{
    for (const SExpectedSet& expected : s_aSets)
    {
        SCOPED_TRACE(std::string(expected.szLibrary) + " " + expected.szVariant);
        const auto list = FindIn(expected.szLibrary, "TEXTURES.SET", "SET");
        ASSERT_TRUE(list.has_value());
        const std::vector<SSetLine> lines = ReadSetLines(*list);
        const auto itLine = std::find_if(lines.begin(), lines.end(),
                                         [&](const SSetLine& line) {
                                             return line.fields[0] == expected.szVariant &&
                                                    std::atoi(line.fields[4].c_str()) == expected.nFlag;
                                         });
        ASSERT_NE(lines.end(), itLine);
        // The game's integer reader takes a field of two characters or fewer as 0.
        EXPECT_GT(itLine->strLastField.size(), 2u);
        EXPECT_FALSE(itLine->fields[2].empty()); // lines without a third field are dropped
        const auto colors = FindIn(expected.szLibrary, itLine->fields[3].c_str(), "COLOR_TABLES");
        ASSERT_TRUE(colors.has_value());
        EXPECT_EQ(27u, colors->size());
        if (expected.nFlag == 1)
        {
            EXPECT_EQ(std::vector<BYTE>(std::begin(STANDARD_COLORS), std::end(STANDARD_COLORS)), *colors);
        }
        const auto discs = FindIn(expected.szLibrary, itLine->fields[1].c_str(), "TEXTURES");
        ASSERT_TRUE(discs.has_value());
        SBallTextureSet set;
        std::string strError;
        ASSERT_TRUE(ReadBallTextures(*discs, set, strError)) << strError;
        EXPECT_NEAR(0.99, set.balls[0].dThreshold, 1e-4);
        const SBallDisc& dot = set.balls[0].levels[0];
        EXPECT_GE(dot.texels[dot.nSide / 2 * dot.nSide + dot.nSide / 2], 128) << "the cue ball's dot";
        for (int b = 1; b < BALL_TEXTURE_BALLS; ++b)
        {
            SCOPED_TRACE(b);
            EXPECT_LT(set.balls[b].dThreshold, 0.99);
            // Palette 0 to 127 runs from the white to the ink: the numeral is the dark half.
            const std::vector<BYTE>& texels = set.balls[b].levels[0].texels;
            const auto nInk = std::count_if(texels.begin(), texels.end(), [](BYTE t) { return t >= 64 && t < 128; });
            EXPECT_GT(nInk, static_cast<long>(texels.size() / 40));
        }
    }
}
