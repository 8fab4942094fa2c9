// Reads back the pictures the art build wrote, with the game's own readers where it has them
// (JPEG, BMP, PNG), so that the contact sheet shows what the game will load.
#pragma once

#include "tools/art/ArtImage.h"

#include <optional>
#include <string>

/// The picture of a file by its extension (.jpg, .bmp, .png, .tga, and .tex, a ball set's number
/// discs); none when it does not decode.
std::optional<CArtImage> ReadPicture(const std::string& strPath);
