// Three small modal dialogs with fixed jobs: the start-up question whether to end a game that waits
// in the launcher window, the editor of the live ball-physics coefficients and the message that
// announces the winner of a match. Each is built on the caller's stack and run once:
//   CWaitOpponentDlg(nullptr).DoModal()   IDOK: close the launcher; IDCANCEL: quit with code 1
//   CPhysicsDlg(pParent).DoModal()        the frame's command 32148, between SetModalMode(1) and (0)
//   CMatchWonDlg dlg(nullptr); dlg.SetWinnerText(name); dlg.DoModal()
#pragma once

#include "ui/LabelStatic.h"
#include "ui/SkinDialog.h"

#include <array>

inline constexpr int IDC_WAIT_DO_NOT_ASK = 201;
inline constexpr int IDC_MATCH_WON_LABEL = 1159;

/// The start-up question; OK and Cancel both store the "do not ask again" box in the registry value
/// "Vorn warning" before they end the dialog.
class CWaitOpponentDlg : public CDialog
{
public:
    explicit CWaitOpponentDlg(CWnd* pParent);
    /// Without a user to answer (the input script's answer, or no screen) the answer is taken at
    /// once and nothing is stored.
    INT_PTR DoModal() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nDoNotAsk = 0;

protected:
    /// The button face colour with the question centred in it.
    BOOL OnEraseBkgnd(HDC hDC) override;
    /// The check box's text in the system's button text colour, readable on the face colour.
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void StoreDoNotAsk();
};

/// The start-up question, asked before the program's resource library is loaded: the library is
/// opened for the question's template only and closed again. Without the library or the template
/// the question is a message box. IDOK (end the waiting game) or IDCANCEL.
int AskToEndWaitingGame(const CString& strLibrary);

/// The ten live physics coefficients as numbers to edit; OK writes them back, Cancel leaves them.
class CPhysicsDlg : public CDialog
{
public:
    static constexpr int COEFFICIENTS = 10;

    explicit CPhysicsDlg(CWnd* pParent);
    INT_PTR DoModal() override;
    void DoDataExchange(CDataExchange* pDX) override;

    /// In the order of the coefficient table: rolling deceleration, ball-ball friction, side-spin
    /// deceleration, highest flight, side-spin, forward-spin and vertical-velocity coefficients,
    /// cushion decay, side-spin decay and side-spin influence.
    std::array<double, COEFFICIENTS> m_adValue{};
};

/// "<name> has won the match!" over its picture; OK saves the settings.
class CMatchWonDlg : public CSkinDialog
{
public:
    explicit CMatchWonDlg(CWnd* pParent);
    void SetWinnerText(const char* szWinner);
    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strText;
    CLabelStatic m_label;
};
