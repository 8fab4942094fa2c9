// Ini files: the private-profile calls and the game's settings read from any bytes. Properties:
// a value written is read back, and the settings saved from a file read back save the same.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/Settings.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/Profile.h"

#include <cstring>
#include <string>

namespace
{
// Every name of a double-zero-terminated list.
std::vector<std::string> SplitList(const char* pList, DWORD nLength)
{
    std::vector<std::string> names;
    for (DWORD i = 0; i < nLength; i += static_cast<DWORD>(std::strlen(pList + i)) + 1)
        names.emplace_back(pList + i);
    return names;
}

void ReadEverything(const std::string& file)
{
    static char s_list[8192];
    static char s_value[512];
    const DWORD nSections = GetPrivateProfileString(nullptr, nullptr, nullptr, s_list, sizeof(s_list), file.c_str());
    for (const std::string& section : SplitList(s_list, nSections))
    {
        static char s_keys[8192];
        const DWORD nKeys =
            GetPrivateProfileString(section.c_str(), nullptr, nullptr, s_keys, sizeof(s_keys), file.c_str());
        for (const std::string& key : SplitList(s_keys, nKeys))
        {
            GetPrivateProfileString(section.c_str(), key.c_str(), "", s_value, sizeof(s_value), file.c_str());
            GetPrivateProfileInt(section.c_str(), key.c_str(), 0, file.c_str());
        }
    }
}

std::string SavedSettings(const std::string& file)
{
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = file.c_str();
    settings.Load();
    FuzzCheck(settings.Save() == TRUE, "the settings cannot be saved");
    std::string bytes;
    ReadWholeFile(file, bytes);
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string file = WriteFuzzFile("fuzz.ini", pData, nSize);
    ReadEverything(file);

    FuzzCheck(WritePrivateProfileString("Fuzz Section", "Fuzz key", "written", file.c_str()) == TRUE,
              "a value cannot be written");
    char szValue[16];
    GetPrivateProfileString("fuzz section", "FUZZ KEY", "", szValue, sizeof(szValue), file.c_str());
    FuzzCheck(std::strcmp(szValue, "written") == 0, "a value written is not read back");

    const std::string once = SavedSettings(file);
    FuzzCheck(SavedSettings(file) == once, "settings saved from their own file differ");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = (FuzzFolder() + "seed.ini").c_str();
    settings.Save();
    std::string saved;
    ReadWholeFile(FuzzFolder() + "seed.ini", saved);
    WritePrivateProfileString("Artwork", "ArtFile", "C:\\Vorn\\3-DVorn.art", (FuzzFolder() + "seed.ini").c_str());
    std::string withArtwork;
    ReadWholeFile(FuzzFolder() + "seed.ini", withArtwork);
    return {FuzzBytes(saved), FuzzBytes(withArtwork), FuzzBytes("\xEF\xBB\xBF; note\n[Settings]\nVolume = 3\n")};
}
