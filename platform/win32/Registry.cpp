#include "platform/win32/Registry.h"

#include "platform/win32/Paths.h"
#include "platform/win32/Profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace
{
// Open keys: handle value -> the key's full path. Handles are never reused within a run.
std::mutex s_handleMutex;
std::map<std::uintptr_t, std::string> s_openKeys; // guarded by s_handleMutex
std::uintptr_t s_nNextHandle = 0x1000;            // guarded by s_handleMutex

std::optional<std::string> RootName(HKEY hKey)
{
    if (hKey == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (hKey == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (hKey == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return std::nullopt;
}

std::optional<std::string> KeyPath(HKEY hKey)
{
    if (auto root = RootName(hKey))
        return root;
    std::lock_guard lock(s_handleMutex);
    const auto it = s_openKeys.find(reinterpret_cast<std::uintptr_t>(hKey));
    return it == s_openKeys.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::string EscapeKeyName(std::string_view name);

// parent + "\" + sub, with empty parts of sub ("\\", leading or trailing "\") dropped. Paths
// are kept in their stored form: each name escaped (see EscapeKeyName).
std::string JoinKey(std::string path, LPCSTR lpSubKey)
{
    std::string_view sub = lpSubKey != nullptr ? lpSubKey : "";
    while (!sub.empty())
    {
        const std::size_t n = std::min(sub.find('\\'), sub.size());
        if (n > 0)
            path.append("\\").append(EscapeKeyName(sub.substr(0, n)));
        sub.remove_prefix(std::min(n + 1, sub.size()));
    }
    return path;
}

bool IsRootPath(const std::string& path) { return path.find('\\') == std::string::npos; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool KeyExists(const CProfileEdit& store, const std::string& path)
{
    if (IsRootPath(path))
        return true;
    for (const std::string& name : store.GetSectionNames())
        if (EqualNoCase(name, path) || StartsWithNoCase(name, path + "\\"))
            return true;
    return false;
}

bool HasSubKeys(const CProfileEdit& store, const std::string& path)
{
    for (const std::string& name : store.GetSectionNames())
        if (StartsWithNoCase(name, path + "\\"))
            return true;
    return false;
}

HKEY NewHandle(const std::string& path)
{
    std::lock_guard lock(s_handleMutex);
    const std::uintptr_t n = s_nNextHandle;
    s_nNextHandle += 4;
    s_openKeys[n] = path;
    return reinterpret_cast<HKEY>(n);
}

// ---- Text forms of names and data ----

const char* const HEX = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char uch) { out.append({'%', HEX[uch >> 4], HEX[uch & 0xF]}); }

// Bytes that the ini form would change or misread are written as "%XX".
std::string Escape(std::string_view text)
{
    std::string out;
    for (const char ch : text)
    {
        const unsigned char uch = static_cast<unsigned char>(ch);
        if (uch <= 0x20 || uch >= 0x7F || std::strchr("%=[];\"'@", ch) != nullptr)
            AppendEscaped(out, uch);
        else
            out.push_back(ch);
    }
    return out;
}

// A key name inside a section header: brackets, control characters, "%" and the blanks at
// either end (which the header would lose) are written as "%XX"; other characters stay as
// they are, so the names already stored keep their form.
std::string EscapeKeyName(std::string_view name)
{
    const std::size_t nFirst = std::min(name.find_first_not_of(' '), name.size());
    const std::size_t nLast = name.find_last_not_of(' ');
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        const unsigned char uch = static_cast<unsigned char>(name[i]);
        const bool bEdgeBlank = uch == ' ' && (i < nFirst || nLast == std::string_view::npos || i > nLast);
        if (uch < 0x20 || uch == 0x7F || bEdgeBlank || std::strchr("%[]", name[i]) != nullptr)
            AppendEscaped(out, uch);
        else
            out.push_back(name[i]);
    }
    return out;
}

int HexDigit(char ch)
{
    const char* p = std::strchr(HEX, std::toupper(static_cast<unsigned char>(ch)));
    return (p != nullptr && ch != '\0') ? static_cast<int>(p - HEX) : -1;
}

std::string Unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0)
        {
            out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        }
        else
            out.push_back(text[i]);
    }
    return out;
}

// The default value (empty name) is "@", as in the system's own export files.
std::string ValueKey(LPCSTR lpValueName)
{
    return (lpValueName == nullptr || *lpValueName == '\0') ? std::string("@") : Escape(lpValueName);
}

std::string EncodeValue(DWORD dwType, const std::vector<BYTE>& data)
{
    if (dwType == REG_SZ)
        return "sz:" + Escape(std::string(data.begin(), data.end() - (data.empty() ? 0 : 1)));
    std::string out = (dwType == REG_DWORD && data.size() == 4) ? "dword:" : "hex(" + std::to_string(dwType) + "):";
    if (dwType == REG_DWORD && data.size() == 4)
    {
        const DWORD dw = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
        for (int i = 7; i >= 0; --i)
            out.push_back(HEX[(dw >> (4 * i)) & 0xF]);
        return out;
    }
    for (BYTE b : data)
        out.append({HEX[b >> 4], HEX[b & 0xF]});
    return out;
}

bool DecodeHex(std::string_view text, std::vector<BYTE>& data)
{
    if (text.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        data.push_back(static_cast<BYTE>(hi * 16 + lo));
    }
    return true;
}

// A stored value back into its type and bytes; false for a damaged line.
bool DecodeValue(std::string_view text, DWORD& dwType, std::vector<BYTE>& data)
{
    data.clear();
    if (text.starts_with("sz:"))
    {
        const std::string value = Unescape(text.substr(3));
        dwType = REG_SZ;
        data.assign(value.begin(), value.end());
        data.push_back(0);
        return true;
    }
    if (text.starts_with("dword:") && text.size() == 14 && DecodeHex(text.substr(6), data))
    {
        dwType = REG_DWORD;
        std::reverse(data.begin(), data.end()); // written most significant digit first
        return true;
    }
    const std::size_t nClose = text.find("):");
    if (!text.starts_with("hex(") || nClose == std::string_view::npos)
        return false;
    dwType = static_cast<DWORD>(std::strtoul(std::string(text.substr(4, nClose - 4)).c_str(), nullptr, 10));
    return DecodeHex(text.substr(nClose + 2), data);
}

LONG Commit(CProfileEdit& store)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(GetRegistryFilePath()).parent_path(), ec);
    return store.Commit() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, bool bCreate, HKEY* phkResult, DWORD* lpdwDisposition)
{
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    const auto parent = KeyPath(hKey);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    const std::string path = JoinKey(*parent, lpSubKey);
    CProfileEdit store(GetRegistryFilePath().c_str());
    const bool bExists = KeyExists(store, path);
    if (!bExists && !bCreate)
        return ERROR_FILE_NOT_FOUND;
    if (!bExists)
    {
        // Every key on the way is made a key of its own, so it outlives the keys below it.
        for (std::size_t n = path.find('\\'); n != std::string::npos; n = path.find('\\', n + 1))
            store.AddSection(path.substr(0, path.find('\\', n + 1)).c_str());
        if (const LONG rc = Commit(store); rc != ERROR_SUCCESS)
            return rc;
    }
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = bExists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = NewHandle(path);
    return ERROR_SUCCESS;
}
} // namespace

std::string GetRegistryFilePath()
{
    const char* szConfig = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (szConfig != nullptr && *szConfig != '\0')
        folder = szConfig;
    else
        folder = std::string(std::getenv("HOME") != nullptr ? std::getenv("HOME") : "") + "/.config";
    return folder + "/vorn/registry.ini";
}

LONG RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, HKEY* phkResult)
{
    return OpenOrCreate(hKey, lpSubKey, false, phkResult, nullptr);
}

LONG RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, void*, HKEY* phkResult,
                    DWORD* lpdwDisposition)
{
    return OpenOrCreate(hKey, lpSubKey, true, phkResult, lpdwDisposition);
}

LONG RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, DWORD*, DWORD* lpType, BYTE* lpData, DWORD* lpcbData)
{
    const auto path = KeyPath(hKey);
    if (!path)
        return ERROR_INVALID_HANDLE;
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    CProfileEdit store(GetRegistryFilePath().c_str());
    const auto text = store.GetString(path->c_str(), ValueKey(lpValueName).c_str());
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
    if (!text || !DecodeValue(*text, dwType, data))
        return ERROR_FILE_NOT_FOUND;
    if (lpType != nullptr)
        *lpType = dwType;
    if (lpcbData == nullptr)
        return ERROR_SUCCESS;
    const DWORD cbAvailable = *lpcbData;
    *lpcbData = static_cast<DWORD>(data.size());
    if (lpData == nullptr)
        return ERROR_SUCCESS;
    if (cbAvailable < data.size())
        return ERROR_MORE_DATA;
    if (!data.empty()) // an empty value has no bytes to copy, and may have no buffer either
        std::memcpy(lpData, data.data(), data.size());
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    const auto path = KeyPath(hKey);
    if (!path)
        return ERROR_INVALID_HANDLE;
    if (lpData == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> data(lpData, lpData + cbData);
    if (dwType == REG_SZ) // the text up to its first zero, stored with one terminator
    {
        data.erase(std::find(data.begin(), data.end(), BYTE(0)), data.end());
        data.push_back(0);
    }
    CProfileEdit store(GetRegistryFilePath().c_str());
    store.WriteString(path->c_str(), ValueKey(lpValueName).c_str(), EncodeValue(dwType, data).c_str());
    return Commit(store);
}

LONG RegDeleteValue(HKEY hKey, LPCSTR lpValueName)
{
    const auto path = KeyPath(hKey);
    if (!path)
        return ERROR_INVALID_HANDLE;
    CProfileEdit store(GetRegistryFilePath().c_str());
    if (!store.GetString(path->c_str(), ValueKey(lpValueName).c_str()))
        return ERROR_FILE_NOT_FOUND;
    store.WriteString(path->c_str(), ValueKey(lpValueName).c_str(), nullptr);
    return Commit(store);
}

LONG RegDeleteKey(HKEY hKey, LPCSTR lpSubKey)
{
    const auto parent = KeyPath(hKey);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    const std::string path = JoinKey(*parent, lpSubKey);
    CProfileEdit store(GetRegistryFilePath().c_str());
    if (IsRootPath(path))
        return ERROR_ACCESS_DENIED;
    if (!KeyExists(store, path))
        return ERROR_FILE_NOT_FOUND;
    if (HasSubKeys(store, path))
        return ERROR_ACCESS_DENIED;
    store.WriteString(path.c_str(), nullptr, nullptr);
    return Commit(store);
}

LONG RegCloseKey(HKEY hKey)
{
    if (RootName(hKey))
        return ERROR_SUCCESS;
    std::lock_guard lock(s_handleMutex);
    return s_openKeys.erase(reinterpret_cast<std::uintptr_t>(hKey)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
