// The program Vorn: the application's start-up, its main loop and its end; the status is the quit
// code (2 when start-up failed). The global objects, this file's application object among them,
// are built in the order of foundation/GlobalOrder.h before main and destroyed after it.
#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/GlobalOrder.h"
#include "platform/mfc/MessageBoxDialog.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Version.h"
#include "platform/window/Window.h"
#include "ui/MessageDlg.h"

#include <cstdio>
#include <string>

namespace
{
/// The program's own version, 1.7.0.0, as the table of required files asks for it.
constexpr DWORD PROGRAM_VERSION_MS = (1u << 16) | 7u;
constexpr DWORD PROGRAM_VERSION_LS = 0;

/// From before the application object is built until the globals go at exit, a crash anywhere in
/// the process ends it with one line naming what happened. Main thread.
VORN_GLOBAL_ROW(GLOBAL_ROW_EXCEPTION_GUARD) CExceptionGuard s_exceptionGuard;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_EXCEPTION_GUARD);

/// The application object (AfxGetApp). Main thread.
VORN_GLOBAL_ROW(GLOBAL_ROW_APPLICATION) CVornApp s_app;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_APPLICATION);
/// The debug log's line of the rows of the table of globals in the order they were built.
void NoteGlobalRowsBuilt()
{
    std::string strLine = "Globals: rows built in order";
    for (const int nRow : GetGlobalRowsBuilt())
        strLine += " " + std::to_string(nRow);
    OutputDebugString((strLine + "\n").c_str());
}
} // namespace

int main(int argc, char** argv)
{
    NoteGlobalRowsBuilt();
    SetProgramFileVersion(PROGRAM_VERSION_MS, PROGRAM_VERSION_LS);
    CWinApp::SetCommandLine(argc, argv);
    if (!StartDisplay())
    {
        // Without a screen nobody could see or close the game: say so rather than run unseen.
        std::fprintf(stderr, "Vorn cannot open its window: no display (SDL_VIDEODRIVER=dummy runs it without one).\n");
        return 2;
    }
    InstallSystemDisplayAdapter();
    // Errors show in the skinned error box; boxes shown once a window exists are drawn by the toolkit.
    InstallErrorBoxDialog();
    InstallToolkitMessageBoxes();
    const int nStatus = s_app.InitInstance() ? s_app.Run() : s_app.ExitInstance();
    SetErrorBoxHandler(nullptr);
    SetToolkitMessageBox(nullptr);
    StopDisplay();
    return nStatus;
}
