#include "foundation/LoadImage.h"

#include "foundation/BmpFile.h"
#include "foundation/ResourceBitmaps.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr std::size_t BMP_FILE_HEADER_SIZE = 14;

DWORD ReadU32(const BYTE* p) { return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16) | (DWORD{p[3]} << 24); }

void WriteU32(BYTE* p, DWORD dw)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(dw >> (8 * i));
}

/// A packed bitmap turned into a bitmap file: the 14-byte file header put in front, its pixel
/// offset past the header and the colour table (the reader checks that these are in the data).
std::vector<BYTE> PackedToFile(const BYTE* pData, std::size_t nSize)
{
    std::vector<BYTE> file(BMP_FILE_HEADER_SIZE + nSize);
    std::memcpy(file.data() + BMP_FILE_HEADER_SIZE, pData, nSize);
    DWORD dwHeaderSize = 0, dwColours = 0;
    WORD nBits = 0;
    if (nSize >= BITMAPINFOHEADER_SIZE)
    {
        dwHeaderSize = ReadU32(pData);
        nBits = static_cast<WORD>(pData[14] | (pData[15] << 8));
        dwColours = ReadU32(pData + 32);
        if (dwColours == 0 && nBits <= 8)
            dwColours = 1u << nBits;
        if (ReadU32(pData + 16) == BI_BITFIELDS)
            dwColours = 3;
    }
    file[0] = 'B';
    file[1] = 'M';
    WriteU32(&file[2], static_cast<DWORD>(file.size()));
    WriteU32(&file[10], static_cast<DWORD>(BMP_FILE_HEADER_SIZE + dwHeaderSize + std::min<DWORD>(dwColours, 256) * 4));
    return file;
}

HBITMAP FromRgb(const std::vector<BYTE>& rgb, UINT nWidth, UINT nHeight, const CBmpFile& reader, LPCSTR szName)
{
    if (rgb.empty())
    {
        OutputDebugString(("LoadImage: " + std::string(szName) + ": " + reader.GetErrorText().Str() + "\n").c_str());
        return nullptr;
    }
    return CreateBitmapFromRgb(rgb.data(), nWidth, nHeight);
}
} // namespace

HBITMAP LoadImage(HINSTANCE hInstance, LPCSTR szName, UINT uType, int cx, int cy, UINT fuLoad)
{
    if (szName == nullptr || uType != IMAGE_BITMAP || cx != 0 || cy != 0)
        return nullptr;
    CBmpFile reader;
    UINT nWidth = 0, nHeight = 0;
    if (fuLoad & LR_LOADFROMFILE)
    {
        const std::vector<BYTE> rgb = reader.ReadBmpFile(szName, nWidth, nHeight);
        return FromRgb(rgb, nWidth, nHeight, reader, szName);
    }
    const HRSRC hRes = FindResource(hInstance, szName, RT_BITMAP);
    const auto* pData =
        hRes != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(hInstance, hRes))) : nullptr;
    if (pData == nullptr)
        return nullptr;
    const std::size_t nSize = SizeofResource(hInstance, hRes);
    const bool bWholeFile = nSize >= 2 && pData[0] == 'B' && pData[1] == 'M';
    const std::vector<BYTE> file = bWholeFile ? std::vector<BYTE>(pData, pData + nSize) : PackedToFile(pData, nSize);
    const std::vector<BYTE> rgb = reader.ReadBmpMemory(file, nWidth, nHeight);
    return FromRgb(rgb, nWidth, nHeight, reader, IS_INTRESOURCE(szName) ? "#id" : szName);
}
