#include "simulation/ShotPlanner.h"

#include "foundation/RunningMean.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/PlannerSwitches.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotTable.h"

#include <algorithm>
#include <cmath>

namespace
{
// The kinds in the order a plan searches them.
constexpr int KINDS[] = {SHOT_KIND_DIRECT, SHOT_KIND_BANK, SHOT_KIND_KICK, SHOT_KIND_TWO_BALL};
// A kick is tried off each of six cushions; only two of these variants can produce a shot.
constexpr int KICK_VARIANTS = 6;
// A shot that pockets the key ball in KEY_MODE_BONUS counts this many times.
constexpr double KEY_BALL_BONUS = 3.0;
// Stroke direction of the break, as the strike takes it (the strike turns its direction the other
// way round, so minus a quarter turn sends the cue ball along +y): from the head straight up the
// table into the rack. Radians.
constexpr double BREAK_AIM = -1.5707963267948966;
// The choice picks among the best (10 p) / 3 + 1 candidates.
constexpr double CHOICE_SPREAD = 10.0;
constexpr int CHOICE_GROUP = 3;
// Pockets of the fallback shot: 3 on an odd draw, else 0.
constexpr int FALLBACK_POCKET_ODD = 3;
constexpr int FALLBACK_POCKET_EVEN = 0;

/// Index of kind 1, 2, 4 or 8 in the weight table; -1 for anything else.
int KindIndex(int nKind)
{
    for (int i = 0; i < 4; ++i)
    {
        if (KINDS[i] == nKind)
            return i;
    }
    return -1;
}

/// A value the sort can order: anything not finite counts as impossible.
double SortValue(const CShotCandidate& c)
{
    const double v = c.GetValue();
    return std::isfinite(v) ? v : 1.0 - IMPOSSIBLE_DIFFICULTY;
}

std::unique_ptr<CShotCandidate> MakeCandidate(int nKind)
{
    switch (nKind)
    {
    case SHOT_KIND_BANK:
        return std::make_unique<CShotCandidateB>();
    case SHOT_KIND_KICK:
        return std::make_unique<CShotCandidateC>();
    case SHOT_KIND_TWO_BALL:
        return std::make_unique<CShotCandidateD>();
    default:
        return std::make_unique<CShotCandidate>();
    }
}

/// Draws a frame while the display option is on and a window can draw one, at most every
/// PLAN_REFRESH_MS.
void KeepScreenAlive(DWORD& dwLastRefresh)
{
    const PlannerFrameDrawer& draw = GetPlannerFrameDrawer();
    if (!draw || GetPlannerDisplayOption() == 0)
        return;
    const DWORD dwNow = timeGetTime();
    if (dwNow - dwLastRefresh <= PLAN_REFRESH_MS)
        return;
    dwLastRefresh = dwNow;
    draw();
}
} // namespace

// -- Configuration --------------------------------------------------------------------------------

void CShotPlanner::SetWeight(DWORD dwKindBits, double dWeight)
{
    for (int i = 0; i < 4; ++i)
    {
        if (dwKindBits & static_cast<DWORD>(KINDS[i]))
            m_adWeights[static_cast<std::size_t>(i)] = dWeight;
    }
}

double CShotPlanner::GetWeight(int nKind) const
{
    const int i = KindIndex(nKind);
    return i < 0 ? -1.0 : m_adWeights[static_cast<std::size_t>(i)];
}

void CShotPlanner::SetBallRange(int nFrom, int nTo, BOOL bOnFirst)
{
    m_nRangeFrom = nFrom;
    m_nRangeTo = nTo == -1 ? nFrom + 1 : nTo;
    m_bRangeOnFirst = bOnFirst;
}

int CShotPlanner::GetKeyBall(int& nMode) const
{
    nMode = m_nKeyMode;
    return m_nKeyBall;
}

void CShotPlanner::SetKeyBall(int nBall, int nMode)
{
    m_nKeyBall = nBall;
    m_nKeyMode = nMode;
}

void CShotPlanner::SetNoise(double dProbability) { m_Noise.SetProbability(dProbability); }

BOOL CShotPlanner::IsInRange(int nBall) const
{
    return m_nRangeFrom == -1 || (nBall >= m_nRangeFrom && nBall < m_nRangeTo);
}

BOOL CShotPlanner::IsKeyAllowed(int nBall) const
{
    if (m_nKeyMode == KEY_MODE_ONLY)
        return nBall == m_nKeyBall;
    if (m_nKeyMode == KEY_MODE_EXCLUDED)
        return nBall != m_nKeyBall;
    return TRUE;
}

// -- Search ---------------------------------------------------------------------------------------

void CShotPlanner::ReleaseCandidates()
{
    m_pChosen = nullptr;
    m_bFallback = FALSE;
    m_Candidates.clear();
}

double CShotPlanner::WeightFor(const CShotCandidate& candidate) const
{
    double w = GetWeight(candidate.GetKind());
    if (m_nKeyMode == KEY_MODE_BONUS && candidate.GetPocketedBall() == m_nKeyBall)
        w *= KEY_BALL_BONUS;
    return w;
}

void CShotPlanner::Offer(std::unique_ptr<CShotCandidate> pCandidate, BOOL bKeepAll)
{
    pCandidate->ScaleValue(WeightFor(*pCandidate));
    if (!bKeepAll && !(pCandidate->GetValue() > 0.0))
        return;
    pCandidate->KeepSearchValue();
    m_Candidates.push_back(std::move(pCandidate));
}

void CShotPlanner::AddCandidates(const CShotTable& table, int nKind, int nPocket, int nCue, int nObject, BOOL bKeepAll)
{
    switch (nKind)
    {
    case SHOT_KIND_DIRECT:
    case SHOT_KIND_BANK:
    {
        std::unique_ptr<CShotCandidate> p = MakeCandidate(nKind);
        p->Evaluate(table, nPocket, nCue, nObject);
        Offer(std::move(p), bKeepAll);
        break;
    }
    case SHOT_KIND_KICK:
        for (int v = 0; v < KICK_VARIANTS; ++v)
        {
            std::unique_ptr<CShotCandidate> p = MakeCandidate(nKind);
            p->Evaluate(table, nPocket, nCue, nObject, v);
            Offer(std::move(p), bKeepAll);
        }
        break;
    case SHOT_KIND_TWO_BALL:
        for (int d = 0; d < SHOT_BALL_COUNT; ++d)
        {
            if (d == nCue || d == nObject || !table.IsOnTable(d) || !IsKeyAllowed(d))
                continue;
            if (m_bRangeOnFirst && m_nRangeFrom != -1 && !IsInRange(d))
                continue;
            std::unique_ptr<CShotCandidate> p = MakeCandidate(nKind);
            p->Evaluate(table, nPocket, nCue, nObject, d);
            Offer(std::move(p), bKeepAll);
        }
        break;
    default:
        break;
    }
}

void CShotPlanner::Walk(const CShotTable& table, DWORD dwKinds, DWORD dwBudgetMs, BOOL bKeepAll)
{
    const DWORD dwStart = timeGetTime();
    const int nLastCue = m_bAnyCueBall ? SHOT_BALL_COUNT - 1 : 0;
    for (int nPocket = 0; nPocket < SHOT_POCKET_COUNT; ++nPocket)
    {
        for (int c = 0; c <= nLastCue; ++c)
        {
            if (!table.IsOnTable(c))
                continue;
            for (int b = 0; b < SHOT_BALL_COUNT; ++b)
            {
                if (b == c || !table.IsOnTable(b) || !IsInRange(b) || !IsKeyAllowed(b))
                    continue;
                for (int nKind : KINDS)
                {
                    if (dwKinds & static_cast<DWORD>(nKind))
                        AddCandidates(table, nKind, nPocket, c, b, bKeepAll);
                }
                KeepScreenAlive(m_dwLastRefresh);
                if (timeGetTime() - dwStart >= dwBudgetMs)
                    return;
            }
        }
    }
}

void CShotPlanner::SearchKind(const CShotTable& table, int nKind, DWORD dwBudgetMs)
{
    if (KindIndex(nKind) < 0 || !(m_nOptions & static_cast<DWORD>(nKind)) || dwBudgetMs == 0)
        return;
    Walk(table, static_cast<DWORD>(nKind), dwBudgetMs, FALSE);
}

void CShotPlanner::SearchAll(const CShotTable& table) { Walk(table, m_nOptions, 0xFFFFFFFFu, TRUE); }

// -- Choice ---------------------------------------------------------------------------------------

void CShotPlanner::Choose() { ChooseSorted(); }

void CShotPlanner::ChooseSorted()
{
    m_pChosen = nullptr;
    if (m_Candidates.empty())
        return;
    std::stable_sort(m_Candidates.begin(), m_Candidates.end(),
                     [](const std::unique_ptr<CShotCandidate>& a, const std::unique_ptr<CShotCandidate>& b)
                     { return SortValue(*a) > SortValue(*b); });
    const int nLast = static_cast<int>(m_Candidates.size()) - 1;
    const int n = std::min(static_cast<int>(CHOICE_SPREAD * m_Noise.GetProbability()), nLast);
    const int k = std::max(n, 0) / CHOICE_GROUP;
    const int i = k > 0 ? CrtRand() % (k + 1) : 0;
    m_pChosen = m_Candidates[static_cast<std::size_t>(i)].get();
    if (m_pChosen->GetValue() != 0.0)
        g_ChosenShotValues.Add(m_pChosen->GetValue());
}

void CShotPlanner::ChooseFallback(const CShotTable& table)
{
    int a = 0;
    while (a < SHOT_BALL_COUNT && !table.IsOnTable(a))
        ++a;
    int b = a + 1;
    while (b < SHOT_BALL_COUNT && !table.IsOnTable(b))
        ++b;
    if (b >= SHOT_BALL_COUNT)
        return; // fewer than two balls: no shot
    const int nPocket = (CrtRand() & 1) ? FALLBACK_POCKET_ODD : FALLBACK_POCKET_EVEN;
    std::unique_ptr<CShotCandidate> p = MakeCandidate(SHOT_KIND_DIRECT);
    p->Evaluate(table, nPocket, a, b);
    p->KeepSearchValue();
    m_pChosen = p.get();
    m_bFallback = TRUE;
    m_Candidates.push_back(std::move(p));
}

// -- The plan and its results ---------------------------------------------------------------------

void CShotPlanner::Plan(const CShotTable& tableIn)
{
    CShotTable table = tableIn;
    table.SetBallRange(m_nRangeFrom, m_nRangeTo, m_bRangeOnFirst);
    table.SetScratchCheck(GetScratchCheck());

    const DWORD dwStart = timeGetTime();
    ReleaseCandidates();
    for (int nKind : KINDS)
    {
        const DWORD dwSpent = timeGetTime() - dwStart;
        if (dwSpent >= PLAN_BUDGET_MS)
            break; // a spent budget skips the remaining kinds
        SearchKind(table, nKind, PLAN_BUDGET_MS - dwSpent);
        Choose();
    }
    Choose();
    if (m_pChosen == nullptr)
        ChooseFallback(table);
    m_dChosenAim = m_pChosen != nullptr ? m_pChosen->GetAim() : 0.0;
}

void CShotPlanner::Plan(CBallEngine& engine) { Plan(CShotTable::FromEngine(engine)); }

BOOL CShotPlanner::GetShot(CShotInfo& record, BOOL bBreakMade)
{
    if (!bBreakMade)
    {
        record.Set(-1, 0, -1, -1, BREAK_AIM, 0, 0.0);
        return TRUE;
    }
    if (m_pChosen == nullptr)
    {
        record.Reset();
        return FALSE;
    }
    const double dDeviation = m_Noise.Sample();
    m_pChosen->FillShot(record);
    record.m_dDeviation = dDeviation;
    return TRUE;
}

void CShotPlanner::GetNoisyAim(double& dOut) const
{
    dOut = (m_pChosen != nullptr ? m_Noise.Sample() : 0.0) + m_dChosenAim;
}

// -- The pyramid planner --------------------------------------------------------------------------

CShotPlanner16::CShotPlanner16(int nCount) : m_nOrderCount(std::max(nCount, 0)), m_nMaxOrder(m_nOrderCount - 1)
{
    m_pOrder.resize(static_cast<std::size_t>(m_nOrderCount));
    for (int i = 0; i < m_nOrderCount; ++i)
        m_pOrder[static_cast<std::size_t>(i)] = i;
}

int CShotPlanner16::GetOrder(int i) const
{
    return i >= 0 && i < m_nOrderCount ? m_pOrder[static_cast<std::size_t>(i)] : -1;
}

void CShotPlanner16::SetOrder(int i, int nOrder)
{
    if (i < 0 || i >= m_nOrderCount)
        return;
    int& nSlot = m_pOrder[static_cast<std::size_t>(i)];
    const BOOL bHeldMax = nSlot == m_nMaxOrder;
    nSlot = nOrder;
    if (nOrder > m_nMaxOrder)
        m_nMaxOrder = nOrder;
    else if (bHeldMax)
        m_nMaxOrder = *std::max_element(m_pOrder.begin(), m_pOrder.end());
}

void CShotPlanner16::Choose()
{
    // Start from the search's values each time, so that repeated choices never compound.
    double dMin = 10001.0;
    double dMax = -1.0;
    for (const std::unique_ptr<CShotCandidate>& p : m_Candidates)
    {
        p->SetValue(p->GetSearchValue());
        if (p->GetSearchValue() > 0.0)
        {
            dMin = std::min(dMin, p->GetSearchValue());
            dMax = std::max(dMax, p->GetSearchValue());
        }
    }
    if (dMax > 0.0)
    {
        const double w = m_dOrderWeight;
        for (const std::unique_ptr<CShotCandidate>& p : m_Candidates)
        {
            const double dNorm = dMax > dMin ? (p->GetSearchValue() - dMin) / (dMax - dMin) : 0.0;
            const double q = m_nMaxOrder > 0 ? double(GetOrder(p->GetPocketedBall())) / m_nMaxOrder : 0.0;
            p->SetValue((1.0 - w) * dNorm + (1.0 - q) * w);
        }
    }
    ChooseSorted();
}

// -- Configuration for a computer turn ------------------------------------------------------------

namespace
{
/// The key ball of the game type (3-ball 3, 8-ball 8, 9-ball 9) and its mode; -1 none.
int KeyBallOf(int nGameType, int& nMode)
{
    switch (nGameType)
    {
    case GAME_3BALL:
        nMode = KEY_MODE_BONUS;
        return 3;
    case GAME_8BALL:
        nMode = KEY_MODE_EXCLUDED;
        return 8;
    case GAME_9BALL:
        nMode = KEY_MODE_BONUS;
        return 9;
    default:
        nMode = KEY_MODE_NONE;
        return -1;
    }
}

void SetRangeFromTarget(CShotPlanner& planner, int nTarget)
{
    if (nTarget == -3)
        planner.SetBallRange(1, 8, TRUE); // solids
    else if (nTarget == -2)
        planner.SetBallRange(9, 16, TRUE); // stripes
    else if (nTarget >= 0 && nTarget < SHOT_BALL_COUNT)
        planner.SetBallRange(nTarget, nTarget + 1, FALSE);
    else
        planner.SetBallRange(-1, -1, FALSE); // open table, or no target
}
} // namespace

std::unique_ptr<CShotPlanner> CreateShotPlanner(const SShotPlannerSetup& setup)
{
    std::unique_ptr<CShotPlanner> p =
        setup.nGameType == GAME_PYRAMID ? std::make_unique<CShotPlanner16>() : std::make_unique<CShotPlanner>();
    p->SetOrder(1, 11);
    int nLevel = setup.nLevel;
    if (setup.nGameType == GAME_AMERICAN || setup.nGameType == GAME_BONUS)
    {
        if (setup.bBreakMade)
            p->SetAnyCueBall(TRUE);
        if (nLevel >= 2 && nLevel <= 8)
            --nLevel;
    }
    // Levels 1-2 search direct and two-ball shots, 3-4 add kicks, 5-9 all four kinds.
    DWORD dwOptions = (nLevel == 0 || nLevel > 4) ? SHOT_KIND_DIRECT | SHOT_KIND_BANK : SHOT_KIND_DIRECT;
    if (nLevel == 0 || nLevel > 2)
        dwOptions |= SHOT_KIND_KICK;
    p->SetOptions(dwOptions | SHOT_KIND_TWO_BALL);
    p->SetNoise(nLevel == 0 ? 0.0 : std::clamp((9.0 - nLevel) / 8.0, 0.0, 1.0));
    p->SetWeight(SHOT_KIND_BANK | SHOT_KIND_KICK | SHOT_KIND_TWO_BALL, nLevel == 0 ? 1.0 : (nLevel + 1) / 10.0);
    SetRangeFromTarget(*p, setup.nTarget);
    int nKeyMode = KEY_MODE_NONE;
    int nKey = KeyBallOf(setup.nGameType, nKeyMode);
    if (setup.bPluginRules)
    {
        // The plug-in's money ball; when it is to be played the target alone is the range.
        p->SetAnyCueBall(setup.bAnyCueBall);
        nKey = setup.nMoneyBall;
        nKeyMode = setup.nMoneyMode;
        if (setup.bFinalBall)
        {
            p->SetKeyBall(-1, KEY_MODE_NONE);
            return p;
        }
    }
    if (nKey >= 0 && setup.bFinalBall)
    {
        p->SetKeyBall(-1, KEY_MODE_NONE);
        p->SetBallRange(nKey, nKey + 1, FALSE);
    }
    else if (nKey >= 0)
        p->SetKeyBall(nKey, nKeyMode);
    return p;
}
