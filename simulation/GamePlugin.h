// The interface between the program and a rule plug-in, for plug-in authors.
//
// A rule plug-in adds a game type. It is a shared object named "<anything>.gam" in the program
// folder, built with the same compiler and C++ library as the program, and it exports these C
// functions (see the PFN_ types below):
//
//   GetGameType   writes the game's name into the buffer it is given (at most nNameSize bytes,
//                 the terminating zero included), may change the flag byte (preset to 1) and
//                 returns the game type id; it creates nothing.
//   CreateGame    creates the game object and stores its address through ppGame. It is passed
//                 GAME_PLUGIN_INTERFACE_VERSION; a plug-in built for another version stores null.
//   GetPictureID  called with 1; returns the resource id of the game's picture, a JPEG resource of
//                 type "_DATA" in the plug-in's own resources (optional export).
//   GetResources  (optional) hands out the plug-in's resources: a resource library image as
//                 tools/respack builds it, embedded in the shared object. Through it the program
//                 finds the plug-in's picture and texts with the ordinary resource functions.
//
// The plug-in resolves the program's own classes (CReferee and what it uses) from the program
// when it is loaded, so it links none of the program's libraries itself.
//
// Life of a game object: the program creates it with CreateGame, has it create its two referees
// (CreateReferees) and, when the game ends, release them (ReleaseReferees), then deletes the
// object through its virtual destructor and only after that closes the library. Everything the
// plug-in allocates is therefore freed by the plug-in's own code while it is still loaded.
#pragma once

#include <cstdint>

class CReferee;
class CMainFrame;
class CBallEngine;
class CCallShotState;

/// Raised whenever CPluginGame, its records or the exports change shape, so that an older plug-in
/// refuses to create a game the program would call wrongly.
inline constexpr std::uint32_t GAME_PLUGIN_INTERFACE_VERSION = 4;

/// Size of the name buffer passed to GetGameType, terminating zero included.
inline constexpr std::uint32_t GAME_PLUGIN_NAME_SIZE = 256;

/// The computer's shot request (slot PlanShot): cleared by the program, which stores the main frame
/// and the live ball engine; the plug-in fills the rest and the game flow carries it out.
struct SPluginShotRequest
{
    std::uint8_t bReserved = 0;
    CMainFrame* pMainFrame = nullptr;
    CBallEngine* pEngine = nullptr;
    std::uint8_t bPlanned = 0;         ///< non-zero: fAimAngle holds the aim, nothing is searched
    std::uint8_t bUse16Ball = 0;       ///< use the 16-ball planner
    std::uint8_t bPlannerFlag = 0;     ///< the planner's extra flag
    std::uint8_t bEvaluation = 0;      ///< the evaluation switch of the shot candidates
    std::uint8_t bLowerLevel = 0;      ///< play one skill level lower
    std::int32_t nMoneyBallKind2 = -1; ///< money ball of kind 2; negative: none
    std::int32_t nMoneyBallKind3 = -1; ///< money ball of kind 3; negative: none
    std::int32_t nTargetBall = 0;      ///< target when the referee asks for the money ball
    float fAimAngle = 0.0f;            ///< radians
};

/// A judged shot, and a decided rack, exchanged with a plug-in game. The program fills the inputs
/// (the referee, the main frame and the engine, where the call being made is kept, the goal and
/// both players' counters: for a shot the shooter's first, for a rack the winner's first); the
/// plug-in writes its verdict. Pointers are the machine's own size. The program checks every
/// value it takes back: counters below 0, a ball to strike that is not on the table and balls
/// beyond the game's count are not taken.
struct CShotOutcome
{
    CReferee* pReferee = nullptr;
    CMainFrame* pMainFrame = nullptr;
    CBallEngine* pEngine = nullptr;
    CCallShotState** ppCallState = nullptr; ///< where the program keeps the call being made (null: none)
    std::int32_t nPointsNeeded = 0;         ///< the match goal
    std::int32_t nShooterFouls = 0;
    std::int32_t nShooterPoints = 0;
    std::int32_t nShooterGames = 0;
    std::int32_t nOtherFouls = 0;
    std::int32_t nOtherPoints = 0;
    std::int32_t nOtherGames = 0;
    std::int32_t nNextCueBall = 0; ///< the ball the next player strikes
    std::uint8_t bShooterLost = 0; ///< the game is over and the shooter has lost
    std::uint8_t bShooterWon = 0;  ///< the game is over and the shooter has won
    std::uint8_t bTurnPasses = 0;
    std::uint8_t bCallShot = 0;       ///< the next player must call the shot
    std::uint8_t bBallInHand = 0;     ///< the next player gets ball in hand
    std::uint8_t bMatchOver = 0;      ///< a decided rack ends the match
    std::uint32_t dwPutBack = 0;      ///< bit n: ball n goes back on the table
    std::uint32_t dwShownPutBack = 0; ///< bit n: ball n is shown as put back
};

/// The ball groups after a shot: the program passes the referee and both players' groups (-1
/// none, 0 or 1); the plug-in may set the groups and says whether it assigned them.
struct SPluginGroups
{
    CReferee* pReferee = nullptr;
    std::int32_t nGroup1 = -1;
    std::int32_t nGroup2 = -1;
    std::uint8_t bAssigned = 0;
};

/// The block the per-frame ball stepping reads from a plug-in game (slot FillStepBlock); its
/// fields come with the ball stepping of the game flow, which raises the interface version.
struct SPluginStepBlock;

/// A rectangle of a score panel, pixels from the panel's top left corner.
struct SPluginRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

/// Text placement flags of SPluginScorePanel::pfnDrawText (several may be combined).
inline constexpr std::uint32_t PLUGIN_TEXT_CENTRE = 0x01;  ///< centred across; else from the left
inline constexpr std::uint32_t PLUGIN_TEXT_RIGHT = 0x02;   ///< against the right edge
inline constexpr std::uint32_t PLUGIN_TEXT_VCENTRE = 0x04; ///< centred from top to bottom

/// One player's score panel, which a plug-in game paints itself (slot PaintScorePanel) on the
/// display's panel of that player. The program fills everything before the answers; the panel keeps
/// what is painted on it, and its black pixels let the game's picture show through. The painting
/// functions are the program's and act only during the call.
struct SPluginScorePanel
{
    void* pCanvas = nullptr; ///< passed back to the two painting functions
    /// Fills a rectangle of the panel (null: the whole panel) with a colour 0x00RRGGBB.
    void (*pfnFill)(void* pCanvas, const SPluginRect* pRect, std::uint32_t dwColour) = nullptr;
    /// Writes a line of text into a rectangle of the panel in the display's score font and a
    /// colour 0x00RRGGBB, placed by the PLUGIN_TEXT_ flags.
    void (*pfnDrawText)(void* pCanvas, const char* szText, const SPluginRect* pRect, std::uint32_t dwColour,
                        std::uint32_t nFlags) = nullptr;
    std::int32_t nWidth = 0; ///< the panel's size, pixels
    std::int32_t nHeight = 0;
    std::uint8_t bRepaint = 0; ///< the panel is new and black: it must be painted whole
    std::int32_t nPlayer = 0;  ///< 0 the first player, 1 the second
    std::uint8_t bTurn = 0;    ///< it is this player's turn
    std::int32_t nFouls = 0;   ///< the player's counters
    std::int32_t nPoints = 0;
    std::int32_t nGames = 0;
    const char* szName = nullptr; ///< the player's name
    std::int32_t nPanelWidth = 0; ///< the width the display lays a score panel out for
    SPluginRect rcLeft;           ///< where a score panel's two texts go: the left one and the
    SPluginRect rcRight;          ///< right one, as the built-in games place theirs
    /// Answers: a larger panel wanted (the program makes it and asks for the painting again; 0
    /// keeps this one), and the ball whose icon is drawn over the panel's left end (-1 none).
    std::int32_t nNeedWidth = 0;
    std::int32_t nNeedHeight = 0;
    std::int32_t nBall = -1;
};

/// The game object of a rule plug-in. The operations are declared in the order of the program's
/// calls (picture, type, texture set, referees, rack, shot, target, step block, then the groups,
/// the verdict on a shot, the decision of a rack and the score panels).
class CPluginGame
{
public:
    virtual ~CPluginGame() = default;

    /// JPEG data of picture nId and its size in *pnSize; null when there is none. The data stays
    /// valid while the game object lives.
    virtual const std::uint8_t* GetPictureData(std::int32_t nId, std::uint32_t* pnSize) = 0;
    /// The game type id (the one GetGameType returns).
    virtual std::int32_t GetGameType() = 0;
    /// Name of the texture-set variant to load for this game; sets *pnFlag.
    virtual const char* GetTextureSetName(std::int32_t* pnFlag) = 0;
    /// Creates the game's referee and shadow referee (classes derived from CReferee) and stores
    /// them through the two pointers.
    virtual void CreateReferees(CReferee** ppReferee, CReferee** ppShadow) = 0;
    /// Deletes the referees that the two pointers hold (null pointers are skipped) and sets both
    /// pointers to null; calling it again does nothing.
    virtual void ReleaseReferees(CReferee** ppReferee, CReferee** ppShadow) = 0;
    /// Called when a new rack is set up (nRack 1): the ball numbers to place on the rack spots and
    /// their count in *pnCount; the data stays valid while the game object lives.
    virtual const std::int32_t* GetRackBalls(std::int32_t nRack, std::int32_t* pnCount) = 0;
    /// Fills the computer's shot request.
    virtual void PlanShot(SPluginShotRequest* pRequest) = 0;
    /// The target that the stroke passes to the referee's BeginShot.
    virtual std::int32_t GetTargetBall() = 0;
    /// Fills the block of the per-frame ball stepping.
    virtual void FillStepBlock(SPluginStepBlock* pBlock) = 0;
    /// After each shot, before it is judged: the players' groups.
    virtual void AssignGroups(SPluginGroups* pGroups) = 0;
    /// The verdict on a judged shot (the referee has judged it).
    virtual void FillShotOutcome(CShotOutcome* pOutcome) = 0;
    /// After the verdict was applied: non-zero when the plug-in has finished the shot itself, so
    /// that the program starts no next turn.
    virtual std::uint8_t ShotOutcomeDone(CShotOutcome* pOutcome) = 0;
    /// A rack was won (the winner's counters first): the counters after it and whether the match
    /// is over.
    virtual void DecideRack(CShotOutcome* pRack) = 0;
    /// The same in practice, with the one player's counters.
    virtual void DecidePracticeRack(CShotOutcome* pRack) = 0;
    /// Each frame while the score panels are shown, for each player's panel: paints it (always
    /// when pPanel->bRepaint is set, else when its figures changed) and answers.
    virtual void PaintScorePanel(SPluginScorePanel* pPanel) = 0;
};

// The exports, as the program looks them up by name.
extern "C"
{
    using PFN_GET_GAME_TYPE = std::int32_t (*)(char* szName, std::uint32_t nNameSize, std::uint8_t* pbFlag);
    using PFN_CREATE_GAME = void (*)(CPluginGame** ppGame, std::uint32_t nInterfaceVersion);
    using PFN_GET_PICTURE_ID = std::int32_t (*)(std::int32_t n);
}
inline constexpr const char* GAME_PLUGIN_GET_GAME_TYPE = "GetGameType";
inline constexpr const char* GAME_PLUGIN_CREATE_GAME = "CreateGame";
inline constexpr const char* GAME_PLUGIN_GET_PICTURE_ID = "GetPictureID";
