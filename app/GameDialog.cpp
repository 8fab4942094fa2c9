#include "app/GameDialog.h"

#include "foundation/ErrorBox.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/Dialog.h"
#include "ui/GameWidgets.h"

int RunGameDialog(CDialog& dlg, int nResource)
{
    // The bar's pop-up menu closes and the corner panels and side bars go before a dialog.
    CWidget::ClearMenuOpen();
    HideCornerPanelsAndBars();
    const INT_PTR nResult = dlg.DoModal();
    if (nResult != -1)
        return static_cast<int>(nResult);
    CString strText;
    strText.Format("A dialog could not be shown: its template or picture (%d) is missing from VornRes.dll.", nResource);
    ShowErrorBoxText(strText.GetString());
    return IDCANCEL;
}
