#include "ui/InputEdit.h"

#include "foundation/GlobalOrder.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_BANNER, 1) CInputEdit g_InputEdit;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_BANNER);

CCtrlColors::CCtrlColors()
    : m_crText(GetSysColor(COLOR_WINDOWTEXT)), m_crHighlightText(GetSysColor(COLOR_HIGHLIGHTTEXT))
{
    m_brBackground.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

CCtrlColors::~CCtrlColors() { CCtrlColors::DeleteObjects(); }

void CCtrlColors::DeleteObjects()
{
    m_font.DeleteObject();
    m_brBackground.DeleteObject();
}

const SMessageMap* CInputEdit::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {MapMessage<&CInputEdit::OnPaint>(WM_PAINT)};
    static const SMessageMap s_map{CEdit::GetThisMessageMap(), s_aEntries};
    return &s_map;
}
