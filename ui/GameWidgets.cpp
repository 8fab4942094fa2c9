#include "ui/GameWidgets.h"

#include "foundation/GlobalOrder.h"

#include <initializer_list>

// Built in this order, which is the widget list's.
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CWidgetType2 g_mainPanel;
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CWidgetType3 g_secondPanel;
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CSliderWidget g_leftBar;
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CSliderWidget2 g_rightBar;
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CPanelWidget g_mouseArea(60);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CTextWidget g_webPanel(42);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CTextWidget g_creditsPanel(44);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CTextWidget g_commentsPanel(43);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CTextWidget g_topPanel(59);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CTextWidget g_pausedPanel(60);
VORN_GLOBAL_ROW(GLOBAL_ROW_WIDGETS) CListWidget g_controlBar;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_WIDGETS);

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

void HideCornerPanelsAndBars()
{
    for (CWidget* pWidget :
         std::initializer_list<CWidget*>{&g_webPanel, &g_creditsPanel, &g_commentsPanel, &g_leftBar, &g_rightBar})
        if (pWidget->IsVisible())
            pWidget->Hide();
}
