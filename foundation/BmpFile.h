// Windows bitmap files read into the same 24-bit RGB buffer the JPEG wrapper produces: width x
// height x 3 bytes, rows packed, top row first, pixels red, green, blue.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <span>
#include <vector>

class CBmpFile
{
public:
    /// Reads an uncompressed bitmap file (Windows path text) of 1, 4, 8, 16, 24 or 32 bits per
    /// pixel, rows stored bottom first or (negative height) top first, with any header from the
    /// 40-byte one on. An empty buffer on failure, the reason in the error text.
    std::vector<BYTE> ReadBmpFile(LPCSTR szPath, UINT& nWidth, UINT& nHeight);
    /// The same for a whole bitmap file held in memory.
    std::vector<BYTE> ReadBmpMemory(std::span<const BYTE> file, UINT& nWidth, UINT& nHeight);

    /// "OK", or why the last read failed.
    const CString& GetErrorText() const { return m_strError; }
    /// Bytes of the file the last read went through.
    DWORD GetBytesRead() const { return m_nBytesRead; }

private:
    CString m_strError = "OK";
    DWORD m_nBytesRead = 0;
};
