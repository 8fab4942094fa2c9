#include "media/ModeSelector.h"

CModeSelector::CModeSelector(std::array<DWORD, MODE_RECORD_WORDS>& record, std::span<const DWORD> words)
{
    const bool bFifth = record[4] != 0;
    const bool bSecond = record[1] != 0;
    record[MODE_RECORD_MODE] = bFifth ? (bSecond ? 3u : 1u) : (bSecond ? 2u : 0u);
    DWORD dwTotal = words.size() > 3 ? words[3] : 0;
    if (!bFifth)
        dwTotal += record[3];
    record[MODE_RECORD_SIZE] = dwTotal >= 4 ? 4u : (dwTotal == 3 ? 3u : (dwTotal == 2 ? 2u : 8u));
}
