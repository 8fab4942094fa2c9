// The game window: its creation, the message that starts the game, the frame tick, focus handling,
// closing and destruction; it owns the sound effects and the 3-D environment and starts and stops
// speech, music and the keyboard and mouse devices. The game flow and the interface are not here
// yet: the window shows the racked table and the game never starts a rack (the README lists what
// is missing).
#pragma once

#include "app/CommandRules.h"
#include "app/FrameSpeech.h"
#include "app/Replay.h"
#include "gameflow/FlowHost.h"
#include "gameflow/GameMode.h"
#include "media/SoundSystem.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/Wnd.h"
#include "render/BallPainter.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/ParticleSystem.h"
#include "render/Picking.h"
#include "render/RackScene.h"
#include "render/SceneAnimation.h"
#include "simulation/Player.h"
#include "ui/IntroSequence.h"
#include "ui/SkinList.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class CD3DFramework;
class CGameFlow;
class CSavedGame;
struct SSavedSettings;
class CDirect3DDevice;
class CDirect3DViewport;
class CDirect3DMaterial;
class CFrameHud;
class CPluginGame;
struct SPluginScorePanel;
class CDirectDrawSurface;
class CFrameCueScene;
class CFrameCallShotHost;
class CCallShotState;
class CFramePlacement;
class CTableSetEntry;
struct SCursorState;
struct SBannerState;
enum class ESceneStep;
enum class EScenePass;
enum class EBallPlace;
struct SBallSplit;
struct SScenePlan;

/// The developer mode (set only by the intro window, which this game does not have; a test sets it)
/// and whether the developer commands made the computer play. Main thread.
extern BOOL g_bDeveloperMode;
extern BOOL g_bComputerPlays;
/// Set by the frame's timer, read and cleared by the panel painters. Main thread.
extern BOOL g_bPanelRedraw;
/// Set by the option-4 command for the renderer. Main thread.
extern BOOL g_bRedraw;

/// Private messages of the frame.
inline constexpr UINT WM_INITGAME = WM_USER + 4;
inline constexpr UINT WM_CLOSENOW = WM_USER + 14;
inline constexpr UINT WM_PANELCOMMAND = WM_USER + 5;
inline constexpr UINT WM_TEXTINPUTKEY = WM_USER + 6;
inline constexpr UINT WM_NEWGAMEQUESTION = WM_USER + 10;
inline constexpr UINT WM_OUTCOMEDONE = WM_USER + 12;
inline constexpr UINT WM_MUSICNOTIFY = WM_USER + 13;
/// The control bar's english marker, offset from the middle of its cue ball by a pixel, stands for
/// the cue tip offset by this on the ball's face (the bar sets the tip so, and shows it so).
inline constexpr float ENGLISH_TIP_PER_PIXEL = 2.94f;
/// The music word's bit: the music is switched on.
inline constexpr DWORD MUSIC_WORD_ON = 0x2;
/// The game type that starts in aiming at once, and the one that resumes the last game: both open
/// without the intro and without a word to the player.
inline constexpr int GAME_DIRECT_AIM = 32;
inline constexpr int GAME_RESUME_LAST = 33;
/// A panel command's wParam: the code, with this bit for a check box that is switched on.
inline constexpr WPARAM PANEL_CHECKED = 0x10000;

/// The current mode's bits of the game-mode word.
inline constexpr DWORD MODE_BITS = MODE_FIELD;

/// Bits of the frame's option word: 0x2 from its construction on, the frame rate shown, the score
/// panels shown, the head line shown, the aiming aid on (the call of a shot clears it while it
/// runs), a shot called.
inline constexpr DWORD OPTION_INITIAL = 0x2;
inline constexpr DWORD OPTION_FRAME_RATE = 0x4;
inline constexpr DWORD OPTION_SCORE = 0x20;
inline constexpr DWORD OPTION_HEAD_LINE = 0x40;
inline constexpr DWORD OPTION_AIMING_AID = 0x80;
inline constexpr DWORD OPTION_SHOT_CALLED = 0x200;

/// Frame size and the window class by which a second start finds the first.
inline constexpr int FRAME_WIDTH = 812;
inline constexpr int FRAME_HEIGHT = 570;
inline constexpr const char* FRAME_CLASS_NAME = "Vorn class";

/// The window class to create the frame with: the existing class of that name, else that name newly
/// registered, else the framework's frame class. Writes nothing into its argument.
const char* RegisterWindowClass(const char* szName);

/// The nine colours of a ball set's colour table (a "COLOR_TABLES" resource of at least 27 bytes,
/// red, green and blue per colour) as 0x00RRGGBB; FALSE, and the colours as they were, without it.
BOOL LoadColorTables(LPCSTR szLibrary, LPCSTR szName, std::array<DWORD, 9>& colours);

/// The names of the panels' two textures the window makes: the disabled panel's and the chat's.
/// Read-only.
extern CString g_strDisableTexture;
extern CString g_strChatTexture;

/// The clock value taken when the first player was chosen, and the racks set up since start.
extern DWORD g_dwBreakSeed;
extern int g_nRackCount;

/// ORs flags into the game-mode word; the new word.
DWORD SetModeFlags(DWORD dwFlags);

/// The sound effect of an engine event: a cushion hit (kind 1) by its strength, levels 0-1, 2-3,
/// 4-5 and above; ball on ball (kind 2) by its level 0 to 7; a pocket (kind 3). 0 for no sound.
int GetEventSoundId(int nKind, int nLevel);

class CSettings;
/// The two players as a game starts: no games, at this machine, the settings' levels and names; in
/// practice (competition type 0) the second is absent and named with one blank; two present players
/// of the same name become "<name>(1)" and "<name>(2)". The present players' statistics are read
/// from the files of their names.
void SetUpPlayers(CPlayer& first, CPlayer& second, const CSettings& settings);
/// Each present player's statistics read from the file of the player's name, so that the shots
/// judged are kept there.
void LoadPlayersStats(CPlayer& first, CPlayer& second);
/// Where an environment change puts the window: the whole screen in full screen; a window smaller
/// than the frame's size is centred at that size; any other stays where it is.
RECT PlaceEnvironmentWindow(const RECT& rcWindow, BOOL bFullScreen, int nScreenWidth, int nScreenHeight);
/// The frame's own size, centred on the screen.
RECT CentredFrameRect(int nScreenWidth, int nScreenHeight);
/// The camera flights' duration in seconds: "AutoPlaceTime", at least 0 and at most a minute.
double FlightDurationOfSettings(const CSettings& settings);
/// Converts the settings' ten physics coefficient texts into the ball simulation's coefficients;
/// a text that is not a number leaves its coefficient as it is.
void ApplyPhysicsCoefficients(const CSettings& settings);

class CMainFrame : public CFrameWnd, public IFlowHost, public IIntroHost
{
    friend class CFrameCallShotHost;

public:
    CMainFrame();
    ~CMainFrame() override;

    /// The frame tick; TRUE when it did something (a frame drawn), FALSE when it had nothing to do
    /// (minimised, inactive, not started or modal), so that the loop may wait a little.
    BOOL OnFrame();
    /// g_bTabHeld for this tick: Tab held without Alt.
    static void SampleTabHeld();
    /// Whether this tick follows a running shot: no "Camera Motion" 2, replay, waiting or Tab.
    static bool IsFlightViewTick();
    /// The on-screen text messages stepped, in the panel's area; the tick does it on the ticks that
    /// follow a running shot.
    void TickTextMessages();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    /// Drops Shift and Control key messages; while text is typed, characters go to the input line
    /// and Enter and Escape to WM_USER+6 (FrameCommands.cpp).
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    BOOL IsGameStarted() const { return m_bGameStarted; }
    BOOL IsClosing() const { return m_bClosing; }
    /// Modal mode: the tick does nothing while a modal dialog runs.
    void SetModalMode(BOOL bOn) { ::SetModalMode(bOn); }
    /// The game's sound effects.
    CSoundSystem& GetSoundSystem() { return m_Sound; }
    /// The ticks of the cue's power scale, soft to hard.
    static constexpr int POWER_STEP_COUNT = 13;

    /// The game flow on the live engine: the two players and whose turn it is, the referees, the
    /// modes, the stroke and the judging of shots. It lives as long as the frame.
    CGameFlow& GetGameFlow() { return *m_pGameFlow; }

    // What the game flow asks of the window.
    void PostFlowMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    void ShowText(const char* szText, int nMs) override;
    void ShowStringText(UINT nId, int nMs) override;
    std::string LoadFlowString(UINT nId) override;
    void ClearTexts() override;
    void SetModeHint(UINT nId) override;
    int PickBallUnderCursor() override;
    /// The current mode's one-line help, followed by two blanks; empty in modes without one.
    const CString& GetModeHint() const { return m_strModeHint; }
    void SaveSettings() override;
    /// The cue's sound at the cue ball, and in the bonus game perhaps a scream with it.
    void PlayCueSound(int nSlot) override;
    void PlayShotEvent(int nKind, int nLevel, const CVector3& vAt) override;
    // The commentary of the game flow, through the speech object (FrameSpeech.cpp).
    void CommentOnShot(bool bRobot, const CReferee& referee) override;
    void CommentOnCount(bool bRobot, bool bLastBall, bool bHalfWay) override;
    void PlayShotComments() override;
    void ResumeCommentary() override;
    void OfferIdleComment(int nGameType) override;
    /// Tick nStep (0 soft to POWER_STEP_COUNT - 1 hard) of the power scale, at the scene's origin.
    void PlayPowerStep(int nStep) override;
    /// The listener follows the camera: at its place, facing where it looks.
    void PlaceCamera(const SFlowCamera& camera) override;
    /// The pocket's burst of stars in the dropped ball's colour (FrameScene.cpp).
    void StartPocketEffect(int nBall, int nPocket) override;
    void CopyBallsToAimingAid() override;
    /// The aim changed: the aiming aid is re-simulated once the aim has rested a little
    /// (ThrottleAimPreview).
    void RestartAimPreview() override;
    /// The lost-match dialog, or the winner's name in the text dialog, in modal mode.
    void ShowMatchResult(const char* szWinner, bool bHumanWon) override;
    void ShowMatchWon(const char* szName) override;
    /// The scene's cue behind the cue ball, along the aim (FrameScene.cpp).
    void AlignCue() override;
    /// The scene's cue shown (unless a shot runs) at the detail levels that show it, else hidden.
    void RefreshCue() override;
    /// The cue objects of the scene.
    std::vector<CSceneObjectC*> SceneCues() const;
    /// The stroke's range from the scene's cue, the cue drawn back its least.
    void ApplyCueStrokeRange();
    /// The scene's cue takes the aim and elevation of a saved view; its size stays, which no
    /// saved game carries.
    void RestoreCueObject(const CViewRecord& view);
    ICueScene* GetCueScene() override;
    /// The room's box holds the camera: a place outside it comes back along the way from vFrom
    /// (FrameScene.cpp).
    void ClampCameraToRoom(CVector3& vPosition, const CVector3& vFrom) override;
    /// Whether the camera's place lies outside the room's box.
    bool IsCameraBlocked(const SFlowCamera& camera) override;
    /// The pocket arrow, made once (hidden until it is placed at a called pocket) with its clip.
    CSceneObject* AddPocketArrow();
    CSceneObject* GetPocketArrow() const { return m_pPocketArrow.get(); }
    /// The arrow (made when missing) over the called pocket's cushion point, 1.0 above the cloth,
    /// shown and bobbing, while a call is being made or holds a pocket.
    void UpdatePocketArrow();
    void HidePocketArrow() override;
    void MarkSceneShown() override;
    /// The call-the-shot state deleted and the pocket arrow hidden (FrameCallShot.cpp).
    void EndCallShot() override;
    /// Draws the arrow while it is shown; hides it first when the call it marked is gone.
    void DrawPocketArrow(int nFlags);
    /// The camera's heading in degrees: the game's camera once placed, else the table's own.
    float GetCameraHeading() const;

    // New racks and games.
    /// A new rack of the game type: the call for the shot dropped, the commentary set, the balls
    /// racked, fouls (and with bResetScores points) cleared, the goal the settings', the computer's
    /// turn started.
    void StartNewRack(BOOL bResetScores);
    /// Before any rack's balls are racked: the commentary reset and set, the rounding switches.
    void PrepareNewRack() override;
    /// The call-the-shot state made anew and begun, returning to dwReturnMode (FrameCallShot.cpp).
    void EnterCallShotMode(int nGameType, DWORD dwReturnMode) override;
    /// The corner panels, the side bars and the control bar's tip give the table to the shot.
    void HideStrokeWidgets() override;
    void AcquireMouse() override;
    CMainFrame* GetMainFrame() override { return this; }
    /// The aiming aid re-simulates the aimed shot from the resting table (when it is switched on).
    void UpdateAimPreview();
    /// After an aim change (bArm) and on the ticks after it: the aiming aid is re-simulated once,
    /// a little after the aim stopped changing.
    void ThrottleAimPreview(BOOL bArm);
    /// Whether the aiming aid shows the current aim's re-simulation.
    BOOL IsAimPreviewShown() const { return m_bAimPreviewShown; }
    void ResetReferee(int nGameType);
    void ResetShotState();
    int GetGameType() const;
    int GetBallCount() const;
    BOOL IsCurrentPlayerRemote() const;
    /// Masks the settings by what the game allows; bKeepFirstLevel keeps player 1's level.
    void PrepareSettingsForGame(BOOL bKeepFirstLevel);
    /// Who breaks: player 1 against the computer, else as the clock falls.
    void ChooseFirstPlayer();
    /// A new game from the settings: referee, players, the first rack and the first turn.
    BOOL SetupGame();
    /// After the start screen: a new game when it ended with play, else the dialogs' changes
    /// applied to the game that goes on in dwSavedMode (old: the settings before the dialogs).
    void BeginNewGame(const CSettings& old, DWORD dwSavedMode);
    /// A changed game type or opponent applied to the game on the table: its referee and rack,
    /// the players' levels and names, the commentary.
    void ApplyPlayerSettings(const CSettings& old);
    /// The start screen, run in the modal mode; TRUE when it ended with OK (play).
    BOOL RunStartScreen();
    /// The ball set and colour table of the game's variant ("bonus", "american", a plug-in game's
    /// own, else "standard"; "standard" when the variant has no set); FALSE when none is found.
    BOOL SelectVariant();
    /// SelectVariant when the variant in use is not the game's; TRUE when it already is.
    BOOL UpdateVariant();

    // Saved games (FrameSaves.cpp).
    /// The live game into a snapshot, its settings held to what a saved game can carry.
    void FillSavedGame(CSavedGame& save);
    /// The live game written to a file; 0 with the reason when it is not.
    BOOL SaveGameTo(const CString& strPath, CString& strReason);
    /// The game of a saved file resumed; 0 with the reason, the game unchanged, when the file is
    /// refused or holds a game that cannot go on.
    BOOL RestoreGame(const CString& strPath, CString& strReason);
    /// The game kept as "lastgame" in the saved-games folder resumed; when it cannot be, the error
    /// box says so and the settings are saved with the game type of the game set up instead.
    bool ResumeLastGame();
    /// Whether a game can be saved or loaded now: one on the screen and nothing running.
    bool CanSaveOrLoad() const;
    /// The live game saved as, or a game loaded from, a file of the saved-games folder; the error
    /// box names the file and the reason when it cannot be.
    BOOL SaveOrLoadNamed(BOOL bSave, const CString& strFileName);
    void OnFileSave();
    void OnFileOpen();
    void OnUpdateSavedGames(CCmdUI* pCmdUI);

    /// Plays one of the game's effects by its resource id at a scene position; an effect that did
    /// not load sounds nothing.
    void PlayGameSound(int nId, const CVector3& vAt);
    /// The sound system's slot of one of the game's effects; -1 when it did not load.
    int GetGameSoundSlot(int nId) const;
    /// The sound of a collision (kind 1 cushion, 2 ball on ball, by level) or a drop (kind 3) at a
    /// scene position; other kinds sound nothing.
    void PlayEventSound(int nKind, float x, float y, float z, int nLevel);
    /// In the bonus game, a ball-on-ball or kind-5 event may add one of the bonus sounds.
    void PlayRandomEventSound(int nKind, float x, float y, float z);

    // The 3-D environment (FrameEnvironment.cpp).
    /// The framework, the device and its objects for the window; 0 or the failure.
    HRESULT Create3DEnvironment(HWND hWnd);
    /// The framework and device objects for the selected device, the first software device when a
    /// hardware one fails.
    HRESULT Init3DEnvironment(HWND hWnd);
    /// Everything rebuilt for the window as it now is (placed first); a failure is shown and
    /// destroys the window.
    HRESULT Change3DEnvironment(HWND hWnd);
    void Cleanup3DEnvironment();
    /// Makes the driver, device and mode the settings name current; a name not found keeps what
    /// was chosen.
    void SelectDeviceFromSettings();
    /// Whether the window is full screen now: it covers the whole screen.
    bool IsFullScreenNow() const;
    /// One frame: the scene's animation, the drawing, the hand-over to the display, the clearing.
    HRESULT Render3DFrame();
    CD3DFramework* GetFramework() const { return m_pFramework.get(); }
    CBallPainter& GetBallPainter() { return g_BallPainter; }
    CSceneAnimation& GetSceneAnimation() { return m_sceneAnimation; }
    const std::vector<std::unique_ptr<CParticleSystem>>& GetSpriteEffects() const { return m_apSpriteEffects; }
    /// Paints the scene's objects and the panels into the scene begun, in the scene plan's order;
    /// nFlags 3 when the view is the last frame's, else 0 (FrameHud.cpp).
    void DrawScene(int nFlags);
    /// The particle effects moved with the struck ball, advanced to now and drawn (by the
    /// "Particles" level: the sparkles from 3, the rest from 2).
    void DrawEffects();
    // The painter's 3-D steps (FrameScenePainter.cpp).
    /// The room's objects before the table's order (with the clock's hands) or after it.
    void DrawScenePass(EScenePass pass, bool bSplit);
    /// The objects' own lamps by "AdvancedLighting": on for the enabled objects with it; without
    /// it none, and the enabled objects in one light grey of their own instead.
    void LightSceneObjects();
    /// Without "AdvancedLighting", every object's grey back to its own after the frame.
    void RestoreObjectColours();
    /// The table's sides behind the balls (bFar) or in front of them for the camera's heading.
    void DrawTableSides(bool bFar);
    /// The balls of one place (on the cloth, in the jaws, off the table), farthest first, while the
    /// camera is not below the table; nFlags 3 when the view is the last frame's.
    void DrawBallGroup(EBallPlace place, int nFlags);
    /// The balls of a set split around the trophy, drawn as a group; bFirst: the first balls of the
    /// frame, under which a ball taken up casts its shadow.
    void DrawBallSet(std::span<const int> set, bool bFirst, int nFlags);
    /// The balls gathered in m_aBallGroup, their shadows first, in the balls' raised ambient light.
    void DrawGatheredBalls(bool bFirst, int nFlags);
    /// The trophy while it shows the player's medal: enabled, with a trophy of 1 to 3; else null.
    CSceneObject* GetShownTrophy() const;
    /// The camera heading that looks from the table's middle towards the trophy.
    float GetTrophyHeading(const CSceneObject& trophy) const;
    /// Whether this frame draws the balls split around the trophy: it is shown, its heading is not
    /// the camera's, the view is neither kept nor the call of a shot, and the wide view is off.
    bool IsBallSplitByTrophy() const;
    /// Whether a ball at vBall shows in front of the object, by the sight line from the eye.
    bool IsBallBeforeObject(const CVector3& vBall, const CSceneObject& object) const;
    /// The balls behind the trophy and in front of it for the camera as it stands.
    void SplitBallsAroundTrophy(SBallSplit& split) const;
    /// The trophy with the player's medal, set while it is player 1's turn.
    void DrawTrophy();
    /// The table's watermark object.
    void DrawWatermarkObject();
    /// Whether the camera stands no lower than 0.1 below the cloth.
    bool IsCameraAboveTable() const;
    /// The ball's shadow from the lamp over the table on the plane at fLevel (nFlags 1: only while
    /// the ball option is on); 0 without an object.
    int ApplyObjectMaterial(CBallSceneObject* pObject, float fLevel, int nFlags);
    /// The shadow of every ball on the table brought up to date.
    void RefreshBallObjects();
    /// The plane a ball's shadow falls on: the cloth, or the floor once the ball has left the table.
    float ShadowLevel(int nBall) const;
    /// The shadows of the ball group being drawn, under the balls.
    void DrawBallShadows();
    CRackScene& GetTableScene() { return m_rackScene; }
    /// Builds the game's scene from the scene text: its objects, the clips their lines name, the
    /// room's clock handed to the animation, the ball objects' meshes; FALSE when the scene cannot
    /// be built.
    BOOL SetUpGameScene();
    /// The sixteen ball objects take the ball mesh, the lamps of the scene's balls' line and their
    /// faces; the ball option follows the settings.
    void BuildBallObjects();
    /// The room's lamps: the scene text's (or, without light lines, the fourteen built-in ones), then
    /// those the lights' ini keeps in their place; an ini without any keeps these. When no lamp is
    /// left on, the two default lights.
    void SetUpLights();
    /// Between the scene's named lamps (nMode not 0: the first of the fourteen named ones found
    /// gets the grey 0x59) and the two default lights (nMode 0); nothing when the lighting is
    /// already nMode and bForce is clear. The lighting is kept in the settings.
    void CreateDefaultLights(int nMode, BOOL bForce);
    /// Whether the device lights the scene (it reports its lighting capabilities); true without one.
    bool DeviceLights() const;
    /// Adds the clip of the artwork folder to the clip list, drawn into the texture from its first
    /// frame: its index in the list, -1 when it does not open.
    int AddTextureClip(const CString& strClip, const CString& strTexture, int nLevel, int nStillFrame);
    /// The table's object of the scene shown (null before it is built): what the animation's
    /// floating object and other points on the table are placed relative to.
    CSceneObject* GetTableObject() const { return m_rackScene.GetTable(); }
    /// Paints the steps of a plan in its order (DrawScene paints the frame's whole plan).
    void PaintScenePlan(const SScenePlan& plan, int nFlags);

    // The heads-up display, the frame painter and the panel loader (FrameHud.cpp).
    /// Makes the panel widgets from the artwork libraries' pictures; FALSE, after the error box,
    /// when the scene text's objects or table cannot be read (the game start then quits with 7).
    BOOL LoadPanels();
    /// The area the display is laid out in: the rendered view, else the client area.
    void GetPanelRect(RECT& rc) const;
    /// The area of the score panels: the control bar's, at the bottom centre of the view; the view's
    /// own without the bar.
    RECT GetScoreArea() const;
    /// Fills the panel band at the bottom of the view black (nothing while its height is 0).
    void ClearPanel();
    CString GetMatchTitle(BOOL bTitleFlag) const;
    /// The match title is painted again at its next drawing.
    void SetTitleDirty();
    CFrameHud& GetHud();
    /// A rule plug-in game's score panels, painted by its game object: the first player's at the
    /// area's lower left, the second's in a match at its lower right, each with the ball icon the
    /// game asks for.
    void DrawPluginScorePanels(CPluginGame& game, const RECT& rcArea);
    /// Releases the display's panel surfaces with the device's objects.
    void ReleaseHud();
    /// Routes this frame's mouse to the widgets; true when one is under the cursor.
    bool RouteMouseToWidgets() override;
    /// The routing with or without the right button's presses and releases (Tab's cursor mode
    /// hands the widgets only the left button); the arrow shows over a panel.
    bool RouteMouse(bool bRightButtons);

    // The in-game panels as the game goes (FramePanels.cpp).
    /// The pause's panels: the menu panel (the light editor's second panel) with the paused picture,
    /// or, ended, both hidden with the click panels.
    void ShowPausePanel(bool bShow) override;
    /// The paused picture over the waiting game: always over the 3-D view; on the overhead view's
    /// panel only while the computer plays or a shot rolls.
    void ShowWaitHint();
    /// A settings preview ended by its key: the flag cleared and the new-game question asked.
    void EndSettingsPreview() override;
    /// The texts a game of the start's game type opens with: the greeting of a match's first player
    /// and, once a run, the hint to use the mouse, which stays until a click.
    void AnnounceGame(int nStartType);
    /// The on-screen texts stepped in the panel's area; a click may end one that allows it.
    void StepTexts(bool bDismiss) override;
    /// The control bar shows the cue as it is: its power, its english, whose turn, the computer's
    /// skill.
    void SyncControlBar();
    /// The on or off state of a panel toggle: 10 full screen, 12 a fixed camera, 13 the music,
    /// 14 the first aiming aid, 15 the head string, 16 the specular pass, 17 the room's detail; any
    /// other item 0.
    int GetPanelItemState(int nItem) const;

    /// What the command rules read now.
    SCommandState GetCommandState() const;
    /// The option word (OPTION_ bits) and the music word (MUSIC_WORD_ON).
    DWORD GetOptionWord() const { return m_dwOptionWord; }
    DWORD GetMusicWord() const { return m_dwMusicWord; }
    /// The speed factor of the faster and slower commands, within [0.125, 4].
    double GetSpeedFactor() const { return m_dSpeedFactor; }
    /// Applies what changed in the settings against the copy taken before the change.
    void ApplySettingsChange(const CSettings& old);
    void ApplyDisplaySettings(const CSettings& old);
    /// A changed "Ad Display enable" makes the environment again (no advertisement is ever shown).
    void ApplyAdSetting(const CSettings& old);
    void ApplySoundSettings(const CSettings& old);
    void ApplyMusicSettings(const CSettings& old);
    void ApplyAimingAid();
    /// The balls' textures read again from the game's ball set; each ball is painted anew.
    void ReloadBallTextures();
    /// Every clip of the clip list brought to the "AnimTV" setting on the device's textures.
    void UpdateClipTextures(CDirect3DDevice* pDevice);
    /// Test seam: replaces the 3-D environment's change for the window (null puts the real one back).
    static void SetEnvironmentChangeForTests(std::function<BOOL()> fnChange);

    // The intro's lamp sequence (FrameIntro.cpp).
    /// Whether a game of the type opens with the intro: not the direct-aim and resumed types, and
    /// only with the lighting it needs.
    static bool OpensWithIntro(int nGameType);
    void StartIntro();
    /// The frame's painting: the intro's step while it runs, else DrawScene.
    void PaintFrame(int nFlags);
    void BringIntroWindowToFront() override;
    void DrawIntroPanels() override;
    void BeginPlayAfterIntro() override;

    // The menu loop and the banner's text list (FrameInterface.cpp).
    /// Lays the text list out in the banner rectangle of the area with no selection, filled again
    /// from the banner's texts broken for its new width, and scrolled to its end.
    void LayOutSkinList(const RECT& rcArea);
    /// The input line on the lowest strip of the client area's banner rectangle, in its own look.
    BOOL CreateInputLine();
    CSkinList& GetSkinList() { return g_BannerList; }
    /// The texts the banner's list holds, whole: each refill breaks them into lines again.
    CStringArray& GetBannerTexts() { return m_astrBannerTexts; }

    // The keyboard and mouse of the game flow (FrameInput.cpp).
    void ReadFlowInput(SFlowInput& input) override;
    bool HasFocus() override;
    void Beep() override;
    /// The player may command the game: not in a competition of kind 2, not closing, a person's
    /// turn; a refusal beeps.
    bool CanAcceptCommand() override;
    /// Free placement of a ball, under the same rule (silently refused); the cue shows.
    void OnPanelAction();
    /// Key G: the "DrawLevel" switch flipped, saved and applied to the scene.
    void ToggleDrawLevel() override;
    /// The "DrawLevel" switch on or off, saved and applied to the scene at once.
    void SetDrawLevelSwitch(bool bOn);
    /// The cursor confined to the view and shown or hidden as the game mode asks (FrameCursor.cpp).
    void ClipCursorToView() override;
    /// The links of the room under the cursor: the hand over one, the opener on a click
    /// (FrameLinks.cpp).
    void HandleLinks() override;
    /// Tab's cursor mode: the cursor free and shown, the links under it (FrameLinks.cpp).
    void HandleMenuScreenMouse() override;
    /// The cursor mode's end: the cursor confined again by the mode (FrameLinks.cpp).
    void HideHoverWidgets() override;
    /// Each link's rectangle on the screen from the scene object that carries it.
    void UpdateLinkRects();
    /// The cursor as the mode asks, or with pGiven its capture and show (FrameCursor.cpp).
    void ConfineCursor(const SCursorState* pGiven);

    // Ball in hand and free placement: the ball dragger over the table (FramePlacement.cpp).
    void BeginBallDrag(int nBall, bool bBallInHand, bool bAnywhere) override;
    bool IsBallDragging() override;
    void DragBall(float dx, float dy) override;
    bool DropBall() override;
    void CancelBallDrag() override;
    int HighlightBall() override;

    // The table set and the links (FrameTable.cpp).
    /// The table's parts take the meshes the table set names for their kinds, from its library
    /// first; a part the set names no mesh for, or whose mesh cannot be read, keeps its own. FALSE
    /// when no part took one.
    BOOL BuildTableObjects(const CTableSetEntry& entry);
    /// The table set of that number (the first for a number no set has) selected and, once the
    /// scene is built, on the table.
    void SelectTableSet(int nTableNumber);
    /// Every object that carries a link shows the link's picture, in the picture's proportions.
    void ApplyLinkNames();

    // The views (FrameViews.cpp).
    /// 1.333 over the window's width-to-height ratio, times 0.7: the width a zooming flight moves
    /// the view towards.
    float GetViewWidthFactor() override;
    /// The first value of the box the camera object is kept in.
    void SetCameraBoundsFirst(float fValue) override;
    /// The window minimised, as the system's close of a frame does.
    void MinimizeWindow();

    // The shot replay (Replay.cpp).
    /// Unless a replay runs, the replay of the last shot, returning to the current mode.
    void StartReplay();
    CReplay& GetReplay();

protected:
    HRESULT InitDeviceObjects(CDirect3DDevice* pDevice, CDirect3DViewport* pViewport);
    void DeleteDeviceObjects();
    void FinalCleanup();
    /// The scene's animation by the time since the last frame.
    HRESULT RenderFrame();
    HRESULT DrawScene(CDirect3DDevice* pDevice, CDirect3DViewport* pViewport, const RECT* pRect);

    int OnCreate(CREATESTRUCT* pcs);
    LRESULT OnInitGameMsg(WPARAM wParam, LPARAM lParam);
    /// The flow's match-progress message: the game type's continuation after a decided rack.
    LRESULT OnShotOutcome(WPARAM wParam, LPARAM lParam);
    /// The flow's call-the-shot message: game type and the mode to return to.
    LRESULT OnEnterCallShotMsg(WPARAM wParam, LPARAM lParam);
    /// A resumed game's call: calling again (dwMode modeCallShot) with what was called, else the
    /// call made before kept while the resumed mode is entered.
    void ResumeCall(DWORD dwMode, int nBall, int nPocket);
    /// The shot record's planned shot made the call, finished and shown (the recommended shot).
    void CallTheRecordedShot() override;
    /// Whether eight-ball's referee lets the player call the shot now (the final ball is on).
    bool IsCallingAllowed() const;
    /// The debug log's lines, once a call's first frame is drawn, of where a click calls a ball or
    /// a pocket.
    void NoteCallTargets();
    /// The flow's end of a match.
    LRESULT OnNewGameQuestion2(WPARAM wParam, LPARAM lParam);
    BOOL InitGame();
    /// The option word's display and aiming-aid bits from the settings, as the game starts.
    void SetOptionsFromSettings();
    void LoadGameSounds();
    void OnClose();
    LRESULT OnCloseNow(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    /// A plug-in game's referees and game object released, before its library can go.
    void ReleasePluginGame();
    void OnPaint();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnKillFocus(CWnd* pNewWnd);
    /// What the mouse holds lets go: the widgets' presses and drags, the power control, the cue
    /// drawn back (at rest again).
    void ReleaseMouseHolds();
    void OnSetFocus(CWnd* pOldWnd);
    void OnActivateApp(BOOL bActive, DWORD dwThreadId);

    // Commands and private messages (FrameCommands.cpp).
    static const SMessageMap* GetCommandMap();
    void OnUpdateRuledCommand(CCmdUI* pCmdUI);
    /// The check of a switch of the menu: full screen, overhead view, head line, ball path, short
    /// path, music.
    void OnUpdateToggle(CCmdUI* pCmdUI);
    /// The tutorial's item: only with the teacher option.
    void OnUpdateOpenTutorial(CCmdUI* pCmdUI);
    /// The players' statistics over the game, in the modal mode.
    void OnStatisticsDialog();
    void OnUpdateTurnFlight(CCmdUI* pCmdUI);
    void OnNothing() {}
    void OnShowRules();
    void OnFileNew();
    void OnStopAction();
    void OnToggleFullScreen();
    void OnPhysicsDialog();
    void OnRestartRack();
    void OnToggleOverheadView();
    void OnSyncViewRecord();
    void OnToggleHeadLine();
    void OnCallShot();
    void OnPassTurn();
    /// The aiming aid turned on or off ("BallPath1"; never in competition type 2), restarted when
    /// it comes on; the settings are saved either way.
    void ToggleAimingAid();
    /// The aiming aid on or off: the option bit, "BallPath1" and the game's switch together.
    void SetAimingAid(bool bOn);
    void OnToggleShortPath();
    void OnComputerStroke();
    void OnStopPlayback();
    void OnExitGame();
    /// The are-you-sure question of leaving the game in its skin (a plain box when it has none);
    /// IDOK to leave.
    int AskToLeave();
    void OnCallShotMode();
    void OnReplay();
    void OnToggleOption4();
    void OnResetCamera();
    void OnSetupDialog();
    void OnNewGame();
    void OnSetupCommand();
    void OnSlower();
    void OnFaster();
    void OnToggleMusic();
    void OnOpenTutorial();
    void OnDeveloperLevel0();
    void OnDeveloperLevel1();
    void OnDeveloperLevel2();
    void OnDeveloperLevel3();
    void OnDeveloperLevel4();
    void OnDeveloperLevel5();
    void OnDeveloperLevel6();
    void OnDeveloperLevel7();
    void OnDeveloperLevel8();
    void OnDeveloperLevel9();
    void OnTimer(UINT_PTR nIDEvent);
    void OnMove(UINT nType, int x, int y);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTextInputKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnNewGameQuestion(WPARAM wParam, LPARAM lParam);
    /// The new-game question (its background picture nQuestion); on yes the start dialog, and on
    /// its OK a new game from the settings. TRUE when a new game was set up.
    BOOL AskForNewGame(int nQuestion);
    LRESULT OnOutcomeDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnMusicNotifyMsg(WPARAM wParam, LPARAM lParam);
    /// The least size a drag gives the window: what a 640 by 480 client area needs.
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    /// TRUE, the cursor left as the game set it, in the modes that own the cursor and while paused.
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnterMenuLoop(WPARAM wParam, LPARAM lParam);
    /// Nowhere until the window is ready, else the framework's answer (the client area, the menu bar).
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitMenuLoop(WPARAM wParam, LPARAM lParam);

private:
    std::unique_ptr<CGameFlow> MakeGameFlow();
    /// The call-the-shot state made anew: the preset kind keeps nBall and nPocket as the saved call.
    CCallShotState& ReplaceCallState(bool bPreset, int nBall, int nPocket);
    /// The camera's view, then the frame when the environment is ready.
    void DrawFrame();
    /// The cursor's position handed to the cursor manager, which draws it in full screen.
    void DrawSoftwareCursor();
    void SetUpRenderStates(CDirect3DDevice& device);
    void SetUpLamps(CDirect3DDevice* pDevice);
    /// Tells the widgets, the scene objects and the messages about the new device and panel.
    void SetUpPanels();
    void ClearViewport();
    bool IsComputerToPlay() const;
    /// The view the rack is aimed from kept as each player's own, to come back to.
    void KeepViewForBothPlayers();
    /// The first turn of a new game: the computer's, aiming at once, or a flight to ball in hand.
    void StartPlay();
    /// A person's game after the intro: the camera flies to the default view over the table, and
    /// ball in hand begins at the flight's end.
    void FlyToTableAfterIntro();
    /// A person's game after the intro with the top view chosen in the settings: the camera flies
    /// from where it stands (kept as the player's own view) to the top view, held there from its
    /// landing, and ball in hand begins.
    void EnterPlayView();
    /// The computer's first turn after the intro with the top view chosen in the settings: the
    /// camera is held at the top view, where its turn's flight ends.
    void HoldTopViewForComputer();
    CString GetVariantName() const;
    /// The debug log's line for each shot struck and each shot judged.
    void NoteShotProgress();
    /// The balls of the table scene where the live engine has them.
    void PlaceBallObjects();
    /// The view through the game flow's camera once the flow has placed it; FALSE, the view left
    /// alone, before that.
    BOOL ViewFromFlowCamera();
    /// The aiming aid's engine and the queued engine start their workers.
    static void StartAimingAid();
    /// The bonus game's own felt colour, or the player's colour back after it.
    void ApplyFeltColour();
    /// The felt textures made again in the settings' table colour (FrameScene.cpp).
    void ReloadFelt();
    /// The options a saved game carries put back into the settings and the flow.
    void RestoreSavedOptions(const SSavedSettings& saved);
    /// The saved-games dialog inside the modal mode, then the save or load of the file chosen.
    void RunSavedGamesDialog(BOOL bSave);
    /// The debug log's line each time the game comes to rest where it can be saved or loaded.
    void NoteSavesOpen();

    // Helpers of the new game (FrameNewGame.cpp).
    /// The changes of each dialog that ended with OK.
    void ApplyDialogResults(const CSettings& old);
    /// The game interrupted by the start screen goes on in its mode, the computer's turn restarted
    /// or handed to a person.
    void ResumeInterruptedGame(DWORD dwSavedMode, bool bComputerWasPlaying);

    // The stroke's mouse controls (FrameMouseControls.cpp).
    /// The control bar's english marker (code 57 across, 58 down, lParam its offset in pixels)
    /// sets the cue tip's offset on the ball.
    void FineAim(int nCode, LPARAM lParam);
    /// The mouse area's presses, drags and releases (codes 61 to 66) in the overhead view.
    void OnMouseAreaCommand(int nCode);
    /// A press near the cue on the screen takes the power control: the left one to aim by drags,
    /// the right one to draw the cue back.
    void TakePowerControl(bool bLeft);
    /// The drag's end: the power control and the bar's lock let go.
    void ReleasePowerControl();
    void AimByMouse();
    void DrawCueBack();
    /// The release of the drawn-back cue strikes when it is drawn back far enough.
    void StrikeByPowerControl();
    int CueBallNumber() const;
    /// The cue ball on the screen; false when it is off the table or behind the camera.
    bool ProjectCueBall(CVector3& vScreen) const;
    bool IsNearCueOnScreen(POINT ptCursor);
    /// The demo rack (code 40): aiming in the light-editing mode on the table as it stands.
    void StartDemoRack();
    bool m_bPowerControlActive = false;
    POINT m_ptLastAimCursor{-1, -1};

    // Helpers of the commands (FrameCommands.cpp).
    /// The rack just set up presented by a tour round the table, into the turn.
    void PresentRack();
    /// The top view above the middle of the table, the cue as it is aimed.
    CViewRecord GetOverheadView() const;
    /// The player's view and the top view swapped with a camera flight; the setting follows.
    void ToggleOverheadView();
    /// The control bar's press released and the pause picture (the mode's hint) hidden, as after
    /// every dialog and menu.
    void ReleasePanelControls();
    bool IsRuleMetOrRefuse(ECommandRule eRule);
    void PlayRefusedSound();
    void DeveloperLevel(int nLevel);
    void StopShot();
    /// Makes the environment again for the whole screen (1) or for a window of the frame's size
    /// centred on the screen (0); quits with 10 when it cannot be made. "FullScreen" then tells
    /// what the window is.
    void SwitchScreenMode(int nFullScreen);
    /// The rules card of the game type, for the types that have one.
    void ShowRulesCard();
    void ApplyPanelSetting(int& nField, int nValue);
    void KeepWindowPlacement();
    BOOL ChangeEnvironmentForWindow();

    /// The environment made again on the driver, device and mode the settings name, full screen
    /// or in a window as "FullScreen" says; FALSE when it cannot be made.
    BOOL ChangeToTheSettingsDisplay();
    /// Opens the sound device, loads the effects, starts speech and names the music's window.
    void StartSound();
    /// The keyboard and the mouse, with the buffer sizes the game reads.
    void CreateInputDevices();
    /// Sound volume and mute from the settings; the music when it is switched on.
    void ApplySoundSettings();
    /// The devices' state and the events since the last frame.
    static void ReadInputDevices();

    /// Built with the frame: its construction opens the sound library.
    CSoundSystem m_Sound;
    /// The speech object and the on-screen messages talk to each other while the frame lives.
    CFrameSpeechLink m_SpeechLink{g_Speech, g_TextMessages};
    CString m_strModeHint;
    /// The ball under the cursor when a person chooses the ball to strike.
    CHoverPicker m_BallPicker;
    /// The slot of each of the game's effects (-1 when it did not load), the bonus sounds' slots
    /// and the three ball-animation sounds' slots.
    std::vector<int> m_anGameSounds;
    std::vector<int> m_anBonusSounds;
    std::array<int, 3> m_anBallAnimSounds{-1, -1, -1};
    /// Where the sound listener was last put (scene units): unmoved cameras leave it alone.
    CVector3 m_vListenerAt;
    CVector3 m_vListenerFront{0.0f, 0.0f, 1.0f};
    std::unique_ptr<CGameFlow> m_pGameFlow;
    BOOL m_bGameInProgress = FALSE;
    BOOL m_bShotWasRunning = FALSE;
    /// A rack's outcome is being handled: a resize meanwhile does not rebuild the scene under it,
    /// and no refusal sounds over its dialogs.
    BOOL m_bOutcomePending = FALSE;
    bool m_bSavesWereOpen = false;
    int m_nSavedFeltColour = 0;
    /// The aiming aid's throttle: armed by an aim change, started when the change stops, done once.
    /// Nothing is pending until the first change.
    BOOL m_bAimPreviewArmed = FALSE;
    BOOL m_bAimPreviewDone = TRUE;
    DWORD m_dwAimPreviewStart = 0;
    BOOL m_bAimPreviewShown = FALSE;
    BOOL m_bSavedScreenSaver = TRUE;
    std::unique_ptr<CD3DFramework> m_pFramework;
    CRackScene m_rackScene;               // the game's scene, built at the game's start
    std::vector<SSceneBall> m_aBallGroup; // the balls of the group being drawn, kept to reuse
    CSceneAnimation m_sceneAnimation;
    /// The lamps' manager: lamps found, made and set by name and line, kept in the lights' ini.
    CLightSource m_LightSource;
    std::vector<std::unique_ptr<CParticleSystem>> m_apSpriteEffects;
    std::shared_ptr<CDirect3DMaterial> m_pMaterial;
    DWORD m_dwLastFrameTime = 0; // timeGetTime of the last frame's animation
    BOOL m_bGameStarted = FALSE;
    BOOL m_bClosing = FALSE;
    BOOL m_bWindowActive = FALSE;
    bool m_bStartScreenOpen = false; // the start screen runs: activation leaves music and cursor alone
    /// The exit command's start: the tick renders for 2000 ms, then closes (0 while no exit runs).
    BOOL m_bExitInProgress = FALSE;
    DWORD m_dwExitStamp = 0;
    /// The game-mode word kept while the window has no focus, and whether one was kept.
    DWORD m_dwSavedMode = 0;
    BOOL m_bModeSaved = FALSE;
    DWORD m_dwOptionWord = OPTION_INITIAL;
    DWORD m_dwMusicWord = 0;
    double m_dSpeedFactor = 1.0;
    /// The scene's detail levels, one line each, read when the window is created.
    CStringArray m_astrLevels;
    CStringArray m_astrBannerTexts;

    // The display's painters (FrameHud.cpp).
    void LoadPanelWidgets(const RECT& rcClient);
    void DrawMatchTitle();
    bool PaintTitle(const CString& strTitle);
    SBannerState GetBannerState() const;
    void DrawTurnBanner();
    void DrawPocketedRow();
    void PaintBanner(const CString& strText);
    void DrawGamePanels(const RECT& rcArea);
    void DrawScorePanels(const RECT& rcArea);
    void DrawScorePanel(const CPlayer& player, bool bCurrent, const RECT& rcPanel);
    /// One player's panel painted by the plug-in (made again once when it asks for a larger one);
    /// false when it could not be painted. nBall: the icon's ball the plug-in asked for.
    bool PaintPluginScorePanel(CPluginGame& game, int nPlayer, int& nBall);
    bool CallPluginPainter(CPluginGame& game, CDirectDrawSurface& surface, SIZE size, bool bNew, int nPlayer,
                           const CPlayer& player, SPluginScorePanel& panel);
    void DrawLightLabel();
    void DrawBallLabel();
    /// The ball the cursor lies over in the view; -1 none.
    int BallUnderCursor() const;
    void DrawCalledPocket();
    /// The predicted paths of the aimed shot, from the aiming aid's recorded tracks; in the
    /// overhead view the cue ball's icon where the first drawn ball first touches another.
    void DrawAimingPaths();
    /// The paths' lines and end marks; false without a context. vContact: the first drawn ball's
    /// first contact with another ball (scene units), when it has one (the result then true).
    bool DrawPathLines(CVector3& vContact);
    /// Whether the predicted paths are shown this frame (the aiming aid's balls not read yet).
    bool AimingPathsWanted() const;
    /// Whether the marks at the paths' ends are lit; they blink.
    bool PathMarksLit();
    void DrawWatermark(int nFlags);
    /// The watermark's picture by the player's trophy: leaves for silver, stars for gold, the plain
    /// mark otherwise; given to it only when it changes.
    void ShowTrophyWatermark();
    /// The frame's end: the lit lamps take back their settings from before the frame's flicker.
    void RestoreLamps();
    void DrawHeadString();
    void DrawFrameRate();
    /// Counts a frame of a timing run and adds a sample of its rate at the statistic's interval.
    void CountTimingFrame();
    void DrawTimingText();
    bool StartFrameRate();
    void PaintFrameRateNumber();
    void DrawTextMessage();
    /// The mode's one-line help and the respot notice under the turn banner.
    void DrawNotices();
    void DrawBallIcon(int nSlot, int nBall, LONG x, LONG y, const float afAngles[3], float fDiameter);
    void PaintSceneStep(ESceneStep step, int nFlags);
    /// The frame's field of view: wide while X is held (not in a mouse stroke), in the top view and
    /// while a shot is called, with the object that would crowd it hidden; else the playing view.
    /// Returns the painter's flags, cleared when the view changed (FrameViews.cpp).
    int ApplyWideView(int nFlags);
    void DrawPanelWidget();
    void DrawWidgets();
    std::shared_ptr<CFrameHud> m_pHud; // made at first use
    std::unique_ptr<CFlowReplayHost> m_pReplayHost;
    std::unique_ptr<CReplay> m_pReplay; // made at first use, over the game flow
    CFrameCueScene& FrameCueScene();
    std::shared_ptr<CFrameCueScene> m_pCueScene; // made at first use
    std::unique_ptr<CSceneObject> m_pPocketArrow;

    // Calling the shot (FrameCallShot.cpp).
    std::shared_ptr<CFrameCallShotHost> m_pCallShotHost; // made at the first call
    /// Links under the cursor: the hand over one (over one without a target only with
    /// bHandWithoutTarget), the opener on a click.
    void PassLinks(bool bHandWithoutTarget);
    /// Tab's cursor mode placed the cursor.
    bool m_bCursorMode = false;
    bool m_bWideViewKey = false; // X held at the last frame's wide-view step
    // Ball in hand and free placement (FramePlacement.cpp).
    CFramePlacement& Placement();
    /// The cursor put on a ball taken up, as the view of this frame shows it.
    void KeepCursorOnLiftedBall();
    std::shared_ptr<CFramePlacement> m_pPlacement; // made at the first drag
};
