// Turns, racks and the end of a match.
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"

#include <cstdio>

namespace
{
/// The rack's winner, said by a person's win or the computer's.
constexpr UINT IDS_COMPUTER_WINS_RACK = 21584;
constexpr UINT IDS_HUMAN_WINS_RACK = 21585;
constexpr int RACK_WINNER_TEXT_MS = 2000;
/// How long a pyramid match's end holds the screen before its dialogs (ms).
constexpr DWORD MATCH_END_HOLD_MS = 2000;
} // namespace

int AddTrophy(int nSet, ETrophy eTrophy)
{
    // Each set holds up to three trophies: 0 none, 1 bronze, 2 silver, 3 gold, 4 bronze and silver,
    // 5 bronze and gold, 6 silver and gold, 7 all three.
    static constexpr int aTable[3][8] = {
        {1, 1, 4, 5, 4, 5, 7, 7}, // bronze
        {2, 4, 2, 6, 4, 7, 6, 7}, // silver
        {3, 5, 6, 3, 7, 5, 6, 7}, // gold
    };
    if (nSet < 0 || nSet > 7)
        return nSet;
    return aTable[eTrophy - TROPHY_BRONZE][nSet];
}

int GetTrophySlot(int nGameType)
{
    switch (nGameType)
    {
    case GAME_AMERICAN:
        return 1;
    case GAME_8BALL:
        return 2;
    case GAME_9BALL:
        return 3;
    case GAME_PYRAMID:
        return 4;
    case GAME_3BALL:
        return 5;
    default:
        return 0;
    }
}

int GetStatsSection(int nGameType)
{
    switch (nGameType)
    {
    case GAME_8BALL:
        return 1;
    case GAME_9BALL:
        return 2;
    case GAME_BASE:
    case GAME_14_1:
        return 3;
    case GAME_PYRAMID:
        return 4;
    case GAME_AMERICAN:
        return 5;
    default:
        return 0;
    }
}

void CGameFlow::NextTurn()
{
    if (m_Player1.IsDead())
        m_pCurrent = &m_Player2;
    else if (m_Player2.IsDead())
        m_pCurrent = &m_Player1;
    else
        m_pCurrent = IsPlayer1Current() ? &m_Player2 : &m_Player1;
    if (m_Settings.nCompetitionType == 0)
    {
        // Practice: one person plays both sides of the table as player 1.
        m_pCurrent = &m_Player1;
        const LONG nPoints = m_Player1.GetPoints();
        m_Player1.SetPoints(m_Player2.GetPoints());
        m_Player2.SetPoints(nPoints);
        if (!m_pCurrent->HasNoGroup())
            m_pCurrent->SetGroup(m_pCurrent->IsGroupOne() ? 0 : 1);
    }
    ClearGameFlag(gmRobotStroke);
    // A plan made for the turn that passed is not the next player's: its deviation would turn
    // their stroke.
    m_ShotRecord.Reset();
}

void CGameFlow::CountGames(int nWinnerIsPlayer2)
{
    CPlayer& winner = nWinnerIsPlayer2 != 0 ? m_Player2 : m_Player1;
    winner.SetGames(winner.GetGames() + 1);
    CString strLine;
    strLine.Format("Game: %s wins the rack, %ld games won\n", winner.GetName(), static_cast<long>(winner.GetGames()));
    OutputDebugString(strLine.GetString());
}

void CGameFlow::NextRack(const SNextRack& next)
{
    const bool bKeepView = HasGameFlag(gmKeepView);
    if (!bKeepView)
        ResetCamera();
    const DWORD dwFlags = g_nGameMode & MODE_RACK_FLAGS;
    StartMatchRack(next.bResetScores);
    if (next.bWinnerBreaks)
        SetCurrent(!next.bWinnerIsPlayer2);
    if (next.bRememberFlags)
        g_nGameMode |= dwFlags;
    // Held at the top view, the new rack is seen from there too.
    if (next.bTopViewBySetting ? m_Settings.nOverheadView != 0 : bKeepView)
    {
        ApplyTopView();
        UpdateAimCamera(1);
        SetGameFlag(gmKeepView);
    }
    m_Host.MarkSceneShown();
}

void CGameFlow::BeginRackTurn(bool bModeChange)
{
    const bool bComputer = m_pCurrent->GetRobotLevel() != 0;
    CString strTurn;
    strTurn.Format("Game: %s to play%s\n", m_pCurrent->GetName(), bComputer ? "" : " with the ball in hand");
    OutputDebugString(strTurn.GetString());
    // The rack's first shot: the computer after its flight, a person with the cue ball in hand.
    if (bComputer)
    {
        StartTurnFlight();
        if (bModeChange)
            SetGameMode(modeCameraFlight);
    }
    else
        SetGameMode(modeBallInHand);
}

void CGameFlow::StartTurn(bool bBallInHand)
{
    CString strTurn;
    strTurn.Format("Game: %s to play%s\n", m_pCurrent->GetName(), bBallInHand ? " with the ball in hand" : "");
    OutputDebugString(strTurn.GetString());
    if (m_pCurrent->GetRobotLevel() != 0)
        StartTurnFlight();
    else if (bBallInHand)
        FlyToBallInHandView();
    else
        FlyToAimView(m_Settings.nRecommendedShot != 0 ? 1 : 0);
}

int CGameFlow::AdvanceMatchByGames(int nWinnerIsPlayer2)
{
    if (m_Settings.nCompetitionType == 0)
        return AdvancePractice(nWinnerIsPlayer2);
    if (!HasGameFlag(gmRackDecided))
        return 0;
    return AdvanceMatch(nWinnerIsPlayer2, false);
}

int CGameFlow::AdvanceMatchOtherTypes(int nWinnerIsPlayer2) { return AdvanceMatch(nWinnerIsPlayer2, true); }

int CGameFlow::AdvanceMatch(int nWinnerIsPlayer2, bool bTopViewBySetting)
{
    ClearGameFlag(gmRackDecided);
    CountGames(nWinnerIsPlayer2);
    if (m_Player1.GetGames() >= m_Settings.nGamesGoal || m_Player2.GetGames() >= m_Settings.nGamesGoal)
    {
        m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        return 0;
    }
    // Each rack is played for its own points; the racks won are the match's score.
    NextRack({.bResetScores = true, .bWinnerIsPlayer2 = nWinnerIsPlayer2 != 0, .bTopViewBySetting = bTopViewBySetting});
    BeginRackTurn(true);
    return 0;
}

int CGameFlow::AdvancePractice(int nWinnerIsPlayer2)
{
    if (GetPluginGame() != nullptr)
        return AdvancePracticePlugin(nWinnerIsPlayer2);
    if (!HasGameFlag(gmRackDecided))
        return 0;
    ClearGameFlag(gmRackDecided);
    if (nWinnerIsPlayer2 == 0)
        m_pCurrent->SetPoints(m_pCurrent->GetPoints() + 1);
    if (m_pCurrent->HasReachedGoal())
    {
        m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        return 0;
    }
    // The racks won are counted in the points against the goal, so the next rack keeps them.
    NextRack({.bRememberFlags = false, .bWinnerBreaks = false});
    BeginRackTurn(false);
    return 0;
}

int CGameFlow::GameOver(int nWinnerIsPlayer2)
{
    if (m_Settings.nCompetitionType == 0)
        return AdvancePractice(nWinnerIsPlayer2);
    ClearGameFlag(gmRackDecided);
    // In pyramid the foul counters tally each player's pocketed balls; a tie goes to player 2,
    // or to the computer when one side is a person.
    const LONG f1 = m_Player1.GetFouls();
    const LONG f2 = m_Player2.GetFouls();
    const bool bRobot1 = m_Player1.GetRobotLevel() != 0;
    const bool bRobot2 = m_Player2.GetRobotLevel() != 0;
    bool bPlayer1Wins = f1 > f2;
    if (bRobot1 && !bRobot2)
        bPlayer1Wins = !(f2 > f1);
    CPlayer& winner = bPlayer1Wins ? m_Player1 : m_Player2;
    winner.SetPoints(winner.GetPoints() + 1);
    const bool bHumanWon = bRobot1 == bRobot2 || (bPlayer1Wins ? !bRobot1 : !bRobot2);

    const bool bOver = m_Player1.HasReachedGoal() || m_Player2.HasReachedGoal();
    if (!bOver)
    {
        if (!m_bAutoplay)
            ShowRackWinner(winner, bHumanWon);
        // The points are the racks won; the tallies start again.
        NextRack({.bWinnerIsPlayer2 = !bPlayer1Wins});
        BeginRackTurn(true);
        return 0;
    }
    if (m_bAutoplay)
        ShowRackWinner(winner, bHumanWon);
    StartMatchEndHold(m_bAutoplay ? EMatchEndHold::CloseOrEnd : EMatchEndHold::Results, winner, bHumanWon,
                      bPlayer1Wins && bRobot2);
    return 0;
}

void CGameFlow::ShowRackWinner(const CPlayer& winner, bool bHumanWon)
{
    const std::string strSaying = m_Host.LoadFlowString(bHumanWon ? IDS_HUMAN_WINS_RACK : IDS_COMPUTER_WINS_RACK);
    char szText[512];
    std::snprintf(szText, sizeof(szText), "%s\n%s", winner.GetName(), strSaying.c_str());
    m_Host.ShowText(szText, RACK_WINNER_TEXT_MS);
}

void CGameFlow::StartMatchEndHold(EMatchEndHold eThen, const CPlayer& winner, bool bHumanWon, bool bTrophies)
{
    // The table and its display stay on the screen for a while: each tick until then only draws.
    m_eHold = eThen;
    m_dwHoldStart = timeGetTime();
    m_strHoldWinner = winner.GetName();
    m_bHoldHumanWon = bHumanWon;
    m_bHoldTrophies = bTrophies;
}

bool CGameFlow::TickMatchEndHold()
{
    if (m_eHold == EMatchEndHold::None)
        return false;
    if (timeGetTime() - m_dwHoldStart >= MATCH_END_HOLD_MS)
        FinishMatchEndHold();
    return true;
}

void CGameFlow::FinishMatchEndHold()
{
    const EMatchEndHold eThen = m_eHold;
    m_eHold = EMatchEndHold::None;
    if (eThen == EMatchEndHold::CloseOrEnd)
    {
        if (HasGameFlag(gmStartupFlag))
            m_Host.PostFlowMessage(FLOW_MSG_CLOSE_NOW, 0, 0);
        else
            m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        return;
    }
    m_Host.ShowMatchResult(m_strHoldWinner, m_bHoldHumanWon);
    if (HasGameFlag(gmStartupFlag))
    {
        EndMatch();
        return;
    }
    if (m_bHoldTrophies)
        AwardTrophies();
    // The match's winner by the tallies: the last shot may have been the loser's.
    m_Host.ShowMatchWon(m_strHoldWinner.GetString());
    m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
}

void CGameFlow::EndMatch()
{
    if (!HasGameFlag(gmStartupFlag))
    {
        m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        return;
    }
    SetGameFlag(gmGameOver);
    m_Host.ShowText("      GAME OVER!      ", -1);
}

int CGameFlow::GameOverPlugin(int nWinnerIsPlayer2)
{
    if (m_Settings.nCompetitionType == 0)
        return AdvancePractice(nWinnerIsPlayer2);
    ClearGameFlag(gmRackDecided);
    CPluginGame* pGame = GetPluginGame();
    if (pGame == nullptr)
        return 0;
    CPlayer& winner = nWinnerIsPlayer2 != 0 ? m_Player2 : m_Player1;
    CPlayer& loser = nWinnerIsPlayer2 != 0 ? m_Player1 : m_Player2;
    CShotOutcome rack = FillOutcome(&winner == &m_Player1);
    pGame->DecideRack(&rack);
    if (rack.bMatchOver != 0)
    {
        EndMatch();
        return 0;
    }
    // The plug-in's counters are the new rack's: they are taken after the rack has cleared its own.
    NextRack({.bWinnerIsPlayer2 = nWinnerIsPlayer2 != 0});
    TakeCounters(rack, winner, &loser);
    BeginRackTurn(true);
    return 0;
}

int CGameFlow::AdvancePracticePlugin(int nWinnerIsPlayer2)
{
    (void)nWinnerIsPlayer2; // the plug-in decides from the player's counters
    if (!HasGameFlag(gmRackDecided))
        return 0;
    ClearGameFlag(gmRackDecided);
    CShotOutcome rack = FillOutcome(IsPlayer1Current());
    rack.nOtherFouls = rack.nOtherPoints = rack.nOtherGames = 0;
    GetPluginGame()->DecidePracticeRack(&rack);
    if (rack.bMatchOver != 0)
    {
        m_Host.PostFlowMessage(FLOW_MSG_MATCH_END, 1, 0);
        return 0;
    }
    NextRack({.bRememberFlags = false, .bWinnerBreaks = false});
    TakeCounters(rack, *m_pCurrent, nullptr);
    BeginRackTurn(false);
    return 0;
}

void CGameFlow::AwardTrophies()
{
    const int nLevel = m_Settings.nAiDefaultLevel;
    const int nBestOf = 2 * m_Settings.nGamesGoal - 1;
    int& nSet = m_Settings.anTrophy[static_cast<std::size_t>(GetTrophySlot(m_nGameType))];
    const int nBefore = nSet;
    // Each rule that holds adds its own trophy.
    if (nLevel < 4)
        nSet = AddTrophy(nSet, TROPHY_BRONZE);
    if (nLevel > 4 && nLevel < 8 && nBestOf >= 7)
        nSet = AddTrophy(nSet, TROPHY_SILVER);
    if ((nLevel > 7 && nBestOf >= 7) || (m_Settings.nBallPath1 == 0 && nLevel > 4))
        nSet = AddTrophy(nSet, TROPHY_GOLD);
    if (nSet != nBefore)
        m_Host.SaveSettings();
}

void CGameFlow::OnMatchProgress(int nWinnerIsPlayer2)
{
    switch (m_nGameType)
    {
    case GAME_DEMO:
    case GAME_BASE:
    case GAME_14_1:
        AdvanceMatchOtherTypes(nWinnerIsPlayer2);
        break;
    case GAME_PYRAMID:
        GameOver(nWinnerIsPlayer2);
        break;
    default:
        if (GetPluginGame() != nullptr)
            GameOverPlugin(nWinnerIsPlayer2);
        else
            AdvanceMatchByGames(nWinnerIsPlayer2);
        break;
    }
}
