#include "ui/PanelFont.h"

#include <cstring>

namespace
{
constexpr const char* DEFAULT_FACE = "Arial";
} // namespace

CPanelFont::CPanelFont()
{
    m_lf.lfHeight = 14;
    m_lf.lfWeight = FW_NORMAL;
    m_lf.lfCharSet = PANEL_FONT_CHARSET;
    m_lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    m_lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    m_lf.lfQuality = ANTIALIASED_QUALITY;
    m_lf.lfPitchAndFamily = VARIABLE_PITCH;
    std::strcpy(m_lf.lfFaceName, DEFAULT_FACE);
    Recreate();
    GetLogFont(&m_lf);
}

CPanelFont& CPanelFont::SetHeight(LONG n)
{
    m_lf.lfHeight = -n;
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::SetBold(BOOL bBold)
{
    m_lf.lfWeight = bBold != 0 ? FW_BOLD : FW_NORMAL;
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::SetItalic(BYTE nItalic)
{
    m_lf.lfItalic = nItalic;
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::SetUnderline(BYTE nUnderline)
{
    m_lf.lfUnderline = nUnderline;
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::SetFaceName(const char* szFaceName)
{
    // The field holds 31 characters and the terminator; a longer name is cut, not overrun.
    std::memset(m_lf.lfFaceName, 0, sizeof(m_lf.lfFaceName));
    if (szFaceName != nullptr)
        std::strncpy(m_lf.lfFaceName, szFaceName, LF_FACESIZE - 1);
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::Preset(LONG lWeight, LONG lHeight)
{
    m_lf.lfItalic = 0;
    m_lf.lfUnderline = 0;
    m_lf.lfWeight = lWeight;
    m_lf.lfHeight = lHeight;
    Recreate();
    return *this;
}

CPanelFont& CPanelFont::SetNormal12() { return Preset(FW_NORMAL, -12); }
CPanelFont& CPanelFont::SetBold12() { return Preset(FW_BOLD, -12); }
CPanelFont& CPanelFont::SetHeavy16() { return Preset(800, -16); }
CPanelFont& CPanelFont::SetMessageFont() { return Preset(FW_BOLD, 20); }

LOGFONT& CPanelFont::SaveLogFont(LOGFONT& out)
{
    GetLogFont(&m_lf);
    std::memcpy(&out, &m_lf, sizeof(LOGFONT));
    return out;
}

void CPanelFont::RestoreLogFont(const LOGFONT& in)
{
    std::memcpy(&m_lf, &in, sizeof(LOGFONT));
    Recreate();
}

void CPanelFont::Recreate()
{
    DeleteObject();
    CreateFontIndirect(&m_lf);
}
