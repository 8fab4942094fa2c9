// The framework's file chooser: a small dialog of the toolkit's own, made in code, in which the
// user types the name of a file in the folder it starts in. The filter's first description says
// what is looked for; no files are listed.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/Dialog.h"

/// The control ids of the chooser's template.
inline constexpr int IDC_FILE_DIALOG_NAME = 0x480;
inline constexpr int IDC_FILE_DIALOG_KIND = 0x441;

class CFileDialog : public CDialog
{
public:
    /// szFilter as the framework writes it: "description|pattern|...||".
    CFileDialog(BOOL bOpenFileDialog, LPCSTR szDefExt = nullptr, LPCSTR szFileName = nullptr, DWORD dwFlags = 0,
                LPCSTR szFilter = nullptr, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal() override;
    /// The starting folder and the name typed, with the default extension when the name has none.
    CString GetPathName() const;
    CString GetFileName() const { return m_strFileName; }

    /// What the caller may set before DoModal, as the framework's open-file record names it.
    struct SOpenFile
    {
        LPCSTR lpstrInitialDir = nullptr;
        DWORD Flags = 0;
    } m_ofn;

protected:
    BOOL OnInitDialog() override;
    /// A name must be typed: without one the dialog stays open.
    void OnOK() override;

private:
    BOOL m_bOpen;
    CString m_strDefExt;
    CString m_strFileName;
    CString m_strKind; // the filter's first description
};
