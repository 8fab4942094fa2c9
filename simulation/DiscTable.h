// The precomputed disc table, tables.dat: anti-aliased discs of 240 diameters (5.0 to 64.75
// pixels in steps of 0.25), each at four sub-pixel positions, that the software ball painter
// shades balls from. Every edge pixel carries a coverage byte and a surface normal; the rest of a
// row is described by run lengths.
//
// File layout (little-endian):
//   0     960 unsigned 32-bit offsets from the start of the file; entry index 4i + 2m + n
//   3840  the 960 entries in index order
// Entry (i, m, n): a disc of diameter D = 5.0 + 0.25i on a grid of N = ceil(D) + 1 rows and
// columns, centred at (ceil(D)/2 + 0.125 + 0.25n, ceil(D)/2 + 0.125 + 0.25m). Each of its N rows:
//   4 bytes  e empty pixels, p partial pixels, f full pixels, t further non-empty pixels
//   4 bytes  per pixel of the p and t runs that is not full: coverage, nx (signed), ny (signed),
//            nz (unsigned)
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

/// Disc diameters in the table: 5.0, 5.25, ... 64.75 pixels.
inline constexpr int DISC_SIZE_COUNT = 240;
/// Smallest diameter, pixels.
inline constexpr double DISC_FIRST_DIAMETER = 5.0;
/// Step between two diameters, pixels.
inline constexpr double DISC_DIAMETER_STEP = 0.25;
/// Sub-pixel positions per diameter: two in x times two in y.
inline constexpr int DISC_SUB_POSITIONS = 4;
inline constexpr int DISC_ENTRY_COUNT = DISC_SIZE_COUNT * DISC_SUB_POSITIONS;
/// Bytes of the offset table at the start of the file.
inline constexpr std::size_t DISC_HEADER_SIZE = DISC_ENTRY_COUNT * 4;
/// Bytes of a row's run-length header, and of one edge pixel's record.
inline constexpr std::size_t DISC_ROW_HEADER_SIZE = 4;
inline constexpr std::size_t DISC_PIXEL_RECORD_SIZE = 4;

static_assert(DISC_ENTRY_COUNT == 960, "240 diameters at four sub-pixel positions");
static_assert(DISC_HEADER_SIZE == 3840, "one 32-bit offset per entry");

/// Index of entry (diameter i, sub-position row m, sub-position column n).
constexpr int DiscEntryIndex(int i, int m, int n) { return 4 * i + 2 * m + n; }

/// Covered area of the square cell (x, y, side s) of a disc of radius r centred at (cx, cy), in
/// pixel units, by recursive subdivision down to cells of 1/16 pixel. Adds the covered area's
/// first moments about the centre to dSumX and dSumY.
double DiscCoverage(double x, double y, double s, double cx, double cy, double r, double& dSumX, double& dSumY);

/// Appends the rows of the disc of diameter dDiameter at sub-pixel offset (ox, oy) to out.
void BuildDiscEntry(double dDiameter, double ox, double oy, std::string& out);

/// The whole file's bytes.
std::string BuildTablesData();

/// Builds the file at `path` (a Windows path text): the bytes go to a temporary file in the same
/// folder that is renamed into place, so a failed build leaves no partial file. 0 on success, 1 on
/// any failure.
int BuildTablesDat(std::string_view path);

/// TRUE when `data` is a complete disc table: the offsets start at 3840, follow one another, and
/// every entry holds exactly its N rows, each with runs that fit its row and the pixel records
/// its runs call for, the last entry ending at the end of the data.
BOOL IsTablesDataValid(std::span<const BYTE> data);

/// TRUE when the file at `path` exists and holds a complete disc table.
BOOL IsTablesDatValid(std::string_view path);

/// Keeps the file at `path` when it is a complete disc table, else builds it anew (a damaged or
/// partial file is replaced). 0 when a complete table is there afterwards, 1 otherwise.
int PrepareTablesDat(std::string_view path);
