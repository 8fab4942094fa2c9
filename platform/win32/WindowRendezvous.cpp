#include "platform/win32/WindowRendezvous.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/Messages.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
constexpr const char* REQUEST_RAISE = "raise\n";
constexpr const char* REQUEST_CLOSE = "close\n";
constexpr const char* REPLY_OK = "ok\n";
/// How long a request or its answer may take, in ms.
constexpr int REQUEST_TIMEOUT_MS = 1000;
/// Handles of other processes' windows: this bit set, an index into s_aRemotePaths below it.
constexpr std::uintptr_t REMOTE_BIT = std::uintptr_t{1} << 40;

std::string Lower(std::string str)
{
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char c) { return std::tolower(c); });
    return str;
}

/// FNV-1a: a short, stable name for any class and title.
std::uint64_t Hash(const std::string& str)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const unsigned char c : str)
        h = (h ^ c) * 0x100000001b3ull;
    return h;
}

/// A folder only this user may enter: made 0700 when missing, refused when it is a link, another
/// user's or open to others.
bool MakePrivateFolder(const std::string& strFolder)
{
    if (::mkdir(strFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st
    {
    };
    return ::lstat(strFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 0077) == 0;
}

bool MakeAddress(const std::string& strPath, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (strPath.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, strPath.c_str(), strPath.size() + 1);
    return true;
}

/// A connected socket to the path, -1 when nothing answers there.
int Connect(const std::string& strPath)
{
    sockaddr_un address;
    if (!MakeAddress(strPath, address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

/// Reads up to a new line within the time limit.
std::string ReadLine(int fd)
{
    std::string strLine;
    char c = 0;
    while (strLine.size() < 16)
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, REQUEST_TIMEOUT_MS) <= 0 || ::read(fd, &c, 1) != 1)
            break;
        strLine += c;
        if (c == '\n')
            break;
    }
    return strLine;
}

void WriteAll(int fd, const char* sz)
{
    [[maybe_unused]] const ssize_t n = ::send(fd, sz, std::strlen(sz), MSG_NOSIGNAL);
}

/// The listening sockets and the thread that answers them.
class CListener
{
public:
    ~CListener() { Stop(); }

    bool Add(HWND hWnd, const std::string& strPath);
    void Remove(HWND hWnd);

private:
    struct SEntry
    {
        int fd = -1;
        std::string strPath;
    };
    void Run();
    void Answer(int fdListen, HWND hWnd);
    void Wake();
    void Stop();

    std::mutex m_mutex;
    std::map<HWND, SEntry> m_entries; // guarded by m_mutex
    int m_aWake[2] = {-1, -1};
    std::thread m_thread;
    bool m_bStop = false; // guarded by m_mutex
};

bool CListener::Add(HWND hWnd, const std::string& strPath)
{
    sockaddr_un address;
    if (!MakeAddress(strPath, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    bool bBound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    if (!bBound && errno == EADDRINUSE)
    {
        // A socket nobody answers on was left by an instance that died: take it over.
        const int fdPeer = Connect(strPath);
        if (fdPeer >= 0)
            ::close(fdPeer);
        else if (::unlink(strPath.c_str()) == 0)
            bBound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    if (!bBound || ::listen(fd, 4) != 0)
    {
        ::close(fd);
        return false;
    }
    std::lock_guard lock(m_mutex);
    if (m_aWake[0] < 0 && ::pipe2(m_aWake, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        ::close(fd);
        ::unlink(strPath.c_str());
        return false;
    }
    m_entries[hWnd] = SEntry{fd, strPath};
    if (!m_thread.joinable())
        m_thread = StartGuardedThread([this] { Run(); });
    Wake();
    return true;
}

void CListener::Remove(HWND hWnd)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(hWnd);
    if (it == m_entries.end())
        return;
    ::unlink(it->second.strPath.c_str());
    ::close(it->second.fd);
    m_entries.erase(it);
    Wake();
}

void CListener::Wake()
{
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(m_aWake[1], &c, 1);
}

void CListener::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            return;
        m_bStop = true;
        Wake();
    }
    m_thread.join();
    for (auto& [hWnd, entry] : m_entries)
    {
        ::unlink(entry.strPath.c_str());
        ::close(entry.fd);
    }
    m_entries.clear();
    ::close(m_aWake[0]);
    ::close(m_aWake[1]);
}

void CListener::Run()
{
    for (;;)
    {
        std::vector<pollfd> aPoll;
        std::vector<HWND> aWindows;
        {
            std::lock_guard lock(m_mutex);
            if (m_bStop)
                return;
            aPoll.push_back(pollfd{m_aWake[0], POLLIN, 0});
            for (const auto& [hWnd, entry] : m_entries)
            {
                aPoll.push_back(pollfd{entry.fd, POLLIN, 0});
                aWindows.push_back(hWnd);
            }
        }
        if (::poll(aPoll.data(), aPoll.size(), -1) < 0 && errno != EINTR)
            return;
        char aDrain[64];
        while (::read(m_aWake[0], aDrain, sizeof(aDrain)) > 0)
        {
        }
        for (size_t i = 1; i < aPoll.size(); ++i)
            if ((aPoll[i].revents & POLLIN) != 0)
                Answer(aPoll[i].fd, aWindows[i - 1]);
    }
}

void CListener::Answer(int fdListen, HWND hWnd)
{
    {
        // The window may have gone while the poll waited; its socket is closed then.
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(hWnd);
        if (it == m_entries.end() || it->second.fd != fdListen)
            return;
    }
    const int fd = ::accept4(fdListen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    const std::string strRequest = ReadLine(fd);
    if (strRequest == REQUEST_RAISE)
    {
        OutputDebugString("Another start asked to raise the window\n");
        SetForegroundWindow(hWnd);
        WriteAll(fd, REPLY_OK);
    }
    else if (strRequest == REQUEST_CLOSE)
    {
        OutputDebugString("Another program asked to close the window\n");
        PostMessage(hWnd, WM_CLOSE, 0, 0);
        WriteAll(fd, REPLY_OK);
    }
    ::close(fd);
}

CListener s_listener;
std::mutex s_remoteMutex;
std::vector<std::string> s_aRemotePaths; // guarded by s_remoteMutex; an entry per handle given out

std::string RemotePath(HWND hWnd)
{
    const auto v = reinterpret_cast<std::uintptr_t>(hWnd);
    std::lock_guard lock(s_remoteMutex);
    const std::uintptr_t nIndex = v & (REMOTE_BIT - 1);
    return (v & REMOTE_BIT) != 0 && nIndex < s_aRemotePaths.size() ? s_aRemotePaths[nIndex] : std::string();
}

BOOL Request(HWND hWnd, const char* szRequest)
{
    const std::string strPath = RemotePath(hWnd);
    const int fd = strPath.empty() ? -1 : Connect(strPath);
    if (fd < 0)
        return FALSE;
    WriteAll(fd, szRequest);
    const bool bOk = ReadLine(fd) == REPLY_OK;
    ::close(fd);
    return bOk ? TRUE : FALSE;
}
} // namespace

std::string GetRendezvousFolder()
{
    const char* szRuntime = std::getenv("XDG_RUNTIME_DIR");
    if (szRuntime != nullptr && *szRuntime == '/' && MakePrivateFolder(std::string(szRuntime) + "/vorn"))
        return std::string(szRuntime) + "/vorn";
    const char* szTemp = std::getenv("TMPDIR");
    const std::string strFolder =
        std::string(szTemp != nullptr && *szTemp == '/' ? szTemp : "/tmp") + "/vorn-" + std::to_string(::getuid());
    return MakePrivateFolder(strFolder) ? strFolder : std::string();
}

std::string GetRendezvousPath(const std::string& strClass, const std::string& strTitle)
{
    const std::string strFolder = GetRendezvousFolder();
    if (strFolder.empty())
        return std::string();
    char szName[32];
    std::snprintf(szName, sizeof(szName), "/w-%016llx.sock",
                  static_cast<unsigned long long>(Hash(Lower(strClass) + '\x1f' + Lower(strTitle))));
    return strFolder + szName;
}

bool ListenForWindow(HWND hWnd, const std::string& strClass, const std::string& strTitle)
{
    const std::string strPath = GetRendezvousPath(strClass, strTitle);
    return !strPath.empty() && s_listener.Add(hWnd, strPath);
}

void StopListeningForWindow(HWND hWnd) { s_listener.Remove(hWnd); }

HWND FindRemoteWindow(const std::string& strClass, const std::string& strTitle)
{
    const std::string strPath = GetRendezvousPath(strClass, strTitle);
    const int fd = strPath.empty() ? -1 : Connect(strPath);
    if (fd < 0)
        return nullptr;
    ::close(fd);
    std::lock_guard lock(s_remoteMutex);
    auto it = std::find(s_aRemotePaths.begin(), s_aRemotePaths.end(), strPath);
    if (it == s_aRemotePaths.end())
        it = s_aRemotePaths.insert(s_aRemotePaths.end(), strPath);
    return reinterpret_cast<HWND>(REMOTE_BIT | static_cast<std::uintptr_t>(it - s_aRemotePaths.begin()));
}

bool IsRemoteWindow(HWND hWnd) { return (reinterpret_cast<std::uintptr_t>(hWnd) & REMOTE_BIT) != 0; }

bool IsRemoteWindowAlive(HWND hWnd)
{
    const std::string strPath = RemotePath(hWnd);
    const int fd = strPath.empty() ? -1 : Connect(strPath);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

BOOL RaiseRemoteWindow(HWND hWnd) { return Request(hWnd, REQUEST_RAISE); }

BOOL CloseRemoteWindow(HWND hWnd) { return Request(hWnd, REQUEST_CLOSE); }
