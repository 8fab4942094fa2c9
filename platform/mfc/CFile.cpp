#include "platform/mfc/CFile.h"

#include "platform/win32/Files.h"
#include "platform/win32/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFile::~CFile() { Close(); }

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags)
{
    Close();
    if (lpszFileName == nullptr || *lpszFileName == '\0')
        return FALSE;
    int flags = (nOpenFlags & modeReadWrite) ? O_RDWR : (nOpenFlags & modeWrite) ? O_WRONLY : O_RDONLY;
    if (nOpenFlags & modeCreate)
        flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);
    m_fd = ::open(ResolvePath(lpszFileName).c_str(), flags | O_CLOEXEC, 0666);
    return m_fd >= 0 ? TRUE : FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (m_fd < 0)
        return 0;
    ssize_t n;
    do
        n = ::read(m_fd, lpBuf, nCount);
    while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<UINT>(n) : 0;
}

BOOL CFile::Write(const void* lpBuf, UINT nCount)
{
    const char* p = static_cast<const char*>(lpBuf);
    while (m_fd >= 0 && nCount > 0)
    {
        const ssize_t n = ::write(m_fd, p, nCount);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FALSE;
        p += n;
        nCount -= static_cast<UINT>(n);
    }
    return m_fd >= 0 ? TRUE : FALSE;
}

BOOL CFile::Flush() { return (m_fd >= 0 && ::fsync(m_fd) == 0) ? TRUE : FALSE; }

BOOL CFile::Close()
{
    if (m_fd < 0)
        return TRUE;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? TRUE : FALSE;
}

BOOL CFile::Remove(LPCSTR lpszFileName) { return DeleteFile(lpszFileName); }

BOOL CFile::GetStatus(LPCSTR lpszFileName, CFileStatus& rStatus)
{
    const DWORD dwAttr = GetFileAttributes(lpszFileName);
    if (dwAttr == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    struct stat st
    {
    };
    rStatus.m_size = ::stat(ResolvePath(lpszFileName).c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    rStatus.m_attribute = static_cast<BYTE>(dwAttr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    return TRUE;
}
