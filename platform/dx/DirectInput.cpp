#include "platform/dx/DirectInput.h"

#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <cstring>
#include <mutex>

// ---------------------------------------------------------------------------------------------------------------------
// Scan codes
// ---------------------------------------------------------------------------------------------------------------------

namespace
{

/// DirectInput scan codes by USB usage id (SDL scancodes 4..99), 0 where there is none.
constexpr BYTE USAGE_TO_DIK[100] = {
    0,   0,   0,   0,   30,  48,  46,  32,  18,  33,  34,  35,  23,  36, 37, 38, 50, 49,
    24,  25,  16,  19,  31,  20,  22,  47,  17,  45,  21,  44,                           // A..Z
    2,   3,   4,   5,   6,   7,   8,   9,   10,  11,                                     // 1..0
    28,  1,   14,  15,  57,  12,  13,  26,  27,  43,  0,   39,  40,  41, 51, 52, 53, 58, // Return .. CapsLock
    59,  60,  61,  62,  63,  64,  65,  66,  67,  68,  87,  88,                           // F1..F12
    183, 70,  197, 210, 199, 201, 211, 207, 209, 205, 203, 208, 200,                     // PrintScreen .. Up
    69,  181, 55,  74,  78,  156, 79,  80,  81,  75,  76,  77,  71,  72, 73, 82, 83,     // NumLock .. keypad point
};

/// The modifier keys (usage ids 224..231): Ctrl, Shift, Alt, GUI, left then right.
constexpr BYTE MODIFIER_TO_DIK[8] = {29, 42, 56, 219, 157, 54, 184, 220};

} // namespace

BYTE ScanCodeToDik(int nUsbUsage)
{
    if (nUsbUsage >= 0 && nUsbUsage < static_cast<int>(std::size(USAGE_TO_DIK)))
        return USAGE_TO_DIK[nUsbUsage];
    if (nUsbUsage >= 224 && nUsbUsage <= 231)
        return MODIFIER_TO_DIK[nUsbUsage - 224];
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------------
// The devices' feed from the display
// ---------------------------------------------------------------------------------------------------------------------

/// The living devices, fed by the display thread's input listener, which is installed while any
/// device exists. One lock guards the list and every device's data.
struct SInputHub
{
    static SInputHub& Get()
    {
        static SInputHub s_hub;
        return s_hub;
    }

    // The listener is set and cleared outside the lock: the display calls it holding the
    // listener's own lock, and the listener takes this one.
    void Add(CDirectInputDevice* pDevice)
    {
        bool bFirst = false;
        {
            std::lock_guard lock(mutex);
            devices.push_back(pDevice);
            bFirst = devices.size() == 1;
        }
        if (bFirst)
            SetRawInputListener([](const SRawInputEvent& event) { Get().Dispatch(event); });
    }

    void Remove(CDirectInputDevice* pDevice)
    {
        bool bLast = false;
        {
            std::lock_guard lock(mutex);
            std::erase(devices, pDevice);
            bLast = devices.empty();
        }
        if (bLast)
            SetRawInputListener(nullptr);
    }

    void Dispatch(const SRawInputEvent& event)
    {
        std::lock_guard lock(mutex);
        for (CDirectInputDevice* pDevice : devices)
            pDevice->OnEvent(event);
    }

    std::mutex mutex;
    std::vector<CDirectInputDevice*> devices;
};

namespace
{
/// The device's window has the input: it is the active window and no dialog or menu shows over it
/// (which takes the user's keys and clicks, as a modal dialog deactivates its owner).
bool IsWindowActive(HWND hWnd)
{
    POINT ptAt;
    return hWnd == nullptr || (GetActiveWindow() == hWnd && OverlayInputTarget(hWnd, &ptAt) == hWnd);
}
} // namespace

void CDirectInputDevice::OnEvent(const SRawInputEvent& event)
{
    if (!m_bAcquired)
    {
        if (m_bFollowHeld && IsWindowActive(m_hWnd))
            FollowHeld(event);
        return;
    }
    if (!IsWindowActive(m_hWnd))
    {
        LoseAcquisition();
        return;
    }
    const DWORD dwTime = event.dwTimeMs;
    if (!m_bMouse)
    {
        if (event.eKind != SRawInputEvent::Key)
            return;
        const BYTE nDik = ScanCodeToDik(event.nScanCode);
        const BYTE nState = event.bDown ? 0x80 : 0;
        // A key that is down already is the keyboard repeating it: DirectInput reports no repeats.
        if (nDik == 0 || m_abKeys[nDik] == nState)
            return;
        m_abKeys[nDik] = nState;
        Record(nDik, nState, dwTime);
        return;
    }
    switch (event.eKind)
    {
    case SRawInputEvent::MouseMove:
        m_mouse.lX += event.nDx * DI_MOUSE_COUNTS_PER_PIXEL;
        m_mouse.lY += event.nDy * DI_MOUSE_COUNTS_PER_PIXEL;
        if (event.nDx != 0)
            Record(DIMOFS_X, static_cast<DWORD>(event.nDx * DI_MOUSE_COUNTS_PER_PIXEL), dwTime);
        if (event.nDy != 0)
            Record(DIMOFS_Y, static_cast<DWORD>(event.nDy * DI_MOUSE_COUNTS_PER_PIXEL), dwTime);
        break;
    case SRawInputEvent::MouseWheel:
        m_mouse.lZ += event.nDy * WHEEL_DELTA;
        Record(DIMOFS_Z, static_cast<DWORD>(event.nDy * WHEEL_DELTA), dwTime);
        break;
    case SRawInputEvent::MouseButton:
    {
        const int nButton = event.nVirtKey == VK_RBUTTON ? 1 : event.nVirtKey == VK_MBUTTON ? 2 : 0;
        const BYTE nState = event.bDown ? 0x80 : 0;
        if (m_mouse.rgbButtons[nButton] == nState)
            return;
        m_mouse.rgbButtons[nButton] = nState;
        Record(DIMOFS_BUTTON0 + static_cast<DWORD>(nButton), nState, dwTime);
        break;
    }
    case SRawInputEvent::Key:
        break;
    }
}

// The ring keeps the newest records: a full one drops its oldest.
void CDirectInputDevice::Record(DWORD dwOfs, DWORD dwData, DWORD dwTime)
{
    if (m_dwCapacity == 0)
        return;
    const DIDEVICEOBJECTDATA record{dwOfs, dwData, dwTime, m_dwSequence++};
    if (m_nCount == m_dwCapacity)
    {
        if (!m_bOverflowLogged)
            OutputDebugString("DirectInput: a device buffer overflowed; its oldest records are dropped\n");
        m_bOverflowLogged = true;
        m_ring[m_nFirst] = record;
        m_nFirst = (m_nFirst + 1) % m_dwCapacity;
        return;
    }
    m_ring[(m_nFirst + m_nCount) % m_dwCapacity] = record;
    ++m_nCount;
}

void CDirectInputDevice::FollowHeld(const SRawInputEvent& event)
{
    const BYTE nState = event.bDown ? 0x80 : 0;
    if (!m_bMouse && event.eKind == SRawInputEvent::Key)
    {
        if (const BYTE nDik = ScanCodeToDik(event.nScanCode); nDik != 0)
            m_abKeys[nDik] = nState;
    }
    else if (m_bMouse && event.eKind == SRawInputEvent::MouseButton)
        m_mouse.rgbButtons[event.nVirtKey == VK_RBUTTON ? 1 : event.nVirtKey == VK_MBUTTON ? 2 : 0] = nState;
}

void CDirectInputDevice::LoseAcquisition()
{
    m_bAcquired = false;
    m_bFollowHeld = false;
    m_nCount = 0;
    std::memset(m_abKeys, 0, sizeof(m_abKeys));
    m_mouse = DIMOUSESTATE{};
}

// ---------------------------------------------------------------------------------------------------------------------
// DirectInput and its devices
// ---------------------------------------------------------------------------------------------------------------------

HRESULT DirectInputCreate(HINSTANCE /*hInstance*/, DWORD dwVersion, LPDIRECTINPUT* ppDI, void* /*pUnknownOuter*/)
{
    if (ppDI == nullptr || dwVersion < DIRECTINPUT_VERSION)
        return DIERR_INVALIDPARAM;
    *ppDI = std::make_shared<CDirectInput>();
    return DI_OK;
}

HRESULT CDirectInput::CreateDevice(const GUID& guid, LPDIRECTINPUTDEVICE* ppDevice, void* /*pUnknownOuter*/)
{
    if (ppDevice == nullptr)
        return DIERR_INVALIDPARAM;
    ppDevice->reset();
    if (!(guid == GUID_SysKeyboard) && !(guid == GUID_SysMouse))
        return DIERR_DEVICENOTREG;
    ppDevice->reset(new CDirectInputDevice(guid == GUID_SysMouse));
    SInputHub::Get().Add(ppDevice->get());
    return DI_OK;
}

HRESULT CDirectInput::EnumDevices(EnumCallbackFn pfnCallback, void* pContext)
{
    if (pfnCallback != nullptr && pfnCallback(&GUID_SysKeyboard, DIDEVTYPE_KEYBOARD, pContext))
        pfnCallback(&GUID_SysMouse, DIDEVTYPE_MOUSE, pContext);
    return DI_OK;
}

CDirectInputDevice::~CDirectInputDevice() { SInputHub::Get().Remove(this); }

HRESULT CDirectInputDevice::SetDataFormat(const DIDATAFORMAT* pFormat)
{
    if (pFormat == nullptr)
        return DIERR_INVALIDPARAM;
    std::lock_guard lock(SInputHub::Get().mutex);
    if (m_bAcquired)
        return DIERR_ACQUIRED;
    const DIDATAFORMAT& wanted = m_bMouse ? c_dfDIMouse : c_dfDIKeyboard;
    if (pFormat->dwNumObjs != wanted.dwNumObjs || pFormat->dwDataSize != wanted.dwDataSize)
        return DIERR_INVALIDPARAM;
    m_bFormat = true;
    return DI_OK;
}

HRESULT CDirectInputDevice::SetCooperativeLevel(HWND hWnd, DWORD /*dwFlags*/)
{
    std::lock_guard lock(SInputHub::Get().mutex);
    if (m_bAcquired)
        return DIERR_ACQUIRED;
    m_hWnd = hWnd;
    return DI_OK;
}

HRESULT CDirectInputDevice::SetProperty(EDIProperty eProperty, const DIPROPHEADER* pHeader)
{
    if (pHeader == nullptr || pHeader->dwHow != DIPH_DEVICE)
        return DIERR_INVALIDPARAM;
    const DWORD dwValue = reinterpret_cast<const DIPROPDWORD*>(pHeader)->dwData;
    std::lock_guard lock(SInputHub::Get().mutex);
    if (m_bAcquired)
        return DIERR_ACQUIRED;
    if (eProperty == EDIProperty::AxisMode)
        return m_bMouse && dwValue == DIPROPAXISMODE_REL ? DI_OK : DIERR_INVALIDPARAM;
    if (dwValue > DI_MAX_BUFFER)
        return DIERR_INVALIDPARAM;
    m_dwCapacity = dwValue;
    m_ring.assign(dwValue, DIDEVICEOBJECTDATA{});
    m_nFirst = 0;
    m_nCount = 0;
    return DI_OK;
}

HRESULT CDirectInputDevice::Acquire()
{
    std::lock_guard lock(SInputHub::Get().mutex);
    if (!m_bFormat)
        return DIERR_INVALIDPARAM;
    if (!IsWindowActive(m_hWnd))
        return DIERR_OTHERAPPHASPRIO;
    if (m_bAcquired)
        return DI_NOEFFECT;
    m_bAcquired = true;
    m_bFollowHeld = false;
    return DI_OK;
}

HRESULT CDirectInputDevice::Unacquire()
{
    std::lock_guard lock(SInputHub::Get().mutex);
    if (!m_bAcquired)
        return DI_NOEFFECT;
    // Given up by the program in the foreground, the device drops what it buffered and counted
    // but goes on following the keys and buttons held, so that acquired again its state is the
    // physical one, as DirectInput's is.
    m_bAcquired = false;
    m_bFollowHeld = true;
    m_nCount = 0;
    m_mouse.lX = m_mouse.lY = m_mouse.lZ = 0;
    return DI_OK;
}

// Called under the lock: a device whose window went inactive has lost its input.
HRESULT CDirectInputDevice::CheckAcquired()
{
    if (!m_bAcquired)
        return DIERR_NOTACQUIRED;
    if (IsWindowActive(m_hWnd))
        return DI_OK;
    LoseAcquisition();
    return DIERR_INPUTLOST;
}

HRESULT CDirectInputDevice::GetDeviceState(DWORD dwSize, void* pData)
{
    if (pData == nullptr || dwSize != (m_bMouse ? DIMOUSESTATE_SIZE : 256u))
        return DIERR_INVALIDPARAM;
    std::lock_guard lock(SInputHub::Get().mutex);
    if (const HRESULT hr = CheckAcquired(); FAILED(hr))
        return hr;
    if (!m_bMouse)
    {
        std::memcpy(pData, m_abKeys, sizeof(m_abKeys));
        return DI_OK;
    }
    *static_cast<DIMOUSESTATE*>(pData) = m_mouse;
    // The counts are relative: each state read starts them again.
    m_mouse.lX = 0;
    m_mouse.lY = 0;
    m_mouse.lZ = 0;
    return DI_OK;
}

HRESULT CDirectInputDevice::GetDeviceData(DWORD dwRecordSize, DIDEVICEOBJECTDATA* pRecords, DWORD* pdwCount,
                                          DWORD /*dwFlags*/)
{
    if (dwRecordSize != DIDEVICEOBJECTDATA_SIZE || pdwCount == nullptr || (pRecords == nullptr && *pdwCount != 0))
        return DIERR_INVALIDPARAM;
    std::lock_guard lock(SInputHub::Get().mutex);
    if (const HRESULT hr = CheckAcquired(); FAILED(hr))
    {
        *pdwCount = 0;
        return hr;
    }
    const DWORD dwTaken = std::min<DWORD>(*pdwCount, static_cast<DWORD>(m_nCount));
    for (DWORD i = 0; i < dwTaken; ++i)
        pRecords[i] = m_ring[(m_nFirst + i) % m_dwCapacity];
    m_nFirst = m_dwCapacity == 0 ? 0 : (m_nFirst + dwTaken) % m_dwCapacity;
    m_nCount -= dwTaken;
    *pdwCount = dwTaken;
    return DI_OK;
}
