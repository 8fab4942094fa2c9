// The referee's rule state shared by every game type: creation, the game type, the packed state
// of saved games, the ball table, the counts, the contact bits, the struck ball and the comment
// triggers.
#include "RefereeShotTable.h"

#include "platform/win32/DebugLog.h"
#include "simulation/RefereeTypes.h"

#include <array>
#include <functional>
#include <string>

namespace
{
struct SRefereeClass
{
    const char* szClass;
    std::function<std::unique_ptr<CReferee>()> make;
    int nGameType;
    int nBallCount;
};

template <class T> std::unique_ptr<CReferee> Make() { return std::make_unique<T>(); }

const SRefereeClass s_classes[] = {
    {"CRefereeDemo", Make<CRefereeDemo>, 0, 5},
    {"CReferee3Ball", Make<CReferee3Ball>, 3, 4},
    {"CReferee8Ball", Make<CReferee8Ball>, 8, 16},
    {"CReferee9Ball", Make<CReferee9Ball>, 9, 10},
    {"CReferee", Make<CReferee>, 15, 16},
    {"CRefereePyramid", Make<CRefereePyramid>, 16, 16},
    {"CRefereeAmerican", Make<CRefereeAmerican>, 17, 16},
    {"CReferee14_1", Make<CReferee14_1>, 18, 16},
    {"CRefereeBonus", Make<CRefereeBonus>, 101, 16},
};

using Packed = std::array<BYTE, REFEREE_PACKED_SIZE>;

Packed Pack(CReferee& referee, int nExtra = 0)
{
    int nSize = 0;
    const BYTE* p = referee.PackState(&nSize, nExtra);
    EXPECT_EQ(REFEREE_PACKED_SIZE, nSize);
    Packed bytes{};
    std::copy(p, p + REFEREE_PACKED_SIZE, bytes.begin());
    return bytes;
}

/// A referee of the class with a state in every packed field.
std::unique_ptr<CReferee> MakeWithState(const SRefereeClass& c)
{
    std::unique_ptr<CReferee> pReferee = c.make();
    pReferee->GetBallTable()->SetPocketedBeforeMask(0x0204);
    pReferee->BeginShot(-1, 7);
    pReferee->GetBallTable()->NotePocketed(5, 0);
    pReferee->SetCueBall(3);
    pReferee->SetShotScore(-2);
    pReferee->SetFlags(fPot | fFoul | fBreak | fJudged);
    return pReferee;
}

using CRefereeStateTest = CRefereeTest;

TEST_F(CRefereeStateTest, EachClassStartsWithItsTypeAndBalls)
{
    for (const SRefereeClass& c : s_classes)
    {
        SCOPED_TRACE(c.szClass);
        std::unique_ptr<CReferee> pReferee = c.make();
        EXPECT_EQ(c.nGameType, pReferee->GetGameType());
        EXPECT_EQ(c.nBallCount, pReferee->GetBallCount());
        EXPECT_EQ(255, pReferee->GetTarget());
        EXPECT_EQ(255, pReferee->GetSecondBall());
        EXPECT_EQ(0, pReferee->GetCueBall());
        EXPECT_EQ(0, pReferee->GetFlags());
        EXPECT_FALSE(pReferee->IsBreakMade());
        EXPECT_EQ(c.nBallCount, pReferee->CountOnTable());
    }
}

TEST_F(CRefereeStateTest, SetTypeKeepsTheClassTypeAndTracesABadOne)
{
    std::vector<std::string> lines;
    SetDebugLogSink([&lines](const std::string& s) { lines.push_back(s); });
    for (const SRefereeClass& c : s_classes)
    {
        SCOPED_TRACE(c.szClass);
        std::unique_ptr<CReferee> pReferee = c.make();
        lines.clear();
        EXPECT_EQ(c.nGameType, pReferee->SetType(c.nGameType));
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(c.nGameType, pReferee->SetType(42));
        EXPECT_EQ(c.nGameType, pReferee->GetGameType());
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(std::string(c.szClass) + "::SetType() Bad game type 42\n", lines[0]);
    }
    SetDebugLogSink(nullptr);
}

TEST_F(CRefereeStateTest, PackedStateLayout)
{
    // flags 0x0165, pocketed now {5}, before {2, 9}, score -2, target -1, second 7, type 9,
    // cue ball 3, extra -3.
    CReferee9Ball referee;
    referee.GetBallTable()->SetPocketedBeforeMask(0x0204);
    referee.BeginShot(-1, 7);
    referee.GetBallTable()->NotePocketed(5, 0);
    referee.SetCueBall(3);
    referee.SetShotScore(-2);
    referee.SetFlags(0x0165);
    const Packed golden = {0x65, 0x01, 0x20, 0x00, 0x04, 0x02, 0xFE, 0xFF, 0x07, 0x09, 0x03, 0xFD};
    EXPECT_EQ(golden, Pack(referee, -3));
    EXPECT_EQ(REFEREE_PACKED_SIZE, referee.GetPackedSize());
}

TEST_F(CRefereeStateTest, PackedStateRoundTripsForEveryClass)
{
    for (const SRefereeClass& c : s_classes)
    {
        SCOPED_TRACE(c.szClass);
        std::unique_ptr<CReferee> pSaved = MakeWithState(c);
        const Packed bytes = Pack(*pSaved, 0x45);

        std::unique_ptr<CReferee> pLoaded = c.make();
        int nExtra = 0;
        ASSERT_TRUE(pLoaded->UnpackState(bytes.data(), REFEREE_PACKED_SIZE, &nExtra));
        EXPECT_EQ(0x45, nExtra);
        EXPECT_EQ(bytes, Pack(*pLoaded, 0x45));
        EXPECT_EQ(pSaved->GetFlags(), pLoaded->GetFlags());
        EXPECT_EQ(-2, pLoaded->GetShotScore());
        EXPECT_EQ(-1, pLoaded->GetTarget()); // the byte 255 reads back as -1
        EXPECT_EQ(7, pLoaded->GetSecondBall());
        EXPECT_EQ(3, pLoaded->GetCueBall());
        EXPECT_EQ(c.nGameType, pLoaded->GetGameType());
        EXPECT_TRUE(pLoaded->IsBreakMade()); // from flag 0x040
        EXPECT_TRUE(pLoaded->IsPocketedNow(5));
        EXPECT_TRUE(pLoaded->WasPocketedBefore(2) && pLoaded->WasPocketedBefore(9));
    }
}

TEST_F(CRefereeStateTest, BigShotScoreSaturatesInThePackedState)
{
    // A pyramid clearance scores 140: wrapped to a signed byte it would read as a foul code.
    CRefereePyramid referee;
    referee.SetShotScore(140);
    EXPECT_EQ(127, static_cast<signed char>(Pack(referee)[6]));
    referee.SetShotScore(-300);
    EXPECT_EQ(-128, static_cast<signed char>(Pack(referee)[6]));
}

TEST_F(CRefereeStateTest, DamagedPackedStateIsRefusedAndChangesNothing)
{
    struct SCase
    {
        const char* szName;
        int nByte;  ///< byte to change, -1 none
        BYTE value; ///< its new value
        int nSize;  ///< the size passed
    };
    const SCase cases[] = {
        {"one byte short", -1, 0, REFEREE_PACKED_SIZE - 1},
        {"empty", -1, 0, 0},
        {"another game type", 9, 8, REFEREE_PACKED_SIZE},
        {"a struck ball that is no ball", 10, 16, REFEREE_PACKED_SIZE},
        {"a negative struck ball", 10, 0xFF, REFEREE_PACKED_SIZE},
    };
    const SRefereeClass& c = s_classes[3]; // 9-ball
    const Packed good = Pack(*MakeWithState(c));
    for (const SCase& k : cases)
    {
        SCOPED_TRACE(k.szName);
        Packed bytes = good;
        if (k.nByte >= 0)
            bytes[static_cast<std::size_t>(k.nByte)] = k.value;
        std::unique_ptr<CReferee> pReferee = c.make();
        pReferee->SetTarget(4);
        const Packed before = Pack(*pReferee);
        int nExtra = 99;
        EXPECT_FALSE(pReferee->UnpackState(bytes.data(), k.nSize, &nExtra));
        EXPECT_EQ(before, Pack(*pReferee));
        EXPECT_EQ(99, nExtra);
    }
    CReferee9Ball referee;
    EXPECT_FALSE(referee.UnpackState(nullptr, REFEREE_PACKED_SIZE, nullptr));
}

TEST_F(CRefereeStateTest, BallTableMovesDroppedBallsToBeforeOnReset)
{
    CRefereeBallTable table;
    table.NoteFirstHit(4, 2);
    table.NoteFirstHit(6, 0); // only the first contact counts
    table.NotePocketed(4, 1);
    table.NotePocketed(7, 3);
    table.SetBallCountHigh(4, 2);
    table.m_List[0] = 4;
    table.m_nListCount = 1;
    EXPECT_EQ(4, table.m_nFirstHit);
    EXPECT_EQ(2, table.m_nCueCushionsAtHit);
    EXPECT_EQ(4, table.m_nFirstPocketed);
    EXPECT_EQ(1, table.m_nCushionsAtPocket);

    CRefereeBallTable copy;
    copy.Assign(table);
    EXPECT_EQ(table.GetPocketedNowMask(), copy.GetPocketedNowMask());
    EXPECT_EQ(2, copy.GetBallCountHigh(4));
    EXPECT_EQ(4, copy.m_nFirstHit);
    EXPECT_EQ(-1, copy.m_List[0]); // the list is not copied
    EXPECT_EQ(0, copy.m_nListCount);

    table.Reset();
    EXPECT_EQ(0, table.GetPocketedNowMask());
    EXPECT_EQ(BALL(4) | BALL(7), table.GetPocketedBeforeMask());
    EXPECT_EQ(REFEREE_NO_BALL, table.m_nFirstHit);
    EXPECT_EQ(REFEREE_NO_BALL, table.m_nFirstPocketed);
    EXPECT_EQ(0, table.GetBallCountHigh(4));
    EXPECT_EQ(-1, table.m_List[0]);
    table.ResetAll();
    EXPECT_EQ(0, table.GetPocketedNowMask());
    EXPECT_EQ(0, table.GetPocketedBeforeMask());
}

TEST_F(CRefereeStateTest, BallTableSetBallKeepsPositionsAndIgnoresBadNumbers)
{
    CRefereeBallTable table;
    const CVector3 pos(0.5f, 1.0f, 0.0f);
    table.SetBall(3, &pos);
    EXPECT_EQ(1.0f, table.m_Pos[3].y);
    EXPECT_EQ(1.0f, table.m_SavedPos[3].y);
    table.SetBall(3);
    EXPECT_EQ(0.0f, table.m_Pos[3].y);
    // Ball numbers outside 0 to 15 change no ball and no mask.
    table.SetBall(16, &pos);
    table.NotePocketed(16, 0);
    table.SetPocketedBefore(-1, TRUE);
    table.SetBallCountHigh(16, 3);
    EXPECT_EQ(0, table.GetPocketedNowMask());
    EXPECT_EQ(0, table.GetPocketedBeforeMask());
    EXPECT_EQ(0, table.GetBallCountHigh(16));
}

TEST_F(CRefereeStateTest, ResetAndBeginShotKeepWhatTheyShould)
{
    CReferee referee;
    referee.GetBallTable()->NotePocketed(5, 0);
    referee.SetBreakMade(TRUE);
    referee.SetOffTable(3, TRUE);
    // A new shot: the last shot's balls stay pocketed, the break stays made.
    referee.BeginShot(6, 2);
    EXPECT_TRUE(referee.WasPocketedBefore(5));
    EXPECT_FALSE(referee.IsPocketedNow(5));
    EXPECT_FALSE(referee.IsOffTable(3));
    EXPECT_TRUE(referee.IsBreakMade());
    EXPECT_EQ(6, referee.GetTarget());
    EXPECT_EQ(2, referee.GetSecondBall());
    // A new rack: everything back on the table.
    referee.Reset();
    EXPECT_FALSE(referee.WasPocketedBefore(5));
    EXPECT_FALSE(referee.IsBreakMade());
    EXPECT_EQ(-1, referee.GetTarget());
    EXPECT_EQ(255, referee.GetSecondBall());
}

TEST_F(CRefereeStateTest, CountsOnTableIncludeTheCueBallAndNewlyDroppedExcludeEarlierOnes)
{
    CReferee9Ball referee;
    referee.GetBallTable()->SetPocketedBeforeMask(BALL(1) | BALL(2));
    referee.BeginShot(3, 255);
    referee.GetBallTable()->NotePocketed(3, 0);
    referee.GetBallTable()->SetPocketedNow(2, TRUE); // already off: not counted again
    EXPECT_EQ(1, referee.CountPocketedNow());
    EXPECT_EQ(7, referee.CountOnTable()); // balls 0 and 4 to 9
    EXPECT_TRUE(referee.IsOnTable(0));
    EXPECT_FALSE(referee.IsOnTable(2));
}

TEST_F(CRefereeStateTest, AssignCopiesTheRuleState)
{
    const std::unique_ptr<CReferee> pFrom = MakeWithState(s_classes[5]);
    pFrom->SetOffTable(4, TRUE);
    pFrom->SetJudged(TRUE);
    CRefereePyramid to;
    EXPECT_EQ(&to, to.Assign(*pFrom));
    EXPECT_EQ(Pack(*pFrom), Pack(to));
    EXPECT_EQ(pFrom->GetOffTableMask(), to.GetOffTableMask());
    EXPECT_TRUE(to.IsJudged());
    EXPECT_EQ(pFrom->GetFoul(), to.GetFoul());
}

TEST_F(CRefereeStateTest, ContactBits)
{
    struct SCase
    {
        const char* szName;
        int nFirstHit;
        int nCueBall;
        WORD wOffTable;
        int nBits;
    };
    const SCase cases[] = {
        {"a ball hit, all on the table", 3, 0, 0, 0},
        {"no ball hit", -1, 0, 0, 1},
        {"the struck ball off the table", 3, 5, BALL(5), 2},
        {"the ball hit off the table", 3, 0, BALL(3), 4},
        {"nothing hit and the cue ball off", -1, 0, BALL(0), 3},
        {"a struck ball that is no ball", 3, -1, 0xFFFF, 4},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CRefereeAmerican referee;
        referee.BeginShot(-1, 255);
        referee.SetCueBall(c.nCueBall);
        if (c.nFirstHit >= 0)
            referee.GetBallTable()->NoteFirstHit(c.nFirstHit, 0);
        for (int i = 0; i < REFEREE_BALLS; ++i)
            referee.SetOffTable(i, (c.wOffTable & BALL(i)) != 0);
        EXPECT_EQ(c.nBits, referee.GetContactBits());
    }
}

TEST_F(CRefereeStateTest, StruckBallIsHandedOnToTheProgram)
{
    CRefereeAmerican referee;
    referee.SetCueBall(6);
    EXPECT_EQ(6, referee.GetCueBall());
    EXPECT_EQ(6, GetCueBallNumber());
}

TEST_F(CRefereeStateTest, FlagSettersAndGetters)
{
    CReferee referee;
    EXPECT_EQ(fWon | fFinal, referee.SetFlags(fWon | fFinal));
    EXPECT_TRUE(referee.HasWon());
    EXPECT_TRUE(referee.HasFinalBall());
    referee.SetFinalBallFlag(FALSE);
    referee.SetLostFlag(TRUE);
    EXPECT_EQ(fWon | fLost, referee.GetFlags());
    EXPECT_EQ(fLost, referee.ClearFlags(fWon));
    EXPECT_TRUE(referee.HasLost());
}
} // namespace
