#include "platform/win32/Files.h"

#include "platform/win32/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
std::mutex s_overrideMutex;
std::string s_strProgramOverride; // guarded by s_overrideMutex

// Copies text into the caller's buffer with the system's return rules.
DWORD CopyOut(const std::string& text, DWORD nBufferLength, LPSTR lpBuffer)
{
    const DWORD nNeeded = static_cast<DWORD>(text.size() + 1);
    if (lpBuffer == nullptr || nBufferLength < nNeeded)
        return nNeeded;
    std::memcpy(lpBuffer, text.c_str(), nNeeded);
    return nNeeded - 1;
}
} // namespace

std::string GetProgramFilePath()
{
    {
        std::lock_guard lock(s_overrideMutex);
        if (!s_strProgramOverride.empty())
            return s_strProgramOverride;
    }
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

void OverrideProgramFilePath(const std::string& path)
{
    std::lock_guard lock(s_overrideMutex);
    s_strProgramOverride = path;
}

DWORD GetTempPath(DWORD nBufferLength, LPSTR lpBuffer)
{
    const char* szTmp = std::getenv("TMPDIR");
    std::string folder = (szTmp != nullptr && *szTmp != '\0') ? szTmp : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return CopyOut(folder, nBufferLength, lpBuffer);
}

DWORD GetCurrentDirectory(DWORD nBufferLength, LPSTR lpBuffer)
{
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec)
        return 0;
    return CopyOut(cwd.string(), nBufferLength, lpBuffer);
}

BOOL SetCurrentDirectory(LPCSTR lpPathName)
{
    if (lpPathName == nullptr || *lpPathName == '\0')
        return FALSE;
    std::error_code ec;
    fs::current_path(ResolvePath(lpPathName), ec);
    return ec ? FALSE : TRUE;
}

std::string GetSystemDriveRoot()
{
    const char* szHome = std::getenv("HOME");
    std::string folder = (szHome != nullptr && *szHome != '\0') ? szHome : "/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string GetUserDataPath()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    const char* szData = std::getenv("XDG_DATA_HOME");
    if (szData != nullptr && *szData == '/')
        return std::string(szData) + (std::string_view(szData).ends_with('/') ? "" : "/");
    const char* szHome = std::getenv("HOME");
    if (szHome == nullptr || *szHome != '/')
        return std::string();
    return std::string(szHome) + (std::string_view(szHome).ends_with('/') ? "" : "/") + ".local/share/";
}

DWORD GetFileAttributes(LPCSTR lpFileName)
{
    if (lpFileName == nullptr || *lpFileName == '\0')
        return INVALID_FILE_ATTRIBUTES;
    const std::string path = ResolvePath(lpFileName);
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    DWORD dwAttr = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (::access(path.c_str(), W_OK) != 0)
        dwAttr |= FILE_ATTRIBUTE_READONLY;
    return dwAttr;
}

BOOL CreateDirectory(LPCSTR lpPathName, void* /*lpSecurityAttributes*/)
{
    if (lpPathName == nullptr || *lpPathName == '\0')
        return FALSE;
    return ::mkdir(ResolvePath(lpPathName).c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL DeleteFile(LPCSTR lpFileName)
{
    if (lpFileName == nullptr || *lpFileName == '\0')
        return FALSE;
    return ::unlink(ResolvePath(lpFileName).c_str()) == 0 ? TRUE : FALSE;
}

std::string GetCommonFilesFolder() { return "/usr/local/share/"; }

namespace
{
char FoldCase(char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); }

// Wildcard match without case: "*" any run of characters, "?" any one character.
bool MatchesPattern(std::string_view name, std::string_view pattern)
{
    std::size_t n = 0, p = 0, nStarName = std::string_view::npos, nStarPattern = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n])))
        {
            ++n;
            ++p;
        }
        else if (p < pattern.size() && pattern[p] == '*')
        {
            nStarPattern = ++p;
            nStarName = n;
        }
        else if (nStarName != std::string_view::npos)
        {
            // Let the last star take one more character and try again from there.
            p = nStarPattern;
            n = ++nStarName;
        }
        else
            return false;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
} // namespace

std::vector<std::string> FindFiles(LPCSTR lpPattern)
{
    std::vector<std::string> names;
    if (lpPattern == nullptr)
        return names;
    const SSplitPath split = SplitPath(lpPattern);
    const std::string strNamePattern = split.strName + split.strExt;
    const std::string strFolder = ResolvePath(split.strDrive + split.strDir);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(strFolder.empty() ? "." : strFolder, ec))
    {
        const std::string strName = entry.path().filename().string();
        if (!entry.is_directory(ec) && MatchesPattern(strName, strNamePattern))
            names.push_back(strName);
    }
    std::sort(names.begin(), names.end());
    return names;
}
