// The sprite effects over the game's own pictures: the data folder's copy of a picture wins over
// the program folder's, and the eight systems come in their order with their textures made.
#include "render/SpriteEffects.h"

#include "tests/assets/GameFiles.h"
#include "tests/platform/TempFolder.h"

#include "foundation/LibraryLists.h"
#include "platform/dx/Device.h"
#include "render/TextureManager.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(SpriteEffectsTest, DataFolderFirstThenProgramFolder)
{
    for (const std::string& strFile : ArtworkLibraries())
        g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
    CTempFolder data;
    std::filesystem::copy_file(GamePath("bubble.tga"), data.Path() / "bubble.tga");
    const CString strData = data.Folder().c_str();
    const CString strProgram = (std::string(VORN_GAME_DIR) + "/").c_str();
    EXPECT_EQ(FindSpriteTexture(strData, strProgram, "bubble.tga"), strData + "bubble.tga");
    EXPECT_EQ(FindSpriteTexture(strData, strProgram, "star.tga"), strProgram + "star.tga");
    EXPECT_EQ(FindSpriteTexture("", strProgram, "bubble.tga"), strProgram + "bubble.tga");

    SurfacePtr pTarget =
        CDirectDrawSurface::Create(64, 64, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    const auto systems = CreateSpriteEffects(&device, strData, strProgram);
    // The sparkles, a burst of stars for each of the six pockets, and the smoke.
    ASSERT_EQ(systems.size(), 8u);
    for (std::size_t k = 0; k < systems.size(); ++k)
    {
        SCOPED_TRACE(k);
        const bool bPocket = k >= SPRITE_POCKET && k < SPRITE_POCKET + SPRITE_POCKET_COUNT;
        EXPECT_EQ(systems[k]->GetMaxParticles(), k == SPRITE_FOLLOW ? 250 : 50);
        EXPECT_EQ(CString(systems[k]->TextureName().c_str()),
                  bPocket ? strProgram + "star.tga" : strData + "bubble.tga");
        EXPECT_NE(GetTexture(systems[k]->TextureName().c_str()), nullptr) << "made on the device";
    }
    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
}
