// The options screen: a skinned dialog of image buttons that writes each choice into the live
// settings at once (aiming paths, match length, opponent level, camera view, volume and the hidden
// full-screen switch), saving most of them at once and all of them again on OK. There is no undo:
// Cancel keeps what was chosen. Callers run CSetupDlg(pParent).DoModal() and read the settings.
#pragma once

#include "ui/LabelStatic.h"
#include "ui/SkinDialog.h"

#include <array>

/// The option screen's controls.
enum ESetupControl : int
{
    IDC_SETUP_PATH1 = 1178,
    IDC_SETUP_PATH2 = 1179,
    IDC_SETUP_LEVEL1 = 1171,
    IDC_SETUP_LEVEL5 = 1172,
    IDC_SETUP_LEVEL9 = 1176,
    IDC_SETUP_GAMES = 1180,
    IDC_SETUP_VERSION = 1182,
    IDC_SETUP_GAMES_UP = 1181,
    IDC_SETUP_GAMES_DOWN = 1085,
    IDC_SETUP_FULLSCREEN = 1113,
    IDC_SETUP_OVERHEAD_ON = 1116,
    IDC_SETUP_OVERHEAD_OFF = 1170,
    IDC_SETUP_VOLUME = 1175,
};

class CSetupDlg : public CSkinDialog
{
public:
    explicit CSetupDlg(CWnd* pParent);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    /// Saves the settings, then ends with IDOK.
    void OnOK() override;
    /// A left-button release on the dialog's own surface chooses a volume step.
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    /// Where each path button stands in its cycle: 0 full path, 1 short path, 2 no path.
    std::array<int, 2> m_anPathState{0, 0};
    int m_nSpare = 0; // cleared when the dialog opens; not read

private:
    /// Shows one image as the button's every look, sized to it.
    void ShowImage(CHoverButton& button, UINT nImage);
    /// Binds the button to its control, shows the image and moves it to (x, y).
    void PlaceButton(CHoverButton& button, int nID, UINT nImage, int x, int y);
    void PlaceLabel(CLabelStatic& label, int nID, const RECT& rc, const char* szText);
    void MoveControl(int nID, int x, int y);
    void InitPathButton(int nPlayer);
    void CyclePath(int nPlayer);
    void ChangeGames(bool bUp);
    void ChooseLevel(int nLevel);
    void ChooseOverhead(bool bOn);
    void ToggleFullScreen();
    void ChooseVolume(POINT pt);
    void PlaceVolumeMarker();

    std::array<CHoverButton, 2> m_aPath;
    std::array<CHoverButton, 3> m_aLevel;
    CLabelStatic m_games;
    CLabelStatic m_version;
    CHoverButton m_gamesUp;
    CHoverButton m_gamesDown;
    CHoverButton m_fullScreen;
    CHoverButton m_overheadOn;
    CHoverButton m_overheadOff;
    CHoverButton m_volume;
};

/// Whether the primary display offers 800 x 600 at 32 bits or more, which full screen needs.
bool HasFullScreenMode();
