// The balls' colours on the heads-up display: score icons, labels and the predicted paths' pens.
#pragma once

#include "platform/win32/Gdi.h"

/// The colour of a ball 0 to 15 (the cue ball white, 9 to 15 those of 1 to 7); CLR_INVALID for any
/// other number.
COLORREF GetBallColour(int nBall);
/// A pen in the ball's colour: solid for balls 0 to 8, dotted for the stripes 9 to 15, solid for
/// every ball in game types 16 and 17. Null for a number outside 0 to 15. The caller deletes it.
HPEN CreateBallPen(int nBall, int nWidth, int nGameType);
/// The colour of a ball's predicted path: ball 6 green outside the pyramid and American games,
/// every ball red in the bonus game; CLR_INVALID where the ball's own pen serves.
COLORREF PathColour(int nBall, int nGameType);
/// The colour of the mark at a path's end: a ball that comes to rest on the table white (the cue
/// ball red, but white in the American and bonus games), a pocketed one yellow.
COLORREF PathEndColour(int nBall, int nCueBall, bool bPocketed, int nGameType);
