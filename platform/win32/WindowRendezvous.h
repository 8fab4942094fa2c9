// FindWindow across processes. A top-level application window (WS_EX_APPWINDOW) listens on a Unix
// socket named from its class and title, in the user's run-time folder ($XDG_RUNTIME_DIR/vorn), else
// in a private folder (mode 0700) of the temporary folder. Another process that looks for the
// window by class and title connects there, and may ask for one of two things only: to bring the
// window to the front, or to close it. A socket left by an instance that died is taken over.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>

/// Starts answering for the window under its class and title; false when a live process holds
/// that name already or no private folder can be had.
bool ListenForWindow(HWND hWnd, const std::string& strClass, const std::string& strTitle);
/// Stops answering for the window and removes its socket.
void StopListeningForWindow(HWND hWnd);

/// A handle for a window of another process that answers under that class and title, or null.
HWND FindRemoteWindow(const std::string& strClass, const std::string& strTitle);
bool IsRemoteWindow(HWND hWnd);
/// Whether the other process still answers for the window.
bool IsRemoteWindowAlive(HWND hWnd);
/// Asks the other process to bring its window to the front.
BOOL RaiseRemoteWindow(HWND hWnd);
/// Asks the other process to close its window (it receives WM_CLOSE).
BOOL CloseRemoteWindow(HWND hWnd);

/// The folder of the sockets, created when missing; empty when no private folder can be had.
std::string GetRendezvousFolder();
/// Where the window of that class and title answers.
std::string GetRendezvousPath(const std::string& strClass, const std::string& strTitle);
