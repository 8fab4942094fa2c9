// The movie static: a child control that plays an AVI clip, repainting itself from a 40 ms timer
// with the frame due at that moment. It has no button behaviour: clicks on it are swallowed.
#pragma once

#include "media/AviClips.h"
#include "platform/mfc/Controls.h"
#include "platform/mfc/Dc.h"

#include <memory>

class CImageStatic : public CButton
{
public:
    /// Id and period of the frame timer.
    static constexpr UINT_PTR FRAME_TIMER_ID = 4680;
    static constexpr UINT FRAME_PERIOD_MS = 40;

    CImageStatic();
    ~CImageStatic() override;

    /// Opens the clip and plays it from its first frame: 1 on success; 0 when the clip does not
    /// open, and then nothing changes (a playing clip plays on).
    BOOL PlayAvi(LPCSTR szFile);
    /// Draws the current frame stretched into the rectangle; 0 when no clip or no frame is there.
    BOOL DrawAviFrame(CDC* pDC, const RECT& rc);
    BOOL IsIdle() const { return m_bIdle; }
    const CString& GetFile() const { return m_strFile; }
    UINT_PTR GetTimerId() const { return m_nTimer; }

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    void OnPaint();
    void OnTimer(UINT_PTR nIdEvent);
    void OnDestroy();
    /// Button presses, releases and double clicks do nothing.
    LRESULT OnSwallowedClick(WPARAM, LPARAM) { return 0; }

private:
    std::unique_ptr<CAviStream> m_pClip;
    UINT_PTR m_nTimer = 0;
    BOOL m_bIdle = TRUE;
    CString m_strFile;
};
