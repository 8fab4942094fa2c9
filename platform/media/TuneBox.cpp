#include "platform/media/TuneBox.h"

#include "platform/media/Mp3Decoder.h"
#include "platform/media/MusicFeed.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace
{

/// One open stream: its decoder thread, its ring and its stream voice.
class CMusicStream
{
public:
    CMusicStream(DWORD dwHandle, std::unique_ptr<IMusicDecoder> pDecoder, std::shared_ptr<CMixer> pMixer)
        : m_dwHandle(dwHandle), m_feed(std::move(pDecoder), pMixer->DeviceRate()), m_pMixer(std::move(pMixer))
    {
    }
    ~CMusicStream() { StopVoice(); }
    CMusicStream(const CMusicStream&) = delete;
    CMusicStream& operator=(const CMusicStream&) = delete;

    /// Starts a stream voice and the decoder thread; false when the mixer has no free stream voice.
    bool Start()
    {
        m_pRing = std::make_shared<CStreamRing>(MUSIC_RING_FRAMES);
        m_nVoice = m_pMixer->OpenStream(m_pRing);
        if (m_nVoice < 0)
            return false;
        m_pMixer->SetStreamVolume(m_nVoice, m_nMb);
        m_pMixer->SetStreamPaused(m_nVoice, m_bPaused);
        m_bStop = false;
        m_thread = StartGuardedThread([this] { Run(); });
        return true;
    }

    void SetPaused(bool bPaused)
    {
        {
            std::lock_guard lock(m_mutex);
            m_bPaused = bPaused;
        }
        m_wake.notify_all();
        m_pMixer->SetStreamPaused(m_nVoice, bPaused);
    }

    void SetVolume(LONG nMb)
    {
        m_nMb = nMb;
        m_pMixer->SetStreamVolume(m_nVoice, nMb);
    }

    void SetNotifyWindow(HWND hWnd) { m_hNotify = hWnd; }

    bool Replay()
    {
        StopVoice();
        return m_feed.Rewind() && Start();
    }

private:
    void StopVoice()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        m_pMixer->CloseStream(m_nVoice);
        m_nVoice = -1;
    }

    /// Waits about dwMs (longer while paused: until resumed); true when the stream is stopping.
    bool Wait(std::chrono::milliseconds duration)
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, duration, [&] { return m_bStop; });
        m_wake.wait(lock, [&] { return m_bStop || !m_bPaused; });
        return m_bStop;
    }

    /// The time the output needs to play nFrames frames.
    std::chrono::milliseconds PlayTime(std::size_t nFrames) const
    {
        return std::chrono::milliseconds(std::max<long long>(
            5, static_cast<long long>(nFrames * 1000 / static_cast<std::size_t>(m_pMixer->DeviceRate()))));
    }

    void Run()
    {
        for (;;)
        {
            const std::vector<std::int16_t>& out = m_feed.Next();
            if (out.empty())
                break;
            if (!WriteAll(out))
                return;
        }
        m_pRing->EndOfStream();
        while (!m_pRing->Drained())
        {
            if (Wait(PlayTime(m_pRing->Queued())))
                return;
        }
        if (m_hNotify != nullptr)
            PostMessage(m_hNotify, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(m_dwHandle));
    }

    /// Puts every frame into the ring, waiting while it is full; false when the stream stops.
    bool WriteAll(const std::vector<std::int16_t>& out)
    {
        const std::size_t nFrames = out.size() / 2;
        for (std::size_t nDone = 0; nDone < nFrames;)
        {
            nDone += m_pRing->Write(out.data() + nDone * 2, nFrames - nDone);
            if (nDone < nFrames && Wait(PlayTime(nFrames - nDone)))
                return false;
        }
        return true;
    }

    const DWORD m_dwHandle;
    CMusicFeed m_feed;
    std::shared_ptr<CMixer> m_pMixer;
    std::shared_ptr<CStreamRing> m_pRing;
    int m_nVoice = -1;
    LONG m_nMb = 0;
    std::atomic<HWND> m_hNotify{nullptr};
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;   // under m_mutex
    bool m_bPaused = false; // under m_mutex
};

class CTuneBox final : public ITuneBox
{
public:
    DWORD OpenAndPlay(LPCSTR szPath, const LPDIRECTSOUND& pDS) override
    {
        if (szPath == nullptr || pDS == nullptr)
            return 0;
        std::string strError;
        std::unique_ptr<IMusicDecoder> pDecoder = OpenMusicDecoder(ResolvePath(szPath), strError);
        if (pDecoder == nullptr)
        {
            OutputDebugString((std::string("Music: ") + szPath + ": " + strError + "\n").c_str());
            return 0;
        }
        std::lock_guard lock(m_mutex);
        const DWORD dwHandle = m_dwNext++;
        auto pStream = std::make_unique<CMusicStream>(dwHandle, std::move(pDecoder), pDS->Mixer());
        if (!pStream->Start())
            return 0;
        m_streams[dwHandle] = std::move(pStream);
        return dwHandle;
    }
    void Pause(DWORD dwStream) override
    {
        With(dwStream, [](CMusicStream& s) { s.SetPaused(true); });
    }
    void Resume(DWORD dwStream) override
    {
        With(dwStream, [](CMusicStream& s) { s.SetPaused(false); });
    }
    void Replay(DWORD dwStream) override
    {
        With(dwStream, [](CMusicStream& s) { s.Replay(); });
    }
    void Close(DWORD dwStream) override
    {
        std::unique_ptr<CMusicStream> pClosed;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_streams.find(dwStream);
            if (it == m_streams.end())
                return;
            pClosed = std::move(it->second);
            m_streams.erase(it);
        }
        // Joined outside the lock: the thread may be posting its notification.
        pClosed.reset();
    }
    void SetVolume(DWORD dwStream, LONG nMb) override
    {
        With(dwStream, [nMb](CMusicStream& s) { s.SetVolume(nMb); });
    }
    void SetNotifyWindow(DWORD dwStream, HWND hWnd) override
    {
        With(dwStream, [hWnd](CMusicStream& s) { s.SetNotifyWindow(hWnd); });
    }

private:
    template <class F> void With(DWORD dwStream, F f)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(dwStream);
        if (it != m_streams.end())
            f(*it->second);
    }

    std::mutex m_mutex;
    std::map<DWORD, std::unique_ptr<CMusicStream>> m_streams;
    DWORD m_dwNext = 1;
};

} // namespace

ITuneBox* GetTuneBox()
{
    if (!CMp3Decoder::LibraryReady())
        return nullptr;
    static CTuneBox s_tuneBox;
    return &s_tuneBox;
}
