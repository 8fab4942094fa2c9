// The framework's binary file over a POSIX file descriptor: the operations the game uses.
// Failures are returned (FALSE), never thrown. The path is a Windows path text.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstdint>

struct CFileStatus
{
    std::uint64_t m_size = 0;
    BYTE m_attribute = 0; ///< 0x10 for a folder, 0x01 when it cannot be written
};

class CFile
{
public:
    enum OpenFlags : UINT
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, ///< create, or empty an existing file
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags);
    UINT Read(void* lpBuf, UINT nCount);
    /// Writes all nCount bytes; FALSE when the disk refuses any of them.
    BOOL Write(const void* lpBuf, UINT nCount);
    /// Makes what was written reach the disk.
    BOOL Flush();
    BOOL Close();
    bool IsOpen() const { return m_fd >= 0; }

    static BOOL Remove(LPCSTR lpszFileName);
    /// TRUE and the status when something of that name exists.
    static BOOL GetStatus(LPCSTR lpszFileName, CFileStatus& rStatus);

private:
    int m_fd = -1;
};
