#include "tests/app/AppFolder.h"
#include "tests/platform/EnvScope.h"

#include "app/CommandLine.h"
#include "app/RequiredFiles.h"
#include "app/StartupFiles.h"
#include "app/VornApp.h"
#include "foundation/LibraryLists.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Profile.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
TEST(CommandLineTest, KeywordsAreFoundAsSubstringsAndTheFirstInTheTableWins)
{
    struct SCase
    {
        const char* szParam;
        BOOL bFlag;
        const char* szKillFile;
        BOOL bDialogFontSize, bTeacher, bRegisterOnly, bSetup;
        const char* szFileName;
    };
    const SCase aCases[] = {
        {"KILL_IT:C:\\Temp\\X.TXT", TRUE, "C:\\Temp\\X.TXT", 1, 0, 0, 0, ""},
        {"kill_it", TRUE, "", 1, 0, 0, 0, ""},
        {"kill_it:c:\\logfile.txt", TRUE, "", 1, 0, 0, 0, ""}, // "logfile" comes first in the table
        {"check_GPF", TRUE, "", 0, 0, 0, 0, ""},
        {"CHECK_GPF", TRUE, "", 0, 0, 0, 0, ""},
        {"Teacher", TRUE, "", 1, 1, 0, 0, ""},
        {"register_document_only", TRUE, "", 1, 0, 1, 0, ""},
        {"SETUP", TRUE, "", 1, 0, 0, 1, ""},
        {"setup", FALSE, "", 1, 0, 0, 0, "setup"}, // without a dash it is a file name
        {"web_session=3", TRUE, "", 1, 0, 0, 0, ""},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szParam);
        g_strKillFile.Empty();
        g_bDialogFontSize = 1;
        g_bTeacherMode = 0;
        g_bRegisterDocumentOnly = 0;
        CVornCommandLineInfo info;
        info.ParseParam(c.szParam, c.bFlag, TRUE);
        EXPECT_EQ(CString(c.szKillFile), g_strKillFile);
        EXPECT_EQ(c.bDialogFontSize, g_bDialogFontSize);
        EXPECT_EQ(c.bTeacher, g_bTeacherMode);
        EXPECT_EQ(c.bRegisterOnly, g_bRegisterDocumentOnly);
        EXPECT_EQ(c.bSetup, info.m_bSetup);
        EXPECT_EQ(CString(c.szFileName), info.m_strFileName);
    }
    g_strKillFile.Empty();
    g_bDialogFontSize = 1;
    g_bTeacherMode = 0;
    g_bRegisterDocumentOnly = 0;
}

TEST(StartupFilesTest, LibrariesAreListedLaterNameFirst)
{
    const CAppFolder app;
    for (const char* szName : {"Imagery.dll", "imagery2.dll", "Imagery1.dll", "VornBall.dat", "other.dll"})
        app.Folder().Write(szName, "x");
    ASSERT_TRUE(ScanArtworkLibraries());
    ASSERT_EQ(3, g_astrArtworkLibraries.GetSize());
    EXPECT_EQ("imagery2.dll", g_astrArtworkLibraries[0]);
    EXPECT_EQ("Imagery1.dll", g_astrArtworkLibraries[1]);
    EXPECT_EQ("Imagery.dll", g_astrArtworkLibraries[2]);
    EXPECT_TRUE(ScanBallDataFiles());
    EXPECT_EQ(1, g_astrBallSetLibraries.GetSize());
    for (const char* szName : {"Imagery.dll", "imagery2.dll", "Imagery1.dll"})
        std::filesystem::remove(app.Folder().Path() / szName);
    EXPECT_FALSE(ScanArtworkLibraries());
    EXPECT_EQ(0, g_astrArtworkLibraries.GetSize()) << "a scan starts from an empty list";
    g_astrBallSetLibraries.RemoveAll();
}

TEST(StartupFilesTest, TablesDataTakesTheFirstNonEmptyFileElseBuildsInOrder)
{
    const CAppFolder app;
    const std::string strProgram = app.Folder().Folder();
    std::filesystem::create_directories(app.Folder().Path() / "Artwork");
    std::filesystem::create_directories(app.Folder().Path() / "tmp");
    const CEnvScope tmp("TMPDIR", app.Folder().File("tmp").c_str());
    std::vector<std::string> aTried;
    const auto failingBuilder = [&](std::string_view path)
    {
        aTried.emplace_back(path);
        return 1;
    };
    app.Folder().Write("Artwork/tables.dat", ""); // empty: ignored
    app.Folder().Write("tables.dat", "discs");
    ASSERT_TRUE(PrepareTablesData(failingBuilder));
    EXPECT_EQ(CString(strProgram + "tables.dat"), g_strTablesDatPath);
    EXPECT_TRUE(aTried.empty());

    std::filesystem::remove(app.Folder().Path() / "tables.dat");
    EXPECT_FALSE(PrepareTablesData(failingBuilder));
    EXPECT_EQ((std::vector<std::string>{strProgram + "tables.dat", strProgram + "Artwork\\tables.dat",
                                        strProgram + "tmp/tables.dat"}),
              aTried)
        << "built in the program, artwork and temporary folders in turn";
    g_strTablesDatPath.Empty();
}

TEST(StartupFilesTest, FirstStartDefaultsNeverOverwriteAnIniFile)
{
    const CAppFolder app;
    WriteArtworkDefaults();
    const std::string strIni = app.Folder().Read("Vorn.ini");
    EXPECT_NE(std::string::npos, strIni.find("Blink lamp=500, 300, 300, 150, 150, 150, 500, 100;"));
    EXPECT_NE(std::string::npos, strIni.find("[Settings]"));
    EXPECT_NE(std::string::npos, strIni.find("Link 4="));
    app.Folder().Write("Vorn.ini", "[Artwork]\nArtFile=mine\n");
    WriteArtworkDefaults();
    EXPECT_EQ("[Artwork]\nArtFile=mine\n", app.Folder().Read("Vorn.ini"));
}

TEST(RequiredFilesTest, FoldersVersionsAndTheMessage)
{
    const CAppFolder app;
    app.AddLibrary("Imagery.dll");
    app.AddLibrary("ddraw.dll");
    const CString strProgram = app.Folder().Folder().c_str();
    constexpr DWORD V17 = (1u << 16) | 7u;
    const SRequiredFile aRows[] = {
        {0, V17, "imagery.dll", FALSE, TRUE, TRUE},             // found without regard to case
        {1, V17, "Imagery.dll", FALSE, TRUE, TRUE},             // 1.7.0.1 wanted: old
        {1, V17, "Imagery.dll", FALSE, FALSE, TRUE},            // low word not compared: passes
        {0, (1u << 16) | 6u, "Imagery.dll", FALSE, TRUE, TRUE}, // older wanted: passes
        {0, V17, "Missing.dll", FALSE, TRUE, TRUE},             // missing
        {0, V17, "Nothing.dat", FALSE, FALSE, FALSE},           // existence only: missing
        {518, (4u << 16) | 6u, "dsound.dll", TRUE, TRUE, TRUE}, // the system folder's: passes
        {518, (4u << 16) | 6u, "ddraw.dll", TRUE, TRUE, TRUE},  // the program folder's copy wins: old
    };
    CString strText = "stale";
    EXPECT_EQ(0, CheckRequiredFiles(&strText, aRows));
    EXPECT_EQ("File(s):\n" + strProgram + "Missing.dll,\n" + strProgram +
                  "Nothing.dat\nnot found or corrupt.\n\n"
                  "You must have DirectX 6.1 or higher\n\nFile(s):\n" +
                  strProgram + "Imagery.dll,\n" + strProgram + "ddraw.dll\nhas(have) old version\n",
              strText);
    EXPECT_EQ(0, CheckRequiredFiles(nullptr, aRows));
    EXPECT_EQ(1, CheckRequiredFiles(&strText, std::span(aRows).first(1)));
    EXPECT_TRUE(strText.IsEmpty());
}

TEST(MainLoopTest, LeadingShiftAndControlKeysAndEveryMouseMoveAreDropped)
{
    const UINT aKeys[][2] = {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYUP, VK_CONTROL}, {WM_KEYDOWN, 'A'}, {WM_KEYDOWN, VK_SHIFT}};
    for (const auto& key : aKeys)
        PostThreadMessage(GetCurrentThreadId(), key[0], key[1], 0);
    PostThreadMessage(GetCurrentThreadId(), WM_MOUSEMOVE, 0, 0);
    PostThreadMessage(GetCurrentThreadId(), WM_USER, 0, 0);
    PostThreadMessage(GetCurrentThreadId(), WM_MOUSEMOVE, 0, 0);
    CoalesceMouseMoves();
    std::vector<std::pair<UINT, WPARAM>> aLeft;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        aLeft.emplace_back(msg.message, msg.wParam);
    EXPECT_EQ((std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'A'}, {WM_KEYDOWN, VK_SHIFT}, {WM_USER, 0}}), aLeft);
}
} // namespace
