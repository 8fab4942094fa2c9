// The link between the speech object and the on-screen messages: a message that starts hands its
// phrase to the speech object and clearing the messages drops the speech requests, and a rule's
// written comment is shown as a message. The main frame holds one for its lifetime.
#pragma once

#include "media/Speech.h"
#include "ui/TextMessages.h"

class CFrameSpeechLink : public ITextMessageSpeech, public IRuleTextSink
{
public:
    /// Connects the two; both outlive the link.
    CFrameSpeechLink(CSpeech& speech, CTextMessages& messages);
    /// Disconnects them, so that neither calls into a link that is gone.
    ~CFrameSpeechLink() override;
    CFrameSpeechLink(const CFrameSpeechLink&) = delete;
    CFrameSpeechLink& operator=(const CFrameSpeechLink&) = delete;

    void SayText(const CString& strName) override;
    void ClearQueue() override;
    void ShowRuleText(const CString& strText, DWORD dwDurationMs) override;

private:
    CSpeech& m_speech;
    CTextMessages& m_messages;
};
