// The game's keyboard and mouse through DirectInput: each frame the game flow reads the keys
// held, the key presses since the last frame, the mouse movement and buttons, and double clicks.
//
// Threads: the main thread only (the display feeds the devices underneath).
#pragma once

#include "platform/dx/DirectInput.h"

#include <vector>

/// Whether the game has switched input off (its mode flag); null: never.
using InputOffFn = bool (*)();
void SetInputOffTest(InputOffFn pfnInputOff);
/// The main window, whose activity the devices follow; set before the devices are created.
void SetDirectInputWindow(HWND hWnd);
/// Creates the DirectInput object once; 1 when it exists.
BOOL LoadDirectInput();

class CDIKeyboard
{
public:
    virtual ~CDIKeyboard() = default;

    BOOL Create();
    BOOL SetBufferSize(DWORD dwRecords);
    /// Reads the 256 key bytes.
    BOOL ReadState();
    /// Non-zero while the key is held (0 while input is off).
    int IsDIKeyDown(int nScanCode) const;
    /// Takes the key events since the last read.
    BOOL ReadDIKeyboardBuffer();
    /// The scan code of the earliest key press of the last read, 0 when none or input is off.
    int GetDIPressedKey() const;
    void Release();

    DWORD GetEventsRead() const { return m_dwEventsRead; }
    const DIDEVICEOBJECTDATA* GetEvents() const { return m_aEvents.data(); }

private:
    LPDIRECTINPUTDEVICE m_pDevice;
    std::vector<DIDEVICEOBJECTDATA> m_aEvents;
    BYTE m_abKeys[256] = {};
    DWORD m_dwCapacity = 0;
    DWORD m_dwEventsRead = 0;
};

class CDIMouse
{
public:
    virtual ~CDIMouse() = default;

    BOOL Create();
    /// Always non-exclusive and foreground, whatever is asked; DirectInput's answer, -1 without a device.
    HRESULT SetCooperativeLevel(BOOL bExclusive);
    BOOL SetBufferSize(DWORD dwRecords);
    /// Reads the movement since the last read and the buttons.
    BOOL ReadDIMouseState();
    /// Takes the buffered events and finds the double clicks among them.
    BOOL UpdateDIMouse();
    /// 1 when the last buffered read holds a release of that button (DIMOFS_BUTTON0, DIMOFS_BUTTON1).
    BOOL WasButtonReleased(DWORD dwOfs) const;
    void Acquire();
    void Unacquire();
    void Release();

    LONG GetX() const { return m_state.lX; }
    LONG GetY() const { return m_state.lY; }
    BOOL IsLeftDown() const { return (m_state.rgbButtons[0] & 0x80) != 0; }
    BOOL IsRightDown() const { return (m_state.rgbButtons[1] & 0x80) != 0; }
    BOOL WasLeftReleased() const { return WasButtonReleased(DIMOFS_BUTTON0); }
    BOOL WasRightReleased() const { return WasButtonReleased(DIMOFS_BUTTON1); }
    BOOL IsLeftDoubleClick() const { return (m_nDoubleClicks & 1) != 0; }
    BOOL IsRightDoubleClick() const { return (m_nDoubleClicks & 2) != 0; }
    DWORD GetEventsRead() const { return m_dwEventsRead; }

private:
    /// One button's release: a second release within the double-click time of a pending first
    /// makes a double click and ends the pair; any other starts a new pair.
    void TrackRelease(DWORD dwTime, DWORD& dwLastRelease, bool& bPending, int nFlag);

    DIMOUSESTATE m_state;
    LPDIRECTINPUTDEVICE m_pDevice;
    std::vector<DIDEVICEOBJECTDATA> m_aEvents;
    DWORD m_dwCapacity = 0;
    DWORD m_dwEventsRead = 0;
    DWORD m_dwPrevReadTime = 0;
    DWORD m_dwLastReadTime = 0;
    DWORD m_dwLastLeftRelease = 0;
    DWORD m_dwLastRightRelease = 0;
    bool m_bLeftPending = false; // a first release waits for its second
    bool m_bRightPending = false;
    int m_nDoubleClicks = 0;     // bit 0 left, bit 1 right
    DWORD m_dwDoubleClickMs = 0; // the system's, read when the mouse is created
};

/// The two devices of the game; main thread.
extern CDIKeyboard g_DIKeyboard;
extern CDIMouse g_DIMouse;
