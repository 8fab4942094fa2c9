// DirectInput's system keyboard and mouse over the display's input events.
//
// The display thread reports every key and mouse event (KeyState.h); each acquired device keeps
// what DirectInput keeps: the keyboard a state byte per DirectInput scan code (DIK_*, mapped from
// the physical key), the mouse the relative counts since its last state read and its buttons,
// and each a buffer of 16-byte event records stamped by timeGetTime. Key repeats are dropped.
// State and buffer are independent. Devices are foreground devices: while their window is not
// the active one they lose acquisition (and their held keys) and reads fail until re-acquired.
// A full buffer keeps the newest records and logs the overflow.
#pragma once

#include "platform/dx/DxTypes.h"

#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------------------------------------
// Records, identifiers and result codes
// ---------------------------------------------------------------------------------------------------------------------

inline constexpr HRESULT DI_OK = 0;
inline constexpr HRESULT DI_NOEFFECT = 1;
inline constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
inline constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
inline constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
inline constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
inline constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);

inline constexpr DWORD DIRECTINPUT_VERSION = 0x0500;
inline constexpr DWORD DISCL_EXCLUSIVE = 0x1;
inline constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
inline constexpr DWORD DISCL_FOREGROUND = 0x4;
inline constexpr DWORD DISCL_BACKGROUND = 0x8;
inline constexpr DWORD DIPH_DEVICE = 0;
inline constexpr DWORD DIPROPAXISMODE_REL = 1;
inline constexpr DWORD DIDEVTYPE_KEYBOARD = 3;
inline constexpr DWORD DIDEVTYPE_MOUSE = 2;
/// Wheel counts per notch.
inline constexpr LONG WHEEL_DELTA = 120;

/// Mouse counts per pixel of movement the display reports; the game's response curves were
/// tuned to raw mouse counts, and this is the one knob that matches them to the display's pixels.
inline constexpr LONG DI_MOUSE_COUNTS_PER_PIXEL = 1;

inline constexpr GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};
inline constexpr GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};

/// The two standard data formats, told apart by their object count.
struct DIDATAFORMAT
{
    DWORD dwSize = 24;
    DWORD dwObjSize = 16;
    DWORD dwFlags = 0;
    DWORD dwDataSize = 0;
    DWORD dwNumObjs = 0;
};
inline constexpr DIDATAFORMAT c_dfDIKeyboard = {24, 16, 2, 256, 256};
inline constexpr DIDATAFORMAT c_dfDIMouse = {24, 16, 2, 16, 7};

/// The properties set on a device: its buffer size and the mouse's axis mode.
enum class EDIProperty
{
    BufferSize,
    AxisMode
};
struct DIPROPHEADER
{
    DWORD dwSize = 20;
    DWORD dwHeaderSize = 16;
    DWORD dwObj = 0;
    DWORD dwHow = DIPH_DEVICE;
};
struct DIPROPDWORD
{
    DIPROPHEADER diph;
    DWORD dwData = 0;
};

/// One buffered event: the object (a scan code, or a DIMOUSESTATE offset), its data (0x80 set
/// for a press; a mouse axis's movement), when (timeGetTime) and its place in the sequence.
struct DIDEVICEOBJECTDATA
{
    DWORD dwOfs = 0;
    DWORD dwData = 0;
    DWORD dwTimeStamp = 0;
    DWORD dwSequence = 0;
};
inline constexpr DWORD DIDEVICEOBJECTDATA_SIZE = 16;

struct DIMOUSESTATE
{
    LONG lX = 0;
    LONG lY = 0;
    LONG lZ = 0;
    BYTE rgbButtons[4] = {};
};
inline constexpr DWORD DIMOUSESTATE_SIZE = 16;
// The mouse's object offsets in its records.
inline constexpr DWORD DIMOFS_X = 0;
inline constexpr DWORD DIMOFS_Y = 4;
inline constexpr DWORD DIMOFS_Z = 8;
inline constexpr DWORD DIMOFS_BUTTON0 = 12;
inline constexpr DWORD DIMOFS_BUTTON1 = 13;
inline constexpr DWORD DIMOFS_BUTTON2 = 14;

// The scan codes the game names.
inline constexpr BYTE DIK_ESCAPE = 1;
inline constexpr BYTE DIK_1 = 2;
inline constexpr BYTE DIK_E = 18;
inline constexpr BYTE DIK_RETURN = 28;
inline constexpr BYTE DIK_LCONTROL = 29;
inline constexpr BYTE DIK_A = 30;
inline constexpr BYTE DIK_F = 33;
inline constexpr BYTE DIK_G = 34;
inline constexpr BYTE DIK_LSHIFT = 42;
inline constexpr BYTE DIK_X = 45;
inline constexpr BYTE DIK_B = 48;
inline constexpr BYTE DIK_M = 50;
inline constexpr BYTE DIK_RSHIFT = 54;
inline constexpr BYTE DIK_SPACE = 57;
inline constexpr BYTE DIK_RCONTROL = 157;
inline constexpr BYTE DIK_UP = 200;
inline constexpr BYTE DIK_LEFT = 203;
inline constexpr BYTE DIK_RIGHT = 205;
inline constexpr BYTE DIK_DOWN = 208;

/// The DirectInput scan code of a physical key given as its USB usage id (SDL's scancode); 0
/// for keys DirectInput has no code for.
BYTE ScanCodeToDik(int nUsbUsage);

class CDirectInput;
class CDirectInputDevice;
using LPDIRECTINPUT = std::shared_ptr<CDirectInput>;
using LPDIRECTINPUTDEVICE = std::shared_ptr<CDirectInputDevice>;

HRESULT DirectInputCreate(HINSTANCE hInstance, DWORD dwVersion, LPDIRECTINPUT* ppDI, void* pUnknownOuter);

class CDirectInput
{
public:
    /// The system keyboard or mouse; DIERR_DEVICENOTREG for any other device.
    HRESULT CreateDevice(const GUID& guid, LPDIRECTINPUTDEVICE* ppDevice, void* pUnknownOuter);
    using EnumCallbackFn = BOOL (*)(const GUID* pGuid, DWORD dwDevType, void* pContext);
    /// Calls back once for the keyboard and once for the mouse, while the callback answers TRUE.
    HRESULT EnumDevices(EnumCallbackFn pfnCallback, void* pContext);
};

class CDirectInputDevice
{
public:
    virtual ~CDirectInputDevice();
    CDirectInputDevice(const CDirectInputDevice&) = delete;
    CDirectInputDevice& operator=(const CDirectInputDevice&) = delete;

    HRESULT SetDataFormat(const DIDATAFORMAT* pFormat);
    /// The window whose activity the device follows; foreground non-exclusive is all there is.
    HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags);
    /// Buffer size (records, at most DI_MAX_BUFFER) or the mouse's relative axis mode; refused while acquired.
    HRESULT SetProperty(EDIProperty eProperty, const DIPROPHEADER* pHeader);
    /// DIERR_OTHERAPPHASPRIO while the window is not the active one.
    HRESULT Acquire();
    HRESULT Unacquire();
    /// 256 key bytes, or a DIMOUSESTATE whose counts are those since the last state read.
    HRESULT GetDeviceState(DWORD dwSize, void* pData);
    /// Takes up to *pdwCount buffered records, oldest first; *pdwCount becomes the number taken.
    HRESULT GetDeviceData(DWORD dwRecordSize, DIDEVICEOBJECTDATA* pRecords, DWORD* pdwCount, DWORD dwFlags);

private:
    friend class CDirectInput;
    friend struct SInputHub;
    explicit CDirectInputDevice(bool bMouse) : m_bMouse(bMouse) {}
    void OnEvent(const struct SRawInputEvent& event);
    void Record(DWORD dwOfs, DWORD dwData, DWORD dwTime);
    HRESULT CheckAcquired();
    void LoseAcquisition();
    /// While given up in the foreground: the held state follows the event, nothing is recorded.
    void FollowHeld(const struct SRawInputEvent& event);

    const bool m_bMouse;
    bool m_bFormat = false;
    bool m_bAcquired = false;
    bool m_bFollowHeld = false; ///< unacquired by the program: the held state is still followed
    HWND m_hWnd = nullptr;
    DWORD m_dwCapacity = 0;
    DWORD m_dwSequence = 0;
    bool m_bOverflowLogged = false;
    std::vector<DIDEVICEOBJECTDATA> m_ring; // m_dwCapacity slots
    std::size_t m_nFirst = 0;               // oldest record
    std::size_t m_nCount = 0;
    BYTE m_abKeys[256] = {};
    DIMOUSESTATE m_mouse;
};

/// Most records a device buffer holds.
inline constexpr DWORD DI_MAX_BUFFER = 4096;
