// The text list: a window-less element that breaks each added text into lines that fit its width,
// measured on a given device context in its own font, and keeps a top index and the count of lines
// that fit its height. The main window lays one out in its banner rectangle; nothing draws it.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/Wnd.h"
#include "ui/InputEdit.h"

#include <string>

/// The base of the own-drawn elements: their rectangles, a type code, a text and flags.
class CSkinCtrl
{
public:
    /// The rectangle is set when one is given; a null text is empty.
    CSkinCtrl(CWnd* pParent, const RECT* pRect, int nType, const char* szText);
    virtual ~CSkinCtrl() = default;

    /// Stores the rectangle, then moves and sizes the element by it.
    void SetRect(int nLeft, int nTop, int nRight, int nBottom);
    virtual void Move(int x, int y);
    virtual void Size(int nWidth, int nHeight);

    RECT m_rect{};
    RECT m_rect2{};
    int m_nType;
    CString m_strText;
    DWORD m_dwFlags = 0;

protected:
    CWnd* m_pParent;
};

/// A caption element (type code 2).
class CSkinText : public CSkinCtrl, public CCtrlColors
{
public:
    CSkinText() : CSkinCtrl(nullptr, nullptr, 2, nullptr) {}
};

class CSkinList : public CSkinCtrl, public CCtrlColors
{
public:
    CSkinList(CWnd* pParent = nullptr, const RECT* pRect = nullptr, int nType = 3, const char* szText = nullptr);

    /// Places the caption above the lines and gives it the text.
    void SetTitle(const RECT& rc, const char* szText);
    /// Removes every line; selection -1, top index 0.
    void ResetContent();
    /// Breaks the text into lines that fit the width less a line height on each side, at the last
    /// space that fits (else where the characters run out of room, at least one a line). The index of
    /// the last line added; -1 for an empty text, a list with no room for text or an unmeasurable one.
    int AddString(HDC hDC, const char* szText);
    /// How many lines fit below the caption (the last count measured when no context is given).
    int GetVisibleLines(HDC hDC);
    /// A negative index scrolls to the end; returns the new top index.
    int SetTopIndex(int nIndex);
    int GetCount() const { return m_aLines.GetSize(); }
    const CString& GetLine(int nIndex) const { return m_aLines[nIndex]; }
    int GetTopIndex() const { return m_nTopIndex; }
    int GetSelection() const { return m_nSelection; }
    int GetLineHeight() const { return m_nLineHeight; }

private:
    /// The text's size in the list's font; an empty text measures 0 x 0.
    SIZE Measure(HDC hDC, const std::string& strText);

    CStringArray m_aLines;
    RECT m_rcWork1{};
    RECT m_rcWork2{};
    CSkinText m_title;
    int m_nVisibleLines = 0;
    int m_nTopIndex = 0;
    int m_nSpare = 0;
    int m_nSelection = 0;
    int m_nLineHeight = 20; // pixels, as last measured
};

/// The banner's text list of the main window. Main thread.
extern CSkinList g_BannerList;
