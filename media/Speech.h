// The commentator: the speech module (recorded phrases and the rules text), a thread of its own
// that plays queued phrase requests one after the other through the sound layer's first holder,
// each after its pause and only while speech is not suspended, and the triggers that would turn
// game events into requests. The commentary switch answers off, so no trigger posts anything;
// the module, the rules, the thread, suspension, queue clearing and the orderly stop all run.
//
// Threads: the main thread calls every operation; the speech thread owns the request queue and
// the sound layer's holders. They share the clear-pending and stop-acknowledged flags and the
// last phrase start time under one lock. The thread blocks until a message, a resumption, the
// end of the playing phrase or the head request's pause: it never polls.
#pragma once

#include "media/SpeechRules.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Sync.h"
#include "platform/win32/WinTypes.h"

#include <atomic>
#include <mutex>

class CReferee;
class CSoundSystem;

/// The speech module's file name ("VornSpeech.dat"). Read-only; any thread.
extern const char* const g_szSpeechLibrary;

inline constexpr UINT WM_SPEECH_REQUEST = WM_USER + 15;
inline constexpr UINT WM_SPEECH_CLEAR = WM_USER + 16;
// WM_SPEECH_REQUEST's wParam.
inline constexpr WPARAM SPEECH_QUEUE = 1;
inline constexpr WPARAM SPEECH_PLAY_NOW = 2;
inline constexpr WPARAM SPEECH_STOP = 3;
// A request's flags.
inline constexpr DWORD SPEECH_AT_HEAD = 0x1;
inline constexpr DWORD SPEECH_EMPTY_FIRST = 0x2;

/// One phrase to play: made by the sender, owned and deleted by the speech thread once posted.
class CSpeechRequest
{
public:
    CSpeechRequest(const CString& strName, DWORD dwDelay, DWORD dwFlags);
    ~CSpeechRequest();
    CSpeechRequest(const CSpeechRequest&) = delete;
    CSpeechRequest& operator=(const CSpeechRequest&) = delete;
    /// Requests alive now, any thread (tests check that none is lost).
    static int LiveCount();

    CString m_strName;
    DWORD m_dwDelay = 0; ///< ms of quiet after the previous phrase ended
    DWORD m_dwFlags = 0;

private:
    static std::atomic<int> s_nLive;
};

/// Where written comments go: the on-screen messages, which the interface owns.
class IRuleTextSink
{
public:
    virtual ~IRuleTextSink() = default;
    virtual void ShowRuleText(const CString& strText, DWORD dwDurationMs) = 0;
};

class CSpeech
{
public:
    explicit CSpeech(LPCSTR szLibrary = g_szSpeechLibrary);
    virtual ~CSpeech();
    CSpeech(const CSpeech&) = delete;
    CSpeech& operator=(const CSpeech&) = delete;

    /// The main window's sound layer, which the thread plays through; set before Init.
    void SetSoundLayer(CSoundSystem* pSound) { m_pSound = pSound; }
    /// Loads the module and its rules and starts the thread, speech suspended. Once: a running
    /// thread makes it return at once. Without the module speech stays silent.
    void Init();
    /// Stops the thread, waiting at most 5 s for it (a thread that does not answer is left
    /// behind); drops and deletes the rules. Safe to call twice.
    void Shutdown();
    /// At each new rack.
    void Reset();
    void ClearQueue();
    void SuspendSound();
    void ResumeSound();

    BOOL SayText(LPCSTR szName);
    BOOL SayRuleComment(CSpeechRule* pRule, DWORD dwDelay, DWORD dwFlags);
    /// A rule's written text, shown for 2000 ms through the sink (none set: nothing is shown).
    BOOL ShowRuleText(CSpeechRule* pRule);
    void SetRuleTextSink(IRuleTextSink* pSink) { m_pTextSink = pSink; }
    IRuleTextSink* GetRuleTextSink() const { return m_pTextSink; }
    BOOL SayComment(CSpeechRule* pRule, DWORD dwDelay, DWORD dwFlags);
    BOOL PlayRule(CSpeechRule* pRule);
    /// The commentary switch every trigger asks first: off in the game.
    BOOL IsCommentaryOn() const { return m_bCommentary; }
    /// Test seam: turns the switch on, so that the triggers can be checked.
    void SetCommentaryForTest(BOOL bOn) { m_bCommentary = bOn; }

    // Triggers: each needs the switch on, the speech object active and rules loaded, and each
    // rule found passes a chance test of its percentage.
    /// At game start and after the intro: the break's comment.
    void StartComment();
    /// After a shot in the American and bonus games, when the last ball or half of them went.
    void DoneComment(BOOL bRobot, BOOL bLastBall, BOOL bHalfWay);
    /// After every shot: the comment on it, on the coming shot and, for the human, on aiming.
    void AfterShotComment(BOOL bRobot, const CReferee& referee);
    /// While the human aims: the comment on a long pause.
    void FindDelayRule(DWORD dwTime, int nGameType);
    /// Each tick while the human aims: once the commentary has been quiet for more than
    /// IDLE_COMMENT_MS, the delay rule is looked up and played (asked once per quiet spell).
    void OfferIdleComment(int nGameType);
    static constexpr DWORD IDLE_COMMENT_MS = 20000;
    void PlayAfterShotRule() { PlayRule(m_apPendingRules[PENDING_AFTER_SHOT]); }
    void PlayBeforeShotRule() { PlayRule(m_apPendingRules[PENDING_BEFORE_SHOT]); }
    void PlayDelayRule() { PlayRule(m_apPendingRules[PENDING_DELAY]); }
    CSpeechRule* GetPendingRule(int i) const { return m_apPendingRules[i]; }
    const CSpeechQuery& GetRunRecord() const { return m_run; }

    // The pending rules.
    static constexpr int PENDING_AFTER_SHOT = 0;
    static constexpr int PENDING_BEFORE_SHOT = 1;
    static constexpr int PENDING_AIMING = 2;
    static constexpr int PENDING_DELAY = 3;

    /// Posts a request to the thread (SPEECH_QUEUE or SPEECH_PLAY_NOW); 0 without a thread, and the
    /// request is deleted then.
    BOOL PostRequest(WPARAM nWhat, const CString& strName, DWORD dwDelay, DWORD dwFlags);

    BOOL IsStarted() const { return m_bStarted; }
    BOOL IsActive() const { return m_bActive; }
    void SetActive(BOOL bActive) { m_bActive = bActive; }
    CSpeechRules& Rules() { return m_rules; }
    /// timeGetTime when the last queued phrase started (the thread writes it).
    DWORD GetLastPhraseStart();
    /// timeGetTime when the thread saw the last queued phrase end.
    DWORD GetLastPhraseEnd();

private:
    friend class CSpeechThread;
    void DropPendingRules();
    bool TriggersAllowed() const;
    /// The rule for a moment and event, kept only when it passes its chance test.
    CSpeechRule* FindChanceRule(int nMoment, int nEvent, int nGameType);

    CString m_strLibrary;
    CStringArray m_astrPending; // phrase names waiting for SayText
    HMODULE m_hModule = nullptr;
    BOOL m_bStarted = FALSE;
    HANDLE m_hThread = nullptr;
    DWORD m_dwThreadId = 0;
    CSpeechRules m_rules;
    BOOL m_bActive = TRUE;
    BOOL m_bFirstShot = TRUE;
    CSpeechRule* m_apPendingRules[4] = {}; // after-shot, before-shot, aiming, delay
    CSpeechQuery m_run;
    CSoundSystem* m_pSound = nullptr;
    BOOL m_bCommentary = FALSE;
    DWORD m_dwLastComment = 0; // timeGetTime of the last comment, or of the last idle offer
    IRuleTextSink* m_pTextSink = nullptr;

    // Shared with the thread.
    std::mutex m_lock;
    int m_nClearsPending = 0; // ClearQueue calls whose clear message the thread has not yet taken
    bool m_bStopAcknowledged = true;
    DWORD m_dwLastPhraseStart = 0;
    DWORD m_dwLastPhraseEnd = 0;
    HANDLE m_hSuspendEvent = nullptr; // manual reset, signalled while speech may play
};

/// The speech thread's body; its parameter is the speech object.
DWORD SpeechThreadProc(void* pParam);

/// The global speech object; main thread.
extern CSpeech g_Speech;
