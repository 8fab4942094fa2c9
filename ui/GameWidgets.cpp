#include "ui/GameWidgets.h"

// Built in this order, which is the widget list's.
CWidgetType2 g_mainPanel;
CWidgetType3 g_secondPanel;
CSliderWidget g_leftBar;
CSliderWidget2 g_rightBar;
CPanelWidget g_mouseArea(60);
CTextWidget g_webPanel(42);
CTextWidget g_creditsPanel(44);
CTextWidget g_commentsPanel(43);
CTextWidget g_topPanel(59);
CTextWidget g_pausedPanel(60);
CListWidget g_controlBar;

void PlaceGameWidgets(const RECT& rcClient)
{
    // The second panel is not placed by a rebuild; the mouse area's placement does nothing.
    const struct
    {
        CWidget* pWidget;
        int nFlags;
    } places[] = {{&g_mainPanel, PLACE_BOTTOM | PLACE_HCENTRE},    {&g_leftBar, PLACE_VCENTRE | PLACE_LEFT},
                  {&g_rightBar, PLACE_VCENTRE | PLACE_RIGHT},      {&g_mouseArea, 0},
                  {&g_webPanel, PLACE_TOP | PLACE_LEFT},           {&g_creditsPanel, PLACE_TOP | PLACE_HCENTRE},
                  {&g_commentsPanel, PLACE_TOP | PLACE_RIGHT},     {&g_topPanel, PLACE_TOP | PLACE_HCENTRE},
                  {&g_pausedPanel, PLACE_VCENTRE | PLACE_HCENTRE}, {&g_controlBar, PLACE_BOTTOM | PLACE_HCENTRE}};
    for (const auto& place : places)
        place.pWidget->PlaceInRect(place.nFlags, rcClient);
}
