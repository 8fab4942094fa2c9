#include "foundation/BmpFile.h"

#include "foundation/ImageLimits.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/Paths.h"

#include <array>
#include <bit>
#include <cstdint>
#include <new>

namespace
{
constexpr DWORD FILE_HEADER_SIZE = 2 + 4 + 2 + 2 + 4;
static_assert(FILE_HEADER_SIZE == 14);
constexpr DWORD MASKS_SIZE = 3 * 4; // red, green and blue masks after a 40-byte header

// Error texts of the reader.
constexpr const char* ERR_OPEN = "Can't open file for reading :\n";
constexpr const char* ERR_READ = "Read Error!";
constexpr const char* ERR_ROW_READ = "Read Error"; // the rows of pixels end early
constexpr const char* ERR_SIGNATURE = "Not a valid BMP File";
constexpr const char* ERR_COMPRESSED = "This is a compressed file.";
constexpr const char* ERR_PALETTE = "Corrupt palette";
constexpr const char* ERR_ALLOC = "Memory alloc Failed";
constexpr const char* ERR_DEPTH = "Unsupported bit depth";
constexpr const char* ERR_SIZE = "Invalid image size";

struct SBmpHeader
{
    DWORD nFileSize = 0;
    DWORD nPixelOffset = 0;
    BITMAPINFOHEADER info;
    std::array<DWORD, 3> adwMasks{}; // red, green, blue for 16 and 32 bits
};

// One colour channel of a 16- or 32-bit pixel: where it sits and how large it gets.
struct SChannel
{
    int nShift = 0;
    DWORD dwMax = 0;

    explicit SChannel(DWORD dwMask)
        : nShift(dwMask != 0 ? std::countr_zero(dwMask) : 0), dwMax(dwMask != 0 ? dwMask >> nShift : 0)
    {
    }
    // The channel scaled to 0..255 (a 5-bit 31 becomes 255).
    BYTE Extract(DWORD dwPixel) const
    {
        if (dwMax == 0)
            return 0;
        const std::uint64_t nValue = (dwPixel >> nShift) & dwMax;
        return static_cast<BYTE>((nValue * 255 + dwMax / 2) / dwMax);
    }
};

bool ReadInfoHeader(CByteReader& rd, BITMAPINFOHEADER& info)
{
    return rd.ReadU32LE(info.biSize) && rd.ReadS32LE(info.biWidth) && rd.ReadS32LE(info.biHeight) &&
           rd.ReadU16LE(info.biPlanes) && rd.ReadU16LE(info.biBitCount) && rd.ReadU32LE(info.biCompression) &&
           rd.ReadU32LE(info.biSizeImage) && rd.ReadS32LE(info.biXPelsPerMeter) && rd.ReadS32LE(info.biYPelsPerMeter) &&
           rd.ReadU32LE(info.biClrUsed) && rd.ReadU32LE(info.biClrImportant);
}

// Signature, file header and information header; the reader ends where the palette starts.
const char* ReadHeaders(CByteReader& rd, SBmpHeader& hdr)
{
    BYTE b = 0;
    BYTE m = 0;
    if (!rd.ReadU8(b) || !rd.ReadU8(m))
        return ERR_READ;
    if (b != 'B' || m != 'M')
        return ERR_SIGNATURE;
    WORD nReserved = 0;
    if (!rd.ReadU32LE(hdr.nFileSize) || !rd.ReadU16LE(nReserved) || !rd.ReadU16LE(nReserved) ||
        !rd.ReadU32LE(hdr.nPixelOffset) || !ReadInfoHeader(rd, hdr.info))
        return ERR_READ;
    // Newer headers (52, 56, 108, 124 bytes) extend the 40-byte one; the 12-byte core header
    // of old files has other fields and is not read.
    if (hdr.info.biSize < BITMAPINFOHEADER_SIZE)
        return ERR_SIGNATURE;
    const DWORD nCompression = hdr.info.biCompression;
    const WORD nBits = hdr.info.biBitCount;
    if (nCompression != BI_RGB && !(nCompression == BI_BITFIELDS && (nBits == 16 || nBits == 32)))
        return ERR_COMPRESSED;
    if (nBits == 16)
        hdr.adwMasks = {0x7C00, 0x03E0, 0x001F};
    else if (nBits == 32)
        hdr.adwMasks = {0xFF0000, 0xFF00, 0xFF};
    // Bit-field masks follow the 40 bytes: inside a newer header, or as three extra words.
    if (nCompression == BI_BITFIELDS &&
        (!rd.ReadU32LE(hdr.adwMasks[0]) || !rd.ReadU32LE(hdr.adwMasks[1]) || !rd.ReadU32LE(hdr.adwMasks[2])))
        return ERR_READ;
    const std::uint64_t nPaletteStart =
        std::uint64_t{FILE_HEADER_SIZE} + hdr.info.biSize +
        (nCompression == BI_BITFIELDS && hdr.info.biSize == BITMAPINFOHEADER_SIZE ? MASKS_SIZE : 0);
    if (nPaletteStart > rd.Size() || !rd.Seek(static_cast<std::size_t>(nPaletteStart)))
        return ERR_READ;
    return nullptr;
}

const char* CheckFormat(const BITMAPINFOHEADER& info)
{
    switch (info.biBitCount)
    {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return ERR_DEPTH;
    }
    const std::int64_t nHeight = info.biHeight;
    if (info.biWidth <= 0 || nHeight == 0 ||
        !ImageSizeAllowed(static_cast<std::uint64_t>(info.biWidth),
                          static_cast<std::uint64_t>(nHeight < 0 ? -nHeight : nHeight)))
        return ERR_SIZE;
    return nullptr;
}

// The palette of 1-, 4- and 8-bit files as red, green, blue triples; "colours used" 0 means all.
const char* ReadPalette(CByteReader& rd, const BITMAPINFOHEADER& info, std::vector<std::array<BYTE, 3>>& palette)
{
    if (info.biBitCount > 8)
        return nullptr;
    const DWORD nMaxColours = DWORD{1} << info.biBitCount;
    const DWORD nColours = info.biClrUsed == 0 ? nMaxColours : info.biClrUsed;
    if (nColours > nMaxColours)
        return ERR_PALETTE;
    palette.resize(nColours);
    for (auto& colour : palette)
    {
        BYTE nReserved = 0;
        if (!rd.ReadU8(colour[2]) || !rd.ReadU8(colour[1]) || !rd.ReadU8(colour[0]) || !rd.ReadU8(nReserved))
            return ERR_READ;
    }
    return nullptr;
}

// One file row into one buffer row (red, green, blue).
const char* DecodeRow(const BYTE* pSource, const SBmpHeader& hdr, const std::vector<std::array<BYTE, 3>>& palette,
                      BYTE* pOut)
{
    const auto nWidth = static_cast<std::size_t>(hdr.info.biWidth);
    const WORD nBits = hdr.info.biBitCount;
    const SChannel red(hdr.adwMasks[0]), green(hdr.adwMasks[1]), blue(hdr.adwMasks[2]);
    for (std::size_t x = 0; x < nWidth; ++x, pOut += 3)
    {
        if (nBits <= 8)
        {
            // Indices are packed from the highest bits of each byte down.
            const std::size_t nBit = x * nBits;
            const unsigned nIndex = (pSource[nBit / 8] >> (8 - nBits - nBit % 8)) & ((1u << nBits) - 1);
            if (nIndex >= palette.size())
                return ERR_PALETTE;
            pOut[0] = palette[nIndex][0];
            pOut[1] = palette[nIndex][1];
            pOut[2] = palette[nIndex][2];
            continue;
        }
        if (nBits == 24)
        {
            pOut[0] = pSource[x * 3 + 2];
            pOut[1] = pSource[x * 3 + 1];
            pOut[2] = pSource[x * 3];
            continue;
        }
        const BYTE* p = pSource + x * (nBits / 8);
        DWORD dwPixel = DWORD{p[0]} | (DWORD{p[1]} << 8);
        if (nBits == 32)
            dwPixel |= (DWORD{p[2]} << 16) | (DWORD{p[3]} << 24);
        pOut[0] = red.Extract(dwPixel);
        pOut[1] = green.Extract(dwPixel);
        pOut[2] = blue.Extract(dwPixel);
    }
    return nullptr;
}

const char* DecodePixels(std::span<const BYTE> data, std::size_t nRowBytes, const SBmpHeader& hdr,
                         const std::vector<std::array<BYTE, 3>>& palette, std::vector<BYTE>& rgb)
{
    const auto nWidth = static_cast<std::size_t>(hdr.info.biWidth);
    const bool bTopDown = hdr.info.biHeight < 0;
    const std::size_t nRows = data.size() / nRowBytes;
    for (std::size_t nRow = 0; nRow < nRows; ++nRow)
    {
        const std::size_t nOutRow = bTopDown ? nRow : nRows - 1 - nRow;
        if (const char* szError = DecodeRow(&data[nRow * nRowBytes], hdr, palette, &rgb[nOutRow * nWidth * 3]))
            return szError;
    }
    return nullptr;
}
} // namespace

std::vector<BYTE> CBmpFile::ReadBmpFile(LPCSTR szPath, UINT& nWidth, UINT& nHeight)
{
    nWidth = nHeight = 0;
    m_strError = "OK";
    m_nBytesRead = 0;
    std::vector<BYTE> file;
    if (szPath == nullptr || !ReadWholeFile(ResolvePath(szPath), file))
    {
        m_strError = CString(ERR_OPEN) + (szPath != nullptr ? szPath : "");
        return {};
    }
    return ReadBmpMemory(file, nWidth, nHeight);
}

std::vector<BYTE> CBmpFile::ReadBmpMemory(std::span<const BYTE> file, UINT& nWidth, UINT& nHeight)
{
    nWidth = nHeight = 0;
    m_strError = "OK";
    m_nBytesRead = 0;
    CByteReader rd(file);
    SBmpHeader hdr;
    std::vector<std::array<BYTE, 3>> palette;
    const char* szError = ReadHeaders(rd, hdr);
    if (szError == nullptr)
        szError = CheckFormat(hdr.info);
    if (szError == nullptr)
        szError = ReadPalette(rd, hdr.info, palette);
    m_nBytesRead = static_cast<DWORD>(rd.Position());
    if (szError == nullptr && m_nBytesRead > hdr.nPixelOffset)
        szError = ERR_PALETTE;
    // Every row the header promises must be in the file before anything is allocated for them.
    const auto nRows = static_cast<std::size_t>(hdr.info.biHeight < 0 ? -std::int64_t{hdr.info.biHeight}
                                                                      : std::int64_t{hdr.info.biHeight});
    const std::size_t nRowBytes = (static_cast<std::size_t>(hdr.info.biWidth) * hdr.info.biBitCount + 31) / 32 * 4;
    if (szError == nullptr && !rd.Seek(hdr.nPixelOffset))
        szError = ERR_READ;
    if (szError == nullptr && rd.Remaining() / nRowBytes < nRows)
        szError = ERR_ROW_READ;
    if (szError != nullptr)
    {
        m_strError = szError;
        return {};
    }
    std::vector<BYTE> rgb;
    try
    {
        rgb.assign(static_cast<std::size_t>(hdr.info.biWidth) * 3 * nRows, 0);
    }
    catch (const std::bad_alloc&)
    {
        m_strError = ERR_ALLOC;
        return {};
    }
    const auto pixelData = std::span<const BYTE>(file).subspan(hdr.nPixelOffset, nRowBytes * nRows);
    if (const char* szRowError = DecodePixels(pixelData, nRowBytes, hdr, palette, rgb))
    {
        m_strError = szRowError;
        return {};
    }
    m_nBytesRead = static_cast<DWORD>(hdr.nPixelOffset + pixelData.size());
    nWidth = static_cast<UINT>(hdr.info.biWidth);
    nHeight = static_cast<UINT>(nRows);
    return rgb;
}
