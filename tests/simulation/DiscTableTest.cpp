#include "simulation/DiscTable.h"

#include "tests/platform/TempFolder.h"

#include "platform/win32/AtomicFile.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <span>
#include <string>

namespace
{
// The table is built once for the whole file: every test reads the same bytes.
const std::string& TablesData()
{
    static const std::string s_data = BuildTablesData();
    return s_data;
}

std::span<const BYTE> Bytes(const std::string& s) { return {reinterpret_cast<const BYTE*>(s.data()), s.size()}; }

std::uint32_t Offset(const std::string& data, int k)
{
    std::uint32_t v = 0;
    for (int b = 0; b < 4; ++b)
        v |= static_cast<std::uint32_t>(static_cast<BYTE>(data[static_cast<std::size_t>(k * 4 + b)])) << (8 * b);
    return v;
}

std::uint64_t Fnv1a(const std::string& data)
{
    std::uint64_t h = 1469598103934665603ull;
    for (char c : data)
        h = (h ^ static_cast<BYTE>(c)) * 1099511628211ull;
    return h;
}

/// One decoded pixel of an entry: coverage and normal bytes.
struct SPixel
{
    int nCoverage = 0;
    int nx = 0;
    int ny = 0;
    int nz = 0;
};

/// Decodes entry k into an N x N grid, as the ball painter reads it.
std::vector<std::vector<SPixel>> DecodeEntry(const std::string& data, int k, int nSize)
{
    std::vector<std::vector<SPixel>> grid(static_cast<std::size_t>(nSize),
                                          std::vector<SPixel>(static_cast<std::size_t>(nSize)));
    std::size_t at = Offset(data, k);
    const auto byte = [&data](std::size_t i) { return static_cast<BYTE>(data[i]); };
    for (auto& row : grid)
    {
        const int e = byte(at), p = byte(at + 1), f = byte(at + 2), t = byte(at + 3);
        at += 4;
        int c = e;
        const auto readEdge = [&](int n)
        {
            for (int j = 0; j < n; ++j, ++c, at += 4)
                row[static_cast<std::size_t>(c)] = {byte(at), static_cast<signed char>(byte(at + 1)),
                                                    static_cast<signed char>(byte(at + 2)), byte(at + 3)};
        };
        readEdge(p);
        for (int j = 0; j < f; ++j, ++c)
            row[static_cast<std::size_t>(c)].nCoverage = 255;
        readEdge(t);
    }
    return grid;
}

int GridSizeOf(int i) { return static_cast<int>(std::ceil(5.0 + 0.25 * i)) + 1; }
} // namespace

TEST(DiscTableTest, HeaderOffsetsFollowTheEntriesInIndexOrder)
{
    const std::string& data = TablesData();
    ASSERT_GE(data.size(), DISC_HEADER_SIZE);
    EXPECT_EQ(3840u, Offset(data, 0));
    for (int k = 1; k < DISC_ENTRY_COUNT; ++k)
        ASSERT_LT(Offset(data, k - 1), Offset(data, k)) << "entry " << k;
    EXPECT_LT(Offset(data, DISC_ENTRY_COUNT - 1), data.size());
    EXPECT_TRUE(IsTablesDataValid(Bytes(data)));
    EXPECT_EQ(5, DiscEntryIndex(1, 0, 1));
    EXPECT_EQ(959, DiscEntryIndex(239, 1, 1));
}

TEST(DiscTableTest, FirstEntryIsASixBySixGridAroundItsSubPixelCentre)
{
    // Entry 0: D = 5.0 on a 6 x 6 grid, centred at (2.625, 2.625). The grid is symmetric about that
    // centre only after the 0.125 shift, so the coverage is checked against the disc directly.
    const std::string& data = TablesData();
    const auto grid = DecodeEntry(data, 0, 6);
    ASSERT_EQ(6u, grid.size());
    double dSum = 0.0;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
        {
            SCOPED_TRACE(testing::Message() << "pixel " << c << "," << r);
            double sx = 0.0, sy = 0.0;
            const double a = DiscCoverage(c, r, 1.0, 2.625, 2.625, 2.5, sx, sy);
            EXPECT_EQ(static_cast<int>(a * 255.0),
                      grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].nCoverage);
            dSum += a;
        }
    EXPECT_NEAR(std::numbers::pi * 2.5 * 2.5, dSum, 0.02 * std::numbers::pi * 2.5 * 2.5);
    // A pixel wholly inside: full coverage and no record of its own (the middle row has a full run).
    EXPECT_EQ(255, grid[2][2].nCoverage);
}

TEST(DiscTableTest, RowsCarryRecordsOnlyForEdgePixelsAndAddUpToTheDiscArea)
{
    const std::string& data = TablesData();
    for (int i : {0, 1, 37, 120, 239})
        for (int sub = 0; sub < DISC_SUB_POSITIONS; ++sub)
        {
            const int k = 4 * i + sub;
            SCOPED_TRACE(testing::Message() << "entry " << k);
            const int nSize = GridSizeOf(i);
            const double r = (5.0 + 0.25 * i) / 2.0;
            const double cx = std::ceil(5.0 + 0.25 * i) / 2.0 + 0.125 + 0.25 * (sub & 1);
            const double cy = std::ceil(5.0 + 0.25 * i) / 2.0 + 0.125 + 0.25 * (sub >> 1);
            const auto grid = DecodeEntry(data, k, nSize);
            double dCovered = 0.0;
            for (int y = 0; y < nSize; ++y)
                for (int x = 0; x < nSize; ++x)
                {
                    const SPixel& px = grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
                    dCovered += px.nCoverage / 255.0;
                    if (px.nCoverage == 0 || px.nCoverage == 255)
                        continue;
                    // Edge normals point away from the centre.
                    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                    if (std::abs(dx) > 1.0)
                    {
                        EXPECT_EQ(dx > 0, px.nx > 0) << x << "," << y;
                    }
                    if (std::abs(dy) > 1.0)
                    {
                        EXPECT_EQ(dy > 0, px.ny > 0) << x << "," << y;
                    }
                    // The centroid of a rim pixel can lie a hair outside the radius; the bytes must still
                    // not wrap.
                    EXPECT_LE(std::abs(px.nx), 127);
                    EXPECT_LE(std::abs(px.ny), 127);
                    EXPECT_LE(px.nx * px.nx + px.ny * px.ny, 130 * 130);
                }
            EXPECT_NEAR(std::numbers::pi * r * r, dCovered, 0.02 * std::numbers::pi * r * r + 1.0);
        }
}

TEST(DiscTableTest, BuildIsDeterministic)
{
    // Golden hash of the whole file: any change to the coverage, normals or layout shows here.
    constexpr std::uint64_t EXPECTED_HASH = 0x7d35f06e68faa6e3;
    const std::uint64_t nHash = Fnv1a(TablesData());
    EXPECT_EQ(EXPECTED_HASH, nHash) << "actual hash 0x" << std::hex << nHash << ", size " << std::dec
                                    << TablesData().size();
}

TEST(DiscTableTest, DamagedFileIsRebuiltAndAGoodOneKept)
{
    const std::string& good = TablesData();
    std::string wrongOffset = good;
    wrongOffset[4] = static_cast<char>(wrongOffset[4] + 1);
    std::string badRun = good;
    badRun[DISC_HEADER_SIZE] = static_cast<char>(100); // more empty pixels than the row has
    struct SDamage
    {
        const char* szName;
        std::string bytes;
    };
    const SDamage cases[] = {
        {"empty file", std::string()},
        {"header only", good.substr(0, DISC_HEADER_SIZE)},
        {"cut short in the last entry", good.substr(0, good.size() - 3)},
        {"trailing bytes", good + "x"},
        {"an offset moved", wrongOffset},
        {"a row longer than its grid", badRun},
    };
    for (const SDamage& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CTempFolder folder;
        folder.Write("tables.dat", c.bytes);
        EXPECT_FALSE(IsTablesDatValid(folder.File("tables.dat")));
        EXPECT_EQ(0, PrepareTablesDat(folder.File("tables.dat")));
        EXPECT_TRUE(folder.Read("tables.dat") == good);
    }

    CTempFolder folder;
    EXPECT_FALSE(IsTablesDatValid(folder.File("tables.dat"))) << "missing file";
    EXPECT_EQ(0, PrepareTablesDat(folder.File("tables.dat")));
    const auto inode = std::filesystem::last_write_time(folder.Path() / "tables.dat");
    EXPECT_EQ(0, PrepareTablesDat(folder.File("tables.dat")));
    EXPECT_EQ(inode, std::filesystem::last_write_time(folder.Path() / "tables.dat")) << "a good file is kept";
}

TEST(DiscTableTest, FailedBuildLeavesNoPartialFile)
{
    CTempFolder folder;
    EXPECT_EQ(1, BuildTablesDat(folder.File("missing/tables.dat")));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "missing"));

    // A write that fails half-way (a full disk) keeps the old file as it was and adds nothing.
    folder.Write("tables.dat", "old");
    SetFileWriteFaultForTest(EFileWriteFault::Write);
    const int nResult = BuildTablesDat(folder.File("tables.dat"));
    SetFileWriteFaultForTest(EFileWriteFault::None);
    EXPECT_EQ(1, nResult);
    EXPECT_EQ("old", folder.Read("tables.dat"));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));
}
