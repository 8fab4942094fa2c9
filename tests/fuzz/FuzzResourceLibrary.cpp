// Resource libraries opened from any bytes. Property: a library opened, written again by the
// writer and opened again holds the same entries with the same data.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/ResourceLibrary.h"

#include <algorithm>

namespace
{
bool SameEntries(const CResourceLibrary& a, const CResourceLibrary& b)
{
    if (a.Entries().size() != b.Entries().size())
        return false;
    for (const SResourceEntry& entry : a.Entries())
    {
        const SResourceEntry* pOther = b.Find(entry.name, entry.type);
        if (pOther == nullptr)
            return false;
        // Find gives any language; look for the same one.
        bool bFound = false;
        for (const SResourceEntry& other : b.Entries())
            if (other.type.Matches(entry.type) && other.name.Matches(entry.name) && other.nLanguage == entry.nLanguage)
                bFound = std::ranges::equal(a.Data(entry), b.Data(other));
        if (!bFound)
            return false;
    }
    return a.Version() == b.Version();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::string strError;
    const auto pLib = CResourceLibrary::FromBytes(std::vector<BYTE>(pData, pData + nSize), strError);
    if (!pLib)
        return 0;
    CResourceLibraryWriter writer;
    writer.SetVersion(pLib->Version());
    for (const SResourceEntry& entry : pLib->Entries())
    {
        const std::span<const BYTE> data = pLib->Data(entry);
        FuzzCheck(
            writer.Add(entry.type, entry.name, entry.nLanguage, std::vector<BYTE>(data.begin(), data.end()), strError),
            "an entry of an opened library cannot be written again");
    }
    const auto pAgain = CResourceLibrary::FromBytes(writer.Build(), strError);
    FuzzCheck(pAgain != nullptr && SameEntries(*pLib, *pAgain), "a library written again differs");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    CResourceLibraryWriter writer;
    writer.SetVersion({0x00010002, 0x00030004});
    std::string strError;
    writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(180), 0, FuzzBytes("splash"), strError);
    writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("3-DVorn.art"), 0, FuzzBytes("[Objects]\n"), strError);
    writer.Add(SResourceKey::Id(6), SResourceKey::Id(1345), 0x409, FuzzBytes("\x05\0H\0e\0l\0l\0o\0"), strError);
    writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("EMPTY"), 0, {}, strError);
    return {writer.Build(), CResourceLibraryWriter().Build()};
}
