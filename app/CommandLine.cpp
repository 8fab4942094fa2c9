#include "app/CommandLine.h"

#include "foundation/GlobalOrder.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_LIBRARY_LISTS, 0) CString g_strKillFile;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_LIBRARY_LISTS);
BOOL g_bTeacherMode = 0;
BOOL g_bLogFile = 0;
BOOL g_bRegisterDocumentOnly = 0;
BOOL g_bDialogFontSize = 1;

void CVornCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast)
{
    const CString strParam(pszParam != nullptr ? pszParam : "");
    if (bFlag && strParam.CompareNoCase("setup") == 0)
    {
        m_bSetup = 1;
        return;
    }
    CString strLower = strParam;
    strLower.MakeLower();
    if (bFlag)
    {
        static const char* const s_aKeywords[] = {"logfile",     "check_gpf", "web_session",           "kill_it",
                                                  "robot_level", "teacher",   "register_document_only"};
        for (const char* szKeyword : s_aKeywords)
        {
            if (strLower.Find(szKeyword) < 0)
                continue;
            const CString strKeyword(szKeyword);
            if (strKeyword == "logfile")
                g_bLogFile = 1;
            else if (strKeyword == "check_gpf")
                g_bDialogFontSize = 0;
            else if (strKeyword == "kill_it")
            {
                // The path is what follows the first colon after the first character, as typed.
                const int nColon = strParam.Find(':', 1);
                if (nColon >= 1)
                    g_strKillFile = strParam.Mid(nColon + 1);
            }
            else if (strKeyword == "teacher")
                g_bTeacherMode = 1;
            else if (strKeyword == "register_document_only")
                g_bRegisterDocumentOnly = 1;
            return;
        }
    }
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}
