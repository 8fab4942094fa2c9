// PNG pictures decoded into 32-bit words for the texture manager.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <vector>

/// Decodes a PNG into width x height words, rows top first, each word red << 24 | green << 16 |
/// blue << 8 | alpha. With nDataSize 0, pSource is a file path (Windows text); otherwise it is
/// the start of nDataSize bytes of PNG data, never read past their end. Every colour type and
/// bit depth comes back in this form: palettes and grey expanded, 16-bit channels cut to 8,
/// alpha 255 where the picture has none. bHasAlpha is 1 when the picture carried transparency
/// (an alpha channel or a transparency chunk). Returns 1 on success; on failure 0, with the
/// buffer empty and the reason in the debug log.
BOOL LoadPngImage(const void* pSource, std::size_t nDataSize, std::vector<DWORD>& buffer, UINT& nWidth, UINT& nHeight,
                  BYTE& bHasAlpha);
