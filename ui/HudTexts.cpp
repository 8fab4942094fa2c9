#include "ui/HudTexts.h"

#include "gameflow/GameMode.h"
#include "simulation/Referee.h"

#include <array>

namespace
{
/// Names whose turn is told by a text of its own.
struct SNamedTurn
{
    const char* szName;
    UINT nStringId;
};
constexpr std::array<SNamedTurn, 3> NAMED_TURNS = {
    {{"Sandwich", IDS_TURN_SANDWICH}, {"Tumbler", IDS_TURN_TUMBLER}, {"Ducky", IDS_TURN_DUCKY}}};

CString TurnText(const CString& strPlayer)
{
    CString str;
    str.Format("%s's Turn", strPlayer.GetString());
    return str;
}

/// "%s's Turn", or the text of a name that has its own.
CString NamedTurnText(const CString& strPlayer, const FStringLoader& load)
{
    for (const SNamedTurn& named : NAMED_TURNS)
        if (strPlayer == named.szName)
            return load(named.nStringId);
    return TurnText(strPlayer);
}

/// The aiming tip: the view tip with the overhead view, the plain one without.
int AimTip(bool bOverhead) { return bOverhead ? 1 : 3; }

SBanner WaitingBanner(const SBannerState& s, const FStringLoader& load)
{
    if (!s.bOverhead)
        return {load(IDS_WAITING), 0};
    if (s.bHumanTurn && (s.dwMode & gmShotRunning) == 0)
        return {NamedTurnText(s.strPlayer, load), AimTip(s.bOverhead)};
    return {s.bWaitWidget ? load(IDS_WAITING) : CString(), 0};
}

SBanner PlacementBanner(const SBannerState& s, const FStringLoader& load)
{
    if (s.nPickedBall == -1)
        return {load(IDS_PLACE_BALL), 0};
    if (s.nPickedBall == 0)
        return {CString(), 4};
    CString str;
    str.Format("%s%d  ", load(IDS_PLACE_BALL).GetString(), s.nPickedBall);
    return {str, 0};
}
} // namespace

UINT GameNameStringId(int nGameType)
{
    switch (nGameType)
    {
    case GAME_DEMO:
        return 21622;
    case GAME_3BALL:
        return 21540;
    case GAME_8BALL:
        return 21541;
    case GAME_9BALL:
        return 21542;
    case GAME_BASE:
        return 21539;
    case GAME_PYRAMID:
        return 21601;
    case GAME_AMERICAN:
        return 21608;
    case GAME_14_1:
        return 21621;
    case GAME_BONUS:
        return 21624;
    default:
        return 0;
    }
}

CString FormatMatchTitle(const char* szGame, int nCompetitionType, int nGamesGoal)
{
    CString str;
    if (nCompetitionType != 0)
        str.Format("%s - Best of %d", szGame, 2 * nGamesGoal - 1);
    else
        str.Format("%s - Practice", szGame);
    return str;
}

SBanner GetTurnBanner(const SBannerState& s, const FStringLoader& load)
{
    const DWORD dwMode = s.dwMode;
    if ((dwMode & modeCallShot) != 0)
        return {load(IDS_CALL_THE_SHOT), 0};
    if ((dwMode & modeBallInHand) != 0)
        return {CString("Ball In Hand"), 4};
    if ((dwMode & modeWaiting) != 0)
        return WaitingBanner(s, load);
    if ((dwMode & modePlaceCueBall) != 0)
        return PlacementBanner(s, load);
    if ((dwMode & modeMouseStroke) != 0)
        return {};
    if ((dwMode & modeAim) != 0)
    {
        const int nTip = s.bHumanTurn ? AimTip(s.bOverhead) : 0;
        return {s.bOverhead ? CString() : NamedTurnText(s.strPlayer, load), nTip};
    }
    return {TurnText(s.strPlayer), 0};
}

bool GetScoreTexts(int nGameType, LONG nPoints, LONG nGames, LONG nFouls, LONG nBallGoal, CString& strLeft,
                   CString& strRight)
{
    strLeft.Empty();
    strRight.Empty();
    switch (nGameType)
    {
    case GAME_3BALL:
    case GAME_9BALL:
        strLeft = "----";
        break;
    case GAME_8BALL:
        strLeft.Format("%i / 8", static_cast<int>(nPoints));
        break;
    case GAME_PYRAMID:
        strLeft.Format("%i / 71", static_cast<int>(nFouls));
        break;
    case GAME_AMERICAN:
        strLeft.Format("%i / 8", static_cast<int>(nFouls));
        break;
    case GAME_14_1:
        strLeft.Format("%i / %i", static_cast<int>(nPoints), static_cast<int>(nBallGoal));
        break;
    default:
        return false;
    }
    strRight.Format("%i", static_cast<int>(nGameType == GAME_PYRAMID ? nPoints : nGames));
    return true;
}

int GetScoreIconBall(int nGameType, LONG nGroup, bool bCurrent, int nTarget)
{
    if (nGameType == GAME_8BALL && (nGroup == 0 || nGroup == 1))
        return nGroup == 0 ? 1 : 9;
    if ((nGameType == GAME_3BALL || nGameType == GAME_9BALL) && bCurrent && nTarget >= 0 && nTarget < 16)
        return nTarget;
    return -1;
}

int GetLabelBall(const SBallLabelState& s)
{
    if (!s.bCallState && s.bOverhead)
        return !s.bShotRunning && s.nHovered > 0 ? s.nHovered : -1;
    if (!s.bCallShotMode)
        return s.bShotRunning ? -1 : s.nCalled;
    if (s.nGameType != GAME_PYRAMID && s.nGameType != GAME_14_1)
        return -1;
    return s.nMarked >= 0 ? s.nMarked : s.nCalled;
}

bool ShowsCalledPocket(bool bCallState, bool bCallShotMode, bool bCallDone, int nGameType, int nPocket)
{
    return bCallState && nPocket >= 0 && ((bCallShotMode && !bCallDone) || nGameType == GAME_8BALL);
}
