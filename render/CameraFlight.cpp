#include "render/CameraFlight.h"

#include "foundation/GameModeWord.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"

#include <algorithm>
#include <cmath>

double g_dFlightDuration = 1.4;
float g_fViewWidthFactor = 0.4f;
float g_fTableLevel = 26.0f;
float g_fSecondLevel = 0.2f;

float GetLevelA() { return g_fTableLevel + 0.1f; }
float GetLevelB() { return g_fSecondLevel + 0.05f; }

namespace
{
constexpr float DEG_TO_RAD = 0.017453292519444445f;
constexpr float TWO_PI = 6.2831855f;
constexpr float PI = 3.1415926535f;
/// One full turn of the tour in 5000 ms, radians per ms.
constexpr float TOUR_RATE = 0.0012566370614f;
/// The aim-camera bit of the game-mode word.
constexpr DWORD MODE_AIM_CAMERA = 0x100000;

/// Channels that hold angles: camera yaw and pitch, the cue's two angles.
constexpr std::array<int, 4> ANGLE_CHANNELS = {0, 1, 8, 9};
/// Channels that go the short way round.
constexpr std::array<int, 2> TURN_CHANNELS = {0, 8};
/// The order the channels are stepped in: camera, view point, cue, shift.
constexpr std::array<int, FLIGHT_CHANNELS> STEP_ORDER = {0, 1, 2, 3, 4, 5, 8, 9, 10, 6, 7};

SFlightChannels ToChannels(const CViewRecord& r)
{
    return {r.m_vCamera.x, r.m_vCamera.y, r.m_vCamera.z, r.m_vViewPoint.x, r.m_vViewPoint.y, r.m_vViewPoint.z,
            r.m_fShift1,   r.m_fShift2,   r.m_vCue.x,    r.m_vCue.y,       r.m_vCue.z};
}

/// A record in degrees from channels in radians.
CViewRecord ToRecord(SFlightChannels c)
{
    for (int k : ANGLE_CHANNELS)
        c[static_cast<std::size_t>(k)] /= DEG_TO_RAD;
    CViewRecord r;
    r.Set(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10]);
    return r;
}

float WrapAngle(float f)
{
    while (f > TWO_PI)
        f -= TWO_PI;
    while (f < 0.0f)
        f += TWO_PI;
    return f;
}
} // namespace

CViewTransition::CViewTransition() { m_bOverhead = g_Settings.m_nOverHeadView != 0 ? TRUE : FALSE; }

void CViewTransition::StepChannel(float& fStart, float& fCurrent, float fTarget, float dt, float& fTime, float& fAccel,
                                  float& fDone)
{
    if (fDone != 0.0f)
        return;
    m_bDone = FALSE;
    const auto land = [&]
    {
        fCurrent = fTarget;
        fDone = 1.0f;
    };
    if (fAccel == 0.0f)
        return land();
    fTime += dt;
    const float fDuration = static_cast<float>(g_dFlightDuration);
    const bool bRising = fStart <= fTarget;
    if (fAccel > 0.0f)
    {
        // Speeding up: x = start +- a t^2 until the midpoint.
        const float d = fAccel * fTime * fTime;
        fCurrent = bRising ? fStart + d : fStart - d;
        const float fMid = fStart + (fTarget - fStart) / 2.0f;
        if (bRising ? fCurrent >= fMid : fCurrent <= fMid)
        {
            const float r = fDuration - fTime;
            if (r <= 0.0f)
                return land();
            fAccel = -std::fabs((fTarget - fCurrent) / (r * r));
            fStart = fCurrent;
        }
        return;
    }
    // Slowing down: x = target -+ |a| (D - t)^2 lands on the target at D.
    const float r = fDuration - fTime;
    if (r <= 0.0f)
        return land();
    const float d = -fAccel * r * r;
    fCurrent = bRising ? fTarget - d : fTarget + d;
    if (bRising ? fCurrent >= fTarget : fCurrent <= fTarget)
        land();
}

BOOL CViewTransition::Elapse()
{
    m_dwFrameMs = g_FrameStopwatch.GetElapsed();
    m_dwElapsed += m_dwFrameMs;
    if (m_bSkipFirst)
    {
        m_bSkipFirst = FALSE;
        m_dwElapsed = 0xFFFFFFFF;
        return FALSE;
    }
    return m_dwElapsed >= m_dwDelay;
}

int CViewTransition::StepAll(float dt)
{
    m_bDone = TRUE;
    for (const int k : STEP_ORDER)
    {
        const auto i = static_cast<std::size_t>(k);
        StepChannel(m_rcStart[i], m_rcCurrent[i], m_rcTarget[i], dt, m_rcTime[i], m_rcAccel[i], m_rcDone[i]);
    }
    return m_bDone;
}

int CViewTransition::Update(ICameraFlightHost* /*pHost*/)
{
    if (!Elapse())
        return 0;
    return StepAll(static_cast<float>(m_dwFrameMs) * 0.001f);
}

void CViewTransition::Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay)
{
    SFlightChannels start = ToChannels(from), target = ToChannels(to);
    for (int k : ANGLE_CHANNELS)
    {
        start[static_cast<std::size_t>(k)] *= DEG_TO_RAD;
        target[static_cast<std::size_t>(k)] *= DEG_TO_RAD;
    }
    m_rcDone = {};
    m_rcAccel = {};
    m_rcTime = {};
    m_rcDirection.fill(1.0f);
    m_bSkipFirst = nDelay == -1 ? TRUE : FALSE;
    m_rcStart = start;
    m_rcTarget = start;
    // In the overhead view a flight moves the cue, not the camera.
    const std::size_t nFirst = m_bOverhead ? 8 : 0;
    std::copy(target.begin() + static_cast<std::ptrdiff_t>(nFirst), target.end(),
              m_rcTarget.begin() + static_cast<std::ptrdiff_t>(nFirst));
    m_nNextMode = nNextMode;
    Prepare();
    m_rcCurrent = m_rcStart;
    m_bDone = FALSE;
    m_dwDelay = nDelay == -1 ? 0 : static_cast<DWORD>(std::max(nDelay, 0));
    m_dwElapsed = 0;
}

void CViewTransition::Finish(ICameraFlightHost* pHost)
{
    m_rcCurrent = m_rcTarget;
    if (!m_bOverhead)
    {
        g_Settings.m_nOverHeadView = 0;
        g_Settings.Save();
        g_nGameMode &= ~MODE_AIM_CAMERA;
    }
    else if (pHost != nullptr)
        pHost->ApplyViewRecord(ToRecord(m_rcCurrent));
}

CVector3 CViewTransition::GetCurrentCamera() const { return {m_rcCurrent[0], m_rcCurrent[1], m_rcCurrent[2]}; }
CVector3 CViewTransition::GetCurrentViewPoint() const { return {m_rcCurrent[3], m_rcCurrent[4], m_rcCurrent[5]}; }
CVector3 CViewTransition::GetCurrentCue() const { return {m_rcCurrent[8], m_rcCurrent[9], m_rcCurrent[10]}; }
CVector3 CViewTransition::GetCurrentShift() const { return {m_rcCurrent[6], m_rcCurrent[7], 0.0f}; }

void CViewTransition::Translate(float fCamDx, float fCamDy, float fCamDz, float fViewDx, float fViewDy, float fViewDz)
{
    const std::array<float, 6> delta = {fCamDx, fCamDy, fCamDz, fViewDx, fViewDy, fViewDz};
    for (SFlightChannels* p : {&m_rcStart, &m_rcCurrent, &m_rcTarget})
        for (std::size_t k = 0; k < delta.size(); ++k)
            (*p)[k] += delta[k];
}

void CCameraFlight::Prepare()
{
    for (int k : ANGLE_CHANNELS)
    {
        const auto i = static_cast<std::size_t>(k);
        m_rcStart[i] = WrapAngle(m_rcStart[i]);
        m_rcTarget[i] = WrapAngle(m_rcTarget[i]);
    }
    for (int k : TURN_CHANNELS)
    {
        float& s = m_rcStart[static_cast<std::size_t>(k)];
        float& t = m_rcTarget[static_cast<std::size_t>(k)];
        if (s > t && s - t >= PI)
            s -= TWO_PI;
        else if (t > s && t - s > PI)
            t -= TWO_PI;
    }
    const double dHalf = g_dFlightDuration / 2.0;
    for (std::size_t i = 0; i < FLIGHT_CHANNELS; ++i)
    {
        m_rcDirection[i] = m_rcStart[i] <= m_rcTarget[i] ? 1.0f : -1.0f;
        // A duration of 0 or less lands every channel at once.
        m_rcAccel[i] =
            dHalf > 0.0 ? static_cast<float>(std::fabs((m_rcTarget[i] - m_rcStart[i]) / 2.0) / (dHalf * dHalf)) : 0.0f;
        m_rcTime[i] = 0.0f;
    }
}

CViewRecord CCameraFlight::GetViewRecord() const { return ToRecord(m_rcTarget); }

int CCameraFlightA::Update(ICameraFlightHost* pHost)
{
    m_bDone = pHost == nullptr || pHost->HoldAimPath() ? TRUE : FALSE;
    return m_bDone;
}

int CCameraFlightB::Update(ICameraFlightHost* pHost)
{
    if (pHost == nullptr)
    {
        m_bDone = TRUE;
        return 1;
    }
    CVector3 vViewPoint = GetCurrentViewPoint();
    m_bDone = pHost->FollowViewPoint(vViewPoint) ? TRUE : FALSE;
    m_rcCurrent[3] = vViewPoint.x;
    m_rcCurrent[4] = vViewPoint.y;
    m_rcCurrent[5] = vViewPoint.z;
    return m_bDone;
}

int CCameraFlightC::Update(ICameraFlightHost* pHost)
{
    if (pHost != nullptr)
        pHost->TakeEscape();
    m_rcDone[9] = 1.0f;
    return CCameraFlight::Update(pHost);
}

void CCameraFlightD::Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay)
{
    CCameraFlight::Start(from, to, nNextMode, nDelay);
    m_nPhase = 0;
    m_bStepDistance = FALSE;
    m_fTargetDistance = 5.0f;
    m_fFinalValue = 0.0f;
}

int CCameraFlightD::Update(ICameraFlightHost* pHost)
{
    if (m_nPhase == 0)
    {
        if (!CCameraFlight::Update(pHost) || !m_bStepDistance)
            return m_bDone;
        m_bDone = FALSE;
        m_nPhase = 1;
        return 0;
    }
    if (pHost == nullptr)
        return m_bDone = TRUE;
    // One unit a frame towards the target distance; done once within a unit of it.
    const float fDistance = pHost->GetCameraDistance();
    if (std::fabs(fDistance - m_fTargetDistance) <= 1.0f)
    {
        pHost->SetCameraDistance(m_fTargetDistance);
        return m_bDone = TRUE;
    }
    pHost->SetCameraDistance(fDistance + (m_fTargetDistance > fDistance ? 1.0f : -1.0f));
    return 0;
}

void CCameraFlightD::Finish(ICameraFlightHost* pHost)
{
    CCameraFlight::Finish(pHost);
    if (m_fFinalValue != 0.0f && pHost != nullptr)
        pHost->SetCameraBoundsFirst(m_fFinalValue);
}

void CCameraFlightE::Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay)
{
    CCameraFlight::Start(from, to, nNextMode, nDelay);
    m_bSkipFirst = TRUE;
}

int CCameraFlightE::Update(ICameraFlightHost* /*pHost*/)
{
    if (!Elapse())
        return 0;
    if (m_dwDelay != 0 || m_dwElapsed == 0xFFFFFFFF)
    {
        // The wait is over: the turn's time starts now.
        m_dwDelay = 0;
        m_dwElapsed = 0;
    }
    m_rcCurrent[0] = m_rcStart[0] + static_cast<float>(m_dwElapsed) * TOUR_RATE;
    if (m_rcCurrent[0] - m_rcStart[0] < TWO_PI)
        return 0;
    m_rcStart[0] = m_rcCurrent[0];
    m_dwElapsed = 0;
    return m_bDone = TRUE;
}

void CCameraFlightF::Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay)
{
    CCameraFlight::Start(from, to, nNextMode, nDelay);
    m_bSkipFirst = TRUE;
    m_bWaitOver = FALSE;
}

int CCameraFlightF::Update(ICameraFlightHost* pHost)
{
    if (!Elapse())
        return 0;
    m_bWaitOver = TRUE;
    m_bDone = pHost == nullptr || !pHost->AnyBallMoving() ? TRUE : FALSE;
    return m_bDone;
}

void CCameraFlightF::Translate(float fCamDx, float fCamDy, float fCamDz, float fViewDx, float fViewDy, float fViewDz)
{
    if (m_bWaitOver)
        CCameraFlight::Translate(fCamDx, fCamDy, fCamDz, fViewDx, fViewDy, fViewDz);
}

void CCameraFlightG::Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay)
{
    const BOOL bOverhead = m_bOverhead;
    m_bOverhead = FALSE;
    CCameraFlight::Start(from, to, nNextMode, nDelay);
    m_bOverhead = bOverhead;
    m_fSavedZoom = g_fViewWidthFactor;
}

int CCameraFlightG::Update(ICameraFlightHost* pHost)
{
    const int nDone = CCameraFlight::Update(pHost);
    const float fTarget = pHost != nullptr ? pHost->GetViewWidthFactor() : m_fSavedZoom;
    const double dFraction = g_dFlightDuration > 0.0 && m_dwElapsed != 0xFFFFFFFF
                                 ? std::clamp(m_dwElapsed * 0.001 / g_dFlightDuration, 0.0, 1.0)
                                 : 1.0;
    g_fViewWidthFactor = m_fSavedZoom + (fTarget - m_fSavedZoom) * static_cast<float>(dFraction);
    return nDone;
}

void CCameraFlightG::Finish(ICameraFlightHost* pHost)
{
    m_bOverhead = TRUE;
    CCameraFlight::Finish(pHost);
    g_fViewWidthFactor = m_fSavedZoom;
    g_nGameMode |= MODE_AIM_CAMERA;
}
