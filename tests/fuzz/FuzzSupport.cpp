#include "tests/fuzz/FuzzTarget.h"
#include "tests/platform/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

std::vector<BYTE> FuzzBytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }
