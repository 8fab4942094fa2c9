// soundgen <output folder>: synthesizes the game's sound effects and speech chimes as WAV files.
#include "tools/art/ArtOutput.h"
#include "tools/art/WaveWriter.h"
#include "tools/soundgen/GameSounds.h"

namespace
{
bool Generate(CArtOutput& output)
{
    bool bOk = true;
    for (const auto& sounds : {MakeEffectSounds(), MakeSpeechChimes()})
        for (const SGameSound& sound : sounds)
            bOk = output.Write(sound.strFile, EncodeWave(sound.samples)) && bOk;
    return bOk;
}
} // namespace

int main(int argc, char** argv) { return RunArtGenerator(argc, argv, "soundgen", Generate); }
