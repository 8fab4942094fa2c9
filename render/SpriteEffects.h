// The sprite effects the main frame sets up with each device: eight particle systems (250 bubbles,
// six of 50 stars, one a pocket, and 50 bubbles) whose pictures come from the data folder when it
// holds them, else from the program folder. Bubbles that only load at 16 bits or fewer switch the
// "Particles" setting off.
#pragma once

#include "platform/mfc/CString.h"
#include "render/ParticleSystem.h"

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

class CDirect3DDevice;

/// Which system does what: A sparkles behind the rolling struck ball; six of B, one a pocket in the
/// pockets' order, bursts of stars at the pocket a ball drops into; C puffs of smoke where the struck
/// ball runs.
enum ESpriteEffect : std::size_t
{
    SPRITE_FOLLOW = 0,
    SPRITE_POCKET = 1, ///< pocket 0's; pocket n's is SPRITE_POCKET + n
    SPRITE_POCKET_COUNT = 6,
    SPRITE_TRAIL = SPRITE_POCKET + SPRITE_POCKET_COUNT,
    SPRITE_COUNT,
};

/// Whether a pocket's effect is advanced and drawn: while its level (the particles it emits a second)
/// lies between 0 and its limit (the particles it holds) plus 50, both excluded, or while particles of
/// its last burst live.
bool IsPocketEffectShown(const CParticleSystem& effect);

/// The colour a ball's drop gives the pocket's stars (0 to 1 a channel): ball 8 its own, every other
/// ball that of its number modulo 8 (0 the white ball).
std::array<float, 3> PocketEffectColour(int nBall);

/// The picture's path: the data folder's file when it exists, else the program folder's.
CString FindSpriteTexture(const CString& strDataFolder, const CString& strProgramFolder, const char* szFile);

/// Makes the eight systems in their order with their textures restored on the device.
std::vector<std::unique_ptr<CParticleSystem>>
CreateSpriteEffects(CDirect3DDevice* pDevice, const CString& strDataFolder, const CString& strProgramFolder);
