#include "platform/mfc/WinApp.h"

#include "platform/mfc/Wnd.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Priority.h"
#include "platform/win32/Thread.h"

#include <atomic>
#include <string>
#include <vector>

namespace
{
thread_local CWinThread* t_pThread = nullptr;
std::atomic<CWinApp*> s_pApp{nullptr};
std::vector<std::string> s_astrArgs; // set once by main before the application starts

/// Unwinds a user-interface thread to its entry with the code of AfxEndThread.
struct SThreadEnd
{
    UINT nExitCode = 0;
    BOOL bDelete = TRUE;
};

DWORD UiThreadEntry(void* pParam) { return CWinThread::RunThread(static_cast<CWinThread*>(pParam)); }
} // namespace

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

DWORD CWinThread::RunThread(CWinThread* pThread)
{
    t_pThread = pThread;
    DWORD dwCode = 0;
    BOOL bDelete = pThread->m_bAutoDelete;
    try
    {
        dwCode = static_cast<DWORD>(pThread->InitInstance() ? pThread->Run() : pThread->ExitInstance());
    }
    catch (const SThreadEnd& end)
    {
        dwCode = end.nExitCode;
        bDelete = bDelete && end.bDelete;
    }
    t_pThread = nullptr;
    if (bDelete)
        delete pThread;
    return dwCode;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    for (CWnd* pWnd = CWnd::FromHandle(pMsg->hwnd); pWnd != nullptr; pWnd = CWnd::FromHandle(GetParent(pWnd->m_hWnd)))
        if (pWnd->PreTranslateMessage(pMsg))
            return TRUE;
    return FALSE;
}

BOOL CWinThread::PumpMessage()
{
    if (!GetMessage(&m_msgCur, nullptr, 0, 0))
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur))
    {
        TranslateMessage(&m_msgCur);
        DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run()
{
    LONG lIdleCount = 0;
    for (;;)
    {
        MSG msg;
        while (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(lIdleCount++))
        {
        }
        do
        {
            if (!PumpMessage())
                return ExitInstance();
            if (m_msgCur.message != WM_TIMER && m_msgCur.message != WM_PAINT)
                lIdleCount = 0;
        } while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT, DWORD dwCreateFlags, void*)
{
    if (pThreadClass == nullptr || pThreadClass->m_pfnCreateObject == nullptr)
        return nullptr;
    CWinThread* pThread = pThreadClass->m_pfnCreateObject();
    pThread->m_hThread = CreateThread(nullptr, 0, &UiThreadEntry, pThread, CREATE_SUSPENDED, &pThread->m_nThreadID);
    if (pThread->m_hThread == nullptr)
    {
        delete pThread;
        return nullptr;
    }
    SetThreadPriority(pThread->m_hThread, nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ResumeThread(pThread->m_hThread);
    return pThread;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) { throw SThreadEnd{nExitCode, bDelete}; }

CWinThread* AfxGetThread()
{
    if (t_pThread != nullptr)
        return t_pThread;
    return nullptr;
}

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL)
{
    if (!bFlag && m_strFileName.IsEmpty())
    {
        m_strFileName = pszParam;
        m_nShellCommand = FileOpen;
    }
}

CWinApp::CWinApp(const char* szAppName) : m_pszAppName(szAppName)
{
    s_pApp = this;
    t_pThread = this;
}

CWinApp::~CWinApp()
{
    s_pApp = nullptr;
    if (t_pThread == this)
        t_pThread = nullptr;
}

void CWinApp::SetCommandLine(int argc, const char* const* argv)
{
    s_astrArgs.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    for (size_t i = 0; i < s_astrArgs.size(); ++i)
    {
        const std::string& strArg = s_astrArgs[i];
        const bool bFlag = !strArg.empty() && (strArg[0] == '/' || strArg[0] == '-');
        info.ParseParam(strArg.c_str() + (bFlag ? 1 : 0), bFlag ? TRUE : FALSE,
                        i + 1 == s_astrArgs.size() ? TRUE : FALSE);
    }
}

CWinApp* AfxGetApp() { return s_pApp; }

CWnd* AfxGetMainWnd()
{
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd != nullptr)
        return pThread->m_pMainWnd;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->m_pMainWnd : nullptr;
}

int AfxMessageBox(LPCSTR szText, UINT nType, UINT)
{
    CWinApp* pApp = AfxGetApp();
    CWnd* pMain = AfxGetMainWnd();
    return MessageBox(pMain != nullptr ? pMain->m_hWnd : nullptr, szText,
                      pApp != nullptr && pApp->m_pszAppName != nullptr ? pApp->m_pszAppName : "Vorn", nType);
}
