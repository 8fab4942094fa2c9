// The scene's moving parts on given frame times: the floating object between its base and four
// units above, lamps flickering only in their flagged channels without drifting, and the lamps
// of a screen that shows no new clip frame kept from flickering.
#include "render/SceneAnimation.h"

#include "platform/win32/CrtRandom.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
/// A lamp of the table, on, with the given colour and flicker motion (-1 none).
CSceneLight& MakeLamp(DWORD dwColour, int nMotion)
{
    CSceneLight& lamp = *CLightTable::Create(nullptr);
    lamp.SetType(2);
    lamp.m_bOn = true;
    lamp.SetColorRGB(dwColour);
    lamp.SetAttenuation0(1.0f);
    lamp.m_nExtra = nMotion;
    return lamp;
}

/// Motions: 0 turns, then one flicker line per text.
void SetMotions(std::initializer_list<const char*> flickers)
{
    g_aMotions.clear();
    g_aMotions.emplace_back().Parse("1, Fan, 40;");
    for (const char* sz : flickers)
        ASSERT_TRUE(g_aMotions.emplace_back().Parse(sz)) << sz;
}

class SceneAnimationTest : public ::testing::Test
{
protected:
    void SetUp() override { CrtSrand(7); }
    void TearDown() override
    {
        CLightTable::DeleteAll();
        g_aMotions.clear();
    }
    CSceneAnimation m_animation;
    SAnimationSettings m_settings;
};

TEST_F(SceneAnimationTest, FloatingObjectBobsBetweenItsBaseAndFourUnitsAbove)
{
    CSceneObject root, object;
    root.CreateFrame();
    object.CreateFrame();
    object.SetEnabled(true);
    object.SetPositionRelative(&root, 3.0f, 0.0f, -5.0f);
    m_animation.SetFloatingObject(&object, &root, 27.0f);
    struct SStep
    {
        float fSeconds;
        float fPlacedAt; // height above the base where this frame puts it
        float fOffsetAfter;
    };
    // Rising at 4 a second, turning at 4 and at 0.
    const SStep aSteps[] = {
        {0.5f, 0.0f, 2.0f}, {0.75f, 2.0f, 4.0f}, {0.5f, 4.0f, 2.0f}, {1.0f, 2.0f, 0.0f}, {0.25f, 0.0f, 1.0f}};
    for (const SStep& s : aSteps)
    {
        SCOPED_TRACE(s.fPlacedAt);
        m_animation.Animate(s.fSeconds, m_settings);
        CVector3 v;
        object.GetPosition(&root, v);
        EXPECT_FLOAT_EQ(v.x, 3.0f);
        EXPECT_FLOAT_EQ(v.y, 27.0f + s.fPlacedAt);
        EXPECT_FLOAT_EQ(v.z, -5.0f);
        EXPECT_FLOAT_EQ(m_animation.GetFloatingOffset(), s.fOffsetAfter);
    }
    // Hidden, it stays where it is.
    object.SetEnabled(false);
    m_animation.Animate(0.5f, m_settings);
    EXPECT_FLOAT_EQ(m_animation.GetFloatingOffset(), 1.0f);
}

TEST_F(SceneAnimationTest, LampsFlickerInTheirFlaggedChannelsWithinAByteAndNeverDrift)
{
    struct SCase
    {
        const char* szName;
        const char* szMotion;
        int nRange;
        bool bOn;
        bool abMoves[3]; // red, green, blue
        bool bAttenuationMoves;
    };
    const SCase aCases[] = {
        {"red only", "2, 4, 30;", 30, true, {true, false, false}, true},
        {"green and blue", "2, 3, 30;", 30, true, {false, true, true}, true},
        {"a range above a hundred stays inside a byte", "2, 7, 250;", 250, true, {true, true, true}, true},
        {"no range: still", "2, 7, 0;", 0, true, {false, false, false}, false},
        {"switched off: still", "2, 7, 30;", 30, false, {false, false, false}, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetMotions({c.szMotion});
        constexpr DWORD BASE = 0x80C040;
        CSceneLight& lamp = MakeLamp(BASE, 1);
        lamp.m_bOn = c.bOn;
        CSceneLight& steady = MakeLamp(BASE, 0); // a turning motion is no flicker
        CSceneAnimation animation;
        bool abMoved[3] = {}, bAttenuationMoved = false;
        for (int k = 0; k < 2000; ++k)
        {
            animation.Animate(0.01f, m_settings);
            const DWORD dw = lamp.GetColorRGB();
            for (int ch = 0; ch < 3; ++ch)
            {
                // Every frame starts from the line's colour: never further from it than the range.
                const int n = static_cast<int>(dw >> (16 - 8 * ch) & 0xFF);
                const int nBase = static_cast<int>(BASE >> (16 - 8 * ch) & 0xFF);
                abMoved[ch] |= n != nBase;
                ASSERT_LE(std::abs(n - nBase), nBase * c.nRange / 100) << ch;
            }
            // Never below the line's value, never above it by more than the range.
            ASSERT_GE(lamp.GetAttenuation0(), 1.0f);
            ASSERT_LE(lamp.GetAttenuation0(), 1.0f + static_cast<float>(c.nRange) / 100.0f);
            bAttenuationMoved |= lamp.GetAttenuation0() != 1.0f;
        }
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_EQ(c.abMoves[ch], abMoved[ch]) << ch;
        EXPECT_EQ(c.bAttenuationMoves, bAttenuationMoved);
        EXPECT_EQ(steady.GetColorRGB(), 0xFF000000u | BASE);
        CLightTable::DeleteAll();
    }
}

TEST_F(SceneAnimationTest, AColourSetWhileFlickeringBecomesTheNewBase)
{
    SetMotions({"2, 7, 10;"});
    CSceneLight& lamp = MakeLamp(0x404040, 1);
    m_animation.Animate(0.01f, m_settings);
    lamp.SetColorRGB(0xC0C0C0);
    for (int k = 0; k < 50; ++k)
    {
        m_animation.Animate(0.01f, m_settings);
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_NEAR(static_cast<int>(lamp.GetColorRGB() >> (8 * ch) & 0xFF), 0xC0, 0xC0 / 10 + 1);
    }
}

TEST_F(SceneAnimationTest, AfterItsFrameAFlickeredLampHasItsLightBackUnlessItWasSetAnew)
{
    SetMotions({"2, 7, 30;"});
    CSceneLight& lamp = MakeLamp(0x806040, 1);
    bool bFlickered = false;
    for (int k = 0; k < 20; ++k)
    {
        m_animation.Animate(0.01f, m_settings);
        bFlickered |= lamp.GetColorRGB() != 0xFF806040u || lamp.GetAttenuation0() != 1.0f;
        m_animation.RestoreLamps();
        EXPECT_EQ(0xFF806040u, lamp.GetColorRGB());
        EXPECT_FLOAT_EQ(1.0f, lamp.GetAttenuation0());
        EXPECT_FALSE(lamp.IsAttenuationModified());
    }
    EXPECT_TRUE(bFlickered);
    // A colour set while the frame is drawn (the intro's last step) is the lamp's from then on.
    m_animation.Animate(0.01f, m_settings);
    lamp.SetColorRGB(0x102030);
    m_animation.RestoreLamps();
    EXPECT_EQ(0xFF102030u, lamp.GetColorRGB());
}

TEST_F(SceneAnimationTest, ScreensPlayTheirClipsAndTheLampsOfStillOnesDoNotFlicker)
{
    SetMotions({"2, 7, 50;"});
    struct SCase
    {
        const char* szName;
        int nDrawLevel, nAnimTV;
        BOOL bStill;
        bool bEnabled;
        int nClip;
        BOOL bNewFrame;
        int nLevelAsked; // -1: not updated
        bool bFlickers;
    };
    const SCase aCases[] = {
        {"playing, a new frame", 1, 2, FALSE, true, 0, TRUE, 2, true},
        {"playing, held still by the mode", 1, 2, TRUE, true, 0, TRUE, 0, true},
        {"no new frame: its lamp stays steady", 1, 2, FALSE, true, 0, FALSE, 2, false},
        {"clips off", 1, 0, FALSE, true, 0, TRUE, -1, false},
        {"hidden screen", 1, 2, FALSE, false, 0, TRUE, -1, false},
        {"clip beyond the list", 1, 2, FALSE, true, 3, TRUE, -1, false},
        {"detail level 0: screens are not visited", 0, 2, FALSE, true, 0, FALSE, -1, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CSceneLight& lamp = MakeLamp(0x808080, 1);
        CSceneObject screen;
        screen.m_nClip = c.nClip;
        screen.SetEnabled(c.bEnabled);
        screen.AddLightNumber(lamp.m_nIndex);
        screen.m_bDirty = 0;
        int nLevelAsked = -1;
        CSceneAnimation animation;
        animation.SetClips([] { return 2; },
                           [&](int nClip, int nLevel)
                           {
                               EXPECT_EQ(nClip, c.nClip);
                               nLevelAsked = nLevel;
                               return c.bNewFrame;
                           });
        m_settings = {c.nDrawLevel, c.nAnimTV, c.bStill};
        bool bFlickered = false;
        for (int k = 0; k < 20; ++k)
        {
            animation.Animate(0.01f, m_settings);
            bFlickered |= lamp.GetColorRGB() != 0xFF808080u;
            EXPECT_TRUE(lamp.m_bOn) << "switched on again after the flicker";
        }
        EXPECT_EQ(c.nLevelAsked, nLevelAsked);
        EXPECT_EQ(c.bFlickers, bFlickered);
        EXPECT_EQ(c.nLevelAsked >= 0 && c.bNewFrame, screen.m_bDirty != 0);
        CLightTable::DeleteAll();
    }
}
} // namespace
