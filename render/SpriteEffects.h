// The sprite effects the main frame sets up with each device: three particle systems (250
// bubbles, 50 stars, 50 bubbles) whose pictures come from the data folder when it holds them,
// else from the program folder. Bubbles that only load at 16 bits or fewer switch the
// "Particles" setting off.
#pragma once

#include "platform/mfc/CString.h"
#include "render/ParticleSystem.h"

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

class CDirect3DDevice;

/// Which system does what: A sparkles behind the rolling struck ball, B bursts of stars at the
/// pocket a ball drops into, C puffs of smoke where the struck ball runs.
enum ESpriteEffect : std::size_t
{
    SPRITE_FOLLOW = 0,
    SPRITE_POCKET = 1,
    SPRITE_TRAIL = 2,
};

/// The colour a ball's drop gives the pocket's stars (0 to 1 a channel): ball 8 its own, every other
/// ball that of its number modulo 8 (0 the white ball).
std::array<float, 3> PocketEffectColour(int nBall);

/// The picture's path: the data folder's file when it exists, else the program folder's.
CString FindSpriteTexture(const CString& strDataFolder, const CString& strProgramFolder, const char* szFile);

/// Makes the three systems in their order with their textures restored on the device.
std::vector<std::unique_ptr<CParticleSystem>>
CreateSpriteEffects(CDirect3DDevice* pDevice, const CString& strDataFolder, const CString& strProgramFolder);
