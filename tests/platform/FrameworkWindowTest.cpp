#include "fixtures/WaitFor.h"

#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
#include "platform/win32/Thread.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr UINT ID_BOTH = 100;     // handled by the frame and the application
constexpr UINT ID_APP_ONLY = 101; // handled by the application only
constexpr UINT ID_DISABLED = 102; // the frame's update handler disables it

std::vector<std::string> s_aCalls;

class CTestApp : public CWinApp
{
public:
    CTestApp() : CWinApp("Test app") {}
    static const SMessageMap* GetThisMessageMap()
    {
        static const SMessageEntry s_aEntries[] = {MapCommand<&CTestApp::OnBoth>(ID_BOTH),
                                                   MapCommand<&CTestApp::OnAppOnly>(ID_APP_ONLY)};
        static const SMessageMap s_map{CWinApp::GetThisMessageMap(), s_aEntries};
        return &s_map;
    }
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    void OnBoth() { s_aCalls.push_back("app both"); }
    void OnAppOnly() { s_aCalls.push_back("app only"); }
};

class CBaseFrame : public CFrameWnd
{
public:
    static const SMessageMap* GetThisMessageMap()
    {
        static const SMessageEntry s_aEntries[] = {MapMessage<&CBaseFrame::OnPing>(WM_USER + 1),
                                                   MapMessage<&CBaseFrame::OnDestroy>(WM_DESTROY)};
        static const SMessageMap s_map{CFrameWnd::GetThisMessageMap(), s_aEntries};
        return &s_map;
    }
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    LRESULT OnPing(WPARAM, LPARAM) { return 1; }
    void OnDestroy() { s_aCalls.push_back("destroy"); }
};

class CTestFrame : public CBaseFrame
{
public:
    explicit CTestFrame(bool* pDeleted = nullptr) : m_pDeleted(pDeleted) {}
    ~CTestFrame() override
    {
        if (m_pDeleted != nullptr)
            *m_pDeleted = true;
    }
    static const SMessageMap* GetThisMessageMap()
    {
        static const SMessageEntry s_aEntries[] = {
            MapMessage<&CTestFrame::OnPing2>(WM_USER + 1),
            MapMessage<&CTestFrame::OnCreate>(WM_CREATE),
            MapCommand<&CTestFrame::OnBoth>(ID_BOTH),
            MapCommand<&CTestFrame::OnDisabled>(ID_DISABLED),
            MapUpdateCommand<&CTestFrame::OnUpdateDisabled>(ID_DISABLED),
            MapMessage<&CTestFrame::OnSize>(WM_SIZE),
        };
        static const SMessageMap s_map{CBaseFrame::GetThisMessageMap(), s_aEntries};
        return &s_map;
    }
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    LRESULT OnPing2(WPARAM wParam, LPARAM) { return 2 + static_cast<LRESULT>(wParam); }
    int OnCreate(CREATESTRUCT* pcs)
    {
        s_aCalls.push_back(std::string("create ") + pcs->lpszName);
        return 0;
    }
    void OnBoth() { s_aCalls.push_back("frame both"); }
    void OnDisabled() { s_aCalls.push_back("disabled ran"); }
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnSize(UINT nType, int cx, int cy)
    {
        s_aCalls.push_back("size " + std::to_string(nType) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    }

private:
    bool* m_pDeleted;
};

class FrameworkWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { s_aCalls.clear(); }
    void TearDown() override
    {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }
};

TEST_F(FrameworkWindowTest, MessagesAndCommandsFindTheirHandlersInOrder)
{
    CTestApp app;
    bool bDeleted = false;
    auto* pFrame = new CTestFrame(&bDeleted);
    ASSERT_TRUE(pFrame->LoadFrame(128, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    EXPECT_EQ(std::vector<std::string>{"create Test app"}, s_aCalls) << "titled by the application without a string";
    s_aCalls.clear();
    EXPECT_EQ(7, pFrame->SendMessage(WM_USER + 1, 5)) << "the derived class's entry comes first";
    pFrame->SendMessage(WM_COMMAND, ID_BOTH);
    pFrame->SendMessage(WM_COMMAND, ID_APP_ONLY);
    pFrame->SendMessage(WM_COMMAND, ID_DISABLED);
    pFrame->MoveWindow(0, 0, 300, 200);
    EXPECT_EQ((std::vector<std::string>{"frame both", "app only", "size 0 300x200"}), s_aCalls);
    EXPECT_EQ(pFrame, CWnd::FromHandle(pFrame->m_hWnd));
    pFrame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(bDeleted) << "the frame deleted itself with its window";
}

TEST_F(FrameworkWindowTest, MainWindowsEndQuitsWithZeroUnlessACodeCameFirst)
{
    struct SCase
    {
        const char* szName;
        int nEarlierCode; // -1: none
        WPARAM nExpected;
    };
    for (const SCase& c : {SCase{"the window's end", -1, 0}, SCase{"an earlier code survives", 7, 7}})
    {
        SCOPED_TRACE(c.szName);
        CTestApp app;
        auto* pFrame = new CTestFrame;
        ASSERT_TRUE(pFrame->LoadFrame(128));
        app.m_pMainWnd = pFrame;
        const HWND hWnd = pFrame->m_hWnd;
        if (c.nEarlierCode >= 0)
            PostQuitMessage(c.nEarlierCode);
        pFrame->PostMessage(WM_CLOSE);
        EXPECT_EQ(static_cast<int>(c.nExpected), app.Run());
        EXPECT_FALSE(IsWindow(hWnd));
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        EXPECT_EQ(nullptr, CWnd::FromHandle(hWnd));
        EXPECT_EQ(std::vector<std::string>{"destroy"}, std::vector<std::string>(s_aCalls.end() - 1, s_aCalls.end()));
    }
}

/// A user-interface thread whose main window closes when told; its loop then ends with code 0.
class CWindowThread : public CWinThread
{
public:
    BOOL InitInstance() override
    {
        auto* pFrame = new CTestFrame;
        if (!pFrame->LoadFrame(128))
            return FALSE;
        m_pMainWnd = pFrame;
        s_hWnd = pFrame->m_hWnd;
        return TRUE;
    }
    static std::atomic<HWND> s_hWnd;
};
std::atomic<HWND> CWindowThread::s_hWnd{nullptr};

/// A thread that ends itself from its start-up with a code, as the splash thread does.
class CEndingThread : public CWinThread
{
public:
    BOOL InitInstance() override { AfxEndThread(13); }
};

TEST_F(FrameworkWindowTest, UserInterfaceThreadsRunTheirOwnLoopAndEndWithTheirCode)
{
    CWinThread* pThread = AfxBeginThread(RuntimeClassOf<CWindowThread>("CWindowThread"), 0, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, pThread);
    pThread->m_bAutoDelete = FALSE;
    ResumeThread(pThread->m_hThread);
    while (CWindowThread::s_hWnd == nullptr)
        std::this_thread::yield();
    const HWND hWnd = CWindowThread::s_hWnd;
    EXPECT_EQ(pThread->m_nThreadID, GetWindowThreadProcessId(hWnd, nullptr));
    EXPECT_EQ(7, SendMessage(hWnd, WM_USER + 1, 5, 0)) << "served by the thread's own loop";
    PostMessage(hWnd, WM_CLOSE, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pThread->m_hThread, TEST_WAIT_BOUND_MS));
    DWORD dwCode = 1;
    GetExitCodeThread(pThread->m_hThread, &dwCode);
    EXPECT_EQ(0u, dwCode);
    EXPECT_FALSE(IsWindow(hWnd));
    delete pThread;

    CWinThread* pEnding = AfxBeginThread(RuntimeClassOf<CEndingThread>("CEndingThread"), 0, 0, CREATE_SUSPENDED);
    pEnding->m_bAutoDelete = FALSE;
    ResumeThread(pEnding->m_hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pEnding->m_hThread, TEST_WAIT_BOUND_MS));
    GetExitCodeThread(pEnding->m_hThread, &dwCode);
    EXPECT_EQ(13u, dwCode);
    delete pEnding;
}

TEST_F(FrameworkWindowTest, CommandLineParametersArriveOneByOneWithTheirFlags)
{
    struct CRecordingInfo : CCommandLineInfo
    {
        std::vector<std::string> aSeen;
        void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override
        {
            aSeen.push_back(std::string(bFlag ? "flag " : "") + pszParam + (bLast ? " (last)" : ""));
            CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
        }
    };
    const char* aArgs[] = {"Vorn", "/setup", "-kill_it:C:\\x.txt", "game.sav", "other"};
    CWinApp::SetCommandLine(5, aArgs);
    CTestApp app;
    CRecordingInfo info;
    app.ParseCommandLine(info);
    CWinApp::SetCommandLine(0, nullptr);
    EXPECT_EQ((std::vector<std::string>{"flag setup", "flag kill_it:C:\\x.txt", "game.sav", "other (last)"}),
              info.aSeen);
    EXPECT_EQ("game.sav", info.m_strFileName);
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);
}
} // namespace
