// The table sets: every artwork library (Imagery*.dll) carries a text "TABLES.SET" (type "SET")
// listing the billiard tables it provides, one line per table:
//   number, key, maker, bed mesh, side A, side B, side C, side D, watermark[, extra tokens...]
// Lines that are empty or start with "/" are comments; tokens end at ",", ";" or the line's end
// and are trimmed. Start-up reads every library's list into one global list; the scene set-up
// picks the entry the "Table number" setting names and loads its meshes from its library.
#pragma once

#include "platform/mfc/CString.h"

#include <cstddef>
#include <vector>

class CTableSetEntry
{
public:
    /// The nine fields of the line, in order. m_astrField[1] is the key: it is never empty in a
    /// kept entry, and its first character is replaced by a line feed. Fields 4 to 9 (indices 3
    /// to 8) name the meshes of the table's parts; a line with fewer tokens leaves the rest empty.
    CString m_astrField[9];
    std::vector<CString> m_astrExtra; ///< every further token of the line, in order
    CString m_strLibrary;             ///< the artwork library the line came from

    /// The mesh named for a table part by its scene-object kind (0x1000040 the bed, 0x4000040,
    /// 0x8000040, 0x10000040 and 0x20000040 the four sides, 0x2000040 the watermark); empty for
    /// any other kind.
    const CString& GetMeshForKind(int nKind) const;
};

class CTableSetList
{
public:
    /// Appends the entries of one library's text: nSize bytes, or up to a NUL byte. Every line is
    /// read, the last one too when no line feed ends it; a CR before a line feed is dropped.
    void ReadText(const char* szLibrary, const char* pText, std::size_t nSize);

    /// Selects the entry for the "Table number" setting: that index when it names an entry, else
    /// the first entry (-1 when the list is empty). Returns the selected index.
    int Select(int nTableNumber);
    /// The selected entry, or null when there is none.
    const CTableSetEntry* GetSelected() const;

    int GetCount() const { return static_cast<int>(m_aEntries.size()); }
    const CTableSetEntry& GetAt(int i) const { return m_aEntries[static_cast<std::size_t>(i)]; }
    void RemoveAll();

private:
    void ReadLine(const char* szLibrary, const CString& strLine);

    std::vector<CTableSetEntry> m_aEntries;
    int m_nSelected = -1;
};

/// The game's one list. Main thread.
extern CTableSetList g_tableSets;

/// Fills g_tableSets (the entries read before are dropped) from every library's "TABLES.SET", in
/// the order given. A library that does not open or has no such text adds nothing.
void LoadTablesSet(const CStringArray& astrLibraries);
