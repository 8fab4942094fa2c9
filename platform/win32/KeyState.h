// The keyboard and mouse as the display last reported them: GetAsyncKeyState for any thread, and a
// listener through which input devices of the game receive every key and mouse event as it happens.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>

inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;

/// 0x8000 while the key (or mouse button) is down, and 1 when it was pressed since the last query
/// of that key (the query clears it). Any thread.
short GetAsyncKeyState(int nVirtKey);

/// One key or mouse event as the display saw it.
struct SRawInputEvent
{
    enum EKind
    {
        Key,
        MouseMove,
        MouseButton,
        MouseWheel
    };
    EKind eKind = Key;
    int nVirtKey = 0;   // Key: the virtual key; MouseButton: VK_LBUTTON, VK_RBUTTON or VK_MBUTTON
    int nScanCode = 0;  // Key: the USB usage id of the physical key (0 when unknown)
    bool bDown = false; // Key, MouseButton
    int nDx = 0;        // MouseMove: relative motion in pixels; MouseWheel: notches (positive away from the user)
    int nDy = 0;
    int nX = 0; // MouseMove, MouseButton: position in the window's client area
    int nY = 0;
    DWORD dwTimeMs = 0; // timeGetTime when it happened
};

/// Called on the display thread for every event; keep it short. One listener; null removes it.
void SetRawInputListener(std::function<void(const SRawInputEvent&)> listener);

/// The display's side: records an event in the key state and hands it to the listener.
void ReportRawInput(const SRawInputEvent& event);
/// The display's side: where the mouse last was, in screen coordinates.
void RecordCursorPos(LONG x, LONG y);
/// Where the mouse last was in screen coordinates ((0, 0) before it was seen). Any thread.
BOOL GetCursorPos(POINT* pPoint);
/// Puts the cursor at a point of the screen: GetCursorPos reads it at once, and the display moves
/// the pointer of the window under it there.
BOOL SetCursorPos(int x, int y);
/// Forgets every held key, as when the program loses the keyboard.
void ReleaseAllKeys();
