#include "platform/dx/Mixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

float Dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return D3DVECTOR{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

std::int16_t ToPcm16(float f) { return static_cast<std::int16_t>(std::lrint(std::clamp(f, -1.0f, 1.0f) * 32767.0f)); }

} // namespace

float AttenuationToGain(LONG nMb)
{
    if (nMb <= MIXER_VOLUME_MIN_MB)
        return 0.0f;
    return std::pow(10.0f, static_cast<float>(std::min(nMb, MIXER_VOLUME_MAX_MB)) / 2000.0f);
}

void PanGains(float fPan, float& fLeft, float& fRight)
{
    const float fAngle = (std::clamp(fPan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    fLeft = std::cos(fAngle);
    fRight = std::sin(fAngle);
}

float PanFromDirection(const D3DVECTOR& source, const D3DVECTOR& listener, const D3DVECTOR& front, const D3DVECTOR& top)
{
    const D3DVECTOR dir{source.x - listener.x, source.y - listener.y, source.z - listener.z};
    const float fDistance = std::sqrt(Dot(dir, dir));
    const D3DVECTOR right = Cross(top, front);
    const float fRightLength = std::sqrt(Dot(right, right));
    if (fDistance < 1e-6f || fRightLength < 1e-6f)
        return 0.0f;
    return std::clamp(Dot(dir, right) / (fDistance * fRightLength), -1.0f, 1.0f);
}

CMixer::CMixer(int nDeviceRate) : m_nRate(nDeviceRate), m_limiter(nDeviceRate) {}

CMixer::~CMixer() = default;

// ---------------------------------------------------------------------------------------------------------------------
// Effect voices
// ---------------------------------------------------------------------------------------------------------------------

int CMixer::OpenVoice()
{
    std::lock_guard lock(m_lock);
    for (int i = 0; i < MIXER_VOICES; ++i)
    {
        SVoice& voice = m_aVoices[static_cast<std::size_t>(i)];
        if (voice.bOpen)
            continue;
        const std::uint32_t nRun = voice.nRun + 1;
        voice = SVoice{};
        voice.bOpen = true;
        voice.nRun = nRun;
        UpdateGains(voice);
        return i;
    }
    return -1;
}

void CMixer::CloseVoice(int nVoice)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    Retire(std::move(voice.pSamples));
    voice.bOpen = false;
    voice.bPlaying = false;
    ++voice.nRun;
    FreeRetired();
}

void CMixer::SetVoiceSamples(int nVoice, std::shared_ptr<const MixSamples> pSamples)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    Retire(std::move(voice.pSamples));
    voice.pSamples = std::move(pSamples);
    voice.bPlaying = false;
    voice.nPos = 0;
    ++voice.nRun;
    FreeRetired();
}

void CMixer::PlayVoice(int nVoice)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    if (voice.bPlaying || voice.pSamples == nullptr)
        return;
    if (voice.nPos >= voice.pSamples->size())
        voice.nPos = 0;
    voice.bPlaying = true;
    ++voice.nRun;
}

void CMixer::StopVoice(int nVoice)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    voice.bPlaying = false;
    ++voice.nRun;
}

bool CMixer::IsVoicePlaying(int nVoice) const
{
    std::lock_guard lock(m_lock);
    return ValidVoice(nVoice) && m_aVoices[static_cast<std::size_t>(nVoice)].bPlaying;
}

void CMixer::SetVoicePosition(int nVoice, std::size_t nFrame)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    voice.nPos = nFrame;
    ++voice.nRun;
}

std::size_t CMixer::GetVoicePosition(int nVoice) const
{
    std::lock_guard lock(m_lock);
    return ValidVoice(nVoice) ? m_aVoices[static_cast<std::size_t>(nVoice)].nPos : 0;
}

std::size_t CMixer::GetVoiceRemaining(int nVoice) const
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return 0;
    const SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    if (!voice.bPlaying || voice.pSamples == nullptr)
        return 0;
    return voice.pSamples->size() - std::min(voice.nPos, voice.pSamples->size());
}

void CMixer::SetVoiceVolume(int nVoice, LONG nMb)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    voice.nMb = nMb;
    UpdateGains(voice);
}

void CMixer::SetVoiceSource(int nVoice, const D3DVECTOR& position)
{
    std::lock_guard lock(m_lock);
    if (!ValidVoice(nVoice))
        return;
    SVoice& voice = m_aVoices[static_cast<std::size_t>(nVoice)];
    voice.source = position;
    UpdateGains(voice);
}

void CMixer::SetListener(const D3DVECTOR& position, const D3DVECTOR& front, const D3DVECTOR& top)
{
    std::lock_guard lock(m_lock);
    m_listener = position;
    m_front = front;
    m_top = top;
    for (SVoice& voice : m_aVoices)
        UpdateGains(voice);
}

void CMixer::UpdateGains(SVoice& voice) const
{
    const float fGain = AttenuationToGain(voice.nMb);
    PanGains(PanFromDirection(voice.source, m_listener, m_front, m_top), voice.fLeft, voice.fRight);
    voice.fLeft *= fGain;
    voice.fRight *= fGain;
}

// ---------------------------------------------------------------------------------------------------------------------
// Stream voices
// ---------------------------------------------------------------------------------------------------------------------

int CMixer::OpenStream(std::shared_ptr<CStreamRing> pRing)
{
    std::lock_guard lock(m_lock);
    for (SStream& stream : m_aStreams)
    {
        if (stream.bOpen)
            continue;
        stream = SStream{};
        stream.bOpen = true;
        stream.pRing = std::move(pRing);
        return static_cast<int>(&stream - m_aStreams.data());
    }
    return -1;
}

void CMixer::CloseStream(int nStream)
{
    std::lock_guard lock(m_lock);
    if (!ValidStream(nStream))
        return;
    SStream& stream = m_aStreams[static_cast<std::size_t>(nStream)];
    Retire(std::move(stream.pRing));
    stream.bOpen = false;
    FreeRetired();
}

void CMixer::SetStreamPaused(int nStream, bool bPaused)
{
    std::lock_guard lock(m_lock);
    if (ValidStream(nStream))
        m_aStreams[static_cast<std::size_t>(nStream)].bPaused = bPaused;
}

void CMixer::SetStreamVolume(int nStream, LONG nMb)
{
    std::lock_guard lock(m_lock);
    if (ValidStream(nStream))
        m_aStreams[static_cast<std::size_t>(nStream)].fGain = AttenuationToGain(nMb);
}

// ---------------------------------------------------------------------------------------------------------------------
// Keeping released buffers alive for the callback
// ---------------------------------------------------------------------------------------------------------------------

// A callback that copied its voices before the release may still read the buffer: it is freed
// once the callbacks started so far have all finished.
void CMixer::Retire(std::shared_ptr<const void> pHeld)
{
    if (pHeld != nullptr)
        m_retired.push_back(SRetired{m_nPassesStarted, std::move(pHeld)});
}

void CMixer::FreeRetired()
{
    std::erase_if(m_retired, [&](const SRetired& retired) { return retired.nAfterPass <= m_nPassesFinished; });
}

// ---------------------------------------------------------------------------------------------------------------------
// The callback
// ---------------------------------------------------------------------------------------------------------------------

void CMixer::Pull(std::span<std::int16_t> stereo)
{
    TakeSnapshot();
    const std::size_t nFrames = stereo.size() / 2;
    for (std::size_t nDone = 0; nDone < nFrames;)
    {
        const std::size_t nPass = std::min<std::size_t>(nFrames - nDone, MIXER_PASS_FRAMES);
        MixPass(nDone, nPass, stereo);
        nDone += nPass;
    }
    WriteBack();
}

void CMixer::TakeSnapshot()
{
    std::lock_guard lock(m_lock);
    ++m_nPassesStarted;
    m_nMixVoices = 0;
    for (int i = 0; i < MIXER_VOICES; ++i)
    {
        const SVoice& voice = m_aVoices[static_cast<std::size_t>(i)];
        if (!voice.bOpen || !voice.bPlaying || voice.pSamples == nullptr)
            continue;
        m_aMixVoices[static_cast<std::size_t>(m_nMixVoices++)] = SMixVoice{
            i, voice.nRun, voice.pSamples->data(), voice.pSamples->size(), voice.nPos, voice.fLeft, voice.fRight};
    }
    m_nMixStreams = 0;
    for (const SStream& stream : m_aStreams)
    {
        if (stream.bOpen && !stream.bPaused && stream.pRing != nullptr)
            m_aMixStreams[static_cast<std::size_t>(m_nMixStreams++)] = SMixStream{stream.pRing.get(), stream.fGain};
    }
}

void CMixer::MixPass(std::size_t nOffset, std::size_t nFrames, std::span<std::int16_t> stereo)
{
    std::fill_n(m_afAccum.begin(), nFrames * 2, 0.0f);
    for (int v = 0; v < m_nMixVoices; ++v)
    {
        SMixVoice& voice = m_aMixVoices[static_cast<std::size_t>(v)];
        const std::size_t nCount = std::min(nFrames, voice.nSize - std::min(voice.nPos, voice.nSize));
        const float* pData = voice.pData + voice.nPos;
        for (std::size_t i = 0; i < nCount; ++i)
        {
            m_afAccum[i * 2] += pData[i] * voice.fLeft;
            m_afAccum[i * 2 + 1] += pData[i] * voice.fRight;
        }
        voice.nPos += nCount;
    }
    for (int s = 0; s < m_nMixStreams; ++s)
    {
        const SMixStream& stream = m_aMixStreams[static_cast<std::size_t>(s)];
        const std::size_t nCount = stream.pRing->Read(m_anStream.data(), nFrames);
        const float fScale = stream.fGain / 32768.0f;
        for (std::size_t i = 0; i < nCount * 2; ++i)
            m_afAccum[i] += static_cast<float>(m_anStream[i]) * fScale;
    }
    m_limiter.Process(std::span<float>(m_afAccum.data(), nFrames * 2));
    for (std::size_t i = 0; i < nFrames * 2; ++i)
        stereo[nOffset * 2 + i] = ToPcm16(m_afAccum[i]);
}

void CMixer::WriteBack()
{
    std::lock_guard lock(m_lock);
    for (int v = 0; v < m_nMixVoices; ++v)
    {
        const SMixVoice& mixed = m_aMixVoices[static_cast<std::size_t>(v)];
        SVoice& voice = m_aVoices[static_cast<std::size_t>(mixed.nVoice)];
        if (voice.nRun != mixed.nRun)
            continue; // played, stopped, moved or replaced meanwhile: the game's word holds
        voice.nPos = mixed.nPos;
        if (mixed.nPos >= mixed.nSize)
        {
            // A buffer played once stops at its end and starts from the beginning next time.
            voice.bPlaying = false;
            voice.nPos = 0;
        }
    }
    ++m_nPassesFinished;
}
