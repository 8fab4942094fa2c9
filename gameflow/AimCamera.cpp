// The aiming camera: the orbit round the cue ball placed and turned, kept inside the room, the
// zoom's screen-size and room limits, and the lowest elevation at which the cue clears the table;
// the mouse's response curve and the program's aiming tuning texts it takes its defaults from.
#include "foundation/GlobalOrder.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/GameFlow.h"
#include "simulation/BallEngine.h"
#include "simulation/PointList.h"

#include <cmath>
#include <cstdlib>

namespace
{
/// The highest elevation the cue can take. Degrees.
constexpr float MAX_ELEVATION = 60.0f;
/// The elevation search stops once its step is below a tenth of this. Degrees.
constexpr double ELEVATION_TOLERANCE = 0.01;
} // namespace

VORN_GLOBAL_ROW(GLOBAL_ROW_AIM_TUNING_TEXTS)
std::array<CString, 15> g_astrAimTuning = {"",    "0.0004", "0.05", "0",  "0.03", "0", "0.3", "0",
                                           "0.1", "0.0",    "0.05", "30", "0.4",  "2", "1000"};
VORN_GLOBAL_ROW(GLOBAL_ROW_AIM_TUNING_TEXTS) std::array<CString, 17> g_astrAimSpare;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_AIM_TUNING_TEXTS);

float MouseResponse(float d, const CString& strQuad, const CString& strLinear)
{
    const float fQuad = static_cast<float>(std::atof(strQuad.GetString()));
    const float fLinear = static_cast<float>(std::atof(strLinear.GetString()));
    return d * fLinear + std::fabs(d) * d * fQuad;
}

bool CGameFlow::GetBallScenePosition(int nBall, CVector3& v) const
{
    CVector3 vTable;
    if ((m_wOnTable & RefereeBallBit(nBall)) == 0 || !m_Engine.GetBallPosition(nBall, vTable, nullptr))
        return false;
    v = BallToScene(vTable);
    return true;
}

float CGameFlow::GetBallScreenScale(int nBall) const
{
    CVector3 v;
    if (!GetBallScenePosition(nBall, v))
        return 0.0f;
    const float fDistance = (v - m_Camera.vPosition).Length();
    return fDistance > 0.0f ? m_fScreenScale / fDistance : 0.0f;
}

void CGameFlow::UpdateAimCamera(int nAlignCue)
{
    m_Camera.Place();
    if (m_Settings.nDrawLevel != 0)
        m_Host.ClampCameraToRoom(m_Camera.vPosition, m_Camera.vLookAt);
    m_Host.PlaceCamera(m_Camera);
    if (nAlignCue == 0)
        return;
    float fClear = 0.0f;
    FindClearElevation(&fClear);
    m_Cue.fElevation = std::max(m_Cue.fElevation, fClear);
    m_Host.AlignCue();
}

void CGameFlow::ResetCameraFraming()
{
    SFlowCamera rest;
    rest.fYaw = m_Camera.fYaw;
    rest.vLookAt = m_Camera.vLookAt;
    m_Camera = rest;
    UpdateAimCamera(0);
}

bool CGameFlow::TurnCueBallToAim()
{
    CVector3 vBall;
    if (HasGameFlag(gmShotRunning) || m_nGameType == GAME_BONUS || !HasCueBall() ||
        !GetBallScenePosition(m_nCueBall, vBall))
        return false;
    // The ball faces the point on the cue's line behind it: round the ball by the aim and up by
    // the cue's elevation, as the cue itself stands.
    SCueAim aim;
    aim.fYaw = m_Cue.fAim;
    aim.fPitch = m_Cue.fElevation;
    aim.fDistance = 1.0f;
    const CVector3 vFacing = (ComputeCuePose(vBall, aim).vPosition - vBall).GetNormalized();
    m_BallObjects.Face(m_nCueBall, vFacing);
    return true;
}

void CGameFlow::TurnView(float fYaw, float fPitch)
{
    const SFlowCamera kept = m_Camera;
    m_Camera.fYaw = NormalizeYaw(m_Camera.fYaw + fYaw);
    m_Camera.SetPitch(m_Camera.fPitch + fPitch);
    m_Camera.Place();
    // A turn that would take the camera out of the room is refused.
    if (IsBlockedByRoom(m_Camera))
        m_Camera = kept;
    UpdateAimCamera(0);
}

bool CGameFlow::IsBlockedByRoom(const SFlowCamera& camera)
{
    return m_Settings.nDrawLevel != 0 && m_Host.IsCameraBlocked(camera);
}

bool CGameFlow::IsCueObstructedAt(float fElevation)
{
    ICueScene* pScene = m_Host.GetCueScene();
    return pScene != nullptr && IsCueObstructed(*pScene, m_Cue.fAim, fElevation, m_Cue.fTipX, m_Cue.fTipY) != 0;
}

int CGameFlow::FindClearElevation(float* pElevation)
{
    if (!HasCueBall() || pElevation == nullptr)
        return 1;
    float e = m_Cue.fRequestedElevation;
    if (!IsCueObstructedAt(e))
    {
        *pElevation = 0.0f;
        return 1;
    }
    // Halving steps between the requested elevation and the highest: up while the cue is still
    // blocked, down once it is clear.
    CBisector bisector(e, MAX_ELEVATION, ELEVATION_TOLERANCE);
    double dStep = MAX_ELEVATION - e;
    bisector.StepUp(e);
    dStep /= 2.0;
    while (dStep > ELEVATION_TOLERANCE / 10.0)
    {
        dStep /= 2.0;
        if (IsCueObstructedAt(e))
            bisector.StepUp(e);
        else if (!bisector.StepDown(e))
            break;
    }
    *pElevation = e;
    return 1;
}

void CGameFlow::ZoomCamera(float fDelta, float fMin, float fMaxScale)
{
    const float fOld = m_Camera.fDistance;
    // A shrinking step larger than the room above the minimum stops at the minimum.
    float fNew = fDelta < 0.0f && -fDelta > fOld - fMin ? fMin : fOld + fDelta;
    fNew = std::max(fNew, fMin);
    m_Camera.fDistance = fNew;
    // A step out that the room would stop is refused as one that makes the ball too small is:
    // else the orbit would grow on behind the camera the room holds, and zooming back in would
    // move nothing for as long.
    SFlowCamera placed = m_Camera;
    placed.Place();
    const bool bOutOfRoom = fNew > fOld && IsBlockedByRoom(placed);
    UpdateAimCamera(0);
    const float s = GetBallScreenScale(m_nCueBall);
    if (bOutOfRoom || s < 1.0f || s > fMaxScale)
    {
        m_Camera.fDistance = fOld;
        UpdateAimCamera(0);
        return;
    }
    m_Camera.fShift1 *= fOld / fNew;
    m_Camera.fShift2 *= fOld / fNew;
    UpdateAimCamera(0);
}

void CGameFlow::UpdateModeHint()
{
    struct SHint
    {
        DWORD dwMode;
        UINT nId;
    };
    static constexpr SHint HINTS[] = {
        {modeAim, 21579},     {modeMouseStroke, 21582}, {modeElevation, 21583},    {modeStrikeNow, 0},
        {modeEnglish, 21580}, {modeBallInHand, 21581},  {modePlaceCueBall, 21571},
    };
    const DWORD dwMode = GetModeField();
    for (const SHint& hint : HINTS)
        if (hint.dwMode == dwMode)
            m_Host.SetModeHint(hint.nId);
}

bool CGameFlow::ChooseCueBallByClick()
{
    const bool bFreeChoice = m_nGameType == GAME_AMERICAN || m_nGameType == GAME_BONUS;
    if (m_Settings.nOverheadView == 0 || !bFreeChoice || m_pCurrent->GetRobotLevel() != 0 ||
        !m_pReferee->HasJudgement())
        return false;
    const int n = m_Host.PickBallUnderCursor();
    if (n < 0 || n >= REFEREE_BALLS || (m_wOnTable & RefereeBallBit(n)) == 0)
        return false;
    if (m_Input.bLeftReleased)
    {
        m_pReferee->SetCueBall(n);
        SelectCueBall(1);
        m_Host.AlignCue();
        m_Host.RestartAimPreview();
    }
    return true;
}
