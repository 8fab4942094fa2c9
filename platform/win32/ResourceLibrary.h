// The resource library: one file holding the program's resources (texts, dialogs, images,
// sounds, scene texts), found by type and name the way Win32 finds a module's resources.
//
// File layout, all numbers little-endian:
//
//   header (28 bytes)
//     u32 magic            "VRES" (the bytes 'V' 'R' 'E' 'S')
//     u16 format version   1
//     u16 header size      28
//     u32 version, high    the library's version stamp (major << 16 | minor)
//     u32 version, low     (build << 16 | revision)
//     u32 entry count
//     u32 index size       bytes of the index that follows the header
//     u32 file size        bytes of the whole file, so that a cut-off file is noticed
//   index: one record per entry
//     key  type            u16 numeric id, u16 name length n, then n name bytes (n = 0: numeric)
//     key  name            the same shape
//     u16  language
//     u32  offset          of the entry's data from the start of the file
//     u32  size            bytes of data
//   data: each entry's bytes, starting on a multiple of 4
//
// A library is checked completely when it is opened: a damaged one (wrong magic, index or data
// past the end, overlapping entries, duplicate keys, a cut-off file) is refused with a text that
// says what is wrong, so nothing later reads outside the file. A library opened from its file reads
// only its header and index then, and each entry's data when it is first asked for, from the file
// it opened (kept open, so a new file written over its path changes nothing; data cut off the open
// file in place no longer loads).
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr DWORD RESLIB_MAGIC = 0x53455256u; // "VRES" read as a little-endian word
inline constexpr WORD RESLIB_FORMAT_VERSION = 1;
inline constexpr std::size_t RESLIB_HEADER_SIZE = 4 + 2 + 2 + 4 + 4 + 4 + 4 + 4;
static_assert(RESLIB_HEADER_SIZE == 28);
/// Most bytes of data and index in one library: offsets and sizes are 32-bit, and this leaves
/// room for the header and alignment.
inline constexpr std::size_t RESLIB_MAX_DATA = 0xF0000000u;
/// The type of string-table entries: one entry per string, its name the string's id.
inline constexpr WORD RT_STRING_ID = 6;
/// Longest resource or type name stored; the game's names are short file-like texts.
inline constexpr std::size_t RESLIB_MAX_NAME = 255;

/// A resource type or name: a numeric id or a text, texts matched without case.
struct SResourceKey
{
    WORD nId = 0;        // used when strName is empty
    std::string strName; // upper/lower case kept as written, ignored when matching

    static SResourceKey Id(WORD nId) { return SResourceKey{nId, {}}; }
    static SResourceKey Name(std::string_view name) { return SResourceKey{0, std::string(name)}; }
    /// From a Win32 argument: MAKEINTRESOURCE(id), "#123" (a numeric id written as text) or a name.
    static SResourceKey FromWin(LPCSTR sz);

    bool IsName() const { return !strName.empty(); }
    bool Matches(const SResourceKey& other) const;
    /// "#123" for ids, the name otherwise (for messages and listings).
    std::string Text() const;
};

struct SResourceVersion
{
    DWORD dwMs = 0; // major << 16 | minor
    DWORD dwLs = 0; // build << 16 | revision
    friend bool operator==(const SResourceVersion&, const SResourceVersion&) = default;
};

struct SResourceEntry
{
    SResourceKey type;
    SResourceKey name;
    WORD nLanguage = 0;
    DWORD nOffset = 0; // from the start of the file
    DWORD nSize = 0;
};

/// An opened, checked library held in memory.
class CResourceLibrary
{
public:
    /// Checks and takes the bytes of a library; null with strError set when they are damaged.
    static std::unique_ptr<CResourceLibrary> FromBytes(std::vector<BYTE> bytes, std::string& strError);
    /// Opens and checks a library file (a Linux path): its container whole, its data read entry by
    /// entry when asked for.
    static std::unique_ptr<CResourceLibrary> FromFile(const std::string& strPath, std::string& strError);
    /// The version stamp of a library file, after checking its container whole (header, length,
    /// index, every entry's data inside the file) without reading the data; false with strError
    /// set when it is not a library or is damaged.
    static bool ReadVersion(const std::string& strPath, SResourceVersion& version, std::string& strError);

    /// The first entry (in index order) with this type and name, any language; null when none.
    const SResourceEntry* Find(const SResourceKey& name, const SResourceKey& type) const;
    /// An entry's bytes, kept while the library lives; empty when the file no longer holds them
    /// (it was cut short after the opening). Any thread.
    std::span<const BYTE> Data(const SResourceEntry& entry) const;
    const std::vector<SResourceEntry>& Entries() const { return m_entries; }
    SResourceVersion Version() const { return m_version; }

private:
    CResourceLibrary() = default;

    std::vector<BYTE> m_bytes; // a library held whole
    std::vector<SResourceEntry> m_entries;
    SResourceVersion m_version;
    // A library read from its file: the file, and each entry's bytes once read (guarded by m_mutex).
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_pFile{nullptr, &std::fclose};
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<std::vector<BYTE>>> m_aRead;
};

/// Builds a library: entries are kept in the order added, their data aligned to 4 bytes.
class CResourceLibraryWriter
{
public:
    void SetVersion(const SResourceVersion& version) { m_version = version; }
    /// False with strError set for an empty or too long key, a type, name and language that is
    /// already in the library, or data that would take the library past RESLIB_MAX_DATA bytes.
    bool Add(const SResourceKey& type, const SResourceKey& name, WORD nLanguage, std::vector<BYTE> data,
             std::string& strError);
    std::vector<BYTE> Build() const;
    /// Writes the library to a Linux path, replacing the file only once it is complete.
    bool WriteFile(const std::string& strPath, std::string& strError) const;

private:
    struct SPending
    {
        SResourceKey type;
        SResourceKey name;
        WORD nLanguage = 0;
        std::vector<BYTE> data;
    };
    std::vector<SPending> m_pending;
    std::size_t m_nDataBytes = 0; // data and index so far, alignment included
    SResourceVersion m_version;
};
