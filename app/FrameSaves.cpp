// The main frame's saved games: a snapshot filled from the live game, and a snapshot put back into
// it. A snapshot is first played into a scratch game of its own and checked whole there, so a
// file that no game could reach changes nothing of the live one.
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/SavedGame.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/CueBall.h"
#include "simulation/GamePlugins.h"
#include "ui/SaveGameDialog.h"
#include "ui/TextMessages.h"

#include <algorithm>

namespace
{
/// "The last game could not be read."
constexpr UINT IDS_LAST_GAME_UNREADABLE = 21623;
/// The command posted, with notification code 1, when the last game could not be resumed.
constexpr UINT LAST_GAME_REFUSED_COMMAND = 32181;

/// The saved game that start-up resumes, in the saved-games folder as the settings name it. The
/// game never writes it.
CString LastGamePath()
{
    CString strFolder = g_Settings.m_strSavedDirectory;
    const int nLength = strFolder.GetLength();
    if (nLength > 0 && strFolder.GetAt(nLength - 1) != '\\' && strFolder.GetAt(nLength - 1) != '/')
        strFolder += "\\";
    return strFolder + "lastgame";
}

/// The shot record's kind while a shot is called.
constexpr int SHOT_KIND_CALLED = 1;

int AsFlag(int n) { return n != 0 ? 1 : 0; }

/// The settings a saved game carries, held to what the reader accepts: the switches 0 or 1, the
/// view and competition kinds 0 to 2, the game type the one played.
SSavedSettings NormalisedSettings(const CSettings& s, int nGameType)
{
    SSavedSettings out;
    out.nBallPath1 = AsFlag(s.m_nBallPath1);
    out.nShortPath1 = AsFlag(s.m_nShortPath1);
    out.nRecommendedShot = AsFlag(s.m_nRecommendedShot);
    out.nGameType = nGameType;
    out.nCompetitionType = std::clamp(s.m_nCompetitionType, 0, 2);
    out.nViewType = std::clamp(s.m_nViewType, 0, 2);
    out.nTableColor = s.m_nTableColor & 0xffffff;
    out.nTableNumber = std::max(s.m_nTableNumber, 0);
    return out;
}

/// Whether a game type can be played here: a built-in one, or one of an installed plug-in.
bool IsPlayableType(int nGameType)
{
    return BuiltInRefereeStateSize(nGameType) > 0 || g_GamePlugins.FindByType(nGameType) != nullptr;
}

/// The snapshot's referee, balls, players and camera put into a game. False with the reason when
/// the referee refuses the packed state.
bool PutSnapshotInto(CGameFlow& flow, const CSavedGame& save, CString& strReason)
{
    flow.CreateReferee(save.m_Settings.nGameType);
    CReferee* pReferee = flow.GetReferee();
    if (pReferee == nullptr ||
        !pReferee->UnpackState(save.m_abRefereeState.data(), static_cast<int>(save.m_abRefereeState.size()), nullptr))
    {
        strReason = "the rule state does not fit its game type";
        return false;
    }
    flow.GetShadowReferee()->Assign(*pReferee);
    // A ball record does not say whether the ball is down: the referee's record of the balls
    // pocketed does, and only the game's own balls are played.
    CBallEngine& engine = flow.Engine();
    engine.RemoveAllBalls();
    const int nBalls = GetTableBallCount(*pReferee);
    WORD wOnTable = 0;
    for (int n = 0; n < nBalls; ++n)
    {
        if (pReferee->IsPocketedNow(n) || pReferee->WasPocketedBefore(n))
            continue;
        if (CBall* pLive = engine.AddBall(n); pLive != nullptr)
            pLive->CopyFrom(*save.m_apBalls[static_cast<std::size_t>(n)]);
        wOnTable |= RefereeBallBit(n);
    }
    flow.SetBallLists(wOnTable, static_cast<WORD>(GetBallsMask(nBalls) & ~wOnTable));
    flow.SetPutBackMask(static_cast<WORD>(save.m_nPutBackMask & GetBallsMask(nBalls)));
    flow.Player1().Assign(save.m_Player1);
    flow.Player2().Assign(save.m_Player2);
    flow.SetCurrent(save.m_nCurrentPlayer == 1);
    // The view carries the cue's elevation beside its aim; applying the view raises it to the
    // lowest clear one at most. A file without a view keeps the camera and the cue as they are.
    if (save.m_View.IsValid())
        flow.Cue().fElevation = save.m_View.m_vCue.y;
    flow.RestoreViewRecord(save.m_View);
    flow.ShotRecord().SetFrom(&save.m_Shot);
    return true;
}

/// Whether the snapshot makes a game that can go on: played into a scratch game and checked there.
bool IsSnapshotPlayable(const CSavedGame& save, CString& strReason)
{
    if (!IsPlayableType(save.m_Settings.nGameType))
    {
        strReason.Format("game type %d cannot be played here", save.m_Settings.nGameType);
        return false;
    }
    // A scratch engine names ball 0 the cue ball of the whole program when it is made.
    const int nCueBall = GetCueBallNumber();
    bool bPlayable = false;
    {
        // The scratch game's balls and players draw from a generator of their own.
        CPrivateCrtRandom scratchDraws;
        CBallEngine engine;
        IFlowHost host;
        CGameFlow scratch(engine, &g_GamePlugins, host);
        const bool bBallInHand = (save.m_nGameMode & (modeBallInHand | modePlaceCueBall)) != 0;
        bPlayable = PutSnapshotInto(scratch, save, strReason) && scratch.CheckState(strReason, bBallInHand);
    }
    SetCueBallNumber(nCueBall);
    return bPlayable;
}
} // namespace

void CMainFrame::FillSavedGame(CSavedGame& save)
{
    CGameFlow& flow = *m_pGameFlow;
    save.m_View = flow.GetCurrentView();
    for (auto& pBall : save.m_apBalls)
    {
        if (const CBall* pLive = flow.Engine().FindBall(pBall->GetIndex()); pLive != nullptr)
        {
            pBall->CopyFrom(*pLive);
            continue;
        }
        // A ball off the table is kept at rest in one fixed state, so that saving a game twice
        // writes the same bytes.
        pBall->SetPocketed(TRUE, FALSE, -1);
        pBall->SetPosition(CVector3());
        pBall->SetStopPosition(CVector3());
        pBall->ResetOrientation();
    }
    save.m_Player1.Assign(flow.Player1());
    save.m_Player2.Assign(flow.Player2());
    save.m_nCurrentPlayer = flow.IsPlayer1Current() ? 1 : 2;
    CReferee* pReferee = flow.GetReferee();
    save.m_nBreakPlayed = pReferee != nullptr && pReferee->HasBreakMade() ? 1 : 0;
    if (pReferee != nullptr)
    {
        int nSize = 0;
        const BYTE* pState = pReferee->PackState(&nSize, 0);
        save.m_abRefereeState.assign(pState, pState + nSize);
    }
    save.m_nPutBackMask = flow.GetPutBackMask();
    // Only what a game at rest carries: a flag of something under way would come back with
    // nothing to end it, and the reader refuses it.
    save.m_nGameMode = g_nGameMode & (MODE_FIELD | MODE_RESTING_FLAGS);
    if (g_pCallShotState != nullptr)
        save.m_Shot = CSavedGame::ShotFromCall(g_CallRecord);
    else
        save.m_Shot.SetFrom(&flow.ShotRecord());
    save.m_Settings = NormalisedSettings(g_Settings, GetGameType());
}

BOOL CMainFrame::SaveGameTo(const CString& strPath, CString& strReason)
{
    CSavedGame save(strPath);
    FillSavedGame(save);
    const BOOL bOk = save.Write();
    strReason = save.GetReason();
    if (bOk)
        OutputDebugString(("Game: saved as " + strPath.Str() + "\n").c_str());
    return bOk;
}

BOOL CMainFrame::RestoreGame(const CString& strPath, CString& strReason)
{
    CSavedGame save(strPath);
    const FRefereeStateSize stateSize = [](int nGameType)
    { return IsPlayableType(nGameType) ? REFEREE_PACKED_SIZE : 0; };
    if (!save.Read(stateSize) || !IsSnapshotPlayable(save, strReason))
    {
        if (!save.IsValid())
            strReason = save.GetReason();
        OutputDebugString(("Game: not restored from " + strPath.Str() + ": " + strReason.Str() + "\n").c_str());
        return FALSE;
    }
    strReason.Empty();
    CGameFlow& flow = *m_pGameFlow;
    EndCallShot();
    ResetCallRecords();
    GetReplay().Reset(); // the last shot's replay is not the resumed game's
    PutSnapshotInto(flow, save, strReason);
    RestoreCueObject(save.m_View);
    // The game goes on to its own goal, also across its next racks.
    flow.Settings().nMatchGoal = flow.GetMatchGoal();
    // A saved player carries no statistics: they come from the player's own file.
    LoadPlayersStats(flow.Player1(), flow.Player2());
    flow.SelectCueBall(0);
    RestoreSavedOptions(save.m_Settings);
    // The saved flags come back with the mode, which is entered as a change.
    g_nGameMode = (save.m_nGameMode & ~MODE_FIELD) | GetModeField();
    const DWORD dwMode = save.m_nGameMode & MODE_FIELD;
    if (save.m_Shot.m_nKind == SHOT_KIND_CALLED || dwMode == modeCallShot)
        ResumeCall(dwMode, save.m_Shot.m_nObjectBall, save.m_Shot.m_nPocket);
    else
        flow.SetGameMode(dwMode);
    if (IsComputerToPlay())
        flow.StartTurnFlight();
    g_TextMessages.Clear();
    UpdateAimPreview();
    m_bGameInProgress = TRUE;
    CString strLog;
    const CShotInfo& shot = flow.ShotRecord();
    strLog.Format("Game: resumed %s: type %d, balls on the table %#x, %s %ld against %s %ld, %s to play, mode %#x, "
                  "shot kind %d ball %d pocket %d\n",
                  strPath.GetString(), flow.GetGameType(), flow.GetOnTableMask(), flow.Player1().GetName(),
                  static_cast<long>(flow.Player1().GetPoints()), flow.Player2().GetName(),
                  static_cast<long>(flow.Player2().GetPoints()), flow.Current().GetName(),
                  static_cast<unsigned>(g_nGameMode), shot.m_nKind, shot.GetCalledValue(), shot.m_nPocket);
    OutputDebugString(strLog.GetString());
    return TRUE;
}

bool CMainFrame::ResumeLastGame()
{
    CString strReason;
    if (RestoreGame(LastGamePath(), strReason))
        return true;
    ShowErrorBox(IDS_LAST_GAME_UNREADABLE);
    // The game set up in its place is the one the next start finds in the settings.
    g_Settings.m_nGameType = GetGameType();
    g_Settings.Save();
    PostMessage(WM_COMMAND, MAKEWPARAM(LAST_GAME_REFUSED_COMMAND, 1), 0);
    return false;
}

void CMainFrame::RestoreSavedOptions(const SSavedSettings& saved)
{
    SetAimingAid(saved.nBallPath1 != 0);
    g_Settings.m_nShortPath1 = saved.nShortPath1;
    g_Settings.m_nRecommendedShot = saved.nRecommendedShot;
    g_Settings.m_nCompetitionType = saved.nCompetitionType;
    g_Settings.m_nGameType = saved.nGameType;
    g_Settings.m_nPlayerLevel1 = m_pGameFlow->Player1().GetRobotLevel();
    SFlowSettings& flow = m_pGameFlow->Settings();
    flow.nBallPath1 = saved.nBallPath1;
    flow.nRecommendedShot = saved.nRecommendedShot;
    flow.nCompetitionType = saved.nCompetitionType;
}

bool CMainFrame::CanSaveOrLoad() const
{
    // A game on the screen at rest: no shot, flight, replay or presentation running.
    return m_bGameInProgress && !HasGameFlag(gmShotRunning | gmReplay | gmPresentation) && !HasMode(modeCameraFlight);
}

void CMainFrame::NoteSavesOpen()
{
    const bool bOpen = CanSaveOrLoad();
    if (bOpen && !m_bSavesWereOpen)
        OutputDebugString("Game: at rest, it can be saved or loaded\n");
    m_bSavesWereOpen = bOpen;
}

void CMainFrame::OnUpdateSavedGames(CCmdUI* pCmdUI) { pCmdUI->Enable(CanSaveOrLoad()); }

void CMainFrame::OnFileSave() { RunSavedGamesDialog(TRUE); }

void CMainFrame::OnFileOpen() { RunSavedGamesDialog(FALSE); }

void CMainFrame::RunSavedGamesDialog(BOOL bSave)
{
    if (!CanSaveOrLoad())
    {
        PlayRefusedSound();
        return;
    }
    SetModalMode(TRUE);
    CSaveGameDialog dlg(bSave, this);
    const INT_PTR nResult = dlg.DoModal();
    SetModalMode(FALSE);
    // The clicks and keys that worked the dialog are not the game's: the click on OK would come
    // back as a stroke.
    ReadInputDevices();
    if (nResult == -1)
        ShowErrorBoxText("The saved-games dialog could not be shown: its template (580) is missing from VornRes.dll.");
    if (nResult != IDOK || dlg.m_strFileName.IsEmpty())
        return;
    SaveOrLoadNamed(bSave, dlg.m_strFileName);
}

BOOL CMainFrame::SaveOrLoadNamed(BOOL bSave, const CString& strFileName)
{
    const CString strPath = CSettings::GetSavedDirectory() + strFileName;
    CString strReason;
    const BOOL bDone = bSave ? SaveGameTo(strPath, strReason) : RestoreGame(strPath, strReason);
    if (!bDone)
    {
        CString strText;
        strText.Format(bSave ? "The game could not be saved as \"%s\": %s." : "\"%s\" could not be loaded: %s.",
                       strFileName.GetString(), strReason.GetString());
        ShowErrorBoxText(strText.GetString());
    }
    return bDone;
}
