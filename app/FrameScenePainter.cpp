// The frame painter's 3-D steps: the room's objects before the table and after it, the table's
// sides behind the balls and in front of them by the camera's heading, the balls in their groups
// (on the cloth, in the pockets' jaws, off the table) or split around the trophy, the trophy with
// the player's medal, and the table's watermark.
#include "app/FrameHud.h"
#include "app/FramePlacement.h"
#include "app/MainFrame.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/dx/Device.h"
#include "render/CameraFlight.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "ui/SceneOrder.h"

namespace
{
/// A ball at this height or lower (engine metres) has left the table.
constexpr float OFF_TABLE_Z = -0.1f;
/// The lamp over the table, whose light casts the balls' shadows.
constexpr const char* MAIN_LAMP_NAME = "Down";
/// The grey of the ambient light the balls are drawn in.
constexpr int BALL_GROUP_AMBIENT = 150;

/// The trophy's medal of each trophy setting 1 to 3: bronze for the first, silver, gold.
constexpr const char* MEDAL_PICTURES[] = {"bronze.bmp", "silver.bmp", "gold.bmp"};

/// The medal of a trophy setting; null for none (0, or a value out of range).
const char* MedalPicture(int nTrophy)
{
    return nTrophy >= 1 && nTrophy <= static_cast<int>(std::size(MEDAL_PICTURES))
               ? MEDAL_PICTURES[static_cast<std::size_t>(nTrophy - 1)]
               : nullptr;
}

/// The middle of an object's box.
CVector3 BoxCentre(const CSceneObject& object)
{
    SBox box;
    if (!object.GetBox(box))
        return {};
    return (box.vMin + box.vMax) * 0.5f;
}

/// The grey the objects are drawn in without the device's lighting.
constexpr int LAMPLESS_COLOUR_VALUE = 200;

/// The cloth's rectangle in the scene.
STableBounds SceneTableBounds()
{
    const CVector3 vA = TableToScene(CVector3(0.0f, 0.0f, 0.0f));
    const CVector3 vB = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f));
    return STableBounds{std::min(vA.x, vB.x), std::min(vA.z, vB.z), std::max(vA.x, vB.x), std::max(vA.z, vB.z)};
}

/// The middle of the cloth in the scene, at the floor's height.
CVector3 SceneTableCentre()
{
    const STableBounds bounds = SceneTableBounds();
    return CVector3((bounds.fMinX + bounds.fMaxX) / 2, 0.0f, (bounds.fMinZ + bounds.fMaxZ) / 2);
}

/// Whether the live engine has the ball off the table: pocketed or dropped below the cloth.
bool IsOffTable(int nBall)
{
    const CBall* pBall = g_BallEngineMain.FindBall(nBall);
    return pBall != nullptr && (pBall->IsPocketed() || pBall->GetPosition()->z <= OFF_TABLE_Z);
}
} // namespace

bool CMainFrame::IsCameraAboveTable() const { return GetViewEye().y >= SCENE_BED_HEIGHT - 0.1f; }

int CMainFrame::ApplyObjectMaterial(CBallSceneObject* pObject, float fLevel, int nFlags)
{
    if (pObject == nullptr)
        return 0;
    // The shadow falls from the lamp over the table, on the plane of the ball's level.
    return pObject->UpdateShadow(fLevel, m_LightSource.FindByName(MAIN_LAMP_NAME), (nFlags & 1) != 0);
}

float CMainFrame::ShadowLevel(int nBall) const
{
    const CBall* pBall = g_BallEngineMain.FindBall(nBall);
    return pBall != nullptr && pBall->GetPosition()->z < OFF_TABLE_Z ? GetLevelB() : GetLevelA();
}

void CMainFrame::RefreshBallObjects()
{
    for (CBallSceneObject* pObject : m_pGameFlow->BallObjects().Drawn())
        if (g_BallEngineMain.FindBall(pObject->m_nBall) != nullptr)
            ApplyObjectMaterial(pObject, ShadowLevel(pObject->m_nBall), 1);
}

void CMainFrame::DrawBallShadows()
{
    CDirect3DDevice* pDevice = m_pFramework->GetD3DDevice();
    if (pDevice == nullptr)
        return;
    // The shadows darken what lies below the balls and hide nothing drawn after them.
    DWORD dwZWrite = TRUE, dwBlend = TRUE, dwSource = D3DBLEND_ONE, dwDest = D3DBLEND_ONE;
    pDevice->GetRenderState(D3DRENDERSTATE_ZWRITEENABLE, &dwZWrite);
    pDevice->GetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, &dwBlend);
    pDevice->GetRenderState(D3DRENDERSTATE_SRCBLEND, &dwSource);
    pDevice->GetRenderState(D3DRENDERSTATE_DESTBLEND, &dwDest);
    pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    const CVector3 vEye = GetViewEye();
    for (const SSceneBall& ball : m_aBallGroup)
    {
        CBallSceneObject& object = m_pGameFlow->BallObjects().Get(ball.nBall);
        ApplyObjectMaterial(&object, ShadowLevel(ball.nBall), 1);
        // Nearer than the painter paints a ball, no shadow is drawn either.
        const auto fDistance = static_cast<float>((ball.vCentre - vEye).Length());
        if (fDistance > 0.0f && g_fBallPixelSize / fDistance < BALL_MAX_PAINT_SIZE)
            object.SelectShadowTexture(*pDevice, fDistance);
    }
    pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, dwZWrite);
    pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, dwBlend);
    pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, dwSource);
    pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, dwDest);
}

void CMainFrame::LightSceneObjects()
{
    const bool bLighting = g_Settings.m_nAdvancedLighting != 0;
    for (CSceneObject* pObject = CSceneObject::GetFirst(); pObject != nullptr; pObject = pObject->GetNext())
    {
        const bool bEnabled = pObject->IsEnabled() != 0;
        pObject->SetOwnLights(bEnabled && bLighting);
        if (bEnabled && !bLighting)
            pObject->m_nAmbient = LAMPLESS_COLOUR_VALUE;
    }
}

void CMainFrame::RestoreObjectColours()
{
    if (g_Settings.m_nAdvancedLighting != 0)
        return;
    for (CSceneObject* pObject = CSceneObject::GetFirst(); pObject != nullptr; pObject = pObject->GetNext())
        pObject->m_nAmbient = pObject->m_nAmbientCopy;
}

void CMainFrame::DrawScenePass(EScenePass pass, bool bSplit)
{
    if (m_pFramework == nullptr)
        return;
    const int nTableOrder = m_rackScene.GetTableOrder();
    m_rackScene.DrawObjects(
        *m_pFramework, [&](const CSceneObject& object)
        { return IsInScenePass(pass, object.m_nId, object.m_nParam8, object.m_bFlag, nTableOrder, bSplit); });
    if (pass == EScenePass::Background)
        m_rackScene.DrawClockHands(*m_pFramework);
}

void CMainFrame::DrawTableSides(bool bFar)
{
    if (m_pFramework == nullptr)
        return;
    const STableSides sides = GetTableSides(GetCameraHeading(), bFar);
    for (const ETableSide side : sides.Get())
        m_rackScene.DrawObjects(*m_pFramework, [side](const CSceneObject& object)
                                { return object.m_nId == TABLE_SIDE_KINDS[static_cast<std::size_t>(side)]; });
}

void CMainFrame::DrawBallGroup(EBallPlace place, int nFlags)
{
    if (m_pFramework == nullptr || !IsCameraAboveTable())
        return;
    const STableBounds bounds = SceneTableBounds();
    m_aBallGroup.clear();
    for (const SSceneBall& ball : m_rackScene.GetBalls())
        if (GetBallPlace(ball.vCentre.x, ball.vCentre.z, IsOffTable(ball.nBall), bounds) == place)
            m_aBallGroup.push_back(ball);
    DrawGatheredBalls(place == EBallPlace::Inside, nFlags);
}

void CMainFrame::DrawBallSet(std::span<const int> set, bool bFirst, int nFlags)
{
    if (m_pFramework == nullptr || !IsCameraAboveTable())
        return;
    m_aBallGroup.clear();
    for (const SSceneBall& ball : m_rackScene.GetBalls())
        if (std::ranges::find(set, ball.nBall) != set.end())
            m_aBallGroup.push_back(ball);
    DrawGatheredBalls(bFirst, nFlags);
}

void CMainFrame::DrawGatheredBalls(bool bFirst, int nFlags)
{
    // A ball taken up casts its shadow onto the cloth under it, below the balls painted there, in
    // the room's own light.
    if (bFirst && m_pPlacement != nullptr && m_pFramework->GetD3DDevice() != nullptr)
        m_pPlacement->DrawShadow(*m_pFramework->GetD3DDevice(), m_pGameFlow->Camera().vPosition);
    // The group is drawn in a raised ambient light, its shadows first and the balls over them.
    CAmbientLightSave ambient;
    ambient.Override(m_pFramework->GetD3DDevice(), BALL_GROUP_AMBIENT, m_pFramework->GetD3DDevice() == nullptr);
    DrawBallShadows();
    // Flags 3: the view did not change, so unchanged balls are copied from their images.
    g_BallPainter.SetViewChanged(nFlags != 3);
    m_rackScene.PaintBalls(*m_pFramework, g_BallPainter, m_aBallGroup);
    ambient.Restore();
}

void CMainFrame::DrawWatermarkObject()
{
    if (m_pFramework != nullptr)
        m_rackScene.DrawObjects(*m_pFramework,
                                [](const CSceneObject& object) { return object.m_nId == KIND_WATERMARK; });
}

CSceneObject* CMainFrame::GetShownTrophy() const
{
    // The trophy stands only for a player who holds one.
    CSceneObject* pTrophy = CSceneObject::FindSceneObjectByKind(KIND_TROPHY);
    return pTrophy != nullptr && pTrophy->IsEnabled() && MedalPicture(g_Settings.m_nTrophy) != nullptr ? pTrophy
                                                                                                       : nullptr;
}

float CMainFrame::GetTrophyHeading(const CSceneObject& trophy) const
{
    const CVector3 vTrophy = BoxCentre(trophy), vTable = SceneTableCentre();
    return HeadingTowards(vTrophy.x - vTable.x, vTrophy.z - vTable.z);
}

bool CMainFrame::IsBallSplitByTrophy() const
{
    const CSceneObject* pTrophy = GetShownTrophy();
    if (pTrophy == nullptr || (g_nGameMode & (gmKeepView | modeCallShot)) != 0)
        return false;
    // The wide view of the X key held, as this frame's wide-view step found it.
    return !m_bWideViewKey && GetTrophyHeading(*pTrophy) != GetCameraHeading();
}

bool CMainFrame::IsBallBeforeObject(const CVector3& vBall, const CSceneObject& object) const
{
    // The object's plane stands upright through its middle, facing the table. A ball is before it
    // when, seen along the sight line from the eye, it lies on the eye's side of that plane.
    const CVector3 vCentre = BoxCentre(object), vTable = SceneTableCentre();
    const CVector3 vNormal(vTable.x - vCentre.x, 0.0f, vTable.z - vCentre.z);
    const CVector3 vEye = GetViewEye() - vCentre;
    const CVector3 vAt = vBall - vCentre;
    return (Vec3Dot(&vNormal, &vEye) >= 0.0) == (Vec3Dot(&vNormal, &vAt) >= 0.0);
}

void CMainFrame::SplitBallsAroundTrophy(SBallSplit& split) const
{
    split.Clear();
    const CSceneObject* pTrophy = GetShownTrophy();
    if (pTrophy == nullptr)
        return;
    const CVector3 vEye = GetViewEye();
    const CVector3 vTrophy = BoxCentre(*pTrophy);
    std::vector<SSplitBall> balls;
    for (const SSceneBall& ball : m_rackScene.GetBalls())
        balls.push_back(SSplitBall{ball.nBall, static_cast<float>((ball.vCentre - vEye).Length()),
                                   IsBallBeforeObject(ball.vCentre, *pTrophy)});
    float d = GetTrophyHeading(*pTrophy) - GetCameraHeading();
    if (d < 0.0f)
        d += 360.0f;
    SplitBallsByHeading(d, static_cast<float>((vTrophy - vEye).Length()), balls, split);
}

void CMainFrame::DrawTrophy()
{
    CSceneObject* pTrophy = GetShownTrophy();
    if (pTrophy == nullptr || m_pFramework == nullptr)
        return;
    // The medal is set while it is player 1's turn, and kept through player 2's.
    const char* szMedal = MedalPicture(g_Settings.m_nTrophy);
    CFrameHud& hud = GetHud();
    if (m_pGameFlow->IsPlayer1Current() && hud.m_strTrophy != szMedal)
    {
        pTrophy->SetImage(szMedal);
        // The frame being drawn shows the medal already.
        ReloadTexture(szMedal, m_pFramework->GetD3DDevice());
        hud.m_strTrophy = szMedal;
    }
    m_rackScene.DrawObjects(*m_pFramework, [pTrophy](const CSceneObject& object) { return &object == pTrophy; });
}
