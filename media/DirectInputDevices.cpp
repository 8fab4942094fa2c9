#include "media/DirectInputDevices.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/Clock.h"
#include "platform/win32/SystemParameters.h"

#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_INPUT_DEVICES) CDIKeyboard g_DIKeyboard;
VORN_GLOBAL_ROW(GLOBAL_ROW_INPUT_DEVICES) CDIMouse g_DIMouse;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_INPUT_DEVICES);

namespace
{

// Module state: the DirectInput object (kept until the process ends), the window the devices
// follow and the game's input-off test. Main thread.
LPDIRECTINPUT s_pDirectInput;
HWND s_hWnd = nullptr;
InputOffFn s_pfnInputOff = nullptr;

constexpr DWORD COOPERATIVE_LEVEL = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
static_assert(COOPERATIVE_LEVEL == 6);

bool IsInputOff() { return s_pfnInputOff != nullptr && s_pfnInputOff(); }

/// Creates a device with its data format; null when a step fails (the device is released).
LPDIRECTINPUTDEVICE CreateDevice(const GUID& guid, const DIDATAFORMAT& format)
{
    LPDIRECTINPUTDEVICE pDevice;
    if (!LoadDirectInput() || FAILED(s_pDirectInput->CreateDevice(guid, &pDevice, nullptr)) ||
        FAILED(pDevice->SetDataFormat(&format)))
        return nullptr;
    return pDevice;
}

/// The buffer-size property and the event buffer that matches it; capacity 0 when it fails.
BOOL SetDeviceBuffer(CDirectInputDevice& device, DWORD dwRecords, std::vector<DIDEVICEOBJECTDATA>& aEvents,
                     DWORD& dwCapacity)
{
    device.Unacquire();
    DIPROPDWORD prop;
    prop.dwData = dwRecords;
    if (FAILED(device.SetProperty(EDIProperty::BufferSize, &prop.diph)))
    {
        dwCapacity = 0;
        return FALSE;
    }
    if (dwRecords != dwCapacity)
    {
        aEvents.assign(dwRecords, DIDEVICEOBJECTDATA{});
        dwCapacity = dwRecords;
    }
    device.Acquire();
    return TRUE;
}

/// Takes the buffered events; on a lost device acquires it again for the next frame.
BOOL ReadEvents(CDirectInputDevice& device, std::vector<DIDEVICEOBJECTDATA>& aEvents, DWORD dwCapacity,
                DWORD& dwEventsRead)
{
    device.Acquire();
    dwEventsRead = dwCapacity;
    const HRESULT hr = device.GetDeviceData(DIDEVICEOBJECTDATA_SIZE, aEvents.data(), &dwEventsRead, 0);
    if (SUCCEEDED(hr))
        return TRUE;
    dwEventsRead = 0;
    if (hr == DIERR_INPUTLOST)
        device.Acquire();
    return FALSE;
}

void ReleaseDevice(LPDIRECTINPUTDEVICE& pDevice, std::vector<DIDEVICEOBJECTDATA>& aEvents, DWORD& dwCapacity)
{
    aEvents.clear();
    dwCapacity = 0;
    if (s_pDirectInput != nullptr && pDevice != nullptr)
        pDevice->Unacquire();
    pDevice.reset();
}

} // namespace

void SetInputOffTest(InputOffFn pfnInputOff) { s_pfnInputOff = pfnInputOff; }

void SetDirectInputWindow(HWND hWnd) { s_hWnd = hWnd; }

BOOL LoadDirectInput()
{
    if (s_pDirectInput != nullptr)
        return TRUE;
    if (FAILED(DirectInputCreate(nullptr, DIRECTINPUT_VERSION, &s_pDirectInput, nullptr)))
        return FALSE;
    s_pDirectInput->EnumDevices([](const GUID*, DWORD, void*) { return TRUE; }, nullptr);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// Keyboard
// ---------------------------------------------------------------------------------------------------------------------

BOOL CDIKeyboard::Create()
{
    m_pDevice = CreateDevice(GUID_SysKeyboard, c_dfDIKeyboard);
    if (m_pDevice == nullptr || FAILED(m_pDevice->SetCooperativeLevel(s_hWnd, COOPERATIVE_LEVEL)))
    {
        m_pDevice.reset();
        return FALSE;
    }
    m_pDevice->Acquire();
    return TRUE;
}

BOOL CDIKeyboard::SetBufferSize(DWORD dwRecords)
{
    return m_pDevice != nullptr && SetDeviceBuffer(*m_pDevice, dwRecords, m_aEvents, m_dwCapacity);
}

BOOL CDIKeyboard::ReadState()
{
    if (m_pDevice == nullptr)
        return FALSE;
    const HRESULT hr = m_pDevice->GetDeviceState(sizeof(m_abKeys), m_abKeys);
    if (SUCCEEDED(hr))
        return TRUE;
    // A failed read forgets the held keys: kept, a key held when the window lost the focus
    // would stay down until the next successful read.
    std::memset(m_abKeys, 0, sizeof(m_abKeys));
    if (hr != DIERR_NOTACQUIRED)
        m_pDevice->Acquire();
    return FALSE;
}

int CDIKeyboard::IsDIKeyDown(int nScanCode) const
{
    if (IsInputOff() || nScanCode < 0 || nScanCode > 255)
        return 0;
    return m_abKeys[nScanCode] & 0x80;
}

BOOL CDIKeyboard::ReadDIKeyboardBuffer()
{
    return m_pDevice != nullptr && ReadEvents(*m_pDevice, m_aEvents, m_dwCapacity, m_dwEventsRead);
}

int CDIKeyboard::GetDIPressedKey() const
{
    if (IsInputOff() || m_aEvents.empty())
        return 0;
    // The earliest press of the batch.
    for (DWORD i = 0; i < m_dwEventsRead; ++i)
    {
        if ((m_aEvents[i].dwData & 0x80) != 0)
            return static_cast<int>(m_aEvents[i].dwOfs);
    }
    return 0;
}

void CDIKeyboard::Release() { ReleaseDevice(m_pDevice, m_aEvents, m_dwCapacity); }

// ---------------------------------------------------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------------------------------------------------

BOOL CDIMouse::Create()
{
    m_pDevice = CreateDevice(GUID_SysMouse, c_dfDIMouse);
    DIPROPDWORD prop;
    prop.dwData = DIPROPAXISMODE_REL;
    // Every failure releases the device, the axis mode's too.
    if (m_pDevice == nullptr || FAILED(m_pDevice->SetProperty(EDIProperty::AxisMode, &prop.diph)))
    {
        m_dwCapacity = 0;
        m_pDevice.reset();
        return FALSE;
    }
    SetCooperativeLevel(FALSE);
    m_dwLastLeftRelease = 0;
    m_dwLastRightRelease = 0;
    m_bLeftPending = false;
    m_bRightPending = false;
    m_nDoubleClicks = 0;
    m_dwDoubleClickMs = GetDoubleClickTime();
    return TRUE;
}

HRESULT CDIMouse::SetCooperativeLevel(BOOL /*bExclusive*/)
{
    if (m_pDevice == nullptr)
        return -1;
    m_pDevice->Unacquire();
    const HRESULT hr = m_pDevice->SetCooperativeLevel(s_hWnd, COOPERATIVE_LEVEL);
    m_pDevice->Acquire();
    return hr;
}

BOOL CDIMouse::SetBufferSize(DWORD dwRecords)
{
    return m_pDevice != nullptr && SetDeviceBuffer(*m_pDevice, dwRecords, m_aEvents, m_dwCapacity);
}

BOOL CDIMouse::ReadDIMouseState()
{
    if (m_pDevice == nullptr)
        return FALSE;
    m_pDevice->Acquire();
    const HRESULT hr = m_pDevice->GetDeviceState(DIMOUSESTATE_SIZE, &m_state);
    if (SUCCEEDED(hr))
        return TRUE;
    m_state = DIMOUSESTATE{};
    if (hr == DIERR_INPUTLOST)
        m_pDevice->Acquire();
    return FALSE;
}

BOOL CDIMouse::UpdateDIMouse()
{
    if (m_pDevice == nullptr)
        return FALSE;
    m_nDoubleClicks = 0;
    m_dwPrevReadTime = m_dwLastReadTime;
    m_dwLastReadTime = timeGetTime();
    if (!ReadEvents(*m_pDevice, m_aEvents, m_dwCapacity, m_dwEventsRead))
        return FALSE;
    for (DWORD i = 0; i < m_dwEventsRead; ++i)
    {
        const DIDEVICEOBJECTDATA& record = m_aEvents[i];
        if ((record.dwData & 0x80) != 0)
            continue;
        if (record.dwOfs == DIMOFS_BUTTON0)
            TrackRelease(record.dwTimeStamp, m_dwLastLeftRelease, m_bLeftPending, 1);
        else if (record.dwOfs == DIMOFS_BUTTON1)
            TrackRelease(record.dwTimeStamp, m_dwLastRightRelease, m_bRightPending, 2);
    }
    return TRUE;
}

void CDIMouse::TrackRelease(DWORD dwTime, DWORD& dwLastRelease, bool& bPending, int nFlag)
{
    if (bPending && static_cast<DWORD>(dwTime - dwLastRelease) <= m_dwDoubleClickMs)
    {
        m_nDoubleClicks |= nFlag;
        bPending = false;
        return;
    }
    m_nDoubleClicks &= ~nFlag;
    dwLastRelease = dwTime;
    bPending = true;
}

BOOL CDIMouse::WasButtonReleased(DWORD dwOfs) const
{
    for (DWORD i = m_dwEventsRead; i-- > 0;)
    {
        if (m_aEvents[i].dwOfs == dwOfs && (m_aEvents[i].dwData & 0x80) == 0)
            return TRUE;
    }
    return FALSE;
}

void CDIMouse::Acquire()
{
    if (m_pDevice != nullptr)
        m_pDevice->Acquire();
}

void CDIMouse::Unacquire()
{
    if (m_pDevice != nullptr)
        m_pDevice->Unacquire();
}

void CDIMouse::Release() { ReleaseDevice(m_pDevice, m_aEvents, m_dwCapacity); }
