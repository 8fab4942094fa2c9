// Fonts and text on device contexts: font descriptions, text colours and modes, metrics, extents,
// TextOut and DrawText with its line breaking, placement, prefixes and ellipses.
#include "platform/win32/GdiGlyphs.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/LastError.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace
{
/// A character of a text as drawn: its code point and whether a prefix "&" underlines it.
struct STextChar
{
    char32_t c = 0;
    bool bUnderline = false;
};

/// Reads the characters of a text, turning "&x" into an underlined x and "&&" into "&" when
/// prefixes are on.
class CTextReader
{
public:
    CTextReader(const char* p, const char* pEnd, bool bPrefix) : m_p(p), m_pEnd(pEnd), m_bPrefix(bPrefix) {}
    bool AtEnd() const { return m_p >= m_pEnd; }
    const char* Position() const { return m_p; }
    STextChar Next()
    {
        STextChar ch;
        if (m_bPrefix && *m_p == '&' && m_p + 1 < m_pEnd)
        {
            ++m_p;
            ch.bUnderline = *m_p != '&';
        }
        ch.c = DecodeUtf8(m_p, m_pEnd);
        return ch;
    }

private:
    const char* m_p;
    const char* m_pEnd;
    bool m_bPrefix;
};

/// What a run of text is drawn with.
struct STextStyle
{
    CGlyphFace* pFace = nullptr;
    const LOGFONT* pLogFont = nullptr;
    bool bPrefix = false;     // "&" marks the next character
    bool bShowPrefix = false; // and the marked character is underlined
    bool bTabs = false;       // tabs go to the next stop of eight average characters
};

STextStyle StyleOf(const HDC__& dc, UINT nFormat)
{
    STextStyle style;
    if (dc.state.pFont != nullptr)
    {
        style.pFace = dc.state.pFont->pFace;
        style.pLogFont = &dc.state.pFont->lf;
    }
    style.bPrefix = (nFormat & DT_NOPREFIX) == 0;
    style.bShowPrefix = style.bPrefix && (nFormat & DT_HIDEPREFIX) == 0;
    style.bTabs = (nFormat & DT_EXPANDTABS) != 0;
    return style;
}

LONG Advance(const STextStyle& style, char32_t c, LONG x)
{
    if (c == '\t' && style.bTabs)
    {
        const LONG nStop = std::max<LONG>(1, 8 * style.pFace->Metrics().tmAveCharWidth);
        return (x / nStop + 1) * nStop - x;
    }
    return style.pFace->Glyph(c).nAdvance;
}

LONG MeasureRange(const STextStyle& style, const char* p, const char* pEnd)
{
    LONG x = 0;
    for (CTextReader reader(p, pEnd, style.bPrefix); !reader.AtEnd();)
        x += Advance(style, reader.Next().c, x);
    return x;
}

/// One line of a text: the bytes it draws, its width, and where the next line starts.
struct SLine
{
    const char* pBegin = nullptr;
    const char* pEnd = nullptr;
    LONG nWidth = 0;
    const char* pNext = nullptr;
};

/// Cuts the next line: it ends at a line feed (or carriage return and line feed) and, when
/// breaking words, before the word that would pass nMaxWidth; the spaces at such a break belong to
/// neither line. A first word wider than the limit keeps its line.
SLine NextLine(const STextStyle& style, const char* p, const char* pEnd, bool bSingle, LONG nMaxWidth)
{
    SLine line{p, pEnd, 0, pEnd};
    const char* pBreak = nullptr; // start of the last run of spaces after a word
    LONG nWidthAtBreak = 0;
    bool bWord = false;
    bool bAfterSpace = false;
    CTextReader reader(p, pEnd, style.bPrefix);
    while (!reader.AtEnd())
    {
        const char* pAt = reader.Position();
        if (!bSingle && (*pAt == '\n' || *pAt == '\r'))
        {
            line.pEnd = pAt;
            line.pNext = pAt + ((*pAt == '\r' && pAt + 1 < pEnd && pAt[1] == '\n') ? 2 : 1);
            return line;
        }
        const char32_t c = reader.Next().c;
        const LONG nAdvance = Advance(style, c, line.nWidth);
        if (c == ' ')
        {
            if (bWord && !bAfterSpace)
            {
                pBreak = pAt;
                nWidthAtBreak = line.nWidth;
            }
        }
        else
        {
            if (line.nWidth + nAdvance > nMaxWidth && pBreak != nullptr)
            {
                line.pEnd = pBreak;
                line.nWidth = nWidthAtBreak;
                line.pNext = pBreak;
                while (line.pNext < pEnd && *line.pNext == ' ')
                    ++line.pNext;
                return line;
            }
            bWord = true;
        }
        bAfterSpace = c == ' ';
        line.nWidth += nAdvance;
    }
    return line;
}

/// The text's line ends as a caller walks them, without storing them.
class CLineWalker
{
public:
    CLineWalker(const STextStyle& style, const char* p, const char* pEnd, UINT nFormat, LONG nBoxWidth)
        : m_style(style), m_p(p), m_pEnd(pEnd), m_bSingle((nFormat & DT_SINGLELINE) != 0),
          m_nMaxWidth((nFormat & DT_WORDBREAK) != 0 && !m_bSingle ? nBoxWidth : std::numeric_limits<LONG>::max())
    {
    }
    bool Next(SLine& line)
    {
        if (m_bDone)
            return false;
        line = NextLine(m_style, m_p, m_pEnd, m_bSingle, m_nMaxWidth);
        m_p = line.pNext;
        // A text ending in a line break has no empty line after it.
        m_bDone = m_p >= m_pEnd;
        return true;
    }

private:
    const STextStyle& m_style;
    const char* m_p;
    const char* m_pEnd;
    bool m_bSingle;
    LONG m_nMaxWidth;
    bool m_bDone = false;
};

RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

void BlendGlyph(const HDC__& dc, const SGlyph& glyph, LONG xPen, LONG yBase, const RECT& rcClip, COLORREF c)
{
    const LONG x0 = xPen + glyph.nLeft;
    const LONG y0 = yBase - glyph.nTop;
    const LONG xFrom = std::max(x0, rcClip.left), xTo = std::min(x0 + glyph.nWidth, rcClip.right);
    const LONG yFrom = std::max(y0, rcClip.top), yTo = std::min(y0 + glyph.nHeight, rcClip.bottom);
    for (LONG y = yFrom; y < yTo; ++y)
    {
        const BYTE* pRow = glyph.pCoverage + static_cast<std::ptrdiff_t>(y - y0) * glyph.nWidth;
        for (LONG x = xFrom; x < xTo; ++x)
        {
            if (const unsigned a = pRow[x - x0]; a != 0)
                BlendPixel(dc.pixels, x, y, c, a);
        }
    }
}

/// Draws one line with its cell's top-left corner at device (x, y).
void DrawLine(const HDC__& dc, const STextStyle& style, const SLine& line, LONG x, LONG y, const RECT& rcClip)
{
    const TEXTMETRIC& tm = style.pFace->Metrics();
    if (dc.state.nBkMode == OPAQUE)
        FillDeviceRect(dc, Intersect(RECT{x, y, x + line.nWidth, y + tm.tmHeight}, rcClip), dc.state.crBk);
    const COLORREF c = dc.state.crText;
    const LONG yBase = y + tm.tmAscent;
    const LONG nThick = style.pFace->UnderlineThickness();
    const LONG yUnder = yBase + style.pFace->UnderlineOffset() - nThick / 2;
    LONG xPen = x;
    for (CTextReader reader(line.pBegin, line.pEnd, style.bPrefix); !reader.AtEnd();)
    {
        const STextChar ch = reader.Next();
        const SGlyph& glyph = style.pFace->Glyph(ch.c);
        const LONG nAdvance = Advance(style, ch.c, xPen - x);
        if (glyph.pCoverage != nullptr)
            BlendGlyph(dc, glyph, xPen, yBase, rcClip, c);
        if (ch.bUnderline && style.bShowPrefix)
            FillDeviceRect(dc, Intersect(RECT{xPen, yUnder, xPen + nAdvance, yUnder + nThick}, rcClip), c);
        xPen += nAdvance;
    }
    if (style.pLogFont->lfUnderline != 0)
        FillDeviceRect(dc, Intersect(RECT{x, yUnder, xPen, yUnder + nThick}, rcClip), c);
    if (style.pLogFont->lfStrikeOut != 0)
    {
        const LONG yStrike = yBase - style.pFace->StrikeOffset();
        FillDeviceRect(dc, Intersect(RECT{x, yStrike, xPen, yStrike + nThick}, rcClip), c);
    }
}

// ---------------------------------------------------------------------------------------------
// Ellipses

constexpr char ELLIPSIS[] = "...";

/// Bytes of the UTF-8 character that ends just before p.
const char* PreviousChar(const char* pBegin, const char* p)
{
    do
        --p;
    while (p > pBegin && (static_cast<unsigned char>(*p) & 0xC0) == 0x80);
    return p;
}

/// Shortens a line to fit a width by putting "..." in place of its end, or with a path in place
/// of the end of its folders (the name after the last separator stays as long as it can).
void Shorten(const STextStyle& style, const char* p, const char* pEnd, bool bPath, LONG nWidth, std::string& out)
{
    const char* pSplit = pEnd;
    if (bPath)
    {
        for (const char* q = p; q < pEnd; ++q)
        {
            if (*q == '\\' || *q == '/')
                pSplit = q;
        }
    }
    std::string_view head(p, static_cast<std::size_t>(pSplit - p));
    std::string_view tail(pSplit, static_cast<std::size_t>(pEnd - pSplit));
    const auto fits = [&]
    {
        out.assign(head).append(ELLIPSIS).append(tail);
        return MeasureRange(style, out.data(), out.data() + out.size()) <= nWidth;
    };
    while (!fits())
    {
        if (!head.empty())
            head = head.substr(
                0, static_cast<std::size_t>(PreviousChar(head.data(), head.data() + head.size()) - head.data()));
        else if (!tail.empty())
            tail = tail.substr(
                0, static_cast<std::size_t>(PreviousChar(tail.data(), tail.data() + tail.size()) - tail.data()));
        else
            return;
    }
}

// ---------------------------------------------------------------------------------------------
// DrawText

struct SDrawText
{
    HDC__* pDc;
    const char* p;
    const char* pEnd;
    RECT* pRect;
    UINT nFormat;
    char* pWritable; // the caller's buffer for DT_MODIFYSTRING, or null
};

int CalcRect(const STextStyle& style, const SDrawText& t)
{
    const LONG nBoxWidth = t.pRect->right - t.pRect->left;
    LONG nWidest = 0;
    LONG nLines = 0;
    SLine line;
    for (CLineWalker walker(style, t.p, t.pEnd, t.nFormat, nBoxWidth); walker.Next(line); ++nLines)
        nWidest = std::max(nWidest, line.nWidth);
    const LONG nHeight = nLines * style.pFace->Metrics().tmHeight;
    t.pRect->right = t.pRect->left + ((t.nFormat & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0
                                          ? std::min(nWidest, std::max<LONG>(nBoxWidth, 0))
                                          : nWidest);
    t.pRect->bottom = t.pRect->top + nHeight;
    return nHeight;
}

int Draw(const STextStyle& style, const SDrawText& t)
{
    HDC__& dc = *t.pDc;
    const UINT f = t.nFormat;
    const POINT o = dc.state.ptOrigin;
    const RECT rc{t.pRect->left + o.x, t.pRect->top + o.y, t.pRect->right + o.x, t.pRect->bottom + o.y};
    const RECT rcClip = (f & DT_NOCLIP) != 0 ? DeviceClip(dc) : Intersect(DeviceClip(dc), rc);
    const LONG nLineHeight = style.pFace->Metrics().tmHeight;
    LONG y = rc.top;
    if ((f & DT_SINGLELINE) != 0 && (f & DT_VCENTER) != 0)
        y = rc.top + (rc.bottom - rc.top - nLineHeight) / 2;
    else if ((f & DT_SINGLELINE) != 0 && (f & DT_BOTTOM) != 0)
        y = rc.bottom - nLineHeight;
    const bool bEllipsis = (f & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0 && (f & DT_WORDBREAK) == 0;
    thread_local std::string s_shortened; // keeps its capacity: shortening allocates once per thread
    SLine line;
    for (CLineWalker walker(style, t.p, t.pEnd, f, rc.right - rc.left); walker.Next(line); y += nLineHeight)
    {
        if (bEllipsis && line.nWidth > rc.right - rc.left)
        {
            Shorten(style, line.pBegin, line.pEnd, (f & DT_PATH_ELLIPSIS) != 0, rc.right - rc.left, s_shortened);
            line.pBegin = s_shortened.data();
            line.pEnd = s_shortened.data() + s_shortened.size();
            line.nWidth = MeasureRange(style, line.pBegin, line.pEnd);
            if (t.pWritable != nullptr && (f & DT_MODIFYSTRING) != 0 && (f & DT_SINGLELINE) != 0)
                std::memcpy(t.pWritable, s_shortened.c_str(), s_shortened.size() + 1);
        }
        LONG x = rc.left;
        if ((f & DT_CENTER) != 0)
            x = rc.left + (rc.right - rc.left - line.nWidth) / 2;
        else if ((f & DT_RIGHT) != 0)
            x = rc.right - line.nWidth;
        DrawLine(dc, style, line, x, y, rcClip);
    }
    return y - rc.top;
}

int DrawTextImpl(HDC hDC, const char* szText, int nCount, RECT* pRect, UINT nFormat, char* pWritable)
{
    if (hDC == nullptr || szText == nullptr || pRect == nullptr)
        return 0;
    const STextStyle style = StyleOf(*hDC, nFormat);
    const std::size_t nLength = nCount < 0 ? std::strlen(szText) : static_cast<std::size_t>(nCount);
    if (style.pFace == nullptr || nLength == 0)
    {
        if ((nFormat & DT_CALCRECT) != 0)
            *pRect = RECT{pRect->left, pRect->top, pRect->left, pRect->top};
        return 0;
    }
    const SDrawText t{hDC, szText, szText + nLength, pRect, nFormat, pWritable};
    return (nFormat & DT_CALCRECT) != 0 ? CalcRect(style, t) : Draw(style, t);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Fonts

HFONT CreateFontIndirect(const LOGFONT* pLogFont)
{
    if (pLogFont == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pFont = std::make_unique<HFONT__>();
    pFont->lf = *pLogFont;
    pFont->pFace = FindGlyphFace(pFont->lf);
    if (pFont->pFace == nullptr)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return RegisterGdiObject(std::move(pFont));
}

HFONT CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, DWORD bItalic,
                 DWORD bUnderline, DWORD bStrikeOut, DWORD nCharSet, DWORD nOutPrecision, DWORD nClipPrecision,
                 DWORD nQuality, DWORD nPitchAndFamily, LPCSTR szFaceName)
{
    LOGFONT lf;
    lf.lfHeight = nHeight;
    lf.lfWidth = nWidth;
    lf.lfEscapement = nEscapement;
    lf.lfOrientation = nOrientation;
    lf.lfWeight = nWeight;
    lf.lfItalic = static_cast<BYTE>(bItalic);
    lf.lfUnderline = static_cast<BYTE>(bUnderline);
    lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
    lf.lfCharSet = static_cast<BYTE>(nCharSet);
    lf.lfOutPrecision = static_cast<BYTE>(nOutPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(nClipPrecision);
    lf.lfQuality = static_cast<BYTE>(nQuality);
    lf.lfPitchAndFamily = static_cast<BYTE>(nPitchAndFamily);
    if (szFaceName != nullptr)
        std::strncpy(lf.lfFaceName, szFaceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

// ---------------------------------------------------------------------------------------------
// Colours and modes

COLORREF SetTextColor(HDC hDC, COLORREF crColor)
{
    return hDC == nullptr ? CLR_INVALID : std::exchange(hDC->state.crText, crColor);
}

COLORREF GetTextColor(HDC hDC) { return hDC == nullptr ? CLR_INVALID : hDC->state.crText; }

COLORREF SetBkColor(HDC hDC, COLORREF crColor)
{
    return hDC == nullptr ? CLR_INVALID : std::exchange(hDC->state.crBk, crColor);
}

COLORREF GetBkColor(HDC hDC) { return hDC == nullptr ? CLR_INVALID : hDC->state.crBk; }

int SetBkMode(HDC hDC, int nMode)
{
    if (hDC == nullptr || (nMode != TRANSPARENT && nMode != OPAQUE))
        return 0;
    return std::exchange(hDC->state.nBkMode, nMode);
}

int GetBkMode(HDC hDC) { return hDC == nullptr ? 0 : hDC->state.nBkMode; }

// ---------------------------------------------------------------------------------------------
// Metrics and drawing

BOOL GetTextMetrics(HDC hDC, TEXTMETRIC* pMetrics)
{
    if (hDC == nullptr || pMetrics == nullptr)
        return FALSE;
    const STextStyle style = StyleOf(*hDC, 0);
    if (style.pFace == nullptr)
        return FALSE;
    const LOGFONT& lf = *style.pLogFont;
    *pMetrics = style.pFace->Metrics();
    pMetrics->tmWeight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight;
    pMetrics->tmItalic = lf.lfItalic;
    pMetrics->tmUnderlined = lf.lfUnderline;
    pMetrics->tmStruckOut = lf.lfStrikeOut;
    pMetrics->tmPitchAndFamily = lf.lfPitchAndFamily;
    pMetrics->tmCharSet = lf.lfCharSet;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hDC, LPCSTR szText, int nCount, SIZE* pSize)
{
    if (hDC == nullptr || szText == nullptr || pSize == nullptr)
        return FALSE;
    const STextStyle style = StyleOf(*hDC, DT_NOPREFIX);
    if (style.pFace == nullptr)
        return FALSE;
    const std::size_t nLength = nCount < 0 ? std::strlen(szText) : static_cast<std::size_t>(nCount);
    *pSize = SIZE{MeasureRange(style, szText, szText + nLength), style.pFace->Metrics().tmHeight};
    return TRUE;
}

BOOL TextOut(HDC hDC, int x, int y, LPCSTR szText, int nCount)
{
    if (hDC == nullptr || szText == nullptr)
        return FALSE;
    const STextStyle style = StyleOf(*hDC, DT_NOPREFIX);
    if (style.pFace == nullptr)
        return FALSE;
    const std::size_t nLength = nCount < 0 ? std::strlen(szText) : static_cast<std::size_t>(nCount);
    SLine line{szText, szText + nLength, 0, szText + nLength};
    line.nWidth = MeasureRange(style, line.pBegin, line.pEnd);
    const POINT o = hDC->state.ptOrigin;
    DrawLine(*hDC, style, line, x + o.x, y + o.y, DeviceClip(*hDC));
    return TRUE;
}

int DrawText(HDC hDC, LPCSTR szText, int nCount, RECT* pRect, UINT nFormat)
{
    return DrawTextImpl(hDC, szText, nCount, pRect, nFormat, nullptr);
}

int DrawText(HDC hDC, LPSTR szText, int nCount, RECT* pRect, UINT nFormat)
{
    return DrawTextImpl(hDC, szText, nCount, pRect, nFormat, szText);
}
