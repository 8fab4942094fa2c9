#include "simulation/ShotCandidate.h"

#include "simulation/Ball.h"
#include "simulation/PathTest.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotTable.h"

#include <algorithm>
#include <cmath>

namespace
{
// Score works in units of 1/270 m (a ball radius is about 7.7 of them).
constexpr double SCORE_UNITS_PER_M = 270.0;
// Aim offset plus cut at or above this is too thin to play. Radians.
constexpr double MAX_THIN_ANGLE = 1.52;
// sin(offset) * cueDist must stay below sqrt(this) score units (about two ball radii sideways).
constexpr double OFFSET_REACH_SQ = 256.0;
// Pocket entry: a side pocket takes a ball within 15 - 8 / cos(e) (e from straight in); a corner
// pocket within 15 / sqrt 2 - 8 / cos|pi/4 - e|; both scale the difficulty by up to 4.
constexpr double POCKET_MOUTH = 15.0;
constexpr double POCKET_BALL = 8.0;
constexpr double SIDE_BEST = 7.0;
constexpr double SIDE_IMPOSSIBLE_BELOW = -0.5;
constexpr double POCKET_PENALTY = 3.0;
constexpr double QUARTER_PI_LITERAL = 0.785398163375;
// Kind factors: how much harder a shot of each kind is than a direct one.
constexpr double BANK_FACTOR = 3.0;
constexpr double KICK_FACTOR = 2.5;
// The side pockets' mouths on the long cushions, which no bank or kick may use. Metres along y.
constexpr double SIDE_MOUTH_LOW_M = TABLE_LENGTH_M / 2.0 - SIDE_HALF_OPENING_M;
constexpr double SIDE_MOUTH_HIGH_M = TABLE_LENGTH_M / 2.0 + SIDE_HALF_OPENING_M;

BOOL IsSidePocket(int nPocket) { return nPocket == 1 || nPocket == 4; }

BOOL IsInSideMouth(const CVector3& v) { return v.y >= SIDE_MOUTH_LOW_M && v.y <= SIDE_MOUTH_HIGH_M; }

/// Where the line from vFrom towards vTo crosses x = dX; FALSE when it never gets there.
BOOL CrossLineX(const CVector3& vFrom, const CVector3& vTo, double dX, CVector3& vOut)
{
    const double dx = double(vTo.x) - vFrom.x;
    const double s = (dX - vFrom.x) / dx;
    if (!std::isfinite(s) || s <= 0.0 || s >= 1.0)
        return FALSE;
    vOut = CVector3(static_cast<float>(dX), static_cast<float>(vFrom.y + s * (double(vTo.y) - vFrom.y)), 0.0f);
    return TRUE;
}

/// v mirrored in the line x = dX.
CVector3 MirrorX(const CVector3& v, double dX) { return CVector3(static_cast<float>(2.0 * dX - v.x), v.y, v.z); }

/// The pocket factor m (>= 1), or 0 when the ball cannot enter the pocket at this angle.
double PocketFactor(int nPocket, const CVector3& vApproach)
{
    // Angle of the approach from the x axis (across the table), 0 to pi/2.
    const double e = std::atan2(std::fabs(vApproach.y), std::fabs(vApproach.x));
    if (IsSidePocket(nPocket))
    {
        double v = std::min(SIDE_BEST, POCKET_MOUTH - POCKET_BALL / std::cos(e));
        if (v < SIDE_IMPOSSIBLE_BELOW)
            return 0.0;
        v = std::max(v, 0.0);
        return 1.0 + (SIDE_BEST - v) * POCKET_PENALTY / SIDE_BEST;
    }
    const double b = POCKET_MOUTH / std::sqrt(2.0) - POCKET_BALL;
    double v = POCKET_MOUTH / std::sqrt(2.0) - POCKET_BALL / std::cos(std::fabs(QUARTER_PI_LITERAL - e));
    v = std::clamp(v, 0.0, b);
    return 1.0 + (b - v) * POCKET_PENALTY / b;
}
} // namespace

// -- Base: the direct shot ------------------------------------------------------------------------

void CShotCandidate::Begin(int nPocket, int nCueBall, int nObjectBall)
{
    ReleaseTests();
    m_dValue = 0.0;
    m_dDifficulty = IMPOSSIBLE_DIFFICULTY;
    m_nPocket = nPocket;
    m_nCueBall = nCueBall;
    m_nObjectBall = nObjectBall;
}

BOOL CShotCandidate::Keep(std::unique_ptr<CRange> pTest)
{
    if (!(pTest->GetValue() > 0.0))
        return FALSE;
    m_Tests.push_back(std::move(pTest));
    return TRUE;
}

BOOL CShotCandidate::KeepPathTests(const CShotTable& table, std::initializer_list<SPath> paths, const CVector3& vCue,
                                   const CVector3& vObject, const CVector3& vTarget)
{
    for (const SPath& p : paths)
    {
        if (!Keep(
                std::make_unique<CPathBlockTest>(1.0, table, p.vFrom, p.vTo, p.nIgnore1, p.nIgnore2, p.bSkipPlaceTest)))
            return FALSE;
    }
    return !table.GetScratchCheck() || Keep(std::make_unique<CPathBlockTest2>(1.0, table, vCue, vObject, vTarget,
                                                                              m_nPocket, m_nCueBall, m_nObjectBall));
}

BOOL CShotCandidate::IsCutPossible(const CVector3& vBall, const CVector3& vTarget, const CVector3& vFrom)
{
    if (AngleBetween(vBall - vTarget, vBall - vFrom) < HALF_PI_LITERAL)
        return FALSE;
    return vTarget.Distance(vFrom) > vTarget.Distance(vBall);
}

void CShotCandidate::SetLeg(double dCueDist, double dObjectDist, const CVector3& vBall, const CVector3& vFrom,
                            const CVector3& vTarget, int nAimPocket)
{
    m_dCueDist = dCueDist;
    m_dObjectDist = dObjectDist;
    m_vApproach = vTarget - vBall;
    m_dCutAngle = AngleBetween(vTarget - vBall, vBall - vFrom);
    // The striking ball aims beside the struck ball's centre: its line to the ghost point makes
    // this angle with the line of centres seen from where it comes.
    const double L = vBall.Distance(vFrom);
    const double dTwoR = 2.0 * BALL_RADIUS_M;
    const double dDen = L - dTwoR * std::cos(m_dCutAngle);
    m_dAimOffset = dDen > 0.0 ? std::atan(dTwoR * std::sin(m_dCutAngle) / dDen) : HALF_PI_LITERAL;
    m_nAimPocket = nAimPocket;
}

void CShotCandidate::Rate()
{
    m_dDifficulty = Score();
    m_dValue = 1.0 - m_dDifficulty / IMPOSSIBLE_DIFFICULTY;
}

void CShotCandidate::Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall)
{
    Begin(nPocket, nCueBall, nObjectBall);
    if (!table.IsOnTable(nCueBall) || !table.IsOnTable(nObjectBall) || nPocket < 0 || nPocket >= SHOT_POCKET_COUNT)
        return;
    const CVector3 O = table.GetPos(nObjectBall);
    const CVector3 C = table.GetPos(nCueBall);
    const CVector3 P = table.GetAimPoint(nPocket, O);
    const CVector3 G = CalcGhostBallPos(O, P);
    m_vCueStart = C;
    m_vCueTarget = G;
    if (!IsCutPossible(O, P, C))
        return;
    if (!KeepPathTests(table, {{C, G, nCueBall, nObjectBall, FALSE}, {O, P, nObjectBall, -1, TRUE}}, C, O, P))
        return;
    SetLeg(O.Distance(C), P.Distance(O), O, C, P, nPocket);
    m_dKindFactor = 1.0;
    Rate();
}

void CShotCandidate::Evaluate(const CShotTable&, int, int, int, int) {}

double CShotCandidate::Score()
{
    const double dCue = m_dCueDist * SCORE_UNITS_PER_M;
    const double dObject = m_dObjectDist * SCORE_UNITS_PER_M;
    if (!(m_dAimOffset + m_dCutAngle < MAX_THIN_ANGLE))
        return IMPOSSIBLE_DIFFICULTY;
    const double s = std::sin(m_dAimOffset);
    const double t = OFFSET_REACH_SQ - s * s * dCue * dCue;
    if (!(t >= 0.0))
        return IMPOSSIBLE_DIFFICULTY;
    const double c = std::cos(m_dCutAngle);
    const double dBase = std::sqrt((std::cos(m_dAimOffset) * dCue / std::sqrt(t) - 1.0) * dObject / (c * c));
    const double m = m_nAimPocket == -1 ? 1.0 : PocketFactor(m_nAimPocket, m_vApproach);
    if (m == 0.0)
        return IMPOSSIBLE_DIFFICULTY;
    const double d = dBase * m_dKindFactor * m;
    // Balls closer than the formula allows (a negative root) or degenerate angles give NaN or
    // infinity; like a negative result they mean the shot cannot be judged, hence impossible.
    if (!std::isfinite(d) || d < 0.0)
        return IMPOSSIBLE_DIFFICULTY;
    return d;
}

void CShotCandidate::AverageTests()
{
    if (m_Tests.empty())
        return;
    double dSum = 0.0;
    for (const std::unique_ptr<CRange>& p : m_Tests)
    {
        const double v = p->GetValue();
        if (v < 0.0)
        {
            m_dValue = -1.0;
            return;
        }
        dSum += v;
    }
    m_dValue = dSum / static_cast<double>(m_Tests.size());
    if (m_dValue > -1.0 && m_dValue < 0.01)
        m_dValue = 0.0;
}

void CShotCandidate::FillShot(CShotInfo& record) const
{
    record.Set(m_nPocket, m_nCueBall, m_nObjectBall, GetSecondBall(), GetAim(), GetKind(), record.m_dDeviation);
}

double CShotCandidate::GetAim() const
{
    const CVector3 d = m_vCueTarget - m_vCueStart;
    return -std::atan2(double(d.y), double(d.x));
}

// -- Kind 2: bank off a long cushion ------------------------------------------------------------

void CShotCandidateB::Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall)
{
    Begin(nPocket, nCueBall, nObjectBall);
    if (!table.IsOnTable(nCueBall) || !table.IsOnTable(nObjectBall) || nPocket < 0 || nPocket >= SHOT_POCKET_COUNT)
        return;
    // The cushion across the table from the pocket's side, as the ball's centre meets it.
    const double dCushionX = nPocket <= 2 ? TABLE_WIDTH_M - BALL_RADIUS_M : BALL_RADIUS_M;
    const CVector3 O = table.GetPos(nObjectBall);
    const CVector3 C = table.GetPos(nCueBall);
    const CVector3 P = table.GetAimPoint(nPocket, O);
    CVector3 K;
    if (!CrossLineX(O, MirrorX(P, dCushionX), dCushionX, K) || IsInSideMouth(K))
        return;
    const CVector3 G = CalcGhostBallPos(O, K);
    m_vCueStart = C;
    m_vCueTarget = G;
    if (!IsCutPossible(O, K, C))
        return;
    if (!KeepPathTests(
            table, {{C, G, nCueBall, nObjectBall, FALSE}, {O, K, nObjectBall, -1, TRUE}, {K, P, nObjectBall, -1, TRUE}},
            C, O, K))
        return;
    SetLeg(O.Distance(C), K.Distance(O) + P.Distance(K), O, C, K, nPocket);
    m_vApproach = P - K;
    m_dKindFactor = BANK_FACTOR;
    Rate();
}

// -- Kind 4: kick off a long cushion ------------------------------------------------------------

void CShotCandidateC::Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall, int nVariant)
{
    Begin(nPocket, nCueBall, nObjectBall);
    if (!table.IsOnTable(nCueBall) || !table.IsOnTable(nObjectBall))
        return;
    double dCushionX = 0.0;
    if (nVariant == 1 && nPocket >= 3 && nPocket <= 5)
        dCushionX = BALL_RADIUS_M;
    else if (nVariant == 3 && nPocket >= 0 && nPocket <= 2)
        dCushionX = TABLE_WIDTH_M - BALL_RADIUS_M;
    else
        return;
    const CVector3 O = table.GetPos(nObjectBall);
    const CVector3 C = table.GetPos(nCueBall);
    const CVector3 P = table.GetAimPoint(nPocket, O);
    const CVector3 G = CalcGhostBallPos(O, P);
    // The cue ball heads for the ghost point's mirror image and meets the cushion on the way.
    CVector3 K;
    if (!CrossLineX(C, MirrorX(G, dCushionX), dCushionX, K) || IsInSideMouth(K))
        return;
    m_vCueStart = C;
    m_vCueTarget = K;
    if (!IsCutPossible(O, P, K))
        return;
    if (!KeepPathTests(
            table,
            {{C, K, nCueBall, nObjectBall, TRUE}, {K, G, nCueBall, nObjectBall, FALSE}, {O, P, nObjectBall, -1, TRUE}},
            K, O, P))
        return;
    SetLeg(K.Distance(C) + O.Distance(K), P.Distance(O), O, K, P, nPocket);
    m_dKindFactor = KICK_FACTOR;
    Rate();
}

// -- Kind 8: two-ball shot ----------------------------------------------------------------------

void CShotCandidateD::Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall, int nSecondBall)
{
    Begin(nPocket, nCueBall, nObjectBall);
    m_nSecondBall = nSecondBall;
    if (!table.IsOnTable(nCueBall) || !table.IsOnTable(nObjectBall) || !table.IsOnTable(nSecondBall) ||
        nSecondBall == nObjectBall || nPocket < 0 || nPocket >= SHOT_POCKET_COUNT)
        return;
    const CVector3 C = table.GetPos(nCueBall);
    const CVector3 B = table.GetPos(nObjectBall);
    const CVector3 D = table.GetPos(nSecondBall);
    // Backwards from the pocket: where b must meet d, then where the cue ball must meet b.
    const CVector3 P = table.GetAimPoint(nPocket, D);
    const CVector3 Gd = CalcGhostBallPos(D, P);
    const CVector3 Gb = CalcGhostBallPos(B, Gd);
    m_vCueStart = C;
    m_vCueTarget = Gb;
    if (AngleBetween(D - P, D - B) < HALF_PI_LITERAL || AngleBetween(B - Gd, B - C) < HALF_PI_LITERAL)
        return;
    if (!KeepPathTests(table,
                       {{C, Gb, nCueBall, nObjectBall, FALSE},
                        {B, Gd, nObjectBall, nSecondBall, FALSE},
                        {D, P, nSecondBall, -1, TRUE}},
                       C, B, Gd))
        return;
    m_dKindFactor = 1.0;
    // First leg: the cue ball sends b to d's ghost point (no pocket there).
    double dFirst = IMPOSSIBLE_DIFFICULTY;
    if (Gd.Distance(C) > Gd.Distance(B))
    {
        SetLeg(B.Distance(C), Gd.Distance(B), B, C, Gd, -1);
        dFirst = Score();
    }
    // Second leg: b sends d into the pocket.
    double dSecond = IMPOSSIBLE_DIFFICULTY;
    if (P.Distance(B) > P.Distance(D))
    {
        SetLeg(D.Distance(B), P.Distance(D), D, B, P, nPocket);
        dSecond = Score();
    }
    m_dDifficulty = (dFirst + dSecond) * 2.0;
    m_dValue = 1.0 - m_dDifficulty / IMPOSSIBLE_DIFFICULTY;
}
