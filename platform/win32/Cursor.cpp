#include "platform/win32/Cursor.h"

#include "platform/win32/Modules.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

struct HCURSOR__
{
    SCursorImage image;
    const void* pKey = nullptr; // the resource bytes it was read from, or its system id
};

namespace
{
constexpr DWORD OPAQUE_BLACK = 0xFF000000u, OPAQUE_WHITE = 0xFFFFFFFFu;

/// The cursors loaded so far; they live until the program ends, as the system's shared cursors do.
struct SCursorTable
{
    std::mutex mutex;
    std::vector<std::unique_ptr<HCURSOR__>> apCursors;
};
SCursorTable& Table()
{
    static SCursorTable s_table;
    return s_table;
}
std::atomic<HCURSOR> s_hCurrent{nullptr};
std::atomic<int> s_nShowCount{0};
std::mutex s_changeMutex;
std::function<void(HCURSOR, bool)> s_changeHandler; // guarded by s_changeMutex

void TellCursorChange(HCURSOR hCursor, bool bShown)
{
    std::function<void(HCURSOR, bool)> handler;
    {
        const std::lock_guard lock(s_changeMutex);
        handler = s_changeHandler;
    }
    if (handler)
        handler(hCursor, bShown);
}

/// A picture drawn from a shape: white inside, a black pixel border around it, clear elsewhere.
template <class Inside> SCursorImage Outlined(int nWidth, int nHeight, int nHotX, int nHotY, Inside inside)
{
    SCursorImage image{nWidth, nHeight, nHotX, nHotY, std::vector<DWORD>(static_cast<std::size_t>(nWidth * nHeight))};
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
        {
            bool bNear = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    bNear = bNear || inside(x + dx, y + dy);
            image.aPixels[static_cast<std::size_t>(y * nWidth + x)] =
                inside(x, y) ? OPAQUE_WHITE : (bNear ? OPAQUE_BLACK : 0u);
        }
    return image;
}

/// The arrow: a slanted head down to row 12 and a tail to the lower right; hot spot at its tip.
SCursorImage ArrowImage()
{
    return Outlined(16, 22, 1, 1,
                    [](int x, int y)
                    {
                        const int u = x - 1, v = y - 1;
                        const bool bHead = v >= 0 && v <= 14 && u >= 0 && u <= v * 2 / 3 && u + v <= 18;
                        const bool bTail = v >= 10 && v <= 19 && u >= (v - 10) / 2 + 3 && u <= (v - 10) / 2 + 5;
                        return bHead || bTail;
                    });
}

/// The hand: a raised finger over a palm; hot spot at the fingertip.
SCursorImage HandImage()
{
    return Outlined(20, 24, 7, 1,
                    [](int x, int y)
                    {
                        const bool bFinger = x >= 6 && x <= 9 && y >= 1 && y <= 12;
                        const bool bPalm = x >= 3 && x <= 16 && y >= 10 && y <= 21;
                        return bFinger || bPalm;
                    });
}

DWORD Le32(std::span<const BYTE> b, std::size_t n)
{
    return static_cast<DWORD>(b[n] | b[n + 1] << 8 | b[n + 2] << 16 | static_cast<DWORD>(b[n + 3]) << 24);
}
WORD Le16(std::span<const BYTE> b, std::size_t n) { return static_cast<WORD>(b[n] | b[n + 1] << 8); }

/// The cursor for a key, made by make the first time; null when make gives nothing.
template <class Make> HCURSOR Shared(const void* pKey, Make make)
{
    SCursorTable& table = Table();
    const std::lock_guard lock(table.mutex);
    for (const auto& p : table.apCursors)
        if (p->pKey == pKey)
            return p.get();
    SCursorImage image;
    if (!make(image))
        return nullptr;
    table.apCursors.push_back(std::make_unique<HCURSOR__>(HCURSOR__{std::move(image), pKey}));
    return table.apCursors.back().get();
}
} // namespace

bool ParseCursorFile(std::span<const BYTE> bytes, SCursorImage& image)
{
    // Directory (6 bytes), one entry (16), then the picture: a 40-byte header, 32-bit rows bottom
    // first and the mask, which the alpha makes needless.
    constexpr std::size_t DIR = 6, ENTRY = 16, HEADER = 40;
    if (bytes.size() < DIR + ENTRY || Le16(bytes, 2) != 2 || Le16(bytes, 4) < 1)
        return false;
    const DWORD dwSize = Le32(bytes, DIR + 8), dwOffset = Le32(bytes, DIR + 12);
    if (dwOffset > bytes.size() || dwSize > bytes.size() - dwOffset || dwSize < HEADER)
        return false;
    const std::span<const BYTE> body = bytes.subspan(dwOffset, dwSize);
    const auto nWidth = static_cast<std::int32_t>(Le32(body, 4));
    const auto nHeight = static_cast<std::int32_t>(Le32(body, 8)) / 2; // colour and mask rows
    if (Le32(body, 0) != HEADER || Le16(body, 14) != 32 || nWidth <= 0 || nWidth > 256 || nHeight <= 0 ||
        nHeight > 256 || body.size() - HEADER < static_cast<std::size_t>(nWidth * nHeight * 4))
        return false;
    image = SCursorImage{nWidth, nHeight, std::min<int>(Le16(bytes, DIR + 4), nWidth - 1),
                         std::min<int>(Le16(bytes, DIR + 6), nHeight - 1),
                         std::vector<DWORD>(static_cast<std::size_t>(nWidth * nHeight))};
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            image.aPixels[static_cast<std::size_t>(y * nWidth + x)] =
                Le32(body, HEADER + static_cast<std::size_t>(((nHeight - 1 - y) * nWidth + x) * 4));
    return true;
}

HCURSOR LoadCursor(HINSTANCE hInstance, LPCSTR szName)
{
    if (hInstance == nullptr)
    {
        // The system's cursors are keyed by their ids, which no resource's bytes can be.
        if (szName == IDC_ARROW)
            return Shared(IDC_ARROW, [](SCursorImage& image) { return image = ArrowImage(), true; });
        if (szName == IDC_HAND)
            return Shared(IDC_HAND, [](SCursorImage& image) { return image = HandImage(), true; });
        return nullptr;
    }
    const std::span<const BYTE> bytes = ResourceBytes(hInstance, szName, RT_CURSOR_FILE);
    if (bytes.empty())
        return nullptr;
    return Shared(bytes.data(), [&](SCursorImage& image) { return ParseCursorFile(bytes, image); });
}

const SCursorImage* GetCursorImage(HCURSOR hCursor) { return hCursor != nullptr ? &hCursor->image : nullptr; }

BOOL GetIconInfo(HICON hIcon, ICONINFO* pInfo)
{
    if (hIcon == nullptr || pInfo == nullptr)
        return FALSE;
    *pInfo = ICONINFO{};
    pInfo->xHotspot = static_cast<DWORD>(hIcon->image.nHotX);
    pInfo->yHotspot = static_cast<DWORD>(hIcon->image.nHotY);
    return TRUE;
}

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon)
{
    if (hDC == nullptr || hIcon == nullptr)
        return FALSE;
    const SCursorImage& image = hIcon->image;
    for (int v = 0; v < image.nHeight; ++v)
        for (int u = 0; u < image.nWidth; ++u)
        {
            const DWORD c = image.aPixels[static_cast<std::size_t>(v * image.nWidth + u)];
            const DWORD a = c >> 24;
            if (a == 0)
                continue;
            const COLORREF crSrc =
                RGB(static_cast<BYTE>(c >> 16 & 0xFF), static_cast<BYTE>(c >> 8 & 0xFF), static_cast<BYTE>(c & 0xFF));
            if (a == 255)
            {
                SetPixel(hDC, x + u, y + v, crSrc);
                continue;
            }
            const COLORREF crDst = GetPixel(hDC, x + u, y + v);
            if (crDst == CLR_INVALID)
                continue; // outside the context
            const auto mix = [&](int nShift)
            { return static_cast<BYTE>(((crSrc >> nShift & 0xFF) * a + (crDst >> nShift & 0xFF) * (255 - a)) / 255); };
            SetPixel(hDC, x + u, y + v, RGB(mix(0), mix(8), mix(16)));
        }
    return TRUE;
}

void SetCursorChangeHandler(std::function<void(HCURSOR hCursor, bool bShown)> handler)
{
    const std::lock_guard lock(s_changeMutex);
    s_changeHandler = std::move(handler);
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    const HCURSOR hOld = s_hCurrent.exchange(hCursor);
    if (hOld != hCursor)
        TellCursorChange(hCursor, s_nShowCount.load() >= 0);
    return hOld;
}

HCURSOR GetCursor() { return s_hCurrent.load(); }

int ShowCursor(BOOL bShow)
{
    const int nCount = bShow ? ++s_nShowCount : --s_nShowCount;
    // Only the step across 0 changes whether it shows.
    if (nCount == (bShow ? 0 : -1))
        TellCursorChange(s_hCurrent.load(), nCount >= 0);
    return nCount;
}

int GetCursorShowCount() { return s_nShowCount.load(); }
