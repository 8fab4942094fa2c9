#include "platform/dx/DirectSound.h"

#include "platform/dx/Resampler.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------------------------------
// Formats
// ---------------------------------------------------------------------------------------------------------------------

bool IsMixableFormat(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 && format.nSamplesPerSec >= DS_MIN_RATE &&
           format.nSamplesPerSec <= DS_MAX_RATE;
}

namespace
{

// 8-bit PCM is unsigned around 128, 16-bit signed little-endian.
float ReadSample(const BYTE* p, int nBits)
{
    if (nBits == 8)
        return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    const auto n = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    return static_cast<float>(n) / 32768.0f;
}

} // namespace

MixSamples ConvertToMix(const BYTE* pData, std::size_t nBytes, const WAVEFORMATEX& format, int nDeviceRate)
{
    MixSamples out;
    if (!IsMixableFormat(format) || pData == nullptr)
        return out;
    const std::size_t nFrames = nBytes / format.nBlockAlign;
    const std::size_t nSampleBytes = format.wBitsPerSample / 8u;
    std::vector<float> mono(nFrames);
    for (std::size_t i = 0; i < nFrames; ++i)
    {
        const BYTE* pFrame = pData + i * format.nBlockAlign;
        float fSum = 0;
        for (std::size_t c = 0; c < format.nChannels; ++c)
            fSum += ReadSample(pFrame + c * nSampleBytes, format.wBitsPerSample);
        mono[i] = fSum / static_cast<float>(format.nChannels);
    }
    CLinearResampler resampler(1, static_cast<int>(format.nSamplesPerSec), nDeviceRate);
    resampler.Process(mono.data(), mono.size(), out);
    return out;
}

// ---------------------------------------------------------------------------------------------------------------------
// The device
// ---------------------------------------------------------------------------------------------------------------------

HRESULT DirectSoundCreate(const GUID* /*pDevice*/, LPDIRECTSOUND* ppDS, void* /*pUnknownOuter*/)
{
    if (ppDS == nullptr)
        return DSERR_INVALIDPARAM;
    ppDS->reset();
    std::unique_ptr<CAudioOutput> pOutput = CAudioOutput::Open();
    if (pOutput == nullptr)
        return DSERR_NODRIVER;
    std::shared_ptr<CDirectSound> pDS(new CDirectSound);
    pDS->m_pMixer = std::make_shared<CMixer>(pOutput->Rate());
    pDS->m_pOutput = std::move(pOutput);
    pDS->m_pOutput->Start(pDS->m_pMixer.get());
    *ppDS = std::move(pDS);
    return DS_OK;
}

CDirectSound::~CDirectSound() { m_pOutput.reset(); }

HRESULT CDirectSound::SetCooperativeLevel(HWND /*hWnd*/, DWORD dwLevel)
{
    return dwLevel == DSSCL_NORMAL || dwLevel == DSSCL_PRIORITY ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT CDirectSound::GetCaps(DSCAPS* pCaps) const
{
    if (pCaps == nullptr || pCaps->dwSize != sizeof(DSCAPS))
        return DSERR_INVALIDPARAM;
    *pCaps = DSCAPS{};
    return DS_OK;
}

HRESULT CDirectSound::CreateSoundBuffer(const DSBUFFERDESC* pDesc, LPDIRECTSOUNDBUFFER* ppBuffer,
                                        void* /*pUnknownOuter*/)
{
    if (pDesc == nullptr || ppBuffer == nullptr || pDesc->dwSize != 20)
        return DSERR_INVALIDPARAM;
    ppBuffer->reset();
    std::shared_ptr<CDirectSoundBuffer> pBuffer(new CDirectSoundBuffer(m_pMixer, pDesc->dwFlags));
    if ((pDesc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0)
    {
        if (pDesc->dwBufferBytes != 0 || pDesc->lpwfxFormat != nullptr)
            return DSERR_INVALIDPARAM;
        *ppBuffer = std::move(pBuffer);
        return DS_OK;
    }
    if (pDesc->lpwfxFormat == nullptr || !IsMixableFormat(*pDesc->lpwfxFormat))
        return DSERR_BADFORMAT;
    if (pDesc->dwBufferBytes == 0 || pDesc->dwBufferBytes > DS_MAX_BUFFER_BYTES)
        return DSERR_INVALIDPARAM;
    pBuffer->m_nVoice = m_pMixer->OpenVoice();
    if (pBuffer->m_nVoice < 0)
        return DSERR_OUTOFMEMORY;
    pBuffer->m_format = *pDesc->lpwfxFormat;
    pBuffer->m_bytes.assign(pDesc->dwBufferBytes, pBuffer->m_format.wBitsPerSample == 8 ? BYTE{128} : BYTE{0});
    *ppBuffer = std::move(pBuffer);
    return DS_OK;
}

// ---------------------------------------------------------------------------------------------------------------------
// Buffers
// ---------------------------------------------------------------------------------------------------------------------

CDirectSoundBuffer::~CDirectSoundBuffer()
{
    if (m_nVoice >= 0)
        m_pMixer->CloseVoice(m_nVoice);
}

HRESULT CDirectSoundBuffer::SetFormat(const WAVEFORMATEX* pFormat)
{
    if (!IsPrimary() || pFormat == nullptr)
        return DSERR_INVALIDCALL;
    const bool bRate =
        pFormat->nSamplesPerSec == AUDIO_RATE_PREFERRED || pFormat->nSamplesPerSec == AUDIO_RATE_FALLBACK;
    const bool bShape = pFormat->wFormatTag == WAVE_FORMAT_PCM && pFormat->nChannels == 2 &&
                        pFormat->wBitsPerSample == 16 && pFormat->nBlockAlign == 4;
    return bRate && bShape ? DS_OK : DSERR_BADFORMAT;
}

HRESULT CDirectSoundBuffer::GetStatus(DWORD* pdwStatus) const
{
    if (pdwStatus == nullptr)
        return DSERR_INVALIDPARAM;
    *pdwStatus = !IsPrimary() && m_pMixer->IsVoicePlaying(m_nVoice) ? DSBSTATUS_PLAYING : 0;
    return DS_OK;
}

DWORD CDirectSoundBuffer::GetRemainingMs() const
{
    if (IsPrimary())
        return 0;
    const std::size_t nFrames = m_pMixer->GetVoiceRemaining(m_nVoice);
    return static_cast<DWORD>((nFrames * 1000 + static_cast<std::size_t>(m_pMixer->DeviceRate()) - 1) /
                              static_cast<std::size_t>(m_pMixer->DeviceRate()));
}

HRESULT CDirectSoundBuffer::Play(DWORD /*dwReserved*/, DWORD /*dwPriority*/, DWORD dwFlags)
{
    if (IsPrimary())
        return DS_OK; // the primary buffer always runs
    if ((dwFlags & DSBPLAY_LOOPING) != 0)
        return DSERR_UNSUPPORTED;
    m_pMixer->PlayVoice(m_nVoice);
    return DS_OK;
}

HRESULT CDirectSoundBuffer::Stop()
{
    if (!IsPrimary())
        m_pMixer->StopVoice(m_nVoice);
    return DS_OK;
}

HRESULT CDirectSoundBuffer::SetCurrentPosition(DWORD dwBytes)
{
    if (IsPrimary() || dwBytes > m_bytes.size())
        return DSERR_INVALIDPARAM;
    // A byte offset of the source becomes a frame of the converted samples.
    const double dFrame =
        static_cast<double>(dwBytes / m_format.nBlockAlign) * m_pMixer->DeviceRate() / m_format.nSamplesPerSec;
    m_pMixer->SetVoicePosition(m_nVoice, static_cast<std::size_t>(dFrame));
    return DS_OK;
}

HRESULT CDirectSoundBuffer::SetVolume(LONG nMb)
{
    if (nMb < MIXER_VOLUME_MIN_MB || nMb > MIXER_VOLUME_MAX_MB)
        return DSERR_INVALIDPARAM;
    if (IsPrimary() || (m_dwFlags & DSBCAPS_CTRLVOLUME) == 0)
        return DSERR_INVALIDCALL;
    m_nVolume = nMb;
    m_pMixer->SetVoiceVolume(m_nVoice, nMb);
    return DS_OK;
}

HRESULT CDirectSoundBuffer::GetVolume(LONG* pnMb) const
{
    if (pnMb == nullptr)
        return DSERR_INVALIDPARAM;
    *pnMb = m_nVolume;
    return DS_OK;
}

HRESULT CDirectSoundBuffer::Lock(DWORD dwOffset, DWORD dwBytes, void** ppPart1, DWORD* pdwBytes1, void** ppPart2,
                                 DWORD* pdwBytes2, DWORD dwFlags)
{
    if (IsPrimary() || m_bLocked || ppPart1 == nullptr || pdwBytes1 == nullptr)
        return DSERR_INVALIDCALL;
    // A static buffer's write cursor is at its start while it does not play.
    if ((dwFlags & DSBLOCK_FROMWRITECURSOR) != 0)
        dwOffset = 0;
    if ((dwFlags & DSBLOCK_ENTIREBUFFER) != 0)
        dwBytes = static_cast<DWORD>(m_bytes.size());
    if (dwOffset > m_bytes.size() || dwBytes > m_bytes.size() - dwOffset)
        return DSERR_INVALIDPARAM;
    *ppPart1 = m_bytes.data() + dwOffset;
    *pdwBytes1 = dwBytes;
    if (ppPart2 != nullptr)
        *ppPart2 = nullptr;
    if (pdwBytes2 != nullptr)
        *pdwBytes2 = 0;
    m_bLocked = true;
    return DS_OK;
}

HRESULT CDirectSoundBuffer::Unlock(void* /*pPart1*/, DWORD /*dwBytes1*/, void* /*pPart2*/, DWORD /*dwBytes2*/)
{
    if (!m_bLocked)
        return DSERR_INVALIDCALL;
    m_bLocked = false;
    m_pMixer->SetVoiceSamples(m_nVoice, std::make_shared<const MixSamples>(ConvertToMix(
                                            m_bytes.data(), m_bytes.size(), m_format, m_pMixer->DeviceRate())));
    return DS_OK;
}

HRESULT CDirectSoundBuffer::Query3DBuffer(LPDIRECTSOUND3DBUFFER* pp3D)
{
    if (pp3D == nullptr)
        return DSERR_INVALIDPARAM;
    if (IsPrimary() || (m_dwFlags & DSBCAPS_CTRL3D) == 0)
        return E_NOINTERFACE;
    pp3D->reset(new CDirectSound3DBuffer(m_pMixer, m_nVoice));
    return DS_OK;
}

HRESULT CDirectSoundBuffer::QueryListener(LPDIRECTSOUND3DLISTENER* ppListener)
{
    if (ppListener == nullptr)
        return DSERR_INVALIDPARAM;
    if (!IsPrimary() || (m_dwFlags & DSBCAPS_CTRL3D) == 0)
        return E_NOINTERFACE;
    ppListener->reset(new CDirectSound3DListener(m_pMixer));
    return DS_OK;
}

// ---------------------------------------------------------------------------------------------------------------------
// 3-D
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CDirectSound3DBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD /*dwApply*/)
{
    m_pMixer->SetVoiceSource(m_nVoice, D3DVECTOR{x, y, z});
    return DS_OK;
}

HRESULT CDirectSound3DListener::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply)
{
    m_position = D3DVECTOR{x, y, z};
    return Apply(dwApply);
}

HRESULT CDirectSound3DListener::SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                               D3DVALUE yTop, D3DVALUE zTop, DWORD dwApply)
{
    m_front = D3DVECTOR{xFront, yFront, zFront};
    m_top = D3DVECTOR{xTop, yTop, zTop};
    return Apply(dwApply);
}

HRESULT CDirectSound3DListener::SetRolloffFactor(D3DVALUE /*fFactor*/, DWORD /*dwApply*/) { return DS_OK; }

HRESULT CDirectSound3DListener::SetDistanceFactor(D3DVALUE /*fFactor*/, DWORD /*dwApply*/) { return DS_OK; }

HRESULT CDirectSound3DListener::CommitDeferredSettings()
{
    m_pMixer->SetListener(m_position, m_front, m_top);
    return DS_OK;
}

HRESULT CDirectSound3DListener::Apply(DWORD dwApply)
{
    return dwApply == DS3D_DEFERRED ? DS_OK : CommitDeferredSettings();
}
