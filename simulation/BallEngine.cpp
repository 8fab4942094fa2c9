// The ball engine's table: its balls and table parts, the time step, the live advance and the
// stroke. The worker protocol is in BallEngineThread.cpp, the racking in BallEngineRack.cpp.
#include "simulation/BallEngine.h"

#include "foundation/GlobalOrder.h"
#include "foundation/PriorityGuard.h"
#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Priority.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>
#include <string>

SStrikeRecord g_StrikeRecord;
unsigned int g_nRackSeed = 1;

VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_ENGINES) CBallEngineMain g_BallEngineMain;
VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_ENGINES) CBallEngineAux g_BallEngineAux;
VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_ENGINES) CBallEngineQueued g_BallEngineQueued;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_BALL_ENGINES);

namespace
{
/// Degrees to radians, the literal the stroke uses.
constexpr double DEG_TO_RAD = 0.017453292519444445;
/// pi/6, the literal the stroke compares the side angle against. Radians.
constexpr double SIXTH_PI_LITERAL = 0.5235987755833333;
/// Below pi/6 the side angle's effect on the direction falls off as this power of the angle.
constexpr double SQUIRT_EXPONENT = 20.0;
/// The shortest step GetMaxStep starts from before the balls' own limits. Milliseconds.
constexpr double MAX_STEP_START_MS = 1000000.0;

/// How long ago (s) two overlapping balls closing in touched, had they moved at their present
/// velocities; at most the time they take to close in by a ball's diameter (balls placed inside
/// each other are not sent far back). 0 when they do not overlap.
double TimeSinceTouch(const CBall& a, const CBall& b)
{
    // |d - w s| = 2R with d the centres' offset and w the relative velocity: the positive root.
    const CVector3 d = *b.GetPosition() - *a.GetPosition();
    const CVector3 w = b.GetVelocity() - a.GetVelocity();
    const double dTouch = 2.0 * static_cast<double>(BALL_RADIUS_M);
    const double dInside = Dot3(d.x, d.y, d.z, d.x, d.y, d.z) - dTouch * dTouch;
    const double dW2 = Dot3(w.x, w.y, w.z, w.x, w.y, w.z);
    if (!(dInside < 0.0) || !(dW2 > 0.0))
        return 0.0;
    const double dDW = Dot3(d.x, d.y, d.z, w.x, w.y, w.z);
    const double dRoot = (dDW + std::sqrt(dDW * dDW - dW2 * dInside)) / dW2;
    return std::isfinite(dRoot) ? std::clamp(dRoot, 0.0, dTouch / std::sqrt(dW2)) : 0.0;
}

/// Moves both balls along their velocities for dS seconds (back in time when negative).
void Advance(CBall& a, CBall& b, double dS)
{
    const float fS = static_cast<float>(dS);
    a.SetPosition(*a.GetPosition() + a.GetVelocity() * fS);
    b.SetPosition(*b.GetPosition() + b.GetVelocity() * fS);
}

/// Resolves the contact of two balls closing in where they touched: a step may carry a ball a
/// little into another, and through a tight cluster (a rack), where each contact passes the whole
/// speed on, every ball of the chain would otherwise stop inside its neighbour. The pair is taken
/// back to the moment of touching, collided there and moved on for the time taken back.
void CollideAtTouch(CBall& a, CBall& b)
{
    const double dBack = TimeSinceTouch(a, b);
    if (dBack > 0.0)
        Advance(a, b, -dBack);
    a.Collide(b);
    if (dBack > 0.0)
        Advance(a, b, dBack);
}

/// Notes in the debug log that an engine operation refused a value that is not finite.
void LogRefused(const char* szWhat)
{
    OutputDebugString((std::string(szWhat) + ": a value that is not finite, refused\n").c_str());
}
} // namespace

// -- CMotionQueue --------------------------------------------------------------------------------

void CMotionQueue::Reset()
{
    Clear();
    m_bIdle = TRUE;
}

void CMotionQueue::Clear()
{
    m_Frames.clear();
    m_nPosition = 0;
}

// -- Construction and the ball list --------------------------------------------------------------

CBallEngine::CBallEngine() : CBallEngine(ENGINE_KIND_BASE, 1) {}

CBallEngine::CBallEngine(int nKind, DWORD dwPeriod)
    : m_nPeriod(dwPeriod), m_nKind(nKind), m_hEvent(CreateEvent(nullptr, TRUE, TRUE, nullptr)),
      m_nLastTime(timeGetTime())
{
    ::SetCueBallNumber(0);
    // Each pocket's mouth runs between the jaws of its two neighbouring cushions.
    for (CWorldObject& pocket : m_Pockets)
    {
        const std::array<int, 2> jaws = CWorldObject::GetJawCushions(pocket.GetNumber());
        pocket.SetMouth(m_Cushions[static_cast<std::size_t>(jaws[0])], m_Cushions[static_cast<std::size_t>(jaws[1])]);
    }
}

CBallEngine::~CBallEngine()
{
    // The worker steps this engine's balls; it must be gone before they are.
    StopThread();
}

CBall* CBallEngine::FindBall(int nNumber)
{
    std::lock_guard lock(m_Lock);
    // The flow asks for balls by number many times a frame: the table by number answers at once,
    // and the list is searched only should a ball have been given another number since.
    if (nNumber >= 0 && nNumber < MAX_BALLS)
        if (CBall* pBall = m_apBallByNumber[static_cast<std::size_t>(nNumber)];
            pBall != nullptr && pBall->GetIndex() == nNumber)
            return pBall;
    for (const auto& pBall : m_Balls)
        if (pBall->GetIndex() == nNumber)
            return pBall.get();
    return nullptr;
}

CBall* CBallEngine::GetBallAt(int nIndex)
{
    std::lock_guard lock(m_Lock);
    if (nIndex < 0 || nIndex >= GetBallCount())
        return nullptr;
    return m_Balls[static_cast<std::size_t>(nIndex)].get();
}

CBall* CBallEngine::AddBall(int nNumber)
{
    if (nNumber < 0 || nNumber >= MAX_BALLS)
        return nullptr;
    std::lock_guard lock(m_Lock);
    const auto at = std::find_if(m_Balls.begin(), m_Balls.end(),
                                 [nNumber](const auto& pBall) { return pBall->GetIndex() >= nNumber; });
    if (at != m_Balls.end() && (*at)->GetIndex() == nNumber)
        return at->get();
    CBall* pBall = m_Balls.insert(at, std::make_unique<CBall>(nNumber))->get();
    RebuildBallView();
    return pBall;
}

void CBallEngine::RemoveBall(int nNumber)
{
    std::lock_guard lock(m_Lock);
    std::erase_if(m_Balls, [nNumber](const auto& pBall) { return pBall->GetIndex() == nNumber; });
    RebuildBallView();
}

void CBallEngine::RemoveAllBalls()
{
    std::lock_guard lock(m_Lock);
    m_Balls.clear();
    RebuildBallView();
}

void CBallEngine::RebuildBallView()
{
    m_BallView.clear();
    m_apBallByNumber.fill(nullptr);
    for (const auto& pBall : m_Balls)
    {
        m_BallView.push_back(pBall.get());
        if (const int n = pBall->GetIndex();
            n >= 0 && n < MAX_BALLS && m_apBallByNumber[static_cast<std::size_t>(n)] == nullptr)
            m_apBallByNumber[static_cast<std::size_t>(n)] = pBall.get();
    }
}

BOOL CBallEngine::AskBall(int nNumber)
{
    std::lock_guard lock(m_Lock);
    const CBall* pBall = FindBall(nNumber);
    return pBall != nullptr ? pBall->IsPocketed() : FALSE;
}

BOOL CBallEngine::TestPockets(CBall& ball)
{
    for (CCushion& cushion : m_Cushions)
        if (cushion.TestContact(ball))
            return TRUE;
    return FALSE;
}

BOOL CBallEngine::GetBallPosition(int nNumber, CVector3& vOut, SBallStateRecord* pState)
{
    std::lock_guard lock(m_Lock);
    const CBall* pBall = FindBall(nNumber);
    if (pBall == nullptr)
        return FALSE;
    vOut = *pBall->GetPosition();
    if (pState != nullptr)
    {
        pState->nNumber = nNumber;
        pState->vPos = vOut;
        pBall->GetOrientation(pState->vOrY, pState->vOrZ);
    }
    return TRUE;
}

void CBallEngine::SetBallPosition(int nNumber, double x, double y)
{
    std::lock_guard lock(m_Lock);
    CBall* pBall = FindBall(nNumber);
    if (pBall == nullptr)
        return;
    if (!std::isfinite(static_cast<float>(x)) || !std::isfinite(static_cast<float>(y)))
    {
        LogRefused("CBallEngine::SetBallPosition");
        return;
    }
    pBall->SetPosition(CVector3(static_cast<float>(x), static_cast<float>(y), 0.0f));
    pBall->SetPocketed(FALSE, TRUE, -1);
    pBall->Stop();
    // A fresh ball of the same number carries the random turn a new ball gets.
    const CBall fresh(nNumber);
    CVector3 vOrY, vOrZ;
    fresh.GetOrientation(vOrY, vOrZ);
    pBall->SetOrientation(vOrY, vOrZ);
}

void CBallEngine::SetBallState(int nNumber, const SBallStateRecord& record)
{
    std::lock_guard lock(m_Lock);
    CBall* pBall = FindBall(nNumber);
    if (pBall == nullptr)
        return;
    if (!IsFiniteVector(record.vPos) || !IsFiniteVector(record.vOrY) || !IsFiniteVector(record.vOrZ))
    {
        LogRefused("CBallEngine::SetBallState");
        return;
    }
    pBall->SetPosition(record.vPos);
    pBall->SetOrientation(record.vOrY, record.vOrZ);
    pBall->SetPocketed(FALSE, TRUE, -1);
    pBall->Stop();
}

BOOL CBallEngine::AllBallsStopped()
{
    std::lock_guard lock(m_Lock);
    return std::none_of(m_Balls.begin(), m_Balls.end(), [](const auto& pBall) { return pBall->IsMoving(); });
}

void CBallEngine::StopAllBalls()
{
    std::lock_guard lock(m_Lock);
    for (const auto& pBall : m_Balls)
        pBall->Stop();
}

CVector3 CBallEngine::GetCushionPoint(int nPocket) const
{
    for (const CWorldObject& pocket : m_Pockets)
        if (pocket.GetNumber() == nPocket)
            return pocket.GetPosition();
    return CVector3();
}

CWorldObject* CBallEngine::GetWorldObject(int i)
{
    return i >= 0 && i < POCKET_COUNT ? &m_Pockets[static_cast<std::size_t>(i)] : nullptr;
}

const CCushion* CBallEngine::GetCushion(int i) const
{
    return i >= 0 && i < CUSHION_COUNT ? &m_Cushions[static_cast<std::size_t>(i)] : nullptr;
}

BOOL CBallEngine::GetStrongestEvent(CPolyRecord& out) const
{
    BOOL bFound = FALSE;
    for (int i = 0; i < m_Events.GetCount(); ++i)
    {
        CPolyRecord record;
        record.nKind = m_Events.GetRecord(i, &record.nLevel, &record.vPos);
        if (!bFound || record.nLevel > out.nLevel)
            out = record;
        bFound = TRUE;
    }
    return bFound;
}

void CBallEngine::SetCueBallNumber(int nNumber) { ::SetCueBallNumber(nNumber); }

// -- The time step ---------------------------------------------------------------------------------

double CBallEngine::GetMaxStep()
{
    std::lock_guard lock(m_Lock);
    // A ball falling into a pocket is out of play and not counted (see CBall::GetSafeTimeStep).
    const int nMoving = static_cast<int>(std::count_if(
        m_Balls.begin(), m_Balls.end(), [](const auto& pBall) { return pBall->IsMoving() && !pBall->IsRollMode4(); }));
    const CVector3 vLo(0.0f, 0.0f, 0.0f);
    const CVector3 vHi(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f);
    double dStep = MAX_STEP_START_MS;
    // A resting ball gives NO_STEP_LIMIT_MS (GetSafeTimeStep's first test), asked without the call:
    // most of a table rests.
    for (const auto& pBall : m_Balls)
        dStep = std::min(dStep,
                         pBall->IsMoving() ? pBall->GetSafeTimeStep(m_BallView, vLo, vHi, nMoving) : NO_STEP_LIMIT_MS);
    return dStep;
}

BOOL CBallEngine::IsFarFromStop(const CBall& ball) const
{
    // A ball that has not moved half a radius from where it rested makes no sound.
    return ball.GetDistanceFromStop() > BALL_RADIUS_M / 2.0f;
}

void CBallEngine::Step(double dMs)
{
    std::lock_guard lock(m_Lock);
    // A resting ball does not move (Move's first test); the tests below skip it the same way.
    for (const auto& pBall : m_Balls)
        if (pBall->IsMoving())
            pBall->Move(dMs);
    StepContacts();
    StepTableParts();
}

void CBallEngine::StepContacts()
{
    const std::size_t nBalls = m_Balls.size();
    for (std::size_t i = 0; i < nBalls; ++i)
        for (std::size_t j = i + 1; j < nBalls; ++j)
        {
            CBall& a = *m_Balls[i];
            CBall& b = *m_Balls[j];
            // Two resting balls never approach (IsApproaching's first test).
            if ((!a.IsMoving() && !b.IsMoving()) || !a.IsApproaching(b))
                continue;
            CollideAtTouch(a, b);
            a.RecordPoint(TRACK_POINT_BALL);
            b.RecordPoint(TRACK_POINT_BALL);
            if (IsFarFromStop(a) || IsFarFromStop(b))
                m_Events.AddBallEvent(BALL_EVENT_BALL, *a.GetPosition(), a.GetVelocity(), &b.GetVelocity());
        }
}

void CBallEngine::StepTableParts()
{
    const int nCue = GetCueBallNumber();
    for (CCushion& cushion : m_Cushions)
        for (const auto& pBall : m_Balls)
        {
            // Neither a cushion nor a pocket touches a resting ball (their first tests).
            if (!pBall->IsMoving() || !cushion.TestContact(*pBall))
                continue;
            if (pBall->GetIndex() == nCue && m_nCueMark == -1)
                m_vCuePoint = *pBall->GetPosition();
            cushion.Respond(*pBall);
            pBall->RecordPoint(TRACK_POINT_CUSHION);
            if (IsFarFromStop(*pBall))
                m_Events.AddBallEvent(BALL_EVENT_CUSHION, *pBall->GetPosition(), pBall->GetVelocity());
        }
    const BOOL bDrop = DropsIntoPockets();
    for (CWorldObject& pocket : m_Pockets)
        for (const auto& pBall : m_Balls)
        {
            if (!pBall->IsMoving() || !pocket.TestCapture(*pBall, bDrop))
                continue;
            pocket.Respond(*pBall);
            m_Events.AddBallEvent(BALL_EVENT_POCKET, *pBall->GetPosition(), pBall->GetVelocity());
        }
    for (const auto& pBall : m_Balls)
    {
        if (!m_BedEdge.TestContact(*pBall))
            continue;
        m_BedEdge.Respond(*pBall);
        pBall->RecordPoint(TRACK_POINT_PLAIN);
        if (IsFarFromStop(*pBall))
            m_Events.AddBallEvent(BALL_EVENT_CUSHION, *pBall->GetPosition(), pBall->GetVelocity());
    }
}

void CBallEngine::RunPeriod(double dMs, double dFrameMs, bool bInterruptible)
{
    // The frames run on from where the last period left off, so that they keep the live table's
    // rhythm from the stroke on (a period need not be a whole number of frames).
    for (double dDone = 0.0; dDone < dMs && !IsPeriodOver(bInterruptible);)
    {
        const double dUsed = m_dFrameUsedMs.load() < dFrameMs ? m_dFrameUsedMs.load() : 0.0;
        const double dFrame = std::min(dFrameMs - dUsed, dMs - dDone);
        RunFrame(dFrame, bInterruptible);
        dDone += dFrame;
        // A whole frame leaves nothing over for the next period.
        m_dFrameUsedMs = dUsed + dFrame < dFrameMs ? dUsed + dFrame : 0.0;
    }
    if (m_bStopAtEnd.load())
        StopAllBalls();
}

void CBallEngine::RunFrame(double dMs, bool bInterruptible)
{
    for (double dRemaining = dMs; dRemaining > 0.0 && !IsPeriodOver(bInterruptible);)
    {
        std::lock_guard lock(m_Lock);
        double dStep = std::min(GetMaxStep(), dRemaining);
        // A broken ball (a NaN speed) must not stall the loop: the frame then ends in one step.
        if (!(dStep > 0.0))
            dStep = dRemaining;
        Step(dStep);
        dRemaining -= dStep;
    }
}

bool CBallEngine::IsPeriodOver(bool bInterruptible)
{
    return (bInterruptible && m_bInterrupt.load() != 0) || AllBallsStopped();
}

// -- Stroke --------------------------------------------------------------------------------------

void CBallEngine::BeginShot(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle)
{
    StrikeBall(fSpeed, fDirection, fElevation, fSideAngle, fHeightAngle);
}

void CBallEngine::StrikeBall(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle)
{
    const std::array<float, 5> args = {fSpeed, fDirection, fElevation, fSideAngle, fHeightAngle};
    if (!std::all_of(args.begin(), args.end(), [](float f) { return std::isfinite(f); }))
    {
        LogRefused("CBallEngine::StrikeBall");
        return;
    }
    std::lock_guard lock(m_Lock);
    m_fStrikeSpeed = fSpeed;
    // The shot's first frame starts with the stroke.
    m_dFrameUsedMs = 0.0;
    // The events belong to one shot.
    m_Events.Copy(CPolyline(m_Events.GetLevelCount()));
    CBall* pCue = FindBall(GetCueBallNumber());
    if (pCue == nullptr)
        return;
    const double a = fSideAngle * DEG_TO_RAD;
    const double b = fHeightAngle * DEG_TO_RAD;
    const double h = std::cos(a) * std::cos(b) * fSpeed;
    // Struck off centre, the ball leaves a little off the cue's line; the deviation vanishes
    // steeply (20th power) below 30 degrees of side.
    double aDir = a;
    if (std::abs(a) < SIXTH_PI_LITERAL)
        aDir = a * std::pow(std::abs(a) / SIXTH_PI_LITERAL, SQUIRT_EXPONENT);
    CVector3 vVel;
    vVel.SetSpherical(static_cast<float>(h), static_cast<float>(-fDirection - aDir),
                      static_cast<float>(-fElevation + b));
    vVel.z = static_cast<float>(vVel.z * Coef(g_PhysicsCoefficients.VerticalVelocityCoeff));
    pCue->SetVelocity(vVel);
    pCue->SetSideSpinZ(static_cast<float>(std::cos(HALF_PI_LITERAL + a) * fSpeed / BALL_RADIUS_M *
                                          Coef(g_PhysicsCoefficients.SideSpinCoeff)));
    pCue->SetRollSpin(static_cast<float>(std::cos(HALF_PI_LITERAL + b) * fSpeed / BALL_RADIUS_M *
                                         Coef(g_PhysicsCoefficients.ForwardSpinCoeff)));
    pCue->SetRollMode(ROLL_MODE_SLIDING);
    pCue->SetLastContactKind(CONTACT_CUE);

    g_StrikeRecord.vVelocity = pCue->GetVelocity();
    g_StrikeRecord.dSpeed = fSpeed;
    g_StrikeRecord.dDirection = fDirection;
    g_StrikeRecord.dElevation = fElevation;
    g_StrikeRecord.vForwardSpin = pCue->GetForwardSpin();
    g_StrikeRecord.vSideSpin = pCue->GetSideSpin();
}

// -- The live table --------------------------------------------------------------------------------

CBallEngineMain::CBallEngineMain() : CBallEngineMain(ENGINE_KIND_MAIN) {}

CBallEngineMain::CBallEngineMain(int nKind) : CBallEngine(nKind, 1) {}

void CBallEngineMain::Advance(DWORD dwMs)
{
    m_Queue.Clear();
    const DWORD dwNow = timeGetTime();
    const DWORD dwPeriod = dwMs != 0 ? dwMs : g_FrameStopwatch.GetElapsed();
    if (!AllBallsStopped())
    {
        SetPeriod(dwPeriod);
        // The live table steps in one go per frame; raised priority keeps the frame on time.
        const CPriorityGuard guard(THREAD_PRIORITY_TIME_CRITICAL, REALTIME_PRIORITY_CLASS);
        RunPeriod(dwPeriod, dwPeriod, false);
    }
    SetLastTime(dwNow);
}

void CBallEngineMain::BeginShot(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle)
{
    m_Queue.Clear();
    m_nSavedRounding = GetRounding();
    StrikeBall(fSpeed, fDirection, fElevation, fSideAngle, fHeightAngle);
}
