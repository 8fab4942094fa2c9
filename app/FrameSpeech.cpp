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
/// The start's texts: the greeting (its "%s" the player to break) and its time, the use-mouse hint
/// and the phrase it says.
constexpr UINT IDS_GREETING = 21515;
constexpr DWORD GREETING_MS = 4000;
constexpr UINT IDS_USE_MOUSE = 21604;
constexpr const char* USE_MOUSE_PHRASE = "USEMOUSE.WAV";
/// The use-mouse hint is shown once a run. Main thread.
bool s_bUseMouseHint = true;

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

void CMainFrame::ShowStartTexts(int nGameType)
{
    if (nGameType == GAME_RESUME_LAST || nGameType == GAME_DIRECT_AIM)
        return;
    if (g_Settings.m_nCompetitionType != 0)
        if (const CString strGreeting = LoadProgramString(IDS_GREETING); !strGreeting.IsEmpty())
            g_TextMessages.AddText(ReplaceTextArgument(strGreeting, m_pGameFlow->Current().GetName()), nullptr,
                                   GREETING_MS, 0);
    // The hint is for the first person to play; it stays until the texts are cleared (the first
    // mouse stroke, or the first shot judged).
    if (s_bUseMouseHint && !IsComputerToPlay())
    {
        s_bUseMouseHint = false;
        if (const CString strHint = LoadProgramString(IDS_USE_MOUSE); !strHint.IsEmpty())
            g_TextMessages.AddText(strHint.GetString(), USE_MOUSE_PHRASE, MESSAGE_FOREVER, 1);
    }
}
