#include "foundation/LibraryLists.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/Modules.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_LIBRARY_LISTS, 1) CStringArray g_astrArtworkLibraries;
VORN_GLOBAL_ROW(GLOBAL_ROW_LIBRARY_LISTS, 1) CStringArray g_astrBallSetLibraries;

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
