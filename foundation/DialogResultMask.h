// The dialog-result mask: each options dialog that ends with OK sets its bit, and the new-game flow
// applies exactly the parts whose bits are set.
#pragma once

#include "platform/win32/WinTypes.h"

inline constexpr DWORD DLGOK_SOUND = 0x01;
inline constexpr DWORD DLGOK_DISPLAY = 0x02;
inline constexpr DWORD DLGOK_GRAPHICS = 0x04;
inline constexpr DWORD DLGOK_GAME_CHOSEN = 0x08;
inline constexpr DWORD DLGOK_OPPONENT = 0x10;
inline constexpr DWORD DLGOK_TABLE_SET = 0x20;
inline constexpr DWORD DLGOK_GAME_TYPE = 0x40;
inline constexpr DWORD DLGOK_START = 0x80;
inline constexpr DWORD DLGOK_ADVERTISING = 0x100;

/// The mask. Main thread (the dialogs and the new-game flow); tests set it directly.
extern DWORD g_nDialogOkMask;

inline void ClearDialogOkMask() { g_nDialogOkMask = 0; }
inline void SetDialogOkBit(DWORD dwBit) { g_nDialogOkMask |= dwBit; }
inline int IsDialogOkBit0() { return (g_nDialogOkMask & DLGOK_SOUND) != 0 ? 1 : 0; }
inline int IsDialogOkBit1() { return (g_nDialogOkMask & DLGOK_DISPLAY) != 0 ? 1 : 0; }
inline int IsDialogOkBit2() { return (g_nDialogOkMask & DLGOK_GRAPHICS) != 0 ? 1 : 0; }
inline int IsGameChosenOk() { return (g_nDialogOkMask & DLGOK_GAME_CHOSEN) != 0 ? 1 : 0; }
inline int IsOpponentDlgOk() { return (g_nDialogOkMask & DLGOK_OPPONENT) != 0 ? 1 : 0; }
inline int IsDialogOkBit5() { return (g_nDialogOkMask & DLGOK_TABLE_SET) != 0 ? 1 : 0; }
inline int IsGameTypeDlgOk() { return (g_nDialogOkMask & DLGOK_GAME_TYPE) != 0 ? 1 : 0; }
inline int IsStartDlgOk() { return (g_nDialogOkMask & DLGOK_START) != 0 ? 1 : 0; }
inline int IsDialogOkBit8() { return (g_nDialogOkMask & DLGOK_ADVERTISING) != 0 ? 1 : 0; }
