// Saved games: a snapshot of a game in progress, written to and read from a ".sav" file.
//
// The main frame fills a CSavedGame from the live game and calls Write, or calls Read and, only
// when it succeeds, copies the snapshot back into the game. Reading fills the snapshot alone:
// no global, setting or file is touched by a file that is refused.
//
// File layout (version 7; little-endian, floats IEEE single, doubles IEEE double, no padding):
//   offset  size       field
//   0       4          "SAV7": the fourth byte is the version, '5', '6' or '7'
//   4       45         view block of the saved camera (ViewRecord.h)
//   49      16 x 148   ball state records of balls 0 to 15 (CBall::Serialize)
//   2417    variable   player 1's record, then player 2's (Player.h; v5 lacks the first word and
//                      the skill level, v6 the skill level)
//   +0      4          current player, 1 or 2
//   +4      4          player 2's skill level, 0 to 9 (0 a person)
//   +8      4          break played, 0 or 1
//   +12     n          the referee's packed state (12 bytes for every built-in game type)
//   ...     4          put-back mask: bit i set when ball i was put back in the last shot
//   ...     4          game-mode word
//   ...     36         shot record: pocket, cue ball, object ball, second ball, kind (32-bit),
//                      aim and deviation (doubles)
//   ...     32         eight settings values: BallPath1, ShortPath1, RecommendedShot, GameType,
//                      Competition Type, View Type, Table color, Table number
// n is what remains once every other field is counted, so a referee state of another size
// cannot shift the fields after it; it must be the size the game type's referee packs.
#pragma once

#include "foundation/ViewRecord.h"
#include "platform/mfc/CString.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/WinTypes.h"
#include "simulation/Ball.h"
#include "simulation/CallRecord.h"
#include "simulation/Player.h"
#include "simulation/ShotInfo.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <vector>

/// The largest saved game read: a real one is under 3 KiB.
inline constexpr std::size_t SAVED_GAME_MAX_BYTES = 64 * 1024;
/// The longest player name the game writes: a path-length name and the "(1)" that tells two
/// equal names apart.
inline constexpr int SAVED_GAME_MAX_NAME = 259 + 3;
/// The saved-game version this program writes (the magic's fourth byte).
inline constexpr char SAVED_GAME_VERSION = '7';

/// The eight settings a saved game carries, in file order.
struct SSavedSettings
{
    int nBallPath1 = 0;
    int nShortPath1 = 0;
    int nRecommendedShot = 0;
    int nGameType = 0;
    int nCompetitionType = 0;
    int nViewType = 0;
    int nTableColor = 0; ///< a COLORREF, 0x00BBGGRR
    int nTableNumber = 0;
};

/// The size of the packed rule state of a game type's referee; 0 when the game cannot be played
/// here (an unknown type, or a plug-in type with no plug-in installed).
using FRefereeStateSize = std::function<int(int nGameType)>;
/// The built-in game types (12 bytes each); every other type gives 0, as do the network game
/// types 32 and 33, which a saved game cannot resume.
int BuiltInRefereeStateSize(int nGameType);

class CSavedGame
{
public:
    /// A snapshot for the file at the (Windows-style) path; nothing is created or read yet.
    /// Building it leaves the game's random sequence as it was.
    explicit CSavedGame(const CString& strPath) : CSavedGame(strPath, CPrivateCrtRandom()) {}
    virtual ~CSavedGame();
    CSavedGame(const CSavedGame&) = delete;
    CSavedGame& operator=(const CSavedGame&) = delete;

    /// Writes the snapshot. The file is replaced in one step: on any failure the old file stays
    /// as it was. A snapshot the reader would refuse is not written. 1 on success, else 0.
    BOOL Write();
    /// Reads and checks the whole file, then fills the snapshot and sets the program-wide goal
    /// from player 2's record. On any failure nothing changes but the valid flag (0) and the
    /// reason. 1 on success, else 0.
    BOOL Read(const FRefereeStateSize& refereeStateSize = BuiltInRefereeStateSize);
    /// Read over a file's whole contents already in memory.
    BOOL ReadBytes(std::span<const BYTE> data, const FRefereeStateSize& refereeStateSize = BuiltInRefereeStateSize);

    /// The file's bytes as Write would write them; empty (and the reason set) when the snapshot
    /// holds a value the reader would refuse.
    std::vector<BYTE> Build();

    BOOL IsValid() const { return m_bValid; }
    /// Why the last Write or Read failed; empty after a success.
    const CString& GetReason() const { return m_strReason; }
    const CString& GetPath() const { return m_strPath; }

    /// The shot record saved while a shot is being called: the called pocket and ball, kind 1.
    static CShotInfo ShotFromCall(const SCallRecord& call);

    CViewRecord m_View;
    std::array<std::unique_ptr<CBall>, 16> m_apBalls; ///< ball i holds ball number i
    CPlayer m_Player1;
    CPlayer m_Player2;
    int m_nCurrentPlayer = 1; ///< 1 or 2
    int m_nBreakPlayed = 0;
    std::vector<BYTE> m_abRefereeState; ///< the referee's PackState bytes
    DWORD m_nPutBackMask = 0;
    DWORD m_nGameMode = 0;
    CShotInfo m_Shot;
    SSavedSettings m_Settings;

private:
    /// The members are built while the guard lives: a ball's construction draws its random face
    /// and a player's reseeds the generator, and neither may move the game's sequence.
    CSavedGame(const CString& strPath, const CPrivateCrtRandom& building);
    /// Takes every field of a checked staging snapshot.
    void TakeFrom(CSavedGame& other);

    CString m_strPath;
    BOOL m_bValid = FALSE;
    CString m_strReason;
};
