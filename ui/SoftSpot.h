// The soft-spot texture: a 128 x 128 white blob whose alpha falls smoothly from the centre to the
// edges, shared by the heads-up display, which draws with it.
#pragma once

#include "platform/dx/Surface.h"

inline constexpr DWORD SOFT_SPOT_SIDE = 128;

/// The shared texture, null until made. Main thread only.
extern SurfacePtr g_pSoftSpotTexture;

/// Makes the shared texture when it does not exist yet, in the device's RGB texture format with
/// the most alpha bits (16-bit ones first when they have 3 or more); answers 1, also when it fails
/// (the texture then stays null).
BOOL CreateSoftSpotTexture();
/// Releases the shared texture (the click panels do when they release their surfaces).
void ReleaseSoftSpotTexture();
/// The blob's alpha at a pixel: 254 at the centre, 0 at the corners, each half mirroring the other.
BYTE SoftSpotAlpha(DWORD x, DWORD y);
