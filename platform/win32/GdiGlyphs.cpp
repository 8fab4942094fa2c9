// FreeType faces of Liberation Sans, sized by GDI's height rules, and their glyph caches.
#include "platform/win32/GdiGlyphs.h"

#include "platform/win32/DebugLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <ft2build.h>
#include <iterator>
#include <map>
#include <string>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace
{
constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;
/// Largest em size served, in pixels: far above any text of the game, small enough that a glyph
/// cache cannot grow without bound from a wild height.
constexpr LONG MAX_EM_PIXELS = 512;
/// Cell height of a font whose description asks for height 0, in pixels.
constexpr LONG DEFAULT_CELL_HEIGHT = 16;
constexpr std::size_t BLOCK_BYTES = 64 * 1024;

// Regular, bold, italic, bold italic.
constexpr const char* FACE_FILES[4] = {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf",
                                       "LiberationSans-Italic.ttf", "LiberationSans-BoldItalic.ttf"};
// fonts-liberation2 first, the older fonts-liberation (same metrics) after it.
constexpr const char* FONT_FOLDERS[] = {"/usr/share/fonts/truetype/liberation2/",
                                        "/usr/share/fonts/truetype/liberation/"};

LONG Round(double d) { return static_cast<LONG>(std::lround(d)); }

/// The font files, FreeType and every face made so far. Any thread; the mutex guards all of it.
class CGlyphCache
{
public:
    ~CGlyphCache()
    {
        m_faces.clear();
        for (FT_Face pProbe : m_probes)
        {
            if (pProbe != nullptr)
                FT_Done_Face(pProbe);
        }
        if (m_pLibrary != nullptr)
            FT_Done_FreeType(m_pLibrary);
    }

    CGlyphFace* Find(const LOGFONT& lf)
    {
        const int nStyle = (lf.lfWeight >= FW_SEMIBOLD ? 1 : 0) + (lf.lfItalic != 0 ? 2 : 0);
        std::lock_guard lock(m_mutex);
        FT_Face pProbe = Probe(nStyle);
        if (pProbe == nullptr)
            return nullptr;
        const TT_OS2* pOs2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(pProbe, FT_SFNT_OS2));
        const double dUnits = pProbe->units_per_EM;
        const double dCellUnits =
            pOs2 != nullptr ? pOs2->usWinAscent + pOs2->usWinDescent : pProbe->ascender - pProbe->descender;
        // Negative heights give the em size, positive ones the cell (Windows ascent + descent).
        const LONG nCell = lf.lfHeight == 0 ? DEFAULT_CELL_HEIGHT : lf.lfHeight;
        double dEm = nCell < 0 ? -static_cast<double>(nCell) : nCell * dUnits / dCellUnits;
        dEm = std::clamp(dEm, 1.0, static_cast<double>(MAX_EM_PIXELS));
        const LONG nEm26 = Round(dEm * 64.0);
        const LONG nCellHeight = nCell > 0 && nCell <= MAX_EM_PIXELS ? nCell : 0;
        auto& pFace = m_faces[Key{nStyle, nEm26, nCellHeight}];
        if (pFace == nullptr)
            pFace = MakeFace(nStyle, nEm26, nCellHeight);
        return pFace.get();
    }

private:
    struct Key
    {
        int nStyle;
        LONG nEm26;
        LONG nCellHeight;
        auto operator<=>(const Key&) const = default;
    };

    FT_Face Probe(int nStyle)
    {
        if (m_pLibrary == nullptr && FT_Init_FreeType(&m_pLibrary) != 0)
            return nullptr;
        if (m_probes[nStyle] == nullptr && !m_bTried[nStyle])
        {
            m_bTried[nStyle] = true;
            m_files[nStyle] = ReadFaceFile(FACE_FILES[nStyle]);
            m_probes[nStyle] = OpenFace(nStyle);
        }
        return m_probes[nStyle];
    }

    static std::vector<BYTE> ReadFaceFile(const char* szName)
    {
        for (const char* szFolder : FONT_FOLDERS)
        {
            std::ifstream file(std::string(szFolder) + szName, std::ios::binary);
            if (file)
                return std::vector<BYTE>(std::istreambuf_iterator<char>(file), {});
        }
        OutputDebugString((std::string("GDI: no font file ") + szName + " (install fonts-liberation2)").c_str());
        return {};
    }

    FT_Face OpenFace(int nStyle)
    {
        const std::vector<BYTE>& file = m_files[nStyle];
        FT_Face pFace = nullptr;
        if (file.empty() ||
            FT_New_Memory_Face(m_pLibrary, file.data(), static_cast<FT_Long>(file.size()), 0, &pFace) != 0)
            return nullptr;
        return pFace;
    }

    std::unique_ptr<CGlyphFace> MakeFace(int nStyle, LONG nEm26, LONG nCellHeight)
    {
        FT_Face pFace = OpenFace(nStyle);
        if (pFace == nullptr)
            return nullptr;
        if (FT_Set_Char_Size(pFace, 0, nEm26, 72, 72) != 0)
        {
            FT_Done_Face(pFace);
            return nullptr;
        }
        const TT_OS2* pOs2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(pFace, FT_SFNT_OS2));
        const double dScale = nEm26 / 64.0 / pFace->units_per_EM;
        const double dWinAscent = pOs2 != nullptr ? pOs2->usWinAscent : pFace->ascender;
        const double dWinDescent = pOs2 != nullptr ? pOs2->usWinDescent : -pFace->descender;
        TEXTMETRIC tm;
        tm.tmAscent = Round(dWinAscent * dScale);
        // A cell height asked for is met exactly; the descent takes the rounding.
        tm.tmDescent = nCellHeight > 0 ? nCellHeight - tm.tmAscent : Round(dWinDescent * dScale);
        tm.tmHeight = tm.tmAscent + tm.tmDescent;
        tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - Round(nEm26 / 64.0));
        const double dLineGap = pFace->height - (dWinAscent + dWinDescent);
        tm.tmExternalLeading = std::max<LONG>(0, Round(dLineGap * dScale));
        tm.tmAveCharWidth = Round((pOs2 != nullptr ? pOs2->xAvgCharWidth : pFace->max_advance_width / 2) * dScale);
        tm.tmMaxCharWidth = Round(pFace->max_advance_width * dScale);
        const LONG nThickness = std::max<LONG>(1, Round(pFace->underline_thickness * dScale));
        const LONG nUnderline = std::max<LONG>(1, Round(-pFace->underline_position * dScale));
        const LONG nStrike = pOs2 != nullptr ? Round(pOs2->yStrikeoutPosition * dScale) : tm.tmAscent / 3;
        return std::make_unique<CGlyphFace>(pFace, tm, nUnderline, nThickness, nStrike);
    }

    std::mutex m_mutex;
    FT_Library m_pLibrary = nullptr;
    std::array<std::vector<BYTE>, 4> m_files;
    std::array<FT_Face, 4> m_probes{};
    std::array<bool, 4> m_bTried{};
    std::map<Key, std::unique_ptr<CGlyphFace>> m_faces;
};

CGlyphCache& Cache()
{
    static CGlyphCache s_cache;
    return s_cache;
}
} // namespace

CGlyphFace::CGlyphFace(void* pFace, const TEXTMETRIC& tm, LONG nUnderlineOffset, LONG nUnderlineThickness,
                       LONG nStrikeOffset)
    : m_pFace(pFace), m_tm(tm), m_nUnderlineOffset(nUnderlineOffset), m_nUnderlineThickness(nUnderlineThickness),
      m_nStrikeOffset(nStrikeOffset)
{
}

CGlyphFace::~CGlyphFace() { FT_Done_Face(static_cast<FT_Face>(m_pFace)); }

const SGlyph& CGlyphFace::Glyph(char32_t c)
{
    std::lock_guard lock(m_mutex);
    SGlyph& glyph = c < m_aLatin.size() ? m_aLatin[c] : m_others[c];
    if (!glyph.bLoaded)
        glyph = Rasterise(c);
    return glyph;
}

SGlyph CGlyphFace::Rasterise(char32_t c)
{
    SGlyph glyph;
    glyph.bLoaded = true;
    if (c < 0x20 || c == 0x7F)
        return glyph;
    auto pFace = static_cast<FT_Face>(m_pFace);
    const FT_UInt nIndex = FT_Get_Char_Index(pFace, c);
    if (FT_Load_Glyph(pFace, nIndex, FT_LOAD_TARGET_LIGHT) != 0 ||
        FT_Render_Glyph(pFace->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return glyph;
    const FT_GlyphSlot pSlot = pFace->glyph;
    const FT_Bitmap& bm = pSlot->bitmap;
    glyph.nAdvance = static_cast<LONG>((pSlot->advance.x + 32) >> 6);
    glyph.nLeft = pSlot->bitmap_left;
    glyph.nTop = pSlot->bitmap_top;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.width > 0 && bm.rows > 0)
    {
        glyph.nWidth = static_cast<LONG>(bm.width);
        glyph.nHeight = static_cast<LONG>(bm.rows);
        glyph.pCoverage = Store(bm.buffer, bm.pitch, glyph.nWidth, glyph.nHeight);
    }
    return glyph;
}

const BYTE* CGlyphFace::Store(const BYTE* pRows, int nPitch, LONG nWidth, LONG nHeight)
{
    const auto nBytes = static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight);
    if (m_blocks.empty() || m_nBlockUsed + nBytes > std::max(BLOCK_BYTES, nBytes))
    {
        m_blocks.push_back(std::make_unique<BYTE[]>(std::max(BLOCK_BYTES, nBytes)));
        m_nBlockUsed = 0;
    }
    BYTE* pOut = m_blocks.back().get() + m_nBlockUsed;
    m_nBlockUsed += nBytes;
    // FreeType's pitch is negative for rows stored bottom first.
    const BYTE* pRow = nPitch >= 0 ? pRows : pRows - static_cast<std::ptrdiff_t>(nPitch) * (nHeight - 1);
    for (LONG y = 0; y < nHeight; ++y, pRow += nPitch)
        std::memcpy(pOut + static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth), pRow,
                    static_cast<std::size_t>(nWidth));
    return pOut;
}

CGlyphFace* FindGlyphFace(const LOGFONT& lf) { return Cache().Find(lf); }

char32_t DecodeUtf8(const char*& p, const char* pEnd)
{
    const auto b0 = static_cast<unsigned char>(*p);
    if (b0 < 0x80)
    {
        ++p;
        return b0;
    }
    // Lead byte: how many continuation bytes follow, its payload bits, the least value it may encode.
    struct SLead
    {
        unsigned nMask, nValue;
        int nMore;
        char32_t cMin;
    };
    static constexpr SLead LEADS[] = {{0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
    const SLead* pLead = nullptr;
    for (const SLead& lead : LEADS)
    {
        if ((b0 & lead.nMask) == lead.nValue)
            pLead = &lead;
    }
    if (pLead == nullptr)
    {
        ++p;
        return REPLACEMENT_CHARACTER;
    }
    const int nMore = pLead->nMore;
    char32_t c = b0 & ~pLead->nMask & 0xFF;
    const char32_t cMin = pLead->cMin;
    if (pEnd - p <= nMore)
    {
        ++p;
        return REPLACEMENT_CHARACTER;
    }
    for (int i = 1; i <= nMore; ++i)
    {
        const auto b = static_cast<unsigned char>(p[i]);
        if ((b & 0xC0) != 0x80)
        {
            ++p;
            return REPLACEMENT_CHARACTER;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < cMin || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    {
        ++p;
        return REPLACEMENT_CHARACTER;
    }
    p += nMore + 1;
    return c;
}
