// The program's log file: given the "logfile" option, every line of the program's debug log is
// also written to it, from its opening until it is closed.
#pragma once

#include "platform/mfc/CFile.h"
#include "platform/mfc/CString.h"

class CLogFile
{
public:
    /// Keeps the file's name; nothing is opened yet.
    explicit CLogFile(LPCSTR szFileName);
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    /// Creates (or empties) the file at the path and copies every debug log line into it from now
    /// on; FALSE, and nothing copied, when the file cannot be written. Another log open before is
    /// closed first.
    BOOL Open(LPCSTR szPath);
    /// Appends the text (a failed write is dropped: the log never stops the game).
    void WriteString(LPCSTR szText);
    /// Stops the copying and closes the file; nothing when it is not open.
    void Close();
    BOOL IsOpen() const { return m_file.IsOpen() ? TRUE : FALSE; }
    /// The file's name, without a folder.
    const CString& GetFileName() const { return m_strFileName; }

private:
    CString m_strFileName;
    CFile m_file;
};

/// The program's log file, named "VornLog.txt"; opened by start-up when the option asks for it,
/// closed at the program's end. Main thread opens and closes it; any thread's trace writes to it.
extern CLogFile g_LogFile;
