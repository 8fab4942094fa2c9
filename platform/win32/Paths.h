// Windows path texts on a Linux file system.
//
// The game builds and stores paths as Windows texts ("Saved\lastgame", "C:\Temp\x.ini") and
// spells one file several ways ("VornWave.DLL", "vornwave.dll"). The stored texts stay as they
// are; only where a file is opened does ResolvePath turn the text into the Linux path: "\"
// becomes "/", and each component is matched case-insensitively against what exists.
#pragma once

#include <string>
#include <string_view>

/// Maps a Windows path text to the Linux path to open. Each existing component is replaced
/// by the entry whose name matches it without case (an exact match is preferred); the first
/// component that matches nothing, and all after it, stay as written, so a file can be created.
/// A drive prefix "X:" is dropped: "X:\a" is the absolute path "/a".
std::string ResolvePath(std::string_view winPath);

/// Case-insensitive comparison of two ASCII texts, as the file system of the original did.
bool EqualNoCase(std::string_view a, std::string_view b);

/// The four parts of a path text as the C runtime's _splitpath gives them: drive ("C:" or
/// empty), directory (up to and including the last "\" or "/"), file name without extension,
/// and extension (from the last dot of the file name, dot included). Any length; never a
/// fixed buffer.
struct SSplitPath
{
    std::string strDrive;
    std::string strDir;
    std::string strName;
    std::string strExt;
};
SSplitPath SplitPath(std::string_view path);
