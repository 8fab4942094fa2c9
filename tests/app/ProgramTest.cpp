// The real program, run on SDL's dummy drivers in a folder of its own with the test libraries,
// driven by an input script.
#include "fixtures/WaitFor.h"
#include "tests/app/TestProgramRun.h"

#include "platform/win32/Profile.h"
#include "platform/win32/Registry.h"
#include "platform/win32/WindowRendezvous.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{
/// Whether the text holds the parts in this order.
bool HasInOrder(const std::string& strText, std::initializer_list<const char*> aParts)
{
    size_t nAt = 0;
    for (const char* szPart : aParts)
    {
        nAt = strText.find(szPart, nAt);
        if (nAt == std::string::npos)
            return false;
    }
    return true;
}

TEST(ProgramTest, StartsShowsFramesAndEndsWhenTheScriptClosesIt)
{
    CTestProgramRun run;
    const std::string strPng = (run.Root() / "frame.png").string();
    ASSERT_EQ(0, run.Run("frame 3 png " + strPng + "\nframe 3 close\nanswer ok\n")) << run.Log();
    EXPECT_TRUE(HasInOrder(run.Log(), {"command line", "single instance", "launcher", "resources", "folders",
                                       "artwork libraries", "main frame", "ball sets", "tables.dat", "rule plug-ins",
                                       "window", "Game started", "Do you really want to quit?"}))
        << run.Log();
    EXPECT_TRUE(std::filesystem::exists(run.Program() / "Vorn.ini")) << "settings saved in the program folder";
    EXPECT_TRUE(std::filesystem::exists(run.Program() / "tables.dat"));
    EXPECT_GT(std::filesystem::file_size(strPng), 0u) << "a frame was shown";
    EXPECT_TRUE(std::filesystem::is_empty(run.Root() / "run" / "vorn")) << "the window's socket went with it";
}

TEST(ProgramTest, DecliningTheCloseKeepsTheGameRunning)
{
    CTestProgramRun run;
    ASSERT_EQ(0, run.Run("frame 2 close\nframe 4 close\nanswer cancel\nanswer ok\n")) << run.Log();
    EXPECT_TRUE(HasInOrder(run.Log(), {"Do you really want to quit?", "Do you really want to quit?"}));
}

TEST(ProgramTest, MissingLibraryIsNamedAndEndsWithStatusTwo)
{
    struct SCase
    {
        const char* szRemoved;
        const char* szMessage;
    };
    for (const SCase& c :
         {SCase{"VornRes.dll", "FATAL ERROR!\nCan't load "}, SCase{"VornWave.dll", "not found or corrupt."},
          SCase{"Imagery.dll", "not found or corrupt."}})
    {
        SCOPED_TRACE(c.szRemoved);
        CTestProgramRun run;
        std::filesystem::remove(run.Program() / c.szRemoved);
        EXPECT_EQ(2, run.Run("")) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find(c.szMessage)) << strLog;
        EXPECT_NE(std::string::npos, strLog.find((run.Program() / c.szRemoved).string())) << strLog;
        EXPECT_EQ(std::string::npos, strLog.find("Game started"));
    }
}

TEST(ProgramTest, ALibraryCutInHalfStopsTheStartAsAMissingOneDoes)
{
    // A required library (one the table of required files spells in other cases), and a ball set
    // opened only after the check: each named as the folder spells it.
    struct SCase
    {
        const char* szCut;
        const char* szCopiedFrom; ///< null: the program folder's own library is cut
    };
    for (const SCase& c :
         {SCase{"VornWave.dll", nullptr}, SCase{"Imagery1.dll", nullptr}, SCase{"VornBall2.dat", "VornBall.dat"}})
    {
        SCOPED_TRACE(c.szCut);
        CTestProgramRun run;
        const std::filesystem::path library = run.Program() / c.szCut;
        if (c.szCopiedFrom != nullptr)
            std::filesystem::copy_file(run.Program() / c.szCopiedFrom, library);
        std::filesystem::resize_file(library, std::filesystem::file_size(library) / 2);
        EXPECT_EQ(2, run.Run("")) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find("File(s):\n" + library.string() + "\nnot found or corrupt."))
            << strLog;
        EXPECT_EQ(std::string::npos, strLog.find("Game started"));
    }
}

TEST(ProgramTest, TablesDatThatCannotBeMadeEndsTheStartWithItsMessage)
{
    CTestProgramRun run;
    // Folders where the file should be: it can be neither read nor written in any of them.
    for (const auto& folder : {run.Program(), run.Program() / "Artwork", run.Root() / "tmp"})
        std::filesystem::create_directories(folder / "tables.dat");
    EXPECT_EQ(2, run.Run("")) << run.Log();
    EXPECT_NE(std::string::npos, run.Log().find("table tables.dat could not be found or built")) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("Game started"));
}

/// How often the text holds the part.
size_t CountOf(const std::string& strText, const std::string& strPart)
{
    size_t nCount = 0;
    for (size_t nAt = strText.find(strPart); nAt != std::string::npos; nAt = strText.find(strPart, nAt + 1))
        ++nCount;
    return nCount;
}

TEST(ProgramTest, BallSetsWithoutATextureListEndTheStartWithStatusTwo)
{
    CTestProgramRun run;
    // The library is there, at its version, but lists no ball set.
    std::filesystem::copy_file(run.Program() / "Bare.res", run.Program() / "VornBall.dat",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(2, run.Run("")) << run.Log();
    EXPECT_NE(std::string::npos, run.Log().find("The ball sets (balltex.dat) could not be loaded.")) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("Start-up: tables.dat")) << run.Log();
}

TEST(ProgramTest, SceneTextIsOpenedOrItsAbsenceShownOnce)
{
    {
        CTestProgramRun run;
        ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n")) << run.Log();
        EXPECT_EQ(0u, CountOf(run.Log(), "The scene text could not be read.")) << run.Log();
        EXPECT_NE(std::string::npos, run.Log().find("Game started"));
    }
    CTestProgramRun run;
    for (const char* szLibrary : {"Imagery.dll", "Imagery1.dll"})
        std::filesystem::copy_file(run.Program() / "Bare.res", run.Program() / szLibrary,
                                   std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(2, run.Run("")) << run.Log();
    EXPECT_EQ(1u, CountOf(run.Log(), "The scene text could not be read.")) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("Game started")) << run.Log();
}

TEST(ProgramTest, OptionsEndTheStartEarlyOrDeleteTheirFile)
{
    CTestProgramRun run;
    const std::string strKill = (run.Root() / "Kill Me.TXT").string();
    std::filesystem::create_directories(run.Root() / "home");
    std::ofstream(strKill) << "x";
    EXPECT_EQ(0, run.Run("", {"/register_document_only", "-KILL_IT:" + strKill})) << run.Log();
    EXPECT_FALSE(std::filesystem::exists(strKill)) << "deleted at start, the name kept as typed";
    EXPECT_EQ(std::string::npos, run.Log().find("Start-up: folders")) << "ended after the document type";

    std::ofstream(strKill) << "x";
    EXPECT_EQ(0, run.Run("frame 2 close\nanswer ok\n", {"-kill_it:" + strKill})) << run.Log();
    EXPECT_FALSE(std::filesystem::exists(strKill));
    EXPECT_NE(std::string::npos, run.Log().find("Game started"));
}

TEST(ProgramTest, TheLogFileOptionWritesTheDebugLogIntoTheDataFolder)
{
    CTestProgramRun run;
    const std::filesystem::path log = run.Program() / "VornLog.txt";
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n")) << run.Log();
    EXPECT_FALSE(std::filesystem::exists(log)) << "no log file without the option";
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n", {"-LogFile:2"})) << run.Log();
    std::ostringstream file;
    file << std::ifstream(log).rdbuf();
    const std::string strFile = file.str();
    EXPECT_TRUE(HasInOrder(strFile, {"Start-up: artwork libraries", "Start-up: window", "Game started"})) << strFile;
}

TEST(ProgramTest, AWindowKeptOffTheDesktopIsKeptOnItAfterAStart)
{
    // A placement from a larger desktop: its normal rectangle lies right of and below this one.
    CTestProgramRun run;
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "FullScreen", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "Window placement", "1 0 0 0 0 5000 4000 5700 4500", strIni.c_str());
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n")) << run.Log();
    char szPlacement[100] = "";
    GetPrivateProfileString("Settings", "Window placement", "", szPlacement, sizeof szPlacement, strIni.c_str());
    EXPECT_STREQ("1 0 0 0 0 0 0 700 500", szPlacement);
}

TEST(ProgramTest, SetupSaysTheSetUpLibraryCannotBeLoadedAndTheGameStartsAnyway)
{
    CTestProgramRun run;
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n", {"-setup"})) << run.Log();
    EXPECT_TRUE(HasInOrder(run.Log(), {"Start-up: tables.dat", "The set-up library could not be loaded.",
                                       "Start-up: rule plug-ins", "Game started"}))
        << run.Log();
    // Without a leading dash or slash the word is no option.
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n", {"setup"})) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("The set-up library")) << run.Log();
}

TEST(ProgramTest, GlobalsAreBuiltInTheOrderOfTheirTable)
{
    // Every row of the table of globals but those of plain values (vectors, matrices, view
    // records), in the table's order.
    constexpr int PLAIN_ROWS[] = {2, 15, 27, 28, 32};
    std::vector<int> anTable;
    for (int nRow = 1; nRow <= 60; ++nRow)
        if (std::find(std::begin(PLAIN_ROWS), std::end(PLAIN_ROWS), nRow) == std::end(PLAIN_ROWS))
            anTable.push_back(nRow);
    CTestProgramRun run;
    EXPECT_EQ(0, run.Run("", {"/register_document_only"})) << run.Log();
    const std::string strLog = run.Log();
    const std::string strLead = "Globals: rows built in order";
    const size_t nAt = strLog.find(strLead);
    ASSERT_NE(std::string::npos, nAt) << strLog;
    std::istringstream line(strLog.substr(nAt + strLead.size(), strLog.find('\n', nAt) - nAt - strLead.size()));
    const std::vector<int> anBuilt{std::istream_iterator<int>(line), std::istream_iterator<int>()};
    EXPECT_EQ(anTable, anBuilt);
}

TEST(ProgramTest, SecondStartRaisesTheFirstAndEndsWithZero)
{
    CTestProgramRun first;
    first.ShareEnvironment();
    ASSERT_TRUE(first.Start("answer ok\nat 50000 close\n"));
    HWND hFirst = nullptr;
    WaitFor([&] { return (hFirst = FindWindow("Vorn class", "Vorn Deluxe")) != nullptr; });
    ASSERT_NE(nullptr, hFirst) << first.Log();
    EXPECT_TRUE(IsRemoteWindow(hFirst));
    // The window exists before its game starts: the start screen comes first.
    WaitFor([&] { return first.Log().find("Game started") != std::string::npos; });

    // The second start runs in the same folders, so it finds the first.
    CProgramRun second(first.Program() / "Vorn", first.Program().string());
    std::filesystem::remove(second.Root() / "run");
    std::filesystem::create_directory_symlink(first.Root() / "run", second.Root() / "run");
    EXPECT_EQ(0, second.Run("")) << second.Log();
    EXPECT_EQ(std::string::npos, second.Log().find("Start-up: resources")) << "it ended before loading anything";

    EXPECT_TRUE(PostMessage(hFirst, WM_CLOSE, 0, 0)) << "a peer may ask the first to close";
    EXPECT_EQ(0, first.Wait()) << first.Log();
    EXPECT_TRUE(HasInOrder(first.Log(), {"Game started", "asked to raise", "asked to close"})) << first.Log();
    EXPECT_FALSE(IsWindow(hFirst));
}

TEST(ProgramTest, SocketOfADeadInstanceDoesNotStopAStart)
{
    CTestProgramRun run;
    run.ShareEnvironment();
    // A socket bound and abandoned, as a killed instance leaves it.
    const std::string strPath = GetRendezvousPath("Vorn class", "Vorn Deluxe");
    ASSERT_FALSE(strPath.empty());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", strPath.c_str());
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    ::close(fd);
    EXPECT_EQ(nullptr, FindWindow("Vorn class", "Vorn Deluxe"));
    ASSERT_EQ(0, run.Run("frame 2 close\nanswer ok\n")) << run.Log();
    EXPECT_NE(std::string::npos, run.Log().find("Game started"));
}

/// A launcher's window in this process, answering under its class and title.
LRESULT LauncherProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return uMsg == WM_CLOSE ? 0 : DefWindowProc(hWnd, uMsg, wParam, lParam);
}

TEST(ProgramTest, WaitingLauncherIsClosedWithoutAskingWhenTheRegistrySaysSo)
{
    for (const DWORD dwWarning : {1u, 0u})
    {
        SCOPED_TRACE(dwWarning);
        CTestProgramRun run;
        run.ShareEnvironment();
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, nullptr, 0,
                                                KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        RegSetValueEx(hKey, "Vorn warning", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwWarning), 4);
        RegCloseKey(hKey);
        WNDCLASS wc;
        wc.lpfnWndProc = &LauncherProc;
        wc.lpszClassName = "Vorn Launcher class";
        RegisterClass(&wc);
        const HWND hLauncher = CreateWindowEx(WS_EX_APPWINDOW, "Vorn Launcher class", "Vorn Launcher", WS_POPUP, 0, 0,
                                              10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hLauncher);
        // Asked (warning 0), the answer is cancel: the program ends with 1 and the launcher stays.
        const int nStatus = run.Run(dwWarning != 0 ? "frame 2 close\nanswer ok\n" : "answer cancel\n");
        MSG msg;
        bool bClosed = false;
        while (PeekMessage(&msg, hLauncher, 0, 0, PM_REMOVE))
            bClosed = bClosed || msg.message == WM_CLOSE;
        EXPECT_EQ(dwWarning != 0, bClosed);
        EXPECT_EQ(dwWarning != 0 ? 0 : 1, nStatus) << run.Log();
        EXPECT_EQ(dwWarning == 0, run.Log().find("A game is waiting") != std::string::npos) << run.Log();
        DestroyWindow(hLauncher);
    }
}

TEST(ProgramTest, AcceleratorKeysRunTheirCommandsAndAMissingDialogIsNamed)
{
    CTestProgramRun run;
    // F1 shows the rules card of the game (three-ball) and F2 asks for a new game: this library has
    // neither dialog, so each says which resource is missing. Alt+Enter takes the full screen the
    // game starts in back to a window; Alt is held over frames, as a person holds it, so that it is
    // still down when Enter's message is read.
    ASSERT_EQ(0, run.Run("frame 3 key press F1\nanswer ok\nframe 4 key press F2\nanswer ok\n"
                         "frame 6 key down Left Alt\nframe +2 key press Return\nframe +2 key up Left Alt\n"
                         "seen shown in a window\nframe +1 close\nanswer ok\n"))
        << run.Log();
    EXPECT_TRUE(HasInOrder(run.Log(), {"Game started", "Rules asked for", "(924) is missing from VornRes.dll",
                                       "(698) is missing from VornRes.dll", "Do you really want to quit?"}))
        << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("New game\n")) << "a question that cannot be asked is not agreed to";
    EXPECT_EQ(0, static_cast<int>(GetPrivateProfileInt("Settings", "FullScreen", -1,
                                                       (run.Program() / "Vorn.ini").string().c_str())));
}
} // namespace

namespace
{
TEST(ProgramTest, PersonAndComputerPlayShotsThatAreJudgedAndPassTheTurn)
{
    CTestProgramRun run;
    std::ofstream(run.Program() / "Vorn.ini") << "[Settings]\nGameType=9\nCompetition Type=1\nPlayer1=Ann\n"
                                                 "Player level 2=9\nAI Default Level=9\nGames Goal=3\n";
    // The person breaks once the table is at rest: a click ends ball in hand where the ball lies, the
    // camera flies behind it and then Enter strikes; then the computer plays. The window closes once
    // the computer's shot has been judged, however long that takes.
    const std::string strScript = "seen Game: at rest, it can be saved or loaded\n"
                                  "after 0 mouse down left 400 200\nafter 0 mouse up left 400 200\n"
                                  "after 3000 mouse move 400 200\n"
                                  "frame +3 key press Return\n"
                                  "seen Game: shot 1 struck by Ann\nseen Game: shot 1 judged\nseen struck by Shark\n"
                                  "seen judged\nafter 0 close\nanswer ok\n";
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();
    const std::string strLog = run.Log();
    // The computer's seat has its level's name; it takes the turn after the break and strikes too.
    EXPECT_TRUE(HasInOrder(strLog, {"Game: type 9, Ann against Shark, Ann breaks", "Game started",
                                    "Game: shot 1 struck by Ann", "Game: shot 1 judged", "struck by Shark", "judged"}))
        << strLog;
}
} // namespace
