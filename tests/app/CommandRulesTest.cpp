#include "app/CommandRules.h"

#include "gameflow/GameMode.h"

#include <gtest/gtest.h>
#include <set>

namespace
{
using enum ECommandRule;
constexpr ECommandRule ALL_RULES[] = {R1, R3, R4, R5, R6, R7, R8, R9, R10, R11, R12, R13, R14, R15, R16, R17};

/// A state in which every rule but R11 (which wants a running shot) holds: nothing running, two
/// people, a game type that calls its shots.
SCommandState Baseline()
{
    SCommandState state;
    state.nGameType = 15;
    return state;
}

SCommandState WithMode(DWORD dwMode)
{
    SCommandState state = Baseline();
    state.dwMode = dwMode;
    return state;
}

TEST(CommandRulesTest, EachRuleHoldsExactlyWhereItsConditionsDo)
{
    struct SCase
    {
        const char* szName;
        SCommandState state;
        std::set<ECommandRule> failing;
    };
    SCommandState competition2 = Baseline();
    competition2.nCompetitionType = 2;
    SCommandState replay = Baseline();
    replay.bReplayRunning = true;
    SCommandState computerTurn = Baseline();
    computerTurn.bCurrentHuman = false;
    computerTurn.bBothHuman = false;
    SCommandState computerWaits = Baseline();
    computerWaits.bBothHuman = false;
    SCommandState nineBall = Baseline();
    nineBall.nGameType = 3;
    SCommandState eightBall = Baseline();
    eightBall.nGameType = 8;
    SCommandState eightBallCalling = eightBall;
    eightBallCalling.bCallingAllowed = true;
    const SCase aCases[] = {
        {"nothing going on", Baseline(), {R11}},
        {"competition type 2", competition2, {R1, R4, R6, R10, R11, R12, R13}},
        {"the window is closing",
         WithMode(gmSettingsPreview),
         {R1, R3, R4, R5, R6, R8, R9, R10, R11, R12, R14, R15, R16}},
        {"text input", WithMode(gmInputOff), {R3, R4, R7, R8, R11, R13, R15}},
        {"bit 23", WithMode(gmGameOver), {R1, R4, R5, R10, R11, R12, R14, R15, R16}},
        {"bit 24", WithMode(gmPresentation), {R6, R11, R16}},
        {"calling the shot", WithMode(modeCallShot), {R9, R11, R12, R13, R14}},
        {"ball in hand", WithMode(modeBallInHand), {R10, R11, R13}},
        {"placing the cue ball", WithMode(modePlaceCueBall), {R10, R11, R13, R15, R16}},
        {"a shot runs", WithMode(gmShotRunning), {R14, R15, R16}},
        {"a shot runs while calling", WithMode(gmShotRunning | modeCallShot), {R9, R11, R12, R13, R14, R15, R16}},
        {"camera flight", WithMode(modeCameraFlight), {R11, R15, R16}},
        {"queued playback", WithMode(0x1), {R11, R14}},
        {"mouse stroke", WithMode(modeMouseStroke), {R11, R16}},
        {"replay flag", WithMode(gmReplay), {R11, R16}},
        {"start-up flag", WithMode(gmStartupFlag), {R11, R16, R17}},
        {"the replay runs", replay, {R4, R11}},
        {"the computer's turn", computerTurn, {R1, R10, R11, R14, R15}},
        {"the computer waits", computerWaits, {R11, R15}},
        {"nine-ball calls no shot", nineBall, {R11, R14}},
        {"eight-ball without calling", eightBall, {R11, R14}},
        {"eight-ball with calling", eightBallCalling, {R11}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        for (const ECommandRule eRule : ALL_RULES)
        {
            SCOPED_TRACE(static_cast<int>(eRule));
            EXPECT_EQ(!c.failing.contains(eRule), IsRuleMet(eRule, c.state));
        }
        EXPECT_FALSE(IsCommandEnabled(ID_COMPUTER_STROKE, c.state)) << "the computer's stroke command never runs";
        EXPECT_TRUE(IsCommandEnabled(ID_TOGGLE_SHORT_PATH, c.state)) << "the short path has no rule";
        EXPECT_TRUE(IsCommandEnabled(ID_TOGGLE_FULL_SCREEN, c.state));
    }
}

TEST(CommandRulesTest, CommandsCarryTheirRules)
{
    const std::pair<UINT, ECommandRule> aCases[] = {
        {ID_SHOW_RULES, R3},
        {ID_STOP_ACTION, R4},
        {ID_UNMAPPED_32140, R5},
        {ID_RESTART_RACK, R6},
        {ID_TOGGLE_HEAD_LINE, R7},
        {ID_TOGGLE_OVERHEAD, R8},
        {ID_SYNC_VIEW_RECORD, R9},
        {ID_CALL_SHOT, R10},
        {ID_STOP_PLAYBACK, R11},
        {ID_PASS_TURN, R12},
        {ID_TOGGLE_BALL_PATH, R13},
        {ID_CALL_SHOT_MODE, R14},
        {ID_REPLAY, R15},
        {ID_EMPTY_32162, R16},
        {ID_EMPTY_32181, R17},
        {ID_COMPUTER_STROKE, Never},
        {ID_TOGGLE_SHORT_PATH, Always},
        {ID_EXIT_GAME, Always},
        {ID_NEW_GAME, Always},
        {ID_DEVELOPER_LEVEL_0, Always},
    };
    for (const auto& [nID, eRule] : aCases)
    {
        SCOPED_TRACE(nID);
        EXPECT_EQ(eRule, GetCommandRule(nID));
    }
}
} // namespace
