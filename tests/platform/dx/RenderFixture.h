// A small render target with a depth buffer, a device and a full viewport, for image tests.
#pragma once

#include "platform/dx/Device.h"
#include "platform/dx/SurfacePng.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class CRenderFixture : public ::testing::Test
{
protected:
    static constexpr float NEAR_Z = 1.0f;  // view-space units
    static constexpr float FAR_Z = 100.0f; // view-space units

    void SetUpTarget(DWORD dwWidth, DWORD dwHeight, DWORD dwBits = 32)
    {
        SetUpTargetFormat(dwWidth, dwHeight, MakeRgbPixelFormat(dwBits), MakeZBufferPixelFormat(16));
    }

    void SetUpTargetFormat(DWORD dwWidth, DWORD dwHeight, const DDPIXELFORMAT& ddpf, const DDPIXELFORMAT& ddpfZ)
    {
        m_dwWidth = dwWidth;
        m_dwHeight = dwHeight;
        m_pTarget = CDirectDrawSurface::Create(dwWidth, dwHeight, ddpf, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        m_pZ = CDirectDrawSurface::Create(dwWidth, dwHeight, ddpfZ, DDSCAPS_ZBUFFER);
        ASSERT_NE(nullptr, m_pTarget);
        ASSERT_NE(nullptr, m_pZ);
        ASSERT_EQ(DD_OK, m_pTarget->AddAttachedSurface(m_pZ));
        m_pDevice = std::make_unique<CDirect3DDevice>(m_pTarget);
        m_pViewport = std::make_shared<CDirect3DViewport>();
        const D3DVIEWPORT2 vp = MakeFullViewport(dwWidth, dwHeight);
        ASSERT_EQ(D3D_OK, m_pViewport->SetViewport2(&vp));
        ASSERT_EQ(D3D_OK, m_pDevice->AddViewport(m_pViewport));
        ASSERT_EQ(D3D_OK, m_pDevice->SetCurrentViewport(m_pViewport));
        ASSERT_EQ(D3D_OK, m_pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    }

    void SetUp() override { SetUpTarget(64, 64); }

    /// Left-handed perspective with the eye at the origin looking along +z, y up.
    void SetPerspective(float fFovY)
    {
        m_fTanHalfFov = std::tan(fFovY / 2);
        const float h = 1.0f / m_fTanHalfFov;
        const float q = FAR_Z / (FAR_Z - NEAR_Z);
        D3DMATRIX m{};
        m.m[0][0] = h * static_cast<float>(m_dwHeight) / static_cast<float>(m_dwWidth);
        m.m[1][1] = h;
        m.m[2][2] = q;
        m.m[2][3] = 1;
        m.m[3][2] = -q * NEAR_Z;
        ASSERT_EQ(D3D_OK, m_pDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m));
    }

    /// The view-space direction (z = 1) through the centre of pixel (x, y) under SetPerspective.
    D3DVECTOR RayThroughPixel(int x, int y) const
    {
        const float fx = (static_cast<float>(x) + 0.5f) / static_cast<float>(m_dwWidth) * 2 - 1;
        const float fy = 1 - (static_cast<float>(y) + 0.5f) / static_cast<float>(m_dwHeight) * 2;
        const float fAspect = static_cast<float>(m_dwWidth) / static_cast<float>(m_dwHeight);
        return D3DVECTOR{fx * m_fTanHalfFov * fAspect, fy * m_fTanHalfFov, 1.0f};
    }

    DWORD Pixel(int x, int y) const { return m_pTarget->GetPixelXrgb(static_cast<DWORD>(x), static_cast<DWORD>(y)); }

    /// Draws a triangle strip of transformed vertices in its own scene.
    void DrawStrip(const D3DTLVERTEX* pVerts, DWORD dwCount)
    {
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, pVerts, dwCount, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    }

    /// Writes the frame as <test name>.png in the test's output folder for a person to look at.
    void SaveFrame(const std::string& strSuffix = "") const
    {
        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        const auto* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string strName = std::string(pInfo->test_suite_name()) + "." + pInfo->name() + strSuffix;
        for (char& c : strName)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.')
                c = '_';
        strName += ".png";
        EXPECT_TRUE(SaveSurfaceToPng(*m_pTarget, (dir / strName).string()));
    }

    DWORD m_dwWidth = 0, m_dwHeight = 0;
    float m_fTanHalfFov = 1;
    SurfacePtr m_pTarget, m_pZ;
    std::unique_ptr<CDirect3DDevice> m_pDevice;
    ViewportPtr m_pViewport;
};

/// A transformed vertex: screen position, depth, colour and texture coordinates.
inline D3DTLVERTEX Tl(float x, float y, D3DCOLOR color, float z = 0.5f, float u = 0, float v = 0)
{
    D3DTLVERTEX t;
    t.sx = x;
    t.sy = y;
    t.sz = z;
    t.rhw = 1;
    t.color = color;
    t.tu = u;
    t.tv = v;
    return t;
}

/// A texture of the given format whose raw pixels are aRaw, row by row (16-bit formats take the low half).
inline SurfacePtr MakeRawTexture(DWORD w, DWORD h, const DDPIXELFORMAT& ddpf, const std::vector<DWORD>& aRaw)
{
    SurfacePtr p = CDirectDrawSurface::Create(w, h, ddpf, DDSCAPS_TEXTURE);
    if (p == nullptr)
        return nullptr;
    DDSURFACEDESC2 desc;
    EXPECT_EQ(DD_OK, p->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    const size_t nBytes = ddpf.dwRGBBitCount / 8;
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x)
            std::memcpy(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch + x * nBytes, &aRaw[y * w + x], nBytes);
    EXPECT_EQ(DD_OK, p->Unlock(nullptr));
    return p;
}

inline int Red(DWORD c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int Green(DWORD c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(DWORD c) { return static_cast<int>(c & 0xFF); }

/// Each channel of pixel p within nTolerance of the expected r, g, b.
inline void ExpectRgbNear(int r, int g, int b, DWORD p, int nTolerance)
{
    EXPECT_NEAR(r, Red(p), nTolerance);
    EXPECT_NEAR(g, Green(p), nTolerance);
    EXPECT_NEAR(b, Blue(p), nTolerance);
}

/// A sphere of radius 1 around (0, 0, 5) whose pole faces the eye; clockwise as seen from outside.
inline void MakeSphere(int nRings, int nSegments, std::vector<D3DVERTEX>& aVerts, std::vector<WORD>& aIdx)
{
    const float pi = 3.14159265f;
    for (int r = 0; r <= nRings; ++r)
    {
        const float theta = pi * static_cast<float>(r) / static_cast<float>(nRings); // 0 at the pole facing the eye
        for (int s = 0; s <= nSegments; ++s)
        {
            const float phi = 2 * pi * static_cast<float>(s) / static_cast<float>(nSegments);
            D3DVERTEX v;
            v.nx = std::sin(theta) * std::cos(phi);
            v.ny = std::sin(theta) * std::sin(phi);
            v.nz = -std::cos(theta);
            v.x = v.nx;
            v.y = v.ny;
            v.z = 5 + v.nz;
            aVerts.push_back(v);
        }
    }
    for (int r = 0; r < nRings; ++r)
        for (int s = 0; s < nSegments; ++s)
        {
            const WORD a = static_cast<WORD>(r * (nSegments + 1) + s), b = static_cast<WORD>(a + nSegments + 1);
            aIdx.insert(aIdx.end(),
                        {a, static_cast<WORD>(a + 1), b, static_cast<WORD>(a + 1), static_cast<WORD>(b + 1), b});
        }
}

/// A light of the kind given, orange-white, reaching 100 units, its spot cones 0.4 and 0.8 radians across.
inline D3DLIGHT2 MakeLight(D3DLIGHTTYPE eType, D3DVECTOR pos, D3DVECTOR dir)
{
    D3DLIGHT2 l;
    l.dwSize = sizeof(l);
    l.dltType = eType;
    l.dcvColor = D3DCOLORVALUE{0.8f, 0.6f, 0.4f, 1};
    l.dvPosition = pos;
    l.dvDirection = dir;
    l.dvRange = 100;
    l.dvTheta = 0.4f;
    l.dvPhi = 0.8f;
    return l;
}
