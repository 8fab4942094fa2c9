#include "tests/fuzz/FuzzTarget.h"
#include "tests/platform/TempFolder.h"

#include "platform/win32/Profile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

void FuzzCheck(bool bHolds, const char* szWhat)
{
    if (bHolds)
        return;
    std::fprintf(stderr, "fuzz finding: %s\n", szWhat);
    std::abort();
}

const std::string& FuzzFolder()
{
    static const CTempFolder s_folder;
    static const std::string s_strFolder = s_folder.Folder();
    return s_strFolder;
}

std::string WriteFuzzFile(const std::string& name, const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strPath = FuzzFolder() + name;
    std::ofstream(strPath, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(pData), static_cast<std::streamsize>(nSize));
    return strPath;
}

std::string FuzzProfileFile(const std::string& name, const std::uint8_t* pData, std::size_t nSize)
{
    static const bool s_bInMemory = []
    {
        SetProfileFilesInMemoryForTest(true);
        return true;
    }();
    (void)s_bInMemory;
    const std::string strPath = FuzzFolder() + name;
    PutProfileFileForTest(strPath.c_str(), FuzzText(pData, nSize));
    return strPath;
}

std::vector<BYTE> FuzzBytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

std::string FuzzText(const std::uint8_t* pData, std::size_t nSize)
{
    return nSize == 0 ? std::string() : std::string(reinterpret_cast<const char*>(pData), nSize);
}

std::vector<BYTE> FuzzSourceFile(const std::string& relativePath)
{
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::vector<BYTE> bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    FuzzCheck(!bytes.empty(), "a seed file of the source tree cannot be read");
    return bytes;
}
