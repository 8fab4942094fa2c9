#include "ui/TextMessages.h"

#include "foundation/GlobalOrder.h"
#include "ui/PanelFont.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_TEXT_MESSAGES) CTextMessages g_TextMessages;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_TEXT_MESSAGES);

namespace
{
constexpr COLORREF MESSAGE_COLOUR = RGB(250, 250, 250);
constexpr LONG MESSAGE_SIDE_MARGIN = 40; // pixels left and right of the text box
} // namespace

CTextMessage::CTextMessage(const char* szText, const char* szSpeech, DWORD dwDuration, DWORD dwDismissable)
    : m_strText(szText), m_strSpeech(szSpeech), m_dwDuration(dwDuration), m_dwDismissable(dwDismissable)
{
}

void CTextMessages::AddText(const char* szText, const char* szSpeech, DWORD dwDuration, DWORD dwDismissable)
{
    AddMessage(CTextMessage(szText, szSpeech, dwDuration, dwDismissable));
}

void CTextMessages::AddMessage(const CTextMessage& message)
{
    if (!message.m_strText.IsEmpty())
    {
        while (!m_queue.empty() && m_queue.back().m_strText.IsEmpty())
            m_queue.pop_back();
        // The dropped placeholder may have been the started head: with the queue empty nothing
        // has started, so that the new message starts, and is timed, from its own first update.
        if (m_queue.empty())
            m_dwStartTime = 0;
    }
    m_queue.push_back(message);
}

void CTextMessages::Update(DWORD dwNow, const RECT& rcArea, DWORD dwDismiss)
{
    if (m_queue.empty())
        return;
    // A message started by this call has run for no time at all: even a duration of 0 is shown for
    // one frame and ends at the next update; a dismissal ends it at once.
    const bool bJustStarted = m_dwStartTime == 0;
    if (bJustStarted)
    {
        StartHead(rcArea);
        m_dwStartTime = dwNow;
    }
    const CTextMessage& head = m_queue.front();
    const bool bDismissed = head.m_dwDismissable != 0 && dwDismiss != 0;
    if (!bDismissed && (bJustStarted || dwNow - m_dwStartTime < head.m_dwDuration))
        return;
    m_queue.pop_front();
    if (m_queue.empty())
    {
        m_dwStartTime = 0;
        return;
    }
    StartHead(rcArea);
    m_dwStartTime = dwNow;
}

void CTextMessages::StartHead(const RECT& rcArea)
{
    m_rcArea = rcArea;
    if (m_pSpeech != nullptr)
        m_pSpeech->SayText(m_queue.front().m_strSpeech);
}

void CTextMessages::Clear()
{
    m_queue.clear();
    if (m_pSpeech != nullptr)
        m_pSpeech->ClearQueue();
    m_dwStartTime = 0;
}

void CTextMessages::SetRect(LONG nLeft, LONG nTop, LONG nRight, LONG nBottom)
{
    if (m_queue.empty())
        return;
    const RECT rc{nLeft, nTop, nRight, nBottom};
    if (rc.right - rc.left == m_rcArea.right - m_rcArea.left && rc.bottom - rc.top == m_rcArea.bottom - m_rcArea.top)
        return;
    m_rcArea = rc;
}

const char* CTextMessages::GetHeadText() const
{
    return m_queue.empty() ? nullptr : m_queue.front().m_strText.GetString();
}

void PaintTextMessage(HDC hDC, CPanelFont& font, const RECT& rcPanel, const char* szText)
{
    if (hDC == nullptr || szText == nullptr)
        return;
    const LONG nPanelWidth = rcPanel.right - rcPanel.left;
    const LONG nPanelHeight = rcPanel.bottom - rcPanel.top;
    const LONG nInsetY = nPanelHeight / 8;
    RECT rc{rcPanel.left + MESSAGE_SIDE_MARGIN, rcPanel.top + nInsetY, rcPanel.right - MESSAGE_SIDE_MARGIN,
            rcPanel.bottom - nInsetY};

    LOGFONT saved;
    font.SaveLogFont(saved);
    font.SetMessageFont();
    const HGDIOBJ hOldFont = SelectObject(hDC, font);
    const COLORREF crOld = SetTextColor(hDC, MESSAGE_COLOUR);
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);

    DrawText(hDC, szText, -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_VCENTER);
    // The measured block, centred in the whole panel area.
    const LONG nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    const LONG x = (nPanelWidth - nWidth) / 2, y = (nPanelHeight - nHeight) / 2;
    rc = RECT{x, y, x + nWidth, y + nHeight};
    DrawText(hDC, szText, -1, &rc, DT_CENTER | DT_VCENTER | DT_WORDBREAK);

    SetBkMode(hDC, nOldMode);
    SetTextColor(hDC, crOld);
    if (hOldFont != nullptr)
        SelectObject(hDC, hOldFont);
    font.RestoreLogFont(saved);
}
