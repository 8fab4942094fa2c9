#include "app/FrameSpeech.h"

CFrameSpeechLink::CFrameSpeechLink(CSpeech& speech, CTextMessages& messages) : m_speech(speech), m_messages(messages)
{
    m_speech.SetRuleTextSink(this);
    m_messages.SetSpeech(this);
}

CFrameSpeechLink::~CFrameSpeechLink()
{
    m_speech.SetRuleTextSink(nullptr);
    m_messages.SetSpeech(nullptr);
}

void CFrameSpeechLink::SayText(const CString& strName) { m_speech.SayText(strName.GetString()); }

void CFrameSpeechLink::ClearQueue() { m_speech.ClearQueue(); }

void CFrameSpeechLink::ShowRuleText(const CString& strText, DWORD dwDurationMs)
{
    m_messages.AddText(strText.GetString(), nullptr, dwDurationMs, 0);
}
