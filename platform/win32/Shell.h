// Opening a file or a web address the way the desktop would: the stand-in for ShellExecute.
//
// The target goes to the desktop's opener (`xdg-open`) as its one argument, with no shell between,
// so nothing in it is ever interpreted as a command; the opener runs on by itself and is reaped
// without anyone waiting for it. Without a display (no DISPLAY or WAYLAND_DISPLAY, or SDL's dummy
// video driver) nothing is started, so headless runs open nothing. The environment variable
// VORN_OPENER names another program to start in place of `xdg-open` (a test's recorder), display or not.
#pragma once

#include "platform/win32/WinTypes.h"

/// Results of 32 or less: nothing was started.
inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_NOASSOC = 31;

/// Opens szFile, or for the browser "iexplore.exe" (any folder, any case) the address in
/// szParameters. The verb, folder and show command are taken as given and not needed. Returns a
/// value above 32 when the opener was started; SE_ERR_FNF for an empty target, SE_ERR_NOASSOC when
/// there is no display or the opener cannot be started.
HINSTANCE ShellExecute(HWND hWnd, LPCSTR szVerb, LPCSTR szFile, LPCSTR szParameters, LPCSTR szDirectory, int nShowCmd);
/// How many openers this process has started so far (for tests).
int GetOpenerStartCount();
