// The text label of the skinned dialogs: the control's window text in pale yellow, heavy 16-pixel
// letters, with the dialog's picture repainted under it first.
#pragma once

#include "platform/mfc/Dialog.h"
#include "ui/PanelFont.h"

class CLabelStatic : public CBoundControl
{
public:
    /// Repaints the dialog's background under the label, then draws the text: wrapped on words, or
    /// as one line centred both ways when m_bCentred is set.
    void DrawItem(const DRAWITEMSTRUCT* pDrawItem) override;

    BYTE m_bFirst = 1; // not read by the label
    BYTE m_bCentred = 0;
    BYTE m_bThird = 0; // not read by the label

private:
    CPanelFont m_font;
};
