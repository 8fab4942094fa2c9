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
