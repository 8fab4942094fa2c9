// The room's objects on the real frame with the game's own art. With the device's lighting
// ("AdvancedLighting" on) each object is drawn under its own lamps, without it under none and in one
// plain grey, which the objects give back after the frame. An object of the specular pass is drawn
// before all the others while "Specular" is on, and not at all while it is off.
#include "tests/app/GameArtFrame.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameMode.h"
#include "platform/win32/CrtRandom.h"
#include "platform/window/Window.h"
#include "render/Light.h"
#include "render/RackScene.h"
#include "render/SceneObject.h"
#include "simulation/PhysicsConstants.h"
#include "ui/SceneOrder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace
{
class CFrameRoomObjectsTest : public CGameArtFrameTest
{
};

/// The lamp over the table.
constexpr int KIND_LAMP = 0x3;

/// The cue ball in the middle of the table.
constexpr SPlacedBall MIDDLE[] = {{0, TABLE_WIDTH_M / 2, TABLE_LENGTH_M / 2}};

/// The frame drawn with the lighting switch given: its pixels, and the lamps left in the viewport.
struct SLitFrame
{
    std::vector<DWORD> aPixels;
    DWORD dwLampsIn = 0;
};
SLitFrame DrawWithLighting(CMainFrame& frame, int nLighting)
{
    g_Settings.m_nAdvancedLighting = nLighting;
    SLitFrame lit;
    CrtSrand(5); // the lamps flicker alike in every frame
    EXPECT_TRUE(frame.OnFrame());
    lit.dwLampsIn = g_dwLightsOnMask;
    int nWidth = 0, nHeight = 0;
    EXPECT_TRUE(ReadWindowPixels(frame.m_hWnd, lit.aPixels, &nWidth, &nHeight));
    return lit;
}

TEST_F(CFrameRoomObjectsTest, WithoutTheDevicesLightingTheRoomIsDrawnInPlainGreyAndKeepsItsOwnShades)
{
    const std::vector<SFrameStep> steps = {
        {"aiming", [](CMainFrame& f) { LayTable(f, MIDDLE, true, modeAim); }, "", nullptr}};
    RunFrameSteps(
        m_app.Folder().Path(), steps, [](CMainFrame&) {},
        [](CMainFrame& f)
        {
            const SLitFrame lamps = DrawWithLighting(f, 1);
            const SLitFrame grey = DrawWithLighting(f, 0);
            for (const CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
                EXPECT_EQ(p->m_nAmbientCopy, p->m_nAmbient) << "object " << p->m_nId << " has its shade back";
            const SLitFrame again = DrawWithLighting(f, 1);
            ASSERT_FALSE(lamps.aPixels.empty());
            ASSERT_EQ(lamps.aPixels.size(), grey.aPixels.size());
            EXPECT_NE(0u, lamps.dwLampsIn) << "the objects are drawn under their lamps";
            EXPECT_EQ(0u, grey.dwLampsIn) << "no object is drawn under a lamp";
            std::size_t nDiffer = 0;
            for (std::size_t i = 0; i < lamps.aPixels.size(); ++i)
                nDiffer += lamps.aPixels[i] != grey.aPixels[i] ? 1 : 0;
            EXPECT_GT(nDiffer, lamps.aPixels.size() / 10) << "the room looks otherwise";
            EXPECT_EQ(lamps.aPixels, again.aPixels) << "switched back, the lamps light it as before";
        });
}

TEST_F(CFrameRoomObjectsTest, AnObjectOfTheSpecularPassIsDrawnFirstWhileSpecularIsOnAndNeverWhileItIsOff)
{
    // The lamp is made an object of the specular pass alone.
    const std::vector<SFrameStep> steps = {
        {"aiming", [](CMainFrame& f) { LayTable(f, MIDDLE, true, modeAim); }, "", nullptr}};
    RunFrameSteps(
        m_app.Folder().Path(), steps, [](CMainFrame&) {},
        [](CMainFrame& f)
        {
            CSceneObject* pLamp = CSceneObject::FindSceneObjectByKind(KIND_LAMP);
            ASSERT_NE(nullptr, pLamp);
            ASSERT_TRUE(pLamp->IsEnabled());
            pLamp->m_bFlag = SPECULAR_ONLY;
            struct SCase
            {
                const char* szName;
                int nSpecular;
                bool bDrawn;
            };
            std::vector<std::vector<DWORD>> aFrames;
            for (const SCase& c : {SCase{"Specular on", 1, true}, SCase{"Specular off", 0, false}})
            {
                SCOPED_TRACE(c.szName);
                g_Settings.m_nSpecular = c.nSpecular;
                std::vector<int> log;
                f.GetTableScene().SetDrawLog(&log);
                CrtSrand(5);
                ASSERT_TRUE(f.OnFrame());
                f.GetTableScene().SetDrawLog(nullptr);
                ASSERT_FALSE(log.empty());
                EXPECT_EQ(c.bDrawn ? 1 : 0, std::ranges::count(log, KIND_LAMP)) << "drawn once, or not at all";
                if (c.bDrawn)
                {
                    EXPECT_EQ(KIND_LAMP, log.front()) << "before the room behind it";
                }
                int nWidth = 0, nHeight = 0;
                aFrames.emplace_back();
                ASSERT_TRUE(ReadWindowPixels(f.m_hWnd, aFrames.back(), &nWidth, &nHeight));
            }
            EXPECT_NE(aFrames[0], aFrames[1]) << "the lamp shows only with the specular pass";
            pLamp->m_bFlag = 0;
        });
}
} // namespace
