// The game's widgets: one global object each, built before the program's logic starts, on the
// widget list in this order. The main frame, the panel loader and the heads-up display use them;
// main thread only. Their surfaces are released by the device's teardown (ReleaseGlobalList),
// not by their destructors at exit.
#pragma once

#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/SideBars.h"

extern CWidgetType2 g_mainPanel;    // the in-game menu's picture; no buttons
extern CWidgetType3 g_secondPanel;  // used in the light-editing mode; given no images
extern CSliderWidget g_leftBar;     // range widget at the left edge
extern CSliderWidget2 g_rightBar;   // range widget at the right edge
extern CPanelWidget g_mouseArea;    // mouse input over the 3-D view
extern CTextWidget g_webPanel;      // click panels: web page,
extern CTextWidget g_creditsPanel;  // credits,
extern CTextWidget g_commentsPanel; // comments,
extern CTextWidget g_topPanel;      // the top panel,
extern CTextWidget g_pausedPanel;   // and "paused"
extern CListWidget g_controlBar;    // the bottom control bar

/// Places every game widget that has a place in the client rectangle (after a rebuild).
void PlaceGameWidgets(const RECT& rcClient);
/// The corner panels and the side bars hidden where they are shown: a shot or a dialog takes
/// the screen.
void HideCornerPanelsAndBars();
