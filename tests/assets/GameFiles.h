// The program folder the build filled, and the lookups the game makes in it: by name over the
// scanned artwork libraries (Imagery1.dll before Imagery.dll) and ball-set libraries.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/Modules.h"

#include <optional>
#include <string>
#include <vector>

inline std::string GamePath(const std::string& strFile) { return std::string(VORN_GAME_DIR) + "/" + strFile; }

/// The artwork libraries in the order the game scans them (descending names).
inline const std::vector<std::string>& ArtworkLibraries()
{
    static const std::vector<std::string> s_names = {"Imagery1.dll", "Imagery.dll"};
    return s_names;
}

/// The ball-set libraries in the order the game scans them.
inline const std::vector<std::string>& BallLibraries()
{
    static const std::vector<std::string> s_names = {"VornBall1.dat", "VornBall.dat"};
    return s_names;
}

/// A library of the program folder, loaded once for the whole test program (the libraries are
/// large, and every test reads them).
inline HMODULE GameLibrary(const std::string& strFile)
{
    static std::vector<std::pair<std::string, HMODULE>> s_loaded;
    for (const auto& [strName, hLib] : s_loaded)
        if (strName == strFile)
            return hLib;
    const HMODULE hLib = LoadLibrary(GamePath(strFile).c_str());
    s_loaded.emplace_back(strFile, hLib);
    return hLib;
}

/// The data of the first resource of that type and name in the libraries, in their order; none
/// when no library has it.
inline std::optional<std::vector<BYTE>> FindFirst(const std::vector<std::string>& libraries, LPCSTR szName,
                                                  LPCSTR szType)
{
    for (const std::string& strFile : libraries)
    {
        const HMODULE hLib = GameLibrary(strFile);
        const HRSRC hRes = hLib != nullptr ? FindResource(hLib, szName, szType) : nullptr;
        if (hRes == nullptr)
            continue;
        const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(hLib, hRes)));
        return std::vector<BYTE>(pData, pData + SizeofResource(hLib, hRes));
    }
    return std::nullopt;
}

/// The data of a resource of one library, none when it is missing.
inline std::optional<std::vector<BYTE>> FindIn(const std::string& strLibrary, LPCSTR szName, LPCSTR szType)
{
    return FindFirst({strLibrary}, szName, szType);
}
