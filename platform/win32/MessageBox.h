// Message boxes: the text always goes to standard error as well. Once a window exists the dialog
// toolkit draws the box over it, unless the display answers it unseen (the input script's next
// answer, or headless the default button); before that the display's handler answers, showing a
// box of its own.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr UINT MB_DEFBUTTON3 = 0x200;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

/// Shows the box and waits for a button; the result is the button's id.
int MessageBox(HWND hWnd, LPCSTR szText, LPCSTR szCaption, UINT uType);

/// The warning sound of a refused action; here a line in the debug log.
BOOL MessageBeep(UINT uType);
/// How many beeps this process has sounded so far (for tests).
int GetMessageBeepCount();

/// The buttons of a box type in order, and the index of its default button.
std::vector<int> MessageBoxButtons(UINT uType);
int MessageBoxDefaultButton(UINT uType);

struct SMessageBoxRequest
{
    HWND hWnd = nullptr;
    std::string strText;
    std::string strCaption;
    UINT uType = 0;
};
/// The display's side: answers a box (any thread may ask). Null: the default button answers.
void SetMessageBoxHandler(std::function<int(const SMessageBoxRequest&)> handler);

/// The display's answers given without showing anything: the input script's next one, or the
/// default button where no user could see a box; nullopt when a user will answer. Null: none.
void SetMessageBoxAnswerSource(std::function<std::optional<int>(UINT uType)> source);
/// The answer a box of this type gets without being shown, when there is one (a scripted answer is
/// used up by this).
std::optional<int> TakeUnattendedAnswer(UINT uType);

/// The dialog toolkit's box, drawn over hOwner on the caller's thread; null: the display's box.
void SetToolkitMessageBox(std::function<int(HWND hOwner, const SMessageBoxRequest&)> box);
