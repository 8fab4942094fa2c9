// The statistics dialog over the game window, reading a data folder of player files, damaged ones
// among them, with the settings files of the program and its siblings beside them.
#include "GameDialogFixture.h"

#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "platform/win32/Files.h"
#include "ui/StatisticsDialog.h"

#include <filesystem>
#include <map>
#include <string>

namespace
{
using Driver = CDialogDriver;

/// One row of the dialog: the texts of its five cells.
struct SRow
{
    std::string strName, strRounds, strMatches, strScratches, strStreak;
    bool operator==(const SRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const SRow& row)
{
    return os << row.strName << " | " << row.strRounds << " | " << row.strMatches << " | " << row.strScratches << " | "
              << row.strStreak;
}

class GameStatisticsDialogTest : public CGameDialogFixture
{
protected:
    void SetUp() override
    {
        CGameDialogFixture::SetUp();
        UseDataFolder(m_folder);
    }
    void TearDown() override
    {
        OverrideProgramFilePath("");
        FindDataFolder();
        CGameDialogFixture::TearDown();
    }

    static void UseDataFolder(const CTempFolder& folder)
    {
        OverrideProgramFilePath(folder.File("Vorn"));
        ASSERT_EQ(folder.Folder(), std::string(FindDataFolder().GetString()));
    }

    static std::vector<SRow> Rows(const CStatisticsDialog& dlg)
    {
        std::vector<SRow> aRows;
        for (int i = 0; i < CStatisticsDialog::ROWS; ++i)
        {
            const auto text = [&](int nFirst) { return std::string(dlg.GetDlgItemText(nFirst + i).GetString()); };
            aRows.push_back({text(IDC_STATS_NAME), text(IDC_STATS_ROUNDS), text(IDC_STATS_MATCHES),
                             text(IDC_STATS_SCRATCHES), text(IDC_STATS_STREAK)});
        }
        return aRows;
    }

    CTempFolder m_folder;
    CLiveSettingsScope m_settings{m_folder};
};

std::string Section(int nPage, int nRoundsWon, int nRoundsLost, int nMatchesWon, int nMatchesLost, int nScratches,
                    int nStreak)
{
    return "[" + std::to_string(nPage) + "]\nm_nRoundsWon=" + std::to_string(nRoundsWon) +
           "\nm_nRoundsLost=" + std::to_string(nRoundsLost) + "\nm_nMatchesWon=" + std::to_string(nMatchesWon) +
           "\nm_nMatchesLost=" + std::to_string(nMatchesLost) + "\nm_nScratches=" + std::to_string(nScratches) +
           "\nm_nLongestStreak=" + std::to_string(nStreak) + "\nm_nCurrentStreak=1\n";
}

TEST_F(GameStatisticsDialogTest, RowsListTheFirstTenPlayerFilesAndReadDamagedOnesAsZero)
{
    std::string strBinary;
    for (int i = 0; i < 256; ++i)
        strBinary += static_cast<char>(i);
    const std::map<std::string, std::string> files = {
        {"Ann.ini", Section(0, 3, 1, 2, 0, 5, 4) + Section(1, 9, 9, 9, 9, 9, 9)},
        {"Binary.ini", strBinary},
        {"Bob.INI", Section(0, 1, 2, 0, 1, 0, 1)},
        {"Empty.ini", ""},
        {"Garbage.ini", "this is no ini file\n=\n[[[\n]]]=x\n"},
        {"Huge.ini", "[0]\nm_nRoundsWon=99999999999999999999\nm_nRoundsLost=-99999999999999999999\n"},
        {"Long.ini", std::string(200000, 'x') + "\n[0]\nm_nScratches=7\n"},
        {"NoSection.ini", Section(9, 1, 1, 1, 1, 1, 1)},
        {"NotNum.ini", "[0]\nm_nRoundsWon=abc\nm_nRoundsLost=12abc\nm_nScratches=\n"},
        {"a.ini.ini", Section(0, 2, 2, 1, 1, 0, 2)},
        {"p1.ini", Section(0, 1, 1, 1, 1, 1, 1)}, // the eleventh and twelfth players are not listed
        {"p2.ini", Section(0, 1, 1, 1, 1, 1, 1)},
        {"VORN.ini", Section(0, 8, 8, 8, 8, 8, 8)}, // the settings files of the program and its siblings
        {"gralbeck.Ini", Section(0, 8, 8, 8, 8, 8, 8)},
        {"TessaView.INI", Section(0, 8, 8, 8, 8, 8, 8)},
        {".Hidden.ini", Section(0, 8, 8, 8, 8, 8, 8)},
        {"Notes.txt", Section(0, 8, 8, 8, 8, 8, 8)},
    };
    for (const auto& [strName, strBytes] : files)
        m_folder.Write(strName, strBytes);
    std::filesystem::create_directories(m_folder.Path() / "Folder.ini");
    g_Settings.m_nGameType = 3;

    CStatisticsDialog dlg(&m_game);
    std::vector<SRow> aRows;
    std::vector<SRow> aSecondPage;
    Driver::Play({[&]
                  {
                      aRows = Rows(dlg);
                      Shot("StatisticsDialog");
                      Driver::ClickControl(dlg, IDC_STATS_NEXT);
                  },
                  [&]
                  {
                      aSecondPage = Rows(dlg);
                      Driver::Key(dlg, VK_ESCAPE);
                  }},
                 true);
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    const std::vector<SRow> aExpected = {
        {"Ann", "3 / 1", "2 / 0", "5", "4"},     {"Binary", "0 / 0", "0 / 0", "0", "0"},
        {"Bob.INI", "1 / 2", "0 / 1", "0", "1"}, {"Empty", "0 / 0", "0 / 0", "0", "0"},
        {"Garbage", "0 / 0", "0 / 0", "0", "0"}, {"Huge", "2147483647 / -2147483648", "0 / 0", "0", "0"},
        {"Long", "0 / 0", "0 / 0", "7", "0"},    {"NoSection", "0 / 0", "0 / 0", "0", "0"},
        {"NotNum", "0 / 12", "0 / 0", "0", "0"}, {"a", "2 / 2", "1 / 1", "0", "2"},
    };
    ASSERT_EQ(aExpected.size(), aRows.size());
    for (std::size_t i = 0; i < aRows.size(); ++i)
        EXPECT_EQ(aExpected[i], aRows[i]) << i;
    EXPECT_EQ((SRow{"Ann", "9 / 9", "9 / 9", "9", "9"}), aSecondPage[0]);
    EXPECT_EQ((SRow{"Bob.INI", "0 / 0", "0 / 0", "0", "0"}), aSecondPage[2]);
    for (const auto& [strName, strBytes] : files)
        EXPECT_EQ(strBytes, m_folder.Read(strName)) << strName << " unchanged";
}

TEST_F(GameStatisticsDialogTest, TheFirstPageIsTheGameTypesColumnAndThePagesCycle)
{
    struct SCase
    {
        int nGameType;
        int nFirstPage;
        UINT nPicture;
    };
    const SCase aCases[] = {{3, 0, 938},  {8, 1, 939},  {9, 2, 940}, {15, 3, 943}, {18, 3, 943},
                            {16, 4, 942}, {17, 5, 941}, {0, 0, 938}, {101, 0, 938}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nGameType);
        g_Settings.m_nGameType = c.nGameType;
        CStatisticsDialog dlg(&m_game);
        int nFirst = -1;
        UINT nPicture = 0;
        std::vector<int> aPages;
        std::vector<UINT> aPictures;
        const auto note = [&]
        {
            aPages.push_back(dlg.m_nCurrentPage);
            aPictures.push_back(dlg.m_nPagePicture);
        };
        Driver::Play({[&]
                      {
                          nFirst = dlg.m_nCurrentPage;
                          nPicture = dlg.m_nPagePicture;
                          Driver::ClickControl(dlg, IDC_STATS_PREV);
                      },
                      note, [&] { Driver::ClickControl(dlg, IDC_STATS_NEXT); }, note,
                      [&] { Driver::ClickControl(dlg, IDC_STATS_NEXT); }, note,
                      [&] { Driver::ClickControl(dlg, IDOK); }},
                     true);
        EXPECT_EQ(IDOK, dlg.DoModal());
        EXPECT_EQ(c.nFirstPage, nFirst);
        EXPECT_EQ(c.nPicture, nPicture) << "the picture follows the page with no player files";
        const int nPrev = (c.nFirstPage + 5) % 6;
        EXPECT_EQ((std::vector<int>{nPrev, c.nFirstPage, (c.nFirstPage + 1) % 6}), aPages);
        EXPECT_EQ(nPicture, aPictures[1]);
    }
    EXPECT_TRUE(std::filesystem::exists(m_folder.File("Vorn.ini"))) << "OK saves the settings";
}
} // namespace
