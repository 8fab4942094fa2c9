#include "foundation/Settings.h"

#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/GameModeWord.h"
#include "foundation/GlobalOrder.h"
#include "foundation/PlayList.h"
#include "foundation/SkillLevel.h"
#include "platform/mfc/CFile.h"
#include "platform/win32/CNumbers.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

VORN_GLOBAL_ROW(GLOBAL_ROW_SETTINGS) CSettings g_Settings;

int g_nFloorSrcBlend = 2;  // one
int g_nFloorDstBlend = 3;  // source colour
int g_nShadowSrcBlend = 1; // zero
int g_nShadowDstBlend = 3; // source colour

namespace
{
const char* const SECTION = "Settings";

// Text limits of the keys (the buffers they are read into, less the terminator).
constexpr int LONG_TEXT = 259;
constexpr int SHORT_TEXT = 99;

// The smallest normal window, in pixels; a smaller stored one is enlarged and centred.
constexpr int MIN_WINDOW_WIDTH = 640;
constexpr int MIN_WINDOW_HEIGHT = 480;

constexpr int MIN_GOAL = 1;
constexpr int MAX_GOAL = 1000;

CString Number(int n)
{
    CString str;
    str.Format("%d", n);
    return str;
}

CString ReadText(const CSettings& s, const char* szKey, const char* szDefault, int nMaxChars)
{
    std::string buffer(static_cast<std::size_t>(nMaxChars) + 1, '\0');
    const DWORD n = GetPrivateProfileString(SECTION, szKey, szDefault, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            s.m_strIniFilePath);
    buffer.resize(n);
    return CString(buffer);
}

int ReadInt(const CSettings& s, const char* szKey, int nDefault)
{
    return static_cast<int>(GetPrivateProfileInt(SECTION, szKey, nDefault, s.m_strIniFilePath));
}

bool EndsWithBackslash(const CString& str) { return !str.IsEmpty() && str.GetAt(str.GetLength() - 1) == '\\'; }

bool IsPlayListFile(const CString& strPath)
{
    CFilePath path(strPath);
    return path.GetExt().CompareNoCase(".m3u") == 0;
}

// "/" becomes "\" first, so a trailing "/" is not followed by a second separator.
CString FixFolderText(CString str, bool bAppendSeparator)
{
    str.Replace('/', '\\');
    if (bAppendSeparator && !str.IsEmpty() && !EndsWithBackslash(str))
        str += '\\';
    return str;
}

// The nine numbers of "Window placement" as sscanf's "%d %d %d %d %d %d %d %d %d" reads them;
// false unless all nine are there and fit.
bool ParsePlacement(std::string_view text, int (&anValues)[9])
{
    for (int& nValue : anValues)
    {
        while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
            text.remove_prefix(1);
        if (text.size() >= 2 && text[0] == '+' && text[1] != '-')
            text.remove_prefix(1);
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), nValue);
        if (ec != std::errc())
            return false;
        text.remove_prefix(static_cast<std::size_t>(ptr - text.data()));
    }
    return true;
}

// A normal rectangle narrower or lower than the smallest window is made that size, centred on
// the desktop in that direction.
void EnsureMinimumWindow(RECT& rc)
{
    const RECT rcDesk = GetDesktopWindowRect();
    if (rc.right - rc.left < MIN_WINDOW_WIDTH)
    {
        rc.left = rcDesk.left + (rcDesk.right - rcDesk.left - MIN_WINDOW_WIDTH) / 2;
        rc.right = rc.left + MIN_WINDOW_WIDTH;
    }
    if (rc.bottom - rc.top < MIN_WINDOW_HEIGHT)
    {
        rc.top = rcDesk.top + (rcDesk.bottom - rcDesk.top - MIN_WINDOW_HEIGHT) / 2;
        rc.bottom = rc.top + MIN_WINDOW_HEIGHT;
    }
}

// ---- Saving: the value text of every key, in the order the section is written ----

using PFNSaveValue = CString (*)(const CSettings&);
struct SSavedKey
{
    const char* szKey;
    PFNSaveValue pfnValue;
};

template <int CSettingsData::*pn> CString SaveInt(const CSettings& s) { return Number(s.*pn); }
template <CString CSettingsData::*pstr> CString SaveText(const CSettings& s) { return s.*pstr; }
template <int* pnGlobal> CString SaveGlobal(const CSettings&) { return Number(*pnGlobal); }
template <int i> CString SaveTrophy(const CSettings& s) { return Number(s.m_anTrophies[i]); }
CString SaveOne(const CSettings&) { return "1"; }
CString SaveZero(const CSettings&) { return "0"; }
CString SaveTableColor(const CSettings& s) { return Number(s.m_nTableColor); }
CString SaveGameType(const CSettings& s) { return Number(s.m_nGameType > 100 ? 3 : s.m_nGameType); }

CString SaveBallsCollection(const CSettings& s)
{
    return s.m_nGameType > 100 ? CString("Standard") : s.m_strBallsCollection;
}

CString SaveWindowPlacement(const CSettings& s)
{
    const WINDOWPLACEMENT& wp = s.m_WindowPlacement;
    CString str;
    str.Format("%d %d %d %d %d %d %d %d %d", static_cast<int>(wp.showCmd), wp.ptMinPosition.x, wp.ptMinPosition.y,
               wp.ptMaxPosition.x, wp.ptMaxPosition.y, wp.rcNormalPosition.left, wp.rcNormalPosition.top,
               wp.rcNormalPosition.right, wp.rcNormalPosition.bottom);
    return str;
}

CString SaveMusicFile(const CSettings& s)
{
    if (!s.m_nPlayListFlag)
        return s.m_strMusicFile;
    const int i = s.m_nPlayListIndex;
    return (i >= 0 && i < s.m_PlayList.GetSize()) ? s.m_PlayList[i] : CString();
}

using D = CSettingsData;
const SSavedKey s_aSavedKeys[] = {
    {"ScreenMode", SaveText<&D::m_strScreenMode>},
    {"FullScreen", SaveInt<&D::m_nFullScreen>},
    {"Particles", SaveInt<&D::m_nParticles>},
    {"BallPath1", SaveInt<&D::m_nBallPath1>},
    {"ShortPath1", SaveInt<&D::m_nShortPath1>},
    {"Trophy", SaveInt<&D::m_nTrophy>},
    {"BallPath2", SaveInt<&D::m_nBallPath2>},
    {"ShortPath2", SaveInt<&D::m_nShortPath2>},
    {"Score", SaveInt<&D::m_nScore>},
    {"RecommendedShot", SaveInt<&D::m_nRecommendedShot>},
    {"AdvancedLighting", SaveOne},
    {"DrawLevel", SaveInt<&D::m_nDrawLevel>},
    {"HighBallTexture", SaveInt<&D::m_nHighBallTexture>},
    {"HeadLine", SaveInt<&D::m_nHeadLine>},
    {"FrameRate", SaveInt<&D::m_nFrameRate>},
    {"Links mode", SaveInt<&D::m_nLinksMode>},
    {"Links path", SaveText<&D::m_strLinksPath>},
    {"Camera Motion", SaveInt<&D::m_nCameraMotion>},
    {"Specular", SaveInt<&D::m_nSpecular>},
    {"NonPolygonalBalls", SaveOne},
    {"Triple Buffer", SaveInt<&D::m_nTripleBuffer>},
    {"Wait flip", SaveInt<&D::m_nWaitFlip>},
    {"Table color", SaveTableColor},
    {"Table number", SaveInt<&D::m_nTableNumber>},
    {"Balls collection", SaveBallsCollection},
    {"Window placement", SaveWindowPlacement},
    {"Volume", SaveInt<&D::m_nVolume>},
    {"HitVelocity", SaveInt<&D::m_nHitVelocity>},
    {"Music Volume", SaveInt<&D::m_nMusicVolume>},
    {"Speech Mode", SaveInt<&D::m_nSpeechMode>},
    {"Speech Type", SaveInt<&D::m_nSpeechType>},
    {"AnimTV", SaveInt<&D::m_nAnimTV>},
    {"BallResolution", SaveInt<&D::m_nBallResolution>},
    {"BallDistance", SaveInt<&D::m_nBallDistance>},
    {"GameType", SaveGameType},
    {"Competition Type", SaveInt<&D::m_nCompetitionType>},
    {"Games Goal", SaveInt<&D::m_nGamesGoal>},
    {"Balls Goal", SaveInt<&D::m_nBallsGoal>},
    {"View Type", SaveInt<&D::m_nViewType>},
    {"m_strAccelRollDeceler", SaveText<&D::m_strAccelRollDeceler>},
    {"m_strFrictSlideForce", SaveText<&D::m_strFrictSlideForce>},
    {"m_strSideSpinDeceleration_rads", SaveText<&D::m_strSideSpinDeceleration_rads>},
    {"m_strSideSpinCoeff", SaveText<&D::m_strSideSpinCoeff>},
    {"m_strForwardSpinCoeff", SaveText<&D::m_strForwardSpinCoeff>},
    {"m_strVerticalVelocityCoeff", SaveText<&D::m_strVerticalVelocityCoeff>},
    {"m_strMaxFlightHeightPerR", SaveText<&D::m_strMaxFlightHeightPerR>},
    {"m_strBallBallFriction", SaveText<&D::m_strBallBallFriction>},
    {"m_strDecay", SaveText<&D::m_strDecay>},
    {"m_strSideSpinDecay", SaveText<&D::m_strSideSpinDecay>},
    {"m_strSideSpinInfluence", SaveText<&D::m_strSideSpinInfluence>},
    {"m_straccelNormal", SaveText<&D::m_straccelNormal>},
    {"Player1", SaveText<&D::m_strPlayer1>},
    {"Player level 1", SaveZero},
    {"Player2", SaveText<&D::m_strPlayer2>},
    {"Player level 2", SaveInt<&D::m_nPlayerLevel2>},
    {"AI Default Level", SaveInt<&D::m_nAIDefaultLevel>},
    {"AutoPlaceTime", SaveInt<&D::m_nAutoPlaceTime>},
    {"VoiceChatEnable", SaveInt<&D::m_nVoiceChatEnable>},
    {"VoiceChatVolume", SaveInt<&D::m_nVoiceChatVolume>},
    {"Ad Display enable", SaveInt<&D::m_nAdDisplayEnable>},
    {"Auto update", SaveInt<&D::m_nAutoUpdate>},
    {"SavedDirectory", SaveText<&D::m_strSavedDirectory>},
    {"MusicDirectory", SaveText<&D::m_strMusicDirectory>},
    {"MusicFile", SaveMusicFile},
    {"Driver", SaveText<&D::m_strDriver>},
    {"Device", SaveText<&D::m_strDevice>},
    {"Mode", SaveText<&D::m_strMode>},
    {"Floor src", SaveGlobal<&g_nFloorSrcBlend>},
    {"Floor dst", SaveGlobal<&g_nFloorDstBlend>},
    {"Shadow src", SaveGlobal<&g_nShadowSrcBlend>},
    {"Shadow dst", SaveGlobal<&g_nShadowDstBlend>},
    {"Music enable", SaveInt<&D::m_nMusicEnable>},
    {"Scream probability", SaveInt<&D::m_nScreamProbability>},
    {"OverHead View", SaveInt<&D::m_nOverHeadView>},
    {"Trophy0", SaveTrophy<0>}, // "%s%d" of "Trophy" and the index
    {"Trophy1", SaveTrophy<1>},
    {"Trophy2", SaveTrophy<2>},
    {"Trophy3", SaveTrophy<3>},
    {"Trophy4", SaveTrophy<4>},
    {"Trophy5", SaveTrophy<5>},
};
static_assert(std::size(s_aSavedKeys) == 80, "the section holds eighty keys");

// ---- Loading: each key in the order it is read ----

using PFNLoadKey = void (*)(CSettings&, const char* szKey);
struct SLoadedKey
{
    const char* szKey;
    PFNLoadKey pfnLoad;
};

// An integer key keeps the member's value when absent.
template <int CSettingsData::*pn> void LoadInt(CSettings& s, const char* szKey) { s.*pn = ReadInt(s, szKey, s.*pn); }
template <int i> void LoadTrophy(CSettings& s, const char* szKey)
{
    s.m_anTrophies[i] = ReadInt(s, szKey, s.m_anTrophies[i]);
}
// A text key read with the member's value as its default.
template <CString CSettingsData::*pstr, int nMax> void LoadText(CSettings& s, const char* szKey)
{
    s.*pstr = ReadText(s, szKey, s.*pstr, nMax);
}
// A text key whose default is empty.
template <CString CSettingsData::*pstr, int nMax> void LoadTextOrEmpty(CSettings& s, const char* szKey)
{
    s.*pstr = ReadText(s, szKey, "", nMax);
}

template <CString CSettingsData::*pstr, int nMax> void LoadPlayerName(CSettings& s, const char* szKey)
{
    s.*pstr = ReadText(s, szKey, "", nMax).Trim();
    if ((s.*pstr).IsEmpty())
        s.*pstr = (pstr == &D::m_strPlayer1) ? "Player 1" : "Player 2";
}

// The switch stores 0 or 255. Any other value, which no control writes, would leave part of the
// room undrawn with no way back from the game, so it is read as the switch on, its default.
void LoadDrawLevel(CSettings& s, const char* szKey)
{
    const int nLevel = ReadInt(s, szKey, s.m_nDrawLevel);
    if (nLevel == DRAW_LEVEL_ON || nLevel == DRAW_LEVEL_OFF)
    {
        s.m_nDrawLevel = nLevel;
        return;
    }
    s.m_nDrawLevel = DRAW_LEVEL_ON;
    const std::string strLine =
        "Settings: DrawLevel " + std::to_string(nLevel) + " is neither 0 nor 255; 255 is used\n";
    OutputDebugString(strLine.c_str());
}

void LoadSavedDirectory(CSettings& s, const char* szKey)
{
    s.m_strSavedDirectory = FixFolderText(ReadText(s, szKey, s.m_strSavedDirectory, LONG_TEXT), true);
}

void LoadMusicDirectory(CSettings& s, const char* szKey)
{
    const CString strDir = ReadText(s, szKey, CSettings::GetDefaultMusicDirectory(), LONG_TEXT);
    s.m_strMusicDirectory = FixFolderText(strDir, !IsPlayListFile(strDir));
}

// Builds the play list from the music folder and finds the music file in it (0 when absent).
void LoadMusicFile(CSettings& s, const char* szKey)
{
    s.m_strMusicFile = ReadText(s, szKey, "", LONG_TEXT);
    s.m_nPlayListIndex = 0;
    const CString strSource = s.m_strMusicDirectory;
    if (IsPlayListFile(strSource))
        LoadPlayListFile(s, strSource);
    else
        ScanMusicFolder(s, strSource);
    for (int i = 0; i < s.m_PlayList.GetSize(); ++i)
    {
        if (s.m_PlayList[i].CompareNoCase(s.m_strMusicFile) == 0)
        {
            s.m_nPlayListIndex = i;
            break;
        }
    }
}

void LoadWindowPlacement(CSettings& s, const char* szKey)
{
    const CString strText = ReadText(s, szKey, "", SHORT_TEXT);
    int an[9];
    if (ParsePlacement(strText.Str(), an))
    {
        WINDOWPLACEMENT& wp = s.m_WindowPlacement;
        wp.showCmd = static_cast<UINT>(an[0]);
        wp.ptMinPosition = {an[1], an[2]};
        wp.ptMaxPosition = {an[3], an[4]};
        wp.rcNormalPosition = {an[5], an[6], an[7], an[8]};
    }
    EnsureMinimumWindow(s.m_WindowPlacement.rcNormalPosition);
}

const SLoadedKey s_aLoadedKeys[] = {
    {"ScreenMode", LoadTextOrEmpty<&D::m_strScreenMode, LONG_TEXT>},
    {"Player1", LoadPlayerName<&D::m_strPlayer1, LONG_TEXT>},
    {"m_strSideSpinCoeff", LoadTextOrEmpty<&D::m_strSideSpinCoeff, LONG_TEXT>},
    {"m_strForwardSpinCoeff", LoadTextOrEmpty<&D::m_strForwardSpinCoeff, LONG_TEXT>},
    {"m_strDecay", LoadTextOrEmpty<&D::m_strDecay, LONG_TEXT>},
    {"m_straccelNormal", LoadTextOrEmpty<&D::m_straccelNormal, LONG_TEXT>},
    {"m_strSideSpinDecay", LoadTextOrEmpty<&D::m_strSideSpinDecay, LONG_TEXT>},
    {"m_strSideSpinInfluence", LoadTextOrEmpty<&D::m_strSideSpinInfluence, LONG_TEXT>},
    {"m_strVerticalVelocityCoeff", LoadTextOrEmpty<&D::m_strVerticalVelocityCoeff, LONG_TEXT>},
    {"m_strBallBallFriction", LoadTextOrEmpty<&D::m_strBallBallFriction, LONG_TEXT>},
    {"m_strMaxFlightHeightPerR", LoadTextOrEmpty<&D::m_strMaxFlightHeightPerR, LONG_TEXT>},
    {"m_strAccelRollDeceler", LoadTextOrEmpty<&D::m_strAccelRollDeceler, LONG_TEXT>},
    {"m_strFrictSlideForce", LoadTextOrEmpty<&D::m_strFrictSlideForce, LONG_TEXT>},
    {"m_strSideSpinDeceleration_rads", LoadTextOrEmpty<&D::m_strSideSpinDeceleration_rads, LONG_TEXT>},
    {"Player2", LoadPlayerName<&D::m_strPlayer2, SHORT_TEXT>},
    {"SavedDirectory", LoadSavedDirectory},
    {"MusicDirectory", LoadMusicDirectory},
    {"MusicFile", LoadMusicFile},
    {"Links path", LoadText<&D::m_strLinksPath, LONG_TEXT>},
    {"Driver", LoadText<&D::m_strDriver, SHORT_TEXT>},
    {"Device", LoadText<&D::m_strDevice, SHORT_TEXT>},
    {"Mode", LoadText<&D::m_strMode, SHORT_TEXT>},
    {"Window placement", LoadWindowPlacement},
    {"Links mode", LoadInt<&D::m_nLinksMode>},
    {"Trophy", LoadInt<&D::m_nTrophy>},
    {"FullScreen", LoadInt<&D::m_nFullScreen>},
    {"BallPath1", LoadInt<&D::m_nBallPath1>},
    {"ShortPath1", LoadInt<&D::m_nShortPath1>},
    {"Particles", LoadInt<&D::m_nParticles>},
    {"BallPath2", LoadInt<&D::m_nBallPath2>},
    {"ShortPath2", LoadInt<&D::m_nShortPath2>},
    {"Score", LoadInt<&D::m_nScore>},
    {"RecommendedShot", LoadInt<&D::m_nRecommendedShot>},
    {"AdvancedLighting", LoadInt<&D::m_nAdvancedLighting>},
    {"DrawLevel", LoadDrawLevel},
    {"HighBallTexture", LoadInt<&D::m_nHighBallTexture>},
    {"HeadLine", LoadInt<&D::m_nHeadLine>},
    {"Camera Motion", LoadInt<&D::m_nCameraMotion>},
    {"Specular", LoadInt<&D::m_nSpecular>},
    {"Triple Buffer", LoadInt<&D::m_nTripleBuffer>},
    {"Wait flip", LoadInt<&D::m_nWaitFlip>},
    {"Table color", LoadInt<&D::m_nTableColor>},
    {"Table number", LoadInt<&D::m_nTableNumber>},
    {"Balls collection", LoadText<&D::m_strBallsCollection, SHORT_TEXT>},
    {"HitVelocity", LoadInt<&D::m_nHitVelocity>},
    {"Volume", LoadInt<&D::m_nVolume>},
    {"Music Volume", LoadInt<&D::m_nMusicVolume>},
    {"Speech Mode", LoadInt<&D::m_nSpeechMode>},
    {"Speech Type", LoadInt<&D::m_nSpeechType>},
    {"AnimTV", LoadInt<&D::m_nAnimTV>},
    {"BallResolution", LoadInt<&D::m_nBallResolution>},
    {"BallDistance", LoadInt<&D::m_nBallDistance>},
    {"GameType", LoadInt<&D::m_nGameType>},
    {"Competition Type", LoadInt<&D::m_nCompetitionType>},
    {"Balls Goal", LoadInt<&D::m_nBallsGoal>},
    {"Games Goal", LoadInt<&D::m_nGamesGoal>},
    {"View Type", LoadInt<&D::m_nViewType>},
    {"Player level 1", LoadInt<&D::m_nPlayerLevel1>},
    {"Player level 2", LoadInt<&D::m_nPlayerLevel2>},
    {"AI Default Level", LoadInt<&D::m_nAIDefaultLevel>},
    {"AutoPlaceTime", LoadInt<&D::m_nAutoPlaceTime>},
    {"Music enable", LoadInt<&D::m_nMusicEnable>},
    {"VoiceChatEnable", LoadInt<&D::m_nVoiceChatEnable>},
    {"VoiceChatVolume", LoadInt<&D::m_nVoiceChatVolume>},
    {"Auto update", LoadInt<&D::m_nAutoUpdate>},
    {"Ad Display enable", LoadInt<&D::m_nAdDisplayEnable>},
    {"Scream probability", LoadInt<&D::m_nScreamProbability>},
    {"OverHead View", LoadInt<&D::m_nOverHeadView>},
    {"Trophy0", LoadTrophy<0>},
    {"Trophy1", LoadTrophy<1>},
    {"Trophy2", LoadTrophy<2>},
    {"Trophy3", LoadTrophy<3>},
    {"Trophy4", LoadTrophy<4>},
    {"Trophy5", LoadTrophy<5>},
};
// Not read: "FrameRate" and "NonPolygonalBalls" (forced) and the four blend globals.
static_assert(std::size(s_aLoadedKeys) == 74, "every stored key but six is read");

// ---- Defaults ----

void SetDefaultTexts(CSettings& s)
{
    const CString strProgram = GetProgramFolder();
    s.m_strScreenMode.Empty();
    s.m_strPlayer1.Empty();
    s.m_strPlayer2.Empty();
    s.m_strSavedDirectory = strProgram + "Saved";
    s.m_strLinksPath = strProgram + "\\Artwork\\";
    s.m_strMusicDirectory = CSettings::GetDefaultMusicDirectory();
    s.m_strMusicFile.Empty();
    s.m_strDriver.Empty();
    s.m_strDevice.Empty();
    s.m_strMode.Empty();
    s.m_strBallsCollection = "Standard";
    s.m_strIniFilePath = GetIniFilePath();
    for (CString* pstr : {&s.m_strAccelRollDeceler, &s.m_strFrictSlideForce, &s.m_strSideSpinDeceleration_rads,
                          &s.m_strSideSpinCoeff, &s.m_strForwardSpinCoeff, &s.m_strVerticalVelocityCoeff,
                          &s.m_strMaxFlightHeightPerR, &s.m_strBallBallFriction, &s.m_strDecay, &s.m_strSideSpinDecay,
                          &s.m_strSideSpinInfluence, &s.m_straccelNormal})
        pstr->Empty();
}

void SetDefaultDisplayNumbers(CSettings& s)
{
    s.m_nFullScreen = 1;
    s.m_nParticles = 0;
    s.m_nScore = 1;
    s.m_nRecommendedShot = 0;
    s.m_nAdvancedLighting = 1;
    s.m_nDrawLevel = DRAW_LEVEL_ON;
    s.m_nHighBallTexture = 1;
    s.m_nHeadLine = 0;
    s.m_nFrameRate = 0;
    s.m_nLinksMode = 0;
    s.m_nCameraMotion = 0;
    s.m_nSpecular = 1;
    s.m_nNonPolygonalBalls = 1;
    s.m_nTripleBuffer = 0;
    s.m_nWaitFlip = 0;
    s.m_nTableColor = 2788898; // 0x2A8E22: RGB(0x22, 0x8E, 0x2A), green cloth
    s.m_nTableNumber = 0;
    s.m_nAnimTV = 2;
    s.m_nBallResolution = 1;
    s.m_nBallDistance = 30;
    s.m_nViewType = 0;
    s.m_nOverHeadView = 0;
    s.m_nAdDisplayEnable = 1;
    s.m_nAutoUpdate = 1;
}

void SetDefaultGameNumbers(CSettings& s)
{
    s.m_nBallPath1 = 1;
    s.m_nShortPath1 = 0;
    s.m_nBallPath2 = 1;
    s.m_nShortPath2 = 0;
    s.m_nTrophy = 0;
    std::fill(std::begin(s.m_anTrophies), std::end(s.m_anTrophies), 0);
    s.m_nVolume = 21845; // a third of 65535
    s.m_nHitVelocity = 7;
    s.m_nMusicVolume = 21845;
    s.m_nSpeechMode = 2;
    s.m_nSpeechType = 11;
    s.m_nGameType = 3;
    s.m_nCompetitionType = 0;
    s.m_nGamesGoal = 7;
    s.m_nBallsGoal = 20;
    s.m_nPlayerLevel1 = 0;
    s.m_nPlayerLevel2 = 0;
    s.m_nAutoPlaceTime = 2;
    s.m_nVoiceChatEnable = 1;
    s.m_nVoiceChatVolume = 65535;
    s.m_nScreamProbability = 50;
    s.m_nMusicEnable = 1;
    s.m_nPlayListIndex = 0;
    s.m_nPlayListFlag = 0;
}

// The desktop's placement, shown normally in a 640 by 480 rectangle centred on the desktop.
void SetDefaultPlacement(CSettings& s)
{
    WINDOWPLACEMENT& wp = s.m_WindowPlacement;
    wp.length = sizeof(WINDOWPLACEMENT);
    GetDesktopWindowPlacement(&wp);
    wp.showCmd = SW_SHOWNORMAL;
    const RECT rcDesk = GetDesktopWindowRect();
    RECT& rc = wp.rcNormalPosition;
    rc.left = rcDesk.left + (rcDesk.right - rcDesk.left - MIN_WINDOW_WIDTH) / 2;
    rc.top = rcDesk.top + (rcDesk.bottom - rcDesk.top - MIN_WINDOW_HEIGHT) / 2;
    rc.right = rc.left + MIN_WINDOW_WIDTH;
    rc.bottom = rc.top + MIN_WINDOW_HEIGHT;
}

bool ScanNumber(std::string_view text, float& value) { return ScanFloat(text, value); }
bool ScanNumber(std::string_view text, double& value) { return ScanDouble(text, value); }

// "nan" and "inf" scan as numbers but would poison the physics: they count as not converted.
template <class T> bool ConvertFinite(const CString& strText, T& value)
{
    T result{};
    if (!ScanNumber(strText.Str(), result) || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

// An existing folder (the text may end in a separator) in which files can be written.
bool IsUsableFolder(const CString& strFolder)
{
    CFileStatus status;
    return CFile::GetStatus(strFolder, status) && IsFolderWritable(strFolder + "\\");
}

bool MakeUsableFolder(const CString& strFolder)
{
    CFileStatus status;
    return (CFile::GetStatus(strFolder, status) || CreateDirectory(strFolder, nullptr)) &&
           IsFolderWritable(strFolder + "\\");
}
} // namespace

CSettings::CSettings() { m_nAIDefaultLevel = 3; }

CSettings::CSettings(const CSettings& other) : CSettingsData() { *this = other; }

CSettings& CSettings::operator=(const CSettings& other)
{
    if (this != &other)
        CSettingsData::operator=(other);
    m_nNonPolygonalBalls = 1;
    return *this;
}

void CSettings::SetDefaults()
{
    SetDefaultTexts(*this);
    SetDefaultDisplayNumbers(*this);
    SetDefaultGameNumbers(*this);
    SetDefaultPlacement(*this);
}

BOOL CSettings::Load()
{
    for (const SLoadedKey& key : s_aLoadedKeys)
        key.pfnLoad(*this, key.szKey);
    m_nAdvancedLighting = 1;
    m_nFrameRate = 0;
    m_nNonPolygonalBalls = 1;
    m_nPlayerLevel1 = 0;
    m_nPlayerLevel2 = std::clamp(m_nPlayerLevel2, 0, 9);
    // Player 2's level when the computer plays, where 0 and levels above 9 have no name.
    m_nAIDefaultLevel = std::clamp(m_nAIDefaultLevel, 1, 9);
    return TRUE;
}

BOOL CSettings::Save()
{
    if (IsSettingsSaveOff())
        return TRUE;
    m_nPlayerLevel1 = std::clamp(m_nPlayerLevel1, 0, 9);
    m_nPlayerLevel2 = std::clamp(m_nPlayerLevel2, 0, 9);
    // The section is deleted and written again in one replacement of the file, so a crash or
    // a full disk can never leave the settings half written.
    CProfileEdit edit(m_strIniFilePath);
    edit.WriteString(SECTION, nullptr, nullptr);
    for (const SSavedKey& key : s_aSavedKeys)
        edit.WriteString(SECTION, key.szKey, key.pfnValue(*this));
    if (edit.Commit())
        return TRUE;
    ReportSaveFailure("settings", m_strIniFilePath);
    return FALSE;
}

int CSettings::GetMatchGoal() const
{
    return std::max(m_nGameType == 15 || m_nGameType == 18 ? m_nBallsGoal : m_nGamesGoal, MIN_GOAL);
}

int CSettings::GetGoal(BOOL bGames) const { return std::max(bGames ? m_nGamesGoal : m_nBallsGoal, MIN_GOAL); }

void CSettings::SetMatchGoal(int n)
{
    (m_nGameType == 15 || m_nGameType == 18 ? m_nBallsGoal : m_nGamesGoal) = std::clamp(n, MIN_GOAL, MAX_GOAL);
}

void CSettings::SetGoal(int n, BOOL bGames)
{
    (bGames ? m_nGamesGoal : m_nBallsGoal) = std::clamp(n, MIN_GOAL, MAX_GOAL);
}

CString CSettings::GetPlayerName(int i) const
{
    const int nLevel = i == 1 ? m_nPlayerLevel1 : m_nPlayerLevel2;
    if (nLevel != 0)
        return GetSkillLevelName(nLevel);
    return i == 1 ? m_strPlayer1 : m_strPlayer2;
}

void CSettings::CheckGameType()
{
    static const int s_anKnown[] = {0, 3, 8, 9, 15, 16, 17, 18, 32, 33, 101};
    if (std::find(std::begin(s_anKnown), std::end(s_anKnown), m_nGameType) == std::end(s_anKnown))
        m_nGameType = 3;
}

CString CSettings::GetSavedDirectory()
{
    CString& strSaved = g_Settings.m_strSavedDirectory;
    CFilePath path(strSaved);
    CString strFull = path.GetFullPath();
    if (!strFull.IsEmpty())
    {
        const char chLast = strFull.GetAt(strFull.GetLength() - 1);
        if (chLast == '/' || chLast == '\\')
            strFull = strFull.Left(strFull.GetLength() - 1);
        // Writable too: a folder that exists but refuses files would make every save fail.
        if (IsUsableFolder(strFull))
            return strSaved;
    }
    // Where the program folder takes no files, the games go with the settings into the data folder,
    // which lasts; the temporary folder is the last resort. An existing "Saved" (from an earlier
    // run) is taken as well as a new one.
    char szTemp[MAX_PATH];
    const DWORD n = GetTempPath(MAX_PATH, szTemp);
    const CString aFolders[] = {GetProgramFolder(), GetDataFolder(),
                                n > 0 && n < MAX_PATH ? CString(szTemp) : CString()};
    for (const CString& strFolder : aFolders)
    {
        if (!strFolder.IsEmpty() && MakeUsableFolder(strFolder + "Saved"))
        {
            strSaved = strFolder + "Saved\\";
            break;
        }
    }
    return strSaved;
}

CString CSettings::GetGlobalSavedDirectory() { return g_Settings.m_strSavedDirectory; }

CString CSettings::GetDefaultMusicDirectory()
{
    static const CString s_strMusic = GetProgramFolder() + "Music";
    return s_strMusic;
}

bool ConvertCoefficient(const CString& strText, float& value) { return ConvertFinite(strText, value); }

bool ConvertCoefficient(const CString& strText, double& value) { return ConvertFinite(strText, value); }
