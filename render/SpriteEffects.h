// The sprite effects the main frame sets up with each device: three particle systems (250
// bubbles, 50 stars, 50 bubbles) whose pictures come from the data folder when it holds them,
// else from the program folder. Bubbles that only load at 16 bits or fewer switch the
// "Particles" setting off.
#pragma once

#include "platform/mfc/CString.h"
#include "render/ParticleSystem.h"

#include <memory>
#include <vector>

class CDirect3DDevice;

/// The picture's path: the data folder's file when it exists, else the program folder's.
CString FindSpriteTexture(const CString& strDataFolder, const CString& strProgramFolder, const char* szFile);

/// Makes the three systems in their order with their textures restored on the device.
std::vector<std::unique_ptr<CParticleSystem>>
CreateSpriteEffects(CDirect3DDevice* pDevice, const CString& strDataFolder, const CString& strProgramFolder);
