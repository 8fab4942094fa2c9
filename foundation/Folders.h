// The program folder, the data folder where the ini files are written, the ini file path and
// the "Artwork" section of the ini file; and CFilePath, which splits and rebuilds path texts.
//
// Folder texts end in a separator, so file names are appended to them directly. The program
// folder is a Linux path text ("/…/game/"); texts built from it may mix "/" and "\", which
// ResolvePath accepts wherever a file is opened.
#pragma once

#include "platform/mfc/CString.h"

/// A path split into drive ("C:"), directory (with its separators), name and extension (with
/// its dot); the Get… rebuilders fill a full-path text and return it.
class CFilePath
{
public:
    CFilePath() = default;
    explicit CFilePath(LPCSTR lpszPath);
    virtual ~CFilePath() = default;

    /// Splits the path; 0 for a null path, else 1.
    BOOL Split(LPCSTR lpszPath);
    /// drive + directory
    CString GetFolder();
    /// drive + directory + name + extension
    CString GetFullPath();
    /// name + extension
    CString GetFileName();
    CString GetName() const { return m_strName; }
    CString GetExt() const { return m_strExt; }

    /// Splits the program file's own path; 0 when it cannot be had.
    BOOL FromModule();
    /// Splits the current folder, which the splitting takes as a name, and returns it as a
    /// folder: drive + directory + name + extension + "\".
    CString FromCurrentDirectory();

private:
    CString m_strDrive;
    CString m_strDir;
    CString m_strName;
    CString m_strExt;
    CString m_strFull;
};

/// The program file's folder, "" when it cannot be had.
CString GetProgramFolder();
/// The program file's name without folder and extension ("Vorn").
CString GetProgramTitle();
/// The folder of files shared with the maker's other programs.
CString GetSharedFolder();

/// Chooses the data folder once at start-up and keeps it: the program folder when a file can
/// be created, written and deleted there, else "vorn/" in the user's data folder (made when
/// missing; an installed game keeps its settings, statistics and saved games there), else the
/// temporary folder, else the root that stands for the system drive. Main thread.
CString FindDataFolder();
CString GetDataFolder();

/// Whether a file can be created, written, flushed and deleted in folder (the probe of
/// FindDataFolder, with the marker file "$$3D-Vorn.$$").
bool IsFolderWritable(const CString& strFolder);

/// Sets the ini path to data folder + program title + ".ini", keeps it and returns it.
CString InitIniFilePath();
CString GetIniFilePath();

/// The value of key in the section "Artwork" of the ini file (at most 511 characters), or the
/// default ("" when none is given).
CString GetArtworkIniString(LPCSTR lpszKey, LPCSTR lpszDefault = nullptr);
BOOL WriteArtworkIniString(LPCSTR lpszKey, LPCSTR lpszValue);
/// Writes the key "ArtFile" of the "Artwork" section.
BOOL WriteArtFile(LPCSTR lpszPath);
/// folder = program folder + "Artwork\"; returns folder + "3-DVorn.art".
CString GetDefaultArtFilePath(CString& strFolder);
CString GetDefaultArtworkFolder();
/// program folder + "Tutorial\", computed on the first call and kept.
CString GetTutorialFolder();
