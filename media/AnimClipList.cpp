#include "media/AnimClipList.h"

CAnimList g_AnimList;
CString g_strAnimFolder;

std::array<std::pair<double, double>, ANIM_CLIP_RANGES> CAnimClip::MakeUnsetRanges()
{
    std::array<std::pair<double, double>, ANIM_CLIP_RANGES> ranges;
    ranges.fill({-1.0, -1.0});
    return ranges;
}

CAnimClip* CAnimList::GetAt(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(nIndex)];
}
