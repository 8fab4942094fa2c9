// Threads and the application in the framework's shape: a CWinThread runs InitInstance, a message
// loop (Run) and ExitInstance; the one CWinApp is the main thread's; CCommandLineInfo takes the
// command line a parameter at a time.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/CmdTarget.h"
#include "platform/win32/Sync.h"

class CWnd;
class CWinThread;

/// How AfxBeginThread makes the object of a user-interface thread.
struct CRuntimeClass
{
    const char* m_lpszClassName = nullptr;
    CWinThread* (*m_pfnCreateObject)() = nullptr;
};
template <class T> CRuntimeClass* RuntimeClassOf(const char* szName)
{
    static CRuntimeClass s_class{szName, []() -> CWinThread* { return new T; }};
    return &s_class;
}

class CWinThread : public CCmdTarget
{
public:
    CWinThread() = default;
    ~CWinThread() override;

    CWnd* m_pMainWnd = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    /// The object deletes itself when its thread ends.
    BOOL m_bAutoDelete = TRUE;
    /// The message being handled; after the loop ends its wParam is the quit code.
    MSG m_msgCur;

    virtual BOOL InitInstance() { return FALSE; }
    /// The message loop: idle work while the queue is empty, then waits; returns ExitInstance()
    /// once the quit message arrives.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    /// TRUE asks for another idle pass: only the first pass (count 0) does.
    virtual BOOL OnIdle(LONG lCount) { return lCount <= 0 ? TRUE : FALSE; }
    /// The quit code.
    virtual int ExitInstance() { return static_cast<int>(m_msgCur.wParam); }
    /// Takes one message (waiting for it) and dispatches it; FALSE for the quit message.
    BOOL PumpMessage();
    CWnd* GetMainWnd() const { return m_pMainWnd; }
    BOOL PostThreadMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) const
    {
        return ::PostThreadMessage(m_nThreadID, uMsg, wParam, lParam);
    }

    /// Runs a thread object to its end on the calling thread; the thread's exit code.
    static DWORD RunThread(CWinThread* pThread);
};

/// Starts a user-interface thread running an object of the class; null when it cannot start.
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = 0, UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           void* pSecurity = nullptr);
/// Ends the calling user-interface thread with the code (its object is deleted when it deletes itself).
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
/// The thread object of the calling thread (the application on the main thread), null for others.
CWinThread* AfxGetThread();

inline constexpr int ID_FILE_NEW = 0xE100;
inline constexpr int ID_FILE_OPEN = 0xE101;
inline constexpr int ID_FILE_SAVE = 0xE103;
inline constexpr int ID_APP_ABOUT = 0xE140;
inline constexpr int ID_APP_EXIT = 0xE141;

class CCommandLineInfo
{
public:
    enum EShellCommand
    {
        FileNew,
        FileOpen,
        FileNothing = -1
    };
    virtual ~CCommandLineInfo() = default;
    /// One parameter; a flag came with "/" or "-" in front, which is removed. The first plain parameter
    /// names the file to open.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    CString m_strFileName;
    EShellCommand m_nShellCommand = FileNew;
};

class CWinApp : public CWinThread
{
public:
    explicit CWinApp(const char* szAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    const char* m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;

    /// Hands each command-line parameter to the info object in order.
    void ParseCommandLine(CCommandLineInfo& info);
    /// The recent-file list is not kept.
    void LoadStdProfileSettings(UINT) {}
    void OnFileNew() {}
    void OnFileOpen() {}

    /// The command line the program was started with (main sets it).
    static void SetCommandLine(int argc, const char* const* argv);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
/// A message box over the main window, captioned with the application's name.
int AfxMessageBox(LPCSTR szText, UINT nType = 0, UINT nIDHelp = 0);
