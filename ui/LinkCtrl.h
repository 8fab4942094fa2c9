// The label control of the message dialogs: a static of a dialog template drawn with its own
// colour, font and background, styled through chained setters; a setter that changes the look
// redraws the label at once.
#pragma once

#include "platform/mfc/Dialog.h"
#include "ui/PanelFont.h"

class CLinkCtrl : public CBoundControl
{
public:
    CLinkCtrl();
    ~CLinkCtrl() override;

    CLinkCtrl& SetText(const CString& strText);
    CLinkCtrl& SetTextColor(COLORREF crText);
    CLinkCtrl& SetBold(bool bBold);
    CLinkCtrl& SetUnderline(BYTE nUnderline);
    /// A character height of n pixels.
    CLinkCtrl& SetFontSize(int n);
    CLinkCtrl& SetFontName(const CString& strName);
    /// Transparent: the dialog's background shows through; opaque: a face-coloured background.
    CLinkCtrl& SetTransparent(bool bTransparent);
    /// Shortens the text so that, wrapped on words, it fits the label: a path loses the middle of its
    /// folders ("C:\Games\...\tables.dat"); other text is cut at a word and ends in "...".
    CLinkCtrl& FitPathText();

    /// The brush the label's background is painted with: null until SetTransparent is called.
    HBRUSH GetBackgroundBrush() const { return m_hBackground; }
    CString GetText() const { return GetWindowText(); }
    COLORREF GetTextColor() const { return m_crText; }
    const LOGFONT& GetLogFont() const { return m_font.GetKeptLogFont(); }

    void DrawItem(const DRAWITEMSTRUCT* pDrawItem) override;

private:
    CLinkCtrl& RedrawNow();

    COLORREF m_crText;
    HBRUSH m_hBackground = nullptr;
    bool m_bOwnBrush = false; // the null stock brush is not deleted
    CPanelFont m_font;
    bool m_bTransparent = false;
};
