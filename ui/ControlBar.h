// The bottom control bar: the stroke's power as a filling bar, the cue ball with the point the cue
// will strike ("english"), the two player lamps, a tip bar that changes with the game situation,
// and a menu button that opens a pop-up menu of five rows. Clicks and drags become panel commands.
#pragma once

#include "ui/ButtonWidgets.h"

#include <array>

// Commands of the bar.
inline constexpr int CMD_MENU_NEW_GAME = 29;
inline constexpr int CMD_MENU_OPTIONS = 31;
inline constexpr int CMD_MENU_RULES = 32;
inline constexpr int CMD_MENU_EXIT = 33;
inline constexpr int CMD_MENU_OPENED = 34;
inline constexpr int CMD_LAMPS = 56;
inline constexpr int CMD_ENGLISH_X = 57;
inline constexpr int CMD_ENGLISH_Y = 58;

/// The bar's item pictures, in the order the panel loader names them after the four images.
enum EBarItem
{
    BAR_POWER,
    BAR_ENGLISH,
    BAR_MENU_NORMAL,
    BAR_MENU_HOVER,
    BAR_OPTIONS_NORMAL,
    BAR_OPTIONS_HOVER,
    BAR_EXIT_NORMAL,
    BAR_EXIT_HOVER,
    BAR_RULES_NORMAL,
    BAR_RULES_HOVER,
    BAR_NEW_GAME_NORMAL,
    BAR_NEW_GAME_HOVER,
    BAR_LAMP1,
    BAR_LAMP2,
    BAR_TIP,
    BAR_TIP_CALL,
    BAR_NAME_SCHMOE,
    BAR_NAME_SCRUB,
    BAR_NAME_SHARK,
    BAR_TIP_3D,
    BAR_BLANK,
    BAR_PAUSE,
    BAR_TIP_HAND,
    BAR_ITEM_COUNT
};
/// Names CreateFromNames takes: the four images of the button widget, then the items.
inline constexpr int BAR_NAME_COUNT = 4 + BAR_ITEM_COUNT;

/// The bar's pictures as the panel loader names them: the background, its copy, the mask (lamps at
/// indices 1 and 2), the background once more, then the items in their order.
inline constexpr const char* CONTROL_BAR_PICTURES[BAR_NAME_COUNT] = {"BottomMenuBG.bmp",
                                                                     "BottomMenuBG.bmp",
                                                                     "BottomMenuMask.bmp",
                                                                     "BottomMenuBG.bmp",
                                                                     "PowerBar.bmp",
                                                                     "EnglishBall.bmp",
                                                                     "PanelMenuButtonNormal.bmp",
                                                                     "PanelMenuButtonHover.bmp",
                                                                     "PanelOptionsNormal.bmp",
                                                                     "PanelOptionsHover.bmp",
                                                                     "PanelExitNormal.bmp",
                                                                     "PanelExitHover.bmp",
                                                                     "PanelRulesNormal.bmp",
                                                                     "PanelRulesHover.bmp",
                                                                     "PanelNewGameNormal.bmp",
                                                                     "PanelNewGameHover.bmp",
                                                                     "P1on.bmp",
                                                                     "P2on.bmp",
                                                                     "PanelTipBar.bmp",
                                                                     "PanelTipBarCall.bmp",
                                                                     "PanelNameSchmoe.bmp",
                                                                     "PanelNameScrub.bmp",
                                                                     "PanelNameShark.bmp",
                                                                     "PanelTipBar3D.bmp",
                                                                     "BottomMenuBlank.bmp",
                                                                     "BottomMenuPause.bmp",
                                                                     "PanelTipBarHand.bmp"};

/// Elements of the bar under the cursor, relative to the bar.
inline constexpr int BAR_ELEMENT_COUNT = 8;
inline constexpr int BAR_ELEMENT_MENU_BUTTON = 2;
inline constexpr int BAR_ELEMENT_FIRST_ROW = 3;
inline constexpr RECT BAR_ELEMENTS[BAR_ELEMENT_COUNT] = {{164, 36, 292, 71},  {491, 17, 524, 51},  {169, 142, 297, 177},
                                                         {171, 0, 295, 32},   {171, 32, 295, 64},  {171, 64, 295, 96},
                                                         {171, 96, 295, 128}, {171, 128, 295, 160}};
/// The bar's picture: its controls below, clear rows above where the pop-up menu opens.
inline constexpr SIZE BAR_PICTURE_SIZE{800, 190};
inline constexpr POINT BAR_CUE_BALL_CENTRE{501, 148};
inline constexpr double BAR_ENGLISH_RADIUS = 17.0; // pixels
inline constexpr POINT BAR_POWER_AT{312, 146};
inline constexpr LONG BAR_POWER_WIDTH = 131;
inline constexpr LONG BAR_POWER_HEIGHT = 21;
inline constexpr POINT BAR_LAMP_AT{563, 142};
inline constexpr SIZE BAR_LAMP_SIZE{24, 47};
inline constexpr POINT BAR_NAME_AT{588, 165};
inline constexpr SIZE BAR_NAME_SIZE{97, 21};
inline constexpr POINT BAR_TIP_AT{0, 103};
inline constexpr SIZE BAR_TIP_SIZE{601, 86};
/// The english marker's corner lies this far up and left of the strike point.
inline constexpr LONG BAR_ENGLISH_MARKER_OFFSET = 3;
/// A drag moves the english point on every this-many-th move inside the circle.
inline constexpr int BAR_MOVE_STRIDE = 5;
/// A tip shows this long, ms.
inline constexpr DWORD BAR_TIP_MS = 4500;

class CListWidget : public CWidgetType3
{
public:
    CListWidget();

    void ReleaseSurfaces() override;
    /// Takes the 27 names: the bar's four images, then its items.
    BOOL CreateFromNames(const CStringArray& names, const RECT* pRect) override;
    BOOL Create(const RECT* pRect) override;
    void Draw(int nFlag) override;
    void OnLButtonDown(LONG x, LONG y) override;
    void OnLButtonUp(LONG x, LONG y) override;
    void OnMouseMove(LONG x, LONG y) override;
    std::span<const SHotSpotDesc> Table() const override;
    BOOL BuildBar(const CStringArray& names, const RECT* pRect);

    /// Asks for a tip (0 none, 1 plain, 2 call the shot, 3 view, 4 ball in hand). The tip that was
    /// last shown and cleared is not shown again until another was asked for.
    void SetMode(int nMode);
    int GetMode() const { return m_nTipMode; }
    /// The power shown, held to 0..1; returns it.
    double SetValue(double dPower);
    void ClearPair() { m_ptEnglish = POINT{0, 0}; }
    /// The pop-up row or menu button (0 to 5) under a client point; -1 for none.
    int HitElement(LONG x, LONG y) const;
    /// The computer opponent's level for its name plate; 0 (none) for a human opponent.
    void SetOpponentLevel(int nLevel) { m_nOpponentLevel = nLevel; }
    /// The player whose turn the bar shows, by the lamp lit: 1 for the first player, 2 for the second.
    void SetCurrentPlayer(int nPlayer) { m_nLamp = nPlayer; }

    int m_nMoveCounter = 3;
    int m_nInputLocked = 0; // the main frame handles a drag itself; a release over the bar clears it
    int m_nTipShown = 1;
    int m_nFurther = 0;
    int m_nLastTipMode = 0;
    DWORD m_dwTipModeTime = 0;
    std::array<SurfacePtr, BAR_ITEM_COUNT> m_apItems;
    std::array<CString, BAR_ITEM_COUNT> m_astrItems;
    int m_nTipMode = 0;
    int m_nLamp = 1;
    int m_nHoveredElement = -1;
    POINT m_ptEnglish;
    double m_dPower = 0.5;
    int m_nOpponentLevel = 0;

private:
    /// The element 0 to 7 under a point relative to the bar (a row of the open menu first); -1 for none.
    static int ElementAt(LONG x, LONG y);
    void MoveEnglish(LONG dx, LONG dy);
    void DrawItem(int nItem, LONG x, LONG y, const RECT* pSource = nullptr);
};

/// The name plate of a computer opponent's level: Scrub for 1-3, Schmoe 4-6, Shark 7-9; none
/// (-1) for 0 and above 9.
int SkillPlate(int nLevel);
