// The depth of a painted ball. The ball painter draws straight into the frame, past the depth
// buffer; so that what the device draws after a ball (the table's sides in front of it, the cue,
// the room's foreground) is hidden behind the ball or hides it as the scene has them, the ball's
// near surface is written into the depth buffer where its disc was painted.
#pragma once

#include "platform/dx/DxTypes.h"

/// A painted ball as the depth buffer sees it.
struct SBallDepth
{
    float fCentreX = 0, fCentreY = 0; // the disc's centre, pixels
    float fRadius = 0;                // the disc's radius, pixels
    float fViewZ = 0;                 // the centre's distance along the view axis, scene units
    float fSceneRadius = 0;           // the ball's radius, scene units
};

/// Writes, for each pixel whose centre lies inside the disc and inside rcClip, the depth the device
/// stores for the sphere's near surface there (the projection's z, scaled to the buffer's 16 or 32
/// bits). The buffer is the locked depth surface; other formats and a ball at or behind the eye
/// write nothing.
void WriteBallDepth(const DDSURFACEDESC2& depth, const RECT& rcClip, const SBallDepth& ball,
                    const D3DMATRIX& matProjection);
