#include "tools/texgen/UiPictures.h"

#include "platform/win32/ByteStream.h"
#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"
#include "tools/art/ImageFiles.h"
#include "tools/texgen/BallArt.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
using ELook = EButtonLook;

const SArtColor TEXT_COLOR = SArtColor::Hex(0xF2EEE2);
const SArtColor BRASS = SArtColor::Hex(0xC8A24E);

/// A button: a rounded glass panel with a brass trim and its label.
CArtImage Button(int nWidth, int nHeight, const std::string& strLabel, ELook eLook)
{
    CArtImage image(nWidth, nHeight, SArtColor::Hex(0x101418));
    const double r = nHeight * 0.3;
    const SArtColor top = eLook == ELook::Pressed ? SArtColor::Hex(0xE2C26A)
                          : eLook == ELook::Hot   ? SArtColor::Hex(0x3A4E62)
                                                  : SArtColor::Hex(0x24303C);
    const SArtColor bottom = eLook == ELook::Pressed ? SArtColor::Hex(0x9A7428)
                             : eLook == ELook::Hot   ? SArtColor::Hex(0x1E2A38)
                                                     : SArtColor::Hex(0x10161E);
    CArtImage glass(nWidth, nHeight);
    FillVerticalGradient(glass, top, bottom);
    CArtImage shape(nWidth, nHeight, SArtColor{0, 0, 0, 0});
    FillRoundRect(shape, 1, 1, nWidth - 1, nHeight - 1, r, SArtColor{1, 1, 1, 1});
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            image.Blend(x, y, glass.At(x, y), shape.At(x, y).a);
    StrokeRoundRect(image, 1, 1, nWidth - 1, nHeight - 1, r, eLook == ELook::Hot ? 2.5 : 1.8,
                    eLook == ELook::Hot ? SArtColor::Hex(0xF2D27A) : BRASS);
    const SArtColor text = eLook == ELook::Pressed ? SArtColor::Hex(0x1A1208) : TEXT_COLOR;
    DrawArtText(image, strLabel, 4, eLook == ELook::Pressed ? 1 : 0, nWidth - 8, nHeight,
                SArtTextStyle{std::clamp(nHeight * 2 / 5, 11, 20), true, text, true});
    return image;
}

/// A top view of a game's rack on felt, in a brass frame: the picture of a game type.
CArtImage GamePicture(const std::vector<int>& balls, int nRows, const std::string& strTitle)
{
    constexpr int W = 210, H = 220;
    CArtImage image(W, H, SArtColor::Hex(DEFAULT_CLOTH_RGB));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
        {
            // The lamp's pool: brighter in the middle.
            const double d = std::hypot(x - W / 2.0, y - H / 2.0) / (W * 0.7);
            image.At(x, y) = image.At(x, y).Scaled(static_cast<float>(1.15 - 0.5 * d * d));
        }
    const SBallSet& set = StandardBallSet();
    const double r = 14.0, cx = W / 2.0, cy = 70.0;
    std::size_t k = 0;
    for (int row = 0; row < nRows && k < balls.size(); ++row)
        for (int i = 0; i <= row && k < balls.size(); ++i, ++k)
        {
            const int n = balls[k];
            const double x = cx + (2 * i - row) * r, y = cy + row * r * std::sqrt(3.0);
            FillDisc(image, x + 1.5, y + 2.0, r, SArtColor{0, 0, 0, 0.35f});
            const SArtColor color = SArtColor::Hex(set.colors[n > 8 ? n - 8 : n]);
            FillDisc(image, x, y, r - 0.5, n > 8 ? SArtColor::Hex(set.colors[0]) : color);
            if (n > 8)
                FillRoundRect(image, x - r + 0.5, y - r * 0.55, x + r - 0.5, y + r * 0.55, 3.0, color);
            FillDisc(image, x, y, r * 0.5, SArtColor::Hex(set.colors[0]));
            DrawArtText(image, std::to_string(n), static_cast<int>(x - r), static_cast<int>(y - r),
                        static_cast<int>(2 * r), static_cast<int>(2 * r),
                        SArtTextStyle{n < 10 ? 12 : 10, true, SArtColor::Hex(0x141414), true});
            FillDisc(image, x - r * 0.35, y - r * 0.4, r * 0.22, SArtColor{1, 1, 1, 0.6f});
        }
    DrawArtText(image, strTitle, 0, H - 44, W, 30, SArtTextStyle{18, true, TEXT_COLOR, true});
    StrokeRoundRect(image, 0, 0, W, H, 6.0, 5.0, BRASS);
    return image;
}

/// A trophy column: for each of the first, second and third trophies in the value, a cup.
CArtImage Trophy(int nValue)
{
    constexpr int W = 22, H = 70;
    CArtImage image(W, H, SArtColor::Hex(0x101418));
    // Values 1 first, 2 second, 3 third, 4 first and second, 5 first and third, 6 second and
    // third, 7 all three.
    constexpr bool HAS[8][3] = {{false, false, false}, {true, false, false}, {false, true, false}, {false, false, true},
                                {true, true, false},   {true, false, true},  {false, true, true},  {true, true, true}};
    const std::uint32_t COLORS[3] = {0xE8C040, 0xC8CCD4, 0xB8733A};
    int nSlot = 0;
    for (int t = 0; t < 3; ++t)
    {
        if (!HAS[nValue][t])
            continue;
        const double y = 4 + nSlot * 22;
        const SArtColor c = SArtColor::Hex(COLORS[t]);
        const double cup[4][2] = {{3, y}, {19, y}, {14, y + 12}, {8, y + 12}};
        FillPolygon(image, cup, 4, c);
        FillRoundRect(image, 9.5, y + 11, 12.5, y + 16, 0.5, c);
        FillRoundRect(image, 6, y + 16, 16, y + 19, 1.0, c);
        ++nSlot;
    }
    return image;
}

/// The splash: a lamp-lit table corner, balls, and the game's name in brass.
CArtImage Splash()
{
    constexpr int W = 640, H = 480;
    CArtImage image(W, H);
    FillVerticalGradient(image, SArtColor::Hex(0x1A120C), SArtColor::Hex(0x050404));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
        {
            const double dx = (x - W / 2.0) / (W * 0.55), dy = (y - H * 0.72) / (H * 0.28);
            const double d = dx * dx + dy * dy;
            if (d < 1.0)
                image.At(x, y) = SArtColor::Hex(DEFAULT_CLOTH_RGB).Scaled(static_cast<float>(1.25 - 0.9 * d));
        }
    const SBallSet& set = StandardBallSet();
    const int aBalls[] = {1, 9, 2, 10, 8, 3};
    for (int i = 0; i < 6; ++i)
    {
        const double x = 220 + (i % 3) * 100 + (i / 3) * 50, y = 330 + (i / 3) * 40, r = 26;
        FillDisc(image, x + 4, y + 6, r, SArtColor{0, 0, 0, 0.4f});
        FillDisc(image, x, y, r, SArtColor::Hex(set.colors[aBalls[i] > 8 ? aBalls[i] - 8 : aBalls[i]]));
        FillDisc(image, x, y, r * 0.45, SArtColor::Hex(set.colors[0]));
        DrawArtText(image, std::to_string(aBalls[i]), static_cast<int>(x - r), static_cast<int>(y - r),
                    static_cast<int>(2 * r), static_cast<int>(2 * r),
                    SArtTextStyle{16, true, SArtColor::Hex(0x141414), true});
        FillDisc(image, x - 9, y - 10, 6, SArtColor{1, 1, 1, 0.55f});
    }
    DrawArtText(image, "Vorn Deluxe", 0, 70, W, 90, SArtTextStyle{72, true, SArtColor::Hex(0xE2C26A), true});
    DrawArtText(image, "Pool and billiards", 0, 160, W, 40, SArtTextStyle{24, false, TEXT_COLOR, true});
    return image;
}

/// The help dialog's background: calm felt with an embossed brass frame.
CArtImage HelpBackground()
{
    constexpr int W = 512, H = 384;
    CArtImage image(W, H, SArtColor::Hex(DEFAULT_CLOTH_RGB).Scaled(0.55f));
    StrokeRoundRect(image, 8, 8, W - 8, H - 8, 12.0, 4.0, BRASS);
    StrokeRoundRect(image, 14, 14, W - 14, H - 14, 9.0, 1.5, SArtColor{0, 0, 0, 0.5f});
    DrawArtText(image, "Help", 0, 20, W, 40, SArtTextStyle{26, true, TEXT_COLOR, true});
    return image;
}

/// The start screen's background: a dark panelled room around a felt field with a brass frame, the
/// game's name above; the game-type buttons, the picture and the match kinds lie on it.
CArtImage StartBackground()
{
    constexpr int W = 812, H = 600;
    CArtImage image(W, H);
    FillVerticalGradient(image, SArtColor::Hex(0x2A1A10), SArtColor::Hex(0x0C0806));
    // Panels of the wall: darker grooves every 116 pixels.
    for (int x = 0; x < W; x += 116)
        FillRoundRect(image, x, 0, x + 3, H, 0.5, SArtColor{0, 0, 0, 0.35f});
    const SArtColor felt = SArtColor::Hex(DEFAULT_CLOTH_RGB).Scaled(0.6f);
    FillRoundRect(image, 36, 108, W - 36, 440, 14.0, felt);
    StrokeRoundRect(image, 36, 108, W - 36, 440, 14.0, 4.0, BRASS);
    StrokeRoundRect(image, 42, 114, W - 42, 434, 10.0, 1.5, SArtColor{0, 0, 0, 0.5f});
    DrawArtText(image, "Vorn Deluxe", 0, 18, W, 60, SArtTextStyle{46, true, SArtColor::Hex(0xE2C26A), true});
    DrawArtText(image, "Choose a game and how to play it", 0, 72, W, 28, SArtTextStyle{18, false, TEXT_COLOR, true});
    return image;
}

void AddLooks(std::vector<SNamedPicture>& out, int nNormal, int nPressed, int nHot, int w, int h, const char* szLabel)
{
    out.push_back({std::to_string(nNormal), Button(w, h, szLabel, ELook::Normal)});
    out.push_back({std::to_string(nPressed), Button(w, h, szLabel, ELook::Pressed)});
    if (nHot != 0)
        out.push_back({std::to_string(nHot), Button(w, h, szLabel, ELook::Hot)});
}

// --- cursors and icon -------------------------------------------------------------------------

/// A 32 x 32 picture with alpha as the body of a .cur or .ico entry: the header, the colour rows
/// bottom first (blue, green, red, alpha) and the AND mask (1 where transparent).
std::vector<BYTE> IconBody(const CArtImage& image)
{
    const int n = image.Width();
    CByteWriter wr;
    wr.WriteU32LE(40);
    wr.WriteS32LE(n);
    wr.WriteS32LE(2 * n); // colour and mask rows
    wr.WriteU16LE(1);
    wr.WriteU16LE(32);
    for (int i = 0; i < 6; ++i)
        wr.WriteU32LE(0);
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x)
        {
            const SArtColor& c = image.At(x, y);
            wr.WriteU8(ChannelByte(c.b));
            wr.WriteU8(ChannelByte(c.g));
            wr.WriteU8(ChannelByte(c.r));
            wr.WriteU8(ChannelByte(c.a));
        }
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; x += 8)
        {
            BYTE nBits = 0;
            for (int b = 0; b < 8; ++b)
                if (image.At(x + b, y).a < 0.5f)
                    nBits = static_cast<BYTE>(nBits | (0x80 >> b));
            wr.WriteU8(nBits);
        }
    return wr.Take();
}

/// A whole .cur (bCursor, with its hot spot) or .ico file of one 32 x 32 picture.
std::vector<std::uint8_t> IconFile(const CArtImage& image, bool bCursor, int nHotX, int nHotY)
{
    const std::vector<BYTE> body = IconBody(image);
    CByteWriter wr;
    wr.WriteU16LE(0);
    wr.WriteU16LE(bCursor ? 2 : 1);
    wr.WriteU16LE(1);
    wr.WriteU8(static_cast<BYTE>(image.Width()));
    wr.WriteU8(static_cast<BYTE>(image.Height()));
    wr.WriteU8(0); // no palette
    wr.WriteU8(0);
    wr.WriteU16LE(static_cast<WORD>(bCursor ? nHotX : 1));  // hot spot x, or planes
    wr.WriteU16LE(static_cast<WORD>(bCursor ? nHotY : 32)); // hot spot y, or bits
    wr.WriteU32LE(static_cast<DWORD>(body.size()));
    wr.WriteU32LE(6 + 16);
    wr.WriteBytes(body);
    return wr.Take();
}

/// The hand: a pointing finger with an outline, hot spot at the fingertip.
CArtImage HandCursor()
{
    CArtImage image(32, 32, SArtColor{1, 1, 1, 0});
    const SArtColor outline = SArtColor::Hex(0x101010), skin = SArtColor::Hex(0xF4EEE2);
    for (const auto& [color, grow] : {std::pair{outline, 1.2}, std::pair{skin, 0.0}})
    {
        FillRoundRect(image, 10 - grow, 1 - grow, 15 + grow, 18 + grow, 2.5, color); // the finger
        FillRoundRect(image, 8 - grow, 13 - grow, 25 + grow, 30 + grow, 5.0, color); // the hand
        FillRoundRect(image, 4 - grow, 17 - grow, 10 + grow, 25 + grow, 2.5, color); // the thumb
    }
    return image;
}

/// The pointer over the table: a brass ring with a cross, hot spot at its centre.
CArtImage AimCursor()
{
    CArtImage image(32, 32, SArtColor{1, 1, 1, 0});
    FillRing(image, 16, 16, 7, 11, SArtColor::Hex(0x101010));
    FillRing(image, 16, 16, 8, 10, BRASS);
    FillRoundRect(image, 15, 2, 17, 30, 0.5, SArtColor::Hex(0x101010));
    FillRoundRect(image, 2, 15, 30, 17, 0.5, SArtColor::Hex(0x101010));
    return image;
}

/// The calling cursors over a ball or pocket that may be called (262) and over the one that is
/// (263): a brass ring round the hot spot at the centre, open or with a green disc in it.
CArtImage CallCursor(bool bCalled)
{
    CArtImage image(32, 32, SArtColor{1, 1, 1, 0});
    FillRing(image, 16, 16, 9, 14, SArtColor::Hex(0x101010));
    FillRing(image, 16, 16, 10, 13, BRASS);
    if (bCalled)
    {
        FillDisc(image, 16, 16, 7, SArtColor::Hex(0x101010));
        FillDisc(image, 16, 16, 6, SArtColor::Hex(0x3CB44B));
    }
    else
        FillDisc(image, 16, 16, 2, SArtColor::Hex(0x101010));
    return image;
}

/// The program's icon, nSide pixels a side: the eight ball, drawn on a grid of 32 scaled to the side.
CArtImage Icon(int nSide = 32)
{
    const double s = nSide / 32.0;
    const auto Scaled = [s](int n) { return static_cast<int>(std::lround(n * s)); };
    CArtImage image(nSide, nSide, SArtColor{1, 1, 1, 0});
    FillDisc(image, 16 * s, 16 * s, 15 * s, SArtColor::Hex(0x252525));
    FillDisc(image, 16 * s, 16 * s, 7 * s, SArtColor::Hex(0xFFFFFF));
    DrawArtText(image, "8", Scaled(9), Scaled(9), Scaled(14), Scaled(14),
                SArtTextStyle{Scaled(11), true, SArtColor::Hex(0x141414), true});
    FillDisc(image, 10 * s, 9 * s, 3 * s, SArtColor{1, 1, 1, 0.5f});
    return image;
}
} // namespace

CArtImage MakeSplashPicture() { return Splash(); }

std::vector<SNamedPicture> MakeUiPictures()
{
    std::vector<SNamedPicture> out;
    out.push_back({"180", MakeSplashPicture()});
    out.push_back({"268", HelpBackground()});
    out.push_back({"166", StartBackground()});
    AddLooks(out, 338, 339, 0, 120, 36, "Open help"); // the help dialog's one button opens the page
    // The start dialog: match kinds with three looks (normal, selected, hot), the others two.
    AddLooks(out, 804, 805, 806, 178, 40, "Practice");
    AddLooks(out, 812, 813, 814, 178, 40, "Against the computer");
    AddLooks(out, 808, 809, 810, 178, 40, "Two players");
    AddLooks(out, 826, 825, 0, 150, 46, "Play");
    AddLooks(out, 816, 819, 0, 140, 40, "Leave");
    AddLooks(out, 822, 823, 0, 140, 40, "Options");
    AddLooks(out, 835, 832, 0, 120, 40, "Resume");
    AddLooks(out, 949, 950, 0, 140, 40, "Statistics");
    AddLooks(out, 846, 847, 0, 124, 40, "More games");
    AddLooks(out, 842, 843, 0, 100, 32, "Help");
    AddLooks(out, 800, 802, 0, 160, 48, "The club's page");
    // The game-type buttons: base normal, base + 1 selected, base + 2 pressed.
    const struct
    {
        int nBase;
        const char* szName;
    } types[] = {{850, "Straight pool"}, {854, "American"}, {858, "Eight ball"},
                 {862, "Nine ball"},     {866, "Pyramid"},  {870, "Three ball"}};
    for (const auto& t : types)
    {
        out.push_back({std::to_string(t.nBase), Button(195, 84, t.szName, ELook::Normal)});
        out.push_back({std::to_string(t.nBase + 1), Button(195, 84, t.szName, ELook::Pressed)});
        out.push_back({std::to_string(t.nBase + 2), Button(195, 84, t.szName, ELook::Hot)});
    }
    out.push_back({"629", GamePicture({1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15}, 5, "Straight pool")});
    out.push_back({"594", GamePicture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 5, "American")});
    out.push_back({"383", GamePicture({1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15}, 5, "Eight ball")});
    out.push_back({"384", GamePicture({1, 2, 3, 4, 9, 5, 6, 7, 8}, 5, "Nine ball")});
    out.push_back({"593", GamePicture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 5, "Pyramid")});
    out.push_back({"382", GamePicture({1, 2, 3}, 2, "Three ball")});
    for (int v = 1; v <= 7; ++v)
        out.push_back({std::to_string(926 + v), Trophy(v)});
    return out;
}

std::vector<SNamedFile> MakeCursorsAndIcon()
{
    return {{"ui/369.cur", IconFile(HandCursor(), true, 12, 1)},
            {"ui/32649.cur", IconFile(AimCursor(), true, 16, 16)},
            {"ui/262.cur", IconFile(CallCursor(false), true, 16, 16)},
            {"ui/263.cur", IconFile(CallCursor(true), true, 16, 16)},
            {"ui/128.ico", IconFile(Icon(), false, 0, 0)}};
}

std::vector<SNamedFile> MakeDesktopIcons()
{
    std::vector<SNamedFile> out;
    for (const int nSide : {32, 48, 64, 128, 256})
    {
        const std::string strSide = std::to_string(nSide);
        out.push_back({"icons/hicolor/" + strSide + "x" + strSide + "/apps/vorn.png", EncodeArtPng(Icon(nSide), true)});
    }
    return out;
}

CArtImage MakeButtonPicture(int nWidth, int nHeight, const std::string& strLabel, EButtonLook eLook)
{
    return Button(nWidth, nHeight, strLabel, eLook);
}
