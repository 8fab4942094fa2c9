// The two side bars: narrow bars at the screen's edges with push buttons above a vertical track
// whose knob shows and sets a value from 0 to 100. The left bar has seven buttons; the right bar a
// mode button, the track and a toggle. Their buttons come from the mask, their rectangles from
// fixed layouts.
#pragma once

#include "ui/ButtonWidgets.h"

// Commands of the bars.
inline constexpr int CMD_LEFT_KNOB = 52;
inline constexpr int CMD_RIGHT_MODE = 53;
inline constexpr int CMD_RIGHT_TOGGLE = 54;
inline constexpr int CMD_RIGHT_KNOB = 55;

/// A range widget's knob: an image moved along the hot spot's track.
class CKnobHotSpot : public CHotSpot
{
public:
    /// Loads the image at once; the knob starts at the image's centre.
    CKnobHotSpot(const CString& strImage, CWidget* pOwner);

    void ReleaseImages() override { m_pImage.reset(); }
    BOOL LoadImage() override;
    /// As a hot spot on the track; result 2 when the point is also on the knob's image.
    BOOL HitTest(LONG x, LONG y, int* pResult) override;
    void DrawKnob(const RECT& rcWidget) const;
    /// Knob y = the point's height in the track, held to the track.
    void SetKnobFromPoint(LONG x, LONG y);
    POINT GetKnobPosition() const { return m_ptKnob; }
    void SetKnobY(LONG y) { m_ptKnob.y = y; }
    LONG TrackHeight() const { return m_rcTrack.bottom - m_rcTrack.top; }

    CString m_strImage;
    SurfacePtr m_pImage;
    RECT m_rcImage;
    POINT m_ptKnob;

private:
    /// Where the image is drawn, relative to the widget.
    RECT ImageRect() const;
};

/// A hot spot that carries a value (a mode) in place of a pressed state.
class CValueHotSpot : public CHotSpot
{
public:
    explicit CValueHotSpot(const CHotSpot& from);
    void SetState(BOOL nValue) override
    {
        m_nValue = nValue;
        m_nState = 0;
    }
    int GetState() const override { return m_nValue; }
    int m_nValue = 2;
};

class CSliderWidget : public CWidgetType3
{
public:
    CSliderWidget();

    void ReleaseSurfaces() override;
    /// Names: image, pressed image, mask, tooltip image, knob image (and the right bar's extra image).
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    void Draw(int nFlag) override;
    void OnLButtonDown(LONG x, LONG y) override;
    void OnLButtonUp(LONG x, LONG y) override;
    void OnMouseMove(LONG x, LONG y) override;
    std::span<const SHotSpotDesc> Table() const override;
    BOOL BuildBar(const CString& strImage, const CString& strPressed, const CString& strMask, const CString& strTooltip,
                  const CString& strKnob, const RECT* pRect);

    void SetRange(int nMinimum, int nMaximum);
    /// Holds the value to the range, moves the knob to it and recomposes the bar.
    void SetValue(int nValue);
    /// The value the knob shows (the stored one without a knob).
    int GetValue();

    CString m_strKnobImage;
    int m_nMinimum = 0;
    int m_nMaximum = 100;
    int m_nValue = 0;
    CKnobHotSpot* m_pKnob = nullptr; // owned through the hot-spot array

protected:
    /// The fixed button rectangles, in mask-index order.
    virtual std::span<const RECT> Layout() const;
    /// Hot spots with an index below this are the bar's; the rest are dropped.
    virtual int IndexLimit() const { return 9; }
    /// The left bar shows tooltips without being the hovered widget.
    virtual bool TooltipNeedsHover() const { return false; }
    /// Replaces the track's hot spot by the knob (the right bar also its mode button).
    virtual void ReplaceSpecialHotSpots();
    /// Applies the stored range and value (the right bar also its mode).
    virtual void ApplyState();
    /// Replaces the first hot spot of a kind by the one the factory makes of it; null when none.
    template <class T, class F> T* ReplaceHotSpot(int nKind, F make);
    /// Clears the pressed state of push buttons and knobs (toggles keep theirs, modes their value).
    void ClearNonToggleStates();
};

class CSliderWidget2 : public CSliderWidget
{
public:
    CSliderWidget2();

    void ReleaseSurfaces() override;
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    /// As the button widget's, except that the mode button's area shows its mode: 0 the image,
    /// 1 the pressed image, 2 the extra image.
    BOOL LoadImages(const CString& strName, const RECT* pRect, int nFlag) override;
    std::span<const SHotSpotDesc> Table() const override;
    BOOL BuildBar2(const CString& strImage, const CString& strPressed, const CString& strMask,
                   const CString& strTooltip, const CString& strKnob, const CString& strSecond, const RECT* pRect);
    void SetMode(int nMode);

    int m_nMode = 2;
    CString m_strSecondImage;
    SurfacePtr m_pExtraSurface;
    CValueHotSpot* m_pModeButton = nullptr; // owned through the hot-spot array

protected:
    std::span<const RECT> Layout() const override;
    int IndexLimit() const override { return 4; }
    void ReplaceSpecialHotSpots() override;
    void ApplyState() override;
    bool TooltipNeedsHover() const override { return true; }
};
