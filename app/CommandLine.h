// The program's command line: the options it knows and what each leaves behind.
#pragma once

#include "platform/mfc/WinApp.h"

/// The file named by "kill_it:<path>", deleted at start and at exit; empty when none. Main thread.
extern CString g_strKillFile;
/// Set by "teacher"; read by the open-tutorial command. Main thread.
extern BOOL g_bTeacherMode;
/// Set by "register_document_only": start-up ends after registering the document type.
extern BOOL g_bRegisterDocumentOnly;
/// Set by "logfile" (a level after a colon is accepted and changes nothing): the debug log is also
/// written to the log file. Main thread.
extern BOOL g_bLogFile;
/// 1 until "check_GPF" clears it: skinned dialogs set their templates' point size only while set.
extern BOOL g_bDialogFontSize;

class CVornCommandLineInfo : public CCommandLineInfo
{
public:
    /// A flag is searched for the keywords "logfile", "check_GPF", "web_session", "kill_it",
    /// "robot_level", "teacher", "register_document_only" in that order, as substrings without
    /// regard to case; the first found decides. "-setup" alone sets the setup flag. Everything else
    /// goes to the framework's parser.
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override;

    int m_bSetup = 0;
};
