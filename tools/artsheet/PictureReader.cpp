#include "tools/artsheet/PictureReader.h"

#include "foundation/BallTextureData.h"
#include "foundation/BmpFile.h"
#include "foundation/JpegFile.h"
#include "foundation/PngLoader.h"
#include "platform/win32/ByteStream.h"
#include "tools/art/ImageFiles.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string Extension(const std::string& strPath)
{
    std::string strExt = strPath.substr(strPath.find_last_of('.') + 1);
    std::transform(strExt.begin(), strExt.end(), strExt.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return strExt;
}

CArtImage FromRgb(const std::vector<BYTE>& rgb, UINT nWidth, UINT nHeight)
{
    CArtImage image(static_cast<int>(nWidth), static_cast<int>(nHeight));
    for (UINT y = 0; y < nHeight; ++y)
        for (UINT x = 0; x < nWidth; ++x)
        {
            const BYTE* p = &rgb[(std::size_t{y} * nWidth + x) * 3];
            image.At(static_cast<int>(x), static_cast<int>(y)) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1.0f};
        }
    return image;
}

/// The art build's own TGA form only (type 2, 32 bits, bottom-up): the game's reader belongs to
/// its texture manager.
std::optional<CArtImage> ReadArtTga(const std::vector<BYTE>& bytes)
{
    CByteReader rd(bytes);
    BYTE nIdLength = 0, nMapType = 0, nType = 0, nBits = 0, nDescriptor = 0;
    WORD nWidth = 0, nHeight = 0;
    if (!rd.ReadU8(nIdLength) || !rd.ReadU8(nMapType) || !rd.ReadU8(nType) || !rd.Skip(9) || !rd.ReadU16LE(nWidth) ||
        !rd.ReadU16LE(nHeight) || !rd.ReadU8(nBits) || !rd.ReadU8(nDescriptor) || !rd.Skip(nIdLength) ||
        nType != TGA_TYPE_TRUE_COLOUR || nMapType != 0 || nBits != 32 || (nDescriptor & 0x30) != 0 ||
        rd.Remaining() < std::size_t{nWidth} * nHeight * 4)
        return std::nullopt;
    CArtImage image(nWidth, nHeight);
    for (int y = nHeight - 1; y >= 0; --y)
        for (int x = 0; x < nWidth; ++x)
        {
            BYTE b = 0, g = 0, r = 0, a = 0;
            rd.ReadU8(b);
            rd.ReadU8(g);
            rd.ReadU8(r);
            rd.ReadU8(a);
            image.At(x, y) = {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
        }
    return image;
}
/// A ball set's number discs (its largest images through its palette), four rows of four.
std::optional<CArtImage> BallDiscsPicture(const std::vector<BYTE>& bytes)
{
    SBallTextureSet set;
    std::string strError;
    if (!ReadBallTextures(bytes, set, strError))
        return std::nullopt;
    const UINT nSide = set.balls[0].levels[0].nSide;
    CArtImage image(static_cast<int>(nSide * 4), static_cast<int>(nSide * 4));
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
    {
        const SBallDisc& disc = set.balls[b].levels[0];
        for (UINT y = 0; y < disc.nSide && y < nSide; ++y)
            for (UINT x = 0; x < disc.nSide && x < nSide; ++x)
            {
                const DWORD c = set.palette[disc.texels[y * disc.nSide + x]];
                image.At(static_cast<int>((b % 4) * nSide + x), static_cast<int>((b / 4) * nSide + y)) =
                    SArtColor::Hex(c);
            }
    }
    return image;
}
} // namespace

std::optional<CArtImage> ReadPicture(const std::string& strPath)
{
    const std::string strExt = Extension(strPath);
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(strPath, bytes))
        return std::nullopt;
    UINT nWidth = 0, nHeight = 0;
    if (strExt == "jpg")
    {
        const std::vector<BYTE> rgb = JpegFile::ReadMemory(bytes.data(), bytes.size(), nWidth, nHeight);
        return rgb.empty() ? std::nullopt : std::optional(FromRgb(rgb, nWidth, nHeight));
    }
    if (strExt == "bmp")
    {
        CBmpFile reader;
        const std::vector<BYTE> rgb = reader.ReadBmpFile(strPath.c_str(), nWidth, nHeight);
        return rgb.empty() ? std::nullopt : std::optional(FromRgb(rgb, nWidth, nHeight));
    }
    if (strExt == "png")
    {
        std::vector<DWORD> words;
        BYTE bAlpha = 0;
        if (!LoadPngImage(bytes.data(), bytes.size(), words, nWidth, nHeight, bAlpha))
            return std::nullopt;
        CArtImage image(static_cast<int>(nWidth), static_cast<int>(nHeight));
        for (std::size_t i = 0; i < words.size(); ++i)
        {
            const DWORD w = words[i];
            image.At(static_cast<int>(i % nWidth), static_cast<int>(i / nWidth)) = {
                (w >> 24) / 255.0f, ((w >> 16) & 0xFF) / 255.0f, ((w >> 8) & 0xFF) / 255.0f, (w & 0xFF) / 255.0f};
        }
        return image;
    }
    if (strExt == "tga")
        return ReadArtTga(bytes);
    if (strExt == "tex")
        return BallDiscsPicture(bytes);
    return std::nullopt;
}
