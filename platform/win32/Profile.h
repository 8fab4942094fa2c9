// Private profile files (ini files) with the rules the game relies on:
// - section and key names are compared without case; the first of duplicate sections or
//   keys counts;
// - a value is trimmed of blanks, and one pair of matching surrounding quotes is removed;
// - a value longer than the caller's buffer is cut to fit;
// - a missing file, section or key gives the default;
// - lines that are not "[section]" or "key=value", comment lines (";") and lines before the
//   first section are ignored when reading and kept as they were when writing;
// - a UTF-8 byte-order mark at the start is ignored, and kept when the file is written;
// - only a regular file is read or written: a FIFO, a device or a folder of that name reads as
//   a missing file and refuses writes; a file the user made read-only refuses writes;
// - every write replaces the file in one step (temporary file and rename), so a crash or a
//   full disk never leaves a half-written file; a deletion that finds nothing to delete in a
//   missing file creates no file;
// - a file is parsed once into an index of its sections and keys, and parsed again only when
//   it changed on the disk, so reading many keys costs one parse.
// The file name is a Windows path text, opened through ResolvePath. Any thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

/// Copies the value of lpKeyName in section lpAppName (or lpDefault, "" when null, trailing
/// blanks removed) into lpReturnedString, cut to nSize - 1 characters; returns the length
/// copied. A null lpKeyName lists the section's key names instead, a null lpAppName the
/// file's section names: each name ends with a zero and the list with a second one; a list
/// that does not fit is cut and nSize - 2 is returned.
DWORD GetPrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize,
                              LPCSTR lpFileName);

/// The value read as a decimal integer: an optional sign and the leading digits (text without
/// digits gives 0; a number beyond the 32-bit range gives the nearest limit). A missing or
/// empty value gives nDefault.
UINT GetPrivateProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);

/// Sets key = value in the section (created at the end of the file when missing; a new key
/// goes after the section's last key). A null lpString deletes the key; a null lpKeyName
/// deletes the whole section. Line breaks in the value become blanks, so a value can never
/// add lines of its own; a value with blanks at either end or in a pair of quotes is written in
/// double quotes, so that it reads back as it was written. Returns FALSE when the file cannot
/// be written (the old file is kept).
BOOL WritePrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);

/// Test seam: while on, profile files (and the registry's store, which is one) are kept in this
/// process's memory instead of on the disk, so that a fuzz target reads and writes thousands a
/// second through the same parsing, caching and editing. Every profile call then sees only the
/// memory files, which these calls put and take, each named by its path as given (not resolved
/// on the disk); turning it on or off drops them all. The game never turns it on.
void SetProfileFilesInMemoryForTest(bool bOn);
void PutProfileFileForTest(LPCSTR lpFileName, std::string bytes);
/// The memory file's bytes; none when there is no such file.
std::optional<std::string> GetProfileFileForTest(LPCSTR lpFileName);

/// Several changes to one profile file applied in one replacement of the file: either all of
/// them reach the disk or none does. The file is read when the edit is made and written by
/// Commit; other profile calls of the process wait until the edit is gone.
class CProfileEdit
{
public:
    explicit CProfileEdit(LPCSTR lpFileName);
    ~CProfileEdit();
    CProfileEdit(const CProfileEdit&) = delete;
    CProfileEdit& operator=(const CProfileEdit&) = delete;

    /// The same changes as WritePrivateProfileString, kept in memory until Commit.
    void WriteString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);
    /// Adds an empty section when none of that name exists.
    void AddSection(LPCSTR lpAppName);

    /// What the file holds with the changes made so far: a value (trimmed, unquoted), the
    /// section names in file order.
    std::optional<std::string> GetString(LPCSTR lpAppName, LPCSTR lpKeyName) const;
    std::vector<std::string> GetSectionNames() const;

    /// Writes the file; FALSE (and the old file untouched) when it cannot be written.
    BOOL Commit();

private:
    struct SState;
    std::unique_ptr<SState> m_pState;
};
