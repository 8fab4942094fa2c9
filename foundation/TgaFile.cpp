#include "foundation/TgaFile.h"

#include "platform/win32/ByteStream.h"

#include <algorithm>

namespace
{
constexpr BYTE TGA_TYPE_TRUE_COLOUR = 2;
constexpr BYTE TGA_TYPE_RLE_TRUE_COLOUR = 10;
constexpr BYTE TGA_ORIGIN_TOP = 0x20;
constexpr BYTE TGA_RLE_REPEAT = 0x80;

struct STgaHeader
{
    BYTE nIdLength = 0;
    BYTE nColourMapType = 0;
    BYTE nImageType = 0;
    WORD nWidth = 0;
    WORD nHeight = 0;
    BYTE nBits = 0;
    BYTE nDescriptor = 0;
};

bool ReadHeader(CByteReader& rd, STgaHeader& hdr)
{
    WORD nSkip16 = 0;
    BYTE nSkip8 = 0;
    // Colour-map fields (first entry, length, entry size) and the origin are not used.
    return rd.ReadU8(hdr.nIdLength) && rd.ReadU8(hdr.nColourMapType) && rd.ReadU8(hdr.nImageType) &&
           rd.ReadU16LE(nSkip16) && rd.ReadU16LE(nSkip16) && rd.ReadU8(nSkip8) && rd.ReadU16LE(nSkip16) &&
           rd.ReadU16LE(nSkip16) && rd.ReadU16LE(hdr.nWidth) && rd.ReadU16LE(hdr.nHeight) && rd.ReadU8(hdr.nBits) &&
           rd.ReadU8(hdr.nDescriptor);
}

const char* CheckHeader(const STgaHeader& hdr)
{
    if (hdr.nImageType != TGA_TYPE_TRUE_COLOUR && hdr.nImageType != TGA_TYPE_RLE_TRUE_COLOUR)
        return "only true-colour TGA images (types 2 and 10) are read";
    if (hdr.nColourMapType != 0)
        return "TGA with a colour map";
    if (hdr.nBits != 24 && hdr.nBits != 32)
        return "TGA of other than 24 or 32 bits per pixel";
    if (hdr.nWidth == 0 || hdr.nHeight == 0 || hdr.nWidth > TGA_MAX_SIDE || hdr.nHeight > TGA_MAX_SIDE)
        return "TGA size out of range";
    return nullptr;
}

bool ReadPixel(CByteReader& rd, int nBytes, DWORD& dwPixel)
{
    BYTE b = 0, g = 0, r = 0, a = 255;
    if (!rd.ReadU8(b) || !rd.ReadU8(g) || !rd.ReadU8(r) || (nBytes == 4 && !rd.ReadU8(a)))
        return false;
    dwPixel = (DWORD{r} << 24) | (DWORD{g} << 16) | (DWORD{b} << 8) | a;
    return true;
}

/// Pixels in file order; false when the data ends early.
bool ReadPixels(CByteReader& rd, const STgaHeader& hdr, std::vector<DWORD>& aOut)
{
    const int nBytes = hdr.nBits / 8;
    const std::size_t nCount = aOut.size();
    if (hdr.nImageType == TGA_TYPE_TRUE_COLOUR)
    {
        for (DWORD& dw : aOut)
            if (!ReadPixel(rd, nBytes, dw))
                return false;
        return true;
    }
    for (std::size_t i = 0; i < nCount;)
    {
        BYTE nPacket = 0;
        if (!rd.ReadU8(nPacket))
            return false;
        const std::size_t nRun = (nPacket & 0x7Fu) + 1;
        if (nRun > nCount - i) // a run past the image's end
            return false;
        if (nPacket & TGA_RLE_REPEAT)
        {
            DWORD dw = 0;
            if (!ReadPixel(rd, nBytes, dw))
                return false;
            std::fill_n(aOut.begin() + static_cast<std::ptrdiff_t>(i), nRun, dw);
        }
        else
        {
            for (std::size_t k = 0; k < nRun; ++k)
                if (!ReadPixel(rd, nBytes, aOut[i + k]))
                    return false;
        }
        i += nRun;
    }
    return true;
}
} // namespace

bool ReadTga(std::span<const BYTE> file, STgaImage& image, std::string& strError)
{
    image = STgaImage();
    CByteReader rd(file);
    STgaHeader hdr;
    if (!ReadHeader(rd, hdr))
    {
        strError = "TGA shorter than its header";
        return false;
    }
    if (const char* szError = CheckHeader(hdr))
    {
        strError = szError;
        return false;
    }
    const std::size_t nCount = std::size_t{hdr.nWidth} * hdr.nHeight;
    // An uncompressed image must be whole in the file before anything is allocated; a run-length
    // one needs at least a packet byte and a pixel per 128 pixels.
    const std::size_t nMinBytes =
        hdr.nImageType == TGA_TYPE_TRUE_COLOUR ? nCount * (hdr.nBits / 8) : (nCount + 127) / 128 * (1 + hdr.nBits / 8);
    if (!rd.Skip(hdr.nIdLength) || rd.Remaining() < nMinBytes)
    {
        strError = "TGA cut short";
        return false;
    }
    std::vector<DWORD> aFile(nCount);
    if (!ReadPixels(rd, hdr, aFile))
    {
        strError = "TGA pixel data cut short or a run past the image";
        return false;
    }
    image.dwWidth = hdr.nWidth;
    image.dwHeight = hdr.nHeight;
    image.aPixels.resize(nCount);
    const bool bTopFirst = (hdr.nDescriptor & TGA_ORIGIN_TOP) != 0;
    for (std::size_t y = 0; y < hdr.nHeight; ++y)
    {
        const std::size_t nSrcRow = bTopFirst ? y : hdr.nHeight - 1 - y;
        std::copy_n(aFile.begin() + static_cast<std::ptrdiff_t>(nSrcRow * hdr.nWidth), hdr.nWidth,
                    image.aPixels.begin() + static_cast<std::ptrdiff_t>(y * hdr.nWidth));
    }
    for (DWORD dw : image.aPixels)
        image.bHasAlpha = image.bHasAlpha || (dw & 0xFF) < 255;
    return true;
}
