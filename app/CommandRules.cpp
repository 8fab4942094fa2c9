#include "app/CommandRules.h"

#include "gameflow/GameMode.h"

namespace
{
/// Bit 23 of the game-mode word, which most rules refuse.
constexpr DWORD BIT23 = gmGameOver;
constexpr DWORD BIT24 = gmPresentation;
/// Bit 25: the window is closing.
constexpr DWORD CLOSING = gmSettingsPreview;
/// Bit 22: text input is active.
constexpr DWORD TEXT_INPUT = gmInputOff;
/// Bit 0: a queued playback runs.
constexpr DWORD QUEUED_PLAYBACK = 0x1;

struct SRuleFacts
{
    bool bCompetition2;
    bool bClosing;
    bool bTextInput;
    bool b23;
    bool bCallShot;
};

SRuleFacts FactsOf(const SCommandState& s)
{
    return {s.nCompetitionType == 2, (s.dwMode & CLOSING) != 0, (s.dwMode & TEXT_INPUT) != 0, (s.dwMode & BIT23) != 0,
            (s.dwMode & modeCallShot) != 0};
}

bool Has(const SCommandState& s, DWORD dwBits) { return (s.dwMode & dwBits) != 0; }

/// Calling the shot belongs to 14.1, one-pocket-like types and eight-ball when its referee allows it.
bool GameTypeCallsShots(const SCommandState& s)
{
    return s.nGameType == 15 || s.nGameType == 16 || s.nGameType == 18 || (s.nGameType == 8 && s.bCallingAllowed);
}
} // namespace

bool IsRuleMet(ECommandRule eRule, const SCommandState& s)
{
    const SRuleFacts f = FactsOf(s);
    switch (eRule)
    {
    case ECommandRule::Always:
        return true;
    case ECommandRule::Never:
        return false;
    case ECommandRule::R1:
        return !f.bCompetition2 && !f.bClosing && s.bCurrentHuman && !f.b23;
    case ECommandRule::R3:
        return !f.bTextInput && !f.bClosing;
    case ECommandRule::R4:
        return !s.bReplayRunning && !f.bCompetition2 && !f.bTextInput && !f.bClosing && !f.b23;
    case ECommandRule::R5:
        return !f.bClosing && !f.b23;
    case ECommandRule::R6:
        return !Has(s, BIT24) && !f.bCompetition2 && !f.bClosing;
    case ECommandRule::R7:
        return !f.bTextInput;
    case ECommandRule::R8:
        return !f.bTextInput && !f.bClosing;
    case ECommandRule::R9:
        return !f.bCallShot && !f.bClosing;
    case ECommandRule::R10:
        return !Has(s, modeBallInHand) && !Has(s, modePlaceCueBall) && !f.bClosing && s.bCurrentHuman &&
               !f.bCompetition2 && !f.b23;
    case ECommandRule::R11:
        return !f.bCallShot && Has(s, gmShotRunning) && !f.bCompetition2 && !f.bTextInput && !f.bClosing && !f.b23;
    case ECommandRule::R12:
        return !f.bCallShot && !f.bCompetition2 && !f.bClosing && !f.b23;
    case ECommandRule::R13:
        return !f.bCallShot && !Has(s, modeBallInHand | modePlaceCueBall) && !f.bCompetition2 && !f.bTextInput;
    case ECommandRule::R14:
        return !f.bCallShot && !Has(s, QUEUED_PLAYBACK) && s.bCurrentHuman && !Has(s, gmShotRunning) &&
               GameTypeCallsShots(s) && !f.bClosing && !f.b23;
    case ECommandRule::R15:
        return !Has(s, modePlaceCueBall) && !f.bTextInput && s.bBothHuman && !f.bClosing && !f.b23 &&
               !Has(s, gmShotRunning | modeCameraFlight);
    case ECommandRule::R16:
        return !Has(s, 0x3540 | 0xb8000 | 0x1f000000) && !f.b23;
    case ECommandRule::R17:
        return !Has(s, gmStartupFlag);
    }
    return false;
}

ECommandRule GetCommandRule(UINT nID)
{
    struct SEntry
    {
        UINT nID;
        ECommandRule eRule;
    };
    static constexpr SEntry s_aRules[] = {
        {ID_SHOW_RULES, ECommandRule::R3},        {ID_STOP_ACTION, ECommandRule::R4},
        {ID_UNMAPPED_32140, ECommandRule::R5},    {ID_RESTART_RACK, ECommandRule::R6},
        {ID_TOGGLE_HEAD_LINE, ECommandRule::R7},  {ID_TOGGLE_OVERHEAD, ECommandRule::R8},
        {ID_SYNC_VIEW_RECORD, ECommandRule::R9},  {ID_CALL_SHOT, ECommandRule::R10},
        {ID_STOP_PLAYBACK, ECommandRule::R11},    {ID_PASS_TURN, ECommandRule::R12},
        {ID_TOGGLE_BALL_PATH, ECommandRule::R13}, {ID_CALL_SHOT_MODE, ECommandRule::R14},
        {ID_REPLAY, ECommandRule::R15},           {ID_EMPTY_32162, ECommandRule::R16},
        {ID_EMPTY_32181, ECommandRule::R17},      {ID_COMPUTER_STROKE, ECommandRule::Never},
    };
    for (const SEntry& entry : s_aRules)
        if (entry.nID == nID)
            return entry.eRule;
    return ECommandRule::Always;
}
