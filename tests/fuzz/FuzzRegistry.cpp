// The registry's store file read from any bytes, kept in memory. Property: a value set is read
// back unchanged.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/Profile.h"
#include "platform/win32/Registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace
{
const std::string& StoreFile()
{
    static const std::string s_strFile = []
    {
        ::setenv("XDG_CONFIG_HOME", FuzzFolder().substr(0, FuzzFolder().size() - 1).c_str(), 1);
        std::filesystem::create_directories(FuzzFolder() + "vorn");
        const std::string strFile = GetRegistryFilePath();
        FuzzCheck(strFile == FuzzFolder() + "vorn/registry.ini", "the store is not where the target puts it");
        return strFile;
    }();
    return s_strFile;
}

// Opens every key the store names below HKEY_CURRENT_USER and reads the values it lists.
void ReadEverything()
{
    static char s_sections[8192];
    const DWORD n =
        GetPrivateProfileString(nullptr, nullptr, nullptr, s_sections, sizeof(s_sections), StoreFile().c_str());
    for (DWORD i = 0; i < n; i += static_cast<DWORD>(std::strlen(s_sections + i)) + 1)
    {
        const std::string section = s_sections + i;
        const std::string root = "HKEY_CURRENT_USER\\";
        HKEY hKey = nullptr;
        if (section.rfind(root, 0) != 0 ||
            RegOpenKeyEx(HKEY_CURRENT_USER, section.substr(root.size()).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            continue;
        static char s_keys[8192];
        const DWORD nKeys =
            GetPrivateProfileString(section.c_str(), nullptr, nullptr, s_keys, sizeof(s_keys), StoreFile().c_str());
        for (DWORD k = 0; k < nKeys; k += static_cast<DWORD>(std::strlen(s_keys + k)) + 1)
        {
            BYTE ab[256];
            DWORD cb = sizeof(ab);
            RegQueryValueEx(hKey, s_keys + k, nullptr, nullptr, ab, &cb);
        }
        RegCloseKey(hKey);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    StoreFile();
    FuzzProfileFile("vorn/registry.ini", pData, nSize);
    ReadEverything();

    HKEY hKey = nullptr;
    FuzzCheck(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Fuzz", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &hKey, nullptr) == ERROR_SUCCESS,
              "a key cannot be made");
    // The input's first bytes as a binary value, and as a key name below it.
    const DWORD cb = static_cast<DWORD>(std::min<std::size_t>(nSize, 64));
    FuzzCheck(RegSetValueEx(hKey, "Data", 0, REG_BINARY, pData, cb) == ERROR_SUCCESS, "a value cannot be set");
    BYTE abRead[64];
    DWORD cbRead = sizeof(abRead);
    DWORD dwType = REG_NONE;
    FuzzCheck(RegQueryValueEx(hKey, "Data", nullptr, &dwType, abRead, &cbRead) == ERROR_SUCCESS &&
                  dwType == REG_BINARY && cbRead == cb && (cb == 0 || std::memcmp(abRead, pData, cb) == 0),
              "a binary value does not come back");
    std::string name(reinterpret_cast<const char*>(pData), cb);
    name = name.substr(0, name.find('\0'));
    std::replace(name.begin(), name.end(), '\\', '/');
    HKEY hSub = nullptr;
    if (!name.empty() && name.find_first_not_of(' ') != std::string::npos &&
        RegCreateKeyEx(hKey, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &hSub,
                       nullptr) == ERROR_SUCCESS)
    {
        RegCloseKey(hSub);
        FuzzCheck(RegOpenKeyEx(hKey, name.c_str(), 0, KEY_READ, &hSub) == ERROR_SUCCESS, "a key made does not open");
        RegCloseKey(hSub);
    }
    RegCloseKey(hKey);
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    StoreFile();
    FuzzProfileFile("vorn/registry.ini", nullptr, 0);
    HKEY hKey = nullptr;
    RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                   nullptr, &hKey, nullptr);
    const DWORD dwOn = 1;
    RegSetValueEx(hKey, "Vorn warning", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOn), 4);
    const char szText[] = "odd = [text]; 100%";
    RegSetValueEx(hKey, "ILINK", 0, REG_SZ, reinterpret_cast<const BYTE*>(szText), sizeof(szText));
    const BYTE abFlags[] = {0, 0, 1, 0};
    RegSetValueEx(hKey, "EditFlags", 0, REG_BINARY, abFlags, sizeof(abFlags));
    RegCloseKey(hKey);
    RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\ odd]name ", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                   nullptr, &hKey, nullptr);
    RegCloseKey(hKey);
    return {FuzzBytes(GetProfileFileForTest(StoreFile().c_str()).value_or(""))};
}
