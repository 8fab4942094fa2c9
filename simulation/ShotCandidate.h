// Shot candidates of the computer player: one pocket, cue ball, object ball and kind of shot with
// the geometry the shot needs and a value from 0 to 1 that says how easy it is (0 or less:
// impossible). The shot planner creates thousands per turn and keeps those with a positive value.
//
// Kinds: 1 direct (CShotCandidate), 2 the object ball banks off a long cushion (CShotCandidateB),
// 4 the cue ball kicks off a long cushion (CShotCandidateC), 8 the cue ball drives the object
// ball into a second ball that goes into the pocket (CShotCandidateD).
#pragma once

#include "foundation/Range.h"
#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"
#include "simulation/ShotInfo.h"

#include <initializer_list>
#include <memory>
#include <vector>

class CShotTable;

/// Difficulty of an impossible shot; the value is 1 - difficulty / IMPOSSIBLE_DIFFICULTY.
inline constexpr double IMPOSSIBLE_DIFFICULTY = 10000.0;

class CShotCandidate
{
public:
    CShotCandidate() = default;
    virtual ~CShotCandidate() = default;
    CShotCandidate(const CShotCandidate&) = delete;
    CShotCandidate& operator=(const CShotCandidate&) = delete;

    /// Direct shot (kind 1) or long-cushion bank (kind 2) of `cue` on `object` into `pocket`.
    virtual void Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall);
    virtual double GetValue() const { return m_dValue; }
    virtual void SetValue(double v) { m_dValue = v; }
    virtual void ScaleValue(double f) { m_dValue *= f; }
    /// Pocket, balls, aim and kind into the shot record (the deviation is the planner's).
    virtual void FillShot(CShotInfo& record) const;
    /// The stroke direction that sends the cue ball on its first leg: the engines' strike takes a
    /// direction d and moves the ball along the azimuth -d. Radians.
    virtual double GetAim() const;
    virtual void ReleaseTests() { m_Tests.clear(); }
    /// Difficulty from the distances, the cut, the aim offset, the pocket's angle and the kind.
    virtual double Score();
    /// The value becomes the mean of the kept tests' values: -1 when any test is negative, 0 when
    /// the mean is below 0.01.
    virtual void AverageTests();
    /// Kick (kind 4: a variant 0 to 5) or two-ball shot (kind 8: the second ball).
    virtual void Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall, int nExtra);

    virtual int GetKind() const { return SHOT_KIND_DIRECT; }
    int GetPocket() const { return m_nPocket; }
    int GetCueBall() const { return m_nCueBall; }
    int GetObjectBall() const { return m_nObjectBall; }
    virtual int GetSecondBall() const { return -1; }
    /// The ball the shot puts into the pocket: the second ball of a two-ball shot, else the object ball.
    int GetPocketedBall() const { return GetKind() == SHOT_KIND_TWO_BALL ? GetSecondBall() : m_nObjectBall; }
    double GetDifficulty() const { return m_dDifficulty; }
    double GetCueDist() const { return m_dCueDist; }
    double GetObjectDist() const { return m_dObjectDist; }
    double GetCutAngle() const { return m_dCutAngle; }
    double GetAimOffset() const { return m_dAimOffset; }
    std::size_t GetTestCount() const { return m_Tests.size(); }

    /// The value the search gave the candidate (after its kind's weight), kept apart from the value
    /// so that a re-scoring before each choice starts from it again.
    double GetSearchValue() const { return m_dSearchValue; }
    void KeepSearchValue() { m_dSearchValue = m_dValue; }

protected:
    /// ReleaseTests, value 0, impossible, the shot's numbers stored.
    void Begin(int nPocket, int nCueBall, int nObjectBall);
    /// Keeps a test whose value is above 0; FALSE (the test dropped) otherwise.
    BOOL Keep(std::unique_ptr<CRange> pTest);
    /// A straight path a ball takes: the shot's balls to leave out, and whether a ball must fit at the end.
    struct SPath
    {
        CVector3 vFrom, vTo;
        int nIgnore1, nIgnore2;
        BOOL bSkipPlaceTest;
    };
    /// Keeps the path tests in order, then (while the scratch check is on) the scratch test of the
    /// cue ball from vCue striking the ball at vObject towards vTarget; FALSE at the first that fails.
    BOOL KeepPathTests(const CShotTable& table, std::initializer_list<SPath> paths, const CVector3& vCue,
                       const CVector3& vObject, const CVector3& vTarget);
    /// Cut of at most 90 degrees at the ball at vBall struck from vFrom towards vTarget, and the
    /// striking ball farther from the target than the struck one.
    static BOOL IsCutPossible(const CVector3& vBall, const CVector3& vTarget, const CVector3& vFrom);
    /// Stores one leg's geometry for Score: the striking ball travels dCueDist and meets the struck
    /// ball at vBall coming from vFrom; the struck ball travels dObjectDist towards vTarget.
    void SetLeg(double dCueDist, double dObjectDist, const CVector3& vBall, const CVector3& vFrom,
                const CVector3& vTarget, int nAimPocket);
    /// Score, then value = 1 - difficulty / 10000.
    void Rate();

    double m_dDifficulty = IMPOSSIBLE_DIFFICULTY;
    int m_nPocket = -1;
    int m_nCueBall = -1;
    int m_nObjectBall = -1;
    std::vector<std::unique_ptr<CRange>> m_Tests; ///< the path tests that passed
    double m_dValue = 0.0;
    double m_dCueDist = 0.0;    ///< metres the striking ball travels
    double m_dObjectDist = 0.0; ///< metres the struck ball travels to its target
    double m_dAimOffset = 0.0;  ///< angle between the line of centres and the striking ball's aim line (rad)
    double m_dCutAngle = 0.0;   ///< cut angle at the struck ball (rad)
    int m_nAimPocket = -1;      ///< pocket whose entry angle counts in Score, -1 none
    CVector3 m_vApproach;       ///< direction the struck ball takes to its target
    double m_dKindFactor = 1.0;
    CVector3 m_vCueStart;  ///< the cue ball's position
    CVector3 m_vCueTarget; ///< where the cue ball's first leg heads (ghost or cushion point)
    double m_dSearchValue = 0.0;
};

/// Kind 2: the object ball banks off the long cushion across from the pocket.
class CShotCandidateB : public CShotCandidate
{
public:
    void Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall) override;
    using CShotCandidate::Evaluate;
    int GetKind() const override { return SHOT_KIND_BANK; }
};

/// Kind 4: the cue ball reaches the object ball off a long cushion. Variant 1 uses the cushion at
/// x = R (for the pockets 3 to 5), variant 3 the one at x = W - R (pockets 0 to 2); the other
/// variants produce nothing.
class CShotCandidateC : public CShotCandidate
{
public:
    void Evaluate(const CShotTable&, int, int, int) override {}
    void Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall, int nVariant) override;
    int GetKind() const override { return SHOT_KIND_KICK; }
};

/// Kind 8: the cue ball strikes the object ball, which drives the second ball into the pocket.
class CShotCandidateD : public CShotCandidate
{
public:
    void Evaluate(const CShotTable&, int, int, int) override {}
    void Evaluate(const CShotTable& table, int nPocket, int nCueBall, int nObjectBall, int nSecondBall) override;
    int GetKind() const override { return SHOT_KIND_TWO_BALL; }
    int GetSecondBall() const override { return m_nSecondBall; }

private:
    int m_nSecondBall = -1;
};
