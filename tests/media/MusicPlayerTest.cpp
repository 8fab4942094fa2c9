// The music player: tones the test encodes with Debian's lame (MP3) and with libavformat (ASF),
// decoded and played through the mixer; the play list's walk at the end of a track, clamping, the music command;
// damaged files.
#include "media/MusicPlayer.h"

#include "fixtures/AudioFixtures.h"
#include "fixtures/WaitFor.h"

#include "foundation/PlayList.h"
#include "foundation/Settings.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/media/TuneBox.h"
#include "platform/win32/Messages.h"
#include "platform/win32/WindowTable.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <string>

using namespace std::string_literals;

namespace
{

std::mutex s_logMutex;
std::vector<LPARAM> s_aNotified; // the streams whose end the window was told of
bool s_bWalk = false;            // the window passes notices on to the player

LRESULT MusicWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != MM_MCINOTIFY)
        return DefWindowProc(hWnd, uMsg, wParam, lParam);
    {
        std::lock_guard lock(s_logMutex);
        s_aNotified.push_back(lParam);
    }
    if (s_bWalk)
        OnMusicNotify(wParam, lParam);
    return 0;
}

/// A device on the dummy driver, a window of the test thread told of the ends of streams, the
/// settings' music fields as they were, and a few encoded tones.
class CMusicTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!HasMp3Encoder())
            GTEST_SKIP() << "lame is not installed (scripts/setup.sh installs it)";
        WNDCLASS wc;
        wc.lpfnWndProc = &MusicWindowProc;
        wc.lpszClassName = "Music test";
        RegisterClass(&wc);
        m_hWnd = CreateWindowEx(0, "Music test", "music", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hWnd, nullptr);
        ASSERT_EQ(DirectSoundCreate(nullptr, &m_pDS, nullptr), DS_OK);
        SetMusicOwner(m_hWnd, m_pDS);
        m_saved = g_Settings;
        s_aNotified.clear();
        s_bWalk = false;
    }
    void TearDown() override
    {
        CloseMusic();
        SetMusicOwner(nullptr, nullptr);
        g_Settings = m_saved;
        if (m_hWnd != nullptr)
            DestroyWindow(m_hWnd);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    /// Serves the window's messages until n stream ends have been told.
    bool WaitForEnds(std::size_t n)
    {
        const auto deadline = std::chrono::steady_clock::now() + TEST_WAIT_BOUND;
        while (std::chrono::steady_clock::now() < deadline)
        {
            WaitMessageTimeout(20);
            MSG msg;
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessage(&msg);
            std::lock_guard lock(s_logMutex);
            if (s_aNotified.size() >= n)
                return true;
        }
        return false;
    }
    std::size_t Ends()
    {
        std::lock_guard lock(s_logMutex);
        return s_aNotified.size();
    }

    const CEnvScope m_driver{"SDL_AUDIODRIVER", "dummy"};
    CTempFolder m_folder;
    HWND m_hWnd = nullptr;
    LPDIRECTSOUND m_pDS;
    CSettings m_saved;
};

} // namespace

// An ".mp3" (libmpg123) and an ".asf" (libavformat and libavcodec) tone play through the same
// stream voice, at their pitch, length and level, and their end is told to the window.
TEST_F(CMusicTest, AnEncodedToneIsDecodedAtPitchAndLength)
{
    struct SCase
    {
        const char* szFile;
        bool (*pfnEncode)(const std::string&, double, double);
        double dLengthTolerance; // s: the WMA encoder pads its first and last block
    };
    const SCase aCases[] = {{"tone.mp3", &EncodeMp3, 0.03}, {"tone.asf", &EncodeAsf, 0.06}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szFile);
        s_aNotified.clear();
        ASSERT_TRUE(c.pfnEncode(m_folder.File(c.szFile), 440.0, 1.0));
        ITuneBox* pLibrary = GetTuneBox();
        ASSERT_NE(pLibrary, nullptr);
        DWORD dwStream = 0;
        const auto tapped = TapWhilePlaying(
            m_pDS->Output(),
            [&]
            {
                dwStream = pLibrary->OpenAndPlay(m_folder.File(c.szFile).c_str(), m_pDS);
                pLibrary->SetNotifyWindow(dwStream, m_hWnd);
            },
            [&] { return !WaitForEnds(1) && Ends() == 0; });
        ASSERT_NE(dwStream, 0u);
        ASSERT_EQ(Ends(), 1u);
        EXPECT_EQ(s_aNotified[0], static_cast<LPARAM>(dwStream));
        const int nRate = m_pDS->Output().Rate();
        const std::vector<float> left = Channel(tapped, 0);
        const SSpan sound = FindSound(left, 0.05f);
        EXPECT_NEAR(static_cast<double>(sound.Length()) / nRate, 1.0, c.dLengthTolerance);
        EXPECT_NEAR(EstimateFrequency(std::span<const float>(left.data() + sound.nBegin, sound.Length()), nRate), 440.0,
                    1.0);
        EXPECT_NEAR(Peak(left), 0.5f, 0.05f);
        pLibrary->Close(dwStream);
    }
}

TEST_F(CMusicTest, TheEndOfATrackWalksThePlayList)
{
    ASSERT_TRUE(EncodeMp3(m_folder.File("b.MP3"), 500.0, 0.15));
    std::filesystem::copy_file(m_folder.File("b.MP3"), m_folder.File("a.mp3"));
    m_folder.Write("c.m3u", "a.mp3\r\n");
    ASSERT_TRUE(EncodeAsf(m_folder.File("d.asf"), 600.0, 0.15));
    ASSERT_TRUE(ScanMusicFolder(g_Settings, m_folder.Folder().c_str()));
    ASSERT_EQ(g_Settings.m_PlayList.GetSize(), 4);
    g_Settings.m_nMusicVolume = 65535;
    s_bWalk = true;

    PlayMusicTrack(1);
    EXPECT_TRUE(g_Settings.m_strMusicFile.Str().ends_with("b.MP3"));
    const DWORD dwFirst = g_MusicPlayer.dwStream;
    ASSERT_NE(dwFirst, 0u);
    // At its end the walk passes over the play list to the ".asf" track, and after that wraps to
    // a.mp3.
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 3);
    EXPECT_TRUE(g_Settings.m_strMusicFile.Str().ends_with("d.asf"));
    EXPECT_NE(g_MusicPlayer.dwStream, 0u);
    ASSERT_TRUE(WaitForEnds(2));
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 0);
    EXPECT_TRUE(g_Settings.m_strMusicFile.Str().ends_with("a.mp3"));
    EXPECT_NE(g_MusicPlayer.dwStream, 0u);
    EXPECT_NE(g_MusicPlayer.dwStream, dwFirst);
    // A late notice of the closed stream changes nothing.
    const DWORD dwNow = g_MusicPlayer.dwStream;
    OnMusicNotify(MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(dwFirst));
    EXPECT_EQ(g_MusicPlayer.dwStream, dwNow);
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 0);
    EXPECT_FALSE(PlayMusicFile(g_Settings.m_PlayList[2])); // a play list is no track
}

TEST_F(CMusicTest, OneTrackRepeatsAndTracksAreClamped)
{
    ASSERT_TRUE(EncodeMp3(m_folder.File("only.mp3"), 500.0, 0.1));
    g_Settings.m_PlayList.RemoveAll();
    g_Settings.m_PlayList.Add(m_folder.File("only.mp3").c_str());
    s_bWalk = true;
    PlayMusicTrack(0);
    const DWORD dwFirst = g_MusicPlayer.dwStream;
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 0);
    EXPECT_NE(g_MusicPlayer.dwStream, dwFirst); // played again
    ASSERT_TRUE(WaitForEnds(2));

    s_bWalk = false;
    for (int i = 0; i < 4; ++i)
        g_Settings.m_PlayList.Add(m_folder.File("only.mp3").c_str());
    PlayMusicTrack(-3);
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 0);
    PlayMusicTrack(99);
    EXPECT_EQ(g_Settings.m_nPlayListIndex, 4);
    EXPECT_NE(g_MusicPlayer.dwStream, 0u);
    // An empty list plays nothing.
    g_Settings.m_PlayList.RemoveAll();
    PlayMusicTrack(0);
    EXPECT_EQ(g_MusicPlayer.dwStream, 0u);
}

TEST_F(CMusicTest, TheMusicCommandNeedsSomeVolume)
{
    ASSERT_TRUE(EncodeMp3(m_folder.File("song.mp3"), 300.0, 2.0));
    g_Settings.m_PlayList.RemoveAll();
    g_Settings.m_PlayList.Add(m_folder.File("song.mp3").c_str());
    g_Settings.m_nPlayListIndex = 0;
    g_Settings.m_nMusicEnable = 0;
    g_Settings.m_nMusicVolume = 99;
    EXPECT_FALSE(ToggleMusic());
    EXPECT_EQ(g_Settings.m_nMusicEnable, 0);
    EXPECT_EQ(g_MusicPlayer.dwStream, 0u);
    g_Settings.m_nMusicVolume = 100;
    EXPECT_TRUE(ToggleMusic());
    const DWORD dwStream = g_MusicPlayer.dwStream;
    EXPECT_NE(dwStream, 0u);
    EXPECT_FALSE(ToggleMusic()); // off: paused, still open
    EXPECT_EQ(g_MusicPlayer.dwStream, dwStream);
    // Switched off even at a low volume; switched on again, the same stream resumes.
    g_Settings.m_nMusicVolume = 0;
    EXPECT_FALSE(ToggleMusic());
    g_Settings.m_nMusicVolume = 40000;
    EXPECT_TRUE(ToggleMusic());
    EXPECT_EQ(g_MusicPlayer.dwStream, dwStream);
    ApplyMusicSettings();
    EXPECT_EQ(g_MusicPlayer.dwStream, dwStream);
    StartMusic(); // a stream is open: nothing new
    EXPECT_EQ(g_MusicPlayer.dwStream, dwStream);
}

TEST_F(CMusicTest, DamagedFilesGiveNoStreamOrEndEarly)
{
    ASSERT_TRUE(EncodeMp3(m_folder.File("full.mp3"), 400.0, 1.0));
    ASSERT_TRUE(EncodeAsf(m_folder.File("full.asf"), 400.0, 1.0));
    const std::string strFull = m_folder.Read("full.mp3");
    const std::string strFullAsf = m_folder.Read("full.asf");
    std::mt19937 random(3);
    std::string strGarbage(20000, '\0');
    for (char& ch : strGarbage)
        ch = static_cast<char>(random());
    std::string strTags = "ID3\x03\x00\x00\x00\x00\x02\x00"s;
    strTags.resize(10 + 256, 'T');
    // The ASF file with its packets overwritten: its header stays good.
    std::string strScrambledAsf = strFullAsf;
    for (std::size_t i = strScrambledAsf.size() / 4; i < strScrambledAsf.size(); i += 7)
        strScrambledAsf[i] = static_cast<char>(random());
    struct SCase
    {
        const char* szName;
        const char* szFile;
        std::string bytes;
    };
    const SCase aCases[] = {
        {"empty", "damaged.mp3", ""},
        {"tags only", "damaged.mp3", strTags},
        {"garbage", "damaged.mp3", strGarbage},
        {"cut to a third", "damaged.mp3", strFull.substr(0, strFull.size() / 3)},
        {"cut inside the first frame", "damaged.mp3", strFull.substr(0, 300)},
        {"an empty .asf", "damaged.asf", ""},
        {"garbage named .asf", "damaged.asf", strGarbage},
        {"an MP3 named .asf", "damaged.asf", strFull},
        {"an .asf cut to a third", "damaged.asf", strFullAsf.substr(0, strFullAsf.size() / 3)},
        {"an .asf cut inside its header", "damaged.asf", strFullAsf.substr(0, 200)},
        {"an .asf with scrambled packets", "damaged.asf", strScrambledAsf},
    };
    ITuneBox* pLibrary = GetTuneBox();
    ASSERT_NE(pLibrary, nullptr);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_folder.Write(c.szFile, c.bytes);
        const std::size_t nEnds = Ends();
        const DWORD dwStream = pLibrary->OpenAndPlay(m_folder.File(c.szFile).c_str(), m_pDS);
        if (dwStream == 0)
            continue; // no stream: fine
        pLibrary->SetNotifyWindow(dwStream, m_hWnd);
        EXPECT_TRUE(WaitForEnds(nEnds + 1)); // it ends, early, instead of hanging
        pLibrary->Close(dwStream);
    }
}
