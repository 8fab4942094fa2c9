#include "app/VornApp.h"

#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/RequiredFiles.h"
#include "app/SplashScreen.h"
#include "app/StartupFiles.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/LogFile.h"
#include "foundation/Settings.h"
#include "gameflow/TableSets.h"
#include "media/MusicPlayer.h"
#include "platform/mfc/AfxResource.h"
#include "platform/mfc/CFile.h"
#include "platform/mfc/StringResources.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Registry.h"
#include "platform/win32/SystemParameters.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/BallEngine.h"
#include "simulation/DiscTable.h"
#include "simulation/GamePlugins.h"
#include "ui/SmallDialogs.h"

#include <array>

VORN_GLOBAL_ROW(GLOBAL_ROW_GAME_PLUGINS) CGamePlugins g_GamePlugins;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_GAME_PLUGINS);
VORN_GLOBAL_ROW(GLOBAL_ROW_MAIN_CLIP) CString g_strMainClip;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_MAIN_CLIP);
VORN_GLOBAL_ROW(GLOBAL_ROW_SPLASH_CLIPS) CString g_strSplashClip;
VORN_GLOBAL_ROW(GLOBAL_ROW_SPLASH_CLIPS) CString g_strStartClip;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_SPLASH_CLIPS);
VORN_GLOBAL_ROW(GLOBAL_ROW_FLAME_CLIP) CString g_strFlameClip;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_FLAME_CLIP);
VORN_GLOBAL_ROW(GLOBAL_ROW_OVERLAY_CLIP) CString g_strSplashOverlayClip;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_OVERLAY_CLIP);
CWinThread* g_pSplashThread = nullptr;

namespace
{
constexpr const char* APP_TITLE = "Vorn Deluxe";
/// A second title under which an earlier start may run.
constexpr const char* APP_ALTERNATIVE_TITLE = "Vorn Deluxe Edition";

/// The error of the -setup option: the set-up library did not load.
constexpr UINT IDS_SETUP_LIBRARY_MISSING = 21530;

void Trace(const char* szStep) { OutputDebugString((CString("Start-up: ") + szStep + "\n").GetString()); }

/// Field n (from 0) of the document string 128, whose fields are separated by new lines.
CString DocumentString(HINSTANCE hResources, int nField)
{
    char szText[512] = {};
    LoadString(hResources, 128, szText, sizeof(szText));
    CString strText(szText);
    for (int i = 0; i < nField; ++i)
    {
        const int nCut = strText.Find('\n');
        if (nCut < 0)
            return CString();
        strText = strText.Mid(nCut + 1);
    }
    return strText.SpanExcluding("\n");
}

/// The program's texts, from the string table of the resource library in use.
bool ResourceLibraryString(UINT nId, CString& strText)
{
    const HINSTANCE hResources = AfxGetResourceHandle();
    if (hResources == nullptr || nId == 0 || nId > 0xFFFF)
        return false;
    const HRSRC hInfo = FindResource(hResources, MAKEINTRESOURCE(static_cast<WORD>(nId)), RT_STRING);
    const auto* pText =
        hInfo != nullptr ? static_cast<const char*>(LockResource(LoadResource(hResources, hInfo))) : nullptr;
    if (pText == nullptr)
        return false;
    strText = CString(pText, static_cast<int>(SizeofResource(hResources, hInfo)));
    return true;
}

} // namespace

CString WithArtworkFolder(const CString& strName)
{
    // A name that already says where it lies (the ini file's defaults are whole paths) is kept.
    CFileStatus status;
    if (CFile::GetStatus(strName, status) || strName.FindOneOf("\\/") >= 0)
        return strName;
    return GetProgramFolder() + "Artwork\\" + strName;
}

void ShowErrorBoxWith(UINT nId, const char* szArgument)
{
    char szFormat[512] = {};
    if (LoadString(AfxGetResourceHandle(), nId, szFormat, sizeof(szFormat)) == 0)
    {
        ShowErrorBox(nId);
        return;
    }
    ShowErrorBoxText(ReplaceTextArgument(szFormat, szArgument));
}

CString ReplaceTextArgument(const CString& strFormat, const char* szArgument)
{
    // Texts of the libraries are not trusted as formats: only one %s is filled.
    const int nAt = strFormat.Find("%s");
    return nAt < 0 ? strFormat : strFormat.Left(nAt) + szArgument + strFormat.Mid(nAt + 2);
}

CVornApp::CVornApp() : CWinApp(APP_TITLE) {}

const SMessageMap* CVornApp::GetThisMessageMap()
{
    // ID_FILE_OPEN is not mapped: the program opens no documents.
    static const SMessageEntry s_aEntries[] = {MapCommand<&CVornApp::OnAppAbout>(ID_APP_ABOUT),
                                               MapCommand<&CVornApp::OnFileNew>(ID_FILE_NEW)};
    static const SMessageMap s_map{CWinApp::GetThisMessageMap(), s_aEntries};
    return &s_map;
}

CMainFrame* CVornApp::GetMainFrame() const { return static_cast<CMainFrame*>(m_pMainWnd); }

BOOL CVornApp::FailStart(CMainFrame* pFrame)
{
    // A frame that exists but has no window is deleted here; its destructor brings the screen saver back.
    if (pFrame != nullptr && pFrame->m_hWnd == nullptr)
        delete pFrame;
    m_pMainWnd = nullptr;
    m_nStartStatus = START_FAILED_STATUS;
    return FALSE;
}

BOOL CVornApp::CheckLauncher()
{
    const HWND hLauncher = FindWindow("Vorn Launcher class", "Vorn Launcher");
    if (hLauncher == nullptr)
        return TRUE;
    DWORD dwWarning = 0;
    DWORD dwSize = sizeof(dwWarning);
    HKEY hKey = nullptr;
    bool bRead = false;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, KEY_ALL_ACCESS, &hKey) == ERROR_SUCCESS)
    {
        bRead = RegQueryValueEx(hKey, "Vorn warning", nullptr, nullptr, reinterpret_cast<BYTE*>(&dwWarning), &dwSize) ==
                ERROR_SUCCESS;
        RegCloseKey(hKey);
    }
    const int nAnswer = bRead && dwWarning != 0 ? IDOK : AskToEndWaitingGame(GetProgramFolder() + "VornRes.dll");
    if (nAnswer == IDOK)
    {
        PostMessage(hLauncher, WM_CLOSE, 0, 0);
        return TRUE;
    }
    PostQuitMessage(1);
    return FALSE;
}

BOOL CVornApp::LoadResources()
{
    const CString strPath = GetProgramFolder() + "VornRes.dll";
    m_hResources = LoadLibrary(strPath);
    if (m_hResources == nullptr)
    {
        CString strText;
        strText.Format("FATAL ERROR!\nCan't load %s", strPath.GetString());
        AfxMessageBox(strText);
        return FALSE;
    }
    AfxSetResourceHandle(m_hResources);
    SetStringResourceSource(&ResourceLibraryString);
    return TRUE;
}

void CVornApp::RegisterDocumentType()
{
    const CString strExtension = DocumentString(m_hResources, 4);
    const CString strTypeId = DocumentString(m_hResources, 5);
    if (!strExtension.IsEmpty())
        RegDeleteKey(HKEY_CLASSES_ROOT, strExtension);
    if (strTypeId.IsEmpty())
        return;
    RegDeleteKey(HKEY_CLASSES_ROOT, strTypeId);
    HKEY hKey = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, strTypeId, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    static constexpr std::array<BYTE, 4> s_editFlags = {0x00, 0x00, 0x01, 0x00};
    RegSetValueEx(hKey, "EditFlags", 0, REG_BINARY, s_editFlags.data(), static_cast<DWORD>(s_editFlags.size()));
    RegCloseKey(hKey);
}

void CVornApp::ReadClipKeys()
{
    g_strSplashClip = GetArtworkIniString("Splash AVI", "Flame.AVI");
    WriteArtworkIniString("Splash AVI", g_strSplashClip);
    g_strMainClip = GetArtworkIniString("Main AVI", "Flame.AVI");
    WriteArtworkIniString("Main AVI", g_strMainClip);
    GetArtworkIniString("Tutorial", "");
    WriteArtworkIniString("Tutorial", GetTutorialFolder());
}

BOOL CVornApp::InitInstance()
{
    Trace("command line");
    CVornCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!g_strKillFile.IsEmpty())
        DeleteFile(g_strKillFile);

    Trace("single instance");
    HWND hFirst = FindWindow(FRAME_CLASS_NAME, APP_TITLE);
    if (hFirst == nullptr)
        hFirst = FindWindow(FRAME_CLASS_NAME, APP_ALTERNATIVE_TITLE);
    if (hFirst != nullptr)
    {
        SetForegroundWindow(hFirst);
        return FALSE;
    }
    Trace("launcher");
    if (!CheckLauncher())
        return TRUE; // the loop finds the quit message and ends with 1
    Trace("resources");
    if (!LoadResources())
        return FailStart(nullptr);
    RegisterDocumentType();
    if (g_bRegisterDocumentOnly)
        return FALSE;

    Trace("folders");
    FindDataFolder();
    InitIniFilePath();
    if (g_bLogFile && !g_LogFile.Open(GetDataFolder() + g_LogFile.GetFileName()))
        Trace("the log file cannot be written");
    Trace("artwork libraries");
    CString strMissing;
    if (!ScanArtworkLibraries() || !CheckRequiredFiles(&strMissing) || !CheckOpenedLibraries(&strMissing))
    {
        Trace("required files");
        if (strMissing.IsEmpty())
            CheckRequiredFiles(&strMissing);
        g_BallEngineMain.Release();
        g_BallEngineAux.Release();
        g_BallEngineQueued.Release();
        AfxMessageBox(strMissing.IsEmpty() ? "No artwork library (Imagery*.dll) was found." : strMissing.GetString(),
                      MB_ICONHAND);
        return FailStart(nullptr);
    }

    LoadTablesSet(g_astrArtworkLibraries);

    Trace("main frame");
    auto* pFrame = new CMainFrame;
    WriteArtworkDefaults();
    g_Settings.SetDefaults();
    g_Settings.Load();
    // The felt is tinted with the player's cloth colour from its first loading on.
    g_crClothColor = static_cast<COLORREF>(g_Settings.m_nTableColor);
    g_tableSets.Select(g_Settings.m_nTableNumber);
    LoadStdProfileSettings(4);
    ReadClipKeys();
    Trace("ball sets");
    // The ball sets count only when their libraries list at least one texture variant.
    if (ScanBallDataFiles())
        g_textureSet.LoadTextureSet();
    if (g_textureSet.GetCount() == 0)
    {
        ShowErrorBoxWith(21526, "balltex.dat");
        return FailStart(pFrame);
    }
    g_strSplashClip = WithArtworkFolder(g_strSplashClip);
    g_strMainClip = WithArtworkFolder(g_strMainClip);
    g_strStartClip = WithArtworkFolder("Start.avi");
    g_strFlameClip = WithArtworkFolder("Dragon_flame.avi");
    g_strSplashOverlayClip = WithArtworkFolder("jbspl.avi");
    m_pMainWnd = pFrame;
    SetModeFlags(gmStartupFlag);
    StartSplashScreen();

    Trace("tables.dat");
    if (!PrepareTablesData([](std::string_view path) { return BuildTablesDat(path); }))
    {
        ShowErrorBoxWith(21529, "tables.dat");
        return FailStart(pFrame);
    }
    if (cmdInfo.m_bSetup)
        RegisterDirectXApplication();
    Trace("rule plug-ins");
    g_GamePlugins.Scan();
    Trace("window");
    if (!pFrame->LoadFrame(128, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return FailStart(m_pMainWnd != nullptr ? pFrame : nullptr);
    m_bStarted = TRUE;
    return TRUE;
}

BOOL RegisterDirectXApplication()
{
    // The registration service and its library do not exist on this system: the set-up library
    // cannot be loaded, and the start goes on as it does on a system where it fails to load.
    Trace("DirectX registration");
    ShowErrorBox(IDS_SETUP_LIBRARY_MISSING);
    return TRUE;
}

int CVornApp::ExitInstance()
{
    ClipCursor(nullptr); // the desktop gets its whole screen back however the program ends
    JoinSplashScreen();  // stopped by the start screen, or now when the program ends before it
    CloseMusic();        // a track still open when the window went
    // A plug-in game still out (the program quit with its window open) goes while its library is loaded.
    g_GamePlugins.ReleaseGame();
    // The textures' pictures outlive every device; they go with the program.
    DeleteAllTextures();
    if (m_hResources != nullptr)
    {
        SetStringResourceSource(nullptr);
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hResources);
        m_hResources = nullptr;
    }
    if (!g_strKillFile.IsEmpty())
        DeleteFile(g_strKillFile);
    g_LogFile.Close();
    const int nCode = CWinApp::ExitInstance();
    return m_bStarted || nCode != 0 ? nCode : m_nStartStatus;
}
