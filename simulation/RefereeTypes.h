// The referees of the built-in game types. Each replaces only some of CReferee's operations;
// all others are the base's.
//
//   class              base              type  balls
//   CRefereeDemo       CReferee            0     5
//   CReferee9Ball      CReferee            9    10
//   CReferee3Ball      CReferee9Ball       3     4
//   CReferee8Ball      CReferee            8    16
//   CRefereePyramid    CReferee           16    16
//   CReferee14_1       CRefereePyramid    18    16
//   CRefereeAmerican   CReferee           17    16
//   CRefereeBonus      CRefereeAmerican  101    16
//
// When the break counts as made (m_bBreakMade turns 1 in JudgeShot):
//   CReferee, CRefereeDemo, CRefereePyramid    when the cue ball stayed on the table
//   CReferee9Ball, CReferee3Ball,
//   CRefereeAmerican, CRefereeBonus            after every judged shot
//   CReferee8Ball, CReferee14_1                never: the game flow calls SetBreakMade
#pragma once

#include "simulation/Referee.h"

/// The demonstration game: the base rules with five balls.
class CRefereeDemo : public CReferee
{
public:
    CRefereeDemo();
    int SetType(int nGameType) override;
};

/// 9-ball: the lowest ball on the table (the target) must be hit first; the 9 wins.
class CReferee9Ball : public CReferee
{
public:
    CReferee9Ball();
    int JudgeShot() override;
    int SetType(int nGameType) override;
    BOOL IsOnFinalBall() const override;
    BOOL IsGameWon() const override;
    BOOL IsGameLost() const override { return FALSE; }

protected:
    /// Step 1 of the judgement: the cue ball dropped, no ball was hit or the wrong ball first.
    BOOL IsContactFoul() const;
    /// Ends the judgement: the break is made whatever happened.
    int FinishJudgement(BOOL bFoul);
};

/// 3-ball: 9-ball with four balls, no break rule, and the 3 wins.
class CReferee3Ball : public CReferee9Ball
{
public:
    CReferee3Ball();
    int JudgeShot() override;
    int SetType(int nGameType) override;
    BOOL IsGameWon() const override;
};

/// 8-ball: the target is the shooter's group (-1 open table, -2 stripes, -3 solids).
class CReferee8Ball : public CReferee
{
public:
    static constexpr int OPEN_TABLE = -1;
    static constexpr int STRIPES = -2;
    static constexpr int SOLIDS = -3;

    CReferee8Ball();
    int JudgeShot() override;
    void UpdateFlags() override;
    int SetType(int nGameType) override;
    int GetDecidedGroup() const override;
    BOOL IsOnFinalBall() const override;
    BOOL IsGameLost() const override;
    int CountOnTable() const override;

private:
    /// The foul of a shot that hit and kept the cue ball on the table, by the phase of the game.
    BOOL IsPhaseFoul(BOOL bOnEight) const;
};

/// Pyramid: balls score their numbers (ball 1 counts 11); a ball off the table is remembered
/// for the whole stroke.
class CRefereePyramid : public CReferee
{
public:
    CRefereePyramid();
    void BeginShot(int nTarget, int nSecond) override;
    int JudgeShot() override;
    void UpdateFlags() override;
    int SetType(int nGameType) override;
    void Reset() override;
    BOOL IsOffTable(int i) const override { return (m_wStrokeOffTable & RefereeBallBit(i)) != 0; }
    void SetOffTable(int i, BOOL b) override;

protected:
    /// Whether a shot counts: always without the call-the-shot option, else when the call was made.
    static BOOL CallAllowsScore();

    DWORD m_wStrokeOffTable = 0; ///< balls that left the table since the stroke began
};

/// 14.1 continuous: one point a ball; after the break only called shots count.
class CReferee14_1 : public CRefereePyramid
{
public:
    CReferee14_1();
    int JudgeShot() override;
    void UpdateFlags() override;
    int SetType(int nGameType) override;

    BOOL IsCountShot() const { return m_bCountShot; }

private:
    int JudgeBreak();
    int JudgeAfterBreak();

    BOOL m_bCountShot = FALSE; ///< 1 when the judged shot's balls count
};

/// American: any ball may be the struck ball; dropping it is no foul.
class CRefereeAmerican : public CReferee
{
public:
    CRefereeAmerican();
    int JudgeShot() override;
    void UpdateFlags() override;
    int SetType(int nGameType) override;
};

/// Bonus: the American rules under their own game type.
class CRefereeBonus : public CRefereeAmerican
{
public:
    CRefereeBonus();
    int SetType(int nGameType) override;
};
