// The program's registry key and its values, and opening an address.
#include "app/ProductKey.h"

#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/win32/Files.h"
#include "platform/win32/Shell.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
class ProductKeyTest : public ::testing::Test
{
protected:
    ProductKeyTest() : m_config("XDG_CONFIG_HOME", (m_folder.Path() / "config").c_str())
    {
        m_folder.Write("Vorn", "");
        OverrideProgramFilePath(m_folder.File("Vorn"));
    }
    ~ProductKeyTest() override { OverrideProgramFilePath(""); }

    static void SetValue(HKEY hRoot, const char* szName, DWORD dwType, const void* pData, DWORD nSize)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(hRoot, "Software\\Tamberlin\\Vorn", 0, nullptr, 0, KEY_ALL_ACCESS,
                                                nullptr, &hKey, nullptr));
        RegSetValueEx(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), nSize);
        RegCloseKey(hKey);
    }
    static void SetText(HKEY hRoot, const char* szName, const char* szText)
    {
        SetValue(hRoot, szName, REG_SZ, szText, static_cast<DWORD>(std::strlen(szText) + 1));
    }

    CTempFolder m_folder;
    CEnvScope m_config;
};

TEST_F(ProductKeyTest, KeyIsNamedAfterTheProgramFileAsTheFileSystemSpellsItUpToItsFirstDot)
{
    struct SCase
    {
        const char* szOnDisk;
        const char* szAskedFor;
        const char* szKey;
    };
    const SCase aCases[] = {{"Vorn", "Vorn", "Software\\Tamberlin\\Vorn"},
                            {"My.Game.exe", "My.Game.exe", "Software\\Tamberlin\\My"},
                            {"Vorn.Deluxe", "vorn.deluxe", "Software\\Tamberlin\\Vorn"},
                            {nullptr, "Gone.exe", "Software\\Tamberlin\\Gone"}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szAskedFor);
        if (c.szOnDisk != nullptr)
            m_folder.Write(c.szOnDisk, "");
        OverrideProgramFilePath(m_folder.File(c.szAskedFor));
        EXPECT_STREQ(c.szKey, GetProductRegKey());
    }
}

TEST_F(ProductKeyTest, ValuesComeFromTheMachineRootFirstAndMissingOnesTakeTheirDefaults)
{
    char szBuffer[51] = {};
    EXPECT_EQ(1u, GetProductRegDword("SHOWLINK", 1)) << "no key at all";
    EXPECT_EQ(4u, GetProductRegString("ILINK", szBuffer, sizeof(szBuffer), "dflt"));
    EXPECT_STREQ("dflt", szBuffer);

    const DWORD dwUser = 7;
    SetValue(HKEY_CURRENT_USER, "SHOWLINK", REG_DWORD, &dwUser, sizeof(dwUser));
    EXPECT_EQ(7u, GetProductRegDword("SHOWLINK", 1)) << "the user's key when the machine has none";
    const DWORD dwMachine = 0;
    SetValue(HKEY_LOCAL_MACHINE, "SHOWLINK", REG_DWORD, &dwMachine, sizeof(dwMachine));
    SetText(HKEY_CURRENT_USER, "ILINK", "user.jpg");
    EXPECT_EQ(0u, GetProductRegDword("SHOWLINK", 1)) << "the machine's key wins";
    EXPECT_EQ(4u, GetProductRegString("ILINK", szBuffer, sizeof(szBuffer), "dflt"))
        << "the user's key is not read once the machine has one";
    EXPECT_EQ(1u, GetProductRegDword("Missing", 1));
}

TEST_F(ProductKeyTest, StringsAreAlwaysEndedWithinTheBufferAndOtherTypesCountAsMissing)
{
    SetText(HKEY_LOCAL_MACHINE, "TEN", "0123456789");
    SetText(HKEY_LOCAL_MACHINE, "LONG", std::string(80, 'x').c_str());
    SetValue(HKEY_LOCAL_MACHINE, "UNENDED", REG_SZ, "abc", 3);
    const DWORD dwNumber = 12345;
    SetValue(HKEY_LOCAL_MACHINE, "NUMBER", REG_DWORD, &dwNumber, sizeof(dwNumber));
    struct SCase
    {
        const char* szName;
        DWORD nSize;
        DWORD nLength;
        const char* szText;
    };
    const SCase aCases[] = {{"TEN", 51, 10, "0123456789"}, {"TEN", 4, 3, "012"},         {"LONG", 51, 50, nullptr},
                            {"UNENDED", 51, 3, "abc"},     {"NUMBER", 51, 7, "default"}, {"MISSING", 51, 7, "default"},
                            {"MISSING", 3, 2, "de"}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << c.szName << " in " << c.nSize);
        char szBuffer[64];
        std::memset(szBuffer, '#', sizeof(szBuffer));
        EXPECT_EQ(c.nLength, GetProductRegString(c.szName, szBuffer, c.nSize, "default"));
        EXPECT_EQ('\0', szBuffer[c.nLength]);
        EXPECT_EQ('#', szBuffer[c.nSize]) << "nothing written past the buffer";
        if (c.szText != nullptr)
        {
            EXPECT_STREQ(c.szText, szBuffer);
        }
    }
}

TEST_F(ProductKeyTest, AnAddressOpensOnceThroughTheOpenerAndNothingOpensHeadless)
{
    const std::string strRecorder = m_folder.File("recorder.sh");
    m_folder.Write("recorder.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + m_folder.File("opened.txt") + "\"\n");
    std::filesystem::permissions(strRecorder, std::filesystem::perms::owner_all);
    {
        CEnvScope opener("VORN_OPENER", strRecorder.c_str());
        const int nBefore = GetOpenerStartCount();
        EXPECT_GT(OpenUrl("http://vorn.invalid/"), 32);
        EXPECT_EQ(nBefore + 1, GetOpenerStartCount()) << "the browser opened it: no second try";
    }
    CEnvScope opener("VORN_OPENER", nullptr);
    CEnvScope driver("SDL_VIDEODRIVER", "dummy");
    const int nBefore = GetOpenerStartCount();
    EXPECT_LE(OpenUrl("http://vorn.invalid/"), 32);
    EXPECT_EQ(nBefore, GetOpenerStartCount());
}
} // namespace
