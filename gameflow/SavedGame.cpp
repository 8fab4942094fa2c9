#include "gameflow/SavedGame.h"

#include "gameflow/GameMode.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Paths.h"
#include "simulation/Referee.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>

namespace
{
constexpr std::size_t MAGIC_SIZE = 4;
/// The fields after the referee state: put-back mask, game mode, shot record, settings.
constexpr std::size_t TAIL_SIZE = 4 + 4 + 36 + 8 * 4;

bool IsBuiltInGameType(int nGameType)
{
    return nGameType == GAME_DEMO || nGameType == GAME_3BALL || nGameType == GAME_8BALL || nGameType == GAME_9BALL ||
           nGameType == GAME_BASE || nGameType == GAME_PYRAMID || nGameType == GAME_AMERICAN ||
           nGameType == GAME_14_1 || nGameType == GAME_BONUS;
}

bool IsBallOrNone(int n) { return n >= -1 && n <= 15; }

/// A name the game could have written: not too long, no control characters.
bool IsPlausibleName(const CString& strName)
{
    const std::string& s = strName.Str();
    return static_cast<int>(s.size()) <= SAVED_GAME_MAX_NAME &&
           std::none_of(s.begin(), s.end(),
                        [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; });
}

bool IsFiniteView(const CViewRecord& v)
{
    const float af[] = {v.m_vCamera.x,    v.m_vCamera.y, v.m_vCamera.z, v.m_vViewPoint.x, v.m_vViewPoint.y,
                        v.m_vViewPoint.z, v.m_fShift1,   v.m_fShift2,   v.m_vCue.x,       v.m_vCue.y};
    return std::all_of(std::begin(af), std::end(af), [](float f) { return std::isfinite(f); });
}

void WriteDouble(CByteWriter& out, double d)
{
    const auto n = std::bit_cast<std::uint64_t>(d);
    out.WriteU32LE(static_cast<DWORD>(n));
    out.WriteU32LE(static_cast<DWORD>(n >> 32));
}

bool ReadDouble(CByteReader& in, double& d)
{
    DWORD lo = 0;
    DWORD hi = 0;
    if (!in.ReadU32LE(lo) || !in.ReadU32LE(hi))
        return false;
    d = std::bit_cast<double>((std::uint64_t{hi} << 32) | lo);
    return true;
}

bool ReadInt(CByteReader& in, int& n)
{
    LONG v = 0;
    if (!in.ReadS32LE(v))
        return false;
    n = static_cast<int>(v);
    return true;
}

/// Reads every field of a saved game into a staging snapshot and checks it; the first fault found
/// is the reason of the refusal.
class CSavedGameParser
{
public:
    CSavedGameParser(std::span<const BYTE> bytes, const FRefereeStateSize& stateSize, CSavedGame& out)
        : m_bytes(bytes), m_in(bytes), m_stateSize(stateSize), m_out(out)
    {
    }

    /// True when the whole file is sound; else false with the reason.
    bool Parse(CString& strReason)
    {
        const bool bOk = ReadMagic() && ReadView() && ReadBalls() && ReadPlayers() && ReadTurn() &&
                         ReadRefereeState() && ReadTail() && CheckGameType();
        strReason = m_strReason;
        return bOk;
    }

private:
    bool Fail(const std::string& strWhy)
    {
        m_strReason = CString(strWhy);
        return false;
    }
    bool Truncated(const char* szWhere) { return Fail(std::string("the file ends inside ") + szWhere); }

    bool ReadMagic()
    {
        std::string strMagic;
        if (!m_in.ReadText(MAGIC_SIZE, strMagic))
            return Truncated("the header");
        if (strMagic.compare(0, 3, "SAV") != 0 || strMagic[3] < '5' || strMagic[3] > SAVED_GAME_VERSION)
            return Fail("not a saved game of a known version");
        m_nVersion = static_cast<unsigned char>(strMagic[3]);
        return true;
    }

    bool ReadView()
    {
        if (!ReadViewBlock(m_in, m_out.m_View))
            return Truncated("the camera view");
        return IsFiniteView(m_out.m_View) || Fail("the camera view is not a finite number");
    }

    bool ReadBalls()
    {
        for (int i = 0; i < 16; ++i)
        {
            std::vector<BYTE> record;
            if (!m_in.ReadBytes(BALL_STATE_SIZE, record))
                return Truncated("the balls");
            DWORD nSize = 0;
            CBall& ball = *m_out.m_apBalls[static_cast<std::size_t>(i)];
            if (!ball.LoadState(record, nSize) || ball.GetIndex() != i)
                return Fail("ball record " + std::to_string(i) + " is damaged");
        }
        return true;
    }

    bool ReadPlayer(CPlayer& player, int nNumber)
    {
        const std::string strWho = "player " + std::to_string(nNumber) + "'s record";
        // The record reader checks its own fields and needs the name's zero inside the file.
        const int nTaken = player.Read(m_bytes.data() + m_in.Position(), m_in.Remaining(), m_nVersion);
        if (nTaken <= 0 || !m_in.Skip(static_cast<std::size_t>(nTaken)))
            return Fail(strWho + " is cut short or out of range");
        return IsPlausibleName(player.GetNameRef()) || Fail(strWho + " has a name the game cannot have written");
    }

    bool ReadPlayers() { return ReadPlayer(m_out.m_Player1, 1) && ReadPlayer(m_out.m_Player2, 2); }

    bool ReadTurn()
    {
        int nSkill = 0;
        if (!ReadInt(m_in, m_out.m_nCurrentPlayer) || !ReadInt(m_in, nSkill) || !ReadInt(m_in, m_out.m_nBreakPlayed))
            return Truncated("the turn");
        if (m_out.m_nCurrentPlayer != 1 && m_out.m_nCurrentPlayer != 2)
            return Fail("the current player is neither 1 nor 2");
        if (nSkill < 0 || nSkill > 9)
            return Fail("player 2's skill level is not 0 to 9");
        if (m_out.m_nBreakPlayed != 0 && m_out.m_nBreakPlayed != 1)
            return Fail("the break flag is neither 0 nor 1");
        m_out.m_Player2.SetLevel(nSkill);
        return true;
    }

    /// The referee state fills what the fixed fields after it leave.
    bool ReadRefereeState()
    {
        if (m_in.Remaining() < TAIL_SIZE + REFEREE_PACKED_SIZE)
            return Truncated("the rule state");
        return m_in.ReadBytes(m_in.Remaining() - TAIL_SIZE, m_out.m_abRefereeState);
    }

    bool ReadTail()
    {
        CShotInfo& shot = m_out.m_Shot;
        SSavedSettings& s = m_out.m_Settings;
        bool bOk = m_in.ReadU32LE(m_out.m_nPutBackMask) && m_in.ReadU32LE(m_out.m_nGameMode);
        for (std::int32_t* pn :
             {&shot.m_nPocket, &shot.m_nCueBall, &shot.m_nObjectBall, &shot.m_nSecondBall, &shot.m_nKind})
            bOk = bOk && ReadInt(m_in, *pn);
        bOk = bOk && ReadDouble(m_in, shot.m_dAim) && ReadDouble(m_in, shot.m_dDeviation);
        for (int* pn : {&s.nBallPath1, &s.nShortPath1, &s.nRecommendedShot, &s.nGameType, &s.nCompetitionType,
                        &s.nViewType, &s.nTableColor, &s.nTableNumber})
            bOk = bOk && ReadInt(m_in, *pn);
        if (!bOk)
            return Truncated("the last fields");
        return CheckMode() && CheckShot() && CheckSettings();
    }

    bool CheckMode()
    {
        if (m_out.m_nPutBackMask > 0xffff)
            return Fail("the put-back mask names balls that do not exist");
        const DWORD nModes = m_out.m_nGameMode & MODE_FIELD & ~modeZoom;
        if (std::popcount(nModes) > 1)
            return Fail("the game-mode word holds more than one mode");
        if (const DWORD nBusy = m_out.m_nGameMode & ~(MODE_FIELD | MODE_RESTING_FLAGS); nBusy != 0)
        {
            char szBusy[16];
            std::snprintf(szBusy, sizeof szBusy, "%#x", static_cast<unsigned>(nBusy));
            return Fail(std::string("the game-mode word carries flags ") + szBusy + " that a game at rest has not");
        }
        return true;
    }

    bool CheckShot()
    {
        const CShotInfo& shot = m_out.m_Shot;
        const int nKind = shot.m_nKind;
        if (shot.m_nPocket < -1 || shot.m_nPocket > 5 || !IsBallOrNone(shot.m_nCueBall) ||
            !IsBallOrNone(shot.m_nObjectBall) || !IsBallOrNone(shot.m_nSecondBall) ||
            (nKind != 0 && nKind != 1 && nKind != 2 && nKind != 4 && nKind != 8) || !std::isfinite(shot.m_dAim) ||
            !std::isfinite(shot.m_dDeviation))
            return Fail("the shot record is out of range");
        return true;
    }

    bool CheckSettings()
    {
        const SSavedSettings& s = m_out.m_Settings;
        const auto isFlag = [](int n) { return n == 0 || n == 1; };
        if (!isFlag(s.nBallPath1) || !isFlag(s.nShortPath1) || !isFlag(s.nRecommendedShot) || s.nCompetitionType < 0 ||
            s.nCompetitionType > 2 || s.nViewType < 0 || s.nViewType > 2 || s.nTableColor < 0 ||
            s.nTableColor > 0xffffff || s.nTableNumber < 0)
            return Fail("a setting is out of range");
        return true;
    }

    /// The referee state belongs to the settings' game type, which must be playable here.
    bool CheckGameType()
    {
        const std::vector<BYTE>& state = m_out.m_abRefereeState;
        const int nGameType = m_out.m_Settings.nGameType;
        if (state.size() < REFEREE_PACKED_SIZE || state[9] != (static_cast<unsigned>(nGameType) & 0xff) ||
            nGameType < 0 || nGameType > 0xff)
            return Fail("the rule state and the settings name different game types");
        const int nSize = m_stateSize ? m_stateSize(nGameType) : 0;
        if (nSize <= 0)
            return Fail("game type " + std::to_string(nGameType) + " cannot be played here");
        if (static_cast<std::size_t>(nSize) != state.size())
            return Fail("the rule state has the wrong size for its game type");
        // The packed words: 3 = shot score | target << 8, 4 = second ball | type << 8,
        // 5 = cue ball | extra << 8; the bytes are signed.
        const int nTarget = static_cast<signed char>(state[7]);
        const int nSecond = static_cast<signed char>(state[8]);
        const int nCueBall = static_cast<signed char>(state[10]);
        if (nTarget < -3 || nTarget > 15 || !IsBallOrNone(nSecond) || nCueBall < 0 || nCueBall > 15)
            return Fail("the rule state is out of range");
        return true;
    }

    std::span<const BYTE> m_bytes;
    CByteReader m_in;
    const FRefereeStateSize& m_stateSize;
    CSavedGame& m_out;
    int m_nVersion = 0;
    CString m_strReason;
};
} // namespace

int BuiltInRefereeStateSize(int nGameType) { return IsBuiltInGameType(nGameType) ? REFEREE_PACKED_SIZE : 0; }

CSavedGame::CSavedGame(const CString& strPath, const CPrivateCrtRandom& /*building*/) : m_strPath(strPath)
{
    for (int i = 0; i < 16; ++i)
        m_apBalls[static_cast<std::size_t>(i)] = std::make_unique<CBall>(i);
    m_abRefereeState.assign(REFEREE_PACKED_SIZE, 0);
}

CSavedGame::~CSavedGame() = default;

CShotInfo CSavedGame::ShotFromCall(const SCallRecord& call)
{
    CShotInfo shot;
    shot.Reset();
    shot.Set(call.nPocket, 0, call.nBall, -1, 0.0, 1, 0.0);
    return shot;
}

std::vector<BYTE> CSavedGame::Build()
{
    CByteWriter out;
    for (char ch : {'S', 'A', 'V', SAVED_GAME_VERSION})
        out.WriteU8(static_cast<BYTE>(ch));
    WriteViewBlock(out, m_View);
    for (const auto& pBall : m_apBalls)
    {
        std::array<BYTE, BALL_STATE_SIZE> record{};
        DWORD nSize = 0;
        pBall->Serialize(record, nSize);
        out.WriteBytes(std::span(record).first(nSize));
    }
    m_Player1.Write(out);
    m_Player2.Write(out);
    for (int n : {m_nCurrentPlayer, m_Player2.GetRobotLevel(), m_nBreakPlayed})
        out.WriteS32LE(n);
    out.WriteBytes(m_abRefereeState);
    out.WriteU32LE(m_nPutBackMask);
    out.WriteU32LE(m_nGameMode);
    for (std::int32_t n :
         {m_Shot.m_nPocket, m_Shot.m_nCueBall, m_Shot.m_nObjectBall, m_Shot.m_nSecondBall, m_Shot.m_nKind})
        out.WriteS32LE(n);
    WriteDouble(out, m_Shot.m_dAim);
    WriteDouble(out, m_Shot.m_dDeviation);
    const SSavedSettings& s = m_Settings;
    for (int n : {s.nBallPath1, s.nShortPath1, s.nRecommendedShot, s.nGameType, s.nCompetitionType, s.nViewType,
                  s.nTableColor, s.nTableNumber})
        out.WriteS32LE(n);

    // Only a file that reads back is written: a value the reader would refuse stops the save
    // here instead of leaving a file that can never be loaded. The check reads the bytes into a
    // scratch snapshot with every game type allowed, since the live game's own type is playable.
    std::vector<BYTE> bytes = out.Take();
    CSavedGame scratch(m_strPath);
    const LONG nGoal = g_nGoal;
    const FRefereeStateSize anyType = [this](int) { return static_cast<int>(m_abRefereeState.size()); };
    const bool bReadable = CSavedGameParser(bytes, anyType, scratch).Parse(m_strReason);
    g_nGoal = nGoal;
    if (!bReadable)
        bytes.clear();
    return bytes;
}

BOOL CSavedGame::Write()
{
    m_bValid = FALSE;
    const std::vector<BYTE> bytes = Build();
    if (bytes.empty())
        return FALSE;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ReplaceFileContents(ResolvePath(m_strPath.Str()), text))
    {
        m_strReason = "the file could not be written";
        return FALSE;
    }
    m_strReason.Empty();
    m_bValid = TRUE;
    return TRUE;
}

BOOL CSavedGame::Read(const FRefereeStateSize& refereeStateSize)
{
    m_bValid = FALSE;
    std::string bytes;
    switch (ReadWholeFileChecked(ResolvePath(m_strPath.Str()), bytes, SAVED_GAME_MAX_BYTES))
    {
    case EFileRead::Missing:
        m_strReason = "the file does not exist";
        return FALSE;
    case EFileRead::Refused:
        m_strReason = "the file cannot be read or is too large for a saved game";
        return FALSE;
    case EFileRead::Read:
        break;
    }
    return ReadBytes(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()), refereeStateSize);
}

BOOL CSavedGame::ReadBytes(std::span<const BYTE> data, const FRefereeStateSize& refereeStateSize)
{
    m_bValid = FALSE;
    // Everything is read into a staging snapshot first; this one changes only once all of the
    // file has been checked. The player records set the program-wide goal as they are read, so
    // it is put back until the file is accepted.
    CSavedGame staged(m_strPath);
    const LONG nGoal = g_nGoal;
    const bool bOk = CSavedGameParser(data, refereeStateSize, staged).Parse(m_strReason);
    const LONG nReadGoal = g_nGoal;
    g_nGoal = nGoal;
    if (!bOk)
    {
        OutputDebugString(("Saved game refused: " + m_strPath.Str() + ": " + m_strReason.Str() + "\n").c_str());
        return FALSE;
    }
    TakeFrom(staged);
    g_nGoal = nReadGoal;
    m_bValid = TRUE;
    return TRUE;
}

void CSavedGame::TakeFrom(CSavedGame& other)
{
    m_View = other.m_View;
    m_apBalls.swap(other.m_apBalls);
    m_Player1.Assign(other.m_Player1);
    m_Player2.Assign(other.m_Player2);
    m_nCurrentPlayer = other.m_nCurrentPlayer;
    m_nBreakPlayed = other.m_nBreakPlayed;
    m_abRefereeState = other.m_abRefereeState;
    m_nPutBackMask = other.m_nPutBackMask;
    m_nGameMode = other.m_nGameMode;
    m_Shot = other.m_Shot;
    m_Settings = other.m_Settings;
    m_strReason.Empty();
}
