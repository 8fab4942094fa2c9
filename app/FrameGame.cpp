// The main frame's side of the game: the game flow it owns and what the flow asks of the window
// (its messages through the frame's queue, texts, sounds), the game's sound effects and the
// event sounds of a shot.
#include "app/GameDialog.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/Speech.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "ui/MessageDlg.h"
#include "ui/SmallDialogs.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <limits>
#include <string>

namespace
{
/// The game's effects in slot order: the cue's three, ball on ball by level, the cushion by level,
/// the pocket, the thirteen ticks, then the rest and the refusal.
constexpr int GAME_SOUND_IDS[] = {3004, 3005, 3006, 3007, 3008, 3009, 3010, 3011, 3012, 3013, 3014, 3000,
                                  3001, 3002, 3003, 3015, 3057, 3058, 3059, 3060, 3061, 3062, 3063, 3064,
                                  3065, 3066, 3067, 3068, 3069, 3018, 3019, 3016, 3017, 3020};
/// The event sounds: ball on ball by level, the cushion by strength (two levels each), the pocket.
constexpr int BALL_SOUND_ID = 3007;
constexpr int BALL_SOUND_COUNT = 8;
constexpr int CUSHION_SOUND_ID = 3000;
constexpr int CUSHION_SOUND_COUNT = 4;
constexpr int POCKET_SOUND_ID = 3015;
/// The cue's three sounds lead the table.
constexpr int CUE_SOUND_COUNT = 3;
/// The power scale's ticks, soft to hard.
constexpr int FIRST_POWER_STEP_SOUND = 3057;
static_assert(3069 - FIRST_POWER_STEP_SOUND + 1 == CMainFrame::POWER_STEP_COUNT);
/// The bonus sounds and the three ball-animation sounds.
constexpr int FIRST_BONUS_SOUND = 3031;
constexpr int LAST_BONUS_SOUND = 3056;
constexpr int BALL_ANIM_SOUNDS[] = {3022, 3023, 3024};
/// The end of a match: the new-game question's picture, the pictures of the lost-match and
/// winner's text dialogs, and the match-won dialog's template.
constexpr int MATCH_END_QUESTION = 925;
constexpr int LOST_MATCH_BACKGROUND = 326;
constexpr int MATCH_TEXT_BACKGROUND = 331;
constexpr int MATCH_WON_TEMPLATE = 585;
/// Metres per scene unit for the sound listener.
constexpr float LISTENER_DISTANCE_FACTOR = 0.02f;
/// The engine's collision levels the event sounds tell apart.
constexpr int EVENT_LEVELS = 8;
/// Event kinds of the engine's list.
enum EEventKind : int
{
    eventCushion = 1,
    eventBall = 2,
    eventPocket = 3,
    eventSlot = 4,
    eventBonus = 5,
};
} // namespace

int GetEventSoundId(int nKind, int nLevel)
{
    switch (nKind)
    {
    case eventCushion:
        return CUSHION_SOUND_ID + std::clamp(nLevel / 2, 0, CUSHION_SOUND_COUNT - 1);
    case eventBall:
        return nLevel >= 0 && nLevel < BALL_SOUND_COUNT ? BALL_SOUND_ID + nLevel : 0;
    case eventPocket:
        return POCKET_SOUND_ID;
    default:
        return 0;
    }
}

std::unique_ptr<CGameFlow> CMainFrame::MakeGameFlow()
{
    return std::make_unique<CGameFlow>(g_BallEngineMain, &g_GamePlugins, *this);
}

void CMainFrame::LoadGameSounds()
{
    m_Sound.SetDistanceFactor(LISTENER_DISTANCE_FACTOR);
    m_anGameSounds.clear();
    for (const int nId : GAME_SOUND_IDS)
        m_anGameSounds.push_back(m_Sound.LoadWave(nId));
    g_BallEngineMain.SetEventLevelCount(EVENT_LEVELS);
    g_Speech.SetSoundLayer(&m_Sound);
    g_Speech.Init();
    m_anBonusSounds.clear();
    for (int nId = FIRST_BONUS_SOUND; nId <= LAST_BONUS_SOUND; ++nId)
        if (const int nSlot = m_Sound.LoadWave(nId); nSlot >= 0)
            m_anBonusSounds.push_back(nSlot);
    for (std::size_t i = 0; i < m_anBallAnimSounds.size(); ++i)
        m_anBallAnimSounds[i] = m_Sound.LoadWave(BALL_ANIM_SOUNDS[i]);
    CString strLoaded;
    strLoaded.Format("Sound: %d effects loaded\n", m_Sound.GetLoadedCount());
    OutputDebugString(strLoaded.GetString());
}

void CMainFrame::PostFlowMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_QUIT)
        PostQuitMessage(static_cast<int>(wParam));
    else
        PostMessage(nMsg, wParam, lParam);
}

void CMainFrame::ShowText(const char* szText, int nMs)
{
    const DWORD dwDuration = nMs < 0 ? std::numeric_limits<DWORD>::max() : static_cast<DWORD>(nMs);
    g_TextMessages.AddText(szText, nullptr, dwDuration, 0);
}

void CMainFrame::SaveSettings()
{
    // The flow keeps the trophies it awards in its own copy of the settings.
    const SFlowSettings& flow = m_pGameFlow->Settings();
    for (std::size_t i = 0; i < flow.anTrophy.size(); ++i)
        g_Settings.m_anTrophies[i] = flow.anTrophy[i];
    g_Settings.Save();
}

void CMainFrame::PlayCueSound(int nSlot)
{
    if (nSlot < 0 || nSlot >= CUE_SOUND_COUNT || m_anGameSounds.empty())
        return;
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    const CBall* pCue = pReferee != nullptr ? g_BallEngineMain.FindBall(pReferee->GetCueBall()) : nullptr;
    const CVector3 vAt = TableToScene(pCue != nullptr ? *pCue->GetPosition() : CVector3());
    m_Sound.Play(m_anGameSounds[static_cast<std::size_t>(nSlot)], vAt, 0);
    PlayRandomEventSound(eventBonus, vAt.x, vAt.y, vAt.z);
}

void CMainFrame::PlayPowerStep(int nStep)
{
    if (nStep >= 0 && nStep < POWER_STEP_COUNT)
        PlayGameSound(FIRST_POWER_STEP_SOUND + nStep, CVector3());
}

void CMainFrame::PlayShotEvent(int nKind, int nLevel, const CVector3& vAt)
{
    // Sounds come from the event's place on the cloth.
    CVector3 vScene = TableToScene(vAt);
    vScene.y = SCENE_BED_HEIGHT;
    if (nKind == eventSlot)
    {
        // The level names the sound by its id, whichever of the loaded effects that is.
        if (const int nSlot = m_Sound.FindWaveSlot(nLevel); nSlot >= 0)
            m_Sound.Play(nSlot, vScene, 0);
        return;
    }
    PlayEventSound(nKind, vScene.x, vScene.y, vScene.z, nLevel);
    if (m_pGameFlow->GetGameType() == GAME_BONUS)
        PlayRandomEventSound(nKind, vScene.x, vScene.y, vScene.z);
}

void CMainFrame::PlayEventSound(int nKind, float x, float y, float z, int nLevel)
{
    PlayGameSound(GetEventSoundId(nKind, nLevel), CVector3(x, y, z));
}

int CMainFrame::GetGameSoundSlot(int nId) const
{
    const auto* pId = std::find(std::begin(GAME_SOUND_IDS), std::end(GAME_SOUND_IDS), nId);
    const auto nAt = static_cast<std::size_t>(pId - std::begin(GAME_SOUND_IDS));
    return pId == std::end(GAME_SOUND_IDS) || nAt >= m_anGameSounds.size() ? -1 : m_anGameSounds[nAt];
}

void CMainFrame::PlayGameSound(int nId, const CVector3& vAt)
{
    // An effect that is not in the loaded table sounds nothing.
    if (const int nSlot = GetGameSoundSlot(nId); nSlot >= 0)
        m_Sound.Play(nSlot, vAt, 0);
}

void CMainFrame::PlayRandomEventSound(int nKind, float x, float y, float z)
{
    if (m_pGameFlow->GetGameType() != GAME_BONUS || (nKind != eventBall && nKind != eventBonus))
        return;
    const int r = CrtRand();
    const double dLimit = static_cast<double>(g_Settings.m_nScreamProbability) * 32767.0 / 100.0;
    if (static_cast<double>(r) > dLimit || m_anBonusSounds.empty())
        return;
    m_Sound.Play(m_anBonusSounds[static_cast<std::size_t>(r) % m_anBonusSounds.size()], CVector3(x, y, z), 0);
}

void CMainFrame::CopyBallsToAimingAid()
{
    // The aid's worker refuses a copy while it runs; its balls then stay as they were.
    if (!g_BallEngineAux.SyncFrom(g_BallEngineMain))
        OutputDebugString("Aiming aid: busy at the strike, its balls were not copied\n");
}

LRESULT CMainFrame::OnShotOutcome(WPARAM wParam, LPARAM)
{
    m_bOutcomePending = TRUE;
    m_pGameFlow->OnMatchProgress(static_cast<int>(wParam));
    m_bOutcomePending = FALSE;
    return 0;
}

LRESULT CMainFrame::OnEnterCallShotMsg(WPARAM wParam, LPARAM lParam)
{
    EnterCallShotMode(static_cast<int>(wParam), static_cast<DWORD>(lParam));
    return 0;
}

LRESULT CMainFrame::OnNewGameQuestion2(WPARAM, LPARAM)
{
    // The match is over: the question keeps the texts on the screen.
    OutputDebugString("Game: the match has ended\n");
    m_pGameFlow->SetGameMode(modeNone);
    if (AskForNewGame(MATCH_END_QUESTION))
        return 0;
    // No new game: a fresh rack of the game on the table, unless the top view holds the table.
    if (g_Settings.m_nOverHeadView == 0)
        StartNewRack(TRUE);
    return 0;
}

void CMainFrame::ShowMatchResult(const char* szWinner, bool bHumanWon)
{
    const CModalModeScope modal;
    if (!bHumanWon)
    {
        CMsgLostDlg lost(this);
        RunGameDialog(lost, LOST_MATCH_BACKGROUND);
        return;
    }
    CMsgTextDlg text(szWinner, nullptr, MATCH_TEXT_BACKGROUND);
    RunGameDialog(text, MATCH_TEXT_BACKGROUND);
}

void CMainFrame::ShowMatchWon(const char* szName)
{
    OutputDebugString(("Game: " + std::string(szName) + " has won the match\n").c_str());
    const CModalModeScope modal;
    CMatchWonDlg dlg(nullptr);
    dlg.SetWinnerText(szName);
    RunGameDialog(dlg, MATCH_WON_TEMPLATE);
}

void CMainFrame::NoteShotProgress()
{
    const BOOL bRunning = HasGameFlag(gmShotRunning) ? TRUE : FALSE;
    if (bRunning == m_bShotWasRunning)
        return;
    m_bShotWasRunning = bRunning;
    CString strLine;
    if (bRunning)
        strLine.Format("Game: shot %d struck by %s\n", m_pGameFlow->GetShotCount(), m_pGameFlow->Current().GetName());
    else
        strLine.Format("Game: shot %d judged, %s to play\n", m_pGameFlow->GetShotCount(),
                       m_pGameFlow->Current().GetName());
    OutputDebugString(strLine.GetString());
}
