// The application object: start-up in its fixed order, the never-blocking main loop and the end.
#pragma once

#include "platform/mfc/WinApp.h"

class CGamePlugins;
class CMainFrame;

/// The rule plug-ins of the program folder, scanned at start-up.
extern CGamePlugins g_GamePlugins;

/// A clip's file: the name as it stands when such a file exists or the name holds a folder, else
/// the name in the program's artwork folder.
CString WithArtworkFolder(const CString& strName);

/// The text with its first "%s" replaced by the argument; any other conversion is kept as written.
CString ReplaceTextArgument(const CString& strFormat, const char* szArgument);

/// A string resource whose one "%s" is replaced by the text, shown in the error box; without
/// the resource, the box for its id.
void ShowErrorBoxWith(UINT nId, const char* szArgument);

/// The registration of the program with the display's set-up library, asked for by "-setup": shows
/// the error that the library cannot be loaded. TRUE in every case.
BOOL RegisterDirectXApplication();

/// Exit statuses of start-ups that end before the main loop.
inline constexpr int START_FAILED_STATUS = 2;

class CVornApp : public CWinApp
{
public:
    CVornApp();

    /// Start-up; FALSE ends the program with ExitInstance's status (2 after a failure, 0 for a
    /// second instance or a document registration run).
    BOOL InitInstance() override;
    /// Dispatches every message and ticks the frame after each message and each idle pass; after a
    /// tick that had nothing to do it waits at most 10 ms for a message. The quit code ends it.
    int Run() override;
    BOOL PreTranslateMessage(MSG* pMsg) override { return CWinThread::PreTranslateMessage(pMsg); }
    int ExitInstance() override;

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    CMainFrame* GetMainFrame() const;

protected:
    void OnAppAbout() {}

private:
    BOOL FailStart(CMainFrame* pFrame);
    BOOL CheckLauncher();
    BOOL LoadResources();
    void RegisterDocumentType();
    void ReadClipKeys();
    BOOL TickFrame();

    HINSTANCE m_hResources = nullptr;
    /// The status ExitInstance returns when start-up ended early.
    int m_nStartStatus = 0;
    BOOL m_bStarted = FALSE;
};

/// Drops the Shift and Control key messages at the front of the queue's key messages.
void DiscardShiftCtrlKeys();
/// Drops every queued mouse move, then leading Shift and Control keys.
void CoalesceMouseMoves();
