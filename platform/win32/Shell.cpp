#include "platform/win32/Shell.h"

#include "platform/win32/ExceptionFilter.h"
#include "platform/win32/Paths.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <strings.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace
{
std::atomic<int> s_nStarted{0};

bool HasDisplay()
{
    const char* szDriver = std::getenv("SDL_VIDEODRIVER");
    if (szDriver != nullptr && std::strcmp(szDriver, "dummy") == 0)
        return false;
    const char* szX = std::getenv("DISPLAY");
    const char* szWayland = std::getenv("WAYLAND_DISPLAY");
    return (szX != nullptr && *szX != '\0') || (szWayland != nullptr && *szWayland != '\0');
}

/// Whether the text names the browser program, in any folder and any case.
bool IsBrowserProgram(const std::string& strFile)
{
    const size_t nCut = strFile.find_last_of("\\/");
    const std::string strName = nCut == std::string::npos ? strFile : strFile.substr(nCut + 1);
    return strcasecmp(strName.c_str(), "iexplore.exe") == 0;
}

/// An address goes to the opener as it is; a Windows path becomes the Linux path of its file.
std::string OpenerArgument(const std::string& strTarget)
{
    const bool bAddress =
        strTarget.find("://") != std::string::npos || strncasecmp(strTarget.c_str(), "mailto:", 7) == 0;
    return bAddress ? strTarget : ResolvePath(strTarget);
}

/// Starts the opener with its one argument and reaps it on a thread of its own; the pid, or 0.
pid_t StartOpener(const char* szOpener, const std::string& strArgument)
{
    std::string strProgram(szOpener);
    std::string strArg(strArgument);
    char* aArgv[] = {strProgram.data(), strArg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, szOpener, nullptr, nullptr, aArgv, environ) != 0)
        return 0;
    // Nobody waits for the opener; this thread only collects its end so that it leaves no zombie.
    StartGuardedThread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return pid;
}
} // namespace

HINSTANCE ShellExecute(HWND, LPCSTR, LPCSTR szFile, LPCSTR szParameters, LPCSTR, int)
{
    const auto Result = [](std::intptr_t n) { return reinterpret_cast<HINSTANCE>(n); };
    const std::string strFile = szFile != nullptr ? szFile : "";
    const std::string strTarget = IsBrowserProgram(strFile) ? (szParameters != nullptr ? szParameters : "") : strFile;
    if (strTarget.empty())
        return Result(SE_ERR_FNF);
    const char* szOpener = std::getenv("VORN_OPENER");
    if (szOpener == nullptr || *szOpener == '\0')
    {
        if (!HasDisplay())
            return Result(SE_ERR_NOASSOC);
        szOpener = "xdg-open";
    }
    const pid_t pid = StartOpener(szOpener, OpenerArgument(strTarget));
    if (pid == 0)
        return Result(SE_ERR_NOASSOC);
    ++s_nStarted;
    return Result(42);
}

int GetOpenerStartCount() { return s_nStarted.load(); }
