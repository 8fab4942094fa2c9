// Ini files read from any bytes through the private-profile calls, the files kept in memory.
// Properties: every key listed can be read; a value written is read back.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/Settings.h"
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

// Reads every key of every section; names are C texts, so a file with a zero byte may list a name
// cut short that is not there.
void ReadEverything(const std::string& file, bool bText)
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
            // A default no value can be (it holds a line break) tells a key that cannot be found.
            GetPrivateProfileString(section.c_str(), key.c_str(), "\n", s_value, sizeof(s_value), file.c_str());
            FuzzCheck(!bText || std::strcmp(s_value, "\n") != 0, "a key listed cannot be read");
            GetPrivateProfileInt(section.c_str(), key.c_str(), 0, file.c_str());
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string file = FuzzProfileFile("fuzz.ini", pData, nSize);
    ReadEverything(file, FuzzText(pData, nSize).find('\0') == std::string::npos);

    FuzzCheck(WritePrivateProfileString("Fuzz Section", "Fuzz key", "written", file.c_str()) == TRUE,
              "a value cannot be written");
    char szValue[16];
    GetPrivateProfileString("fuzz section", "FUZZ KEY", "", szValue, sizeof(szValue), file.c_str());
    FuzzCheck(std::strcmp(szValue, "written") == 0, "a value written is not read back");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    // The settings file as the game writes it, and with the artwork keys start-up adds.
    const std::string file = FuzzProfileFile("seed.ini", nullptr, 0);
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = file.c_str();
    settings.Save();
    const std::string saved = GetProfileFileForTest(file.c_str()).value_or("");
    WritePrivateProfileString("Artwork", "ArtFile", "C:\\Vorn\\3-DVorn.art", file.c_str());
    const std::string withArtwork = GetProfileFileForTest(file.c_str()).value_or("");
    return {FuzzBytes(saved), FuzzBytes(withArtwork), FuzzBytes("\xEF\xBB\xBF; note\n[Settings]\nVolume = 3\n")};
}
