#include "platform/audio/AudioOutput.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/ExceptionFilter.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace
{

// The audio subsystem is started by the first open output and stopped by the last, so that a
// later open reads SDL's driver settings afresh. Touched on the thread that runs the audio calls.
int s_nAudioUsers = 0;

std::mutex s_runnerMutex;
AudioThreadRunner s_runner; // under s_runnerMutex

/// Runs an SDL audio call where SDL belongs: on the display thread when it runs, else here.
void RunAudioCall(const std::function<void()>& f)
{
    AudioThreadRunner runner;
    {
        std::lock_guard lock(s_runnerMutex);
        runner = s_runner;
    }
    if (!runner || !runner(f))
        f();
}

bool AcquireAudio()
{
    if (s_nAudioUsers == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        OutputDebugString((std::string("Audio: no audio subsystem: ") + SDL_GetError() + "\n").c_str());
        return false;
    }
    ++s_nAudioUsers;
    return true;
}

void ReleaseAudio()
{
    if (--s_nAudioUsers == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SDL_AudioDeviceID OpenDevice(int nRate, void* pUser, SDL_AudioCallback pfnCallback, int& nRateOut)
{
    SDL_AudioSpec want{};
    want.freq = nRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = AUDIO_CALLBACK_FRAMES;
    want.callback = pfnCallback;
    want.userdata = pUser;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the card wants, so the mixer sees exactly this.
    const SDL_AudioDeviceID nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (nDevice != 0)
        nRateOut = have.freq;
    return nDevice;
}

} // namespace

void SetAudioThreadRunner(AudioThreadRunner runner)
{
    std::lock_guard lock(s_runnerMutex);
    s_runner = std::move(runner);
}

std::unique_ptr<CAudioOutput> CAudioOutput::Open()
{
    std::unique_ptr<CAudioOutput> pOut(new CAudioOutput);
    RunAudioCall(
        [&]
        {
            if (!AcquireAudio())
                return;
            for (const int nRate : {AUDIO_RATE_PREFERRED, AUDIO_RATE_FALLBACK})
            {
                pOut->m_nDevice = OpenDevice(nRate, pOut.get(), &CAudioOutput::Callback, pOut->m_nRate);
                if (pOut->m_nDevice != 0)
                    return;
            }
            OutputDebugString((std::string("Audio: no audio device: ") + SDL_GetError() + "\n").c_str());
            ReleaseAudio();
        });
    if (pOut->m_nDevice == 0)
        return nullptr;
    return pOut;
}

void CAudioOutput::Start(IAudioSource* pSource)
{
    SDL_LockAudioDevice(m_nDevice);
    m_pSource = pSource;
    SDL_UnlockAudioDevice(m_nDevice);
    SDL_PauseAudioDevice(m_nDevice, 0);
}

CAudioOutput::~CAudioOutput()
{
    if (m_nDevice == 0)
        return;
    RunAudioCall(
        [&]
        {
            SDL_CloseAudioDevice(m_nDevice); // waits for a running callback to return
            ReleaseAudio();
        });
}

void CAudioOutput::Callback(void* pUser, std::uint8_t* pStream, int nBytes)
{
    // The device's thread is the audio library's own: it gets the fatal-signal stack here.
    InstallFatalSignalStack();
    auto* pOut = static_cast<CAudioOutput*>(pUser);
    const std::size_t nSamples = static_cast<std::size_t>(nBytes) / sizeof(std::int16_t);
    pOut->Fill(std::span<std::int16_t>(reinterpret_cast<std::int16_t*>(pStream), nSamples));
}

void CAudioOutput::Fill(std::span<std::int16_t> stereo)
{
    if (m_pSource != nullptr)
        m_pSource->Pull(stereo);
    else
        std::fill(stereo.begin(), stereo.end(), std::int16_t{0});
    const std::size_t nHave = m_nTapFrames.load(std::memory_order_relaxed);
    const std::size_t nRoom = m_tap.size() / 2 - nHave;
    const std::size_t nCopy = std::min(nRoom, stereo.size() / 2);
    if (nCopy == 0)
        return;
    std::memcpy(m_tap.data() + nHave * 2, stereo.data(), nCopy * 2 * sizeof(std::int16_t));
    m_nTapFrames.store(nHave + nCopy, std::memory_order_release);
}

void CAudioOutput::StartTap(std::size_t nFrames)
{
    // The callback reads the tap, so it is replaced only while the callback is held off.
    SDL_LockAudioDevice(m_nDevice);
    m_tap.assign(nFrames * 2, 0);
    m_nTapFrames.store(0, std::memory_order_release);
    SDL_UnlockAudioDevice(m_nDevice);
}

std::span<const std::int16_t> CAudioOutput::Tapped() const
{
    return std::span<const std::int16_t>(m_tap.data(), TapFrames() * 2);
}
