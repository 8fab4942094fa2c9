#include "ui/HudPanels.h"

#include "ui/PanelFont.h"
#include "ui/Widget.h"

#include <cstdio>

namespace
{
constexpr COLORREF POCKET_MARKER = RGB(0, 255, 0);
constexpr int POCKET_MARKER_RADIUS = 2;
} // namespace

SurfacePtr CreatePanelSurface(DWORD nWidth, DWORD nHeight)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (frame.pBackBuffer == nullptr)
        return nullptr;
    SurfacePtr p =
        CDirectDrawSurface::Create(nWidth, nHeight, frame.pBackBuffer->GetPixelFormat(), DDSCAPS_OFFSCREENPLAIN);
    if (p == nullptr)
        return nullptr;
    const DDCOLORKEY key{0, 0};
    p->SetColorKey(DDCKEY_SRCBLT, &key);
    return p;
}

bool CBallLabel::Paint(int nBall, CPanelFont& font)
{
    if (m_pSurface == nullptr)
        m_pSurface = CreatePanelSurface(BALL_LABEL_WIDTH, BALL_LABEL_HEIGHT);
    HDC hDC = nullptr;
    if (m_pSurface == nullptr || m_pSurface->GetDC(&hDC) != DD_OK)
        return false;
    PatBlt(hDC, 0, 0, BALL_LABEL_WIDTH, BALL_LABEL_HEIGHT, BLACKNESS);
    char szText[16];
    std::snprintf(szText, sizeof szText, " %2d ", nBall);
    LOGFONT saved;
    font.SaveLogFont(saved);
    font.SetHeavy16();
    const HGDIOBJ hOldFont = SelectObject(hDC, font);
    SetBkMode(hDC, TRANSPARENT);
    // The shadow first, the text one pixel up and left of it.
    RECT rc{0, 0, BALL_LABEL_WIDTH, BALL_LABEL_HEIGHT};
    SetTextColor(hDC, BALL_LABEL_SHADOW);
    DrawText(hDC, szText, -1, &rc, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    rc = RECT{-1, -1, static_cast<LONG>(BALL_LABEL_WIDTH) - 1, static_cast<LONG>(BALL_LABEL_HEIGHT) - 1};
    SetTextColor(hDC, HUD_TEXT_COLOUR);
    DrawText(hDC, szText, -1, &rc, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    if (hOldFont != nullptr)
        SelectObject(hDC, hOldFont);
    m_pSurface->ReleaseDC(hDC);
    font.RestoreLogFont(saved);
    return true;
}

void CBallLabel::Draw(int nBall, POINT at, CPanelFont& font)
{
    const SWidgetFrame frame = GetWidgetFrame();
    if (nBall < 0 || frame.pBackBuffer == nullptr || !Paint(nBall, font))
        return;
    frame.pBackBuffer->BltFast(static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), m_pSurface.get(), nullptr,
                               DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void DrawFilledCircle(HDC hDC, POINT at, int nRadius, COLORREF colour)
{
    if (hDC == nullptr)
        return;
    const HPEN hPen = CreatePen(PS_SOLID, 1, colour);
    const HBRUSH hBrush = CreateSolidBrush(colour);
    const HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    const HGDIOBJ hOldBrush = SelectObject(hDC, hBrush);
    Ellipse(hDC, at.x - nRadius, at.y - nRadius, at.x + nRadius + 1, at.y + nRadius + 1);
    SelectObject(hDC, hOldPen);
    SelectObject(hDC, hOldBrush);
    DeleteObject(hPen);
    DeleteObject(hBrush);
}

void DrawCalledPocketMarker(HDC hDC, POINT at) { DrawFilledCircle(hDC, at, POCKET_MARKER_RADIUS, POCKET_MARKER); }
