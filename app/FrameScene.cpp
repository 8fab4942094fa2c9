// The main frame's scene for the game: the ball set and colour table of the game's variant, the
// balls placed in the table scene where the live engine has them, each frame, and the particle
// effects: sparkles and smoke behind the struck ball while the shot runs, stars where a ball drops.
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/Device.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/SpriteEffects.h"
#include "render/TableSpace.h"
#include "render/TextureSet.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"
#include "simulation/GamePlugins.h"

#include <cstdint>

namespace
{
/// Closer than this the camera is at the ball itself: the struck ball leaves no effects behind.
constexpr float EFFECT_MIN_VIEW_DISTANCE = 6.0f;

/// Steps the system to now and draws what lives of it.
void AdvanceAndDraw(CParticleSystem& system, DWORD dwNow, CDirect3DDevice& device)
{
    system.Update(dwNow);
    if (system.GetLiveCount() > 0)
        system.Render(device, g_matView);
}

/// The ball sets' family flag: 0 for the pyramid, American and bonus games, 1 for the others.
int GetVariantFlag(int nGameType)
{
    return nGameType == GAME_PYRAMID || nGameType == GAME_AMERICAN || nGameType == GAME_BONUS ? 0 : 1;
}

/// The first ball set of that name (letter case ignored) and flag, -1 when there is none.
int FindBallSet(const CString& strName, int nFlag)
{
    for (int i = 0; i < g_textureSet.GetCount(); ++i)
    {
        const CTextureSetRec rec = g_textureSet.GetAt(i);
        if (rec.m_nValue == nFlag && rec.m_strName.CompareNoCase(strName) == 0)
            return i;
    }
    return -1;
}

/// A ball's axes in the scene from its two orientation vectors on the table.
D3DMATRIX SceneOrientation(const CBall& ball)
{
    CVector3 vOrY, vOrZ;
    ball.GetOrientation(vOrY, vOrZ);
    const CVector3 vY = TableDirectionToScene(vOrY).GetNormalized();
    const CVector3 vZ = TableDirectionToScene(vOrZ).GetNormalized();
    const CVector3 vX = vY.Cross(vZ).GetNormalized();
    D3DMATRIX m;
    MatrixSetIdentity(m);
    const CVector3* aAxes[] = {&vX, &vY, &vZ};
    for (int k = 0; k < 3; ++k)
    {
        m.m[k][0] = aAxes[k]->x;
        m.m[k][1] = aAxes[k]->y;
        m.m[k][2] = aAxes[k]->z;
    }
    return m;
}
} // namespace

BOOL LoadColorTables(LPCSTR szLibrary, LPCSTR szName, std::array<DWORD, 9>& colours)
{
    HMODULE hModule = LoadLibrary(szLibrary);
    if (hModule == nullptr)
        return FALSE;
    BOOL bOk = FALSE;
    if (HRSRC hInfo = FindResource(hModule, szName, "COLOR_TABLES"); hInfo != nullptr)
    {
        const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hInfo)));
        // Nine colours of three bytes each; a shorter table is refused whole.
        if (p != nullptr && SizeofResource(hModule, hInfo) >= colours.size() * 3)
        {
            for (std::size_t i = 0; i < colours.size(); ++i)
                colours[i] =
                    (static_cast<DWORD>(p[3 * i]) << 16) | (static_cast<DWORD>(p[3 * i + 1]) << 8) | p[3 * i + 2];
            bOk = TRUE;
        }
    }
    FreeLibrary(hModule);
    return bOk;
}

CString CMainFrame::GetVariantName() const
{
    const int nType = m_pGameFlow->GetGameType();
    if (nType == GAME_BONUS)
        return "bonus";
    if (nType == GAME_AMERICAN)
        return "american";
    if (CPluginGame* pGame = g_GamePlugins.GetGame(); pGame != nullptr)
    {
        std::int32_t nFlag = 0;
        if (const char* szName = pGame->GetTextureSetName(&nFlag); szName != nullptr)
            return szName;
    }
    return "standard";
}

BOOL CMainFrame::SelectVariant()
{
    const int nFlag = GetVariantFlag(g_Settings.m_nGameType);
    int nSet = FindBallSet(GetVariantName(), nFlag);
    if (nSet < 0)
        nSet = FindBallSet("standard", nFlag);
    if (nSet < 0)
        return FALSE;
    g_textureSet.m_nCurrent = nSet;
    const CTextureSetRec rec = g_textureSet.GetAt(nSet);
    std::array<DWORD, 9> colours = BALL_COLOURS;
    if (LoadColorTables(rec.m_strLibrary.GetString(), rec.m_strField4.GetString(), colours))
        m_ballPainter.SetBallColours(colours);
    m_ballPainter.ResetBallImages();
    return m_ballPainter.LoadBallTextures(rec.m_strLibrary.GetString(), rec.m_strField2.GetString());
}

BOOL CMainFrame::UpdateVariant()
{
    const int nCurrent = g_textureSet.m_nCurrent;
    if (nCurrent >= 0)
    {
        const CTextureSetRec rec = g_textureSet.GetAt(nCurrent);
        if (rec.m_nValue == GetVariantFlag(g_Settings.m_nGameType) &&
            rec.m_strName.CompareNoCase(GetVariantName()) == 0)
            return TRUE;
    }
    m_ballPainter.FreeBallTextures();
    return SelectVariant();
}

void CMainFrame::PlaceBallObjects()
{
    if (!m_bGameInProgress)
        return;
    std::vector<SSceneBall> balls;
    for (int n = 0; n < REFEREE_BALLS; ++n)
        if (const CBall* pBall = g_BallEngineMain.FindBall(n); pBall != nullptr)
            balls.push_back(SSceneBall{n, TableToScene(*pBall->GetPosition()), SceneOrientation(*pBall)});
    m_rackScene.SetBalls(std::move(balls));
}

BOOL CMainFrame::ViewFromFlowCamera()
{
    if (!m_bGameInProgress || m_pGameFlow == nullptr)
        return FALSE;
    const SFlowCamera& camera = m_pGameFlow->Camera();
    // An orbit of no length has not been placed yet: the table's own view stays.
    if ((camera.vPosition - camera.vLookAt).LengthSq() < 1e-6)
        return FALSE;
    MatrixLookAt(g_matView, camera.vPosition, camera.vDirection, camera.vUp);
    return TRUE;
}

void CMainFrame::StartPocketEffect(int nBall, int nPocket)
{
    if (m_apSpriteEffects.size() <= SPRITE_POCKET)
        return;
    CParticleSystem& stars = *m_apSpriteEffects[SPRITE_POCKET];
    CVector3 vPocket = g_BallEngineMain.GetCushionPoint(nPocket);
    vPocket.z = 0.0f; // on the cloth
    const DWORD dwNow = timeGetTime();
    stars.Update(dwNow); // the stars of an earlier drop go on from where they were
    stars.JumpTo(TableToScene(vPocket));
    stars.SetStartColour(PocketEffectColour(nBall));
    stars.Emit(stars.GetMaxParticles(), dwNow);
}

void CMainFrame::DrawEffects()
{
    CDirect3DDevice* pDevice = m_pFramework != nullptr ? m_pFramework->GetD3DDevice() : nullptr;
    if (pDevice == nullptr || m_apSpriteEffects.size() <= SPRITE_TRAIL || g_Settings.m_nParticles <= 1)
        return;
    const DWORD dwNow = timeGetTime();
    const CBall* pStruck = m_bGameInProgress ? g_BallEngineMain.FindBall(GetCueBallNumber()) : nullptr;
    const bool bFollow = pStruck != nullptr && (g_nGameMode & gmShotRunning) != 0 &&
                         m_pGameFlow->GetCameraDistance() > EFFECT_MIN_VIEW_DISTANCE;
    const CVector3 vStruck = pStruck != nullptr ? TableToScene(*pStruck->GetPosition()) : CVector3();
    if (g_Settings.m_nParticles > 2)
    {
        CParticleSystem& sparkles = *m_apSpriteEffects[SPRITE_FOLLOW];
        if (pStruck != nullptr)
            sparkles.MoveTo(vStruck.x, vStruck.y, vStruck.z);
        sparkles.SetEmitting(bFollow ? TRUE : FALSE);
        AdvanceAndDraw(sparkles, dwNow, *pDevice);
    }
    CParticleSystem& smoke = *m_apSpriteEffects[SPRITE_TRAIL];
    smoke.Update(dwNow);
    if (bFollow && pStruck->IsMoving())
    {
        smoke.JumpTo(vStruck);
        smoke.Emit(1, dwNow);
    }
    AdvanceAndDraw(smoke, dwNow, *pDevice);
    AdvanceAndDraw(*m_apSpriteEffects[SPRITE_POCKET], dwNow, *pDevice);
}
