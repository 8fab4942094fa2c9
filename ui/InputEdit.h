// The main window's invisible edit line, which takes the typed characters, and the colour holder
// it shares with the skinned dialogs' text list: text colours, a background brush and a font.
#pragma once

#include "platform/mfc/Bitmap.h"
#include "platform/mfc/Controls.h"

class CCtrlColors
{
public:
    /// The system's window text and highlight text colours, a brush of the button face colour and
    /// the default interface font.
    CCtrlColors();
    virtual ~CCtrlColors();
    CCtrlColors(const CCtrlColors&) = delete;
    CCtrlColors& operator=(const CCtrlColors&) = delete;

    /// Deletes the font and the brush (again harmlessly).
    virtual void DeleteObjects();

    COLORREF m_crText;
    COLORREF m_crHighlightText;
    CBrush m_brBackground;
    LOGFONT m_logFont;
    CFont m_font;
    DWORD m_dwFlags = 0;
};

/// The edit line never draws: the characters it takes are shown by the game itself.
class CInputEdit : public CEdit, public CCtrlColors
{
public:
    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    void OnPaint() {}
};

/// The main window's input line, created with the window as its child control. Main thread.
extern CInputEdit g_InputEdit;
