// The balls' pictures: the face textures of the ball mesh (b_NN.bmp and the smaller b_sm_NN.bmp),
// and per ball set its number discs (the "TEXTURES" resource) and its nine colours (the
// "COLOR_TABLES" resource).
#pragma once

#include "tools/art/ArtImage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// One ball set: colour 0 is the white of the cue ball and of the striped balls, colour n (1 to 8)
/// the colour of ball n and of the stripe of ball n + 8.
struct SBallSet
{
    const char* szTextures;              // resource name of its "TEXTURES"
    const char* szColors;                // resource name of its "COLOR_TABLES"
    std::array<std::uint32_t, 9> colors; // 0xRRGGBB
    std::uint32_t nPaper;                // the number discs' ground
    std::uint32_t nInk;                  // the numerals
    std::uint32_t nDot;                  // the cue ball's dot
};

/// The standard set: the usual pool colours, the ball painter's own fixed colour table.
const SBallSet& StandardBallSet();
/// Every ball set of the ball-set libraries, the standard one first.
const std::vector<SBallSet>& AllBallSets();

/// The face texture of ball n (0 to 15) of the set, nSide texels a side.
CArtImage MakeBallFace(const SBallSet& set, int nBall, int nSide);
/// The set's "TEXTURES" resource bytes.
std::vector<std::uint8_t> MakeBallTextures(const SBallSet& set);
/// The set's "COLOR_TABLES" resource: the nine colours as red, green, blue bytes.
std::vector<std::uint8_t> MakeColorTable(const SBallSet& set);
