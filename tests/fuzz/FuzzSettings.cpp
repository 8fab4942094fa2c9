// The game's settings read from an ini file of any bytes, the file kept in memory. Property: the
// settings saved from a file, read back and saved again, save the same.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/Settings.h"
#include "platform/win32/Profile.h"

namespace
{
std::string SavedSettings(const std::string& file)
{
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = file.c_str();
    settings.Load();
    FuzzCheck(settings.Save() == TRUE, "the settings cannot be saved");
    return GetProfileFileForTest(file.c_str()).value_or("");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string file = FuzzProfileFile("fuzz.ini", pData, nSize);
    const std::string once = SavedSettings(file);
    FuzzCheck(SavedSettings(file) == once, "settings saved from their own file differ");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    // The file the game writes, and one whose every setting a player changed.
    const std::string file = FuzzProfileFile("seed.ini", nullptr, 0);
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = file.c_str();
    settings.Save();
    const std::string saved = GetProfileFileForTest(file.c_str()).value_or("");
    settings.m_strPlayer1 = " Zoe \"Z\" ";
    settings.m_nGameType = 9;
    settings.m_nPlayerLevel2 = 7;
    settings.m_strDecay = "0.65";
    settings.m_strSavedDirectory = "D:\\Games\\Saved";
    settings.Save();
    return {FuzzBytes(saved), FuzzBytes(GetProfileFileForTest(file.c_str()).value_or(""))};
}
