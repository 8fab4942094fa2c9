// Writes uncompressed AVI clips (one video stream of 16-bit 5-5-5 or 24-bit frames) for the
// game's animated textures and for the tests of the clip reader.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

struct SAviClipDesc
{
    LONG nWidth = 1;
    LONG nHeight = 1;
    WORD nBitCount = 24; ///< 16 (5-5-5) or 24 (B, G, R)
    DWORD dwScale = 1;   ///< frames per second = rate / scale
    DWORD dwRate = 15;
    DWORD dwStart = 0;
    bool bIndex = true; ///< write the "idx1" index
    /// Each frame's pixels: rows bottom-up, each padded to 4 bytes (DibStride).
    std::vector<std::vector<BYTE>> frames;
};

std::vector<BYTE> BuildAviClip(const SAviClipDesc& desc);
bool WriteAviClip(const std::string& strPath, const SAviClipDesc& desc, std::string& strError);

/// A test picture for frame n: colour ramps across and down that move with n, so every frame
/// and every row differs; pixels at the DIB stride, bottom-up.
std::vector<BYTE> PatternFrame(LONG nWidth, LONG nHeight, WORD nBitCount, int n);
