// The worker protocol of the ball engines (see the table in BallEngine.h), the copy of the live
// table into the aiming aid, and the aiming aid's and queued engine's own operations.
#include "platform/win32/Clock.h"
#include "platform/win32/Priority.h"
#include "platform/win32/Thread.h"
#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"

#include <chrono>
#include <functional>

namespace
{
/// The exit code of the worker procedure.
constexpr DWORD WORKER_EXIT_CODE = 1997;
/// How long the base advance waits for the worker to end its period before it gives up. Milliseconds.
constexpr DWORD ADVANCE_PARK_WAIT_MS = 10;
} // namespace

// -- Worker --------------------------------------------------------------------------------------

DWORD CBallEngine::ThreadProc(void* pParam)
{
    static_cast<CBallEngine*>(pParam)->Run();
    return WORKER_EXIT_CODE;
}

void CBallEngine::StartThread()
{
    StopThread();
    m_bStop = 0;
    m_bInterrupt = 0;
    {
        std::lock_guard lock(m_ParkMutex);
        m_bWake = false;
        m_bPaused = 1;
        SetEvent(m_hEvent.Get());
    }
    m_bRunning = 1;
    // Created suspended at the caller's priority: the first Resume lets it run, and it parks
    // before anything else until then.
    m_hThread.Reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, nullptr));
    if (m_hThread.Get() == nullptr)
        m_bRunning = 0;
}

void CBallEngine::Run()
{
    for (;;)
    {
        Pause();
        if (m_bStop.load())
            break;
        ApplyRequestedThreadPriority();
        // The period is stepped frame by frame: every step then ends where the live table's
        // steps end, and the aiming aid plays the shot the live table will play.
        RunPeriod(m_nPeriod.load(), LIVE_FRAME_MS, true);
        m_bInterrupt = 0;
    }
    m_bRunning = 0;
}

void CBallEngine::Pause()
{
    std::unique_lock lock(m_ParkMutex);
    // A wake-up that came while the worker stepped is still pending: no parking then.
    if (!m_bWake && !m_bStop.load())
    {
        m_bPaused = 1;
        SetEvent(m_hEvent.Get());
        m_ParkCv.notify_all();
    }
    m_ParkCv.wait(lock, [this] { return m_bWake || m_bStop.load(); });
    m_bWake = false;
    // An interrupt meant for the period before ends with it.
    m_bInterrupt = 0;
}

void CBallEngine::Resume()
{
    if (!m_bRunning.load())
        return;
    {
        std::lock_guard lock(m_ParkMutex);
        m_bWake = true;
        m_bPaused = 0;
        ResetEvent(m_hEvent.Get());
    }
    m_ParkCv.notify_all();
    // The first wake-up also starts the thread, which was created suspended.
    ResumeThread(m_hThread.Get());
}

void CBallEngine::StopThread()
{
    if (m_hThread.Get() == nullptr)
        return;
    m_bInterrupt = 1;
    {
        std::lock_guard lock(m_ParkMutex);
        m_bStop = 1;
    }
    m_ParkCv.notify_all();
    // A thread never resumed starts now, finds the stop flag at once and ends.
    ResumeThread(m_hThread.Get());
    // The worker checks the flags between steps, so it ends within one step.
    WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_hThread.Reset();
    m_bRunning = 0;
    m_bPaused = 1;
}

BOOL CBallEngine::WaitForPark(DWORD dwMs)
{
    std::unique_lock lock(m_ParkMutex);
    const auto parked = [this] { return m_bPaused.load() != 0 || !m_bRunning.load(); };
    return m_ParkCv.wait_for(lock, std::chrono::milliseconds(dwMs), parked) ? TRUE : FALSE;
}

BOOL CBallEngine::InterruptAndWaitForPark(DWORD dwMs)
{
    m_bInterrupt = 1;
    if (!WaitForPark(dwMs))
        return FALSE; // the worker clears the interrupt itself when it parks
    m_bInterrupt = 0;
    return TRUE;
}

void CBallEngine::Advance(DWORD dwMs)
{
    const DWORD dwNow = timeGetTime();
    const DWORD dwPeriod = dwMs != 0 ? dwMs : dwNow - m_nLastTime;
    if (!AllBallsStopped() && m_bRunning.load() && InterruptAndWaitForPark(ADVANCE_PARK_WAIT_MS))
    {
        m_nPeriod = dwPeriod;
        Resume();
    }
    m_nLastTime = dwNow;
}

void CBallEngine::Release()
{
    StopThread();
    RemoveAllBalls();
}

// -- Copying the live table ------------------------------------------------------------------------

BOOL CBallEngine::SyncFrom(CBallEngine& source)
{
    if (&source == this || !source.AllBallsStopped() || m_hThread.Get() == nullptr)
        return FALSE;
    // Best effort: the worker runs one step above the caller until it has parked.
    const int nCaller = GetThreadPriority(GetCurrentThread());
    SetThreadPriority(m_hThread.Get(), nCaller + 1);
    const BOOL bParked = InterruptAndWaitForPark(PARK_WAIT_MS);
    SetThreadPriority(m_hThread.Get(), nCaller);
    if (!bParked)
        return FALSE;
    CopyBallsFrom(source);
    return TRUE;
}

void CBallEngine::CopyBallsFrom(CBallEngine& source)
{
    if (&source == this)
        return;
    // Both locks, always in address order, so that two copies in opposite directions cannot
    // deadlock.
    const bool bThisFirst = std::less<const CBallEngine*>()(this, &source);
    std::unique_lock first(bThisFirst ? m_Lock : source.m_Lock);
    std::unique_lock second(bThisFirst ? source.m_Lock : m_Lock);
    RemoveAllBalls();
    for (const auto& pSource : source.m_Balls)
    {
        CBall* pBall = AddBall(pSource->GetIndex());
        if (pBall == nullptr)
            continue;
        pBall->SetPosition(*pSource->GetPosition());
        pBall->SetStopPosition(*pSource->GetPosition());
        pBall->SetPocketed(pSource->IsPocketed(), FALSE, pSource->GetPocket());
    }
    ::SetCueBallNumber(GetCueBallNumber());
}

// -- The aiming aid ------------------------------------------------------------------------------

CBallEngineAux::CBallEngineAux() : CBallEngine(ENGINE_KIND_AUX, AUX_PERIOD_MS) {}

void CBallEngineAux::BeginShot(float, float fDirection, float fElevation, float fSideAngle, float fHeightAngle)
{
    if (!IsThreadRunning() || !InterruptAndWaitForPark(PARK_WAIT_MS))
        return;
    {
        // The whole shot is set up before the worker is woken, so it always simulates this shot.
        std::lock_guard lock(m_Lock);
        for (int i = 0; i < GetBallCount(); ++i)
            GetBallAt(i)->SetWritePos(TRUE);
        SetStopAtEnd(TRUE);
        if (CBall* pCue = FindBall(GetCueBallNumber()); pCue != nullptr)
            pCue->RecordPoint(TRACK_POINT_PLAIN);
        StrikeBall(AUX_STRIKE_SPEED_MPS, fDirection, fElevation, fSideAngle, fHeightAngle);
    }
    Resume();
}

void CBallEngineAux::Step(double dMs)
{
    std::lock_guard lock(m_Lock);
    CBallEngine::Step(dMs);
    SetCueMark(5);
    for (int i = 0; i < GetBallCount(); ++i)
        if (CBall* pBall = GetBallAt(i); pBall->IsPocketed())
            pBall->Stop();
}

// -- The queued engine ---------------------------------------------------------------------------

CBallEngineQueued::CBallEngineQueued() : CBallEngineMain(ENGINE_KIND_QUEUED) {}

BOOL CBallEngineQueued::SyncFrom(CBallEngine& source)
{
    if (&source == this || !source.AllBallsStopped() || !IsThreadRunning())
        return FALSE;
    CopyBallsFrom(source);
    return TRUE;
}
