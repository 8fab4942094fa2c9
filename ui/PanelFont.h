// The font of the game's own painted surfaces (HUD panels, the message painter, in-game widgets,
// skinned buttons, the hyperlink control): a GDI font that keeps its description and is made
// again whenever one attribute changes, so that a painter can switch a shared font to a preset,
// draw, and put it back exactly as it was.
#pragma once

#include "platform/mfc/Bitmap.h"

/// The character set of every panel font; never changed.
inline constexpr BYTE PANEL_FONT_CHARSET = RUSSIAN_CHARSET;

class CPanelFont : public CFont
{
public:
    /// "Arial", cell height 14, weight 400, anti-aliased, variable pitch.
    CPanelFont();

    /// lfHeight = -n: a character height of n pixels.
    CPanelFont& SetHeight(LONG n);
    /// Weight 700 when the flag is non-zero, else 400.
    CPanelFont& SetBold(BOOL bBold);
    CPanelFont& SetItalic(BYTE nItalic);
    CPanelFont& SetUnderline(BYTE nUnderline);
    /// Copies at most 31 characters and a terminating zero.
    CPanelFont& SetFaceName(const char* szFaceName);

    CPanelFont& SetNormal12();    // weight 400, character height 12
    CPanelFont& SetBold12();      // weight 700, character height 12
    CPanelFont& SetHeavy16();     // weight 800, character height 16
    CPanelFont& SetMessageFont(); // weight 700, cell height 20

    /// Refreshes the kept description from the font, copies its 60 bytes to out and returns out.
    LOGFONT& SaveLogFont(LOGFONT& out);
    /// Takes the 60 bytes of a saved description and makes the font again.
    void RestoreLogFont(const LOGFONT& in);
    const LOGFONT& GetKeptLogFont() const { return m_lf; }

    /// Deletes the font and makes it again from the kept description. GDI draws a face it does not
    /// know in the default face, so any name gives a usable font; only missing font files leave the
    /// object without a handle (selecting it then selects nothing).
    void Recreate();

private:
    CPanelFont& Preset(LONG lWeight, LONG lHeight);

    LOGFONT m_lf;
};
