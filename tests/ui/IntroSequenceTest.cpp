// The intro's lamp sequence on a scene of its own (lamps in the lamp table, a few scene objects)
// with the test clock: its states, the blink, the fade in both directions, the skip keys, Finish
// and the intro's ini.
#include "ui/IntroSequence.h"

#include "foundation/Stopwatch.h"
#include "platform/TempFolder.h"
#include "platform/win32/Clock.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Profile.h"
#include "render/Light.h"
#include "render/SceneObject.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
/// What the window saw of one drawn intro frame.
struct SDrawn
{
    DWORD dwState = 0;
    std::map<std::string, DWORD> colours; // lamp name -> 0x00RRGGBB
    std::map<std::string, bool> on;
    std::vector<int> anIntensity; // the scene objects', in list order
};

class CFakeIntroHost : public IIntroHost
{
public:
    explicit CFakeIntroHost(const CIntroSequence& intro) : m_intro(intro) {}

    void BringIntroWindowToFront() override { ++m_nFronts; }
    void DrawIntroPanels() override
    {
        SDrawn drawn;
        drawn.dwState = m_intro.GetState();
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            if (const CSceneLight* p = CLightTable::GetAt(i))
            {
                drawn.colours[p->m_strName] = p->GetColorRGB() & 0xFFFFFF;
                drawn.on[p->m_strName] = p->m_bOn;
            }
        for (const CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
            drawn.anIntensity.push_back(p->m_nAmbient);
        m_aDrawn.push_back(drawn);
    }
    void BeginPlayAfterIntro() override { ++m_nPlays; }

    const CIntroSequence& m_intro;
    int m_nFronts = 0;
    int m_nPlays = 0;
    std::vector<SDrawn> m_aDrawn;
};

DWORD Rgb(int r, int g, int b) { return static_cast<DWORD>(r << 16 | g << 8 | b); }

void PressKey(int nVirtKey)
{
    SRawInputEvent event;
    event.nVirtKey = nVirtKey;
    event.bDown = true;
    ReportRawInput(event);
    event.bDown = false;
    ReportRawInput(event);
}

class IntroSequenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_intro.SetIniFiles(CString(m_folder.File("program.ini")), CString(m_folder.File("data.ini")));
        // The lamps of the scene: the fade's lamps are one brighter than the start level, one
        // darker, and one whose blue is 2 / 255 (kept as 0.007843 in its line).
        for (const char* szLine : {"Ambient, 0, 0.300000,0.290000,0.270000, 0,0,0, 0,0,1, 256, 0.3,0.4, 1,0,0;",
                                   "Down, 2, 0.900000,0.860000,0.740000, 0,99,0, 0,-1,0, 250, 1.2,1.9, 1,0,0;",
                                   "Flame, 1, 0.800000,0.450000,0.200000, -230,70,0, 0,0,1, 160, 0,0, 1,0.02,0;",
                                   "Fan 0, 2, 0.549020,0.521569,0.450980, 0,99,-30, 0,-1,0, 200, 0.9,1.6, 1,0,0;",
                                   "Dark, 3, 0.039216,0.039216,0.007843, 0,0,0, 0.3,-0.8,0.5, 256, 0,0, 1,0,0;"})
            ASSERT_NE(nullptr, m_source.ApplyLine(szLine, nullptr)) << szLine;
        for (const int nId : {0x1, 0x40, 256})
        {
            auto p = std::make_unique<CSceneObject>();
            p->m_nId = nId;
            p->m_nAmbient = p->m_nAmbientCopy = 150;
            m_apObjects.push_back(std::move(p));
        }
        CIntroSequence::SetFrameCount(100);
        ReleaseAllKeys();
        GetAsyncKeyState(VK_ESCAPE);
        GetAsyncKeyState(VK_SPACE);
    }
    void TearDown() override
    {
        m_apObjects.clear();
        CLightTable::DeleteAll();
    }

    /// A key of the program folder's ini, read at the next start (the data folder's copy dropped).
    void WriteIntro(const char* szKey, const char* szValue)
    {
        WritePrivateProfileString("Intro", szKey, szValue, m_folder.File("program.ini").c_str());
        std::filesystem::remove(m_folder.Path() / "data.ini");
    }
    /// One frame nMs after the last one.
    void Frame(DWORD nMs)
    {
        m_clock.Advance(nMs);
        g_FrameStopwatch.Tick();
        m_intro.Run();
    }
    void StartIntro()
    {
        g_FrameStopwatch.Tick();
        m_intro.Start(&m_host);
    }
    static DWORD Colour(const char* szName)
    {
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            if (const CSceneLight* p = CLightTable::GetAt(i); p != nullptr && p->m_strName == szName)
                return p->GetColorRGB() & 0xFFFFFF;
        return 0xDEAD;
    }
    static std::map<std::string, DWORD> AllColours()
    {
        std::map<std::string, DWORD> m;
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            if (const CSceneLight* p = CLightTable::GetAt(i))
                m[p->m_strName] = p->GetColorRGB() & 0xFFFFFF;
        return m;
    }
    static void ExpectAllOnInOwnColours(const std::map<std::string, DWORD>& before)
    {
        EXPECT_EQ(before, AllColours());
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            if (const CSceneLight* p = CLightTable::GetAt(i))
            {
                EXPECT_TRUE(p->m_bOn) << p->m_strName;
            }
    }

    CTestClockScope m_clock{1000};
    CTempFolder m_folder;
    CLightSource m_source;
    std::vector<std::unique_ptr<CSceneObject>> m_apObjects;
    CIntroSequence m_intro;
    CFakeIntroHost m_host{m_intro};
};

TEST_F(IntroSequenceTest, WalksDarkBlinkAndFadeToFinish)
{
    WriteIntro("Blink lamp", "500, 300;");
    const auto before = AllColours();
    StartIntro();
    EXPECT_TRUE(m_intro.IsArmed());
    EXPECT_FALSE(m_intro.IsFinished());
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        EXPECT_FALSE(CLightTable::GetOnFlag(i)) << i;

    const DWORD dwDown = Rgb(230, 219, 189), dwStart = Rgb(20, 20, 20);
    struct SStep
    {
        const char* szWhat;
        DWORD nMs;
        DWORD dwState;
        bool bDownOn;
        DWORD dwAmbient, dwDown, dwFan, dwDark;
        int nIntensity, nFullyLit; // an ordinary object's and the object numbered 256
    };
    const DWORD dwAmbient = Rgb(77, 74, 69), dwFan = Rgb(140, 133, 115), dwDark = Rgb(10, 10, 2);
    const SStep aSteps[] = {
        {"dark room: ambient grey at the start level", 0, 1, false, dwStart, dwDown, dwFan, dwDark, 20, 20},
        {"Down comes on", 16, 2, true, dwStart, dwDown, dwFan, dwDark, 20, 20},
        {"first interval: on", 16, 2, true, dwStart, dwDown, dwFan, dwDark, 20, 255},
        {"second interval: off", 500, 2, true, dwStart, 0, dwFan, dwDark, 20, 20},
        {"list used up: fade starts at the start level", 300, 5, true, dwStart, 0, dwStart, dwStart, 20, 255},
        {"half way: up and down alike", 1250, 5, true, Rgb(48, 47, 44), 0, Rgb(80, 76, 67), Rgb(15, 15, 11), 85, 255},
        {"fade's end", 1250, 5, true, dwAmbient, 0, dwFan, dwDark, 150, 255},
        {"past the increase time: finished", 16, 6, true, dwAmbient, dwDown, dwFan, dwDark, 150, 150},
    };
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.szWhat);
        const size_t nDrawn = m_host.m_aDrawn.size();
        Frame(step.nMs);
        EXPECT_EQ(step.dwState, m_intro.GetState());
        ASSERT_EQ(nDrawn + 1, m_host.m_aDrawn.size());
        const SDrawn& drawn = m_host.m_aDrawn.back();
        EXPECT_EQ(step.dwAmbient, drawn.colours.at("Ambient")) << std::hex << drawn.colours.at("Ambient");
        EXPECT_TRUE(drawn.on.at("Ambient"));
        EXPECT_TRUE(drawn.on.at("Flame"));
        EXPECT_EQ(step.dwState >= 5, drawn.on.at("Fan 0"));
        EXPECT_EQ(step.bDownOn, drawn.on.at("Down"));
        if (step.bDownOn)
        {
            EXPECT_EQ(step.dwDown, drawn.colours.at("Down")) << std::hex << drawn.colours.at("Down");
        }
        EXPECT_EQ(step.dwFan, drawn.colours.at("Fan 0")) << std::hex << drawn.colours.at("Fan 0");
        EXPECT_EQ(step.dwDark, drawn.colours.at("Dark")) << std::hex << drawn.colours.at("Dark");
        EXPECT_EQ((std::vector<int>{step.nIntensity, step.nIntensity, step.nFullyLit}), drawn.anIntensity);
        // The objects get their own intensities back after each drawing.
        for (const auto& p : m_apObjects)
            EXPECT_EQ(150, p->m_nAmbient);
    }
    EXPECT_TRUE(m_intro.IsFinished());
    EXPECT_FALSE(m_intro.IsArmed());
    EXPECT_EQ(1, m_host.m_nFronts);
    EXPECT_EQ(1, m_host.m_nPlays);
    // Finish puts every lamp back exactly as it was, the ambient grey included.
    ExpectAllOnInOwnColours(before);
    // A finished sequence does nothing more.
    Frame(16);
    EXPECT_EQ(8u, m_host.m_aDrawn.size());
}

TEST_F(IntroSequenceTest, EndsEarlyWithoutItsLampsOrAfterAShortIncreaseTime)
{
    struct SCase
    {
        const char* szWhat;
        const char* szRemoved; // a lamp taken out of the scene, or null
        const char* szIncrease;
        int nFrames; // 100 ms frames until it finishes
    };
    const SCase aCases[] = {
        {"no Ambient: the first frame", "Ambient", "2500", 1},
        {"no Down: the second frame", "Down", "2500", 2},
        {"an empty blink list and an increase time of 250 ms", nullptr, "250", 6},
    };
    WriteIntro("Blink lamp", "");
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szWhat);
        WriteIntro("Increase time", c.szIncrease);
        if (c.szRemoved != nullptr)
            m_source.SwitchOffByName(c.szRemoved);
        for (int i = 0; c.szRemoved != nullptr && i < CLightTable::GetCount(); ++i)
            if (CSceneLight* p = CLightTable::GetAt(i); p != nullptr && p->m_strName == c.szRemoved)
                p->m_strName = std::string(c.szRemoved) + " (gone)";
        const auto before = AllColours();
        const int nPlays = m_host.m_nPlays;
        StartIntro();
        int nFrames = 0;
        while (!m_intro.IsFinished() && nFrames < 100)
        {
            Frame(100);
            ++nFrames;
        }
        EXPECT_EQ(c.nFrames, nFrames);
        EXPECT_EQ(nPlays + 1, m_host.m_nPlays);
        // Lamps whose line the fade cut short get their saved colours.
        ExpectAllOnInOwnColours(before);
        for (int i = 0; c.szRemoved != nullptr && i < CLightTable::GetCount(); ++i)
            if (CSceneLight* p = CLightTable::GetAt(i);
                p != nullptr && p->m_strName.find(" (gone)") != std::string::npos)
                p->m_strName = c.szRemoved;
    }
}

TEST_F(IntroSequenceTest, EscapeOrSpaceEndItOnlyAfterTheProgramsTenthFrame)
{
    CIntroSequence::SetFrameCount(0);
    const auto before = AllColours();
    StartIntro();
    struct SStep
    {
        unsigned nFrame; // the frame run after the key
        int nKey;        // pressed before that frame, 0 for none
        bool bFinished;
    };
    // A press in the first ten frames is dropped, not kept for the eleventh.
    const SStep aSteps[] = {{1, VK_ESCAPE, false}, {5, VK_SPACE, false}, {10, VK_ESCAPE, false},
                            {11, 0, false},        {12, 'A', false},     {13, VK_SPACE, true}};
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.nFrame);
        while (CIntroSequence::GetFrameCount() + 1 < step.nFrame)
            Frame(20);
        if (step.nKey != 0)
            PressKey(step.nKey);
        Frame(20);
        EXPECT_EQ(step.nFrame, CIntroSequence::GetFrameCount());
        EXPECT_EQ(step.bFinished, m_intro.IsFinished() != FALSE);
    }
    EXPECT_EQ(1, m_host.m_nPlays);
    ExpectAllOnInOwnColours(before);
    // The count is never reset: a second intro can be skipped from its first frame.
    StartIntro();
    PressKey(VK_ESCAPE);
    Frame(20);
    EXPECT_TRUE(m_intro.IsFinished());
    EXPECT_EQ(2, m_host.m_nPlays);
    ExpectAllOnInOwnColours(before);
}

TEST_F(IntroSequenceTest, ReadsItsIniAndWritesItBackToTheDataFolderCopy)
{
    const std::string strProgram = m_folder.File("program.ini"), strData = m_folder.File("data.ini");
    m_folder.Write("program.ini", "[Settings]\nPlayer1=Ann\n[Intro]\nStart light=40\nBlink lamp=;\n");
    StartIntro();
    EXPECT_EQ(40, CIntroSequence::GetStartLight());
    EXPECT_EQ(2500, m_intro.GetIncreaseTime());
    EXPECT_EQ(2500, m_intro.GetDecreaseTime());
    // The program folder's file is left alone; the copy keeps its other sections.
    EXPECT_EQ("[Settings]\nPlayer1=Ann\n[Intro]\nStart light=40\nBlink lamp=;\n", m_folder.Read("program.ini"));
    char sz[64] = {};
    GetPrivateProfileString("Settings", "Player1", "", sz, sizeof sz, strData.c_str());
    EXPECT_STREQ("Ann", sz);
    for (const char* szKey : {"Increase time", "Decrease time"})
    {
        GetPrivateProfileString("Intro", szKey, "", sz, sizeof sz, strData.c_str());
        EXPECT_STREQ("2500", sz) << szKey;
    }
    // The copy is read first from now on; an empty blink list fades at the third frame.
    WritePrivateProfileString("Intro", "Start light", "30", strData.c_str());
    WritePrivateProfileString("Intro", "Increase time", "900", strData.c_str());
    StartIntro();
    EXPECT_EQ(30, CIntroSequence::GetStartLight());
    EXPECT_EQ(900, m_intro.GetIncreaseTime());
    for (DWORD dwState : {1u, 2u, 5u})
    {
        Frame(10);
        EXPECT_EQ(dwState, m_intro.GetState());
    }
    EXPECT_EQ(Rgb(30, 30, 30), m_host.m_aDrawn.back().colours.at("Fan 0"));
    // A window that goes away takes its intro along: nothing more is asked of it.
    StartIntro();
    Frame(10);
    const size_t nDrawn = m_host.m_aDrawn.size();
    m_intro.Abandon(&m_host);
    Frame(10);
    EXPECT_TRUE(m_intro.IsFinished());
    EXPECT_FALSE(m_intro.IsArmed());
    EXPECT_EQ(nDrawn, m_host.m_aDrawn.size());
    // A null window arms nothing.
    CIntroSequence idle;
    idle.Start(nullptr);
    idle.Run();
    EXPECT_FALSE(idle.IsArmed());
    EXPECT_TRUE(idle.IsFinished());
}

TEST(IntroBlinkTest, ParsesTheBlinkListUpToItsFirstBadEntry)
{
    const std::pair<const char*, std::vector<DWORD>> aCases[] = {
        {"500, 300, 300, 150, 150, 150, 500, 100;", {500, 300, 300, 150, 150, 150, 500, 100}},
        {"", {}},
        {";", {}},
        {"  7 ,8;9", {7, 8}},
        {"10, x, 20", {10}},
        {"-5, 10", {}},
        {"60000, 60001", {60000}},
        {"99999999999999999999", {}},
    };
    for (const auto& [szList, adwExpected] : aCases)
    {
        SCOPED_TRACE(szList);
        EXPECT_EQ(adwExpected, ParseBlinkIntervals(szList));
    }
    // The phases: each interval flips the lamp as it starts; done once the list is used up.
    CBlinkTimer timer;
    timer.SetIntervals({500, 300});
    const std::pair<DWORD, int> aSteps[] = {{0, 1}, {499, 1}, {1, 0}, {299, 0}, {1, -1}, {1000, -1}};
    for (const auto& [dwMs, nExpected] : aSteps)
    {
        const bool bDone = timer.Step(dwMs);
        EXPECT_EQ(nExpected < 0, bDone) << dwMs;
        if (nExpected >= 0)
        {
            EXPECT_EQ(nExpected, timer.IsOn()) << dwMs;
        }
    }
    EXPECT_EQ(nullptr, CLightTable::GetAt(-1));
    EXPECT_EQ(nullptr, CLightTable::GetAt(16));
}
} // namespace
