// The small pictures: the pocket arrow's texture, the disabled and chat marks, the watermark on
// the cloth, the trophy's three medals, and the particle pictures star.tga and bubble.tga (with
// alpha) that lie beside the program.
#pragma once

#include "tools/texgen/SurfaceTextures.h"

/// The pocket arrow's texture (arrow.bmp), 256 by 256.
CArtImage MakeArrowPicture();
/// arrow.bmp, Disable.bmp, Chat.bmp, watermark.bmp, the silver trophy's waterweed.bmp and the
/// medals bronze.bmp, silver.bmp and gold.bmp (written as BMP).
std::vector<SNamedPicture> MakeMarkPictures();
/// The marks kept as JPEG pictures: the gold trophy's watermark.
std::vector<SNamedPicture> MakeMarkJpegPictures();
/// star.tga and bubble.tga (written as TGA, with alpha).
std::vector<SNamedPicture> MakeParticlePictures();
