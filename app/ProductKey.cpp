#include "app/ProductKey.h"

#include "platform/win32/Files.h"
#include "platform/win32/Shell.h"
#include "platform/win32/WinTypes.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr const char* PRODUCT_KEY_ROOT = "Software\\Tamberlin\\";

/// Copies the text into the buffer, cut to fit and always ended; its length as copied.
DWORD CopyBounded(const char* szText, std::size_t nTextLength, char* szBuffer, DWORD nSize)
{
    if (szBuffer == nullptr || nSize == 0)
        return 0;
    const std::size_t nCopy = std::min<std::size_t>(nTextLength, nSize - 1);
    std::memcpy(szBuffer, szText, nCopy);
    szBuffer[nCopy] = '\0';
    return static_cast<DWORD>(nCopy);
}

/// The string value, or nothing when it is missing or not a string.
bool QueryString(HKEY hKey, const char* szName, std::string& strValue)
{
    DWORD dwType = 0;
    DWORD dwSize = 0;
    if (RegQueryValueEx(hKey, szName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS || dwType != REG_SZ)
        return false;
    std::vector<BYTE> aData(dwSize + 1, 0);
    if (RegQueryValueEx(hKey, szName, nullptr, &dwType, aData.data(), &dwSize) != ERROR_SUCCESS)
        return false;
    // The text ends at its first zero byte, whether or not the stored value carries one.
    strValue.assign(reinterpret_cast<const char*>(aData.data()));
    return true;
}
} // namespace

BOOL GetLongFileName(char* szPath, std::size_t nSize)
{
    if (szPath == nullptr || nSize == 0)
        return FALSE;
    const std::vector<std::string> aFound = FindFiles(szPath);
    if (aFound.empty() || aFound.front().size() >= nSize)
        return FALSE;
    std::memcpy(szPath, aFound.front().c_str(), aFound.front().size() + 1);
    return TRUE;
}

CString GetProductRegKey()
{
    char szPath[1024] = {};
    const std::string strProgram = GetProgramFilePath();
    CopyBounded(strProgram.c_str(), strProgram.size(), szPath, sizeof(szPath));
    GetLongFileName(szPath, sizeof(szPath));
    // The name starts after the last separator and ends at its first dot.
    const char* szName = szPath;
    for (const char* p = szPath; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            szName = p + 1;
    const std::size_t nLength = std::strcspn(szName, ".");
    return CString(PRODUCT_KEY_ROOT) + CString(szName, static_cast<int>(nLength));
}

HKEY OpenProductRegKey()
{
    const CString strKey = GetProductRegKey();
    HKEY hKey = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, strKey, 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS)
        return hKey;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, strKey, 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS)
        return hKey;
    return nullptr;
}

DWORD GetProductRegDword(const char* szName, DWORD dwDefault)
{
    const HKEY hKey = OpenProductRegKey();
    if (hKey == nullptr)
        return dwDefault;
    DWORD dwValue = 0;
    DWORD dwSize = sizeof(dwValue);
    const LONG nResult = RegQueryValueEx(hKey, szName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS ? dwValue : dwDefault;
}

DWORD GetProductRegString(const char* szName, char* szBuffer, DWORD nSize, const char* szDefault)
{
    std::string strValue;
    if (const HKEY hKey = OpenProductRegKey(); hKey != nullptr)
    {
        const bool bFound = QueryString(hKey, szName, strValue);
        RegCloseKey(hKey);
        if (bFound)
            return CopyBounded(strValue.c_str(), strValue.size(), szBuffer, nSize);
    }
    const char* szText = szDefault != nullptr ? szDefault : "";
    return CopyBounded(szText, std::strlen(szText), szBuffer, nSize);
}

std::intptr_t OpenUrl(const char* szUrl)
{
    const auto nBrowser =
        reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, nullptr, "iexplore.exe", szUrl, nullptr, SW_SHOWNORMAL));
    if (nBrowser > 32)
        return nBrowser;
    return reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, "open", szUrl, nullptr, nullptr, SW_SHOWNORMAL));
}
