// The order in which the game screen is painted without a depth sort of everything: which table
// sides lie behind the balls for a camera heading, whether the called pocket's arrow lies behind
// the table, the balls split around the trophy, the short-path cap of the aiming aid, and the plan
// of one frame's drawing steps. Pure: the main frame supplies the state and carries the plan out.
#pragma once

#include "platform/win32/WinTypes.h"

#include <array>
#include <cstddef>
#include <span>
#include <vector>

/// The four sides of the table, named by the scene objects' kinds 0x4000040, 0x8000040, 0x10000040
/// and 0x20000040.
enum ETableSide
{
    SIDE_A,
    SIDE_B,
    SIDE_C,
    SIDE_D,
    SIDE_COUNT
};

/// The kinds of the table's four sides, in the order of ETableSide, and the other scene objects the
/// frame painter finds by kind.
inline constexpr std::array<int, SIDE_COUNT> TABLE_SIDE_KINDS = {0x4000040, 0x8000040, 0x10000040, 0x20000040};
inline constexpr int KIND_WATERMARK = 0x2000040;
inline constexpr int KIND_BALLS = 0x10; // the ball objects; their order splits background from foreground
inline constexpr int KIND_CUE = 0x2;
inline constexpr int KIND_POCKET_ARROW = 0x200;
inline constexpr int KIND_TROPHY = 0x80; // the trophy that shows the player's medal

/// The passes over the room's objects: the specular objects first, then those before the table's
/// order and those after it.
enum class EScenePass
{
    Specular,
    Background,
    Foreground
};
/// An object's pass field: 0 drawn in the ordinary passes only; any other value also drawn first,
/// in the specular pass; 1 drawn in the specular pass alone.
inline constexpr int SPECULAR_ONLY = 1;
/// Whether a pass draws an object of that kind, order and pass field: the specular pass those with
/// a pass field; the background those ordered before the table (nTableOrder), the foreground those
/// after it. The ordinary passes leave out the specular-only objects and those that a step of their
/// own draws: the balls, the pocket arrow, the trophy, the table's sides and watermark and, with the
/// balls split around the trophy, the cue.
bool IsInScenePass(EScenePass pass, int nKind, int nOrder, int nPassField, int nTableOrder, bool bSplit);

/// Where a ball lies for its drawing group: on the cloth inside the table's bounds, on the table
/// outside them (in a pocket's jaws), or off the table (pocketed or dropped below the cloth).
enum class EBallPlace
{
    Inside,
    Jaws,
    Off
};
/// The table's bounds in the scene: the smallest and largest x and z of its cloth.
struct STableBounds
{
    float fMinX = 0, fMinZ = 0, fMaxX = 0, fMaxZ = 0;
};
/// The place of a ball whose centre lies at scene x and z; bOffTable wins over the bounds.
EBallPlace GetBallPlace(float x, float z, bool bOffTable, const STableBounds& bounds);

/// Up to three sides in drawing order.
struct STableSides
{
    std::array<ETableSide, 3> aSides{};
    int nCount = 0;
    std::span<const ETableSide> Get() const { return {aSides.data(), static_cast<std::size_t>(nCount)}; }
};

/// A heading in degrees brought into 0..360 in whole degrees: above 360 its whole part modulo 360,
/// negative 360 less its whole part's size modulo 360 (so -360 gives 360 and -30 gives 330).
int NormaliseHeading(float fDegrees);
/// The sides drawn before the balls (bFar) or after them for a camera heading in degrees.
STableSides GetTableSides(float fHeading, bool bFar);
/// Whether the called pocket 0..5 lies on the far side of the table for the camera heading. The
/// headings that list the near pockets count any other number (-1: none called) as far.
bool IsPocketBehind(float fHeading, int nPocket);

/// One ball for the split around the trophy.
struct SSplitBall
{
    int nBall = 0;
    float fDistance = 0;        // from the camera
    bool bBeforeObject = false; // the sight-line test: the ball shows in front of the trophy
};
/// The camera heading, degrees 0 to 360, of a camera looking along the horizontal direction (dx, dz):
/// heading 180 looks along +z, 0 along -z.
float HeadingTowards(float dx, float dz);
/// The balls drawn behind the trophy and in front of it.
struct SBallSplit
{
    std::vector<int> behind;
    std::vector<int> front;
    void Clear()
    {
        behind.clear();
        front.clear();
    }
};
/// Splits the balls by d, the trophy's heading less the camera's in degrees (360 added when
/// negative): nearly straight on (below 10 or above 350) every object ball is in front; nearly
/// opposite (between 170 and 190) a ball no farther from the camera than the trophy is behind;
/// otherwise the sight-line test decides. The cue ball is in front while d is at most 90 or at
/// least 270. The sets are cleared first and keep their capacity.
void SplitBallsByHeading(float d, float fTrophyDistance, std::span<const SSplitBall> balls, SBallSplit& split);

/// The short path's limit, pixels: 360, or 330 with the overhead view.
inline constexpr double SHORT_PATH_LIMIT = 360.0;
inline constexpr double SHORT_PATH_LIMIT_OVERHEAD = 330.0;
/// Cuts a polyline so that its length after point nFrom is at most dLimit: the segment that crosses
/// the limit is shortened along its own direction to end exactly there; points up to nFrom stay.
/// Returns the length used after nFrom.
double CapPathLength(std::vector<POINT>& points, std::size_t nFrom, double dLimit);

/// At most this many recorded points of a ball's predicted path are drawn.
inline constexpr std::size_t PATH_MAX_POINTS = 20;
/// How many of a ball's recorded points a short path keeps (of those given): the struck ball up
/// to its first cushion contact but at most two segments, any other ball one segment. The kinds
/// are the points' track kinds (3 a cushion contact).
std::size_t ShortPathPointCount(std::span<const int> kinds, bool bStruck);
/// The steps of painting one frame.
enum class ESceneStep
{
    SpecularPass,    // objects of the specular pre-pass
    Background,      // the room before the table
    BallsInside,     // balls on the cloth
    FarSides,        // table sides behind the balls
    BallsInJaws,     // balls on the table outside its bounds
    Watermark,       // trophy medal, watermark and head string
    CalledPocket,    // the called pocket's marker
    PocketArrowFar,  // the arrow behind the table side
    PocketedBalls,   // balls off the table
    BallLabel,       // the number of the ball to play
    NearSides,       // table sides in front of the balls
    Trophy,          // the trophy object with its medal
    PocketArrowNear, // the arrow in front of the table side
    AimingPaths,     // the predicted paths
    BallsBehind,     // the split's behind set
    BallsFront,      // the split's front set
    Foreground,      // objects after the table
    Effects,         // the particle effects
    PanelWidget,     // the current panel widget
    Widgets,         // the other in-game widgets
    FrameRate,       // the frame-rate counter
    GamePanels,      // turn banner and score panels
    TextMessage,     // the head text message
    MatchTitle,      // the match title
    RestoreLights,   // lamps and colours back as they were
};

/// What decides the order of a frame.
struct SSceneOrderState
{
    bool bSceneHidden = false;  // waiting with the light editor's bit: only the title is drawn
    bool bSpecular = false;     // the specular pre-pass runs first
    bool bSplit = false;        // balls split around the trophy
    bool bPocketBehind = false; // the called pocket's arrow lies behind the table side
};

/// At most this many steps in one frame.
inline constexpr std::size_t MAX_SCENE_STEPS = 32;
struct SScenePlan
{
    std::array<ESceneStep, MAX_SCENE_STEPS> aSteps{};
    std::size_t nCount = 0;
    void Add(ESceneStep step) { aSteps[nCount++] = step; }
    std::span<const ESceneStep> Get() const { return {aSteps.data(), nCount}; }
};
/// The steps of one frame in their order.
SScenePlan PlanScene(const SSceneOrderState& state);
/// A step's name, for the draw-order log.
const char* SceneStepName(ESceneStep step);
