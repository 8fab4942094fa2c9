// What the real main frame plays, read back from SDL's disk audio driver: the effects panned by
// where they lie seen from the camera at either end of the table, the commentary after a shot,
// closing while the speech thread does not answer, and a track paused with the focus.
#include "fixtures/AudioFixtures.h"
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/ui/DialogDriver.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/GameFlow.h"
#include "media/MusicPlayer.h"
#include "media/Speech.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/ResourceLibrary.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/PhysicsConstants.h"
#include "ui/MessageDlg.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace
{

/// SDL's disk driver for one test: everything the frame's sound device plays goes to a file.
class CDiskAudio
{
public:
    CDiskAudio() : m_file("SDL_DISKAUDIOFILE", m_folder.File("out.raw").c_str()) {}

    /// Every stereo frame written so far.
    std::vector<std::int16_t> Played() const { return ReadStereo16(m_folder.File("out.raw")); }
    /// How many frames have been written so far: what is played from now on lies after them.
    std::size_t FramesSoFar() const
    {
        std::error_code error;
        const auto nBytes = std::filesystem::file_size(m_folder.File("out.raw"), error);
        return error ? 0 : static_cast<std::size_t>(nBytes / 4);
    }

private:
    CTempFolder m_folder;
    CEnvScope m_driver{"SDL_AUDIODRIVER", "disk"};
    CEnvScope m_file;
};

/// Waits, serving the test thread's messages, until done() answers true or 20 s have passed.
bool WaitUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

/// A started frame on the disk driver with the settings a test asks for; the settings and the
/// mode word as they were afterwards.
class CSoundFrame
{
public:
    CSoundFrame(const std::function<void(CAppFolder&)>& addFiles, const std::function<void(CSettings&)>& setUp)
    {
        m_app.AddArtworkLibrary();
        addFiles(m_app);
        m_saved = g_Settings;
        g_Settings.SetDefaults();
        setUp(g_Settings);
        g_nGameMode = gmStartupFlag; // as the program starts
        m_pScope = std::make_unique<CFrameScope>(true);
        if (const LPDIRECTSOUND& pDS = Frame().GetSoundSystem().GetDirectSound(); pDS != nullptr)
            m_nRate = pDS->Output().Rate();
    }
    ~CSoundFrame()
    {
        Close();
        g_nGameMode = 0;
        g_Settings = m_saved;
    }
    CSoundFrame(const CSoundFrame&) = delete;
    CSoundFrame& operator=(const CSoundFrame&) = delete;

    bool Started() const
    {
        return m_pScope != nullptr && m_pScope->m_bCreated && Frame().IsGameStarted() && m_nRate > 0;
    }
    /// The sound device's frames per second.
    int Rate() const { return m_nRate; }
    /// Waits until the device has written nFrames more frames to the file.
    bool WaitForFrames(std::size_t nFrames) const
    {
        const std::size_t nFrom = m_audio.FramesSoFar();
        return WaitUntil([&] { return m_audio.FramesSoFar() >= nFrom + nFrames; });
    }
    CMainFrame& Frame() const { return *m_pScope->m_pFrame; }
    CGameFlow& Flow() const { return Frame().GetGameFlow(); }
    const CDiskAudio& Audio() const { return m_audio; }
    /// The window destroyed and the sound device closed: the file holds everything played.
    void Close() { m_pScope.reset(); }
    /// Strikes for the current player and ticks until the shot is judged.
    bool StrikeAndJudge()
    {
        g_nGameMode = modeAim;
        Flow().Cue().fPullBack = Flow().Cue().fMax * 0.2f;
        Flow().StrikeCueBall();
        CTestClockScope clock(timeGetTime());
        for (int nFrame = 0; nFrame < 3000 && HasGameFlag(gmShotRunning); ++nFrame)
        {
            clock.Advance(16);
            Frame().OnFrame();
        }
        return !HasGameFlag(gmShotRunning);
    }

private:
    CDiskAudio m_audio; // before the frame, whose device opens the driver
    CAppFolder m_app;
    CSettings m_saved;
    std::unique_ptr<CFrameScope> m_pScope;
    int m_nRate = 0;
};

void AddGameSounds(CAppFolder& app)
{
    std::filesystem::copy_file(VORN_GAME_DIR "/VornWave.dll", app.Folder().File("VornWave.dll"));
}

/// A speech module with two phrases, a high one for every comment after a shot of nine-ball and a
/// low one for eight-ball, spoken at once, and the close question's own phrase between them.
void AddSpeechModule(CAppFolder& app)
{
    CResourceLibraryWriter writer;
    std::string strError;
    const auto wave = [](double dHz) { return EncodeWave(22050, 1, 16, MakeTone(dHz, 22050, 0.3, 0.6f)); };
    ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("NINE.WAV"), 0, wave(900.0), strError));
    ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("EIGHT.WAV"), 0, wave(400.0), strError));
    ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("MSG_SURE.WAV"), 0, wave(600.0), strError));
    std::string strRules = "@\r\n$0;0;\r\n";
    for (const char* szMoment : {"AfterHumanDone", "AfterHumanFail", "AfterRobotDone", "AfterRobotFail"})
    {
        strRules += std::string("NINE%Nine%%") + szMoment + "%100%9Ball\r\n";
        strRules += std::string("EIGHT%Eight%%") + szMoment + "%100%8Ball\r\n";
    }
    strRules += "@@\r\n";
    const std::vector<BYTE> rules(strRules.begin(), strRules.end());
    ASSERT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("SPEECHRULES.SET"), 0, rules, strError));
    ASSERT_TRUE(writer.WriteFile(app.Folder().File(g_szSpeechLibrary), strError)) << strError;
}

/// Nine-ball against the computer, with the commentary's speech mode.
void NineBallAgainstTheComputer(CSettings& s)
{
    s.m_nGameType = GAME_9BALL;
    s.m_nCompetitionType = 1;
    s.m_nPlayerLevel2 = 5;
    s.m_nSpeechMode = 2;
    s.m_nMusicEnable = 0;
}

/// The game's camera on its orbit about the table's centre at the heading, close enough that the
/// table's sides lie well apart to either side of the view.
void PlaceCamera(CMainFrame& frame, float fYaw)
{
    SFlowCamera& camera = frame.GetGameFlow().Camera();
    camera.fYaw = fYaw;
    camera.SetPitch(SFlowCamera::DEFAULT_PITCH);
    camera.fDistance = 50.0f;
    camera.fShift1 = camera.fShift2 = 0.0f;
    camera.vLookAt = CVector3(0.0f, SCENE_BED_HEIGHT, 0.0f);
    camera.Place();
}

} // namespace

// A ball struck at the left of the player's view sounds louder on the left, and one at the right
// on the right, from either end of the table: the listener stands where the camera is.
TEST(FrameSoundTest, ABallStruckToThePlayersLeftSoundsFromTheLeftFromEitherEnd)
{
    CSoundFrame frame(&AddGameSounds, [](CSettings& s) { s.m_nMusicEnable = 0; });
    ASSERT_TRUE(frame.Started());
    const int nSlot = frame.Frame().GetGameSoundSlot(3010);
    ASSERT_GE(nSlot, 0);
    struct SCase
    {
        const char* szName;
        float fYaw;
        bool bLeft; // the ball at the left of the view, else at the right
    };
    const SCase aCases[] = {{"from the head, left", 180.0f, true},
                            {"from the head, right", 180.0f, false},
                            {"from the foot, left", 0.0f, true},
                            {"from the foot, right", 0.0f, false}};
    // Points on the cloth (table metres) on both sides of the table's long and short axes.
    const float fX = TABLE_WIDTH_M / 2.0f, fY = TABLE_LENGTH_M / 2.0f;
    const CVector3 aPoints[] = {CVector3(fX + 0.4f, fY + 0.8f, 0.0f), CVector3(fX - 0.4f, fY + 0.8f, 0.0f),
                                CVector3(fX + 0.4f, fY - 0.8f, 0.0f), CVector3(fX - 0.4f, fY - 0.8f, 0.0f)};
    std::vector<std::size_t> aStarts;
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeAim;
        PlaceCamera(frame.Frame(), c.fYaw);
        ASSERT_TRUE(frame.Frame().OnFrame()); // the view, and the listener with it
        // The point the player sees farthest to that side.
        const CVector3* pChosen = nullptr;
        float fBest = 0.0f;
        for (const CVector3& vTable : aPoints)
        {
            CVector3 vScene = TableToScene(vTable), vScreen;
            ProjectToScreen(&vScreen, &vScene);
            const float fSide = c.bLeft ? -vScreen.x : vScreen.x;
            if (pChosen == nullptr || fSide > fBest)
                pChosen = &vTable, fBest = fSide;
        }
        aStarts.push_back(frame.Audio().FramesSoFar());
        frame.Frame().PlayShotEvent(2, 3, *pChosen); // ball on ball, as the engine records it
        CSoundSystem& sound = frame.Frame().GetSoundSystem();
        ASSERT_TRUE(WaitUntil([&] { return !sound.IsSlotPlaying(nSlot); }));
        ASSERT_TRUE(frame.WaitForFrames(static_cast<std::size_t>(frame.Rate() / 10))); // its end is written
    }
    frame.Close();
    const std::vector<std::int16_t> played = frame.Audio().Played();
    const std::vector<float> left = Channel(played, 0), right = Channel(played, 1);
    for (std::size_t i = 0; i < aStarts.size(); ++i)
    {
        SCOPED_TRACE(aCases[i].szName);
        const std::size_t nEnd = i + 1 < aStarts.size() ? aStarts[i + 1] : left.size();
        ASSERT_LT(aStarts[i], nEnd);
        const std::span<const float> l(left.data() + aStarts[i], nEnd - aStarts[i]);
        const std::span<const float> r(right.data() + aStarts[i], nEnd - aStarts[i]);
        ASSERT_GT(Rms(l) + Rms(r), 0.001f) << "the click was played";
        if (aCases[i].bLeft)
        {
            EXPECT_GT(Rms(l), 1.3f * Rms(r));
        }
        else
        {
            EXPECT_GT(Rms(r), 1.3f * Rms(l));
        }
    }
}

// With the commentary switch off (as in play) nothing is said after a shot; with it on, the rule
// of the game being played speaks its phrase once the shot is judged, not the other game's.
TEST(FrameSoundTest, WithTheCommentaryOnARuleOfTheGameTypeIsSpokenAfterAShot)
{
    CSoundFrame frame(&AddSpeechModule, &NineBallAgainstTheComputer);
    ASSERT_TRUE(frame.Started());
    ASSERT_TRUE(g_Speech.IsStarted());
    std::vector<std::pair<std::size_t, std::size_t>> aSpans; // the frames after each shot's judging
    for (const BOOL bCommentary : {FALSE, TRUE})
    {
        SCOPED_TRACE(bCommentary ? "on" : "off");
        g_Speech.SetCommentaryForTest(bCommentary);
        const DWORD dwSpokenBefore = g_Speech.GetLastPhraseStart();
        ASSERT_TRUE(frame.StrikeAndJudge());
        const std::size_t nJudged = frame.Audio().FramesSoFar();
        if (bCommentary)
        {
            ASSERT_TRUE(WaitUntil([&] { return g_Speech.GetLastPhraseStart() != dwSpokenBefore; }));
        }
        // Half a second of output after the phrase began (or would have).
        ASSERT_TRUE(frame.WaitForFrames(static_cast<std::size_t>(frame.Rate() / 2)));
        aSpans.emplace_back(nJudged, frame.Audio().FramesSoFar());
    }
    g_Speech.SetCommentaryForTest(FALSE);
    frame.Close();
    const std::vector<std::int16_t> played = frame.Audio().Played();
    const std::vector<float> left = Channel(played, 0);
    const int nRate = frame.Rate();
    ASSERT_LE(aSpans[1].second, left.size());
    const std::span<const float> off(left.data() + aSpans[0].first, aSpans[0].second - aSpans[0].first);
    EXPECT_EQ(0u, FindSound(off, 0.02f).Length()) << "the switch off: silent";
    const std::span<const float> on(left.data() + aSpans[1].first, aSpans[1].second - aSpans[1].first);
    const SSpan phrase = FindSound(on, 0.02f);
    ASSERT_GT(phrase.Length(), 0u) << "the switch on: a phrase";
    EXPECT_NEAR(EstimateFrequency(on.subspan(phrase.nBegin, phrase.Length()), nRate), 900.0, 20.0)
        << "nine-ball's phrase";
}

/// Waits without serving any message (a dialog's loop is running the caller) until done() answers
/// true or 20 s have passed.
bool WaitInStep(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Closing the window asks in the skin, and the question hands its phrase to the commentary: said at
// once while the commentary is on, and silent as the game is shipped, with the commentary off.
TEST(FrameSoundTest, TheCloseQuestionIsSpokenOnlyWhileTheCommentaryIsOn)
{
    CSoundFrame frame(&AddSpeechModule, &NineBallAgainstTheComputer);
    ASSERT_TRUE(frame.Started());
    const HMODULE hGameLibrary = LoadLibrary(VORN_GAME_DIR "/VornRes.dll");
    ASSERT_NE(nullptr, hGameLibrary);
    AfxSetResourceHandle(hGameLibrary);
    SetMessageBoxAnswerSource(nullptr); // the question is shown, and the test answers it
    std::atomic<bool> bSaid{false};
    SetDebugLogWatch(
        [&](const std::string& strLine)
        {
            if (strLine == "Speech: says MSG_SURE.WAV\n")
                bSaid = true;
        });
    std::vector<std::pair<std::size_t, std::size_t>> aSpans; // the output while each question was up
    for (const BOOL bCommentary : {FALSE, TRUE})
    {
        SCOPED_TRACE(bCommentary ? "on" : "off");
        g_Speech.SetCommentaryForTest(bCommentary);
        bSaid = false;
        bool bAsked = false;
        CDialogDriver::Play({[&]
                             {
                                 CMessageDlg* pDlg = CMessageDlg::GetOpen();
                                 ASSERT_NE(nullptr, pDlg);
                                 bAsked = dynamic_cast<CMsgSureDlg*>(pDlg) != nullptr;
                                 const std::size_t nOpened = frame.Audio().FramesSoFar();
                                 if (bCommentary)
                                 {
                                     EXPECT_TRUE(WaitInStep([&] { return bSaid.load(); }));
                                 }
                                 // Half a second of output after the question came up.
                                 const auto nHalf = static_cast<std::size_t>(frame.Rate() / 2);
                                 EXPECT_TRUE(
                                     WaitInStep([&] { return frame.Audio().FramesSoFar() >= nOpened + nHalf; }));
                                 aSpans.emplace_back(nOpened, frame.Audio().FramesSoFar());
                                 CDialogDriver::Key(*pDlg, VK_ESCAPE);
                             }});
        SendMessage(frame.Frame().m_hWnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(bAsked);
        EXPECT_EQ(bCommentary != FALSE, bSaid.load());
        ASSERT_TRUE(IsWindow(frame.Frame().m_hWnd)) << "declined: the game goes on";
    }
    SetDebugLogWatch(nullptr);
    g_Speech.SetCommentaryForTest(FALSE);
    frame.Close();
    AfxSetResourceHandle(nullptr);
    FreeLibrary(hGameLibrary);
    const std::vector<float> left = Channel(frame.Audio().Played(), 0);
    ASSERT_EQ(2U, aSpans.size());
    ASSERT_LE(aSpans[1].second, left.size());
    const std::span<const float> off(left.data() + aSpans[0].first, aSpans[0].second - aSpans[0].first);
    EXPECT_EQ(0U, FindSound(off, 0.02f).Length()) << "the commentary off: silent";
    const std::span<const float> on(left.data() + aSpans[1].first, aSpans[1].second - aSpans[1].first);
    const SSpan phrase = FindSound(on, 0.02f);
    ASSERT_GT(phrase.Length(), 0U) << "the commentary on: the question's phrase";
    EXPECT_NEAR(EstimateFrequency(on.subspan(phrase.nBegin, phrase.Length()), frame.Rate()), 600.0, 20.0);
}

// A speech thread stuck in a phrase that never ends does not hold the window's closing: the
// window goes while the thread is still stuck, and the thread is told the news afterwards.
TEST(FrameSoundTest, ClosingEndsWhileTheSpeechThreadDoesNotAnswer)
{
    /// A sound layer whose first holder never returns until the test lets it.
    class CStuckSound : public CSoundSystem
    {
    public:
        CStuckSound() : CSoundSystem("no such library") {}
        BOOL PlayInHolderA(HMODULE, LPCSTR, LPCSTR, const CVector3&) override
        {
            std::unique_lock lock(m_mutex);
            m_bStuck = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_bReleased; });
            m_bStuck = false;
            m_changed.notify_all();
            return TRUE;
        }
        bool IsStuck()
        {
            std::lock_guard lock(m_mutex);
            return m_bStuck;
        }
        void Release()
        {
            std::unique_lock lock(m_mutex);
            m_bReleased = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return !m_bStuck; });
        }

    private:
        std::mutex m_mutex;
        std::condition_variable m_changed;
        bool m_bStuck = false;
        bool m_bReleased = false;
    };
    // It outlives the test: the thread left behind still returns through it.
    static CStuckSound s_stuck;
    std::atomic<bool> bLeftBehind{false};
    SetDebugLogWatch(
        [&](const std::string& strLine)
        {
            if (strLine.find("Speech: the thread did not stop") != std::string::npos)
                bLeftBehind = true;
        });
    {
        CSoundFrame frame(&AddSpeechModule, &NineBallAgainstTheComputer);
        ASSERT_TRUE(frame.Started());
        g_Speech.SetSoundLayer(&s_stuck);
        ASSERT_TRUE(g_Speech.PostRequest(SPEECH_QUEUE, "NINE.WAV", 0, 0));
        g_Speech.ResumeSound();
        ASSERT_TRUE(WaitUntil([&] { return s_stuck.IsStuck(); }));
        frame.Close();
        EXPECT_TRUE(bLeftBehind.load()) << "closing gave up on the thread";
        EXPECT_TRUE(s_stuck.IsStuck()) << "and went on while it was stuck";
        EXPECT_FALSE(g_Speech.IsStarted());
    }
    SetDebugLogWatch(nullptr);
    s_stuck.Release();
}

// Music playing when the window loses the focus pauses where it is and goes on from there when the
// focus comes back: the whole track is heard once, with the pause in it, before its end is told.
TEST(FrameSoundTest, LosingTheFocusPausesTheTrackAndTheFocusBackResumesIt)
{
    const CTempFolder music;
    ASSERT_TRUE(EncodeAsf(music.File("tone.asf"), 500.0, 1.0));
    std::atomic<bool> bEnded{false};
    SetDebugLogWatch(
        [&](const std::string& strLine)
        {
            if (strLine.find("Music: a track ended") != std::string::npos)
                bEnded = true;
        });
    {
        CSoundFrame frame([](CAppFolder&) {},
                          [&](CSettings& s)
                          {
                              s.m_nMusicEnable = 1;
                              s.m_nMusicVolume = 65535;
                              s.m_PlayList.RemoveAll();
                              s.m_PlayList.Add(music.File("tone.asf").c_str());
                          });
        ASSERT_TRUE(frame.Started());
        const DWORD dwStream = g_MusicPlayer.dwStream;
        ASSERT_NE(0u, dwStream) << "the track plays from the start";
        // A third of the track, then the focus goes for as long again.
        ASSERT_TRUE(WaitUntil([&] { return Peak(Channel(frame.Audio().Played(), 0)) > 0.1f; }));
        const auto nRate = static_cast<std::size_t>(frame.Rate());
        ASSERT_TRUE(frame.WaitForFrames(nRate / 3));
        SendMessage(frame.Frame().m_hWnd, WM_ACTIVATEAPP, FALSE, 0);
        ASSERT_TRUE(frame.WaitForFrames(nRate / 2));
        EXPECT_EQ(dwStream, g_MusicPlayer.dwStream) << "paused, not closed";
        SendMessage(frame.Frame().m_hWnd, WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_EQ(dwStream, g_MusicPlayer.dwStream) << "resumed, not played again";
        ASSERT_TRUE(WaitUntil([&] { return bEnded.load(); }));
        const std::size_t nEnded = frame.Audio().FramesSoFar();
        frame.Close();
        const std::vector<float> left = Channel(frame.Audio().Played(), 0);
        ASSERT_LE(nEnded, left.size());
        // Frames by 10 ms blocks: loud ones are the track, quiet ones inside it the pause.
        const std::size_t nBlock = nRate / 100;
        std::size_t nLoud = 0, nQuietInside = 0;
        const SSpan whole = FindSound(std::span<const float>(left.data(), nEnded), 0.05f);
        for (std::size_t at = whole.nBegin; at + nBlock <= whole.nEnd; at += nBlock)
            (Rms(std::span<const float>(left.data() + at, nBlock)) > 0.05f ? nLoud : nQuietInside) += 1;
        EXPECT_NEAR(static_cast<double>(nLoud) / 100.0, 1.0, 0.1) << "the track once, not again from its start";
        EXPECT_GT(nQuietInside, 30u) << "the pause lies inside it";
    }
    SetDebugLogWatch(nullptr);
}

// At the strike the bonus game offers a scream by the "Scream probability" setting; other games
// never scream.
TEST(FrameSoundTest, InTheBonusGameTheStrikeMayScream)
{
    CSoundFrame frame(&AddGameSounds, [](CSettings& s) { s.m_nMusicEnable = 0; });
    ASSERT_TRUE(frame.Started());
    CSoundSystem& sound = frame.Frame().GetSoundSystem();
    const auto screaming = [&]
    {
        for (int nSlot = 0; nSlot < SOUND_SLOTS; ++nSlot)
        {
            const int nId = sound.GetSlotWaveId(nSlot);
            if (nId >= 3031 && nId <= 3056 && sound.IsSlotPlaying(nSlot))
                return true;
        }
        return false;
    };
    struct SCase
    {
        const char* szName;
        int nGameType;
        int nProbability;
        bool bScream;
    };
    const SCase aCases[] = {{"the bonus game, always", GAME_BONUS, 100, true},
                            {"eight-ball, never", GAME_8BALL, 100, false}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        sound.StopAll();
        frame.Flow().CreateReferee(c.nGameType);
        frame.Flow().StartNewRack(0);
        g_Settings.m_nScreamProbability = c.nProbability;
        frame.Frame().PlayCueSound(1);
        EXPECT_EQ(c.bScream, screaming());
        EXPECT_TRUE(sound.IsSlotPlaying(frame.Frame().GetGameSoundSlot(3005))) << "the cue's own sound";
    }
}

// An event of kind 4 names its sound by the sound's id: that sound plays, and a level that is no
// loaded sound's id plays nothing (it is not taken for a slot).
TEST(FrameSoundTest, AnEventOfKindFourPlaysTheSoundItNames)
{
    CSoundFrame frame(&AddGameSounds, [](CSettings& s) { s.m_nMusicEnable = 0; });
    ASSERT_TRUE(frame.Started());
    CSoundSystem& sound = frame.Frame().GetSoundSystem();
    const auto playing = [&]
    {
        std::vector<int> aIds;
        for (int nSlot = 0; nSlot < SOUND_SLOTS; ++nSlot)
            if (sound.IsSlotPlaying(nSlot))
                aIds.push_back(sound.GetSlotWaveId(nSlot));
        return aIds;
    };
    const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
    sound.StopAll();
    frame.Frame().PlayShotEvent(4, 3020, vCentre);
    EXPECT_EQ(std::vector<int>{3020}, playing());
    sound.StopAll();
    frame.Frame().PlayShotEvent(4, 5, vCentre); // slot 5 holds a ball click, but 5 is no sound's id
    EXPECT_TRUE(playing().empty());
}
