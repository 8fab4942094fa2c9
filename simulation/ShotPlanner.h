// The computer player's shot planner. For each computer turn the game flow builds one (from the
// skill level and the game type, CreateShotPlanner), plans over the table and reads back one
// shot: pocket, cue ball, object ball, second ball, kind and aim. The search builds a candidate
// for every pocket, cue ball, object ball and kind it may use, keeps those with a positive value
// and chooses among the best; lower levels search fewer kinds, weight the harder kinds down,
// choose among more of the best and deviate more from the aim.
#pragma once

#include "foundation/ShotNoise.h"
#include "platform/win32/WinTypes.h"
#include "simulation/ShotCandidate.h"

#include <array>
#include <memory>
#include <vector>

class CBallEngine;
class CShotInfo;
class CShotTable;

/// The whole plan searches at most this long (timeGetTime). Milliseconds.
inline constexpr DWORD PLAN_BUDGET_MS = 4000;
/// While the display option is on, the search draws a frame at most this often. Milliseconds.
inline constexpr DWORD PLAN_REFRESH_MS = 100;

/// How the key ball restricts the object balls (SetKeyBall).
enum : int
{
    KEY_MODE_NONE = 0,     ///< no restriction
    KEY_MODE_ONLY = 1,     ///< only the key ball
    KEY_MODE_BONUS = 2,    ///< any ball; shots that pocket the key ball score three times as much
    KEY_MODE_EXCLUDED = 3, ///< any ball but the key ball
};

class CShotPlanner
{
public:
    CShotPlanner() = default;
    virtual ~CShotPlanner() = default;
    CShotPlanner(const CShotPlanner&) = delete;
    CShotPlanner& operator=(const CShotPlanner&) = delete;

    // -- Operations in their fixed order ----------------------------------------------------------

    /// The ball order (pyramid planner only): 0 here.
    virtual int GetOrder(int) const { return 0; }
    virtual void SetOrder(int, int) {}
    virtual double GetOrderWeight() const { return 0.5; }
    virtual void SetOrderWeight(double) {}
    /// Searches the table within the time budget and chooses a shot (none on a table with fewer than
    /// two balls). The ball range and the scratch-check switch are handed to the path tests.
    virtual void Plan(const CShotTable& table);
    /// Plan over the engine's table (the live engine for a computer turn).
    void Plan(CBallEngine& engine);
    /// The chosen shot with a noise sample as its deviation; TRUE when there was one. Before the
    /// break has been made the fixed break shot. Without a choice the record becomes "no shot"
    /// (pocket -1, kind 0) and the result is FALSE.
    virtual BOOL GetShot(CShotInfo& record, BOOL bBreakMade);
    /// The chosen aim plus a noise sample (0 without a choice).
    virtual void GetNoisyAim(double& dOut) const;
    /// Object balls nFrom up to but not including nTo (nFrom -1: any; nTo -1: nFrom + 1); with
    /// bOnFirst the range also applies to the ball a two-ball shot drives into the pocket.
    virtual void SetBallRange(int nFrom, int nTo, BOOL bOnFirst);
    virtual int GetKeyBall(int& nMode) const;
    virtual void SetKeyBall(int nBall, int nMode);
    /// Probability and scale of the aim's deviation (0 best, 1 worst), also how many of the best
    /// candidates the choice picks from.
    virtual void SetNoise(double dProbability);
    virtual void ReleaseCandidates();
    /// Every kind of the options at once, without the value filter or the time budget.
    virtual void SearchAll(const CShotTable& table);
    /// Candidates of one kind (a single bit that the options hold) until the budget is spent.
    virtual void SearchKind(const CShotTable& table, int nKind, DWORD dwBudgetMs);
    /// Sorts the candidates, best first, and picks one of the best few; none from an empty list.
    virtual void Choose();

    // -- Configuration -----------------------------------------------------------------------------

    /// Mask of the kinds searched (SHOT_KIND_...); 7 until set.
    void SetOptions(DWORD dwOptions) { m_nOptions = dwOptions; }
    DWORD GetOptions() const { return m_nOptions; }
    /// Sets the weight of every kind whose bit kindBits holds.
    void SetWeight(DWORD dwKindBits, double dWeight);
    /// The weight of kind 1, 2, 4 or 8; -1.0 for anything else.
    double GetWeight(int nKind) const;
    /// With the flag every ball on the table may be the cue ball, else only ball 0.
    void SetAnyCueBall(BOOL bAny) { m_bAnyCueBall = bAny; }
    double GetNoise() const { return m_Noise.GetProbability(); }

    const CShotCandidate* GetChosen() const { return m_pChosen; }
    const std::vector<std::unique_ptr<CShotCandidate>>& GetCandidates() const { return m_Candidates; }
    double GetChosenAim() const { return m_dChosenAim; }
    /// Whether the plan found nothing and fell back to the two lowest balls.
    BOOL IsFallbackChoice() const { return m_bFallback; }

protected:
    /// The candidate's value after the search's weights; the planner then keeps it when positive.
    double WeightFor(const CShotCandidate& candidate) const;
    BOOL IsKeyAllowed(int nBall) const;
    BOOL IsInRange(int nBall) const;
    /// Picks among the sorted candidates by the noise; adds the chosen value to the running mean.
    void ChooseSorted();

    std::vector<std::unique_ptr<CShotCandidate>> m_Candidates;
    CShotCandidate* m_pChosen = nullptr; ///< owned by m_Candidates
    DWORD m_nOptions = SHOT_KIND_DIRECT | SHOT_KIND_BANK | SHOT_KIND_KICK;
    double m_dChosenAim = 0.0;
    int m_nRangeFrom = -1;
    int m_nRangeTo = -1;
    BOOL m_bRangeOnFirst = FALSE;
    CShotNoise m_Noise;
    std::array<double, 4> m_adWeights{1.0, 1.0, 1.0, 1.0}; ///< kinds 1, 2, 4, 8
    int m_nKeyMode = KEY_MODE_NONE;
    int m_nKeyBall = -1;
    BOOL m_bAnyCueBall = FALSE;
    BOOL m_bFallback = FALSE;
    DWORD m_dwLastRefresh = 0; ///< timeGetTime of the last frame drawn during a search

private:
    /// Evaluates the candidates of one kind for pocket, cue ball and object ball and keeps the
    /// positive ones (all of them with bKeepAll).
    void AddCandidates(const CShotTable& table, int nKind, int nPocket, int nCue, int nObject, BOOL bKeepAll);
    void Offer(std::unique_ptr<CShotCandidate> pCandidate, BOOL bKeepAll);
    /// The direct shot of the two lowest balls on the table into pocket 3 or 0 (at random).
    void ChooseFallback(const CShotTable& table);
    /// The walk of SearchKind and SearchAll; returns when the budget is spent.
    void Walk(const CShotTable& table, DWORD dwKinds, DWORD dwBudgetMs, BOOL bKeepAll);
};

/// The pyramid planner: before each choice the values are re-scored by a per-ball order, so that
/// balls of a lower order are preferred.
class CShotPlanner16 : public CShotPlanner
{
public:
    /// Orders for nCount balls (16, or the engine's ball count), ball i of order i.
    explicit CShotPlanner16(int nCount = 16);

    int GetOrder(int i) const override;
    /// Stores the order of ball i (ignored out of range) and keeps the highest order up to date.
    void SetOrder(int i, int nOrder) override;
    double GetOrderWeight() const override { return m_dOrderWeight; }
    void SetOrderWeight(double w) override { m_dOrderWeight = w; }
    /// Re-scores from the search's values, then the base choice.
    void Choose() override;

private:
    double m_dOrderWeight = 0.4;
    std::vector<int> m_pOrder;
    int m_nOrderCount;
    int m_nMaxOrder;
};

/// What the game flow configures a computer turn's planner from.
struct SShotPlannerSetup
{
    int nGameType = 8;       ///< the referee's game type (REF_GAME_...)
    int nLevel = 9;          ///< skill level 1 to 9; 0 none
    BOOL bBreakMade = TRUE;  ///< the break has been played
    int nTarget = -1;        ///< the shot's target: a ball, or -1 open, -2 stripes, -3 solids
    BOOL bFinalBall = FALSE; ///< the referee's final-ball flag
    /// A rule plug-in's game: its own money ball and the key mode it is played in (KEY_MODE_BONUS or
    /// KEY_MODE_EXCLUDED; -1 none) and whether any ball may be the cue ball, in place of the game
    /// type's.
    bool bPluginRules = false;
    int nMoneyBall = -1;
    int nMoneyMode = 0;
    BOOL bAnyCueBall = FALSE;
};

/// The planner for a computer turn, configured from the level and the game's rules.
std::unique_ptr<CShotPlanner> CreateShotPlanner(const SShotPlannerSetup& setup);
