#include "media/SoundSystem.h"

#include "foundation/GlobalOrder.h"
#include "foundation/Settings.h"
#include "media/WaveFile.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_WAVE_LIBRARY) CString g_strWaveLibrary = "VornWave.DLL";
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_WAVE_LIBRARY);

namespace
{

constexpr DWORD SLOT_BUFFER_FLAGS = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME;
static_assert(SLOT_BUFFER_FLAGS == 0x92);

WAVEFORMATEX PcmFormat(WORD nChannels, DWORD dwRate, WORD nBits, WORD nBlockAlign)
{
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = nChannels;
    format.nSamplesPerSec = dwRate;
    format.nAvgBytesPerSec = dwRate * nBlockAlign;
    format.nBlockAlign = nBlockAlign;
    format.wBitsPerSample = nBits;
    return format;
}

} // namespace

CSoundSystem::CSoundSystem(LPCSTR szLibrary) : m_hLibrary(LoadLibraryA(szLibrary)) { m_anWaveIds.fill(-1); }

CSoundSystem::~CSoundSystem()
{
    for (int i = 0; i < SOUND_SLOTS; ++i)
        ReleaseSlot(i);
    m_pListener.reset();
    m_pPrimary.reset();
    m_pDS.reset();
    if (m_hLibrary != nullptr)
        FreeLibrary(m_hLibrary);
}

// ---------------------------------------------------------------------------------------------------------------------
// The device
// ---------------------------------------------------------------------------------------------------------------------

BOOL CSoundSystem::Create(HWND hWnd)
{
    m_bAvailable = SUCCEEDED(DirectSoundCreate(nullptr, &m_pDS, nullptr));
    if (!m_bAvailable)
        return TRUE; // no sound device: the game runs silent
    DSCAPS caps;
    m_pDS->GetCaps(&caps);
    if (FAILED(m_pDS->SetCooperativeLevel(hWnd, DSSCL_PRIORITY)))
        return FALSE;
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    if (FAILED(m_pDS->CreateSoundBuffer(&desc, &m_pPrimary, nullptr)) || m_pPrimary == nullptr)
        return FALSE;
    SetPrimaryFormat();
    if (FAILED(m_pPrimary->QueryListener(&m_pListener)))
        return FALSE;
    m_pListener->SetRolloffFactor(0.0f, DS3D_IMMEDIATE);
    if (g_Settings.m_nVolume != 0)
        SetVolume(g_Settings.m_nVolume);
    m_pListener->SetOrientation(0, 0, 1, 0, 1, 0, DS3D_DEFERRED);
    m_pListener->CommitDeferredSettings();
    return TRUE;
}

// 44.1 kHz first, then 22.05 kHz; there is no capture device to choose between them, so the
// first format the device accepts stays set.
BOOL CSoundSystem::SetPrimaryFormat()
{
    for (const DWORD dwRate : {44100u, 22050u})
    {
        const WAVEFORMATEX format = PcmFormat(2, dwRate, 16, 4);
        if (SUCCEEDED(m_pPrimary->SetFormat(&format)))
            return TRUE;
    }
    return FALSE;
}

BOOL CSoundSystem::SetCooperation(HWND hWnd, int /*nPriority*/)
{
    return m_pDS != nullptr && SUCCEEDED(m_pDS->SetCooperativeLevel(hWnd, DSSCL_NORMAL));
}

void CSoundSystem::SetVolume(int nVolume) { m_nVolume = VolumeToAttenuation(nVolume); }

int CSoundSystem::VolumeToAttenuation(int nVolume)
{
    const int nClamped = std::clamp(nVolume, 0, 65535);
    return -((65535 - nClamped) * -SOUND_MIN_ATTENUATION / 65535);
}

void CSoundSystem::SetListener(const CVector3& position, const CVector3& front)
{
    if (m_pListener == nullptr)
        return;
    m_pListener->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED);
    m_pListener->SetOrientation(front.x, front.y, front.z, 0, 1, 0, DS3D_DEFERRED);
    m_pListener->CommitDeferredSettings();
}

void CSoundSystem::SetDistanceFactor(float fMetresPerUnit)
{
    if (m_pListener != nullptr)
        m_pListener->SetDistanceFactor(fMetresPerUnit, DS3D_IMMEDIATE);
}

// ---------------------------------------------------------------------------------------------------------------------
// Slots
// ---------------------------------------------------------------------------------------------------------------------

int CSoundSystem::LoadWave(int nId)
{
    std::lock_guard lock(m_slotLock);
    if (m_hLibrary == nullptr || nId < 0 || nId > 0xFFFF)
        return -1;
    const int nSlot = m_nLoaded;
    if (!LoadWaveResourceLocked(m_hLibrary, MAKEINTRESOURCE(static_cast<WORD>(nId)), "WAVE", nSlot))
        return -1;
    m_anWaveIds[static_cast<std::size_t>(nSlot)] = nId;
    ++m_nLoaded;
    return nSlot;
}

BOOL CSoundSystem::LoadWaveResource(HMODULE hModule, LPCSTR szName, LPCSTR szType, int nSlot)
{
    std::lock_guard lock(m_slotLock);
    return LoadWaveResourceLocked(hModule, szName, szType, nSlot);
}

BOOL CSoundSystem::LoadWaveResourceLocked(HMODULE hModule, LPCSTR szName, LPCSTR szType, int nSlot)
{
    if (!ValidSlot(nSlot))
        return FALSE;
    const HRSRC hInfo = FindResourceA(hModule, szName, szType);
    const HGLOBAL hData = hInfo != nullptr ? LoadResource(hModule, hInfo) : nullptr;
    const auto* pBytes = static_cast<const BYTE*>(LockResource(hData));
    SWaveData wave;
    if (pBytes == nullptr || !ReadWave(std::span(pBytes, SizeofResource(hModule, hInfo)), wave))
        return FALSE;
    const auto dwSize = static_cast<DWORD>(wave.samples.size());
    if (!CreateSlotBufferLocked(nSlot, dwSize, wave.format))
        return FALSE;
    LPDIRECTSOUNDBUFFER& pBuffer = m_apBuffers[static_cast<std::size_t>(nSlot)];
    void* pPart1 = nullptr;
    void* pPart2 = nullptr;
    DWORD dwPart1 = 0;
    DWORD dwPart2 = 0;
    if (FAILED(pBuffer->Lock(0, dwSize, &pPart1, &dwPart1, &pPart2, &dwPart2, DSBLOCK_FROMWRITECURSOR)))
        return FALSE;
    std::memcpy(pPart1, wave.samples.data(), dwPart1);
    if (pPart2 != nullptr)
        std::memcpy(pPart2, wave.samples.data() + dwPart1, dwPart2);
    return SUCCEEDED(pBuffer->Unlock(pPart1, dwPart1, pPart2, dwPart2));
}

BOOL CSoundSystem::CreateSlotBuffer(int nSlot, DWORD dwSize, DWORD dwRate, WORD nBits, WORD nBlockAlign, BOOL bStereo)
{
    std::lock_guard lock(m_slotLock);
    return CreateSlotBufferLocked(nSlot, dwSize, PcmFormat(bStereo ? 2 : 1, dwRate, nBits, nBlockAlign));
}

BOOL CSoundSystem::CreateSlotBufferLocked(int nSlot, DWORD dwSize, const WAVEFORMATEX& format)
{
    if (m_pDS == nullptr || !ValidSlot(nSlot))
        return FALSE;
    ReleaseSlot(nSlot);
    DSBUFFERDESC desc;
    desc.dwFlags = SLOT_BUFFER_FLAGS;
    desc.dwBufferBytes = dwSize;
    desc.lpwfxFormat = &format;
    const auto i = static_cast<std::size_t>(nSlot);
    if (FAILED(m_pDS->CreateSoundBuffer(&desc, &m_apBuffers[i], nullptr)))
        return FALSE;
    if (FAILED(m_apBuffers[i]->Query3DBuffer(&m_ap3D[i])))
    {
        ReleaseSlot(nSlot);
        return FALSE;
    }
    return TRUE;
}

void CSoundSystem::ReleaseSlot(int nSlot)
{
    m_ap3D[static_cast<std::size_t>(nSlot)].reset();
    m_apBuffers[static_cast<std::size_t>(nSlot)].reset();
}

int CSoundSystem::GetLoadedCount() const
{
    std::lock_guard lock(m_slotLock);
    return m_nLoaded;
}

int CSoundSystem::GetSlotWaveId(int nSlot) const
{
    std::lock_guard lock(m_slotLock);
    return ValidSlot(nSlot) ? m_anWaveIds[static_cast<std::size_t>(nSlot)] : -1;
}

int CSoundSystem::FindWaveSlot(int nId) const
{
    std::lock_guard lock(m_slotLock);
    // A holder's phrase keeps -1 in its slot, so a negative id never finds one.
    const auto it = nId < 0 ? m_anWaveIds.end() : std::find(m_anWaveIds.begin(), m_anWaveIds.end(), nId);
    return it == m_anWaveIds.end() ? -1 : static_cast<int>(it - m_anWaveIds.begin());
}

// ---------------------------------------------------------------------------------------------------------------------
// Playing
// ---------------------------------------------------------------------------------------------------------------------

BOOL CSoundSystem::Play(int nSlot, const CVector3& position, DWORD dwFlags)
{
    std::lock_guard lock(m_slotLock);
    return PlayLocked(nSlot, position, dwFlags);
}

BOOL CSoundSystem::PlayLocked(int nSlot, const CVector3& position, DWORD dwFlags)
{
    if (!m_bAvailable)
        return TRUE;
    if (!ValidSlot(nSlot))
        return FALSE;
    const auto i = static_cast<std::size_t>(nSlot);
    if (m_apBuffers[i] == nullptr || m_bMuted)
        return TRUE;
    DWORD dwStatus = 0;
    if (FAILED(m_apBuffers[i]->GetStatus(&dwStatus)))
        return FALSE;
    if ((dwStatus & DSBSTATUS_PLAYING) != 0)
        return TRUE;
    return SUCCEEDED(m_apBuffers[i]->SetVolume(m_nVolume)) &&
           SUCCEEDED(m_ap3D[i]->SetPosition(position.x, position.y, position.z, DS3D_IMMEDIATE)) &&
           SUCCEEDED(m_apBuffers[i]->Play(0, 0, dwFlags));
}

BOOL CSoundSystem::IsSlotPlaying(int nSlot) const
{
    std::lock_guard lock(m_slotLock);
    if (nSlot < 0 || nSlot >= m_nLoaded || m_apBuffers[static_cast<std::size_t>(nSlot)] == nullptr)
        return FALSE;
    DWORD dwStatus = 0;
    return SUCCEEDED(m_apBuffers[static_cast<std::size_t>(nSlot)]->GetStatus(&dwStatus)) &&
           (dwStatus & DSBSTATUS_PLAYING) != 0;
}

int CSoundSystem::GetHolderASlot() const
{
    std::lock_guard lock(m_slotLock);
    return m_nHolderA;
}

DWORD CSoundSystem::GetSlotRemainingMs(int nSlot) const
{
    std::lock_guard lock(m_slotLock);
    if (!ValidSlot(nSlot) || m_apBuffers[static_cast<std::size_t>(nSlot)] == nullptr)
        return 0;
    return m_apBuffers[static_cast<std::size_t>(nSlot)]->GetRemainingMs();
}

void CSoundSystem::StopAll()
{
    std::lock_guard lock(m_slotLock);
    for (const LPDIRECTSOUNDBUFFER& pBuffer : m_apBuffers)
    {
        if (pBuffer == nullptr)
            continue;
        pBuffer->Stop();
        pBuffer->SetCurrentPosition(0);
    }
}

BOOL CSoundSystem::PlayInHolderA(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position)
{
    return PlayInHolder(hModule, szName, szType, position, m_nHolderA);
}

BOOL CSoundSystem::PlayInHolderB(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position)
{
    return PlayInHolder(hModule, szName, szType, position, m_nHolderB);
}

BOOL CSoundSystem::PlayInHolder(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position, int& nHolder)
{
    std::lock_guard lock(m_slotLock);
    if (nHolder >= 0)
        ReleaseSlot(nHolder);
    const int nSlot = nHolder >= 0 ? nHolder : m_nLoaded;
    if (!LoadWaveResourceLocked(hModule, szName, szType, nSlot))
        return FALSE;
    if (nHolder < 0)
        ++m_nLoaded;
    nHolder = nSlot;
    return PlayLocked(nSlot, position, 0);
}
