// The referee's comment triggers: which shots fire which kind, and walking the list.
#include "RefereeShotTable.h"

namespace
{
// The reference length L is 2 m: a long run is at least 2L/3 (1.33 m), a ball's short run for
// kind 3 at least 6L/88 (0.14 m).
const SRefereeEventContext s_context{0.5, 2.5};

struct SEventShot
{
    const char* szName;
    int nKind;
    int nFirstHit;         ///< -1: none
    int nDropped;          ///< -1: none
    int nCueCushionsAtHit; ///< the cue ball's cushion count at its first contact
    int nCushionsAtPocket; ///< the dropped ball's cushion count as it dropped
    float fCueRun;         ///< how far the cue ball ran along z (metres)
    float fBallRun;        ///< how far the dropped ball ran along z (metres)
    BOOL bJudged;
    BOOL bFires;
};

const SEventShot s_eventShots[] = {
    {"0: the cue ball dropped", 0, 3, 0, 0, 0, 0.0f, 0.0f, FALSE, TRUE},
    {"0: another ball dropped", 0, 3, 3, 0, 0, 0.0f, 0.0f, FALSE, FALSE},
    {"1: never", 1, 3, 3, 0, 0, 2.0f, 2.0f, TRUE, FALSE},
    {"2: nothing dropped", 2, 3, -1, 0, 1, 0.0f, 2.0f, FALSE, FALSE},
    {"2: a combination", 2, 3, 4, 0, 0, 0.0f, 0.0f, FALSE, TRUE},
    {"2: a bank", 2, 3, 3, 0, 1, 0.0f, 0.0f, FALSE, TRUE},
    {"2: a long pot", 2, 3, 3, 0, 0, 0.0f, 1.4f, FALSE, TRUE},
    {"2: a short direct pot", 2, 3, 3, 0, 0, 0.0f, 1.2f, FALSE, FALSE},
    {"3: nothing dropped", 3, 3, -1, 1, 0, 2.0f, 2.0f, FALSE, FALSE},
    {"3: the cue ball off a cushion, then a pot", 3, 3, 3, 1, 0, 0.0f, 0.0f, FALSE, TRUE},
    {"3: the cue ball off a cushion, then a combination", 3, 3, 4, 1, 0, 2.0f, 2.0f, FALSE, FALSE},
    {"3: a long cue-ball run and a pot", 3, 3, 3, 0, 0, 1.4f, 0.2f, FALSE, TRUE},
    {"3: a long cue-ball run, the ball too close to the pocket", 3, 3, 3, 0, 0, 1.4f, 0.1f, FALSE, FALSE},
    {"3: a short cue-ball run", 3, 3, 3, 0, 0, 1.2f, 0.2f, FALSE, FALSE},
    {"4: a judged shot that hit nothing", 4, -1, -1, 0, 0, 0.0f, 0.0f, TRUE, TRUE},
    {"4: a shot that hit nothing, not yet judged", 4, -1, -1, 0, 0, 0.0f, 0.0f, FALSE, FALSE},
    {"4: a judged shot that hit a ball", 4, 3, -1, 0, 0, 0.0f, 0.0f, TRUE, FALSE},
    {"an unknown kind", 7, -1, 0, 0, 0, 0.0f, 0.0f, TRUE, FALSE},
    {"no kind", -1, -1, 0, 0, 0, 0.0f, 0.0f, TRUE, FALSE},
};

void PlayEventShot(CReferee& referee, const SEventShot& s)
{
    referee.BeginShot(-1, 255);
    CRefereeBallTable& table = *referee.GetBallTable();
    if (s.nFirstHit >= 0)
        table.NoteFirstHit(s.nFirstHit, s.nCueCushionsAtHit);
    if (s.nDropped >= 0)
    {
        table.NotePocketed(s.nDropped, s.nCushionsAtPocket);
        table.m_Pos[static_cast<std::size_t>(s.nDropped)].z = s.fBallRun;
    }
    table.m_Pos[0].z += s.fCueRun;
    referee.SetJudged(s.bJudged);
}

using CRefereeEventsTest = CRefereeTest;

TEST_F(CRefereeEventsTest, EachKindFiresOnItsShots)
{
    for (const SEventShot& s : s_eventShots)
    {
        SCOPED_TRACE(s.szName);
        CReferee referee;
        PlayEventShot(referee, s);
        CRefereeEvent event;
        event.nKind = s.nKind;
        EXPECT_EQ(s.bFires, referee.HandleEvent(event, &s_context));
        event.bFired = TRUE;
        EXPECT_FALSE(referee.HandleEvent(event, &s_context)) << "a fired trigger fires again";
        event.bFired = FALSE;
        // Only the runs of kinds 2 and 3 need the context's reference length.
        const bool bNeedsContext = s.nKind == 2 || s.nKind == 3;
        EXPECT_EQ(s.bFires && !bNeedsContext, referee.HandleEvent(event, nullptr)) << "no context";
        referee.ReleaseEvents();
    }
}

TEST_F(CRefereeEventsTest, NextEventWalksTheListOnce)
{
    CReferee referee;
    const CRefereeEvent blank;
    EXPECT_EQ(-1, blank.nKind);
    EXPECT_EQ(-1, blank.nValue);
    EXPECT_FALSE(blank.bFired);
    EXPECT_EQ(CString("Unknown"), blank.strName);
    EXPECT_TRUE(referee.EventsDone());

    EXPECT_EQ(0, referee.AddEvent({.nKind = 1, .nValue = 10}));
    EXPECT_EQ(1, referee.AddEvent({.nKind = 0, .nValue = 20}));
    EXPECT_EQ(2, referee.AddEvent({.nKind = 4, .nValue = 30}));
    PlayEventShot(referee, s_eventShots[0]); // the cue ball dropped
    referee.GetBallTable()->m_nFirstHit = REFEREE_NO_BALL;
    referee.SetJudged(TRUE);

    BOOL bCueEvent = FALSE;
    EXPECT_EQ(20, referee.NextEvent(&s_context, &bCueEvent));
    EXPECT_TRUE(bCueEvent);
    EXPECT_EQ(2, referee.GetEventIndex());
    EXPECT_TRUE(referee.EventsDone()) << "the cue ball's drop ends the comments";

    referee.ReleaseEvents();
    EXPECT_FALSE(referee.EventsDone());
    EXPECT_EQ(30, referee.NextEvent(&s_context, &bCueEvent));
    EXPECT_FALSE(bCueEvent);
    EXPECT_EQ(-1, referee.NextEvent(&s_context, &bCueEvent));
    EXPECT_EQ(3, referee.GetEventIndex());
    EXPECT_TRUE(referee.EventsDone());

    // Rewound, only the released triggers can fire again.
    referee.RewindEvents();
    EXPECT_EQ(20, referee.NextEvent(&s_context, nullptr));
    EXPECT_EQ(-1, referee.NextEvent(&s_context, nullptr));
    referee.ReleaseEvents();
}

TEST_F(CRefereeEventsTest, WithoutAContextTheCueBallDropStillFiresAndTheIndexMovesOn)
{
    CReferee referee;
    referee.AddEvent({.nKind = 2, .nValue = 10}); // fires with a context: the drop is a combination
    referee.AddEvent({.nKind = 0, .nValue = 20});
    referee.AddEvent({.nKind = 3, .nValue = 30});
    referee.AddEvent({.nKind = 4, .nValue = 40});
    PlayEventShot(referee, s_eventShots[0]); // the cue ball dropped after hitting ball 3
    referee.SetJudged(TRUE);

    BOOL bCueEvent = FALSE;
    EXPECT_EQ(20, referee.NextEvent(nullptr, &bCueEvent));
    EXPECT_TRUE(bCueEvent);
    EXPECT_EQ(2, referee.GetEventIndex()) << "past the skipped kind 2 and the fired kind 0";
    EXPECT_EQ(-1, referee.NextEvent(nullptr, &bCueEvent));
    EXPECT_EQ(4, referee.GetEventIndex()) << "past every event tested";

    // With a context the same list fires the combination first.
    referee.ReleaseEvents();
    referee.RewindEvents();
    EXPECT_EQ(10, referee.NextEvent(&s_context, &bCueEvent));
    EXPECT_FALSE(bCueEvent);
    referee.ReleaseEvents();
}
} // namespace
