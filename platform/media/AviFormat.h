// The AVI file layout the game's clips use, and the field readers and writers of its headers.
//
//   RIFF "AVI "
//     LIST "hdrl"
//       "avih"  main header (56 bytes)
//       LIST "strl"  one per stream
//         "strh"  stream header (56 bytes): type "vids" for video, scale, rate, start, length
//         "strf"  the video format: a BITMAPINFOHEADER (40 bytes)
//     LIST "movi"
//       "00db" / "00dc"  one frame of stream 00 (rows bottom-up, each padded to 4 bytes);
//                        LIST "rec " groups may hold them
//     "idx1"  optional index (16 bytes per chunk)
//
// All numbers are little-endian; every chunk's body is padded to an even size.
#pragma once

#include "platform/win32/ByteStream.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"

constexpr DWORD MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<BYTE>(a)) | static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
           static_cast<DWORD>(static_cast<BYTE>(c)) << 16 | static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}

inline constexpr DWORD FOURCC_RIFF = MakeFourCC('R', 'I', 'F', 'F');
inline constexpr DWORD FOURCC_LIST = MakeFourCC('L', 'I', 'S', 'T');
inline constexpr DWORD FOURCC_AVI = MakeFourCC('A', 'V', 'I', ' ');
inline constexpr DWORD FOURCC_HDRL = MakeFourCC('h', 'd', 'r', 'l');
inline constexpr DWORD FOURCC_AVIH = MakeFourCC('a', 'v', 'i', 'h');
inline constexpr DWORD FOURCC_STRL = MakeFourCC('s', 't', 'r', 'l');
inline constexpr DWORD FOURCC_STRH = MakeFourCC('s', 't', 'r', 'h');
inline constexpr DWORD FOURCC_STRF = MakeFourCC('s', 't', 'r', 'f');
inline constexpr DWORD FOURCC_MOVI = MakeFourCC('m', 'o', 'v', 'i');
inline constexpr DWORD FOURCC_REC = MakeFourCC('r', 'e', 'c', ' ');
inline constexpr DWORD FOURCC_IDX1 = MakeFourCC('i', 'd', 'x', '1');
/// The stream type of video: streamtypeVIDEO.
inline constexpr DWORD streamtypeVIDEO = MakeFourCC('v', 'i', 'd', 's');

inline constexpr std::size_t AVI_MAIN_HEADER_SIZE = 14 * 4;
inline constexpr std::size_t AVI_STREAM_HEADER_SIZE = 4 + 4 + 4 + 2 + 2 + 8 * 4 + 4 * 2;
static_assert(AVI_STREAM_HEADER_SIZE == 56);
inline constexpr std::size_t AVI_INDEX_ENTRY_SIZE = 16;
/// The RIFF chunk header: id and size.
inline constexpr std::size_t RIFF_CHUNK_HEADER_SIZE = 8;
inline constexpr DWORD AVIF_HASINDEX = 0x10;
inline constexpr DWORD AVIIF_KEYFRAME = 0x10;
inline constexpr DWORD BI_RGB_FORMAT = 0;

struct SAviMainHeader
{
    DWORD dwMicroSecPerFrame = 0;
    DWORD dwMaxBytesPerSec = 0;
    DWORD dwPaddingGranularity = 0;
    DWORD dwFlags = 0;
    DWORD dwTotalFrames = 0;
    DWORD dwInitialFrames = 0;
    DWORD dwStreams = 0;
    DWORD dwSuggestedBufferSize = 0;
    DWORD dwWidth = 0;
    DWORD dwHeight = 0;
};

struct SAviStreamHeader
{
    DWORD fccType = 0;
    DWORD fccHandler = 0;
    DWORD dwFlags = 0;
    WORD wPriority = 0;
    WORD wLanguage = 0;
    DWORD dwInitialFrames = 0;
    DWORD dwScale = 0;
    DWORD dwRate = 0;
    DWORD dwStart = 0;
    DWORD dwLength = 0;
    DWORD dwSuggestedBufferSize = 0;
    DWORD dwQuality = 0;
    DWORD dwSampleSize = 0;
    short rcFrame[4] = {};
};

// Mirrored readers and writers of each header's body (without the chunk header).
bool ReadAviMainHeader(CByteReader& rd, SAviMainHeader& hdr);
void WriteAviMainHeader(CByteWriter& wr, const SAviMainHeader& hdr);
bool ReadAviStreamHeader(CByteReader& rd, SAviStreamHeader& hdr);
void WriteAviStreamHeader(CByteWriter& wr, const SAviStreamHeader& hdr);
bool ReadBitmapInfoHeader(CByteReader& rd, BITMAPINFOHEADER& hdr);
void WriteBitmapInfoHeader(CByteWriter& wr, const BITMAPINFOHEADER& hdr);

/// Bytes of one row of a bottom-up DIB: padded to a multiple of 4.
inline DWORD DibStride(LONG nWidth, WORD nBitCount) { return ((static_cast<DWORD>(nWidth) * nBitCount + 31) / 32) * 4; }
