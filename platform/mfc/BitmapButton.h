// The framework's bitmap button: a button drawn from four bitmaps, one per look. Only the
// bitmaps exist so far; the button window around them comes with the window classes.
#pragma once

#include "platform/mfc/Bitmap.h"

class CBitmapButton
{
public:
    virtual ~CBitmapButton() = default;

    CBitmap m_bitmap;         // normal
    CBitmap m_bitmapSel;      // selected (pressed)
    CBitmap m_bitmapFocus;    // focused
    CBitmap m_bitmapDisabled; // disabled
};
