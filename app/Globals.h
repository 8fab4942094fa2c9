// The program's global objects that no other part owns yet: texts, names and rectangles built in
// their rows of the program's table of globals (foundation/GlobalOrder.h) before main. Nothing
// writes them; any thread may read them.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <array>

/// Row 5.
extern CString g_strEmpty;
/// Row 6: the aiming and mouse-response tuning texts, then seventeen empty texts.
extern std::array<CString, 15> g_astrAimTuning;
extern std::array<CString, 17> g_astrAimSpare;
/// Row 16 (beside the data folder text of foundation/Folders.cpp): the processor tag, "adhere"
/// and a further text.
extern CString g_strProcessorTag;
extern CString g_strAdhere;
extern CString g_strFurther;
/// Row 17: the default resource type of raw images.
extern CString g_strDefaultResourceType;
/// Row 20: the default light names.
extern std::array<CString, 14> g_astrLightNames;
/// Row 23: the log file's name; the file is never opened.
extern CString g_strLogFile;
/// Row 26: the disabled-panel texture name.
extern CString g_strDisableTexture;
/// Row 42: the chat texture name.
extern CString g_strChatTexture;
/// Row 46: the music file name.
extern CString g_strMusicFile;
/// Rows 51, 53 and 55: the splash screen's clip rectangles.
extern RECT g_rcSplashClip;
extern std::array<RECT, 2> g_arcSplashSpare;
extern RECT g_rcSplashOverlay;
