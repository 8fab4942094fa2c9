// The program library's pictures: the splash, the help dialog's background and button, the start
// dialog's buttons (each look of each), game pictures and trophies, and the cursors and icon.
// Buttons are dark glass with a brass trim and off-white text; their looks differ visibly: hot
// lighter, pressed or selected brass-filled with dark text.
#pragma once

#include "tools/texgen/SurfaceTextures.h"

#include <cstdint>
#include <vector>

enum class EButtonLook
{
    Normal,
    Hot,
    Pressed,
};

/// A button: a rounded glass panel with a brass trim and its label, in one of its looks.
CArtImage MakeButtonPicture(int nWidth, int nHeight, const std::string& strLabel, EButtonLook eLook);

/// The splash picture (resource 180), 640 by 480.
CArtImage MakeSplashPicture();

/// Every "_DATA" picture of the program library as "ui/<id>.jpg".
std::vector<SNamedPicture> MakeUiPictures();

struct SNamedFile
{
    std::string strName;
    std::vector<std::uint8_t> bytes;
};

/// The cursors (369, the hand over a ball, 32649, the pointer over the table, 262 and 263, a ball
/// or pocket that may be called and the one called) as whole .cur
/// files, and the program's icon 128 as a whole .ico file: "ui/<id>.cur", "ui/128.ico".
std::vector<SNamedFile> MakeCursorsAndIcon();

/// The program's icon for the desktop's menus and launchers, at several sides, as PNG files with
/// alpha laid out as the desktop's icon theme is: "icons/hicolor/<side>x<side>/apps/vorn.png".
std::vector<SNamedFile> MakeDesktopIcons();
