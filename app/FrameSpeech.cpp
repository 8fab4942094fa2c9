// The main frame's on-screen texts and their link with the speech object.
#include "app/FrameSpeech.h"

#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Modules.h"

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

namespace
{
/// A string of the program; empty when it has none.
CString LoadProgramString(UINT nId)
{
    char szText[256] = {};
    LoadString(AfxGetResourceHandle(), nId, szText, sizeof szText);
    return CString(szText);
}
} // namespace

void CMainFrame::ShowStringText(UINT nId, int nMs)
{
    const CString strText = LoadProgramString(nId);
    if (!strText.IsEmpty())
        ShowText(strText.GetString(), nMs);
}

std::string CMainFrame::LoadFlowString(UINT nId) { return LoadProgramString(nId).Str(); }

void CMainFrame::SetModeHint(UINT nId) { m_strModeHint = nId == 0 ? CString() : LoadProgramString(nId) + "  "; }

void CMainFrame::ClearTexts() { g_TextMessages.Clear(); }

// ---------------------------------------------------------------------------------------------------------------------
// The game flow's commentary
// ---------------------------------------------------------------------------------------------------------------------

void CMainFrame::CommentOnShot(bool bRobot, const CReferee& referee) { g_Speech.AfterShotComment(bRobot, referee); }

void CMainFrame::CommentOnCount(bool bRobot, bool bLastBall, bool bHalfWay)
{
    g_Speech.DoneComment(bRobot, bLastBall, bHalfWay);
}

void CMainFrame::PlayShotComments()
{
    g_Speech.PlayAfterShotRule();
    g_Speech.PlayBeforeShotRule();
}

void CMainFrame::ResumeCommentary() { g_Speech.ResumeSound(); }

void CMainFrame::OfferIdleComment(int nGameType) { g_Speech.OfferIdleComment(nGameType); }
