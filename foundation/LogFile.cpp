#include "foundation/LogFile.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/DebugLog.h"

#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_LOG_FILE) CLogFile g_LogFile("VornLog.txt");
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_LOG_FILE);

CLogFile::CLogFile(LPCSTR szFileName) : m_strFileName(szFileName) {}

BOOL CLogFile::Open(LPCSTR szPath)
{
    Close();
    if (!m_file.Open(szPath, CFile::modeCreate | CFile::modeWrite))
        return FALSE;
    SetDebugLogCopy([this](const std::string& strLine) { WriteString(strLine.c_str()); });
    return TRUE;
}

void CLogFile::WriteString(LPCSTR szText)
{
    if (szText != nullptr && m_file.IsOpen())
        m_file.Write(szText, static_cast<UINT>(std::strlen(szText)));
}

void CLogFile::Close()
{
    if (!m_file.IsOpen())
        return;
    SetDebugLogCopy(nullptr);
    m_file.Close();
}
