#include "render/Light.h"

#include "platform/TempFolder.h"
#include "platform/dx/RenderFixture.h"
#include "platform/win32/Profile.h"
#include "render/ArtLibraries.h"

#include <gtest/gtest.h>

namespace
{
const char* const DEFAULT_NAMES[] = {"Ambient", "Down",  "JukeBox", "Flame",  "Flame1",       "TV",       "Fan 0",
                                     "Fan 1",   "Fan 2", "Fan 3",   "8 ball", "Coinman Vorn", "AMD logo", "Trees"};

class LightTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pTarget = CDirectDrawSurface::Create(8, 8, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
        m_pDevice = std::make_unique<CDirect3DDevice>(m_pTarget);
        m_source.SetIniFiles(CString(m_folder.File("program.ini")), CString(m_folder.File("data.ini")));
    }
    void TearDown() override { CLightTable::DeleteAll(); }

    void ExpectSameDesc(const SLightDesc& a, const SLightDesc& b)
    {
        EXPECT_EQ(a.strName, b.strName);
        EXPECT_EQ(a.nType, b.nType);
        // A saved colour is a byte over 255 ("Flame1"'s blue 0.08 is saved as 20 / 255).
        EXPECT_NEAR(a.r, b.r, 0.5 / 255);
        EXPECT_NEAR(a.b, b.b, 0.5 / 255);
        EXPECT_NEAR(a.vPosition.y, b.vPosition.y, 1e-5);
        EXPECT_NEAR(a.vDirection.z, b.vDirection.z, 1e-6);
        EXPECT_NEAR(a.fRange, b.fRange, 1e-5);
        EXPECT_NEAR(a.fUmbra, b.fUmbra, 1e-6);
        EXPECT_NEAR(a.fPenumbra, b.fPenumbra, 1e-6);
        EXPECT_NEAR(a.afAttenuation[2], b.afAttenuation[2], 1e-7);
        EXPECT_EQ(a.nExtra, b.nExtra);
    }

    CTempFolder m_folder;
    SurfacePtr m_pTarget;
    std::unique_ptr<CDirect3DDevice> m_pDevice;
    CLightSource m_source;
};
} // namespace

TEST_F(LightTest, EveryDefaultRowRoundTrips)
{
    for (const char* szName : DEFAULT_NAMES)
    {
        SCOPED_TRACE(szName);
        const CString strLine = m_source.GetDefaultLine(szName);
        SLightDesc first, again;
        ASSERT_TRUE(ParseLightLine(strLine, first));
        CSceneLight* pLamp = m_source.ApplyLine(strLine, m_pDevice.get());
        ASSERT_NE(nullptr, pLamp);
        const CString strSaved = FormatLightLine(*pLamp);
        ASSERT_TRUE(ParseLightLine(strSaved, again));
        ExpectSameDesc(first, again);
        // Saving what was loaded from a saved line changes nothing (colours rounded to the nearest byte).
        CSceneLight* pAgain = m_source.ApplyLine(strSaved, m_pDevice.get());
        EXPECT_EQ(pLamp, pAgain);
        EXPECT_EQ(strSaved, FormatLightLine(*pAgain));
    }
    EXPECT_EQ(CString("Unknown"), m_source.GetDefaultLine("Unknown"));
}

TEST_F(LightTest, LampsAreReusedByNameAndTheTableHasSixteen)
{
    CSceneLight* pDown = m_source.ApplyLine(m_source.GetDefaultLine("Down"), m_pDevice.get());
    ASSERT_NE(nullptr, pDown);
    EXPECT_EQ(0, pDown->m_nIndex);
    m_source.SwitchOffByName("Down");
    EXPECT_FALSE(CLightTable::GetOnFlag(0));
    EXPECT_EQ(pDown, m_source.ApplyLine("Down, 1, 1,0,0, 0,0,0, 0,-1,0, 10, 0,0, 1,0,0, 7;", m_pDevice.get()));
    EXPECT_TRUE(pDown->m_bOn);
    EXPECT_EQ(0xFFFF0000u, pDown->GetColorRGB());
    EXPECT_EQ(7, pDown->m_nExtra);
    for (int i = 1; i < LAMP_TABLE_SIZE; ++i)
        ASSERT_NE(nullptr, m_source.FindOrCreate(("L" + std::to_string(i)).c_str(), 1, 1, 1, 1, m_pDevice.get()));
    EXPECT_EQ(nullptr, m_source.FindOrCreate("Seventeenth", 1, 1, 1, 1, m_pDevice.get()));
    EXPECT_EQ(nullptr, m_source.FindByName("Seventeenth"));
    EXPECT_EQ(pDown, m_source.FindOrCreate("Down", 2, 0, 0, 1, m_pDevice.get())); // an existing name still works
}

TEST_F(LightTest, MalformedLinesAreSkipped)
{
    const char* aszLines[] = {"",
                              "   ",
                              "Down, 2, 1,1",
                              "Down, 2, x, y, z;",
                              ", 2, 1,1,1, 0,0,0, 0,0,0, 1, 1,1, 1,0,0;",
                              "Flame, 2, 1,1,1, 0,0,0, 0,0,0, inf, 1,1, 1,0,0;"};
    for (const char* sz : aszLines)
    {
        SCOPED_TRACE(sz);
        EXPECT_EQ(nullptr, m_source.ApplyLine(sz, m_pDevice.get()));
    }
    for (int i = 0; i < LAMP_TABLE_SIZE; ++i)
        EXPECT_EQ(nullptr, CLightTable::GetAt(i)); // no nameless lamp took a place
}

TEST_F(LightTest, AmbientTypeDrivesTheDeviceAmbient)
{
    CSceneLight* pAmbient = m_source.ApplyLine(m_source.GetDefaultLine("Ambient"), m_pDevice.get());
    ASSERT_NE(nullptr, pAmbient);
    DWORD dw = 0;
    m_pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &dw);
    EXPECT_EQ(0xFF595959u, dw); // 0.349020 * 255 = 89
    EXPECT_EQ(0xFF595959u, pAmbient->GetColorRGB());
    CDirect3DViewport viewport;
    EXPECT_EQ(D3D_OK, pAmbient->AddToViewport(viewport));
    EXPECT_TRUE(viewport.GetLights().empty());
}

TEST_F(LightTest, CommitOnlyWhenOnAndRestorePrevious)
{
    CSceneLight* pLamp = m_source.FindOrCreate("Spot", 2, 1, 1, 1, m_pDevice.get());
    ASSERT_NE(nullptr, pLamp);
    pLamp->SetRange(50);
    EXPECT_FLOAT_EQ(50.0f, pLamp->GetDeviceLight()->GetData().dvRange);
    pLamp->m_bOn = false;
    pLamp->SetRange(80);
    EXPECT_FLOAT_EQ(50.0f, pLamp->GetDeviceLight()->GetData().dvRange); // off: not handed on
    pLamp->m_bOn = true;
    pLamp->Commit();
    EXPECT_FLOAT_EQ(80.0f, pLamp->GetDeviceLight()->GetData().dvRange);

    pLamp->CopyToPrevious();
    pLamp->SetAttenuation1(0.5f);
    pLamp->SetColorRGB(0x00102030);
    EXPECT_TRUE(pLamp->IsAttenuationModified());
    pLamp->RestorePrevious();
    EXPECT_FALSE(pLamp->IsAttenuationModified());
    EXPECT_FLOAT_EQ(0.0f, pLamp->GetAttenuation1());
    EXPECT_EQ(0xFFFFFFFFu, pLamp->GetColorRGB());
    EXPECT_FLOAT_EQ(1.0f, pLamp->GetDeviceLight()->GetData().dcvColor.r);

    CSceneLight* pCopy = m_source.CopyLight(*pLamp, m_pDevice.get());
    EXPECT_EQ(pLamp, pCopy); // the same name: the same lamp
    EXPECT_FLOAT_EQ(80.0f, pCopy->GetRange());
}

TEST_F(LightTest, IniLoadAndSave)
{
    // The program folder's ini: nothing in the data folder yet.
    const std::string strProgram = m_folder.File("program.ini"), strData = m_folder.File("data.ini");
    m_folder.Write("program.ini",
                   "[Intro]\nKeep=1\n[Lights]\nSources number=3\nSource00=" + m_source.GetDefaultLine("Down").Str() +
                       "\nSource01=\nSource02=" + m_source.GetDefaultLine("TV").Str() +
                       "\n[Realistic lights]\nSources number=0\n");
    CSceneLight* pOld = m_source.FindOrCreate("Old", 1, 1, 1, 1, m_pDevice.get());
    EXPECT_EQ(0, m_source.LoadIni(true, m_pDevice.get())); // below 1: nothing changes
    EXPECT_TRUE(pOld->m_bOn);
    EXPECT_EQ(3, m_source.LoadIni(false, m_pDevice.get()));
    EXPECT_FALSE(pOld->m_bOn); // all switched off first
    ASSERT_NE(nullptr, m_source.FindByName("TV"));
    EXPECT_TRUE(m_source.FindByName("Down")->m_bOn);

    m_source.FindByName("Down")->m_nExtra = 4;
    ASSERT_EQ(1, m_source.SaveIni(false));
    char sz[512];
    GetPrivateProfileString("Lights", "Sources number", "", sz, sizeof sz, strData.c_str());
    EXPECT_STREQ("2", sz);
    GetPrivateProfileString("Lights", "Source00", "", sz, sizeof sz, strData.c_str());
    EXPECT_EQ(0, std::string(sz).rfind("Down, 2, 0.784314", 0)) << sz;
    EXPECT_NE(std::string::npos, std::string(sz).find(", 4;")); // the eighteenth field kept
    GetPrivateProfileString("Intro", "Keep", "", sz, sizeof sz, strData.c_str());
    EXPECT_STREQ("1", sz); // the copy holds the program folder's other sections
    // The header key ";" reads back as a comment line, as it always did.
    EXPECT_NE(std::string::npos, m_folder.Read("data.ini").find(";=name,type,R,G,B"));

    m_source.SwitchOffByName("Down");
    ASSERT_EQ(1, m_source.SaveIni(false));
    GetPrivateProfileString("Lights", "Source00", "", sz, sizeof sz, strData.c_str());
    EXPECT_EQ(0, std::string(sz).rfind("TV,", 0)) << sz; // renumbered from 0
    GetPrivateProfileString("Lights", "Source01", "gone", sz, sizeof sz, strData.c_str());
    EXPECT_STREQ("gone", sz); // the stale key deleted
    // The data folder's copy is read from now on.
    CLightTable::DeleteAll();
    EXPECT_EQ(1, m_source.LoadIni(false, m_pDevice.get()));
    EXPECT_EQ(nullptr, m_source.FindByName("Down"));
}

TEST_F(LightTest, AmbientSaverOverridesAndRestores)
{
    m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, 0xFF123456);
    CAmbientLightSave save;
    save.Override(m_pDevice.get(), 0x80, false);
    DWORD dw = 0;
    m_pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &dw);
    EXPECT_EQ(0xFF808080u, dw);
    save.Restore();
    m_pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &dw);
    EXPECT_EQ(0xFF123456u, dw);
    CAmbientLightSave disabled;
    disabled.Override(m_pDevice.get(), 0x20, true);
    disabled.Restore();
    m_pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &dw);
    EXPECT_EQ(0xFF123456u, dw);
}

// A white sphere of radius 3 whose top lies at y = 100 right under the "Down" lamp (at y 155.03,
// pointing down), seen from above: its top takes the lamp's colour times the attenuation at the
// distance d, 0.784314 / (1 + 0.0001 d + 0.00001 d^2) (N.L = 1, inside the cone), and nothing else
// (no ambient light); its rim, turned away from the lamp, stays dark.
TEST_F(CRenderFixture, SphereUnderTheDownLampMatchesHandComputedColours)
{
    CLightSource source;
    CSceneLight* pDown = source.ApplyLine(source.GetDefaultLine("Down"), m_pDevice.get());
    ASSERT_NE(nullptr, pDown);
    ASSERT_EQ(D3D_OK, pDown->AddToViewport(*m_pViewport));
    SetPerspective(0.2f); // the sphere about 32 pixels across
    const float cx = 12.1287f, cz = 0.909451f, fRadius = 3;
    // Eye at (cx, 160, cz) looking down -y: rows right = +x, up = +z, direction = -y.
    D3DMATRIX view{};
    view.m[0][0] = 1;
    view.m[2][1] = 1;
    view.m[1][2] = -1;
    view.m[3][3] = 1;
    view.m[3][0] = -cx;
    view.m[3][1] = -cz;
    view.m[3][2] = 160;
    m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    auto pMaterial = std::make_shared<CDirect3DMaterial>();
    D3DMATERIAL mat;
    mat.diffuse = mat.ambient = D3DCOLORVALUE{1, 1, 1, 1};
    pMaterial->SetMaterial(&mat);
    DWORD dwHandle = 0;
    pMaterial->GetHandle(m_pDevice.get(), &dwHandle);
    m_pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
    m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, 0);
    // Rings from the top (theta 0) down, both windings so that no face is culled.
    const int nRings = 48, nSegments = 48;
    std::vector<D3DVERTEX> aVerts;
    std::vector<WORD> aIdx;
    for (int r = 0; r <= nRings; ++r)
        for (int k = 0; k <= nSegments; ++k)
        {
            const double theta = M_PI * r / nRings, phi = 2 * M_PI * k / nSegments;
            D3DVERTEX v;
            v.nx = static_cast<float>(std::sin(theta) * std::cos(phi));
            v.ny = static_cast<float>(std::cos(theta));
            v.nz = static_cast<float>(std::sin(theta) * std::sin(phi));
            v.x = cx + fRadius * v.nx;
            v.y = 100 - fRadius + fRadius * v.ny;
            v.z = cz + fRadius * v.nz;
            aVerts.push_back(v);
        }
    for (int r = 0; r < nRings; ++r)
        for (int k = 0; k < nSegments; ++k)
        {
            const auto a = static_cast<WORD>(r * (nSegments + 1) + k), b = static_cast<WORD>(a + nSegments + 1);
            const WORD c = static_cast<WORD>(a + 1), d = static_cast<WORD>(b + 1);
            aIdx.insert(aIdx.end(), {a, c, b, c, d, b, a, b, c, c, b, d});
        }
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aVerts.data(),
                                                      static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                      static_cast<DWORD>(aIdx.size()), 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    CLightTable::DeleteAll();
    const double d = 155.029999 - 100;
    const int nTop = static_cast<int>(std::lround(0.784314 / (1 + 0.0001 * d + 0.00001 * d * d) * 255));
    EXPECT_EQ(193, nTop); // 0.784314 * 0.96545 * 255
    ExpectRgbNear(nTop, nTop, nTop, Pixel(32, 32), 2);
    const int nRim = Red(Pixel(32 + 14, 32));
    EXPECT_GT(nRim, 0);
    EXPECT_LT(nRim, nTop / 2) << "near the rim the light comes in at a grazing angle";
    EXPECT_EQ(0u, Pixel(2, 2)) << "outside the sphere";
}
