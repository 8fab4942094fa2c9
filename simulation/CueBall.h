// The program-wide number of the struck ball, as the referee hands it on.
#pragma once

/// Number of the ball the player strikes (0 after a new rack). Process-wide; written on the main
/// thread, read by the balls and engines, hence atomic inside. Tests set it and put back 0.
int GetCueBallNumber();
void SetCueBallNumber(int nBall);
