// Widgets with buttons: CWidgetType3 builds its hot spots from a mask image and acts as a row of
// push buttons and toggles; CWidgetType2 is the main menu panel, a picture that fades in and out.
#pragma once

#include "ui/HotSpot.h"
#include "ui/PanelFont.h"
#include "ui/Widget.h"
#include "ui/WidgetMask.h"

#include <functional>
#include <span>

/// A tooltip stays this long after the cursor entered its button, ms.
inline constexpr DWORD BUTTON_TOOLTIP_MS = 3000;
/// The command whose button hides its panel before the command is posted.
inline constexpr int CMD_HIDES_PANEL = 40;

class CWidgetType3 : public CWidget
{
public:
    CWidgetType3();

    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    /// Loads the image again and copies the area of every pressed or checked button from the
    /// pressed image onto it.
    BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag) override;
    void Draw(int nFlag) override;
    void Show() override;
    void Hide() override;
    void TickFade() override;
    void OnLButtonDown(LONG x, LONG y) override;
    void OnLButtonUp(LONG x, LONG y) override;
    void OnMouseMove(LONG x, LONG y) override;
    /// Loads the images and makes one hot spot per mask index that has a row in the table.
    virtual BOOL Build(const CString& strImage, const CString& strPressed, const CString& strMask,
                       const CString& strTooltip, const RECT* pRect, std::span<const SHotSpotDesc> table);

    /// This class's button table (rows by mask index).
    virtual std::span<const SHotSpotDesc> Table() const;

    CString m_strPressedImage;
    CString m_strMaskImage;
    CString m_strTooltipImage;
    SMaskImage m_mask; // loaded once, at its own size

protected:
    /// Recomposes the image and places it again.
    void Recompose();
    void ClearPushStates();
    /// Hover of the hot spots under a point relative to the widget; the active hot spot is let go
    /// when the point is on none of this widget's. Returns the hot spot hit, or null.
    CHotSpot* HoverHotSpots(LONG x, LONG y, int* pResult = nullptr);
    /// The active button's tooltip while it is new; with bNeedHover only while this widget is hovered.
    void DrawTooltip(bool bNeedHover);
};

class CWidgetType2 : public CWidgetType3
{
public:
    CWidgetType2();

    /// Keeps the seven names of the main panel; it has no buttons.
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag) override;
    void Show() override;
    void Hide() override;
    void TickFade() override;
    void Draw(int nFlag) override;
    void SetPixelFormat(const DDPIXELFORMAT& ddpf) override;
    /// Re-reads each toggle's state from the panel item its command names, then restores the panel.
    void RefreshToggles(const std::function<int(int)>& itemState);

    BYTE m_nAlpha = 0; // fade alpha, 0 to FADE_ALPHA_MAX
    CString m_astrExtraNames[5];
    CPanelFont m_font;
    DWORD m_adwMask[3] = {};  // red, green, blue masks of the surfaces' format
    int m_anShift[3] = {};    // and their shifts
    DWORD m_dwColourMask = 0; // their union

    static constexpr BYTE FADE_ALPHA_MAX = 216;

private:
    void BlendToFrame();
};
