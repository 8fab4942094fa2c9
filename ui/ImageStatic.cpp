#include "ui/ImageStatic.h"

#include "platform/media/AviFormat.h"
#include "platform/win32/ByteStream.h"

#include <cstdlib>
#include <span>

CImageStatic::CImageStatic() : m_pClip(std::make_unique<CAviStream>()) {}

CImageStatic::~CImageStatic()
{
    DestroyWindow();
    m_pClip->CloseAviStream();
}

BOOL CImageStatic::PlayAvi(LPCSTR szFile)
{
    // Opened aside first, so that a clip that does not open leaves the playing one as it was.
    auto pClip = std::make_unique<CAviStream>();
    if (szFile == nullptr || !pClip->OpenAviStream(szFile))
        return FALSE;
    m_pClip->CloseAviStream();
    m_pClip = std::move(pClip);
    m_bIdle = FALSE;
    if (m_hWnd != nullptr)
    {
        KillTimer(FRAME_TIMER_ID);
        m_nTimer = SetTimer(FRAME_TIMER_ID, FRAME_PERIOD_MS, nullptr);
    }
    m_strFile = szFile;
    return TRUE;
}

BOOL CImageStatic::DrawAviFrame(CDC* pDC, const RECT& rc)
{
    if (pDC == nullptr || m_pClip->m_pGetFrame == nullptr)
        return FALSE;
    const auto* pDib = static_cast<const BYTE*>(m_pClip->GetAviFrame(1.0f));
    if (pDib == nullptr)
        return FALSE;
    BITMAPINFO info;
    CByteReader rd(std::span<const BYTE>(pDib, BITMAPINFOHEADER_SIZE));
    if (!ReadBitmapInfoHeader(rd, info.bmiHeader))
        return FALSE;
    // A clip whose header gives no frame rectangle shows its whole picture.
    RECT rcFrame = m_pClip->m_info.rcFrame;
    if (rcFrame.right <= rcFrame.left || rcFrame.bottom <= rcFrame.top)
        rcFrame = RECT{0, 0, info.bmiHeader.biWidth, std::abs(info.bmiHeader.biHeight)};
    const int nOldMode = SetStretchBltMode(*pDC, COLORONCOLOR);
    StretchDIBits(*pDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, rcFrame.left, rcFrame.top,
                  rcFrame.right - rcFrame.left, rcFrame.bottom - rcFrame.top, pDib + BITMAPINFOHEADER_SIZE, &info,
                  DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(*pDC, nOldMode);
    return TRUE;
}

void CImageStatic::OnPaint()
{
    // The paint request is used up by this message; an idle static shows nothing.
    if (m_bIdle)
        return;
    CDC dc;
    dc.Attach(GetDC(m_hWnd));
    RECT rc;
    GetClientRect(&rc);
    DrawAviFrame(&dc, RECT{0, 0, rc.right - rc.left, rc.bottom - rc.top});
    ReleaseDC(m_hWnd, dc.Detach());
}

void CImageStatic::OnTimer(UINT_PTR) { Invalidate(FALSE); }

void CImageStatic::OnDestroy()
{
    if (m_nTimer != 0)
        KillTimer(m_nTimer);
    m_nTimer = 0;
}

const SMessageMap* CImageStatic::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {MapMessage<&CImageStatic::OnPaint>(WM_PAINT),
                                               MapMessage<&CImageStatic::OnTimer>(WM_TIMER),
                                               MapMessage<&CImageStatic::OnDestroy>(WM_DESTROY),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_LBUTTONDOWN),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_LBUTTONUP),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_LBUTTONDBLCLK),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_RBUTTONDOWN),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_RBUTTONUP),
                                               MapMessage<&CImageStatic::OnSwallowedClick>(WM_RBUTTONDBLCLK)};
    static const SMessageMap s_map{CButton::GetThisMessageMap(), s_aEntries};
    return &s_map;
}
