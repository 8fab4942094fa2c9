// The aiming aid on the real frame, driven by the input script on the headless display: every
// change of the aim, the english, the elevation and the power takes the predicted paths away, the
// aid simulates the shot again once the aim has rested 100 ms, and the paths the frame then draws
// are the aid's new tracks. The recommended shot aims the cue along the planner's shot, and the
// table, struck, plays the shot the aid foretold. A game resumed while aiming shows its paths at once.
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/dx/DirectDraw.h"
#include "render/D3DFramework.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"
#include "ui/SceneOrder.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
/// The longest wait for the aid's worker to end its period: a hang guard on a loaded machine.
constexpr DWORD AID_WAIT_MS = 20000;
/// How far apart the aid's foretelling and the table's play may lie. Metres.
constexpr float FORETOLD_M = 0.05f;
/// The predicted paths are drawn one pixel wide; an end mark reaches two pixels further.
constexpr double ON_PATH_PX = 3.0;
/// The paths drawn are at most this many points of each track.
constexpr std::size_t PATH_POINTS = 20;

/// One ball of the aiming aid after its simulation: the recorded track and where the ball ended.
struct SAidBall
{
    std::vector<CVector3> points;
    std::vector<std::int32_t> kinds;
    CVector3 vEnd;
    bool bPocketed = false;
    int nPocket = -1;
};
using AidBalls = std::map<int, SAidBall>;

/// The aid's balls once its worker has parked.
AidBalls ReadAid()
{
    EXPECT_TRUE(g_BallEngineAux.WaitForPark(AID_WAIT_MS)) << "the aid ends its simulation";
    const auto lock = g_BallEngineAux.AcquireLock();
    AidBalls balls;
    for (int i = 0; i < g_BallEngineAux.GetBallCount(); ++i)
    {
        const CBall& ball = *g_BallEngineAux.GetBallAt(i);
        balls[ball.GetIndex()] = SAidBall{ball.GetTrackPoints(), ball.GetTrackKinds(), *ball.GetPosition(),
                                          ball.IsPocketed() != FALSE, ball.GetPocket()};
    }
    return balls;
}

/// Whether two simulations recorded different tracks (a point moved by over a millimetre).
bool TracksDiffer(const AidBalls& a, const AidBalls& b)
{
    for (const auto& [n, ball] : a)
    {
        const auto it = b.find(n);
        if (it == b.end() || it->second.points.size() != ball.points.size())
            return true;
        for (std::size_t i = 0; i < ball.points.size(); ++i)
            if ((ball.points[i] - it->second.points[i]).Length() > 0.001)
                return true;
    }
    return false;
}

/// The first point where a track touches another ball; false when it touches none.
bool FirstBallContact(const std::vector<CVector3>& points, const std::vector<std::int32_t>& kinds, CVector3& v)
{
    for (std::size_t i = 0; i < std::min(points.size(), kinds.size()); ++i)
        if (kinds[i] == TRACK_POINT_BALL)
        {
            v = points[i];
            return true;
        }
    return false;
}

float TableDistance(const CVector3& a, const CVector3& b) { return std::hypot(a.x - b.x, a.y - b.y); }

using ScreenPath = std::vector<POINT>;

/// The aid's tracks on the screen as the frame's camera sees them, one path per ball, each up to
/// its first point behind the camera.
std::vector<ScreenPath> ScreenPaths(const AidBalls& balls)
{
    std::vector<ScreenPath> paths;
    for (const auto& [n, ball] : balls)
    {
        ScreenPath path;
        for (std::size_t i = 0; i < std::min(ball.points.size(), PATH_POINTS); ++i)
        {
            const CVector3 vScene = TableToScene(ball.points[i]);
            CVector3 vScreen;
            ProjectToScreen(&vScreen, &vScene);
            if (!(vScreen.z > 0.0f && vScreen.z < 1.0f))
                break;
            path.push_back(POINT{static_cast<LONG>(vScreen.x), static_cast<LONG>(vScreen.y)});
        }
        if (path.size() >= 2)
            paths.push_back(path);
    }
    return paths;
}

double SegmentDistance(double x, double y, const POINT& a, const POINT& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0.0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

double PathsDistance(double x, double y, const std::vector<ScreenPath>& paths)
{
    double d = 1e9;
    for (const ScreenPath& path : paths)
        for (std::size_t i = 1; i < path.size(); ++i)
            d = std::min(d, SegmentDistance(x, y, path[i - 1], path[i]));
    return d;
}

/// The points every 4 pixels along the paths, inside the rectangle.
std::vector<POINT> PathSamples(const std::vector<ScreenPath>& paths, const RECT& rc)
{
    std::vector<POINT> samples;
    for (const ScreenPath& path : paths)
        for (std::size_t i = 1; i < path.size(); ++i)
        {
            const double dx = path[i].x - path[i - 1].x, dy = path[i].y - path[i - 1].y;
            const int nSteps = static_cast<int>(std::hypot(dx, dy) / 4.0);
            for (int k = 0; k <= nSteps; ++k)
            {
                const double t = nSteps > 0 ? static_cast<double>(k) / nSteps : 0.0;
                const POINT pt{static_cast<LONG>(std::lround(path[i - 1].x + t * dx)),
                               static_cast<LONG>(std::lround(path[i - 1].y + t * dy))};
                if (pt.x > rc.left && pt.x < rc.right - 1 && pt.y > rc.top && pt.y < rc.bottom - 1)
                    samples.push_back(pt);
            }
        }
    return samples;
}

/// What the frame draws of the predicted paths: its paths' step alone, on a black back buffer.
class CDrawnPaths
{
public:
    explicit CDrawnPaths(CMainFrame& frame)
    {
        CDirectDrawSurface& surface = *g_pFramework->GetBackBuffer();
        DDBLTFX fx{};
        surface.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        SScenePlan pathsOnly;
        pathsOnly.Add(ESceneStep::AimingPaths);
        frame.PaintScenePlan(pathsOnly, 0);
        frame.GetPanelRect(m_rcView);
        DDSURFACEDESC2 desc{};
        EXPECT_EQ(DD_OK, surface.Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
        EXPECT_EQ(32u, desc.ddpfPixelFormat.dwRGBBitCount);
        m_nWidth = static_cast<LONG>(desc.dwWidth);
        m_nHeight = static_cast<LONG>(desc.dwHeight);
        for (LONG y = 0; y < m_nHeight; ++y)
            for (LONG x = 0; x < m_nWidth; ++x)
                m_pixels.push_back(static_cast<const DWORD*>(desc.lpSurface)[y * desc.lPitch / 4 + x] & 0xFFFFFF);
        surface.Unlock(nullptr);
    }
    bool Painted(LONG x, LONG y) const
    {
        return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight &&
               m_pixels[static_cast<std::size_t>(y * m_nWidth + x)] != 0;
    }
    bool Nothing() const
    {
        return std::all_of(m_pixels.begin(), m_pixels.end(), [](DWORD c) { return c == 0; });
    }
    /// The painted pixels farther than ON_PATH_PX from every path.
    int Stray(const std::vector<ScreenPath>& paths) const
    {
        int n = 0;
        for (LONG y = 0; y < m_nHeight; ++y)
            for (LONG x = 0; x < m_nWidth; ++x)
                if (Painted(x, y) && PathsDistance(x + 0.5, y + 0.5, paths) > ON_PATH_PX)
                    ++n;
        return n;
    }
    /// The points along the paths in the view with no painted pixel next to them.
    int Missing(const std::vector<ScreenPath>& paths) const
    {
        int n = 0;
        for (const POINT& pt : PathSamples(paths, m_rcView))
        {
            bool bInk = false;
            for (LONG dy = -1; dy <= 1 && !bInk; ++dy)
                for (LONG dx = -1; dx <= 1 && !bInk; ++dx)
                    bInk = Painted(pt.x + dx, pt.y + dy);
            n += bInk ? 0 : 1;
        }
        return n;
    }
    const RECT& View() const { return m_rcView; }

private:
    std::vector<DWORD> m_pixels;
    LONG m_nWidth = 0, m_nHeight = 0;
    RECT m_rcView{};
};

/// The frame draws exactly the aid's present tracks (and something of them).
void ExpectPathsDrawnAre(CMainFrame& frame, const AidBalls& aid)
{
    const std::vector<ScreenPath> paths = ScreenPaths(aid);
    ASSERT_FALSE(paths.empty()) << "the aid has tracks";
    const CDrawnPaths drawn(frame);
    EXPECT_FALSE(PathSamples(paths, drawn.View()).empty()) << "the paths lie in the view";
    EXPECT_EQ(0, drawn.Missing(paths)) << "every stretch of the aid's tracks is drawn";
    EXPECT_EQ(0, drawn.Stray(paths)) << "nothing is drawn off them";
}

/// A table of one ball a short shot from a corner pocket, the cue ball behind it a little off the
/// pocket's line (a thin cut sends it on along the table), after the break; the camera straight
/// above the cue ball, so that whichever way the aid's tracks run they lie in the view.
void LayCutShot(CMainFrame& frame)
{
    CGameFlow& flow = frame.GetGameFlow();
    const CVector3 vPocket = flow.Engine().GetCushionPoint(0);
    const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
    // Along the corner's diagonal, the line a ball drops on cleanly.
    CVector3 u(vCentre.x > vPocket.x ? 1.0f : -1.0f, vCentre.y > vPocket.y ? 1.0f : -1.0f, 0.0f);
    u = u.GetNormalized();
    const CVector3 vObject = vPocket + u * 0.35f;
    const CVector3 vAcross(-u.y, u.x, 0.0f);
    const CVector3 vCue = vObject + u * 0.30f + vAcross * 0.08f;
    const SPlacedBall balls[] = {{0, vCue.x, vCue.y}, {1, vObject.x, vObject.y}};
    LayTable(frame, balls, true, modeAim);
    flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    const CVector3 vCueScene = BallToScene(CVector3(vCue.x, vCue.y, 0.0f));
    CViewRecord view;
    view.Set(SCRIPTED_CAMERA_YAW, 270.0f, 80.0f, vCueScene.x, vCueScene.y, vCueScene.z, 0.0f, 0.0f, SCRIPTED_CAMERA_YAW,
             5.0f, 0.0f);
    flow.ApplyViewRecord(view);
}

/// The live table as the shot runs: where each ball was last seen on the bed, which went down
/// (dropping, pocketed or taken off), and where the struck ball first touched another.
struct SPlayed
{
    std::map<int, CVector3> last;
    std::set<int> down;
    bool bContact = false;
    CVector3 vContact;

    /// One look after a frame of the shot.
    void Note(const AidBalls& aid)
    {
        const auto lock = g_BallEngineMain.AcquireLock();
        for (const auto& [n, foretold] : aid)
        {
            const CBall* pBall = g_BallEngineMain.FindBall(n);
            if (pBall == nullptr || pBall->IsPocketed() || pBall->IsRollMode4())
                down.insert(n);
            else
                last[n] = *pBall->GetPosition();
            if (n == 0 && pBall != nullptr && !bContact)
                bContact = FirstBallContact(pBall->GetTrackPoints(), pBall->GetTrackKinds(), vContact);
        }
    }
};

/// The table played the aid's first second: the struck ball first touched a ball where the aid
/// said, a ball the aid sent down went down, and every other ball lies where its track ends (at
/// rest, or where the aid stopped it).
void ExpectPlayedAsForetold(const AidBalls& aid, const SPlayed& played)
{
    const SAidBall& cue = aid.at(0);
    CVector3 vForetold;
    ASSERT_TRUE(FirstBallContact(cue.points, cue.kinds, vForetold)) << "the aid foretold a hit";
    ASSERT_TRUE(played.bContact) << "the table played one";
    EXPECT_LT(TableDistance(vForetold, played.vContact), FORETOLD_M) << "at the same place";
    for (const auto& [n, foretold] : aid)
    {
        SCOPED_TRACE(testing::Message() << "ball " << n);
        const bool bDown = played.down.contains(n);
        EXPECT_EQ(foretold.bPocketed, bDown) << "down";
        if (!foretold.bPocketed && !bDown)
        {
            EXPECT_LT(TableDistance(foretold.vEnd, played.last.at(n)), FORETOLD_M) << "where its path ends";
        }
    }
}

/// How far a change moves what the aid foretells.
enum class EMoves
{
    Paths, ///< the paths lie elsewhere on the screen
    Track, ///< the tracks change (by a little, perhaps, on the screen)
    Any,   ///< the aid strikes at a speed of its own: a change of power may change nothing it shows
};

/// A change of the aim, the english, the elevation or the power, made by the script's input.
struct SChange
{
    const char* szName;
    std::vector<std::string> frames; // each frame's actions ('|' between two)
    EMoves eMoves;
};

/// The frames of a change and of the quiet after it: the paths go at the change, come back once
/// the aim has rested over 100 ms, and are then the aid's new tracks. pBefore holds the tracks
/// before the change, and afterwards the new ones.
void AddChangeSteps(std::vector<SFrameStep>& steps, const SChange& c, const std::shared_ptr<AidBalls>& pBefore)
{
    for (std::size_t i = 0; i < c.frames.size(); ++i)
    {
        std::function<void(CMainFrame&)> check;
        if (i + 1 == c.frames.size())
            check = [](CMainFrame& f)
            {
                EXPECT_FALSE(f.IsAimPreviewShown()) << "the change takes the paths away";
                EXPECT_TRUE(CDrawnPaths(f).Nothing());
            };
        steps.push_back({c.szName, nullptr, c.frames[i], check});
    }
    steps.push_back({"50 ms later", [](CMainFrame&) { AdvanceTestClock(50); }, "",
                     [](CMainFrame& f) { EXPECT_FALSE(f.IsAimPreviewShown()) << "too early"; }});
    steps.push_back({"110 ms after the change", [](CMainFrame&) { AdvanceTestClock(60); }, "",
                     [](CMainFrame& f) { EXPECT_TRUE(f.IsAimPreviewShown()) << "the aid simulates again"; }});
    steps.push_back({c.szName, nullptr, "",
                     [pBefore, c](CMainFrame& f)
                     {
                         const AidBalls now = ReadAid();
                         ExpectPathsDrawnAre(f, now);
                         if (c.eMoves != EMoves::Any)
                         {
                             EXPECT_TRUE(TracksDiffer(now, *pBefore)) << "the aid simulated the new shot";
                         }
                         if (c.eMoves == EMoves::Paths)
                         {
                             // The old paths ran elsewhere on the screen, and nothing is drawn there.
                             const std::vector<ScreenPath> paths = ScreenPaths(now);
                             const std::vector<POINT> old = PathSamples(ScreenPaths(*pBefore), CDrawnPaths(f).View());
                             EXPECT_TRUE(std::any_of(old.begin(), old.end(),
                                                     [&](const POINT& pt)
                                                     { return PathsDistance(pt.x, pt.y, paths) > 3 * ON_PATH_PX; }));
                         }
                         *pBefore = now;
                     }});
}

using CFrameAimingAidTest = CScriptedFrameTest;

TEST_F(CFrameAimingAidTest, EveryChangeOfTheShotIsForetoldAgainAndTheTablePlaysWhatTheAidShowed)
{
    g_Settings.m_nBallPath1 = 1;
    g_Settings.m_nShortPath1 = 0;  // whole paths
    g_Settings.m_nHitVelocity = 6; // a full swing strikes at the aid's own speed
    g_Settings.m_nAutoPlaceTime = 1;
    auto pBefore = std::make_shared<AidBalls>();
    CCursor cursor;
    std::vector<SFrameStep> steps{{"the cursor brought into the view", nullptr, cursor.MoveBy(0, 0),
                                   [pBefore](CMainFrame& f)
                                   {
                                       f.UpdateAimPreview(); // the table laid: its first preview
                                       *pBefore = ReadAid();
                                   }}};
    const std::string strHold = "";
    const SChange changes[] = {
        {"the arrows turn the aim",
         {"key down Right", strHold, strHold, strHold, strHold, strHold, "key up Right"},
         EMoves::Paths},
        {"the mouse turns the aim", {cursor.MoveBy(60, 0)}, EMoves::Paths},
        {"in the english the mouse moves the cue's tip", {"key press E", cursor.MoveBy(150, 0)}, EMoves::Track},
        {"and back to the middle", {cursor.MoveBy(-150, 0), "key press A"}, EMoves::Track},
        {"with the elevation the mouse lifts the cue", {"key press B", cursor.MoveBy(0, -160)}, EMoves::Track},
        {"and lowers it again", {cursor.MoveBy(0, 160), "key press A"}, EMoves::Track},
    };
    for (const SChange& c : changes)
        AddChangeSteps(steps, c, pBefore);

    // The recommended shot: the camera flies behind the cue ball along the planner's aim, and the
    // aid foretells the shot once the flight has landed.
    auto pPlan = std::make_shared<CShotInfo>();
    steps.push_back({"the recommended shot", [](CMainFrame& f) { SendMessage(f.m_hWnd, WM_COMMAND, ID_CALL_SHOT, 0); },
                     "",
                     [pPlan](CMainFrame& f)
                     {
                         *pPlan = f.GetGameFlow().ShotRecord();
                         EXPECT_EQ(1, pPlan->GetCalledValue()) << "the planner's shot pots the one ball";
                         EXPECT_EQ(pPlan->m_nPocket, g_CallRecord.nPocket) << "shown as the call";
                         EXPECT_EQ(1, g_CallRecord.nBall);
                         ASSERT_NE(nullptr, f.GetPocketArrow());
                         EXPECT_TRUE(f.GetPocketArrow()->IsEnabled()) << "the arrow over the planned pocket";
                     }});
    for (int i = 0; i < 15; ++i)
        steps.push_back({"the flight to the planned aim", [](CMainFrame&) { AdvanceTestClock(100); }, "", nullptr});
    steps.push_back({"the flight has landed", [](CMainFrame&) { AdvanceTestClock(110); }, "",
                     [pBefore](CMainFrame& f)
                     {
                         EXPECT_EQ(modeAim, GetModeField());
                         EXPECT_TRUE(f.IsAimPreviewShown()) << "the planned aim is foretold";
                         *pBefore = ReadAid();
                     }});
    // Up, held until the cue is drawn back in full.
    SChange power{"Up draws the cue back", {"key down Up"}, EMoves::Any};
    for (int i = 0; i < 40; ++i)
        power.frames.push_back(strHold);
    power.frames.push_back("key up Up");
    AddChangeSteps(steps, power, pBefore);

    // Enter strikes at full swing; the live cue ball records where it touches.
    auto pForetold = std::make_shared<AidBalls>();
    steps.push_back({"Enter strikes",
                     [pForetold](CMainFrame& f)
                     {
                         *pForetold = ReadAid();
                         const SCueStroke& cue = f.GetGameFlow().Cue();
                         EXPECT_FLOAT_EQ(cue.fMax / 2, cue.fPullBack) << "drawn back in full";
                         CBall& cueBall = *g_BallEngineMain.FindBall(0);
                         cueBall.ClearTrack();
                         cueBall.SetWritePos(TRUE);
                     },
                     "key press Return",
                     [](CMainFrame&) { EXPECT_TRUE(HasGameFlag(gmShotRunning)) << "the shot runs"; }});

    RunFrameSteps(
        m_app.Folder().Path(), steps, [](CMainFrame& f) { LayCutShot(f); },
        [pForetold, pPlan](CMainFrame& f)
        {
            // The table plays in frames of the live step. The aid foretold the first second: the
            // frame that ends it is cut there, and what the table did up to then, or up to the
            // shot's end (when the judging puts balls back), is kept.
            SPlayed played;
            played.Note(*pForetold);
            for (DWORD dwPlayed = 0; dwPlayed < AUX_PERIOD_MS && HasGameFlag(gmShotRunning); dwPlayed += LIVE_FRAME_MS)
            {
                AdvanceTestClock(std::min(LIVE_FRAME_MS, AUX_PERIOD_MS - dwPlayed));
                ASSERT_TRUE(f.OnFrame());
                if (HasGameFlag(gmShotRunning))
                    played.Note(*pForetold);
            }
            ExpectPlayedAsForetold(*pForetold, played);
            for (int i = 0; i < 3000 && HasGameFlag(gmShotRunning); ++i)
            {
                AdvanceTestClock(LIVE_FRAME_MS);
                ASSERT_TRUE(f.OnFrame());
            }
            ASSERT_FALSE(HasGameFlag(gmShotRunning)) << "the shot was judged";
            EXPECT_EQ(pPlan->m_nPocket, (*pForetold)[1].nPocket) << "the aid potted the planned ball there";
            EXPECT_NE(0, f.GetGameFlow().GetPocketedMask() & 0x2) << "and so did the table";
        });
}

TEST_F(CFrameAimingAidTest, AGameResumedWhileAimingShowsThePathsOfItsAimAtOnce)
{
    g_Settings.m_nBallPath1 = g_Settings.m_nBallPath2 = 1;
    g_Settings.m_nShortPath1 = g_Settings.m_nShortPath2 = 0;
    g_Settings.m_strSavedDirectory = m_app.Folder().File("").c_str();
    {
        // The last game, kept while a person aimed.
        CFrameScope frame(true, true);
        ASSERT_TRUE(frame.m_bCreated);
        LayCutShot(*frame.m_pFrame);
        CString strReason;
        ASSERT_TRUE(frame.m_pFrame->SaveGameTo(m_app.Folder().File("lastgame").c_str(), strReason)) << strReason.Str();
    }
    g_Settings.m_nGameType = 33; // the last game resumes, with no flight to the aim
    CFrameScope frame(true, true);
    ASSERT_TRUE(frame.m_bCreated);
    CMainFrame& mainFrame = *frame.m_pFrame;
    ASSERT_TRUE(mainFrame.IsGameStarted());
    EXPECT_EQ(modeAim, GetModeField());
    EXPECT_TRUE(mainFrame.IsAimPreviewShown()) << "foretold without a change of aim";
    const AidBalls aid = ReadAid();
    ASSERT_TRUE(mainFrame.OnFrame()); // the view is set
    ExpectPathsDrawnAre(mainFrame, aid);
}
} // namespace
