// The help dialog: one button opens the game's help page (keys and rules, an HTML file of the
// program folder) with the desktop's opener, then the dialog closes.
#pragma once

#include "ui/HoverButton.h"
#include "ui/SkinDialog.h"

inline constexpr int IDD_HELP = 267;
/// The help dialog's background picture ("_DATA").
inline constexpr int IDB_HELP_BACKGROUND = 268;
/// The button that opens the help page.
inline constexpr int IDC_OPEN_HELP = 1135;
/// "The help page %s could not be opened."
inline constexpr UINT IDS_HELP_NOT_OPENED = 21505;

/// Runs the help dialog over the window; its result. A dialog that cannot be made says which
/// resource is missing and gives -1.
INT_PTR RunHelpDialog(CWnd* pParent);

class CHelpDlg : public CSkinDialog
{
public:
    explicit CHelpDlg(CWnd* pParent = nullptr);
    /// The game draws its own cursor again: the system's is hidden.
    ~CHelpDlg() override;
    CHelpDlg(const CHelpDlg&) = delete;
    CHelpDlg& operator=(const CHelpDlg&) = delete;

    BOOL OnInitDialog() override;

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    /// Finds the help page (the "Help" key of the ini file, else its default place in the program
    /// folder, else in the artwork folder), keeps where it was found in the key and opens it; in
    /// full screen a running game asks first and its window is minimised. A page that is not
    /// found, or not opened, is named in the error box.
    void OnOpenHelp();

private:
    CHoverButton m_open;
};
