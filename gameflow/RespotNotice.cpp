#include "gameflow/RespotNotice.h"

#include "platform/mfc/StringResources.h"

SRespotNotice g_RespotNotice;

namespace
{
constexpr UINT IDS_RESPOT_POCKETED = 21655;
constexpr UINT IDS_RESPOT_OFF_TABLE = 21656;

/// A heading from the resource library, or its built-in text when the library lacks it.
CString Heading(UINT nId, const char* szBuiltIn)
{
    CString strText = szBuiltIn;
    LoadResourceString(nId, strText);
    return strText;
}

/// Appends a ball's number: "%d" for the text's first ball, ",%d" for each further one.
void AppendBall(CString& strText, int nBall, bool bFirst)
{
    CString strBall;
    strBall.Format(bFirst ? "%d" : ",%d", nBall);
    strText += strBall;
}
} // namespace

void ResetRespotNotice()
{
    g_RespotNotice.dwShownTime = 0;
    g_RespotNotice.strText.Empty();
    g_RespotNotice.nState = RESPOT_NONE;
    g_RespotNotice.dwBallMask = 0;
}

void NoteRespotPocketed(int nBall, bool bFirstOfShot)
{
    if (bFirstOfShot)
        g_RespotNotice.strPocketed = Heading(IDS_RESPOT_POCKETED, "Pocketed: ");
    g_RespotNotice.nState = RESPOT_PENDING;
    AppendBall(g_RespotNotice.strPocketed, nBall, bFirstOfShot);
}

void NoteRespotOffTable(int nBall)
{
    if (nBall < 0 || nBall >= 32)
        return;
    const DWORD dwBit = 1u << nBall;
    const bool bFirst = g_RespotNotice.dwBallMask == 0;
    if (bFirst)
        g_RespotNotice.strText = Heading(IDS_RESPOT_OFF_TABLE, "Off the table: ");
    if ((g_RespotNotice.dwBallMask & dwBit) == 0)
    {
        g_RespotNotice.nState = RESPOT_PENDING;
        AppendBall(g_RespotNotice.strText, nBall, bFirst);
    }
    g_RespotNotice.dwBallMask |= dwBit;
}
