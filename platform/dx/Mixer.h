// The software mixer under the DirectSound stand-in: fixed voices that play immutable mono
// sample buffers once, placed by pan around a listener, and stream voices fed through rings; a
// sum louder than full scale is limited smoothly rather than clipped.
//
// Threads: every method but Pull runs on the game's threads and takes the mixer's lock briefly.
// Pull runs on the audio callback: it copies what it needs under the lock, mixes without it, and
// writes the play positions back under it. A sample buffer or ring that a voice lets go of is
// kept alive until every callback that may still read it has returned.
#pragma once

#include "platform/audio/AudioOutput.h"
#include "platform/dx/DxTypes.h"
#include "platform/dx/Limiter.h"
#include "platform/dx/StreamRing.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

/// Voices for effects: the game's sound table has this many slots.
inline constexpr int MIXER_VOICES = 64;
/// Voices for streams (music).
inline constexpr int MIXER_STREAMS = 4;
/// Frames mixed per pass; a callback asking for more is mixed in several passes.
inline constexpr int MIXER_PASS_FRAMES = 1024;

/// DirectSound's volume range, hundredths of a decibel.
inline constexpr LONG MIXER_VOLUME_MIN_MB = -10000;
inline constexpr LONG MIXER_VOLUME_MAX_MB = 0;

/// Mono samples at the device's rate, -1..1.
using MixSamples = std::vector<float>;

/// Amplitude factor of an attenuation: 10^(mB / 2000); the minimum is silence.
float AttenuationToGain(LONG nMb);
/// Constant-power pan: fPan -1 is full left, 0 centre, 1 full right; left² + right² = 1.
void PanGains(float fPan, float& fLeft, float& fRight);
/// The pan of a source seen from a listener: the sideways part of the direction to the source,
/// in the listener's frame (right = top × front, the left-handed scene's convention). A source
/// at the listener is centred. Distance does not matter.
float PanFromDirection(const D3DVECTOR& source, const D3DVECTOR& listener, const D3DVECTOR& front,
                       const D3DVECTOR& top);

class CMixer : public IAudioSource
{
public:
    explicit CMixer(int nDeviceRate);
    ~CMixer() override;
    CMixer(const CMixer&) = delete;
    CMixer& operator=(const CMixer&) = delete;

    int DeviceRate() const { return m_nRate; }

    // Effect voices (index 0..MIXER_VOICES-1).
    /// A free voice, -1 when all are taken.
    int OpenVoice();
    void CloseVoice(int nVoice);
    /// Replaces the voice's samples; a playing voice stops.
    void SetVoiceSamples(int nVoice, std::shared_ptr<const MixSamples> pSamples);
    /// Starts the voice from its position unless it plays already.
    void PlayVoice(int nVoice);
    void StopVoice(int nVoice);
    bool IsVoicePlaying(int nVoice) const;
    /// Play position in device frames; setting it while playing continues from there.
    void SetVoicePosition(int nVoice, std::size_t nFrame);
    std::size_t GetVoicePosition(int nVoice) const;
    /// Frames left to play of a playing voice, 0 when it does not play.
    std::size_t GetVoiceRemaining(int nVoice) const;
    void SetVoiceVolume(int nVoice, LONG nMb);
    void SetVoiceSource(int nVoice, const D3DVECTOR& position);

    void SetListener(const D3DVECTOR& position, const D3DVECTOR& front, const D3DVECTOR& top);

    // Stream voices (index 0..MIXER_STREAMS-1): a stream plays while not paused; frames missing
    // from its ring are silence.
    int OpenStream(std::shared_ptr<CStreamRing> pRing);
    void CloseStream(int nStream);
    void SetStreamPaused(int nStream, bool bPaused);
    void SetStreamVolume(int nStream, LONG nMb);

    void Pull(std::span<std::int16_t> stereo) override;

private:
    struct SVoice
    {
        bool bOpen = false;
        bool bPlaying = false;
        std::uint32_t nRun = 0; // changes whenever the callback's copy of the voice goes stale
        std::size_t nPos = 0;
        std::shared_ptr<const MixSamples> pSamples;
        LONG nMb = 0;
        D3DVECTOR source;
        float fLeft = 0.70710678f;
        float fRight = 0.70710678f;
    };
    struct SStream
    {
        bool bOpen = false;
        bool bPaused = false;
        float fGain = 1.0f;
        std::shared_ptr<CStreamRing> pRing;
    };
    /// The callback's copy of a playing voice or stream.
    struct SMixVoice
    {
        int nVoice = 0;
        std::uint32_t nRun = 0;
        const float* pData = nullptr;
        std::size_t nSize = 0;
        std::size_t nPos = 0;
        float fLeft = 0;
        float fRight = 0;
    };
    struct SMixStream
    {
        CStreamRing* pRing = nullptr;
        float fGain = 0;
    };
    struct SRetired
    {
        std::uint64_t nAfterPass = 0; // free once this many callbacks have finished
        std::shared_ptr<const void> pHeld;
    };

    bool ValidVoice(int nVoice) const { return nVoice >= 0 && nVoice < MIXER_VOICES && m_aVoices[nVoice].bOpen; }
    bool ValidStream(int nStream) const { return nStream >= 0 && nStream < MIXER_STREAMS && m_aStreams[nStream].bOpen; }
    void UpdateGains(SVoice& voice) const;
    void Retire(std::shared_ptr<const void> pHeld);
    void FreeRetired();
    void TakeSnapshot();
    void MixPass(std::size_t nOffset, std::size_t nFrames, std::span<std::int16_t> stereo);
    void WriteBack();

    const int m_nRate;
    CLimiter m_limiter; // the callback's
    mutable std::mutex m_lock;
    std::array<SVoice, MIXER_VOICES> m_aVoices;
    std::array<SStream, MIXER_STREAMS> m_aStreams;
    D3DVECTOR m_listener;
    D3DVECTOR m_front{0, 0, 1};
    D3DVECTOR m_top{0, 1, 0};
    std::vector<SRetired> m_retired;
    std::uint64_t m_nPassesStarted = 0;
    std::uint64_t m_nPassesFinished = 0;

    // Owned by the callback between its two visits to the lock.
    std::array<SMixVoice, MIXER_VOICES> m_aMixVoices;
    std::array<SMixStream, MIXER_STREAMS> m_aMixStreams;
    int m_nMixVoices = 0;
    int m_nMixStreams = 0;
    std::array<float, MIXER_PASS_FRAMES * 2> m_afAccum{};
    std::array<std::int16_t, MIXER_PASS_FRAMES * 2> m_anStream{};
};
