// Writes the test plug-in's picture: a small JPEG of a colour gradient.
#include "fixtures/ImageFixtures.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <picture.jpg>\n", argv[0]);
        return 2;
    }
    const UINT nWidth = 24, nHeight = 16;
    return WriteBytes(argv[1], EncodeJpeg(nWidth, nHeight, 3, MakeGradientRgb(nWidth, nHeight))) ? 0 : 1;
}
