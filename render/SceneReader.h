// The scene text "3-DVorn.art": the room, the table and everything in them, read from the
// resource "3-DVORN.ART" of type "SET" in the first artwork library that holds it.
//
// Grammar: lines end in "\n" (a "\r" before it is trimmed away wherever text is compared); a line
// that is blank or starts with "//" is a comment; "[Header]" lines start sections, found without
// regard to case or surrounding blanks, in any order; "Key = value" lines ("Version", "Bounds")
// are found anywhere. Each section's lines are read by the token readers of foundation/Tokens.h.
#pragma once

#include "render/SceneRecords.h"

#include <vector>

/// The string resource shown when the scene text is missing or of the wrong version.
inline constexpr unsigned int IDS_SCENE_TEXT_MISSING = 21504;
/// The only version of the scene text this reader accepts.
inline constexpr int SCENE_TEXT_VERSION = 3;

class CSceneReader
{
public:
    /// With a file name (a Windows path text), opens that file and checks its version; without
    /// one (the game's use) opens nothing.
    explicit CSceneReader(const char* szFileName = nullptr);

    /// Opens the text from the artwork libraries. False, with one error box (string 21504),
    /// when no library holds it or its version is not SCENE_TEXT_VERSION.
    bool Open();
    void Close();
    bool IsOpen() const { return m_bOpen != 0; }
    const CString& GetName() const { return m_strName; }

    bool CheckVersion();
    /// The "Version" line's value; -1 when there is none or nothing is open.
    int ReadVersion();
    /// The six numbers of the "Bounds" line (minimum x, y, z, maximum x, y, z); numbers missing
    /// from the line leave their places as they were. False when there is no such line, or when
    /// a number on it is not finite (then nothing changes).
    bool ReadBounds(float afBounds[6]);

    /// Append the valid records of their section; false for a missing section or a closed reader.
    bool ReadObjects(std::vector<CSceneObjectRec>& aRecs);
    bool ReadTable(std::vector<CSceneObjectRec>& aRecs);
    /// Append each data line as it stands (leading blanks removed).
    bool ReadLights(CStringArray& astrLines);
    bool ReadLevels(CStringArray& astrLines);
    /// The section's first data line; true (and the line empty) when the next header comes first.
    bool ReadPureLights(CString& strLine);
    /// False also when a line's integer lacks its separator (what was read before stays).
    bool ReadAnimations(std::vector<CAnimationRec>& aRecs);
    /// Empty the global link list, then fill it.
    bool ReadLinks();
    /// Empty the global motion list, then fill it; false also when a line is bad.
    bool ReadMotions();

    /// A copy of the first record with that id; an empty (invalid) record when none has it.
    static CSceneObjectRec FindObjectRecById(const std::vector<CSceneObjectRec>& aRecs, int nId);

    /// Rewinds and reads up to the header's line; false when it is missing or nothing is open.
    bool FindSection(const char* szHeader);
    /// The next line without its "\n"; false at the end of the text.
    bool ReadLine(CString& strLine);
    /// Moves the read position (origin 0 start, 1 current, 2 end); returns it from the start.
    long Seek(long nOffset, int nOrigin);
    /// Removes the line's leading blanks; true when it is then empty or starts with "//".
    static bool IsCommentLine(CString& strLine);

private:
    /// Calls action for each data line of the section (false from action stops with false).
    template <class F> bool ForEachSectionLine(const char* szHeader, F action);
    /// Parses each data line into a TRec and hands it to add; a line that does not parse stops with false.
    template <class TRec, class FAdd> bool ReadRecordSection(const char* szHeader, FAdd add);
    bool FindKey(const char* szKey, CString& strValue);
    bool ReadObjectSection(const char* szHeader, std::vector<CSceneObjectRec>& aRecs);
    bool ReadLineSection(const char* szHeader, CStringArray& astrLines);

    CString m_strName;
    std::vector<char> m_pBuffer; ///< the whole text
    std::size_t m_pPos = 0;      ///< read position in m_pBuffer
    BOOL m_bFromFile = 1;
    BOOL m_bOpen = 0;
};

/// The game's one scene reader, built at start-up without a file. Main thread.
extern CSceneReader g_sceneReader;
