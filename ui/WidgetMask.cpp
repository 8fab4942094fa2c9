#include "ui/WidgetMask.h"

#include "foundation/LibraryLists.h"
#include "platform/win32/Modules.h"

#include <cstring>

namespace
{
constexpr LONG MAX_MASK_SIDE = 8192;

DWORD ReadU32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD ReadU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
} // namespace

bool ReadMaskBitmap(std::span<const BYTE> bytes, SMaskImage& out)
{
    // A whole file starts with "BM" and a 14-byte header that says where the rows are.
    std::size_t nInfo = 0;
    std::size_t nRows = 0;
    const bool bFile = bytes.size() >= 14 && bytes[0] == 'B' && bytes[1] == 'M';
    if (bFile)
    {
        nInfo = 14;
        nRows = ReadU32(&bytes[10]);
    }
    if (bytes.size() < nInfo + 40)
        return false;
    const BYTE* pInfo = &bytes[nInfo];
    const DWORD nHeaderSize = ReadU32(pInfo);
    const auto nWidth = static_cast<LONG>(ReadU32(pInfo + 4));
    const auto nSignedHeight = static_cast<LONG>(ReadU32(pInfo + 8));
    const WORD nBits = ReadU16(pInfo + 14);
    const DWORD nCompression = ReadU32(pInfo + 16);
    DWORD nColours = ReadU32(pInfo + 32);
    if (nHeaderSize < 40 || nBits != 8 || nCompression != 0 || nWidth <= 0 || nWidth > MAX_MASK_SIDE ||
        nSignedHeight == 0 || nSignedHeight < -MAX_MASK_SIDE || nSignedHeight > MAX_MASK_SIDE || nColours > 256)
        return false;
    if (nColours == 0)
        nColours = 256;
    if (!bFile)
        nRows = nInfo + nHeaderSize + nColours * 4;
    const LONG nHeight = nSignedHeight < 0 ? -nSignedHeight : nSignedHeight;
    const auto nStride = static_cast<std::size_t>((nWidth + 3) & ~3);
    if (nRows > bytes.size() || (bytes.size() - nRows) / nStride < static_cast<std::size_t>(nHeight))
        return false;
    out.nWidth = nWidth;
    out.nHeight = nHeight;
    out.indices.resize(static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight));
    for (LONG y = 0; y < nHeight; ++y)
    {
        // A positive height stores the rows bottom first.
        const LONG nStored = nSignedHeight > 0 ? nHeight - 1 - y : y;
        std::memcpy(&out.indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth)],
                    &bytes[nRows + static_cast<std::size_t>(nStored) * nStride], static_cast<std::size_t>(nWidth));
    }
    return true;
}

bool LoadMaskResource(const CString& strName, SMaskImage& out)
{
    for (const CString& strLib : g_astrArtworkLibraries)
    {
        const HMODULE hModule = LoadLibrary(strLib);
        if (hModule == nullptr)
            continue;
        const HRSRC hRes = FindResource(hModule, strName, RT_BITMAP);
        const auto* p = hRes != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(hModule, hRes))) : nullptr;
        const bool bRead = p != nullptr && ReadMaskBitmap(std::span<const BYTE>(p, SizeofResource(hModule, hRes)), out);
        FreeLibrary(hModule);
        if (bRead)
            return true;
    }
    return false;
}

SMaskImage ScaleMask(const SMaskImage& mask, LONG nWidth, LONG nHeight)
{
    if (nWidth == mask.nWidth && nHeight == mask.nHeight)
        return mask;
    SMaskImage out;
    if (nWidth <= 0 || nHeight <= 0 || mask.nWidth <= 0 || mask.nHeight <= 0)
        return out;
    out.nWidth = nWidth;
    out.nHeight = nHeight;
    out.indices.resize(static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight));
    for (LONG y = 0; y < nHeight; ++y)
    {
        // The source pixel under each target pixel's centre.
        const auto sy = static_cast<LONG>((2 * static_cast<std::int64_t>(y) + 1) * mask.nHeight / (2 * nHeight));
        for (LONG x = 0; x < nWidth; ++x)
        {
            const auto sx = static_cast<LONG>((2 * static_cast<std::int64_t>(x) + 1) * mask.nWidth / (2 * nWidth));
            out.indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth) + static_cast<std::size_t>(x)] =
                mask.At(sx, sy);
        }
    }
    return out;
}

std::array<SMaskBox, MASK_INDEX_LIMIT> ScanMask(const SMaskImage& mask)
{
    std::array<SMaskBox, MASK_INDEX_LIMIT> boxes{};
    for (LONG y = 0; y < mask.nHeight; ++y)
    {
        for (LONG x = 0; x < mask.nWidth; ++x)
        {
            const BYTE v = mask.At(x, y);
            if (v == 0 || v >= MASK_INDEX_LIMIT)
                continue;
            SMaskBox& box = boxes[v];
            if (!box.bTouched)
            {
                box.bTouched = true;
                box.rc.left = x;
                box.rc.top = y;
                continue;
            }
            if (x < box.rc.left)
                box.rc.left = x;
            if (x > box.rc.right)
                box.rc.right = x;
            box.rc.bottom = y;
        }
    }
    return boxes;
}
