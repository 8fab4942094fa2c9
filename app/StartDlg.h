// The start screen: the player picks one of six game types, or a game of the rule plug-ins
// installed, and one of three kinds of match, then plays, opens the options or leaves. It ends the
// splash screen when it opens, shows the trophies won per game type and an optional link read from
// the program's registry key.
//
// Results of its run: IDOK (1) play or resume; START_LEAVE (666) leave, the main window asked to
// close; IDCANCEL (2) Escape, after the leave steps; also IDCANCEL on a screen smaller than 800 by
// 600, after the box that says so and a quit request with code 0.
#pragma once

#include "ui/HotButton.h"
#include "ui/HoverButton.h"
#include "ui/LabelStatic.h"
#include "ui/SkinDialog.h"

#include <array>
#include <vector>

inline constexpr int IDD_START = 168;
inline constexpr int START_LEAVE = 666;
/// The start screen's background picture ("_DATA").
inline constexpr int IDB_START_BACKGROUND = 166;

/// One game-type row: its type, picture, button looks (base normal, base + 1 selected, base + 2
/// pressed), button, and the places of the button and of its trophies, in dialog pixels.
struct SStartGameRow
{
    int nGameType;
    UINT nPicture;
    UINT nButtonBase;
    int nButtonId;
    POINT ptButton;
    POINT ptTrophy;
};
inline constexpr std::array<SStartGameRow, 6> START_GAME_ROWS = {{{18, 629, 850, 1116, {56, 222}, {257, 228}},
                                                                  {17, 594, 854, 1117, {555, 320}, {533, 326}},
                                                                  {8, 383, 858, 1118, {56, 125}, {257, 131}},
                                                                  {9, 384, 862, 1119, {555, 222}, {533, 228}},
                                                                  {16, 593, 866, 1120, {56, 320}, {257, 326}},
                                                                  {3, 382, 870, 1121, {555, 125}, {533, 131}}}};

/// Runs the start screen over the window; its result. A screen that cannot be made says which
/// resource is missing and gives -1.
INT_PTR RunStartDialog(CWnd* pParent);
/// The row of a game type, -1 for a type outside the six.
int StartRowOfGameType(int nGameType);
/// The game type after nGameType among the plug-ins' game types (each once, in the plug-ins'
/// order), wrapping round; the first for a type that is none of them; 0 when there is none.
int NextPluginGameType(int nGameType, const std::vector<int>& anTypes);
/// The trophy a set of six per-type values earns: 3 when every type holds the third trophy, else 2
/// for the second, else 1 for the first, else 0. Values outside 0 to 7 count as 0.
int StartTrophyEarned(const int (&anTrophies)[6]);

class CStartDlg : public CSkinDialog
{
public:
    enum EMatchKind
    {
        MatchPractice = 0,
        MatchComputer = 1,
        MatchTwoPlayers = 2
    };
    /// Id and period of the default button's blink.
    static constexpr UINT_PTR BLINK_TIMER_ID = 150000;
    static constexpr UINT BLINK_PERIOD_MS = 250;

    explicit CStartDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    /// Enter: plays with the settings as they stand.
    void OnOK() override;
    /// Escape: the leave steps, then IDCANCEL.
    void OnCancel() override;
    /// The mouse over the dialog gives the hover looks, as the cursor does over a window.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetGameType(int nGameType);
    int GetMatchKind() const { return m_nMatchKind; }
    /// The row whose picture and description are shown now, -1 for none.
    int GetShownRow() const { return m_nShownRow; }
    bool IsBlinking() const { return m_nBlinkTimer != 0; }

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

protected:
    void OnTimer(UINT_PTR nIdEvent);
    LRESULT OnStopSplash(WPARAM, LPARAM);
    void OnCloseRunning();
    void OnResume();
    void OnOptions();
    void OnStatistics();
    /// The help dialog, then the system's cursor shown again.
    void OnHelp();
    /// F1: as the help button.
    LRESULT OnHelpKey(WPARAM, LPARAM);
    void OnLink();
    void OnLeave();
    void OnPlay();
    void OnPractice();
    void OnAgainstComputer();
    void OnTwoPlayers();
    void OnNothing() {}
    template <std::size_t ROW> void OnGameTypeRow() { SetGameType(START_GAME_ROWS[ROW].nGameType); }
    /// The next rule plug-in's game chosen, after the one chosen now (the first when none is).
    void OnMoreGames();

private:
    bool RefuseSmallScreen();
    void SetUpLink();
    void SetUpButtons();
    void SetUpTrophies();
    void PlaceControls();
    /// The three match-kind buttons: the current kind selected, the hovered one hot (-1: none).
    void DrawMatchKinds(int nHovered);
    void ShowRow(int nRow);
    /// The picture and the name of the rule plug-in's game of that type, in the places of a row's.
    void ShowPluginGame(int nGameType);
    void ChooseMatchKind(EMatchKind eKind);
    void RunLeaveSteps();
    void StartBlink();
    void StopBlink();
    void OnBlinkTimer();
    /// The control under a point of the client area among the ones that give hover looks; 0 for none.
    int HoveredControl(POINT pt) const;
    static bool IsGameInProgress();

    std::array<CImageWnd, 6> m_aTypeButtons;
    std::array<CImageWnd, 6> m_aTrophies;
    CImageWnd m_picture;
    CLabelStatic m_description;
    std::array<CImageWnd, 3> m_aMatchButtons;
    std::array<UINT, 3> m_anMatchLooks{}; // the look each match-kind button shows now
    CHoverButton m_play;
    CHoverButton m_leave;
    CHoverButton m_options;
    CHoverButton m_resume;
    CHoverButton m_close;
    CHoverButton m_statistics;
    CHoverButton m_link;
    CHoverButton m_moreGames;
    CHotButton m_help;
    int m_nMatchKind = MatchPractice;
    int m_nShownRow = -1;
    int m_nShownPlugin = 0; ///< the game type of the plug-in game shown, 0 for none
    UINT m_nShownDescription = 0;
    DWORD m_dwLastLinkMs = 0;
    bool m_bLinkClicked = false;
    UINT_PTR m_nBlinkTimer = 0;
    int m_nBlinkTicks = 0;
};
