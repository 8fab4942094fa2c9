// The watermark on the cloth tells the player's trophy in the game's own art: leaves for the
// silver, stars for the gold, the plain mark otherwise, each picture found in the artwork.
#include "tests/app/WholeFrame.h"

#include "render/SceneObject.h"
#include "render/TextureManager.h"
#include "render/XFile.h"
#include "ui/SceneOrder.h"

#include <gtest/gtest.h>
#include <string>

TEST(FrameTrophyWatermarkTest, TheWatermarkShowsLeavesForSilverStarsForGoldAndItsMarkOtherwise)
{
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    const CSceneObject* pMark = CSceneObject::FindSceneObjectByKind(KIND_WATERMARK);
    ASSERT_NE(nullptr, pMark);
    ASSERT_NE(nullptr, pMark->GetFrame());
    const struct
    {
        int nTrophy;
        const char* szPicture;
    } aCases[] = {{3, "waterstars.jpg"}, {2, "waterweed.bmp"}, {1, "watermark.bmp"}, {0, "watermark.bmp"}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.nTrophy);
        g_Settings.m_nTrophy = c.nTrophy;
        whole.Tick();
        const CXFileObject* pMesh = pMark->GetFrame()->GetFirstMesh();
        ASSERT_NE(nullptr, pMesh);
        for (const SXFileGroup& group : pMesh->Groups())
            EXPECT_EQ(c.szPicture, group.strTexture);
        EXPECT_NE(nullptr, GetTextureSurface(c.szPicture)) << "the picture was found";
    }
}
