// The list of animated clips: entries that tie a texture clip to a title, a placement and
// sixteen time ranges. The panel commands and the heads-up display read the current entry's
// placement; the program itself never adds an entry, so readers must expect an empty list.
#pragma once

#include "media/AviClips.h"
#include "platform/mfc/CString.h"

#include <array>
#include <utility>
#include <vector>

/// Time ranges per entry.
inline constexpr int ANIM_CLIP_RANGES = 16;

class CAnimClip : public CAviClip
{
public:
    CString m_strTitle;
    CString m_strClipFile;        // relative to the list's folder
    CString m_strDescriptionFile; // the entry's own description file
    BOOL m_bLoaded = FALSE;
    std::array<double, 3> m_placement{};
    /// (start, end) pairs, both -1 when unset.
    std::array<std::pair<double, double>, ANIM_CLIP_RANGES> m_ranges = MakeUnsetRanges();

private:
    static std::array<std::pair<double, double>, ANIM_CLIP_RANGES> MakeUnsetRanges();
};

class CAnimList
{
public:
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    /// The entry at nIndex; null outside the list.
    CAnimClip* GetAt(int nIndex);
    /// The current entry; null when the current index is outside the list (always while empty).
    CAnimClip* GetCurrent() { return GetAt(m_nCurrent); }
    void Add(const CAnimClip& clip) { m_entries.push_back(clip); }

    CString m_strName;
    int m_nCurrent = 0;
    BOOL m_bRestart = FALSE;

private:
    std::vector<CAnimClip> m_entries;
};

/// The program's one clip list, empty for the whole run, and the folder its files would live in.
extern CAnimList g_AnimList;
extern CString g_strAnimFolder;
