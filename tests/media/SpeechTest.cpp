// The speech thread against a sound layer that only records what it was asked to play, on the
// test clock: queueing, pauses, suspension, clearing, the immediate phrase, a storm of requests
// and shutdowns in the middle of things; no request is ever lost.
#include "media/Speech.h"

#include "fixtures/WaitFor.h"

#include "foundation/Settings.h"
#include "media/SoundSystem.h"
#include "platform/TempFolder.h"
#include "platform/win32/Clock.h"
#include "platform/win32/ResourceLibrary.h"
#include "simulation/RefereeTypes.h"

#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>

namespace
{

constexpr DWORD PHRASE_MS = 300;

/// Records the phrases it is asked to play and counts the thread's looks at the playing phrase;
/// a phrase plays PHRASE_MS of the test clock. Each call wakes whoever waits on the record.
class CRecordingSound : public CSoundSystem
{
public:
    CRecordingSound() : CSoundSystem("no such library") {}

    struct SPlayed
    {
        std::string strName;
        char cHolder;
        DWORD dwAt;
    };

    BOOL PlayInHolderA(HMODULE, LPCSTR szName, LPCSTR, const CVector3&) override
    {
        std::lock_guard lock(m_mutex);
        m_aPlayed.push_back(SPlayed{szName, 'A', timeGetTime()});
        m_dwEndA = timeGetTime() + PHRASE_MS;
        m_bUsedA = true;
        m_cv.notify_all();
        return TRUE;
    }
    BOOL PlayInHolderB(HMODULE, LPCSTR szName, LPCSTR, const CVector3&) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_aPlayed.push_back(SPlayed{szName, 'B', timeGetTime()});
            m_cv.notify_all();
        }
        if (m_onPlayInB)
            m_onPlayInB();
        return TRUE;
    }
    BOOL IsSlotPlaying(int nSlot) const override
    {
        std::lock_guard lock(m_mutex);
        return nSlot == 63 && static_cast<LONG>(m_dwEndA - timeGetTime()) > 0;
    }
    /// The thread asks for the slot first whenever it looks at what plays and what is due.
    int GetHolderASlot() const override
    {
        std::lock_guard lock(m_mutex);
        ++m_nLooks;
        m_cv.notify_all();
        return m_bUsedA ? 63 : -1;
    }
    // The thread looks again soon; the test moves the clock and wakes it.
    DWORD GetSlotRemainingMs(int) const override { return 5; }

    std::vector<SPlayed> Played() const
    {
        std::lock_guard lock(m_mutex);
        return m_aPlayed;
    }
    int Looks() const
    {
        std::lock_guard lock(m_mutex);
        return m_nLooks;
    }
    bool WaitForPlayed(std::size_t n) const
    {
        return WaitFor([&] { return m_aPlayed.size() >= n; });
    }
    bool WaitForLooks(int n) const
    {
        return WaitFor([&] { return m_nLooks >= n; });
    }
    /// Run on the speech thread after each phrase it plays at once.
    void OnPlayInB(std::function<void()> f) { m_onPlayInB = std::move(f); }

private:
    template <class F> bool WaitFor(F holds) const
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, TEST_WAIT_BOUND, holds);
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<SPlayed> m_aPlayed;
    DWORD m_dwEndA = 0;
    bool m_bUsedA = false;
    mutable int m_nLooks = 0;
    std::function<void()> m_onPlayInB;
};

/// A speech module with a rules text, a speech object on the recording sound layer, the test clock.
class CSpeechTest : public testing::Test
{
protected:
    void SetUp() override { StartWithRules("@\r\nhello%Hello%%OnBreak%50%%\r\n"); }
    void StartWithRules(const std::string& strRules)
    {
        m_pSpeech.reset();
        CResourceLibraryWriter writer;
        std::string strError;
        ASSERT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("SPEECHRULES.SET"), 0,
                               std::vector<BYTE>(strRules.begin(), strRules.end()), strError));
        ASSERT_TRUE(writer.WriteFile(m_folder.File("speech.dat"), strError));
        m_pSpeech = std::make_unique<CSpeech>(m_folder.File("speech.dat").c_str());
        m_pSpeech->SetSoundLayer(&m_sound);
        m_pSpeech->Init();
        ASSERT_TRUE(m_pSpeech->IsStarted());
    }
    void TearDown() override
    {
        m_pSpeech.reset();
        EXPECT_EQ(CSpeechRequest::LiveCount(), 0);
    }

    void Queue(const char* szName, DWORD dwDelay, DWORD dwFlags = 0)
    {
        ASSERT_TRUE(m_pSpeech->PostRequest(SPEECH_QUEUE, szName, dwDelay, dwFlags));
    }
    /// Resumes speech and waits until the thread has taken every message posted before and has
    /// finished a look at the clock as it is now: a look ends when the next one begins, and the
    /// second look after the call is the first whose messages were surely all taken.
    void Settle()
    {
        const int nLooks = m_sound.Looks();
        for (int i = 1; i <= 3; ++i)
        {
            m_pSpeech->ResumeSound(); // each wakes the thread for one more look
            ASSERT_TRUE(m_sound.WaitForLooks(nLooks + i)) << "the speech thread does not look";
        }
    }
    /// Moves the clock on and lets the thread act on it.
    void Advance(DWORD dwMs)
    {
        m_clock.Advance(dwMs);
        Settle();
    }
    /// Moves the clock to the end of the playing phrase and lets the thread see it end.
    void EndPhrase()
    {
        const DWORD dwEnd = m_pSpeech->GetLastPhraseStart() + PHRASE_MS;
        Advance(dwEnd - timeGetTime());
        EXPECT_EQ(m_pSpeech->GetLastPhraseEnd(), dwEnd);
    }
    /// The names of the queued phrases played, in order.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> aNames;
        for (const auto& played : m_sound.Played())
            if (played.cHolder == 'A')
                aNames.push_back(played.strName);
        return aNames;
    }
    bool PlayedCount(std::size_t n) const { return m_sound.WaitForPlayed(n); }
    /// Once the thread has acted on everything, n phrases have played.
    void ExpectNothingMore(std::size_t n)
    {
        Settle();
        EXPECT_EQ(m_sound.Played().size(), n);
    }

    CTestClockScope m_clock{100000};
    CTempFolder m_folder;
    CRecordingSound m_sound;
    std::unique_ptr<CSpeech> m_pSpeech;
};

} // namespace

TEST_F(CSpeechTest, SuspendedRequestsWaitThenPlayEachAfterItsPause)
{
    EXPECT_EQ(m_pSpeech->Rules().GetCount(), 1);
    Queue("one", 0);
    Queue("two", 1000);
    // Speech starts suspended: a phrase said at once is taken after the queued ones and plays,
    // but nothing queued does.
    ASSERT_TRUE(m_pSpeech->PostRequest(SPEECH_PLAY_NOW, "marker", 0, 0));
    ASSERT_TRUE(PlayedCount(1));
    EXPECT_EQ(m_sound.Played()[0].strName, "marker");
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(2));
    EXPECT_EQ(m_sound.Played()[1].dwAt, 100000u);
    EXPECT_EQ(m_pSpeech->GetLastPhraseStart(), 100000u);
    EndPhrase(); // "one" ends at 100300
    ExpectNothingMore(2);
    Advance(1000); // exactly the pause: not yet
    ExpectNothingMore(2);
    Advance(1);
    ASSERT_TRUE(PlayedCount(3));
    EXPECT_EQ(m_sound.Played()[2].strName, "two");
    EXPECT_EQ(m_sound.Played()[2].dwAt, 101301u);
}

TEST_F(CSpeechTest, AHeadRequestThatEmptiesFirstBecomesTheOnlyOne)
{
    Queue("a", 0);
    Queue("b", 0);
    Queue("c", 0, SPEECH_AT_HEAD | SPEECH_EMPTY_FIRST);
    Queue("d", 0, SPEECH_AT_HEAD);
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(1));
    EndPhrase(); // "d" ends; "c" follows once any quiet time has passed
    ExpectNothingMore(1);
    Advance(1);
    ASSERT_TRUE(PlayedCount(2));
    EndPhrase();
    Advance(1);
    ExpectNothingMore(2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"d", "c"}));
}

TEST_F(CSpeechTest, ClearingDiscardsWhatWasPostedBeforeIt)
{
    Queue("old1", 0);
    m_pSpeech->ClearQueue();
    Queue("old2", 0);        // posted after the first clear...
    m_pSpeech->ClearQueue(); // ...but before the second
    Queue("new", 0);
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(1));
    ExpectNothingMore(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"new"}));
}

TEST_F(CSpeechTest, APhraseSaidAtOncePlaysBesideTheQueue)
{
    Queue("queued", 0);
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(1));
    ASSERT_TRUE(m_pSpeech->PostRequest(SPEECH_PLAY_NOW, "now", 3000, 3));
    ASSERT_TRUE(PlayedCount(2));
    EXPECT_EQ(m_sound.Played()[1].strName, "now");
    EXPECT_EQ(m_sound.Played()[1].cHolder, 'B');
}

TEST_F(CSpeechTest, AStormOfRequestsWhileTheMainThreadClearsSuspendsAndResumes)
{
    for (int i = 0; i < 5000; ++i)
    {
        Queue(i % 7 == 0 ? "front" : "back", static_cast<DWORD>(i % 3), i % 7 == 0 ? SPEECH_AT_HEAD : 0);
        if (i % 97 == 0)
            m_pSpeech->ClearQueue();
        if (i % 13 == 0)
            m_pSpeech->SuspendSound();
        if (i % 17 == 0)
            Advance(PHRASE_MS + 5);
        if (i % 501 == 0)
        {
            ASSERT_TRUE(m_pSpeech->PostRequest(SPEECH_PLAY_NOW, "now", 0, 0));
        }
    }
    // Phrases go on playing as the clock moves: the last clear leaves more than ten behind it.
    for (int i = 0; i < 20 && m_sound.Played().size() < 10; ++i)
        Advance(PHRASE_MS + 5);
    EXPECT_GE(m_sound.Played().size(), 10u);
    // The rest is still queued or in flight: shutting down deletes it all (TearDown counts).
}

TEST_F(CSpeechTest, AResumeWhileTheThreadTakesItsMessagesIsNotLost)
{
    // The resume lands after the thread has seen speech suspended and before it sleeps: it still
    // wakes the thread, and the queued phrase plays.
    m_sound.OnPlayInB([&] { m_pSpeech->ResumeSound(); });
    Queue("queued", 0);
    ASSERT_TRUE(m_pSpeech->PostRequest(SPEECH_PLAY_NOW, "now", 0, 0));
    ASSERT_TRUE(PlayedCount(2));
    EXPECT_EQ(Names(), (std::vector<std::string>{"queued"}));
}

TEST_F(CSpeechTest, ShutdownInTheMiddleJoinsAndLosesNothing)
{
    for (int i = 0; i < 50; ++i)
        Queue("phrase", 10);
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(1)); // one plays, 49 wait
    m_pSpeech->ClearQueue();
    Queue("after the clear", 0);
    m_pSpeech->Shutdown();
    EXPECT_FALSE(m_pSpeech->IsStarted());
    EXPECT_EQ(CSpeechRequest::LiveCount(), 0);
    EXPECT_EQ(m_pSpeech->Rules().GetCount(), 0);
    // Without a thread nothing is posted, and nothing is left behind.
    EXPECT_FALSE(m_pSpeech->PostRequest(SPEECH_QUEUE, "late", 0, 0));
    EXPECT_EQ(CSpeechRequest::LiveCount(), 0);
    m_pSpeech->Shutdown();
}

TEST_F(CSpeechTest, InitRunsOnceAndTheSwitchKeepsCommentsOff)
{
    m_pSpeech->Init(); // a second call changes nothing
    EXPECT_TRUE(m_pSpeech->IsStarted());
    EXPECT_FALSE(m_pSpeech->IsCommentaryOn());
    CSpeechRule* pRule = m_pSpeech->Rules().GetRule(0);
    EXPECT_FALSE(m_pSpeech->SayComment(pRule, 0, 0));
    EXPECT_FALSE(m_pSpeech->PlayRule(pRule));
    EXPECT_FALSE(m_pSpeech->SayText("hello.wav"));
    m_pSpeech->ResumeSound();
    ExpectNothingMore(0);
}

TEST(SpeechWithoutModuleTest, StaysSilentWithoutAThread)
{
    CSpeech speech("no such speech module.dat");
    speech.Init();
    EXPECT_FALSE(speech.IsStarted());
    EXPECT_FALSE(speech.PostRequest(SPEECH_QUEUE, "x", 0, 0));
    speech.ClearQueue();
    speech.ResumeSound();
    speech.Shutdown();
    EXPECT_EQ(CSpeechRequest::LiveCount(), 0);
}

TEST_F(CSpeechTest, TriggersChooseTheirRulesOnlyWithTheSwitchOn)
{
    StartWithRules("@\r\n"
                   "brk%Break%%OnBreak%100%%%%\r\n"
                   "hd%Human done%%AfterHumanDone%100%%%%\r\n"
                   "hf%Human fail%%AfterHumanFail%100%%%%\r\n"
                   "h2%Two in a row%2Long%AfterHumanDone%100%%%%\r\n"
                   "bh%Before human%%BeforeHuman%100%%%%\r\n"
                   "br%Before robot%%BeforeRobot%100%%%%\r\n"
                   "aim%Aim%Aiming%BeforeHuman%100%%%%\r\n"
                   "dl%Delay%Delay%BeforeHuman%100%%%%\r\n"
                   "last%Last%LastBall%AfterRobotDone%100%American%%%\r\n");
    const CSettings saved = g_Settings;
    g_Settings.m_nSpeechMode = 2;
    g_Settings.m_nSpeechType = 0;
    const auto Pending = [&](int i)
    {
        const CSpeechRule* pRule = m_pSpeech->GetPendingRule(i);
        return pRule != nullptr ? pRule->m_strSound.Str() : std::string("-");
    };
    // Off, as in the game: nothing is chosen and nothing is said.
    m_pSpeech->StartComment();
    EXPECT_EQ(Pending(CSpeech::PENDING_BEFORE_SHOT), "-");

    m_pSpeech->SetCommentaryForTest(TRUE);
    m_pSpeech->StartComment();
    EXPECT_EQ(Pending(CSpeech::PENDING_BEFORE_SHOT), "brk.wav");
    m_pSpeech->ResumeSound();
    ASSERT_TRUE(PlayedCount(1));
    EXPECT_EQ(Names(), (std::vector<std::string>{"brk.wav"}));

    CReferee8Ball referee;
    referee.Init(8);
    referee.SetFlags(REF_POCKETED); // the human pots a ball
    m_pSpeech->AfterShotComment(FALSE, referee);
    EXPECT_EQ(Pending(CSpeech::PENDING_AFTER_SHOT), "hd.wav");
    EXPECT_EQ(Pending(CSpeech::PENDING_BEFORE_SHOT), "bh.wav");
    EXPECT_EQ(Pending(CSpeech::PENDING_AIMING), "-"); // both found: no aiming comment
    EXPECT_EQ(Pending(CSpeech::PENDING_DELAY), "dl.wav");
    EXPECT_EQ(m_pSpeech->GetRunRecord().m_nCount, 1);
    m_pSpeech->AfterShotComment(FALSE, referee); // the second in a row
    EXPECT_EQ(Pending(CSpeech::PENDING_AFTER_SHOT), "h2.wav");
    referee.SetFlags(REF_FOUL);
    m_pSpeech->AfterShotComment(FALSE, referee); // a foul: the computer plays next
    EXPECT_EQ(Pending(CSpeech::PENDING_AFTER_SHOT), "hf.wav");
    EXPECT_EQ(Pending(CSpeech::PENDING_BEFORE_SHOT), "br.wav");
    EXPECT_EQ(Pending(CSpeech::PENDING_DELAY), "-");
    EXPECT_EQ(m_pSpeech->GetRunRecord().m_nCount, 0);
    EXPECT_TRUE(m_pSpeech->GetRunRecord().m_bFail);

    m_pSpeech->DoneComment(TRUE, TRUE, FALSE);
    EXPECT_EQ(Pending(CSpeech::PENDING_AFTER_SHOT), "last.wav");
    m_pSpeech->PlayAfterShotRule();
    EndPhrase();
    Advance(1); // the after-shot pause is 0 here: any quiet time will do
    ASSERT_TRUE(PlayedCount(2));
    EXPECT_EQ(Names().back(), "last.wav");

    // Asked for written text, the rule's text goes to the on-screen messages instead.
    struct SSink : IRuleTextSink
    {
        void ShowRuleText(const CString& strText, DWORD dwMs) override { aShown.emplace_back(strText.Str(), dwMs); }
        std::vector<std::pair<std::string, DWORD>> aShown;
    } sink;
    m_pSpeech->SetRuleTextSink(&sink);
    g_Settings.m_nSpeechType = 10;
    EXPECT_TRUE(m_pSpeech->PlayRule(m_pSpeech->Rules().GetRule(7)));
    EXPECT_EQ(sink.aShown, (std::vector<std::pair<std::string, DWORD>>{{"Delay", 2000}}));
    ExpectNothingMore(2);
    g_Settings = saved;
}
