// Every user setting of the program, kept in the section "Settings" of the ini file.
//
// g_Settings is the live object: filled with defaults and loaded at start-up, read by every
// subsystem, saved after each change. Other instances are copies. Members are public: the
// subsystems read and write them directly, as the settings dialogs do.
#pragma once

#include "platform/mfc/CString.h"

/// "DrawLevel" is a switch: on, every scene object is drawn; off, only those of detail level 0
/// (the table and the balls).
inline constexpr int DRAW_LEVEL_ON = 255;
inline constexpr int DRAW_LEVEL_OFF = 0;

/// The data of the settings, apart so that assignment can copy it in one step.
struct CSettingsData
{
    CString m_strScreenMode;
    CString m_strPlayer1;
    CString m_strPlayer2;
    CString m_strSavedDirectory; ///< the saved-games folder, ending in "\"
    CString m_strLinksPath;
    CString m_strMusicDirectory; ///< a folder ending in "\", or a play-list file ending in ".m3u"
    CString m_strMusicFile;
    CString m_strDriver; ///< 3-D driver
    CString m_strDevice; ///< 3-D device
    CString m_strMode;   ///< display mode
    CString m_strBallsCollection;
    CString m_strIniFilePath; ///< full path of the ini file; not itself stored
    int m_nFullScreen = 0;
    int m_nBallPath1 = 0;
    int m_nShortPath1 = 0;
    int m_nBallPath2 = 0;
    int m_nShortPath2 = 0;
    int m_nOverHeadView = 0;
    int m_nScore = 0;
    int m_nFrameRate = 0;
    int m_nRecommendedShot = 0;
    int m_nHeadLine = 0;
    int m_nHighBallTexture = 0;
    int m_nAdvancedLighting = 0; ///< always 1 after a load
    int m_nSpecular = 0;
    int m_nNonPolygonalBalls = 0; ///< always 1 after a load or an assignment
    int m_nTripleBuffer = 0;
    int m_nWaitFlip = 0;
    int m_nVoiceChatEnable = 0;
    int m_nAutoUpdate = 0;
    int m_nAdDisplayEnable = 0;
    int m_nParticles = 0;
    int m_nTrophy = 0;
    int m_nCameraMotion = 0;
    int m_nDrawLevel = 0; ///< DRAW_LEVEL_ON or DRAW_LEVEL_OFF
    int m_nAnimTV = 0;
    int m_nBallResolution = 0;
    int m_nBallDistance = 0;
    int m_nTableNumber = 0; ///< index into the table sets
    int m_anTrophies[6] = {};
    int m_nHitVelocity = 0;
    int m_nVolume = 0;      ///< 0 to 65535
    int m_nMusicVolume = 0; ///< 0 to 65535
    int m_nSpeechMode = 0;
    int m_nSpeechType = 0;
    int m_nGameType = 0;
    int m_nCompetitionType = 0;
    int m_nBallsGoal = 0;
    int m_nGamesGoal = 0;
    int m_nViewType = 0;
    int m_nPlayerLevel1 = 0; ///< skill level 0 to 9; 0 is a human player
    int m_nPlayerLevel2 = 0;
    int m_nAIDefaultLevel = 0; ///< 1 to 9
    int m_nAutoPlaceTime = 0;
    int m_nVoiceChatVolume = 0;
    int m_nScreamProbability = 0;
    int m_nLinksMode = 0;
    // The ball physics' coefficients as the user wrote them; converted when a game starts.
    CString m_strAccelRollDeceler;
    CString m_strFrictSlideForce;
    CString m_strSideSpinDeceleration_rads;
    CString m_strSideSpinCoeff;
    CString m_strForwardSpinCoeff;
    CString m_strVerticalVelocityCoeff;
    CString m_strMaxFlightHeightPerR;
    CString m_strBallBallFriction;
    CString m_strDecay;
    CString m_strSideSpinDecay;
    CString m_strSideSpinInfluence;
    CString m_straccelNormal;
    int m_nTableColor = 0; ///< a COLORREF, 0x00BBGGRR
    WINDOWPLACEMENT m_WindowPlacement;
    CStringArray m_PlayList;  ///< entries of the play list or of the scanned music folder; not stored
    int m_nPlayListIndex = 0; ///< the current entry
    int m_nPlayListFlag = 0;  ///< 1 while the music folder names a play-list file
    int m_nMusicEnable = 0;
};

class CSettings : public CSettingsData
{
public:
    CSettings();
    CSettings(const CSettings& other);
    /// Copies every member; the non-polygonal-balls switch becomes 1.
    CSettings& operator=(const CSettings& other);
    virtual ~CSettings() = default;

    /// The defaults of every key, the window placement centred on the desktop, the folders
    /// and the ini file path.
    void SetDefaults();
    /// Reads the whole section from the ini file; an absent file, section or key keeps the
    /// default. Returns 1.
    BOOL Load();
    /// Replaces the whole section in the ini file in one step. Writes nothing (and returns 1)
    /// while a settings preview runs; returns 0 when the file cannot be written, in which
    /// case the old file stays as it was.
    BOOL Save();

    int GetMatchGoal() const;
    int GetGoal(BOOL bGames) const;
    void SetMatchGoal(int n);
    void SetGoal(int n, BOOL bGames);
    /// The skill-level name when that player is the computer, else the player's name;
    /// 1 is player 1, any other number player 2.
    CString GetPlayerName(int i) const;
    /// A game type that does not exist becomes 3.
    void CheckGameType();

    /// Makes sure the saved-games folder of g_Settings exists and can be written (else the
    /// program folder's "Saved", else the data folder's, else the temporary folder's); returns
    /// the folder.
    static CString GetSavedDirectory();
    static CString GetGlobalSavedDirectory();
    /// program folder + "Music", computed once.
    static CString GetDefaultMusicDirectory();
};

/// The live settings. Main thread.
extern CSettings g_Settings;

/// The blend factors of the floor and of the shadows, read by the rendering. They are saved
/// with the settings and never loaded, so they keep these values.
extern int g_nFloorSrcBlend;
extern int g_nFloorDstBlend;
extern int g_nShadowSrcBlend;
extern int g_nShadowDstBlend;

/// Converts a coefficient text as "%f" does, in the C locale; false (and value unchanged)
/// when it does not convert or is not a finite number.
bool ConvertCoefficient(const CString& strText, float& value);
bool ConvertCoefficient(const CString& strText, double& value);
