// Small records of the game's messages and panels: the packed game description, the five-word
// record of the main frame and the widgets, and the score painter's item.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <vector>

/// A game description sent as one block: two words, three bytes and a text.
class CPackedMessage
{
public:
    DWORD m_dwFirst = 0;
    DWORD m_dwSecond = 0;
    std::array<BYTE, 3> m_abBytes{};
    CString m_strText;

    /// The packed form: bytes 0-3 the first word, 4-7 the second (little-endian), 8-10 the three
    /// bytes, then the text and a terminating zero; 12 plus the text's length bytes.
    const std::vector<BYTE>& Pack();
    /// The packed form made by the last Pack, empty before.
    const std::vector<BYTE>& GetPacked() const { return m_abPacked; }

private:
    std::vector<BYTE> m_abPacked;
};

/// Five integers in order; the main frame holds one of zeros, the widgets a table of eight.
struct SFiveWords
{
    std::array<int, 5> anWords{};
};

/// An item of the score painter: 124 bytes, zeroed; nothing reads it yet.
struct CScoreItem
{
    std::array<BYTE, 124> abData{};
};
