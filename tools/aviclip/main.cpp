// aviclip <output.avi> <width> <height> <16|24> <frames> <frames per second> [--no-index]:
// writes an uncompressed clip of moving colour ramps.
// aviclip <output folder>: writes the game's own clips there (GameClips.h), with their list.
#include "tools/art/ArtOutput.h"
#include "tools/aviclip/AviWriter.h"
#include "tools/aviclip/GameClips.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
bool WriteGameClips(CArtOutput& output)
{
    bool bOk = true;
    for (const SNamedClip& clip : MakeGameClips())
        bOk = output.Write(clip.strName, BuildAviClip(clip.desc)) && bOk;
    return bOk;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2)
        return RunArtGenerator(argc, argv, "aviclip", &WriteGameClips);
    if (argc < 7 || argc > 8 || (argc == 8 && std::strcmp(argv[7], "--no-index") != 0))
    {
        std::fprintf(stderr, "usage: aviclip <output.avi> <width> <height> <16|24> <frames> <fps> [--no-index]\n"
                             "       aviclip <output folder>\n");
        return 2;
    }
    SAviClipDesc desc;
    desc.nWidth = std::atoi(argv[2]);
    desc.nHeight = std::atoi(argv[3]);
    desc.nBitCount = static_cast<WORD>(std::atoi(argv[4]));
    const int nFrames = std::atoi(argv[5]);
    desc.dwRate = static_cast<DWORD>(std::atoi(argv[6]));
    desc.bIndex = argc == 7;
    if (desc.nWidth < 1 || desc.nWidth > 4096 || desc.nHeight < 1 || desc.nHeight > 4096 || nFrames < 1 ||
        nFrames > 10000 || desc.dwRate < 1 || (desc.nBitCount != 16 && desc.nBitCount != 24))
    {
        std::fprintf(stderr, "aviclip: sizes 1..4096, 16 or 24 bits, 1..10000 frames, a rate of at least 1\n");
        return 2;
    }
    for (int n = 0; n < nFrames; ++n)
        desc.frames.push_back(PatternFrame(desc.nWidth, desc.nHeight, desc.nBitCount, n));
    std::string strError;
    if (!WriteAviClip(argv[1], desc, strError))
    {
        std::fprintf(stderr, "aviclip: %s\n", strError.c_str());
        return 1;
    }
    return 0;
}
