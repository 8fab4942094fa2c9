// Accelerator tables: keys that stand for commands. TranslateAccelerator turns a key press found
// in a table into WM_COMMAND for the window, before the key is dispatched as a key message.
//
// Resource layout (type 9), all numbers little-endian: one 8-byte record per key,
//   u16 flags    FVIRTKEY (key is a virtual key, else a character), FSHIFT, FCONTROL, FALT;
//                ACCEL_LAST on the last record only
//   u16 key      the virtual key, or the character code without FVIRTKEY
//   u16 command  the command id sent with WM_COMMAND (1..65535)
//   u16 padding  0
// A damaged table (no records, a cut-off record, unknown flags, a missing or early last mark, a
// zero key or command) is refused with a reason, so no key is ever matched against garbage.
#pragma once

#include "platform/win32/Messages.h"
#include "platform/win32/WinTypes.h"

#include <span>
#include <string>
#include <vector>

inline constexpr WORD FVIRTKEY = 0x01;
inline constexpr WORD FSHIFT = 0x04;
inline constexpr WORD FCONTROL = 0x08;
inline constexpr WORD FALT = 0x10;
/// Marks the last record of a table resource.
inline constexpr WORD ACCEL_LAST = 0x80;
inline constexpr WORD RT_ACCELERATOR_ID = 9;
inline constexpr std::size_t ACCEL_RECORD_SIZE = 8;

struct ACCEL
{
    WORD fVirt = 0; // FVIRTKEY, FSHIFT, FCONTROL, FALT
    WORD key = 0;
    WORD cmd = 0;
    friend bool operator==(const ACCEL&, const ACCEL&) = default;
};

struct HACCEL__;
using HACCEL = HACCEL__*;

/// The resource bytes of a table (ACCEL_LAST set on the last record).
std::vector<BYTE> EncodeAcceleratorTable(const std::vector<ACCEL>& table);
/// Reads resource bytes; false with the reason in strError for a damaged table.
bool DecodeAcceleratorTable(std::span<const BYTE> data, std::vector<ACCEL>& table, std::string& strError);

/// The table resource of the module; null when it is missing or damaged (the reason goes to the
/// debug log). Tables stay loaded for the life of the process; loading one twice gives one handle.
HACCEL LoadAccelerators(HINSTANCE hInstance, LPCSTR szTableName);
inline HACCEL LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR szTableName)
{
    return LoadAccelerators(hInstance, szTableName);
}
/// For a key press (WM_KEYDOWN, WM_SYSKEYDOWN, or WM_CHAR for character entries) that the table
/// holds with exactly the Shift, Control and Alt keys now down: sends WM_COMMAND with the command
/// (high word 1: from an accelerator) to hWnd and returns TRUE. Anything else: FALSE.
int TranslateAccelerator(HWND hWnd, HACCEL hAccTable, MSG* pMsg);
inline int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, MSG* pMsg)
{
    return TranslateAccelerator(hWnd, hAccTable, pMsg);
}
