#include "foundation/Settings.h"

#include "tests/foundation/ProgramFolder.h"
#include "tests/platform/TempFolder.h"

#include "foundation/GameModeWord.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/Files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::string Backslashed(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

/// One key of the section: its saved text after SetDefaults, a text written into the file, and
/// the text saved after loading that file.
struct SKeyCase
{
    std::string key;
    std::string savedDefault;
    std::string input;
    std::string savedAfterLoad;
};

// Every key in the order the section is saved.
std::vector<SKeyCase> KeyTable()
{
    const std::string P = TestProgramFolder();
    std::vector<SKeyCase> rows = {
        {"ScreenMode", "", "800x600x32", "800x600x32"},
        {"FullScreen", "1", "0", "0"},
        {"Particles", "0", "1", "1"},
        {"BallPath1", "1", "0", "0"},
        {"ShortPath1", "0", "1", "1"},
        {"Trophy", "0", "3", "3"},
        {"BallPath2", "1", "0", "0"},
        {"ShortPath2", "0", "1", "1"},
        {"Score", "1", "0", "0"},
        {"RecommendedShot", "0", "1", "1"},
        {"AdvancedLighting", "1", "0", "1"}, // forced on
        {"DrawLevel", "255", "0", "0"},
        {"HighBallTexture", "1", "0", "0"},
        {"HeadLine", "0", "1", "1"},
        {"FrameRate", "0", "1", "0"}, // never read
        {"Links mode", "0", "2", "2"},
        {"Links path", P + "\\Artwork\\", "C:\\links\\", "C:\\links\\"},
        {"Camera Motion", "0", "2", "2"},
        {"Specular", "1", "0", "0"},
        {"NonPolygonalBalls", "1", "0", "1"}, // never read, always 1
        {"Triple Buffer", "0", "1", "1"},
        {"Wait flip", "0", "1", "1"},
        {"Table color", "2788898", "255", "255"},
        {"Table number", "0", "2", "2"},
        {"Balls collection", "Standard", "Pastel", "Pastel"},
        {"Window placement", "1 -1 -1 -1 -1 192 144 832 624", "3 -1 -1 0 0 10 20 810 620", "3 -1 -1 0 0 10 20 810 620"},
        {"Volume", "21845", "100", "100"},
        {"HitVelocity", "7", "9", "9"},
        {"Music Volume", "21845", "200", "200"},
        {"Speech Mode", "2", "0", "0"},
        {"Speech Type", "11", "10", "10"},
        {"AnimTV", "2", "1", "1"},
        {"BallResolution", "1", "2", "2"},
        {"BallDistance", "30", "40", "40"},
        {"GameType", "3", "8", "8"},
        {"Competition Type", "0", "2", "2"},
        {"Games Goal", "7", "5", "5"},
        {"Balls Goal", "20", "50", "50"},
        {"View Type", "0", "1", "1"},
    };
    const char* const aszCoefficients[] = {
        "m_strAccelRollDeceler",    "m_strFrictSlideForce",   "m_strSideSpinDeceleration_rads",
        "m_strSideSpinCoeff",       "m_strForwardSpinCoeff",  "m_strVerticalVelocityCoeff",
        "m_strMaxFlightHeightPerR", "m_strBallBallFriction",  "m_strDecay",
        "m_strSideSpinDecay",       "m_strSideSpinInfluence", "m_straccelNormal"};
    int i = 0;
    for (const char* szKey : aszCoefficients)
    {
        const std::string value = "0." + std::to_string(++i) + "e-1";
        rows.push_back({szKey, "", value, value});
    }
    const std::string musicInput = P + "tunes";
    const std::vector<SKeyCase> more = {
        {"Player1", "", "  Ann  ", "Ann"},
        {"Player level 1", "0", "5", "0"}, // always a human
        {"Player2", "", "Bob", "Bob"},
        {"Player level 2", "0", "12", "9"},
        {"AI Default Level", "3", "0", "1"},
        {"AutoPlaceTime", "2", "4", "4"},
        {"VoiceChatEnable", "1", "0", "0"},
        {"VoiceChatVolume", "65535", "1000", "1000"},
        {"Ad Display enable", "1", "0", "0"},
        {"Auto update", "1", "0", "0"},
        {"SavedDirectory", P + "Saved", "C:/games/saved", "C:\\games\\saved\\"},
        {"MusicDirectory", P + "Music", musicInput, Backslashed(musicInput) + "\\"},
        {"MusicFile", "", "song.mp3", "song.mp3"},
        {"Driver", "", "Primary Videocard", "Primary Videocard"},
        {"Device", "", "RGB Software Renderer", "RGB Software Renderer"},
        {"Mode", "", "800x600x32", "800x600x32"},
        {"Floor src", "2", "7", "2"}, // written from the globals, never read
        {"Floor dst", "3", "7", "3"},
        {"Shadow src", "1", "7", "1"},
        {"Shadow dst", "3", "7", "3"},
        {"Music enable", "1", "0", "0"},
        {"Scream probability", "50", "10", "10"},
        {"OverHead View", "0", "1", "1"},
    };
    rows.insert(rows.end(), more.begin(), more.end());
    for (int t = 0; t < 6; ++t)
        rows.push_back({"Trophy" + std::to_string(t), "0", std::to_string(t + 1), std::to_string(t + 1)});
    return rows;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The lines of one section (without the header), line ends removed.
std::vector<std::string> SectionLines(const std::string& text, const std::string& section)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    bool bInside = false;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            bInside = line == "[" + section + "]";
        else if (bInside)
            lines.push_back(line);
    }
    return lines;
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetDesktopWindowRect({0, 0, 1024, 768});
        g_nGameMode = 0;
        m_settings.SetDefaults();
        m_strIni = m_settings.m_strIniFilePath.Str();
        std::remove(m_strIni.c_str());
    }
    void TearDown() override
    {
        std::remove(m_strIni.c_str());
        g_nGameMode = 0;
    }

    // A file whose section "Settings" holds the given lines, between two other sections.
    void WriteSettings(const std::vector<std::string>& lines) const
    {
        std::string text = "[Artwork]\r\nArtFile=a.art\r\n[Settings]\r\n";
        for (const std::string& line : lines)
            text += line + "\r\n";
        text += "[Intro]\r\nStart light=20\r\n";
        WriteFile(m_strIni, text);
    }

    std::vector<std::string> SavedLines() const { return SectionLines(ReadFile(m_strIni), "Settings"); }

    CSettings m_settings;
    std::string m_strIni;
};
} // namespace

TEST_F(SettingsTest, DefaultsAreSavedAsEightyKeysInOrder)
{
    ASSERT_EQ(CString(TestProgramFolder()) + "Vorn.ini", m_settings.m_strIniFilePath);
    EXPECT_TRUE(m_settings.Save());
    const std::vector<SKeyCase> table = KeyTable();
    ASSERT_EQ(80u, table.size());
    const std::vector<std::string> lines = SavedLines();
    ASSERT_EQ(table.size(), lines.size());
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        SCOPED_TRACE(table[i].key);
        EXPECT_EQ(table[i].key + "=" + table[i].savedDefault, lines[i]);
    }
}

TEST_F(SettingsTest, EveryKeyRoundTripsWithItsForcedValuesAndLimits)
{
    const std::vector<SKeyCase> table = KeyTable();
    std::vector<std::string> input = {"Unknown key=gone after a save"};
    for (auto it = table.rbegin(); it != table.rend(); ++it) // any order in the file
        input.push_back(it->key + "=" + it->input);
    WriteSettings(input);

    EXPECT_TRUE(m_settings.Load());
    EXPECT_TRUE(m_settings.Save());
    const std::vector<std::string> lines = SavedLines();
    ASSERT_EQ(table.size(), lines.size());
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        SCOPED_TRACE(table[i].key);
        EXPECT_EQ(table[i].key + "=" + table[i].savedAfterLoad, lines[i]);
    }
    // The other sections stay; the rewritten section moves to the end of the file.
    const std::string text = ReadFile(m_strIni);
    EXPECT_EQ(0u, text.find("[Artwork]\r\nArtFile=a.art\r\n[Intro]\r\nStart light=20\r\n[Settings]\r\n"));

    // A second save gives the same bytes.
    EXPECT_TRUE(m_settings.Save());
    EXPECT_EQ(text, ReadFile(m_strIni));
}

TEST_F(SettingsTest, SpecialKeysLoadAsTheirRulesSay)
{
    WriteSettings({"GameType=101", "Balls collection=Pastel", "Player1=   ", "Player2=", "Player level 2=-3",
                   "AI Default Level=15", "SavedDirectory=C:/x/", "Window placement=1 0 0 0 0 0 0 100 100"});
    m_settings.Load();
    EXPECT_EQ(101, m_settings.m_nGameType); // kept in memory, saved as 3 with the standard balls
    EXPECT_EQ("Player 1", m_settings.m_strPlayer1);
    EXPECT_EQ("Player 2", m_settings.m_strPlayer2);
    EXPECT_EQ(0, m_settings.m_nPlayerLevel2);
    EXPECT_EQ(9, m_settings.m_nAIDefaultLevel);
    EXPECT_EQ("C:\\x\\", m_settings.m_strSavedDirectory); // one separator, not two
    EXPECT_EQ((RECT{192, 144, 832, 624}), m_settings.m_WindowPlacement.rcNormalPosition);
    m_settings.Save();
    const std::vector<std::string> lines = SavedLines();
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "GameType=3"));
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "Balls collection=Standard"));

    WriteSettings({"Window placement=1 2 3"}); // fewer than nine numbers: the placement stays
    m_settings.m_WindowPlacement.rcNormalPosition = {5, 6, 905, 706};
    m_settings.Load();
    EXPECT_EQ((RECT{5, 6, 905, 706}), m_settings.m_WindowPlacement.rcNormalPosition);
}

TEST_F(SettingsTest, MusicFromAPlayListFileOrAFolder)
{
    const std::string P = TestProgramFolder();
    fs::create_directories(P + "tunes");
    WriteFile(P + "tunes/list.M3U", "a.mp3\nb.mp3\n");
    WriteFile(P + "tunes/x.mp3", "");
    WriteFile(P + "tunes/y.MP3", "");
    const std::string base = Backslashed(P) + "tunes\\";

    WriteSettings({"MusicDirectory=" + P + "tunes/list.M3U", "MusicFile=" + base + "B.MP3"});
    m_settings.Load();
    EXPECT_EQ(CString(base + "list.M3U"), m_settings.m_strMusicDirectory); // no separator after a file
    EXPECT_EQ(1, m_settings.m_nPlayListFlag);
    ASSERT_EQ(2, m_settings.m_PlayList.GetSize());
    EXPECT_EQ(1, m_settings.m_nPlayListIndex);
    m_settings.Save();
    std::vector<std::string> lines = SavedLines();
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "MusicFile=" + base + "b.mp3")); // the entry

    WriteSettings({"MusicDirectory=" + P + "tunes", "MusicFile=" + base + "Y.mp3"});
    m_settings.Load();
    EXPECT_EQ(CString(base), m_settings.m_strMusicDirectory);
    EXPECT_EQ(0, m_settings.m_nPlayListFlag);
    ASSERT_EQ(3, m_settings.m_PlayList.GetSize()); // list.M3U, x.mp3, y.MP3
    EXPECT_EQ(2, m_settings.m_nPlayListIndex);
    fs::remove_all(P + "tunes");
}

TEST_F(SettingsTest, DamagedFilesLoadWithDefaults)
{
    struct SCase
    {
        const char* szName;
        std::string text;
    };
    static const char s_szBinary[] = "[Settings]\r\n\x01\xff\x00\x80garbage\r\n\xfe\xfe=\x01\r\n";
    const SCase cases[] = {
        {"lines without equals", "[Settings]\r\nVolume 5\r\nGameType\r\n"},
        {"binary bytes", std::string(s_szBinary, sizeof(s_szBinary) - 1)},
        {"absent section", "[Other]\r\nVolume=5\r\n"},
        {"no file at all", ""},
        {"empty values", "[Settings]\r\nVolume=\r\nWindow placement=\r\n"},
    };
    CSettings defaults;
    defaults.SetDefaults();
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        std::remove(m_strIni.c_str());
        if (!c.text.empty())
            WriteFile(m_strIni, c.text);
        CSettings s;
        s.SetDefaults();
        EXPECT_TRUE(s.Load());
        EXPECT_EQ(defaults.m_nVolume, s.m_nVolume);
        EXPECT_EQ(defaults.m_nGameType, s.m_nGameType);
        EXPECT_EQ(defaults.m_WindowPlacement, s.m_WindowPlacement);
        EXPECT_EQ("Player 1", s.m_strPlayer1);
    }
    WriteFile(m_strIni, "[Settings]\r\nScreenMode=" + std::string(5000, 'S') +
                            "\r\nBalls collection=" + std::string(300, 'B') + "\r\n");
    m_settings.Load();
    EXPECT_EQ(CString(std::string(259, 'S')), m_settings.m_strScreenMode);
    EXPECT_EQ(CString(std::string(99, 'B')), m_settings.m_strBallsCollection);
}

TEST_F(SettingsTest, ADetailLevelThatIsNeitherOnNorOffLoadsAsOnWithALogLine)
{
    struct SCase
    {
        const char* szStored;
        int nLoaded;
        bool bLogged;
    };
    const SCase cases[] = {{"0", 0, false},    {"255", 255, false}, {"1", 255, true},
                           {"254", 255, true}, {"-1", 255, true},   {"256", 255, true}};
    std::vector<std::string> aLines;
    SetDebugLogSink([&](const std::string& strLine) { aLines.push_back(strLine); });
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szStored);
        aLines.clear();
        WriteSettings({std::string("DrawLevel=") + c.szStored});
        m_settings.SetDefaults();
        m_settings.Load();
        EXPECT_EQ(c.nLoaded, m_settings.m_nDrawLevel);
        const std::string strLine =
            std::string("Settings: DrawLevel ") + c.szStored + " is neither 0 nor 255; 255 is used\n";
        EXPECT_EQ(c.bLogged, std::find(aLines.begin(), aLines.end(), strLine) != aLines.end());
    }
    SetDebugLogSink(nullptr);
}

TEST_F(SettingsTest, NothingIsWrittenDuringASettingsPreview)
{
    WriteFile(m_strIni, "[Settings]\r\nVolume=5\r\n");
    g_nGameMode = gmSettingsPreview | 0x20;
    EXPECT_TRUE(IsSettingsSaveOff());
    EXPECT_TRUE(m_settings.Save());
    EXPECT_EQ("[Settings]\r\nVolume=5\r\n", ReadFile(m_strIni));
}

TEST_F(SettingsTest, AFailedSaveKeepsTheOldFileAndReportsIt)
{
    const std::string old = "[Settings]\r\nVolume=5\r\n";
    WriteFile(m_strIni, old);
    for (EFileWriteFault eFault : {EFileWriteFault::Create, EFileWriteFault::Write, EFileWriteFault::Rename})
    {
        SCOPED_TRACE(static_cast<int>(eFault));
        SetFileWriteFaultForTest(eFault); // a full disk or a read-only folder
        EXPECT_FALSE(m_settings.Save());
        SetFileWriteFaultForTest(EFileWriteFault::None);
        EXPECT_EQ(old, ReadFile(m_strIni));
    }
    CSettings lost;
    lost.SetDefaults();
    lost.m_strIniFilePath = (TestProgramFolder() + "missing/folder/Vorn.ini").c_str();
    EXPECT_FALSE(lost.Save());
    EXPECT_FALSE(fs::exists(TestProgramFolder() + "missing"));
}

TEST_F(SettingsTest, CopiesTakeEveryMember)
{
    m_settings.m_nAIDefaultLevel = 7;
    m_settings.m_nNonPolygonalBalls = 0;
    m_settings.m_PlayList.Add("a.mp3");
    m_settings.m_nPlayListIndex = 0;
    m_settings.m_nVolume = 123;
    const CSettings copy(m_settings);
    EXPECT_EQ(7, copy.m_nAIDefaultLevel); // restoring from a copy restores the AI level too
    EXPECT_EQ(1, copy.m_nNonPolygonalBalls);
    EXPECT_EQ(123, copy.m_nVolume);
    ASSERT_EQ(1, copy.m_PlayList.GetSize());
    CSettings target;
    target.m_PlayList.Add("old.mp3");
    target = m_settings;
    EXPECT_EQ(7, target.m_nAIDefaultLevel);
    EXPECT_EQ("a.mp3", target.m_PlayList[0]);
    EXPECT_EQ(1, target.m_PlayList.GetSize());
    EXPECT_EQ(3, CSettings().m_nAIDefaultLevel);
}

TEST_F(SettingsTest, GoalsNamesAndGameTypes)
{
    m_settings.m_nGameType = 15;
    m_settings.SetMatchGoal(5000);
    EXPECT_EQ(1000, m_settings.m_nBallsGoal);
    m_settings.SetMatchGoal(0);
    EXPECT_EQ(1, m_settings.m_nBallsGoal);
    m_settings.m_nGameType = 8;
    m_settings.m_nGamesGoal = -4;
    EXPECT_EQ(1, m_settings.GetMatchGoal());
    m_settings.SetGoal(12, TRUE);
    m_settings.SetGoal(2000, FALSE);
    EXPECT_EQ(12, m_settings.GetGoal(TRUE));
    EXPECT_EQ(1000, m_settings.GetGoal(FALSE));

    m_settings.m_strPlayer1 = "Ann";
    m_settings.m_strPlayer2 = "Bob";
    m_settings.m_nPlayerLevel2 = 8;
    EXPECT_EQ("Ann", m_settings.GetPlayerName(1));
    EXPECT_EQ("Shark", m_settings.GetPlayerName(2));
    EXPECT_EQ("Shark", m_settings.GetPlayerName(0)); // any other number is player 2

    for (int nType : {0, 3, 8, 9, 15, 16, 17, 18, 32, 33, 101})
    {
        m_settings.m_nGameType = nType;
        m_settings.CheckGameType();
        EXPECT_EQ(nType, m_settings.m_nGameType);
    }
    for (int nType : {-1, 1, 19, 100, 102})
    {
        m_settings.m_nGameType = nType;
        m_settings.CheckGameType();
        EXPECT_EQ(3, m_settings.m_nGameType);
    }
}

TEST(CoefficientTest, ConvertsFiniteNumbersOnly)
{
    struct SCase
    {
        const char* szText;
        bool bConverts;
        double dValue;
    };
    const SCase cases[] = {
        {"0.7", true, 0.7}, {" -1.5e-2", true, -0.015}, {"3abc", true, 3.0},     {"", false, 0},      {"abc", false, 0},
        {"nan", false, 0},  {"inf", false, 0},          {"-INFINITY", false, 0}, {"1e999", false, 0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szText);
        double d = 42.0;
        float f = 42.0f;
        EXPECT_EQ(c.bConverts, ConvertCoefficient(c.szText, d));
        EXPECT_EQ(c.bConverts, ConvertCoefficient(c.szText, f));
        EXPECT_EQ(c.bConverts ? c.dValue : 42.0, d); // a text that does not convert changes nothing
        EXPECT_EQ(c.bConverts ? static_cast<float>(c.dValue) : 42.0f, f);
    }
}

TEST(SavedDirectoryTest, FallsBackToAFolderThatTakesFiles)
{
    const CString strKept = g_Settings.m_strSavedDirectory;
    CTempFolder tmp;
    CEnvScope env("TMPDIR", tmp.Folder().c_str());

    g_Settings.m_strSavedDirectory = CString(tmp.Folder());
    EXPECT_EQ(CString(tmp.Folder()), CSettings::GetSavedDirectory()); // exists and takes files

    g_Settings.m_strSavedDirectory = "/no/such/folder/";
    EXPECT_EQ(CString(TestProgramFolder()) + "Saved\\", CSettings::GetSavedDirectory());
    EXPECT_TRUE(fs::is_directory(TestProgramFolder() + "Saved"));
    EXPECT_EQ(CString(TestProgramFolder()) + "Saved\\", CSettings::GetGlobalSavedDirectory());
    fs::remove_all(TestProgramFolder() + "Saved");

    {
        // The program folder's "Saved" cannot be made: the games go with the settings.
        const CEnvScope data("XDG_DATA_HOME", tmp.File("data").c_str());
        CProgramScope scope("/proc/self/Vorn");
        g_Settings.m_strSavedDirectory = "/proc/self/Saved\\";
        EXPECT_EQ(CString(tmp.Folder()) + "data/vorn/Saved\\", CSettings::GetSavedDirectory());
        EXPECT_TRUE(fs::is_directory(tmp.Path() / "data" / "vorn" / "Saved"));
    }
    {
        // Nor a data folder that lasts: the temporary folder's.
        const CEnvScope data("XDG_DATA_HOME", "/proc/self");
        CProgramScope scope("/proc/self/Vorn");
        fs::create_directories(tmp.Path() / "Saved"); // left by an earlier run: taken as it is
        g_Settings.m_strSavedDirectory = "/proc/self/Saved\\";
        EXPECT_EQ(CString(tmp.Folder()) + "Saved\\", CSettings::GetSavedDirectory());
    }
    g_Settings.m_strSavedDirectory = strKept;
}
