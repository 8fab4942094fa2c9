// DirectSound over the project's mixer and SDL's audio output: the device, the primary buffer
// with its 3-D listener, static secondary buffers with their 3-D interface. Secondary buffers
// are converted once, when unlocked, into mono samples at the device's rate (stereo is mixed
// down); the listener only pans them (no distance roll-off, no Doppler). There is no capture.
#pragma once

#include "platform/dx/DxTypes.h"
#include "platform/dx/Mixer.h"

#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------------------------------------
// Records, flags and result codes
// ---------------------------------------------------------------------------------------------------------------------

inline constexpr HRESULT DS_OK = 0;
inline constexpr HRESULT DSERR_GENERIC = E_FAIL;
inline constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
inline constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
inline constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
inline constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
inline constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;

inline constexpr DWORD DSSCL_NORMAL = 1;
inline constexpr DWORD DSSCL_PRIORITY = 2;

inline constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
inline constexpr DWORD DSBCAPS_STATIC = 0x2;
inline constexpr DWORD DSBCAPS_CTRL3D = 0x10;
inline constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
inline constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;

inline constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x1;
inline constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;
inline constexpr DWORD DSBSTATUS_PLAYING = 0x1;
inline constexpr DWORD DSBPLAY_LOOPING = 0x1;

inline constexpr DWORD DS3D_IMMEDIATE = 0;
inline constexpr DWORD DS3D_DEFERRED = 1;

inline constexpr WORD WAVE_FORMAT_PCM = 1;

/// The format of a buffer's samples (PCM only).
struct WAVEFORMATEX
{
    WORD wFormatTag = WAVE_FORMAT_PCM;
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    WORD nBlockAlign = 0;
    WORD wBitsPerSample = 0;
    WORD cbSize = 0;
};

struct DSBUFFERDESC
{
    DWORD dwSize = 20;
    DWORD dwFlags = 0;
    DWORD dwBufferBytes = 0;
    DWORD dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

/// The device's capabilities; only the flags are filled, nothing reads the rest.
struct DSCAPS
{
    DWORD dwSize = 96;
    DWORD dwFlags = 0;
    DWORD adwUnused[22] = {};
};
static_assert(sizeof(DSCAPS) == 96);

/// Most bytes a secondary buffer may hold (a minute of 48 kHz 16-bit stereo is 11 MB).
inline constexpr DWORD DS_MAX_BUFFER_BYTES = 64u << 20;
/// The sample rates a secondary buffer may have.
inline constexpr DWORD DS_MIN_RATE = 100;
inline constexpr DWORD DS_MAX_RATE = 200000;

class CDirectSound;
class CDirectSoundBuffer;
class CDirectSound3DBuffer;
class CDirectSound3DListener;
using LPDIRECTSOUND = std::shared_ptr<CDirectSound>;
using LPDIRECTSOUNDBUFFER = std::shared_ptr<CDirectSoundBuffer>;
using LPDIRECTSOUND3DBUFFER = std::shared_ptr<CDirectSound3DBuffer>;
using LPDIRECTSOUND3DLISTENER = std::shared_ptr<CDirectSound3DListener>;

/// Whether a PCM format is one the mixer converts: 1 or 2 channels of 8 or 16 bits, a block of
/// channels × bytes per sample, a rate in DS_MIN_RATE..DS_MAX_RATE.
bool IsMixableFormat(const WAVEFORMATEX& format);
/// Mono samples at nDeviceRate from PCM bytes of the given format (whole blocks only).
MixSamples ConvertToMix(const BYTE* pData, std::size_t nBytes, const WAVEFORMATEX& format, int nDeviceRate);

// ---------------------------------------------------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------------------------------------------------

/// Opens the default audio device. DSERR_NODRIVER when there is none (SDL found no driver or
/// device); the game then runs silent.
HRESULT DirectSoundCreate(const GUID* pDevice, LPDIRECTSOUND* ppDS, void* pUnknownOuter);

class CDirectSound : public std::enable_shared_from_this<CDirectSound>
{
public:
    ~CDirectSound();
    CDirectSound(const CDirectSound&) = delete;
    CDirectSound& operator=(const CDirectSound&) = delete;

    /// Any level is accepted; the stand-in shares the device with nobody.
    HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwLevel);
    HRESULT GetCaps(DSCAPS* pCaps) const;
    /// A primary buffer (DSBCAPS_PRIMARYBUFFER, no size or format) or a secondary one with a
    /// mixable format and 1..DS_MAX_BUFFER_BYTES bytes; DSERR_OUTOFMEMORY when every voice is taken.
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* pDesc, LPDIRECTSOUNDBUFFER* ppBuffer, void* pUnknownOuter);

    /// The mixer and output behind the device (for the music streams and for tests).
    const std::shared_ptr<CMixer>& Mixer() const { return m_pMixer; }
    CAudioOutput& Output() const { return *m_pOutput; }

private:
    friend HRESULT DirectSoundCreate(const GUID*, LPDIRECTSOUND*, void*);
    CDirectSound() = default;

    std::shared_ptr<CMixer> m_pMixer;
    std::unique_ptr<CAudioOutput> m_pOutput; // stopped before the mixer goes
};

class CDirectSoundBuffer
{
public:
    ~CDirectSoundBuffer();
    CDirectSoundBuffer(const CDirectSoundBuffer&) = delete;
    CDirectSoundBuffer& operator=(const CDirectSoundBuffer&) = delete;

    /// Primary buffer: the device's format. 16-bit stereo at 44.1 or 22.05 kHz is accepted (the
    /// device keeps the rate it was opened with); anything else is DSERR_BADFORMAT.
    HRESULT SetFormat(const WAVEFORMATEX* pFormat);
    HRESULT GetStatus(DWORD* pdwStatus) const;
    /// Milliseconds the buffer still plays; 0 when it does not play (a stand-in's helper: DirectSound
    /// tells the play cursor instead).
    DWORD GetRemainingMs() const;
    /// Plays once from the current position (DSBPLAY_LOOPING is not supported); no effect while playing.
    HRESULT Play(DWORD dwReserved, DWORD dwPriority, DWORD dwFlags);
    HRESULT Stop();
    /// Byte offset in the buffer's own format.
    HRESULT SetCurrentPosition(DWORD dwBytes);
    /// Hundredths of a decibel, MIXER_VOLUME_MIN_MB..0.
    HRESULT SetVolume(LONG nMb);
    HRESULT GetVolume(LONG* pnMb) const;
    /// The bytes to write: one piece over the whole requested range (the second is always
    /// empty); the samples take effect at Unlock.
    HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppPart1, DWORD* pdwBytes1, void** ppPart2, DWORD* pdwBytes2,
                 DWORD dwFlags);
    HRESULT Unlock(void* pPart1, DWORD dwBytes1, void* pPart2, DWORD dwBytes2);

    /// The 3-D interface of a CTRL3D secondary buffer; E_NOINTERFACE otherwise.
    HRESULT Query3DBuffer(LPDIRECTSOUND3DBUFFER* pp3D);
    /// The listener of a CTRL3D primary buffer; E_NOINTERFACE otherwise.
    HRESULT QueryListener(LPDIRECTSOUND3DLISTENER* ppListener);

private:
    friend class CDirectSound;
    CDirectSoundBuffer(std::shared_ptr<CMixer> pMixer, DWORD dwFlags) : m_pMixer(std::move(pMixer)), m_dwFlags(dwFlags)
    {
    }
    bool IsPrimary() const { return (m_dwFlags & DSBCAPS_PRIMARYBUFFER) != 0; }

    std::shared_ptr<CMixer> m_pMixer;
    DWORD m_dwFlags;
    int m_nVoice = -1; // secondary buffers only
    WAVEFORMATEX m_format;
    std::vector<BYTE> m_bytes;
    LONG m_nVolume = 0;
    bool m_bLocked = false;
};

class CDirectSound3DBuffer
{
public:
    /// The source's position in the listener's coordinates; deferred settings apply at once.
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply);

private:
    friend class CDirectSoundBuffer;
    CDirectSound3DBuffer(std::shared_ptr<CMixer> pMixer, int nVoice) : m_pMixer(std::move(pMixer)), m_nVoice(nVoice) {}
    std::shared_ptr<CMixer> m_pMixer;
    int m_nVoice;
};

class CDirectSound3DListener
{
public:
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply);
    HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                           D3DVALUE zTop, DWORD dwApply);
    /// Distance never lowers the volume here, and nothing moves: the factors are accepted.
    HRESULT SetRolloffFactor(D3DVALUE fFactor, DWORD dwApply);
    HRESULT SetDistanceFactor(D3DVALUE fFactor, DWORD dwApply);
    HRESULT CommitDeferredSettings();

private:
    friend class CDirectSoundBuffer;
    explicit CDirectSound3DListener(std::shared_ptr<CMixer> pMixer) : m_pMixer(std::move(pMixer)) {}
    HRESULT Apply(DWORD dwApply);

    std::shared_ptr<CMixer> m_pMixer;
    D3DVECTOR m_position;
    D3DVECTOR m_front{0, 0, 1};
    D3DVECTOR m_top{0, 1, 0};
};
