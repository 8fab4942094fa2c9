// The pictures the panel loader asks the texture manager for, per panel, in the order the panels
// take them; the control bar's are CONTROL_BAR_PICTURES (ui/ControlBar.h). The artwork libraries
// hold each of them as a bitmap of that name (the main panel draws only its first; the candle
// clip and the others are named to it but never read).
#pragma once

inline constexpr const char* MAIN_PANEL_PICTURES[] = {
    "MainPanel.bmp",     "MainPanelChecked.bmp", "CtrlsU.bmp",         "MainPanelMask.bmp",
    "MainPanelTips.bmp", "MainPanelCandle.avi",  "MainPanelCandle.bmp"};
inline constexpr const char* WEB_PANEL_PICTURES[] = {"VisitWebPanel.bmp", "VisitWebCheck.bmp"};
inline constexpr const char* CREDITS_PANEL_PICTURES[] = {"CreditsPanel.bmp", "CreditsCheck.bmp"};
inline constexpr const char* COMMENTS_PANEL_PICTURES[] = {"SendCommentsPanel.bmp", "SendCommentsCheck.bmp"};
inline constexpr const char* TOP_PANEL_PICTURES[] = {"TopPanelBG.bmp", "TopPanelBG.bmp"};
inline constexpr const char* PAUSED_PANEL_PICTURES[] = {"Paused.bmp", "Paused.bmp"};
inline constexpr const char* MOUSE_AREA_PICTURES[] = {"BottomMenuBG.bmp", "Paused.bmp"};
