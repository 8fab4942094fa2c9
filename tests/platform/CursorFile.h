// A .cur file of one 32-bit picture, written as the art pipeline writes the game's cursors.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>
#include <string>

/// nSize x nSize pixels (0xAARRGGBB from colour(x, y), top row first) with the hot spot.
inline std::string MakeCursorFile(int nSize, int nHotX, int nHotY, const std::function<DWORD(int, int)>& colour)
{
    std::string s;
    const auto u8 = [&](unsigned n) { s.push_back(static_cast<char>(n & 0xFF)); };
    const auto u16 = [&](unsigned n) { u8(n), u8(n >> 8); };
    const auto u32 = [&](unsigned n) { u16(n & 0xFFFF), u16(n >> 16); };
    const auto nBody = static_cast<unsigned>(40 + nSize * nSize * 4 + nSize * nSize / 8);
    u16(0), u16(2), u16(1);
    u8(static_cast<unsigned>(nSize)), u8(static_cast<unsigned>(nSize)), u8(0), u8(0);
    u16(static_cast<unsigned>(nHotX)), u16(static_cast<unsigned>(nHotY)), u32(nBody), u32(22);
    u32(40), u32(static_cast<unsigned>(nSize)), u32(static_cast<unsigned>(2 * nSize)), u16(1), u16(32);
    for (int i = 0; i < 6; ++i)
        u32(0);
    for (int y = nSize - 1; y >= 0; --y)
        for (int x = 0; x < nSize; ++x)
            u32(colour(x, y));
    s.append(static_cast<std::size_t>(nSize * nSize / 8), '\0');
    return s;
}
