// The sound side's mode selector: from a nine-word record and a list of words it works out a
// mode (which of two sources are present) and a size (how many units the total asks for) and
// writes both into the record's last two words.
#pragma once

#include "platform/win32/WinTypes.h"

#include <array>
#include <span>

/// Words of the record the selector reads and writes.
inline constexpr int MODE_RECORD_WORDS = 9;
/// Where the selector writes its results in the record.
inline constexpr int MODE_RECORD_MODE = 7;
inline constexpr int MODE_RECORD_SIZE = 8;

class CModeSelector
{
public:
    /// Mode from the record's second and fifth words: 3 both set, 1 only the fifth, 2 only the
    /// second, 0 neither. Size from the fourth given word, plus the record's fourth word when its
    /// fifth is 0: 4 for a total of 4 or more, 3 for 3, 2 for 2, 8 otherwise. A list of fewer than
    /// four words counts its fourth as 0.
    CModeSelector(std::array<DWORD, MODE_RECORD_WORDS>& record, std::span<const DWORD> words);
    virtual ~CModeSelector() = default;
};
