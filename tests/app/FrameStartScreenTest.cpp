// The start screen as the main window's start shows it on the headless display, and the clip
// files start-up names.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Folders.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
TEST(FrameStartScreenTest, AScreenUnder800By600ShowsTheBoxAndTheWindowClosesWithQuitCodeZero)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    const RECT rcDesktop = GetDesktopWindowRect();
    SetDesktopWindowRect(RECT{0, 0, 799, 600});
    std::vector<std::string> aBoxes;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            aBoxes.push_back(request.strCaption + ": " + request.strText);
            return IDOK;
        });
    const HMODULE hLibrary = LoadLibrary(VORN_APP_FIXTURE_DIR "VornRes.dll");
    AfxSetResourceHandle(hLibrary);
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    const HWND hWnd = pFrame->m_hWnd;
    int nQuit = -1;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            nQuit = static_cast<int>(msg.wParam);
        else
            DispatchMessage(&msg);
    EXPECT_EQ(0, nQuit);
    EXPECT_FALSE(IsWindow(hWnd)) << "the window closed without a game";
    EXPECT_EQ(std::vector<std::string>{"Unsupported Resolution: The minimum resolution for this game is 800x600 with "
                                       "16bit color depth or 32bit color depth."},
              aBoxes);
    if (IsWindow(hWnd))
        pFrame->DestroyWindow();
    Pump();
    SetMessageBoxHandler(nullptr);
    SetDesktopWindowRect(rcDesktop);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(hLibrary);
    FreeDriverList();
    g_hDDrawModule = nullptr;
    g_pfnDirectDrawCreate = nullptr;
    StopDisplay();
}

TEST(FrameStartScreenTest, ClipNamesWithoutAFolderLieInTheArtworkFolder)
{
    const CAppFolder app;
    const CString strArtwork = GetProgramFolder() + "Artwork\\";
    struct SCase
    {
        const char* szName;
        CString strClip;
        CString strExpected;
    };
    const SCase aCases[] = {
        {"a bare name", "Start.avi", strArtwork + "Start.avi"},
        {"a whole path, as the ini file's defaults are", strArtwork + "Flame.AVI", strArtwork + "Flame.AVI"},
        {"a name in a folder of its own", "Clips/Flame.AVI", "Clips/Flame.AVI"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_STREQ(c.strExpected.GetString(), WithArtworkFolder(c.strClip).GetString());
    }
}
} // namespace
