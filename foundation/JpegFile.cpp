#include "foundation/JpegFile.h"

#include "foundation/ErrorBox.h"
#include "foundation/ImageLimits.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace
{
// Room taken for the picture before its rows arrive.
constexpr std::size_t INITIAL_PICTURE_BYTES = std::size_t{4} << 20;

// libjpeg's error manager extended by the jump back into the decode and the texts to report.
struct SJpegError
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char szMessage[JMSG_LENGTH_MAX];
};

// One decode's state. It lives in the caller's frame, so everything the decode changes after its
// setjmp is in memory the longjmp does not touch, and no C++ object dies unseen.
struct SJpegDecode
{
    jpeg_decompress_struct cinfo{};
    SJpegError err{};
    std::vector<BYTE> pixels;
    std::vector<BYTE> row;
    UINT nWidth = 0;
    UINT nHeight = 0;
    std::string strError; // shown in the error box when the decode fails
};

// libjpeg's fatal-error exit: keep the message and jump back into Decode.
void OnJpegError(j_common_ptr pInfo)
{
    auto* pErr = reinterpret_cast<SJpegError*>(pInfo->err);
    pInfo->err->format_message(pInfo, pErr->szMessage);
    std::longjmp(pErr->jump, 1);
}

// libjpeg's warnings. Damaged data (a stream that ends early, a bad code, bytes out of place)
// is only a warning to libjpeg, which goes on and fills what it cannot read with grey; here it
// ends the decode, since the picture is damaged, before any more of it is decoded. Warnings
// about headers of a newer or unknown kind leave the pixels intact and are let through.
void OnJpegMessage(j_common_ptr pInfo, int nLevel)
{
    const int nCode = pInfo->err->msg_code;
    if (nLevel < 0 && nCode != JWRN_JFIF_MAJOR && nCode != JWRN_ADOBE_XFORM)
        OnJpegError(pInfo);
}

// Chooses the output form after the header: 3-component pictures as RGB, grey as one sample.
// Other colour spaces (CMYK, YCCK) have no faithful RGB form here and are refused.
bool ChooseOutput(SJpegDecode& d)
{
    switch (d.cinfo.jpeg_color_space)
    {
    case JCS_GRAYSCALE:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        d.cinfo.out_color_space = JCS_RGB;
        break;
    default:
        d.strError = "JpegFile :\nUnsupported colour space";
        return false;
    }
    if (!ImageSizeAllowed(d.cinfo.image_width, d.cinfo.image_height))
    {
        d.strError = "JpegFile :\nPicture too large";
        return false;
    }
    return true;
}

// Appends the decoded row to the picture, grey expanded to r = g = b.
void StoreRow(SJpegDecode& d)
{
    if (d.cinfo.output_components == 3)
    {
        d.pixels.insert(d.pixels.end(), d.row.begin(), d.row.end());
        return;
    }
    for (const BYTE b : d.row)
        d.pixels.insert(d.pixels.end(), 3, b);
}

// The whole decode. It holds the only setjmp: libjpeg's error exit lands here, releases the
// decompressor and leaves; the file (if any) belongs to the caller.
bool Decode(SJpegDecode& d, std::FILE* pFile, const BYTE* pData, std::size_t nSize)
{
    d.cinfo.err = jpeg_std_error(&d.err.mgr);
    d.err.mgr.error_exit = OnJpegError;
    d.err.mgr.emit_message = OnJpegMessage;
    if (setjmp(d.err.jump) != 0)
    {
        jpeg_destroy_decompress(&d.cinfo);
        d.strError = d.err.szMessage;
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    if (pFile != nullptr)
        jpeg_stdio_src(&d.cinfo, pFile);
    else
        jpeg_mem_src(&d.cinfo, pData, static_cast<unsigned long>(nSize));
    jpeg_read_header(&d.cinfo, TRUE);
    if (!ChooseOutput(d))
    {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_start_decompress(&d.cinfo);
    d.nWidth = d.cinfo.output_width;
    d.nHeight = d.cinfo.output_height;
    try
    {
        // The picture grows row by row as it decodes: a small damaged file whose header claims
        // a huge picture fails long before it could fill the memory its size asks for.
        d.pixels.reserve(std::min(static_cast<std::size_t>(d.nWidth) * d.nHeight * 3, INITIAL_PICTURE_BYTES));
        d.row.assign(static_cast<std::size_t>(d.nWidth) * static_cast<std::size_t>(d.cinfo.output_components), 0);
        JSAMPROW pRow = d.row.data();
        while (d.cinfo.output_scanline < d.cinfo.output_height)
        {
            // The stdio and memory sources never suspend, so 0 lines means a broken stream.
            if (jpeg_read_scanlines(&d.cinfo, &pRow, 1) != 1)
                ERREXIT(&d.cinfo, JERR_INPUT_EMPTY);
            StoreRow(d);
        }
    }
    catch (const std::bad_alloc&)
    {
        jpeg_destroy_decompress(&d.cinfo);
        d.strError = "JpegFile :\nOut of memory";
        return false;
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

std::vector<BYTE> Finish(SJpegDecode& d, bool bDecoded, UINT& nWidth, UINT& nHeight)
{
    if (!bDecoded)
    {
        ShowErrorBoxText(d.strError.c_str());
        return {};
    }
    nWidth = d.nWidth;
    nHeight = d.nHeight;
    return std::move(d.pixels);
}
} // namespace

std::vector<BYTE> JpegFile::Read(LPCSTR szPath, UINT& nWidth, UINT& nHeight)
{
    nWidth = nHeight = 0;
    if (szPath == nullptr)
        return {};
    std::FILE* pFile = OpenRegularFile(ResolvePath(szPath));
    if (pFile == nullptr)
        return {};
    SJpegDecode d;
    const bool bDecoded = Decode(d, pFile, nullptr, 0);
    std::fclose(pFile);
    return Finish(d, bDecoded, nWidth, nHeight);
}

std::vector<BYTE> JpegFile::ReadMemory(const BYTE* pData, std::size_t nSize, UINT& nWidth, UINT& nHeight)
{
    nWidth = nHeight = 0;
    SJpegDecode d;
    const bool bDecoded = Decode(d, nullptr, pData, nSize);
    return Finish(d, bDecoded, nWidth, nHeight);
}

void JpegFile::SwapRedBlue(BYTE* pBuffer, UINT nWidth, UINT nHeight)
{
    if (pBuffer == nullptr)
        return;
    const std::size_t nPixels = static_cast<std::size_t>(nWidth) * nHeight;
    for (std::size_t i = 0; i < nPixels; ++i)
        std::swap(pBuffer[i * 3], pBuffer[i * 3 + 2]);
}

std::vector<BYTE> JpegFile::MakeDwordAlignedBuffer(const BYTE* pBuffer, UINT nWidth, UINT nHeight, UINT& nRowSize)
{
    if (pBuffer == nullptr)
        return {};
    // ((width x 24 + 31) >> 3) & ~3, in 64 bits so a wide picture cannot overflow it.
    const std::size_t nPadded = ((std::size_t{nWidth} * 24 + 31) >> 3) & ~std::size_t{3};
    const std::size_t nPacked = std::size_t{nWidth} * 3;
    std::vector<BYTE> padded(nPadded * nHeight, 0);
    for (std::size_t y = 0; y < nHeight; ++y)
        std::memcpy(padded.data() + y * nPadded, pBuffer + y * nPacked, nPacked);
    nRowSize = static_cast<UINT>(nPadded);
    return padded;
}

BOOL JpegFile::FlipImageVertically(BYTE* pBuffer, UINT nRowSize, UINT nRows)
{
    if (pBuffer == nullptr)
        return FALSE;
    for (UINT nTop = 0, nBottom = nRows; nTop + 1 < nBottom; ++nTop, --nBottom)
        std::swap_ranges(pBuffer + std::size_t{nTop} * nRowSize, pBuffer + (std::size_t{nTop} + 1) * nRowSize,
                         pBuffer + (std::size_t{nBottom} - 1) * nRowSize);
    return TRUE;
}
