// The on-screen text messages: one queue of short texts ("Call The Shot", a foul, a hint) shown one
// at a time, each for its own duration, in the order they were added; the head message is painted
// centred and word-wrapped over the 3-D view.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/Gdi.h"

#include <deque>

class CPanelFont;

/// A message stays until removed when its duration is this.
inline constexpr DWORD MESSAGE_FOREVER = 0xFFFFFFFF;

class CTextMessage
{
public:
    CTextMessage() = default;
    /// A null speech name is an empty one.
    CTextMessage(const char* szText, const char* szSpeech, DWORD dwDuration, DWORD dwDismissable);

    CString m_strText;         // empty: a placeholder that a later message with text replaces
    CString m_strSpeech;       // phrase handed to the speech object when the message starts
    DWORD m_dwDuration = 2000; // milliseconds once started; MESSAGE_FOREVER never runs out
    DWORD m_dwDismissable = 0; // non-zero: also ends at an update whose dismiss argument is set
};

/// What the messages tell the speech object: a started message's phrase, and dropping queued
/// requests when the messages are cleared.
class ITextMessageSpeech
{
public:
    virtual ~ITextMessageSpeech() = default;
    virtual void SayText(const CString& strName) = 0;
    virtual void ClearQueue() = 0;
};

class CTextMessages
{
public:
    void AddText(const char* szText, const char* szSpeech, DWORD dwDuration, DWORD dwDismissable);
    /// Appends at the tail; a message with text first drops the placeholders at the tail. The next
    /// Update starts it.
    void AddMessage(const CTextMessage& message);
    /// The per-frame step: starts the head message, and ends it when its time is up (elapsed time
    /// taken unsigned, so the clock's wrap ends it at most once early) or when it is dismissable
    /// and dwDismiss is set; the next message then starts in the same call.
    void Update(DWORD dwNow, const RECT& rcArea, DWORD dwDismiss);
    /// Drops every message, tells the speech object to drop its requests, start time 0.
    void Clear();
    /// Stores a new area of another size while a message is queued.
    void SetRect(LONG nLeft, LONG nTop, LONG nRight, LONG nBottom);
    bool IsEmpty() const { return m_queue.empty(); }
    /// The head message's text; null when the queue is empty.
    const char* GetHeadText() const;
    /// The queue owns no font; kept for the main frame's destruction, which calls it.
    void DeleteFont() {}

    const RECT& GetRect() const { return m_rcArea; }
    /// When the head message started; 0 while none has.
    DWORD GetStartTime() const { return m_dwStartTime; }
    /// The speech object the messages talk to; null (the default) talks to none.
    void SetSpeech(ITextMessageSpeech* pSpeech) { m_pSpeech = pSpeech; }
    ITextMessageSpeech* GetSpeech() const { return m_pSpeech; }

private:
    void StartHead(const RECT& rcArea);

    std::deque<CTextMessage> m_queue;
    DWORD m_dwStartTime = 0;
    RECT m_rcArea;
    ITextMessageSpeech* m_pSpeech = nullptr;
};

/// The program's message queue. Main thread only; tests make queues of their own.
extern CTextMessages g_TextMessages;

/// Paints a message over the panel area rcPanel: in the font's message preset, near-white, centred
/// in the area and word-wrapped within it shrunk by 40 pixels at the sides and an eighth of its
/// height at the top and bottom. The font and the context come back as they were.
void PaintTextMessage(HDC hDC, CPanelFont& font, const RECT& rcPanel, const char* szText);
