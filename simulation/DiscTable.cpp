#include "simulation/DiscTable.h"

#include "platform/win32/AtomicFile.h"
#include "platform/win32/Paths.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
/// Cells no larger than this (pixels) are not divided further; a partly covered one counts half.
constexpr double MIN_CELL = 0.0625;
/// Fixed-point scale of the normal's components before they are cut to bytes (2^24).
constexpr double NORMAL_FIXED_ONE = 16777216.0;
/// The largest z of a normal: keeps nz below 256.
constexpr double MAX_NORMAL_Z = 0.9999;

constexpr BYTE EMPTY = 0;
constexpr BYTE FULL = 255;

void PutU32LE(std::string& out, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFFu);
}

std::uint32_t GetU32LE(std::span<const BYTE> data, std::size_t at)
{
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k)
        v |= static_cast<std::uint32_t>(data[at + static_cast<std::size_t>(k)]) << (8 * k);
    return v;
}

double EntryDiameter(int i) { return DISC_FIRST_DIAMETER + DISC_DIAMETER_STEP * i; }

/// Rows and columns of the grid of a disc of diameter d.
int GridSize(double dDiameter) { return static_cast<int>(std::ceil(dDiameter)) + 1; }

/// One pixel of a row: its coverage byte and normal bytes.
struct SDiscPixel
{
    BYTE nCoverage = EMPTY;
    BYTE nx = 0;
    BYTE ny = 0;
    BYTE nz = 0;
};

/// A normal component in 2^24 fixed point, cut to a byte by an arithmetic shift that rounds towards
/// zero: a signed component keeps 7 bits (mx * 128), nz 8 bits (mz * 256).
BYTE SignedNormalByte(double m)
{
    std::int32_t v = static_cast<std::int32_t>(m * NORMAL_FIXED_ONE);
    if (v < 0)
        v += 0x1FFFF;
    return static_cast<BYTE>(static_cast<std::uint32_t>(v >> 17) & 0xFFu);
}

BYTE UnsignedNormalByte(double m)
{
    const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(m * NORMAL_FIXED_ONE));
    return static_cast<BYTE>((v >> 16) & 0xFFu);
}

SDiscPixel ShadePixel(int c, int r, double cx, double cy, double dRadius)
{
    double dSumX = 0.0;
    double dSumY = 0.0;
    const double a = DiscCoverage(c, r, 1.0, cx, cy, dRadius, dSumX, dSumY);
    SDiscPixel pixel;
    pixel.nCoverage = static_cast<BYTE>(static_cast<int>(a * 255.0));
    if (pixel.nCoverage == EMPTY)
        return pixel;
    // The normal of a sphere over the disc, taken at the covered area's centroid.
    const double mx = (dSumX / a) / dRadius;
    const double my = (dSumY / a) / dRadius;
    const double q = 1.0 - mx * mx - my * my;
    const double mz = q >= MAX_NORMAL_Z ? MAX_NORMAL_Z : (q >= 0.0 ? std::sqrt(q) : 0.0);
    pixel.nx = SignedNormalByte(mx);
    pixel.ny = SignedNormalByte(my);
    pixel.nz = UnsignedNormalByte(mz);
    return pixel;
}

/// The four run lengths of a row: empty, partial, full, then any non-empty pixels.
struct SRowRuns
{
    int e = 0;
    int p = 0;
    int f = 0;
    int t = 0;
};

template <class TByteAt> SRowRuns CountRuns(int nPixels, TByteAt byteAt)
{
    SRowRuns runs;
    int k = 0;
    for (; k < nPixels && byteAt(k) == EMPTY; ++k)
        ++runs.e;
    for (; k < nPixels && byteAt(k) != EMPTY && byteAt(k) != FULL; ++k)
        ++runs.p;
    for (; k < nPixels && byteAt(k) == FULL; ++k)
        ++runs.f;
    for (; k < nPixels && byteAt(k) != EMPTY; ++k)
        ++runs.t;
    return runs;
}

void AppendRow(const std::vector<SDiscPixel>& row, std::string& out)
{
    const int nPixels = static_cast<int>(row.size());
    const SRowRuns runs = CountRuns(nPixels, [&row](int k) { return row[static_cast<std::size_t>(k)].nCoverage; });
    for (int n : {runs.e, runs.p, runs.f, runs.t})
        out.push_back(static_cast<char>(n));
    const auto appendEdge = [&row, &out](int from, int count)
    {
        for (int k = from; k < from + count; ++k)
        {
            const SDiscPixel& px = row[static_cast<std::size_t>(k)];
            if (px.nCoverage == FULL)
                continue;
            for (BYTE b : {px.nCoverage, px.nx, px.ny, px.nz})
                out.push_back(static_cast<char>(b));
        }
    };
    appendEdge(runs.e, runs.p);
    appendEdge(runs.e + runs.p + runs.f, runs.t);
}

/// Skips `count` edge-pixel records from `at`, each of a partly covered pixel; the position after
/// them, or 0 when they do not fit before `end`.
std::size_t SkipPixelRecords(std::span<const BYTE> data, std::size_t at, std::size_t end, int nCount)
{
    for (int k = 0; k < nCount; ++k)
    {
        if (end - at < DISC_PIXEL_RECORD_SIZE || data[at] == EMPTY || data[at] == FULL)
            return 0;
        at += DISC_PIXEL_RECORD_SIZE;
    }
    return at;
}

/// Checks the N rows of one entry from `at`; the position after them, or 0 when they do not fit
/// before `end`. The pixels after the full run of a disc's row are all partly covered, so both
/// edge runs carry one record per pixel.
std::size_t SkipEntry(std::span<const BYTE> data, std::size_t at, std::size_t end, int nRows)
{
    for (int r = 0; r < nRows && at != 0; ++r)
    {
        if (end - at < DISC_ROW_HEADER_SIZE)
            return 0;
        const int nPartial = data[at + 1];
        const int nTrailing = data[at + 3];
        if (data[at] + nPartial + data[at + 2] + nTrailing > nRows)
            return 0;
        at = SkipPixelRecords(data, at + DISC_ROW_HEADER_SIZE, end, nPartial + nTrailing);
    }
    return at;
}
} // namespace

double DiscCoverage(double x, double y, double s, double cx, double cy, double r, double& dSumX, double& dSumY)
{
    const double dx = x - cx;
    const double dy = y - cy;
    const double r2 = r * r;
    const auto inside = [r2](double px, double py) { return px * px + py * py < r2 ? 1 : 0; };
    const int nInside = inside(dx, dy) + inside(dx, dy + s) + inside(dx + s, dy) + inside(dx + s, dy + s);
    if (nInside == 0)
        return 0.0;
    if (nInside == 4 || s <= MIN_CELL)
    {
        // A wholly covered cell counts its area; a partly covered smallest cell counts half of it.
        const double area = nInside == 4 ? s * s : s * s / 2.0;
        dSumX += (dx + s / 2.0) * area;
        dSumY += (dy + s / 2.0) * area;
        return area;
    }
    const double h = s / 2.0;
    return DiscCoverage(x, y, h, cx, cy, r, dSumX, dSumY) + DiscCoverage(x + h, y, h, cx, cy, r, dSumX, dSumY) +
           DiscCoverage(x, y + h, h, cx, cy, r, dSumX, dSumY) + DiscCoverage(x + h, y + h, h, cx, cy, r, dSumX, dSumY);
}

void BuildDiscEntry(double dDiameter, double ox, double oy, std::string& out)
{
    const double dRadius = dDiameter / 2.0;
    const double dHalfGrid = std::ceil(dDiameter) / 2.0;
    const double cx = dHalfGrid + ox;
    const double cy = dHalfGrid + oy;
    const int nSize = GridSize(dDiameter);
    std::vector<SDiscPixel> row(static_cast<std::size_t>(nSize));
    for (int r = 0; r < nSize; ++r)
    {
        for (int c = 0; c < nSize; ++c)
            row[static_cast<std::size_t>(c)] = ShadePixel(c, r, cx, cy, dRadius);
        AppendRow(row, out);
    }
}

std::string BuildTablesData()
{
    std::string out(DISC_HEADER_SIZE, '\0');
    for (int i = 0; i < DISC_SIZE_COUNT; ++i)
        for (int m = 0; m < 2; ++m)
            for (int n = 0; n < 2; ++n)
            {
                PutU32LE(out, static_cast<std::size_t>(DiscEntryIndex(i, m, n)) * 4,
                         static_cast<std::uint32_t>(out.size()));
                BuildDiscEntry(EntryDiameter(i), 0.125 + 0.25 * n, 0.125 + 0.25 * m, out);
            }
    return out;
}

int BuildTablesDat(std::string_view path) { return ReplaceFileContents(ResolvePath(path), BuildTablesData()) ? 0 : 1; }

BOOL IsTablesDataValid(std::span<const BYTE> data)
{
    if (data.size() < DISC_HEADER_SIZE || data.size() > 0xFFFFFFFFu)
        return FALSE;
    std::size_t at = DISC_HEADER_SIZE;
    for (int k = 0; k < DISC_ENTRY_COUNT; ++k)
    {
        if (GetU32LE(data, static_cast<std::size_t>(k) * 4) != at)
            return FALSE;
        at = SkipEntry(data, at, data.size(), GridSize(EntryDiameter(k / DISC_SUB_POSITIONS)));
        if (at == 0)
            return FALSE;
    }
    return at == data.size() ? TRUE : FALSE;
}

BOOL IsTablesDatValid(std::string_view path)
{
    std::string bytes;
    if (!ReadWholeFile(ResolvePath(path), bytes))
        return FALSE;
    return IsTablesDataValid(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()));
}

int PrepareTablesDat(std::string_view path) { return IsTablesDatValid(path) ? 0 : BuildTablesDat(path); }
