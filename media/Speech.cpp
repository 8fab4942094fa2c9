#include "media/Speech.h"

#include "foundation/GlobalOrder.h"
#include "foundation/Settings.h"
#include "media/SoundSystem.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Thread.h"
#include "simulation/Referee.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string>

const char* const g_szSpeechLibrary = "VornSpeech.dat";
VORN_GLOBAL_ROW(GLOBAL_ROW_SPEECH) CSpeech g_Speech;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_SPEECH);

namespace
{
/// "Speech Type" that asks for written text instead of speech.
constexpr int SPEECH_TYPE_TEXT = 10;
/// How long a written comment stays on screen.
constexpr DWORD RULE_TEXT_MS = 2000;
/// The pause of a phrase said at once.
constexpr DWORD SAY_TEXT_DELAY_MS = 3000;
/// How long closing waits for the thread to stop before it goes on without it.
constexpr DWORD SHUTDOWN_WAIT_MS = 5000;
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// Requests
// ---------------------------------------------------------------------------------------------------------------------

std::atomic<int> CSpeechRequest::s_nLive{0};

CSpeechRequest::CSpeechRequest(const CString& strName, DWORD dwDelay, DWORD dwFlags)
    : m_strName(strName), m_dwDelay(dwDelay), m_dwFlags(dwFlags)
{
    ++s_nLive;
}

CSpeechRequest::~CSpeechRequest() { --s_nLive; }

int CSpeechRequest::LiveCount() { return s_nLive.load(); }

// ---------------------------------------------------------------------------------------------------------------------
// The speech thread
// ---------------------------------------------------------------------------------------------------------------------

/// The thread's own state: the request queue and the phrase that plays.
class CSpeechThread
{
public:
    explicit CSpeechThread(CSpeech& speech) : m_speech(speech) {}

    DWORD Run()
    {
        for (;;)
        {
            // The suspension is read before the messages are taken: every request posted before
            // a resume the thread has seen is then in the queue when it chooses the next phrase.
            const bool bResumed = IsResumed();
            if (!TakeMessages())
                break;
            if (bResumed)
                WaitMessageTimeout(Step());
            else if (!IsResumed())
                WaitMessageTimeout(INFINITE);
            // Suspended, the thread sleeps until a message. ResumeSound signals first and posts its
            // wake-up after: a resume the second look missed left a message that the wait returns
            // on, and one that came between the two looks is seen by the second (no wait then).
        }
        // Requests still posted behind the stop are deleted with their messages.
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            OwnedRequest(msg);
        std::lock_guard lock(m_speech.m_lock);
        m_queue.clear();
        m_speech.m_bStopAcknowledged = true;
        return 0;
    }

private:
    bool IsResumed() const { return WaitForSingleObject(m_speech.m_hSuspendEvent, 0) == WAIT_OBJECT_0; }

    /// The request a message carries, owned from now on (null for other messages).
    static std::unique_ptr<CSpeechRequest> OwnedRequest(const MSG& msg)
    {
        const bool bCarries =
            msg.message == WM_SPEECH_REQUEST && (msg.wParam == SPEECH_QUEUE || msg.wParam == SPEECH_PLAY_NOW);
        return std::unique_ptr<CSpeechRequest>(bCarries ? reinterpret_cast<CSpeechRequest*>(msg.lParam) : nullptr);
    }

    /// Handles every waiting message; false once the stop has come.
    bool TakeMessages()
    {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            std::unique_ptr<CSpeechRequest> pRequest = OwnedRequest(msg);
            if (msg.message == WM_SPEECH_REQUEST && msg.wParam == SPEECH_STOP)
                return false; // never discarded
            std::lock_guard lock(m_speech.m_lock);
            if (msg.message == WM_SPEECH_CLEAR)
            {
                m_queue.clear();
                m_speech.m_nClearsPending = std::max(0, m_speech.m_nClearsPending - 1);
            }
            else if (m_speech.m_nClearsPending == 0 && pRequest != nullptr)
                Take(msg.wParam, std::move(pRequest));
            // Anything else, or a request posted before a clear not yet taken, is deleted here.
        }
        return true;
    }

    void Take(WPARAM nWhat, std::unique_ptr<CSpeechRequest> pRequest)
    {
        if (nWhat == SPEECH_PLAY_NOW)
        {
            Say(pRequest->m_strName, true);
            return;
        }
        if ((pRequest->m_dwFlags & SPEECH_EMPTY_FIRST) != 0)
            m_queue.clear();
        if ((pRequest->m_dwFlags & SPEECH_AT_HEAD) != 0)
            m_queue.push_front(std::move(pRequest));
        else
            m_queue.push_back(std::move(pRequest));
    }

    /// Notices the end of the playing phrase and starts the next one whose pause has passed;
    /// answers how long the thread may sleep before something is due (INFINITE: until a message).
    DWORD Step()
    {
        CSoundSystem* pSound = m_speech.m_pSound;
        const int nSlot = pSound != nullptr ? pSound->GetHolderASlot() : -1;
        const bool bEnded = m_bPlaying && (pSound == nullptr || !pSound->IsSlotPlaying(nSlot));
        // Read after the slot: a phrase's end is never dated before the time it was seen to end.
        const DWORD dwNow = timeGetTime();
        if (bEnded)
        {
            m_dwLastEnd = dwNow;
            m_bPlaying = false;
            std::lock_guard lock(m_speech.m_lock);
            m_speech.m_dwLastPhraseEnd = dwNow;
        }
        if (m_bPlaying)
            return std::max<DWORD>(1, pSound->GetSlotRemainingMs(nSlot));
        if (m_queue.empty())
            return INFINITE;
        const DWORD dwQuiet = dwNow - m_dwLastEnd;
        const DWORD dwDelay = m_queue.front()->m_dwDelay;
        if (dwQuiet <= dwDelay)
            return dwDelay - dwQuiet + 1;
        std::unique_ptr<CSpeechRequest> pHead;
        {
            std::lock_guard lock(m_speech.m_lock);
            pHead = std::move(m_queue.front());
            m_queue.pop_front();
            m_speech.m_dwLastPhraseStart = dwNow;
        }
        m_bPlaying = true;
        Say(pHead->m_strName, false);
        return 0;
    }

    /// Starts a phrase: one said at once in the second holder, a queued one in the first. The log
    /// names each phrase that starts, so that what the commentary says can be followed.
    void Say(const CString& strName, bool bAtOnce) const
    {
        CSoundSystem* pSound = m_speech.m_pSound;
        if (pSound == nullptr)
            return;
        const BOOL bStarted = bAtOnce ? pSound->PlayInHolderB(m_speech.m_hModule, strName, "WAVE", CVector3())
                                      : pSound->PlayInHolderA(m_speech.m_hModule, strName, "WAVE", CVector3());
        if (bStarted)
            OutputDebugString(("Speech: says " + std::string(strName.GetString()) + "\n").c_str());
    }

    CSpeech& m_speech;
    std::deque<std::unique_ptr<CSpeechRequest>> m_queue;
    bool m_bPlaying = false;
    DWORD m_dwLastEnd = 0;
};

DWORD SpeechThreadProc(void* pParam)
{
    CSpeechThread thread(*static_cast<CSpeech*>(pParam));
    return thread.Run();
}

// ---------------------------------------------------------------------------------------------------------------------
// The speech object
// ---------------------------------------------------------------------------------------------------------------------

CSpeech::CSpeech(LPCSTR szLibrary) : m_strLibrary(szLibrary) {}

CSpeech::~CSpeech()
{
    Shutdown();
    if (m_hSuspendEvent != nullptr)
        CloseHandle(m_hSuspendEvent);
}

void CSpeech::Init()
{
    if (m_bStarted)
        return; // the sounds' set-up and the game's start both call it
    m_astrPending.RemoveAll();
    m_hModule = LoadLibraryA(m_strLibrary);
    if (m_hModule == nullptr)
        return;
    m_rules.LoadRules(m_hModule);
    if (m_hSuspendEvent == nullptr)
        m_hSuspendEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    // Made suspended, so that its queue exists before anything is posted to it.
    m_hThread = CreateThread(nullptr, 0, &SpeechThreadProc, this, CREATE_SUSPENDED, &m_dwThreadId);
    if (m_hThread == nullptr)
    {
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
        return;
    }
    m_bStarted = TRUE;
    ResumeThread(m_hThread);
    DropPendingRules();
    m_rules.Shuffle();
    SuspendSound();
}

void CSpeech::Shutdown()
{
    bool bStopped = true;
    DropPendingRules();
    m_rules.Clear();
    if (m_hThread != nullptr)
    {
        {
            std::lock_guard lock(m_lock);
            m_bStopAcknowledged = false;
        }
        PostThreadMessage(m_dwThreadId, WM_SPEECH_REQUEST, SPEECH_STOP, 0);
        // Closing the window must not hang on a thread that does not answer: it is left behind.
        bStopped = WaitForSingleObject(m_hThread, SHUTDOWN_WAIT_MS) == WAIT_OBJECT_0;
        if (!bStopped)
            OutputDebugString("Speech: the thread did not stop; it is left behind\n");
        CloseHandle(m_hThread);
        m_hThread = nullptr;
        m_dwThreadId = 0;
    }
    // A thread left behind may still play the module's phrases: the module stays loaded then.
    if (m_hModule != nullptr && bStopped)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_bStarted = FALSE;
    m_bFirstShot = TRUE;
    m_bActive = FALSE;
}

void CSpeech::Reset()
{
    m_astrPending.RemoveAll();
    ClearQueue();
    m_run = CSpeechQuery{};
    m_bFirstShot = TRUE;
    DropPendingRules();
    m_rules.Shuffle();
    m_dwLastComment = timeGetTime(); // a new rack starts a quiet spell
}

void CSpeech::ClearQueue()
{
    if (m_hThread == nullptr)
        return;
    {
        std::lock_guard lock(m_lock);
        ++m_nClearsPending;
    }
    if (!PostThreadMessage(m_dwThreadId, WM_SPEECH_CLEAR, 0, 0))
    {
        std::lock_guard lock(m_lock);
        --m_nClearsPending;
    }
}

void CSpeech::SuspendSound()
{
    if (m_hSuspendEvent != nullptr)
        ResetEvent(m_hSuspendEvent);
}

void CSpeech::ResumeSound()
{
    if (m_hSuspendEvent == nullptr)
        return;
    SetEvent(m_hSuspendEvent);
    // The thread sleeps while suspended: a message wakes it to look again.
    if (m_hThread != nullptr)
        PostThreadMessage(m_dwThreadId, WM_NULL, 0, 0);
}

DWORD CSpeech::GetLastPhraseStart()
{
    std::lock_guard lock(m_lock);
    return m_dwLastPhraseStart;
}

DWORD CSpeech::GetLastPhraseEnd()
{
    std::lock_guard lock(m_lock);
    return m_dwLastPhraseEnd;
}

void CSpeech::DropPendingRules()
{
    std::fill(std::begin(m_apPendingRules), std::end(m_apPendingRules), nullptr);
    m_rules.DropUsed();
}

BOOL CSpeech::PostRequest(WPARAM nWhat, const CString& strName, DWORD dwDelay, DWORD dwFlags)
{
    if (m_hThread == nullptr)
        return FALSE;
    auto pRequest = std::make_unique<CSpeechRequest>(strName, dwDelay, dwFlags);
    if (!PostThreadMessage(m_dwThreadId, WM_SPEECH_REQUEST, nWhat, reinterpret_cast<LPARAM>(pRequest.get())))
        return FALSE;   // not posted: deleted here
    pRequest.release(); // the thread owns it now
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// Comments (every one behind the commentary switch)
// ---------------------------------------------------------------------------------------------------------------------

BOOL CSpeech::SayText(LPCSTR szName)
{
    if (!IsCommentaryOn() || g_Settings.m_nSpeechMode == 0 || g_Settings.m_nSpeechType == SPEECH_TYPE_TEXT)
        return FALSE;
    CString strName = szName != nullptr ? CString(szName) : CString();
    if (strName.IsEmpty() && m_astrPending.GetSize() > 0)
    {
        strName = m_astrPending[0];
        m_astrPending.RemoveAt(0);
    }
    if (strName.IsEmpty())
        return FALSE;
    PostRequest(SPEECH_PLAY_NOW, strName, SAY_TEXT_DELAY_MS, SPEECH_AT_HEAD | SPEECH_EMPTY_FIRST);
    return TRUE;
}

BOOL CSpeech::SayRuleComment(CSpeechRule* pRule, DWORD dwDelay, DWORD dwFlags)
{
    if (g_Settings.m_nSpeechMode == 0)
        return FALSE;
    if (g_Settings.m_nSpeechType == SPEECH_TYPE_TEXT)
        return ShowRuleText(pRule);
    return SayComment(pRule, dwDelay, dwFlags);
}

BOOL CSpeech::ShowRuleText(CSpeechRule* pRule)
{
    if (!IsCommentaryOn() || pRule == nullptr || !pRule->m_bEnabled || pRule->m_bUsed || pRule->m_strText.IsEmpty())
        return FALSE;
    pRule->MarkUsed(timeGetTime());
    m_dwLastComment = pRule->m_dwLastUse;
    if (m_pTextSink != nullptr)
        m_pTextSink->ShowRuleText(pRule->m_strText, RULE_TEXT_MS);
    return TRUE;
}

BOOL CSpeech::SayComment(CSpeechRule* pRule, DWORD dwDelay, DWORD dwFlags)
{
    if (!IsCommentaryOn() || pRule == nullptr || !pRule->m_bEnabled || pRule->m_bUsed || pRule->m_strSound.IsEmpty())
        return FALSE;
    pRule->MarkUsed(timeGetTime());
    m_dwLastComment = pRule->m_dwLastUse;
    PostRequest(SPEECH_QUEUE, pRule->m_strSound, dwDelay, dwFlags);
    return TRUE;
}

BOOL CSpeech::PlayRule(CSpeechRule* pRule)
{
    if (!IsCommentaryOn() || !m_bActive || pRule == nullptr || g_Settings.m_nSpeechMode == 0)
        return FALSE;
    if (g_Settings.m_nSpeechType == SPEECH_TYPE_TEXT)
        return ShowRuleText(pRule);
    SayRuleComment(pRule, pRule->m_dwDelay, 0);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// Triggers
// ---------------------------------------------------------------------------------------------------------------------

namespace
{
/// The game type of the break's and done comments' queries.
constexpr int START_GAME_TYPE = 3;
constexpr int DONE_GAME_TYPE = 17;
} // namespace

bool CSpeech::TriggersAllowed() const { return IsCommentaryOn() && m_bActive && m_rules.GetCount() > 0; }

CSpeechRule* CSpeech::FindChanceRule(int nMoment, int nEvent, int nGameType)
{
    CSpeechQuery query;
    query.m_nMoment = nMoment;
    query.m_nEvent = nEvent;
    query.m_nGameType = nGameType;
    query.m_dwTime = timeGetTime();
    CSpeechRule* pRule = m_rules.FindRule(query);
    // A random number above percent / 100 of the range drops the rule.
    if (pRule != nullptr && CrtRand() > pRule->m_nPercent / 100.0 * CRT_RAND_MAX)
        return nullptr;
    return pRule;
}

void CSpeech::StartComment()
{
    if (!TriggersAllowed())
        return;
    m_apPendingRules[PENDING_BEFORE_SHOT] = FindChanceRule(MOMENT_ON_BREAK, EVENT_GENERAL, START_GAME_TYPE);
    m_apPendingRules[PENDING_AIMING] = nullptr;
    m_apPendingRules[PENDING_DELAY] = nullptr;
    PlayRule(m_apPendingRules[PENDING_BEFORE_SHOT]);
}

void CSpeech::DoneComment(BOOL bRobot, BOOL bLastBall, BOOL bHalfWay)
{
    if (!TriggersAllowed() || (!bLastBall && !bHalfWay))
        return;
    const int nMoment = bRobot ? MOMENT_AFTER_ROBOT_DONE : MOMENT_AFTER_HUMAN_DONE;
    m_apPendingRules[PENDING_AFTER_SHOT] =
        FindChanceRule(nMoment, bLastBall ? EVENT_LAST_BALL : EVENT_HALF_WAY, DONE_GAME_TYPE);
    if (m_apPendingRules[PENDING_AFTER_SHOT] != nullptr && m_apPendingRules[PENDING_BEFORE_SHOT] != nullptr)
        m_apPendingRules[PENDING_AIMING] = nullptr;
}

void CSpeech::AfterShotComment(BOOL bRobot, const CReferee& referee)
{
    if (!TriggersAllowed())
        return;
    DropPendingRules();
    if (m_bFirstShot)
    {
        m_bFirstShot = FALSE;
        m_run.m_nCount = 0;
        m_run.m_nPotted = 0;
    }
    const WORD wFlags = referee.GetFlags();
    const bool bFailed = (wFlags & (REF_FOUL | REF_CUE_POCKETED)) != 0 || (wFlags & REF_POCKETED) == 0;
    const bool bRobotNext = bRobot ? !bFailed : bFailed;
    const int nMoment = bRobot ? (bFailed ? MOMENT_AFTER_ROBOT_FAIL : MOMENT_AFTER_ROBOT_DONE)
                               : (bFailed ? MOMENT_AFTER_HUMAN_FAIL : MOMENT_AFTER_HUMAN_DONE);
    const int nRun = m_run.m_nCount + (bFailed ? 0 : 1);
    const int nEvent = nRun >= 4 ? EVENT_LONG : nRun == 3 ? EVENT_3_LONG : nRun == 2 ? EVENT_2_LONG : EVENT_GENERAL;
    const int nGameType = referee.GetGameType();
    m_apPendingRules[PENDING_AFTER_SHOT] = FindChanceRule(nMoment, nEvent, nGameType);
    m_apPendingRules[PENDING_BEFORE_SHOT] =
        FindChanceRule(bRobotNext ? MOMENT_BEFORE_ROBOT : MOMENT_BEFORE_HUMAN, EVENT_GENERAL, nGameType);
    if (!bRobotNext)
    {
        if (m_apPendingRules[PENDING_AFTER_SHOT] == nullptr || m_apPendingRules[PENDING_BEFORE_SHOT] == nullptr)
            m_apPendingRules[PENDING_AIMING] = FindChanceRule(MOMENT_BEFORE_HUMAN, EVENT_AIMING, nGameType);
        FindDelayRule(timeGetTime(), nGameType);
    }
    // The run record: who shot, and the potted balls and successes in a row since the last failure.
    m_run.m_bRobot = bRobot;
    m_run.m_bFail = bFailed;
    m_run.m_nPotted = bFailed ? 0 : m_run.m_nPotted + referee.CountPocketedNow();
    m_run.m_nCount = bFailed ? 0 : m_run.m_nCount + 1;
    m_run.m_nGameType = nGameType;
}

void CSpeech::FindDelayRule(DWORD dwTime, int nGameType)
{
    if (!TriggersAllowed())
        return;
    CSpeechQuery query;
    query.m_nMoment = MOMENT_BEFORE_HUMAN;
    query.m_nEvent = EVENT_DELAY;
    query.m_nGameType = nGameType;
    query.m_dwTime = dwTime;
    m_apPendingRules[PENDING_DELAY] = m_rules.FindRule(query);
}

void CSpeech::OfferIdleComment(int nGameType)
{
    const DWORD dwNow = timeGetTime();
    if (!TriggersAllowed() || dwNow - m_dwLastComment <= IDLE_COMMENT_MS)
        return;
    // Once per quiet spell, found or not: a query every tick would wear the rules' scores down.
    m_dwLastComment = dwNow;
    FindDelayRule(dwNow, nGameType);
    PlayDelayRule();
}
