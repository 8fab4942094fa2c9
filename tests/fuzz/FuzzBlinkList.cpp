// The intro's blink list ("Blink lamp") of any text. Properties: every interval read lies between
// 0 and 60000 ms; the blinking lamp flips once per interval and its timer runs out.
#include "tests/fuzz/FuzzTarget.h"

#include "app/StartupFiles.h"
#include "foundation/Folders.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"
#include "ui/IntroSequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string text = FuzzText(pData, nSize);
    const std::vector<DWORD> adwIntervals = ParseBlinkIntervals(CString(text.substr(0, text.find('\0'))));
    for (DWORD dw : adwIntervals)
        FuzzCheck(dw <= 60000, "an interval longer than a minute");
    CBlinkTimer timer;
    timer.SetIntervals(adwIntervals);
    std::size_t nFlips = 0;
    BOOL bOn = timer.IsOn();
    // Frames of a minute each: every interval ends within one.
    for (std::size_t nFrame = 0; nFrame <= adwIntervals.size() + 1 && !timer.Step(60000); ++nFrame)
    {
        nFlips += timer.IsOn() != bOn ? 1 : 0;
        bOn = timer.IsOn();
    }
    FuzzCheck(timer.Step(0), "the blink timer does not run out");
    FuzzCheck(nFlips == adwIntervals.size(), "the lamp does not flip once per interval");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    // The list start-up writes into a fresh program ini.
    OverrideProgramFilePath(FuzzFolder() + "Vorn");
    FindDataFolder();
    InitIniFilePath();
    WriteArtworkDefaults();
    char szList[256] = {};
    GetPrivateProfileString("Intro", "Blink lamp", "", szList, sizeof szList, GetIniFilePath());
    FuzzCheck(szList[0] != '\0', "start-up writes no blink list");
    return {FuzzBytes(szList), FuzzBytes("0;1, 60000 ,\t 2"), FuzzBytes("  ")};
}
