#include "tools/art/ArtText.h"

#include "platform/win32/Gdi.h"

#include <cstdint>
#include <cstdio>

CArtImage TextCoverage(const std::string& strText, int nWidth, int nHeight, const SArtTextStyle& style)
{
    CArtImage coverage(nWidth, nHeight, SArtColor{0, 0, 0, 1});
    // White text on black: each pixel's red is the glyphs' coverage.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(nWidth) * nHeight, 0);
    const SGdiPixels target{reinterpret_cast<BYTE*>(pixels.data()), nWidth, nHeight, nWidth * 4,
                            EGdiPixelFormat::Xrgb32};
    const HDC hDC = CreatePixelsDC(target);
    const HFONT hFont = CreateFont(-style.nEmPixels, 0, 0, 0, style.bBold ? FW_BOLD : FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                                   0, 0, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
    if (hDC == nullptr || hFont == nullptr)
    {
        std::fprintf(stderr, "no font for \"%s\"\n", strText.c_str());
        if (hDC != nullptr)
            DeleteDC(hDC);
        return coverage;
    }
    const HGDIOBJ hOld = SelectObject(hDC, hFont);
    SetTextColor(hDC, RGB(255, 255, 255));
    SetBkMode(hDC, TRANSPARENT);
    RECT rc{0, 0, nWidth, nHeight};
    const UINT nFormat = DT_NOPREFIX | (style.bCentered ? DT_CENTER | DT_VCENTER | DT_SINGLELINE : DT_WORDBREAK);
    DrawText(hDC, strText.c_str(), -1, &rc, nFormat);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
    DeleteDC(hDC);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
        {
            const float f =
                static_cast<float>((pixels[static_cast<std::size_t>(y) * nWidth + x] >> 16) & 0xFF) / 255.0f;
            coverage.At(x, y) = {f, f, f, 1.0f};
        }
    return coverage;
}

void DrawArtText(CArtImage& image, const std::string& strText, int x, int y, int nWidth, int nHeight,
                 const SArtTextStyle& style)
{
    const CArtImage coverage = TextCoverage(strText, nWidth, nHeight, style);
    for (int j = 0; j < nHeight; ++j)
        for (int i = 0; i < nWidth; ++i)
            image.Blend(x + i, y + j, style.color, coverage.At(i, j).r);
}
