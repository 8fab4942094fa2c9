// The real program on the game's own libraries in its direct-aim game, which aims from its first
// frame under a camera that stands still, in a window of the frame's size; and the frames its
// input script writes, read back.
#pragma once

#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

#include "foundation/PngLoader.h"
#include "platform/win32/Profile.h"

#include <string>
#include <utility>
#include <vector>

/// A frame as the window showed it: rows top first, each pixel red << 24 | green << 16 | blue << 8.
struct SShownFrame
{
    std::vector<DWORD> aPixels;
    UINT nWidth = 0, nHeight = 0;
};

/// Channel c (0 red, 1 green, 2 blue) of a pixel.
inline int PixelChannel(DWORD dwPixel, int c) { return static_cast<int>((dwPixel >> (24 - 8 * c)) & 0xFF); }
inline bool IsBlack(DWORD dwPixel) { return (dwPixel & 0xFFFFFF00u) == 0; }

/// The still game's settings, with the keys given, in the run's settings file.
inline void WriteStillGameSettings(const CProgramRun& run,
                                   const std::vector<std::pair<const char*, std::string>>& aKeys = {})
{
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "GameType", "32", strIni.c_str());
    WritePrivateProfileString("Settings", "FullScreen", "0", strIni.c_str());
    for (const auto& [szKey, strValue] : aKeys)
        WritePrivateProfileString("Settings", szKey, strValue.c_str(), strIni.c_str());
}

/// A frame the script wrote; empty when it cannot be read.
inline SShownFrame ReadShownFrame(const std::string& strPng)
{
    SShownFrame frame;
    BYTE bAlpha = 0;
    if (!LoadPngImage(strPng.c_str(), 0, frame.aPixels, frame.nWidth, frame.nHeight, bAlpha))
        frame = SShownFrame{};
    return frame;
}
