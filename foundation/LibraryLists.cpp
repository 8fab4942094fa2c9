#include "foundation/LibraryLists.h"

#include "platform/win32/Modules.h"

CStringArray g_astrArtworkLibraries;
CStringArray g_astrBallSetLibraries;

CLibraryListHold::CLibraryListHold(const CStringArray& astrLibraries)
{
    for (const CString& strLib : astrLibraries)
        if (const HMODULE hModule = LoadLibrary(strLib))
            m_ahModules.push_back(hModule);
}

CLibraryListHold::~CLibraryListHold()
{
    for (HMODULE hModule : m_ahModules)
        FreeLibrary(hModule);
}
