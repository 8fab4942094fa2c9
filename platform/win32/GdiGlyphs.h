// Private to the GDI stand-in: FreeType faces at one pixel size with their rasterised glyphs.
// Nothing outside platform/win32 includes this header.
#pragma once

#include "platform/win32/Gdi.h"

#include <array>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

/// One rasterised glyph: 8-bit coverage rows, placed relative to the pen position on the baseline.
struct SGlyph
{
    bool bLoaded = false;
    LONG nLeft = 0;    // from the pen position to the first column
    LONG nTop = 0;     // from the baseline up to the first row
    LONG nWidth = 0;   // columns of coverage
    LONG nHeight = 0;  // rows of coverage
    LONG nAdvance = 0; // pixels the pen moves on
    const BYTE* pCoverage = nullptr;
};

/// A face (regular, bold, italic or both) at one size: GDI's metrics and a glyph cache filled on
/// first use. Lives as long as the program; any thread may draw with it.
class CGlyphFace
{
public:
    CGlyphFace(void* pFace, const TEXTMETRIC& tm, LONG nUnderlineOffset, LONG nUnderlineThickness, LONG nStrikeOffset);
    ~CGlyphFace();
    CGlyphFace(const CGlyphFace&) = delete;
    CGlyphFace& operator=(const CGlyphFace&) = delete;

    /// Height, ascent, descent, leadings, widths: the weight, style and character set are the
    /// font's, filled in by the caller.
    const TEXTMETRIC& Metrics() const { return m_tm; }
    LONG UnderlineOffset() const { return m_nUnderlineOffset; } // pixels below the baseline
    LONG UnderlineThickness() const { return m_nUnderlineThickness; }
    LONG StrikeOffset() const { return m_nStrikeOffset; } // pixels above the baseline

    /// The glyph of a code point (the face's missing-glyph box when it has none); control
    /// characters have no ink and no advance. The reference stays valid.
    const SGlyph& Glyph(char32_t c);

private:
    SGlyph Rasterise(char32_t c);
    const BYTE* Store(const BYTE* pRows, int nPitch, LONG nWidth, LONG nHeight);

    std::mutex m_mutex;
    void* m_pFace; // FT_Face, kept opaque so that FreeType's headers stay in one file
    TEXTMETRIC m_tm;
    LONG m_nUnderlineOffset;
    LONG m_nUnderlineThickness;
    LONG m_nStrikeOffset;
    std::array<SGlyph, 256> m_aLatin{};
    std::unordered_map<char32_t, SGlyph> m_others;
    std::vector<std::unique_ptr<BYTE[]>> m_blocks; // coverage storage; blocks never move
    std::size_t m_nBlockUsed = 0;
};

/// The face and size a font description asks for; null when no face file can be opened.
CGlyphFace* FindGlyphFace(const LOGFONT& lf);

/// Decodes one UTF-8 character and moves past it; a byte that does not start a valid sequence
/// (bad, overlong, surrogate, beyond U+10FFFF, cut short) gives U+FFFD and moves one byte.
char32_t DecodeUtf8(const char*& p, const char* pEnd);
