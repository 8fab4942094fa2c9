// A black 32-bit memory surface with a device context on it, and ways to read what was drawn.
#pragma once

#include "platform/dx/Surface.h"
#include "platform/dx/SurfacePng.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

/// The smallest rectangle holding every pixel that is not the background; empty when none.
struct SInk
{
    RECT rc{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    int nPixels = 0;
    bool Empty() const { return nPixels == 0; }
};

class CGdiFixture : public ::testing::Test
{
protected:
    void SetUp() override { MakeTarget(200, 100); }
    void TearDown() override { ReleaseTarget(); }

    void MakeTarget(DWORD dwWidth, DWORD dwHeight, DWORD dwBits = 32)
    {
        ReleaseTarget();
        m_pSurface = CDirectDrawSurface::Create(dwWidth, dwHeight, MakeRgbPixelFormat(dwBits), DDSCAPS_OFFSCREENPLAIN);
        ASSERT_NE(nullptr, m_pSurface);
        ASSERT_EQ(DD_OK, m_pSurface->GetDC(&m_hDC));
    }

    void ReleaseTarget()
    {
        if (m_hDC != nullptr)
        {
            EXPECT_EQ(DD_OK, m_pSurface->ReleaseDC(m_hDC));
        }
        m_hDC = nullptr;
    }

    DWORD Pixel(LONG x, LONG y) const { return m_pSurface->GetPixelXrgb(static_cast<DWORD>(x), static_cast<DWORD>(y)); }

    /// Ink of pixels other than dwBackground (0x00RRGGBB) within rc (the whole surface by default).
    SInk Ink(DWORD dwBackground = 0, const RECT* pArea = nullptr) const
    {
        const RECT all{0, 0, static_cast<LONG>(m_pSurface->GetWidth()), static_cast<LONG>(m_pSurface->GetHeight())};
        const RECT rc = pArea ? *pArea : all;
        SInk ink;
        for (LONG y = rc.top; y < rc.bottom; ++y)
            for (LONG x = rc.left; x < rc.right; ++x)
            {
                if (Pixel(x, y) == dwBackground)
                    continue;
                ++ink.nPixels;
                ink.rc.left = std::min(ink.rc.left, x);
                ink.rc.top = std::min(ink.rc.top, y);
                ink.rc.right = std::max(ink.rc.right, x + 1);
                ink.rc.bottom = std::max(ink.rc.bottom, y + 1);
            }
        return ink;
    }

    void Clear(COLORREF c = RGB(0, 0, 0))
    {
        const RECT rc{0, 0, static_cast<LONG>(m_pSurface->GetWidth()), static_cast<LONG>(m_pSurface->GetHeight())};
        const HBRUSH hBrush = CreateSolidBrush(c);
        FillRect(m_hDC, &rc, hBrush);
        DeleteObject(hBrush);
    }

    /// Writes the surface as <test name><suffix>.png in the tests' output folder for a person to look at.
    void SaveFrame(const std::string& strSuffix = "")
    {
        ReleaseTarget();
        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        const auto* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string strName = std::string(pInfo->test_suite_name()) + "." + pInfo->name() + strSuffix;
        for (char& c : strName)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.')
                c = '_';
        EXPECT_TRUE(SaveSurfaceToPng(*m_pSurface, (dir / (strName + ".png")).string()));
        ASSERT_EQ(DD_OK, m_pSurface->GetDC(&m_hDC));
    }

    SurfacePtr m_pSurface;
    HDC m_hDC = nullptr;
};

inline bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
