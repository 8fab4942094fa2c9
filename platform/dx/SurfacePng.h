// Reading a frame back: a surface's pixels written as an 8-bit RGB PNG file.
#pragma once

#include "platform/dx/Surface.h"

#include <string>

/// Writes the whole surface; false (and no file left behind) when the file cannot be written.
bool SaveSurfaceToPng(const CDirectDrawSurface& surface, const std::string& strPath);
