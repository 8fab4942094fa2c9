// texgen <output folder>: draws the game's textures, ball faces and ball sets:
//   textures/<name>.jpg     the surfaces of the table and the room (type "JPG")
//   textures/<name>.bmp     the ball faces b_NN and b_sm_NN and the marks (bitmaps)
//   textures/<name>.tga     the particle pictures, copied beside the program
//   balls/<set>.tex, .col   each ball set's "TEXTURES" and "COLOR_TABLES"
//   ui/<id>.jpg             the program library's pictures and dialog pictures ("_DATA")
//   ui/<id>.cur, 128.ico    its cursors and icon
//   icons/hicolor/…/vorn.png the icon for the desktop, at several sides
//   panels/<name>.bmp       the in-game panels' pictures and the control bar's mask (bitmaps)
#include "tools/art/ArtOutput.h"
#include "tools/art/ImageFiles.h"
#include "tools/texgen/BallArt.h"
#include "tools/texgen/DialogPictures.h"
#include "tools/texgen/PanelPictures.h"
#include "tools/texgen/Sprites.h"
#include "tools/texgen/SurfaceTextures.h"
#include "tools/texgen/UiPictures.h"

#include <cstdio>

namespace
{
/// Ball face textures: b_NN.bmp at 512 texels a side, b_sm_NN.bmp at 256.
constexpr int FACE_SIDE = 512;
constexpr int SMALL_FACE_SIDE = 256;

bool WriteBalls(CArtOutput& output)
{
    bool bOk = true;
    for (int n = 0; n < 16; ++n)
    {
        char szLarge[32], szSmall[32];
        std::snprintf(szLarge, sizeof szLarge, "textures/b_%02d.bmp", n);
        std::snprintf(szSmall, sizeof szSmall, "textures/b_sm_%02d.bmp", n);
        const CArtImage face = MakeBallFace(StandardBallSet(), n, FACE_SIDE);
        bOk = output.Write(szLarge, EncodeArtBmp(face)) && bOk;
        bOk = output.Write(szSmall, EncodeArtBmp(face.Reduced(SMALL_FACE_SIDE, SMALL_FACE_SIDE))) && bOk;
    }
    for (const SBallSet& set : AllBallSets())
    {
        bOk = output.Write(std::string("balls/") + set.szTextures + ".tex", MakeBallTextures(set)) && bOk;
        bOk = output.Write(std::string("balls/") + set.szColors + ".col", MakeColorTable(set)) && bOk;
    }
    return bOk;
}

bool Generate(CArtOutput& output)
{
    bool bOk = true;
    for (const SNamedPicture& picture : MakeSurfaceTextures())
        bOk = output.Write("textures/" + picture.strName, EncodeArtJpeg(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakeMarkPictures())
        bOk = output.Write("textures/" + picture.strName, EncodeArtBmp(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakeMarkJpegPictures())
        bOk = output.Write("textures/" + picture.strName, EncodeArtJpeg(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakeParticlePictures())
        bOk = output.Write("textures/" + picture.strName, EncodeArtTga(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakeUiPictures())
        bOk = output.Write("ui/" + picture.strName + ".jpg", EncodeArtJpeg(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakeDialogPictures())
        bOk = output.Write("ui/" + picture.strName + ".jpg", EncodeArtJpeg(picture.image)) && bOk;
    for (const SNamedPicture& picture : MakePanelPictures())
        bOk = output.Write("panels/" + picture.strName, EncodeArtBmp(picture.image)) && bOk;
    bOk = output.Write("panels/BottomMenuMask.bmp", MakeControlBarMask()) && bOk;
    for (const SNamedFile& file : MakeCursorsAndIcon())
        bOk = output.Write(file.strName, file.bytes) && bOk;
    for (const SNamedFile& file : MakeDesktopIcons())
        bOk = output.Write(file.strName, file.bytes) && bOk;
    return WriteBalls(output) && bOk;
}
} // namespace

int main(int argc, char** argv) { return RunArtGenerator(argc, argv, "texgen", Generate); }
