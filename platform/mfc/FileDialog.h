// The framework's file chooser: a small dialog of the toolkit's own, made in code. It lists the
// files of the folder it starts in that the first filter's patterns match (in name order), and the
// name of the file is chosen from the list (a row's name goes into the name line; a double click
// chooses it) or typed. Keys as in every dialog: Tab to the list, Up and Down along it, Enter opens.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/Dialog.h"

#include <vector>

/// The control ids of the chooser's template.
inline constexpr int IDC_FILE_DIALOG_NAME = 0x480;
inline constexpr int IDC_FILE_DIALOG_KIND = 0x441;
inline constexpr int IDC_FILE_DIALOG_LIST = 0x460;

class CFileDialog : public CDialog
{
public:
    /// szFilter as the framework writes it: "description|pattern|...||"; a pattern may hold several
    /// separated by ';'.
    CFileDialog(BOOL bOpenFileDialog, LPCSTR szDefExt = nullptr, LPCSTR szFileName = nullptr, DWORD dwFlags = 0,
                LPCSTR szFilter = nullptr, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal() override;
    /// The starting folder and the name chosen, with the default extension when the name has none.
    CString GetPathName() const;
    CString GetFileName() const { return m_strFileName; }
    /// The files the chooser lists in its starting folder, in name order.
    std::vector<CString> ListFiles() const;

    /// What the caller may set before DoModal, as the framework's open-file record names it.
    struct SOpenFile
    {
        LPCSTR lpstrInitialDir = nullptr;
        DWORD Flags = 0;
    } m_ofn;

protected:
    BOOL OnInitDialog() override;
    /// A name must be chosen or typed: without one the dialog stays open.
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    BOOL m_bOpen;
    CString m_strDefExt;
    CString m_strFileName;
    CString m_strKind;     // the filter's first description
    CString m_strPatterns; // its patterns
    std::vector<CString> m_astrFiles;
};
