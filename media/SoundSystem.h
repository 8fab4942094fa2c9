// The game's sound effects: WAVE resources copied once into static 3-D buffers of the sound
// device, one per slot, played once at a position that pans them around the listener.
//
// Threads: the main thread creates the layer, loads the effects and plays them; the speech
// thread plays its phrases through the two holders. The slot table (buffers, loaded count and
// holders) is guarded by one lock, so a holder and a load never take the same slot.
#pragma once

#include "foundation/Vector3.h"
#include "platform/dx/DirectSound.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <mutex>

/// Slots of the sound table: slot numbers 0..63.
inline constexpr int SOUND_SLOTS = 64;
/// DirectSound attenuation of the quietest volume setting, hundredths of a decibel.
inline constexpr int SOUND_MIN_ATTENUATION = -3000;

/// The file name of the sound library ("VornWave.DLL"; library names are looked up without
/// regard to case). Read-only; any thread.
extern CString g_strWaveLibrary;

class CSoundSystem
{
public:
    /// Loads the sound library (a missing one leaves every load at -1).
    explicit CSoundSystem(LPCSTR szLibrary = g_strWaveLibrary.GetString());
    virtual ~CSoundSystem();
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;

    /// Opens the device, its primary buffer and listener. 1 also without a device (the game then
    /// runs silent); 0 when the device refuses a step.
    BOOL Create(HWND hWnd);
    /// Loads WAVE resource nId of the sound library into the next slot; the slot or -1.
    int LoadWave(int nId);
    /// Copies a WAVE resource into slot nSlot; 0 when the slot, the resource or the device fails.
    BOOL LoadWaveResource(HMODULE hModule, LPCSTR szName, LPCSTR szType, int nSlot);
    BOOL CreateSlotBuffer(int nSlot, DWORD dwSize, DWORD dwRate, WORD nBits, WORD nBlockAlign, BOOL bStereo);
    /// Plays a slot once at a position: 1 without a device, for an empty slot, while muted and
    /// while it still plays (not restarted); 0 for a slot outside the table or a failing device.
    BOOL Play(int nSlot, const CVector3& position, DWORD dwFlags);
    /// The attenuation of the next Play, from a volume setting 0..65535.
    void SetVolume(int nVolume);
    static int VolumeToAttenuation(int nVolume);
    /// The listener at the camera: its position and viewing direction, top (0, 1, 0).
    void SetListener(const CVector3& position, const CVector3& front);
    /// Metres per unit of the positions handed to the listener and to Play, applied at once.
    void SetDistanceFactor(float fMetresPerUnit);
    /// Sets the normal cooperative level, whatever is asked.
    BOOL SetCooperation(HWND hWnd, int nPriority);
    /// The speech thread's phrases of another module, each holder reusing its own slot.
    virtual BOOL PlayInHolderA(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position);
    virtual BOOL PlayInHolderB(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position);
    virtual BOOL IsSlotPlaying(int nSlot) const;
    /// The slot of the first speech holder, -1 until it was first used.
    virtual int GetHolderASlot() const;
    /// Milliseconds a slot still plays, 0 when it does not (the speech thread sleeps that long).
    virtual DWORD GetSlotRemainingMs(int nSlot) const;

    /// While muted, Play plays nothing (and answers 1).
    void SetMuted(bool bMuted) { m_bMuted = bMuted; }
    bool IsMuted() const { return m_bMuted; }
    /// Stops every playing effect; the next Play of each starts from its beginning.
    void StopAll();

    bool IsAvailable() const { return m_bAvailable; }
    int GetLoadedCount() const;
    /// The WAVE resource id LoadWave put into a slot; -1 for a slot it did not fill.
    int GetSlotWaveId(int nSlot) const;
    /// The slot LoadWave put WAVE resource nId into; -1 when it loaded none of that id.
    int FindWaveSlot(int nId) const;
    int GetVolume() const { return m_nVolume; }
    /// The device, for the music streams; null when there is none.
    const LPDIRECTSOUND& GetDirectSound() const { return m_pDS; }

private:
    bool ValidSlot(int nSlot) const { return nSlot >= 0 && nSlot < SOUND_SLOTS; }
    BOOL LoadWaveResourceLocked(HMODULE hModule, LPCSTR szName, LPCSTR szType, int nSlot);
    BOOL CreateSlotBufferLocked(int nSlot, DWORD dwSize, const WAVEFORMATEX& format);
    BOOL PlayLocked(int nSlot, const CVector3& position, DWORD dwFlags);
    BOOL PlayInHolder(HMODULE hModule, LPCSTR szName, LPCSTR szType, const CVector3& position, int& nHolder);
    void ReleaseSlot(int nSlot);
    BOOL SetPrimaryFormat();

    LPDIRECTSOUND m_pDS;
    bool m_bAvailable = false;
    LPDIRECTSOUND3DLISTENER m_pListener;
    LPDIRECTSOUNDBUFFER m_pPrimary;
    std::array<LPDIRECTSOUNDBUFFER, SOUND_SLOTS> m_apBuffers;
    std::array<LPDIRECTSOUND3DBUFFER, SOUND_SLOTS> m_ap3D;
    int m_nLoaded = 0;
    std::array<int, SOUND_SLOTS> m_anWaveIds{};
    int m_nVolume = 0; // hundredths of a decibel, SOUND_MIN_ATTENUATION..0
    int m_nHolderA = -1;
    int m_nHolderB = -1;
    HMODULE m_hLibrary = nullptr;
    bool m_bMuted = false;
    mutable std::mutex m_slotLock;
};
