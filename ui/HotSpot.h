// A widget's buttons: hot spots, each a rectangle inside its widget with a descriptor that says
// which panel command it sends and how it behaves, a pressed or checked state, and the place of
// its tooltip.
#pragma once

#include "platform/win32/WinTypes.h"

class CWidget;

/// One row of a widget class's button table, for the mask index it names.
struct SHotSpotDesc
{
    int nIndex = 0;   // mask palette index 1..199; 0 marks an empty row
    int nCommand = 0; // panel command code
    int nKind = 0;    // HOTSPOT_* below
    int nCell = -1;   // row of the tooltip in the tooltip image; -1 for none
    int nFlags = 0;   // tooltip text variants
    friend bool operator==(const SHotSpotDesc&, const SHotSpotDesc&) = default;
};

inline constexpr int HOTSPOT_PUSH = 0;   // sends on release
inline constexpr int HOTSPOT_TOGGLE = 1; // flips its state on a press
inline constexpr int HOTSPOT_KNOB = 3;   // the track of a range widget
inline constexpr int HOTSPOT_MODE = 4;   // a range widget's mode button

/// Height of one tooltip row in a tooltip image, pixels.
inline constexpr LONG TOOLTIP_ROW_HEIGHT = 32;
/// A tooltip overlaps its button's top by this many pixels.
inline constexpr LONG TOOLTIP_OVERLAP = 7;

class CHotSpot
{
public:
    /// Descriptor (0, 0, 0, -1, 0), empty rectangles; clears the active hot spot.
    explicit CHotSpot(CWidget* pOwner);
    virtual ~CHotSpot();
    CHotSpot(const CHotSpot&) = delete;
    CHotSpot& operator=(const CHotSpot&) = delete;

    virtual void ReleaseImages() {}
    virtual BOOL LoadImage() { return TRUE; }
    /// x, y relative to the owner. Entering the button makes it the active hot spot (the
    /// previous one loses its hover) and places its tooltip centred over the button.
    virtual BOOL HitTest(LONG x, LONG y, int* pResult);
    BOOL HasFlag0() const { return (m_desc.nFlags & 1) != 0; }
    BOOL HasFlag1() const { return (m_desc.nFlags & 2) != 0; }
    BOOL HasFlag2() const { return (m_desc.nFlags & 4) != 0; }
    virtual void SetState(BOOL bState) { m_nState = bState ? 1 : 0; }
    virtual int GetState() const { return m_nState; }

    /// The hot spot the cursor last entered, and the timeGetTime of that moment.
    static CHotSpot* GetActive() { return s_pActive; }
    static DWORD GetActiveTime() { return s_dwActiveTime; }
    static void ClearActive();
    /// The command a pressed push button sends on release; -1 for none.
    static int s_nPendingCommand;

    SHotSpotDesc m_desc;
    int m_nHovered = 0;
    RECT m_rcTooltip;   // where the tooltip is drawn, relative to the widget
    RECT m_rcButton;    // the button's area, relative to the widget
    RECT m_rcTipSource; // the tooltip's cell in the tooltip image
    RECT m_rcTrack;     // a copy of the button area: a range widget's track
    int m_nState = 0;   // pressed or checked
    CWidget* m_pOwner;

private:
    // Main thread only; tests clear them through ClearActive.
    static CHotSpot* s_pActive;
    static DWORD s_dwActiveTime;
};
