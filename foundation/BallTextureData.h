// The ball-set resource "TEXTURES": the number discs the software ball painter samples, in the
// layout the ball-set libraries store them. The art generator writes it, the painter reads it.
//
// Layout (all numbers little-endian; offsets from the start of the resource):
//
//   palette     256 x 4 bytes     blue, green, red, 0: the colours the 8-bit disc texels index
//   offsets     432 x u32         27 per ball, balls 0 to 15: offset 27 b + k is slot k of ball b
//   data        the records and images the offsets point at
//
// Slots of ball b:
//   0          the ball record (16 bytes):
//                u32  threshold   the disc's edge as the cosine of its angular radius, in 1/65536
//                                 (the painter samples the disc where the surface point's axis
//                                 coordinate c is above it: 0.99 for the cue ball's small dot)
//                u32  levels      disc images that follow (1 to BALL_DISC_MAX_LEVELS)
//                u32  side        texels a side of the largest image
//                u32  reserved    0
//   1..levels  the disc images, largest first, each half the side of the one before:
//                u32  side        texels a side
//                side x side bytes palette indices, rows top first
//   the rest   the ball record again (reserved for later use)
//
// A disc image is the disc seen along its axis, orthographically: the square of the image just
// holds the disc's rim circle, of radius sqrt(1 - threshold^2) in ball radii. The axis is the
// ball's local +z; the image's columns run along the ball's local -x and its rows along -y, so
// that from the +z side, in the scene's left-handed frame, the numeral stands upright and reads
// the right way round. Texels outside the rim hold the disc's background.
#pragma once

#include "platform/win32/WinTypes.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

inline constexpr int BALL_TEXTURE_BALLS = 16;
inline constexpr int BALL_TEXTURE_SLOTS = 27;
inline constexpr std::size_t BALL_TEXTURE_OFFSETS = BALL_TEXTURE_BALLS * BALL_TEXTURE_SLOTS;
static_assert(BALL_TEXTURE_OFFSETS == 432, "the painter relocates 432 offsets");
inline constexpr std::size_t BALL_TEXTURE_PALETTE_BYTES = 256 * 4;
inline constexpr std::size_t BALL_TEXTURE_HEADER_BYTES = BALL_TEXTURE_PALETTE_BYTES + BALL_TEXTURE_OFFSETS * 4;
inline constexpr std::size_t BALL_RECORD_BYTES = 4 * 4;
/// Most disc images per ball (largest side 2^(levels-1) times the smallest).
inline constexpr int BALL_DISC_MAX_LEVELS = 8;
/// Largest disc image side accepted, texels.
inline constexpr UINT BALL_DISC_MAX_SIDE = 1024;
/// Fixed-point scale of the threshold.
inline constexpr double BALL_THRESHOLD_ONE = 65536.0;

struct SBallDisc
{
    UINT nSide = 0;
    std::vector<BYTE> texels; // nSide x nSide palette indices, rows top first
};

struct SBallTexture
{
    double dThreshold = 0.0;       // cosine of the disc's angular radius
    std::vector<SBallDisc> levels; // largest first
};

struct SBallTextureSet
{
    std::array<DWORD, 256> palette{}; // 0x00RRGGBB
    std::array<SBallTexture, BALL_TEXTURE_BALLS> balls;
};

/// The disc's rim radius in ball radii for a threshold.
double BallDiscRadius(double dThreshold);

/// The resource bytes of a texture set; every ball needs 1 to BALL_DISC_MAX_LEVELS images, each
/// of side 1..BALL_DISC_MAX_SIDE with side x side texels (the caller's programming error
/// otherwise: false with the reason in strError).
bool WriteBallTextures(const SBallTextureSet& set, std::vector<BYTE>& out, std::string& strError);
/// Reads a texture set, checking every offset and size against the resource: false with the
/// reason in strError when anything points outside it or does not fit the layout.
bool ReadBallTextures(std::span<const BYTE> data, SBallTextureSet& set, std::string& strError);
