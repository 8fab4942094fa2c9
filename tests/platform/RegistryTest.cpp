#include "platform/win32/Registry.h"

#include "tests/platform/EnvScope.h"
#include "tests/platform/TempFolder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
class RegistryTest : public ::testing::Test
{
protected:
    RegistryTest() : m_env("XDG_CONFIG_HOME", m_dir.Path().c_str()) {}

    HKEY Create(HKEY hRoot, const char* szSubKey, DWORD* pdwDisposition = nullptr)
    {
        HKEY hKey = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyEx(hRoot, szSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                                nullptr, &hKey, pdwDisposition));
        return hKey;
    }

    static LONG SetText(HKEY hKey, const char* szName, const std::string& text)
    {
        return RegSetValueEx(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
    }

    static std::string GetText(HKEY hKey, const char* szName)
    {
        char buffer[256] = {};
        DWORD cb = sizeof(buffer);
        DWORD dwType = REG_NONE;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer), &cb));
        EXPECT_EQ(REG_SZ, dwType);
        return buffer;
    }

    CTempFolder m_dir;
    CEnvScope m_env;
};
} // namespace

TEST_F(RegistryTest, KeysAndValuesWithoutCase)
{
    EXPECT_EQ(m_dir.File("vorn/registry.ini"), GetRegistryFilePath());
    HKEY hKey = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, KEY_QUERY_VALUE, &hKey));
    DWORD dwDisposition = 0;
    hKey = Create(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", &dwDisposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, dwDisposition);
    const DWORD dwOn = 1;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueEx(hKey, "Vorn warning", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOn), 4));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(hKey));

    HKEY hAgain = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\tamberlin\\VORN\\", &dwDisposition);
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, dwDisposition);
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    DWORD dwType = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueEx(hAgain, "VORN WARNING", nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cb));
    EXPECT_EQ(REG_DWORD, dwType);
    EXPECT_EQ(4u, cb);
    EXPECT_EQ(1u, dwValue);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(hAgain, "SHOWLINK", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(hAgain);

    // The same key under the other root is another key.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tamberlin\\Vorn", 0, KEY_READ, &hKey));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &hKey)); // a parent exists
    RegCloseKey(hKey);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(hKey));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueEx(hKey, "x", nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryTest, TextAndBinaryValuesKeepEveryByte)
{
    HKEY hKey = Create(HKEY_CURRENT_USER, "Software\\Tamberlin\\Vorn");
    const std::string tricky = " lead = [x]; \"q\" 100% @ tail ";
    ASSERT_EQ(ERROR_SUCCESS, SetText(hKey, "ILINK", tricky));
    ASSERT_EQ(ERROR_SUCCESS, SetText(hKey, "", "default value"));
    ASSERT_EQ(ERROR_SUCCESS, SetText(hKey, "name = odd", "v"));
    EXPECT_EQ(tricky, GetText(hKey, "ilink"));
    EXPECT_EQ("default value", GetText(hKey, nullptr));
    EXPECT_EQ("v", GetText(hKey, "NAME = ODD"));

    DWORD cb = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(hKey, "ILINK", nullptr, nullptr, nullptr, &cb));
    EXPECT_EQ(tricky.size() + 1, cb); // the terminator counts
    char small[4];
    cb = sizeof(small);
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueEx(hKey, "ILINK", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &cb));
    EXPECT_EQ(tricky.size() + 1, cb);

    const BYTE abFlags[] = {0x00, 0x00, 0x01, 0x00};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(hKey, "EditFlags", 0, REG_BINARY, abFlags, sizeof(abFlags)));
    BYTE abRead[8] = {};
    cb = sizeof(abRead);
    DWORD dwType = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(hKey, "EditFlags", nullptr, &dwType, abRead, &cb));
    EXPECT_EQ(REG_BINARY, dwType);
    ASSERT_EQ(4u, cb);
    EXPECT_EQ(0, std::memcmp(abFlags, abRead, 4));

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValue(hKey, "ILINK"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValue(hKey, "ILINK"));
    RegCloseKey(hKey);
}

TEST_F(RegistryTest, KeysAreDeletedLeafFirst)
{
    RegCloseKey(Create(HKEY_CLASSES_ROOT, ".sav"));
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "Vorn.Document\\shell"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKey(HKEY_CLASSES_ROOT, "Vorn.Document"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_CLASSES_ROOT, "vorn.document\\SHELL"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_CLASSES_ROOT, "Vorn.Document"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_CLASSES_ROOT, ".SAV"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKey(HKEY_CLASSES_ROOT, ".sav"));
    HKEY hKey = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CLASSES_ROOT, ".sav", 0, KEY_READ, &hKey));
}

TEST_F(RegistryTest, ADamagedStoreReadsAsMissingValues)
{
    std::filesystem::create_directories(m_dir.Path() / "vorn");
    m_dir.Write("vorn/registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\Tamberlin\\Vorn]\r\n"
                                     "SHOWLINK=dword:12\r\nILINK=nonsense\r\nLAUNCHURL=hex(3):ABC\r\n"
                                     "garbage \x01\xff line\r\n");
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, KEY_READ, &hKey));
    for (const char* szName : {"SHOWLINK", "ILINK", "LAUNCHURL", "garbage"})
    {
        SCOPED_TRACE(szName);
        DWORD cb = 0;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(hKey, szName, nullptr, nullptr, nullptr, &cb));
    }
    RegCloseKey(hKey);
}

TEST_F(RegistryTest, OddKeyNamesRoundTripAndNoOtherKeyOpensInTheirPlace)
{
    struct SCase
    {
        const char* szName;    // the key made, with a value in it
        const char* szNotMade; // a name the store might confuse with it
    };
    const SCase cases[] = {
        {"Vorn]Deluxe", "Vorn"}, {"line\r\nbreak", "line"},    {" padded ", "padded"},
        {"100%41", "100A"},      {"[bracketed]", "bracketed"}, {"tab\tinside", "tab inside"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szNotMade);
        const std::string path = std::string("Software\\") + c.szName;
        HKEY hKey = Create(HKEY_CURRENT_USER, path.c_str());
        ASSERT_EQ(ERROR_SUCCESS, SetText(hKey, "v", c.szName));
        RegCloseKey(hKey);
        hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey));
        EXPECT_EQ(c.szName, GetText(hKey, "v"));
        RegCloseKey(hKey);
        const std::string other = std::string("Software\\") + c.szNotMade;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CURRENT_USER, other.c_str(), 0, KEY_READ, &hKey));
    }
}

TEST_F(RegistryTest, AnEmptyValueReadsAsZeroBytes)
{
    HKEY hKey = Create(HKEY_CURRENT_USER, "Software\\Tamberlin\\Vorn");
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(hKey, "Nothing", 0, REG_BINARY, nullptr, 0));
    BYTE ab[4] = {7, 7, 7, 7};
    DWORD cb = sizeof(ab);
    DWORD dwType = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(hKey, "Nothing", nullptr, &dwType, ab, &cb));
    EXPECT_EQ(REG_BINARY, dwType);
    EXPECT_EQ(0u, cb);
    EXPECT_EQ(7, ab[0]);
    RegCloseKey(hKey);
}
