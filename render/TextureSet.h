// The ball sets' texture lists: each ball-set library (VornBall*.dat) holds the text
// "TEXTURES.SET" (type "SET"), one line per texture variant it offers:
//   variant name, texture-set resource name, a further name, colour-table resource name, flag;
// read once at start-up from every ball-set library, in the scanned order.
#pragma once

#include "platform/mfc/CString.h"

#include <vector>

class CTextureSetRec
{
public:
    /// Fills the record from a line of the named library; always 1 (an unreadable flag reads 0).
    int Parse(const char* szLibrary, const CString& strLine);

    CString m_strName;    ///< the variant: "standard", "american", "bonus" or a table set's name
    CString m_strField2;  ///< the texture-set resource (type "TEXTURES") of the balls
    CString m_strField3;  ///< a further name; a line without it is not kept
    CString m_strField4;  ///< the colour-table resource (type "COLOR_TABLES")
    int m_nValue = 0;     ///< the flag: 0 for the game types 16, 17 and 101, else 1
    CString m_strLibrary; ///< the ball-set library the line came from
};

class CTextureSet
{
public:
    /// Reads every ball-set library's list (the records read before are dropped). Per library the
    /// list ends at its first line shorter than 2 characters; lines starting with "/" are comments.
    void LoadTextureSet();

    int GetCount() const { return static_cast<int>(m_aRecs.size()); }
    /// A copy of record i; an empty record when i is out of range.
    CTextureSetRec GetAt(int i) const;

    /// Appends the records of one library's text (nSize bytes, or up to a NUL byte).
    void ReadText(const char* szLibrary, const char* pText, std::size_t nSize);

    int m_nCurrent = -1; ///< the record in use, -1 before one is chosen

private:
    std::vector<CTextureSetRec> m_aRecs;
};

/// The game's one list, read at start-up. Main thread.
extern CTextureSet g_textureSet;
