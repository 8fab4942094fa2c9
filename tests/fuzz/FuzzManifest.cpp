// Resource-library manifests read from any text, as respack reads them. Properties: every entry
// read is keyed by a name or an id from 1 to 65535 and came from a line of the text; a refusal
// names the line.
#include "tests/fuzz/FuzzTarget.h"

#include "tools/respack/Manifest.h"

#include <algorithm>

namespace
{
bool IsKey(const SResourceKey& key) { return key.IsName() || key.nId != 0; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string text = FuzzText(pData, nSize);
    SManifest manifest;
    std::string strError;
    if (!ParseManifest(text, manifest, strError))
    {
        FuzzCheck(strError.starts_with("line "), "a manifest refused without its line");
        return 0;
    }
    const int nLines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const SManifestEntry& entry : manifest.entries)
    {
        FuzzCheck(IsKey(entry.type) && IsKey(entry.name), "an entry without its type or name");
        FuzzCheck(entry.nLine >= 1 && entry.nLine <= nLines, "an entry from no line of the text");
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const char* szLibrary : {"VornRes", "VornWave", "VornSpeech", "VornBall", "Imagery", "Imagery1"})
        seeds.push_back(FuzzSourceFile(std::string("assets/") + szLibrary + "/" + szLibrary + ".manifest"));
    return seeds;
}
