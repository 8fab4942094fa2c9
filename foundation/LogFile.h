// The program's log file. It is never opened, so nothing is ever written: every operation
// does nothing, and Open still answers success as callers expect.
#pragma once

#include "platform/mfc/CString.h"

class CLogFile
{
public:
    /// Keeps the name and answers TRUE without opening anything.
    BOOL Open(LPCSTR szFileName)
    {
        m_strFileName = szFileName;
        return TRUE;
    }
    void WriteString(LPCSTR /*szText*/) {}
    void Close() {}
    const CString& GetFileName() const { return m_strFileName; }

private:
    CString m_strFileName;
};
