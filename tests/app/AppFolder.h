// A program folder of one test's own: the program file "Vorn" is taken to lie in a fresh folder,
// which is also the data folder, for the test's duration.
#pragma once

#include "foundation/Folders.h"
#include "foundation/LibraryLists.h"
#include "platform/TempFolder.h"
#include "platform/win32/Files.h"

#include <filesystem>

class CAppFolder
{
public:
    CAppFolder()
    {
        OverrideProgramFilePath(m_folder.File("Vorn"));
        FindDataFolder();
        InitIniFilePath();
    }
    ~CAppFolder()
    {
        g_astrArtworkLibraries.RemoveAll();
        OverrideProgramFilePath("");
        FindDataFolder();
        InitIniFilePath();
    }
    CAppFolder(const CAppFolder&) = delete;
    CAppFolder& operator=(const CAppFolder&) = delete;

    const CTempFolder& Folder() const { return m_folder; }
    /// Copies a library of the test program folder under a name.
    void AddLibrary(const std::string& strName) const
    {
        std::filesystem::copy_file(std::string(VORN_APP_FIXTURE_DIR) + "VornRes.dll", m_folder.File(strName));
    }

    /// Gives the program the test libraries' scene text: a library beside it, listed by its bare
    /// name as start-up's scan lists it.
    void AddArtworkLibrary() const
    {
        AddLibrary("Imagery.dll");
        g_astrArtworkLibraries.RemoveAll();
        g_astrArtworkLibraries.Add("Imagery.dll");
    }

private:
    CTempFolder m_folder;
};
