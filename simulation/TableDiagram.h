// The 2-D diagram of the table: the balls and the table parts drawn on a device context at 200
// pixels per metre, table x to the right and table y downwards, the bed's corner (0, 0) at the
// context's logical origin (a caller that wants the pockets and the cushion band in view moves the
// origin with SetViewportOrgEx). Everything is drawn with the pen and brush the caller selected.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/Gdi.h"

/// Scale of the diagram. Pixels per metre.
inline constexpr double DIAGRAM_PIXELS_PER_M = 200.0;
/// Half the side of the square a cushion corner is marked with. Metres.
inline constexpr double DIAGRAM_CORNER_HALF_SIZE_M = 0.1;

/// A table point's (x, y) on the diagram, in logical pixels (far-off points are held to a range in
/// which every pixel sum stays an int).
POINT TableToDiagram(const CVector3& p);
/// A length on the table as a whole number of diagram pixels.
int DiagramPixels(double dMetres);
