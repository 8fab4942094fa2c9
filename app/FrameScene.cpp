// The main frame's scene for the game: the ball set and colour table of the game's variant, the
// balls placed in the table scene where the live engine has them and the scene's cue behind the
// cue ball, each frame; the cue as the obstruction test sees it; the room's box that holds the
// camera; and the particle effects: sparkles and smoke behind the struck ball while the shot runs,
// stars of its own at the pocket a ball drops into.
#include "app/FramePlacement.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Folders.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "foundation/TableMap.h"
#include "gameflow/CallShotState.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/GameFlow.h"
#include "media/AviClips.h"
#include "platform/dx/Device.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/SceneRecords.h"
#include "render/SpriteEffects.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/CueBall.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/TableParts.h"

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

/// The mesh of every ball object.
constexpr const char* BALL_MESH = "Ball.x";
/// The pocket arrow's scene line and its clip, drawn into the arrow's texture.
constexpr const char* POCKET_ARROW_RECORD =
    "0x200, PocketArrow,  Arrow.x,   0,0,0, 1, 10,  -1, -1, 0, 0,  -1,   0,    220, 0;";
constexpr const char* POCKET_ARROW_CLIP = "arrow.avi";
constexpr const char* POCKET_ARROW_TEXTURE = "arrow.bmp";
/// How far above the cloth the arrow's tip stands over the called pocket, before it bobs.
constexpr float POCKET_ARROW_HEIGHT = 1.0f;

/// The scene object of number 32, marked shown after every judged shot.
constexpr int SHOWN_OBJECT_ID = 0x20;
/// The scene's cue: its object's number in the scene text, its thickness (twice the butt's radius)
/// and length, inches, as the cue mesh is made.
constexpr int CUE_OBJECT_ID = 0x2;
constexpr float CUE_THICKNESS = 1.2f;
constexpr float CUE_LENGTH = 57.0f;
constexpr float INCHES_PER_METRE = 1.0f / 0.0254f;
/// A ball's radius in the scene.
constexpr float SCENE_BALL_RADIUS = BALL_RADIUS_M * INCHES_PER_METRE;
/// How high the rails stand over the cloth: the cushion's nose and a ball's radius above it.
constexpr float RAIL_TOP_M = CUSHION_NOSE_HEIGHT_M + BALL_RADIUS_M;

/// The engine's table points mapped into the scene for the table parts' path tests.
CTableMap SceneTableMap()
{
    const CVector3 vNear = TableToScene(CVector3(0.0f, 0.0f, 0.0f));
    const CVector3 vFar = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f));
    CTableMap map;
    map.m_fLeft = 0.0f;
    map.m_fRight = TABLE_WIDTH_M;
    map.m_fTop = 0.0f;
    map.m_fBottom = TABLE_LENGTH_M;
    map.m_dLeftX = vNear.x;
    map.m_dRightX = vFar.x;
    map.m_dTopZ = vNear.z;
    map.m_dBottomZ = vFar.z;
    return map;
}
} // namespace

/// The cue as the game has it: its aim, elevation, english and pull-back are the game flow's,
/// its pose is the scene's cue object's (kept here as well, for a scene without one), and the
/// pockets, cushions and balls are the live engine's.
class CFrameCueScene : public ICueScene
{
public:
    explicit CFrameCueScene(CGameFlow& flow) : m_Flow(flow), m_Map(SceneTableMap()) {}

    SCueAim GetCueAim() const override
    {
        const SCueStroke& cue = m_Flow.Cue();
        SCueAim aim;
        aim.fYaw = cue.fAim;
        aim.fPitch = cue.fElevation;
        aim.fEnglishYaw = cue.fTipX;
        aim.fEnglishPitch = cue.fTipY;
        aim.fTipOffset = SCENE_BALL_RADIUS;
        aim.fDistance = SCENE_BALL_RADIUS + cue.fPullBack;
        return aim;
    }
    void SetCueAim(const SCueAim& aim) override
    {
        SCueStroke& cue = m_Flow.Cue();
        cue.fAim = aim.fYaw;
        cue.fElevation = aim.fPitch;
        cue.fTipX = aim.fEnglishYaw;
        cue.fTipY = aim.fEnglishPitch;
    }
    SCuePose GetCuePose() const override { return m_Pose; }
    void SetCuePose(const SCuePose& pose) override
    {
        m_Pose = pose;
        CSceneObject* pCue = CSceneObject::FindSceneObjectByKind(CUE_OBJECT_ID);
        if (pCue == nullptr)
            return;
        // The frame moves by its own terms: from where it stands to the pose, turned to face it.
        CVector3 vNow;
        pCue->GetPosition(nullptr, vNow);
        pCue->Move(pose.vPosition.x - vNow.x, pose.vPosition.y - vNow.y, pose.vPosition.z - vNow.z);
        pCue->Turn(pose.vDirection, pose.vUp);
    }
    bool GetCueBallCentre(CVector3& v) const override
    {
        return m_Flow.HasCueBall() && m_Flow.GetBallScenePosition(GetCueBallNumber(), v);
    }
    float GetCueThickness() const override { return CUE_THICKNESS; }
    float GetCueLength() const override { return CUE_LENGTH; }
    float GetPullBack() const override { return m_Flow.Cue().fPullBack; }
    bool SegmentTouchesTable(const CVector3& vA, const CVector3& vB) const override
    {
        const float fRailTop = TableToScene(CVector3(0.0f, 0.0f, RAIL_TOP_M)).y;
        CBallEngine& engine = m_Flow.Engine();
        for (int i = 0; i < POCKET_COUNT; ++i)
            if (CWorldObject* pPocket = engine.GetWorldObject(i);
                pPocket != nullptr && pPocket->TestPath(vA, vB, fRailTop, &m_Map, nullptr))
                return true;
        for (int i = 0; i < CUSHION_COUNT; ++i)
            if (const CCushion* pCushion = engine.GetCushion(i); pCushion != nullptr)
            {
                // The path test notes its last hit in the part; a copy keeps the engine's as it is.
                CCushion cushion = *pCushion;
                if (cushion.TestPath(vA, vB, fRailTop, &m_Map, nullptr))
                    return true;
            }
        return false;
    }
    bool AnyOtherBall(const std::function<bool(const CVector3&, float)>& visit) const override
    {
        const int nCueBall = GetCueBallNumber();
        for (const CBallSceneObject* pObject : m_Flow.BallObjects().Drawn())
        {
            CVector3 vCentre;
            if (pObject->m_nBall != nCueBall && m_Flow.GetBallScenePosition(pObject->m_nBall, vCentre) &&
                visit(vCentre, SCENE_BALL_RADIUS))
                return true;
        }
        return false;
    }

    /// The cue behind the cue ball for the aim as it stands.
    void UpdateCue()
    {
        CVector3 vBall;
        if (GetCueBallCentre(vBall))
            SetCuePose(ComputeCuePose(vBall, GetCueAim()));
    }

private:
    CGameFlow& m_Flow;
    CTableMap m_Map;
    SCuePose m_Pose;
};

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
        g_BallPainter.SetBallColours(colours);
    g_BallPainter.ResetBallImages();
    return g_BallPainter.LoadBallTextures(rec.m_strLibrary.GetString(), rec.m_strField2.GetString());
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
    g_BallPainter.FreeBallTextures();
    return SelectVariant();
}

void CMainFrame::PlaceBallObjects()
{
    if (!m_bGameInProgress)
        return;
    // The balls may have been moved outside a shot (placed, dragged, put back): each frame they
    // are placed again.
    m_pGameFlow->RefreshBallObjects();
    // Only balls the live engine holds are painted, where it has them.
    std::vector<SSceneBall> balls = m_pGameFlow->BallObjects().DrawnPoses();
    std::erase_if(balls, [](const SSceneBall& ball) { return g_BallEngineMain.FindBall(ball.nBall) == nullptr; });
    // A ball taken up is drawn where it is held, above the cloth.
    int nLifted = -1;
    if (CVector3 vLifted; m_pPlacement != nullptr && m_pPlacement->GetLiftedBall(nLifted, vLifted))
        for (SSceneBall& ball : balls)
            if (ball.nBall == nLifted)
                ball.vCentre = vLifted;
    m_rackScene.SetBalls(std::move(balls));
    // The computer's stroke draws the cue back and forth without aiming again.
    AlignCue();
}

CFrameCueScene& CMainFrame::FrameCueScene()
{
    if (!m_pCueScene)
        m_pCueScene = std::make_shared<CFrameCueScene>(*m_pGameFlow);
    return *m_pCueScene;
}

void CMainFrame::AlignCue()
{
    FrameCueScene().UpdateCue();
    m_pGameFlow->TurnCueBallToAim();
}

std::vector<CSceneObjectC*> CMainFrame::SceneCues() const
{
    std::vector<CSceneObjectC*> cues;
    for (CSceneObject* p = CSceneObject::FindSceneObjectByKind(CUE_OBJECT_ID); p != nullptr;
         p = CSceneObject::FindSceneObjectByKind(CUE_OBJECT_ID, p))
        if (auto* pCue = dynamic_cast<CSceneObjectC*>(p); pCue != nullptr)
            cues.push_back(pCue);
    return cues;
}

void CMainFrame::RefreshCue()
{
    // The cue shows at the detail levels that show it, and then not while a shot runs. A ball
    // placed freely may be any ball: the cue would only stand in its way.
    const bool bPlacing = GetModeField() == modePlaceCueBall;
    for (CSceneObjectC* pCue : SceneCues())
        if (!bPlacing && pCue->m_nLevel <= g_Settings.m_nDrawLevel)
            pCue->ShowUnlessFlagged(g_nGameMode);
        else
            pCue->Hide();
}

void CMainFrame::ApplyCueStrokeRange()
{
    // The scene's cue gives the stroke's range; a scene without one strokes as a cue of its size would.
    const std::vector<CSceneObjectC*> cues = SceneCues();
    SCueStroke& cue = m_pGameFlow->Cue();
    cue.fMax = cues.empty() ? CSceneObjectC::StrokeLength(SCENE_BALL_RADIUS) : cues.front()->GetStrokeLength();
    cue.fMin = cues.empty() ? CSceneObjectC::MinPullBack(SCENE_BALL_RADIUS) : cues.front()->GetMinPullBack();
    cue.fPullBack = cue.fMin;
}

void CMainFrame::RestoreCueObject(const CViewRecord& view)
{
    if (!view.IsValid())
        return;
    for (CSceneObjectC* pCue : SceneCues())
        pCue->RestoreState(view.m_vCue.x, view.m_vCue.y, pCue->GetSize());
}

void CMainFrame::ClampCameraToRoom(CVector3& vPosition, const CVector3& vFrom)
{
    m_rackScene.GetCamera().ClampToBounds(vPosition, vPosition, vFrom);
}

bool CMainFrame::IsCameraBlocked(const SFlowCamera& camera)
{
    return !m_rackScene.GetCamera().IsInsideBounds(camera.vPosition);
}

ICueScene* CMainFrame::GetCueScene() { return &FrameCueScene(); }

void CMainFrame::ReloadFelt()
{
    g_crClothColor = static_cast<COLORREF>(g_Settings.m_nTableColor);
    CDirect3DDevice* pDevice = m_pFramework != nullptr ? m_pFramework->GetD3DDevice() : nullptr;
    // Without a device the felt is made in this colour when the device's textures are.
    if (pDevice != nullptr && FAILED(LoadFeltTextures(pDevice)))
        OutputDebugString("Felt: the felt textures could not be made again; the old ones stay\n");
}

CSceneObject* CMainFrame::AddPocketArrow()
{
    if (m_pPocketArrow)
        return m_pPocketArrow.get();
    CSceneObjectRec rec;
    rec.Parse(POCKET_ARROW_RECORD);
    m_pPocketArrow = std::make_unique<CSceneObject>();
    m_pPocketArrow->LoadMesh(rec.m_strFile.GetString());
    m_pPocketArrow->ApplyRecord(rec);
    // It shows once a called pocket places it, and its clip plays while it shows.
    m_pPocketArrow->SetEnabled(false);
    m_pPocketArrow->m_nClip = AddTextureClip(POCKET_ARROW_CLIP, POCKET_ARROW_TEXTURE, 0, 0);
    return m_pPocketArrow.get();
}

int CMainFrame::AddTextureClip(const CString& strClip, const CString& strTexture, int nLevel, int nStillFrame)
{
    // The clip plays on the texture from its first frame; without it the texture stays.
    const CString strPath = GetProgramFolder() + "Artwork\\" + strClip;
    const int nClip = CAviClipList::AddClip(strPath.GetString(), strTexture.GetString(), nLevel, nStillFrame);
    CDirect3DDevice* pDevice = m_pFramework != nullptr ? m_pFramework->GetD3DDevice() : nullptr;
    if (CAviClip* pClip = CAviClipList::GetClip(nClip); pClip != nullptr && pDevice != nullptr)
        pClip->DrawFrame(0, strTexture.GetString(), pDevice);
    else if (nClip < 0)
        OutputDebugString(("Scene: no clip " + strPath.Str() + "\n").c_str());
    return nClip;
}

BOOL CMainFrame::SetUpGameScene()
{
    if (m_pFramework == nullptr || !m_rackScene.SetUp(*m_pFramework))
        return FALSE;
    SelectTableSet(g_Settings.m_nTableNumber);
    ApplyLinkNames();
    m_sceneAnimation.SetClock(m_rackScene.GetClock());
    g_BallPainter.SetHighlight(95, 255.0);
    SetUpLights();
    BuildBallObjects();
    for (CSceneObjectC* pCue : SceneCues())
        pCue->SetSize(SCENE_BALL_RADIUS);
    // Each object whose line names a clip shows it on the clip's texture.
    const std::vector<CAnimationRec>& clips = m_rackScene.GetAnimations();
    // From here on an object names its clip by its place in the clip list, which the frames' clip
    // updates go by: a line naming no animation, or a clip that does not open, leaves it none.
    for (const auto& pObject : m_rackScene.GetObjects())
    {
        if (pObject->m_nClip < 0)
            continue;
        if (pObject->m_nClip >= static_cast<int>(clips.size()))
        {
            pObject->m_nClip = -1;
            continue;
        }
        const CAnimationRec& clip = clips[static_cast<std::size_t>(pObject->m_nClip)];
        pObject->m_nClip = AddTextureClip(clip.m_strName, clip.m_strFile, clip.m_nValue1, clip.m_nValue2);
    }
    return TRUE;
}

void CMainFrame::SetUpLights()
{
    CDirect3DDevice* pDevice = m_pFramework->GetD3DDevice();
    if (!m_rackScene.HasLightLines())
        for (const CString& strName : g_astrLightNames)
            m_LightSource.ApplyLine(m_LightSource.GetDefaultLine(strName.GetString()), pDevice);
    const bool bRealistic = g_Settings.m_nAdvancedLighting != 0;
    if (m_LightSource.LoadIni(bRealistic, pDevice) > 0)
        OutputDebugString("Lights: the lamps of the lights' ini\n");
    else if (m_LightSource.SaveIni(bRealistic) == 0)
        OutputDebugString("Lights: the lamps could not be kept in the lights' ini\n");
    bool bAnyOn = false;
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        bAnyOn = bAnyOn || CLightTable::GetOnFlag(i);
    if (!bAnyOn)
    {
        OutputDebugString("Lights: no lamp is lit; the two default lights\n");
        CreateDefaultLights(0, TRUE);
    }
}

void CMainFrame::BuildBallObjects()
{
    g_bBallOption = g_Settings.m_nNonPolygonalBalls != 0;
    const CSceneObjectRec& rec = m_rackScene.GetBallTemplate();
    for (int n = 0; n < CBallObjects::BALL_OBJECTS; ++n)
    {
        CBallSceneObject& ball = m_pGameFlow->BallObjects().Get(n);
        ball.LoadMesh(ball.m_fScale, n, BALL_MESH, 0, false);
        for (const BYTE nLight : rec.m_aLights)
            ball.AddLightNumber(nLight);
        ball.SetImage(nullptr);
        ball.SetEnabled(true);
        m_pGameFlow->PlaceBallObject(n); // where the live engine has it, if it does
    }
}

void CMainFrame::UpdatePocketArrow()
{
    CSceneObject* pArrow = AddPocketArrow();
    const int nPocket = GetCalledPocket();
    if (g_pCallShotState == nullptr || nPocket < 0 || nPocket >= POCKET_COUNT)
        return;
    CVector3 vAt = TableToScene(m_pGameFlow->Engine().GetCushionPoint(nPocket));
    vAt.y = SCENE_BED_HEIGHT + POCKET_ARROW_HEIGHT;
    // The frame moves by its own terms: from where it stands to the pocket.
    CVector3 vNow;
    pArrow->GetPosition(nullptr, vNow);
    pArrow->Move(vAt.x - vNow.x, vAt.y - vNow.y, vAt.z - vNow.z);
    pArrow->SetEnabled(true);
    // The animation bobs it over its height above the table's bed.
    const CSceneObject* pTable = GetTableObject();
    CVector3 vTable;
    if (pTable != nullptr)
        pTable->GetPosition(nullptr, vTable);
    m_sceneAnimation.SetFloatingObject(pArrow, pTable, vAt.y - vTable.y);
}

void CMainFrame::MarkSceneShown()
{
    if (auto* pObject = dynamic_cast<CSceneObjectB*>(CSceneObject::FindSceneObjectByKind(SHOWN_OBJECT_ID));
        pObject != nullptr)
        pObject->SetShown(true);
}

void CMainFrame::HidePocketArrow()
{
    if (m_pPocketArrow)
        m_pPocketArrow->SetEnabled(false);
}

void CMainFrame::DrawPocketArrow(int nFlags)
{
    (void)nFlags; // the arrow's look does not depend on the view having changed
    if (!m_pPocketArrow || !m_pPocketArrow->IsEnabled())
        return;
    // An arrow over a pocket no longer called would point the player to the wrong pocket.
    if (g_pCallShotState == nullptr || GetCalledPocket() < 0)
    {
        HidePocketArrow();
        return;
    }
    CDirect3DDevice* pDevice = m_pFramework != nullptr ? m_pFramework->GetD3DDevice() : nullptr;
    if (pDevice != nullptr && m_pFramework->GetViewport() != nullptr)
        m_pPocketArrow->Render(*pDevice, *m_pFramework->GetViewport(), false);
}

float CMainFrame::GetCameraHeading() const
{
    if (m_bGameInProgress && m_pGameFlow != nullptr)
    {
        const SFlowCamera& camera = m_pGameFlow->Camera();
        if ((camera.vPosition - camera.vLookAt).LengthSq() >= 1e-6)
            return camera.fYaw;
    }
    return m_rackScene.GetCamera().m_fYaw;
}

BOOL CMainFrame::ViewFromFlowCamera()
{
    if (!m_bGameInProgress || m_pGameFlow == nullptr)
        return FALSE;
    const SFlowCamera camera = m_pGameFlow->GetViewCamera();
    // An orbit of no length has not been placed yet: the table's own view stays.
    if ((camera.vPosition - camera.vLookAt).LengthSq() < 1e-6)
        return FALSE;
    MatrixLookAt(g_matView, camera.vPosition, camera.vDirection, camera.vUp);
    // Flights and the follow camera move the camera without the aim's placing it: the listener
    // goes with the view every frame.
    PlaceCamera(camera);
    return TRUE;
}

void CMainFrame::PlaceCamera(const SFlowCamera& camera)
{
    // Effects are panned by where they lie seen from the camera, so that a ball to the left of the
    // view sounds from the left from either end of the table.
    const auto same = [](const CVector3& a, const CVector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    if (same(camera.vPosition, m_vListenerAt) && same(camera.vDirection, m_vListenerFront))
        return;
    m_vListenerAt = camera.vPosition;
    m_vListenerFront = camera.vDirection;
    m_Sound.SetListener(camera.vPosition, camera.vDirection);
}

void CMainFrame::StartPocketEffect(int nBall, int nPocket)
{
    if (nPocket < 0 || nPocket >= static_cast<int>(SPRITE_POCKET_COUNT) || m_apSpriteEffects.size() < SPRITE_COUNT)
        return;
    // Each pocket has stars of its own: a drop elsewhere while they fly takes none of them.
    CParticleSystem& stars = *m_apSpriteEffects[SPRITE_POCKET + static_cast<std::size_t>(nPocket)];
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
    if (pDevice == nullptr || m_apSpriteEffects.size() < SPRITE_COUNT || g_Settings.m_nParticles <= 1)
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
    for (std::size_t i = SPRITE_POCKET; i < SPRITE_POCKET + SPRITE_POCKET_COUNT; ++i)
        if (IsPocketEffectShown(*m_apSpriteEffects[i]))
            AdvanceAndDraw(*m_apSpriteEffects[i], dwNow, *pDevice);
}
