// Files and folders as the game asks for them: the program file, the temporary and current
// folders, file attributes, creating folders and deleting files. Path texts may be Windows
// texts; they are mapped with ResolvePath where the file system is touched.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

/// Full path of the running program file (a Linux path text, "/…/game/Vorn").
std::string GetProgramFilePath();

/// Test seam: makes GetProgramFilePath return path ("" goes back to the real program file),
/// so tests can put the program folder where they like. Set it before any thread asks.
void OverrideProgramFilePath(const std::string& path);

/// The temporary folder, ending in a separator: $TMPDIR when set, else "/tmp/". Like the
/// system call: returns the length copied (without terminator), or the size needed
/// (terminator included) when the buffer is too small, in which case nothing is copied.
DWORD GetTempPath(DWORD nBufferLength, LPSTR lpBuffer);

/// The current folder, without a trailing separator; same return rules as GetTempPath.
DWORD GetCurrentDirectory(DWORD nBufferLength, LPSTR lpBuffer);
/// Makes the folder the current one; FALSE, changing nothing, when it is not a folder.
BOOL SetCurrentDirectory(LPCSTR lpPathName);

/// The place that stands for the root of the system drive ("c:\") where the game falls back to
/// it: the user's home folder ($HOME, else "/"), ending in a separator.
std::string GetSystemDriveRoot();

/// The folder where a user's programs keep data that must last: $XDG_DATA_HOME when it is an
/// absolute path, else $HOME/.local/share, ending in a separator; "" without either. The folder
/// may not exist yet.
std::string GetUserDataPath();

/// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL (with FILE_ATTRIBUTE_READONLY when the
/// file cannot be written), or INVALID_FILE_ATTRIBUTES when nothing of that name exists.
DWORD GetFileAttributes(LPCSTR lpFileName);

/// Creates one folder (not its parents); FALSE when it exists already or cannot be made.
BOOL CreateDirectory(LPCSTR lpPathName, void* lpSecurityAttributes);

/// Deletes a file; FALSE when it does not exist or cannot be deleted.
BOOL DeleteFile(LPCSTR lpFileName);

/// The place for files that several programs of one maker share ("C:\Program Files\Common
/// Files\" on Windows): "/usr/local/share/", ending in a separator.
std::string GetCommonFilesFolder();

/// The names (without folder) of the files that match a search pattern "folder\name" whose name
/// may hold the wildcards "*" and "?", matched without case like the system's file search; in
/// name order, so that every run finds them in the same order. Folders are not listed.
std::vector<std::string> FindFiles(LPCSTR lpPattern);
