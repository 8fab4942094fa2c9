#include "gameflow/SavedGame.h"

#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "platform/win32/AtomicFile.h"
#include "simulation/RefereeTypes.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<BYTE>;

// Offsets of the golden file (players "Anna" and "Bo", a 12-byte rule state).
constexpr std::size_t PLAYER1 = 2417;
constexpr std::size_t PLAYER2 = PLAYER1 + 32 + 45 + 5;
constexpr std::size_t TURN = PLAYER2 + 32 + 45 + 3;
constexpr std::size_t REFEREE = TURN + 12;
constexpr std::size_t PUT_BACK = REFEREE + 12;
constexpr std::size_t MODE = PUT_BACK + 4;
constexpr std::size_t SHOT = MODE + 4;
constexpr std::size_t SETTINGS = SHOT + 36;
constexpr std::size_t GOLDEN_SIZE = SETTINGS + 32;

// The fixed snapshot the golden file is made from.
void FillSnapshot(CSavedGame& game)
{
    game.m_View.Set(30.5f, 12.0f, 1.75f, 0.1f, 26.0f, -0.3f, 0.25f, -0.5f, 45.0f, 5.0f, 0.0f);
    for (int i = 0; i < 16; ++i)
        game.m_apBalls[i] = std::make_unique<CBall>(i, 0.05f * static_cast<float>(i) - 0.4f, 0.3f);
    game.m_apBalls[5] = std::make_unique<CBall>(5); // pocketed: off the table
    for (auto& pBall : game.m_apBalls)
        pBall->ResetOrientation(); // a new ball is turned at random
    game.m_Player1.GetNameRef() = "Anna";
    game.m_Player1.SetId(7);
    game.m_Player1.SetGroup(1);
    game.m_Player1.SetGames(2);
    game.m_Player1.SetPoints(3);
    game.m_Player1.SetFouls(1);
    game.m_Player1.SetLocal();
    game.m_Player2.GetNameRef() = "Bo";
    game.m_Player2.SetGroup(0);
    game.m_Player2.SetLocal();
    game.m_Player2.SetLevel(5);
    game.m_nCurrentPlayer = 2;
    game.m_nBreakPlayed = 1;
    CReferee8Ball referee;
    referee.Init(GAME_8BALL);
    referee.SetTarget(-2);
    referee.SetFlags(REF_BREAK_MADE);
    int nSize = 0;
    const BYTE* p = referee.PackState(&nSize, 0);
    game.m_abRefereeState.assign(p, p + nSize);
    game.m_nPutBackMask = 0x20;
    game.m_nGameMode = 0x20 | 0x400; // aiming, zoom held
    game.m_Shot.Set(4, 0, 9, -1, 1.25, 2, -0.0625);
    game.m_Settings = {1, 0, 1, GAME_8BALL, 1, 2, 0x336699, 0};
}

DWORD U32(const Bytes& b, std::size_t at)
{
    return DWORD(b[at]) | DWORD(b[at + 1]) << 8 | DWORD(b[at + 2]) << 16 | DWORD(b[at + 3]) << 24;
}
void PutU32(Bytes& b, std::size_t at, DWORD n)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<BYTE>(n >> (8 * i));
}
float F32(const Bytes& b, std::size_t at) { return std::bit_cast<float>(U32(b, at)); }
double F64(const Bytes& b, std::size_t at)
{
    return std::bit_cast<double>(std::uint64_t(U32(b, at)) | std::uint64_t(U32(b, at + 4)) << 32);
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string ToText(const Bytes& b) { return std::string(b.begin(), b.end()); }

class SavedGameTest : public ::testing::Test
{
protected:
    SavedGameTest()
    {
        g_nGoal = 50;
        CSavedGame game(Path("golden.sav"));
        FillSnapshot(game);
        EXPECT_EQ(TRUE, game.Write()) << game.GetReason().Str();
        m_golden = ToBytes(m_folder.Read("golden.sav"));
    }
    ~SavedGameTest() override
    {
        g_nGoal = 50;
        SetFileWriteFaultForTest(EFileWriteFault::None);
    }

    CString Path(const std::string& strName) const { return CString(m_folder.File(strName)); }

    CTempFolder m_folder;
    Bytes m_golden;
};
} // namespace

TEST_F(SavedGameTest, TheGoldenFileHasEveryFieldInPlace)
{
    ASSERT_EQ(GOLDEN_SIZE, m_golden.size());
    EXPECT_EQ("SAV7", ToText(Bytes(m_golden.begin(), m_golden.begin() + 4)));
    const struct
    {
        const char* szField;
        std::size_t nAt;
        DWORD nValue;
    } words[] = {
        {"view valid and zero bytes", 4, 1},
        {"ball 0 number", 49, 0},
        {"ball 15 number", 49 + 15 * 148, 15},
        {"ball 3 bytes 4 to 7 zero", 49 + 3 * 148 + 4, 0},
        {"player 1 id", PLAYER1, 7},
        {"player 1 group", PLAYER1 + 4, 1},
        {"player 1 goal", PLAYER1 + 8, 50},
        {"player 1 games", PLAYER1 + 12, 2},
        {"player 1 location", PLAYER1 + 24, 0},
        {"player 1 skill", PLAYER1 + 28, 0},
        {"player 2 id", PLAYER2, 0xffffffff},
        {"player 2 skill", PLAYER2 + 28, 5},
        {"current player", TURN, 2},
        {"player 2 skill field", TURN + 4, 5},
        {"break played", TURN + 8, 1},
        {"rule flags and pocketed now", REFEREE, REF_BREAK_MADE},
        {"score 0, target -2, second none, type 8", REFEREE + 6, 0x08fffe00},
        {"put-back mask", PUT_BACK, 0x20},
        {"mode word", MODE, 0x420},
        {"shot pocket", SHOT, 4},
        {"shot cue ball", SHOT + 4, 0},
        {"shot object ball", SHOT + 8, 9},
        {"shot second ball", SHOT + 12, 0xffffffff},
        {"shot kind", SHOT + 16, 2},
        {"BallPath1", SETTINGS, 1},
        {"RecommendedShot", SETTINGS + 8, 1},
        {"GameType", SETTINGS + 12, 8},
        {"Competition Type", SETTINGS + 16, 1},
        {"View Type", SETTINGS + 20, 2},
        {"Table color", SETTINGS + 24, 0x336699},
        {"Table number", SETTINGS + 28, 0},
    };
    for (const auto& w : words)
    {
        SCOPED_TRACE(w.szField);
        EXPECT_EQ(w.nValue, U32(m_golden, w.nAt));
    }
    EXPECT_EQ(30.5f, F32(m_golden, 8));
    EXPECT_EQ(-0.5f, F32(m_golden, 4 + 32));
    EXPECT_EQ(5.0f, F32(m_golden, 4 + 36 + 4));
    EXPECT_EQ(-0.4f, F32(m_golden, 49 + 80)) << "ball 0's x";
    EXPECT_EQ(0.3f, F32(m_golden, 49 + 148 + 84)) << "ball 1's y";
    EXPECT_EQ("Anna", ToText(Bytes(m_golden.begin() + PLAYER1 + 77, m_golden.begin() + PLAYER1 + 81)));
    EXPECT_EQ(0, m_golden[PLAYER1 + 81]);
    EXPECT_EQ(0, m_golden[PLAYER2 + 79]);
    EXPECT_EQ(1.25, F64(m_golden, SHOT + 20));
    EXPECT_EQ(-0.0625, F64(m_golden, SHOT + 28));
}

TEST_F(SavedGameTest, ReadingThenWritingGivesTheSameBytes)
{
    g_nGoal = 9;
    CSavedGame game(Path("golden.sav"));
    ASSERT_EQ(TRUE, game.Read()) << game.GetReason().Str();
    EXPECT_EQ(TRUE, game.IsValid());
    EXPECT_TRUE(game.GetReason().IsEmpty());
    EXPECT_EQ(50, g_nGoal) << "the goal is set once the file is accepted";
    EXPECT_EQ(CString("Bo"), game.m_Player2.GetNameRef());
    EXPECT_EQ(5, game.m_Player2.GetRobotLevel());
    EXPECT_EQ(7, game.m_Player1.GetId());
    EXPECT_EQ(0x420u, game.m_nGameMode) << "zoom held";
    EXPECT_EQ(5, game.m_apBalls[5]->GetIndex());

    // Read, then write over the same file: the very same bytes.
    EXPECT_EQ(m_golden, game.Build());
    ASSERT_EQ(TRUE, game.Write());
    EXPECT_EQ(m_golden, ToBytes(m_folder.Read("golden.sav")));
}

TEST_F(SavedGameTest, OlderVersionsReadWithoutTheFieldsTheyLack)
{
    // Version 6 player records lack the skill level (bytes 28 to 31), version 5 ones the first
    // word too; player 2's skill comes from its own field all the same.
    for (const char chVersion : {'5', '6'})
    {
        SCOPED_TRACE(std::string("version ") + chVersion);
        Bytes file(m_golden.begin(), m_golden.begin() + PLAYER1);
        for (const std::size_t nAt : {PLAYER1, PLAYER2})
        {
            const std::size_t nEnd = nAt == PLAYER1 ? PLAYER2 : TURN;
            file.insert(file.end(), m_golden.begin() + (chVersion == '5' ? nAt + 4 : nAt), m_golden.begin() + nAt + 28);
            file.insert(file.end(), m_golden.begin() + nAt + 32, m_golden.begin() + nEnd);
        }
        file.insert(file.end(), m_golden.begin() + TURN, m_golden.end());
        file[3] = static_cast<BYTE>(chVersion);
        m_folder.Write("old.sav", ToText(file));
        CSavedGame game(Path("old.sav"));
        ASSERT_EQ(TRUE, game.Read()) << game.GetReason().Str();
        EXPECT_EQ(5, game.m_Player2.GetRobotLevel());
        EXPECT_EQ(0, game.m_Player1.GetRobotLevel());
        EXPECT_EQ(chVersion == '5' ? -1 : 7, game.m_Player1.GetId());
        EXPECT_EQ(CString("Anna"), game.m_Player1.GetNameRef());
        EXPECT_EQ(0x336699, game.m_Settings.nTableColor);
        if (chVersion == '6')
        {
            EXPECT_EQ(m_golden, game.Build()) << "written again, it is today's file";
        }
    }
}

namespace
{
struct SDamage
{
    const char* szCase;
    std::function<void(Bytes&)> damage;
    const char* szReason; // a part of the reason given
};

Bytes Inserted(Bytes b, std::size_t at, const Bytes& extra)
{
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
    return b;
}

std::vector<SDamage> DamagedFiles()
{
    const auto word = [](std::size_t at, DWORD n) { return [=](Bytes& b) { PutU32(b, at, n); }; };
    const auto byte = [](std::size_t at, BYTE n) { return [=](Bytes& b) { b[at] = n; }; };
    const DWORD nNaN = 0x7fc00000;
    return {
        {"SAV4", byte(3, '4'), "version"},
        {"SAV8", byte(3, '8'), "version"},
        {"XAV7", byte(0, 'X'), "version"},
        {"sav7", byte(0, 's'), "version"},
        {"view not finite", word(8, nNaN), "camera"},
        {"ball 3 says it is ball 4", word(49 + 3 * 148, 4), "ball record 3"},
        {"ball 2 number 16", word(49 + 2 * 148, 16), "ball record 2"},
        {"ball 7 position not finite", word(49 + 7 * 148 + 80, nNaN), "ball record 7"},
        {"player 1 group 2", word(PLAYER1 + 4, 2), "player 1"},
        {"player 2 skill 10", word(PLAYER2 + 28, 10), "player 2"},
        {"player 1 negative goal", word(PLAYER1 + 8, DWORD(-1)), "player 1"},
        {"player 1 view not finite", word(PLAYER1 + 32 + 4, nNaN), "player 1"},
        {"player 2 name with a control character", byte(PLAYER2 + 78, '\t'), "player 2"},
        {"player 2 name too long", [](Bytes& b) { b = Inserted(b, PLAYER2 + 77, Bytes(261, 'x')); }, "player 2"},
        {"player 2 name without its zero", [](Bytes& b) { b.resize(PLAYER2 + 79); }, "player 2"},
        {"current player 3", word(TURN, 3), "current player"},
        {"current player 0", word(TURN, 0), "current player"},
        {"skill -1", word(TURN + 4, DWORD(-1)), "skill"},
        {"skill 10", word(TURN + 4, 10), "skill"},
        {"break flag 2", word(TURN + 8, 2), "break"},
        {"rule state's cue ball 16", byte(REFEREE + 10, 16), "rule state"},
        {"rule state's cue ball -1", byte(REFEREE + 10, 0xff), "rule state"},
        {"rule state's target 16", byte(REFEREE + 7, 16), "rule state"},
        {"rule state's second ball 16", byte(REFEREE + 8, 16), "rule state"},
        {"rule state of 9-ball, settings of 8-ball", byte(REFEREE + 9, 9), "different game types"},
        {"rule state of 14 bytes", [](Bytes& b) { b = Inserted(b, PUT_BACK, Bytes(2, 0)); }, "wrong size"},
        {"rule state of 10 bytes", [](Bytes& b) { b.erase(b.begin() + REFEREE + 10, b.begin() + PUT_BACK); },
         "rule state"},
        {"game type 33", [](Bytes& b) { b[REFEREE + 9] = 33, PutU32(b, SETTINGS + 12, 33); }, "cannot be played"},
        {"game type 32", [](Bytes& b) { b[REFEREE + 9] = 32, PutU32(b, SETTINGS + 12, 32); }, "cannot be played"},
        {"plug-in type 40 not installed", [](Bytes& b) { b[REFEREE + 9] = 40, PutU32(b, SETTINGS + 12, 40); },
         "cannot be played"},
        {"settings game type 264", word(SETTINGS + 12, 8 + 256), "different game types"},
        {"put-back mask bit 16", word(PUT_BACK, 0x10000), "put-back"},
        {"two modes", word(MODE, 0x20 | 0x40), "more than one mode"},
        {"two modes beside zoom", word(MODE, 0x420 | 0x4000), "more than one mode"},
        {"shot pocket 6", word(SHOT, 6), "shot"},
        {"shot pocket -2", word(SHOT, DWORD(-2)), "shot"},
        {"shot cue ball 16", word(SHOT + 4, 16), "shot"},
        {"shot object ball -2", word(SHOT + 8, DWORD(-2)), "shot"},
        {"shot kind 3", word(SHOT + 16, 3), "shot"},
        {"shot aim not finite", word(SHOT + 24, 0x7ff80000), "shot"},
        {"shot deviation infinite", word(SHOT + 32, 0x7ff00000), "shot"},
        {"BallPath1 2", word(SETTINGS, 2), "setting"},
        {"RecommendedShot -1", word(SETTINGS + 8, DWORD(-1)), "setting"},
        {"Competition Type 3", word(SETTINGS + 16, 3), "setting"},
        {"View Type 3", word(SETTINGS + 20, 3), "setting"},
        {"Table color beyond RGB", word(SETTINGS + 24, 0x1000000), "setting"},
        {"Table number -1", word(SETTINGS + 28, DWORD(-1)), "setting"},
        {"oversize", [](Bytes& b) { b.resize(SAVED_GAME_MAX_BYTES + 1); }, "too large"},
        {"empty", [](Bytes& b) { b.clear(); }, "header"},
    };
}
} // namespace

// A refused file changes nothing: not the snapshot that read it, not the goal, not the settings,
// not the file; the reason says what was wrong.
TEST_F(SavedGameTest, DamagedFilesAreRefusedWithAReasonAndChangeNothing)
{
    std::vector<SDamage> cases = DamagedFiles();
    for (std::size_t n = 0; n < m_golden.size(); ++n)
        cases.push_back({"truncated", [n](Bytes& b) { b.resize(n); }, "ends inside"});
    CSavedGame game(Path("golden.sav"));
    ASSERT_EQ(TRUE, game.Read());
    const int nGameType = g_Settings.m_nGameType;
    int nTruncation = 0;
    for (const SDamage& c : cases)
    {
        const bool bTruncation = std::string(c.szCase) == "truncated";
        SCOPED_TRACE(bTruncation ? "truncated to " + std::to_string(nTruncation++) : std::string(c.szCase));
        Bytes file = m_golden;
        c.damage(file);
        m_folder.Write("damaged.sav", ToText(file));
        CSavedGame damaged(Path("damaged.sav"));
        FillSnapshot(damaged);
        g_nGoal = 33;
        EXPECT_EQ(FALSE, damaged.Read());
        EXPECT_EQ(FALSE, damaged.IsValid());
        const std::string strReason = damaged.GetReason().Str();
        const bool bCutShort = strReason.find("cut short") != std::string::npos;
        EXPECT_TRUE(strReason.find(c.szReason) != std::string::npos || (bTruncation && bCutShort)) << strReason;
        EXPECT_EQ(33, g_nGoal);
        g_nGoal = 50;
        EXPECT_EQ(m_golden, damaged.Build()) << "the snapshot is as it was";
        EXPECT_EQ(file, ToBytes(m_folder.Read("damaged.sav")));
        EXPECT_EQ(nGameType, g_Settings.m_nGameType);
    }
}

TEST_F(SavedGameTest, AnInstalledPlugInTypeIsReadWithItsOwnStateSize)
{
    Bytes file = m_golden;
    file[REFEREE + 9] = 40;
    PutU32(file, SETTINGS + 12, 40);
    m_folder.Write("plugin.sav", ToText(file));
    CSavedGame game(Path("plugin.sav"));
    const auto installed = [](int nType) { return nType == 40 ? REFEREE_PACKED_SIZE : BuiltInRefereeStateSize(nType); };
    ASSERT_EQ(TRUE, game.Read(installed)) << game.GetReason().Str();
    EXPECT_EQ(40, game.m_Settings.nGameType);
    const auto larger = [](int nType) { return nType == 40 ? 14 : 0; };
    EXPECT_EQ(FALSE, game.Read(larger));
    EXPECT_NE(std::string::npos, game.GetReason().Str().find("wrong size"));
}

TEST_F(SavedGameTest, ReadingAMissingFileCreatesNothing)
{
    CSavedGame game(Path("missing.sav"));
    EXPECT_EQ(FALSE, game.IsValid());
    EXPECT_EQ(FALSE, game.Read());
    EXPECT_EQ(CString("the file does not exist"), game.GetReason());
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("missing.sav")));
    std::filesystem::create_directory(m_folder.File("folder.sav"));
    CSavedGame folder(Path("folder.sav"));
    EXPECT_EQ(FALSE, folder.Read());
    EXPECT_FALSE(folder.GetReason().IsEmpty());
}

TEST_F(SavedGameTest, AFailedWriteKeepsTheOldFile)
{
    for (const EFileWriteFault eFault :
         {EFileWriteFault::Create, EFileWriteFault::Write, EFileWriteFault::Sync, EFileWriteFault::Rename})
    {
        SCOPED_TRACE(static_cast<int>(eFault));
        CSavedGame game(Path("golden.sav"));
        FillSnapshot(game);
        game.m_nCurrentPlayer = 1;
        SetFileWriteFaultForTest(eFault);
        EXPECT_EQ(FALSE, game.Write());
        SetFileWriteFaultForTest(EFileWriteFault::None);
        EXPECT_EQ(FALSE, game.IsValid());
        EXPECT_FALSE(game.GetReason().IsEmpty());
        EXPECT_EQ(m_golden, ToBytes(m_folder.Read("golden.sav")));
    }
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(m_folder.Path()), {})) << "no temporary left";
}

TEST_F(SavedGameTest, WhatTheGameWritesLoadsAgainAndNothingElseIsWritten)
{
    // The longest names the game makes, a pocketed ball (ball 5) and the zoom bit load again.
    CSavedGame longest(Path("longest.sav"));
    FillSnapshot(longest);
    longest.m_Player1.GetNameRef() = CString(std::string(259, 'a') + "(1)");
    longest.m_Player2.GetNameRef() = CString(std::string(259, 'a') + "(2)");
    ASSERT_EQ(TRUE, longest.Write()) << longest.GetReason().Str();
    CSavedGame back(Path("longest.sav"));
    ASSERT_EQ(TRUE, back.Read()) << back.GetReason().Str();
    EXPECT_EQ(longest.m_Player2.GetNameRef(), back.m_Player2.GetNameRef());
    EXPECT_EQ(ToBytes(m_folder.Read("longest.sav")), back.Build());

    // A snapshot the reader would refuse is not written at all.
    CSavedGame bad(Path("bad.sav"));
    FillSnapshot(bad);
    bad.m_Player1.GetNameRef() = "two\nlines";
    EXPECT_EQ(FALSE, bad.Write());
    EXPECT_NE(std::string::npos, bad.GetReason().Str().find("player 1"));
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("bad.sav")));
}

TEST_F(SavedGameTest, AShotBeingCalledIsSavedAsTheCall)
{
    const CShotInfo shot = CSavedGame::ShotFromCall({3, 2, 0});
    EXPECT_EQ(2, shot.m_nPocket);
    EXPECT_EQ(0, shot.m_nCueBall);
    EXPECT_EQ(3, shot.m_nObjectBall);
    EXPECT_EQ(-1, shot.m_nSecondBall);
    EXPECT_EQ(1, shot.m_nKind);
    EXPECT_EQ(0.0, shot.m_dAim);
    EXPECT_EQ(0.0, shot.m_dDeviation);
}

// Random damage to the golden file never crashes the reader; a file it accepts writes back to
// bytes it accepts again, and a file it refuses changes nothing.
TEST_F(SavedGameTest, SeededMutationsOfTheGoldenFile)
{
    std::mt19937 random(20261210);
    for (int nRun = 0; nRun < 3000; ++nRun)
    {
        Bytes file = m_golden;
        const int nChanges = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < nChanges; ++i)
        {
            const std::size_t at = random() % file.size();
            switch (random() % 4)
            {
            case 0:
                file[at] = static_cast<BYTE>(random());
                break;
            case 1:
                file[at] ^= static_cast<BYTE>(1u << (random() % 8));
                break;
            case 2:
                file.erase(file.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            default:
                file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), static_cast<BYTE>(random()));
                break;
            }
        }
        SCOPED_TRACE("run " + std::to_string(nRun));
        m_folder.Write("mutated.sav", ToText(file));
        CSavedGame game(Path("mutated.sav"));
        FillSnapshot(game);
        if (game.Read() == TRUE)
        {
            const Bytes rewritten = game.Build();
            ASSERT_FALSE(rewritten.empty()) << game.GetReason().Str();
            m_folder.Write("rewritten.sav", ToText(rewritten));
            CSavedGame again(Path("rewritten.sav"));
            ASSERT_EQ(TRUE, again.Read()) << again.GetReason().Str();
            EXPECT_EQ(rewritten, again.Build());
        }
        else
        {
            ASSERT_FALSE(game.GetReason().IsEmpty());
            g_nGoal = 50;
            EXPECT_EQ(m_golden, game.Build());
        }
        g_nGoal = 50;
    }
}
