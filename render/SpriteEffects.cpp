#include "render/SpriteEffects.h"

#include "foundation/Settings.h"
#include "platform/win32/Files.h"
#include "render/TextureManager.h"

namespace
{
constexpr const char* BUBBLE = "bubble.tga";
constexpr const char* STAR = "star.tga";

void RestoreSpriteTexture(const CString& strPath, CDirect3DDevice* pDevice)
{
    if (SUCCEEDED(CreateTexture(strPath.GetString())) && pDevice != nullptr)
        RestoreTexture(strPath.GetString(), pDevice);
}
} // namespace

std::array<float, 3> PocketEffectColour(int nBall)
{
    static constexpr BYTE COLOURS[9][3] = {{255, 255, 255}, {196, 196, 31}, {46, 46, 240},
                                           {221, 37, 37},   {186, 37, 186}, {242, 110, 37},
                                           {37, 118, 37},   {112, 67, 35},  {37, 37, 37}};
    const BYTE* p = COLOURS[nBall == 8 ? 8 : ((nBall % 8) + 8) % 8];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
}

bool IsPocketEffectShown(const CParticleSystem& effect)
{
    const int nLevel = effect.GetRate();
    return (nLevel > 0 && nLevel < effect.GetMaxParticles() + 50) || effect.GetLiveCount() > 0;
}

CString FindSpriteTexture(const CString& strDataFolder, const CString& strProgramFolder, const char* szFile)
{
    const CString strData = strDataFolder + szFile;
    if (!strDataFolder.IsEmpty() && GetFileAttributes(strData.GetString()) != INVALID_FILE_ATTRIBUTES)
        return strData;
    return strProgramFolder + szFile;
}

std::vector<std::unique_ptr<CParticleSystem>>
CreateSpriteEffects(CDirect3DDevice* pDevice, const CString& strDataFolder, const CString& strProgramFolder)
{
    const CString strBubble = FindSpriteTexture(strDataFolder, strProgramFolder, BUBBLE);
    const CString strStar = FindSpriteTexture(strDataFolder, strProgramFolder, STAR);
    std::vector<std::unique_ptr<CParticleSystem>> systems;
    systems.push_back(std::make_unique<CParticleSystemA>(250, strBubble.GetString()));
    for (std::size_t i = 0; i < SPRITE_POCKET_COUNT; ++i)
        systems.push_back(std::make_unique<CParticleSystemB>(0, 50, strStar.GetString()));
    systems.push_back(std::make_unique<CParticleSystemC>(50, strBubble.GetString()));
    RestoreSpriteTexture(strBubble, pDevice);
    RestoreSpriteTexture(strStar, pDevice);
    // Additive bubbles need more than 16 bits to look right; without them the effects are off.
    const TextureContainer* pBubble = FindTexture(strBubble.GetString());
    if (g_Settings.m_nParticles >= 1 && pBubble != nullptr && pBubble->dwBPP <= 16)
    {
        g_Settings.m_nParticles = 0;
        g_Settings.Save();
    }
    return systems;
}
