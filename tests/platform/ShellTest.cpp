// Opening files and addresses: the opener gets the target as its one argument, no shell reads it,
// nothing is started without a display, and the browser's name stands for its address.
#include "platform/win32/Shell.h"

#include "EnvScope.h"
#include "TempFolder.h"
#include "fixtures/WaitFor.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
/// A recorder that appends its arguments, one a line, to the file beside it.
std::string WriteRecorder(const CTempFolder& folder)
{
    const std::string strScript = folder.File("recorder.sh");
    folder.Write("recorder.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" +
                                    folder.File("opened.txt") + "\"; done\n");
    std::filesystem::permissions(strScript, std::filesystem::perms::owner_all);
    return strScript;
}

/// What the recorder wrote once it has written nLines lines (waiting for it).
std::string Recorded(const CTempFolder& folder, int nLines)
{
    std::string strText;
    const bool bWritten = WaitFor(
        [&]
        {
            strText = std::filesystem::exists(folder.File("opened.txt")) ? folder.Read("opened.txt") : std::string();
            return std::count(strText.begin(), strText.end(), '\n') >= nLines;
        });
    return bWritten ? strText : "(nothing recorded)";
}

std::intptr_t Result(HINSTANCE h) { return reinterpret_cast<std::intptr_t>(h); }

TEST(ShellTest, TheTargetReachesTheOpenerAsOneArgumentUntouched)
{
    CTempFolder folder;
    CEnvScope opener("VORN_OPENER", WriteRecorder(folder).c_str());
    const int nBefore = GetOpenerStartCount();
    const char* szHostile = "https://example.invalid/a b;touch pwned$(id)`x`&c=1";
    EXPECT_GT(Result(ShellExecute(nullptr, "open", szHostile, nullptr, nullptr, SW_SHOWNORMAL)), 32);
    EXPECT_EQ(std::string(szHostile) + "\n", Recorded(folder, 1));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "pwned")) << "no shell read the text";

    EXPECT_GT(Result(ShellExecute(nullptr, nullptr, "C:\\Program Files\\IEXPLORE.EXE", "http://vorn.invalid/", nullptr,
                                  SW_SHOWNORMAL)),
              32);
    EXPECT_EQ(std::string(szHostile) + "\nhttp://vorn.invalid/\n", Recorded(folder, 2))
        << "the browser's name stands for its address";
    EXPECT_EQ(nBefore + 2, GetOpenerStartCount());
}

TEST(ShellTest, NothingIsStartedWithoutATargetADisplayOrAnOpener)
{
    CTempFolder folder;
    struct SCase
    {
        const char* szName;
        const char* szOpener;
        const char* szDriver;
        const char* szDisplay;
        const char* szFile;
        std::intptr_t nExpected;
    };
    const std::string strMissing = folder.File("no-such-opener");
    const SCase aCases[] = {
        {"empty target", nullptr, nullptr, ":0", "", SE_ERR_FNF},
        {"browser without an address", nullptr, nullptr, ":0", "iexplore.exe", SE_ERR_FNF},
        {"headless driver", nullptr, "dummy", ":0", "http://vorn.invalid/", SE_ERR_NOASSOC},
        {"no display", nullptr, nullptr, nullptr, "http://vorn.invalid/", SE_ERR_NOASSOC},
        {"opener missing", strMissing.c_str(), nullptr, ":0", "http://vorn.invalid/", SE_ERR_NOASSOC},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CEnvScope opener("VORN_OPENER", c.szOpener);
        CEnvScope driver("SDL_VIDEODRIVER", c.szDriver);
        CEnvScope display("DISPLAY", c.szDisplay);
        CEnvScope wayland("WAYLAND_DISPLAY", nullptr);
        const int nBefore = GetOpenerStartCount();
        EXPECT_EQ(c.nExpected, Result(ShellExecute(nullptr, "open", c.szFile, nullptr, nullptr, SW_SHOWNORMAL)));
        EXPECT_EQ(nBefore, GetOpenerStartCount());
    }
}
} // namespace
