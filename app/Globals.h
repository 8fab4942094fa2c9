// The program's global objects that no other part owns yet, built by main in the order of the
// program's table of globals before the application object and destroyed after it, in reverse.
// Globals that their owners already define (settings, ball engines, library lists, the frame
// stopwatch, the scene reader) are built by the runtime before main: none of them starts a thread,
// opens a window or touches a file while being built, so their order among these does not matter.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <array>

struct SGlobals
{
    /// Row 5.
    CString strEmpty;
    /// Row 6: the aiming and mouse-response tuning texts, then seventeen empty texts.
    std::array<CString, 15> astrAimTuning = {"",    "0.0004", "0.05", "0",  "0.03", "0", "0.3", "0",
                                             "0.1", "0.0",    "0.05", "30", "0.4",  "2", "1000"};
    std::array<CString, 17> astrAimSpare;
    /// Row 16: the processor tag, "adhere", the data folder text and a further text.
    CString strProcessorTag;
    CString strAdhere = "adhere";
    CString strDataFolderText;
    CString strFurther;
    /// Row 17: the default resource type of raw images.
    CString strDefaultResourceType = "_DATA";
    /// Row 20: the default light names.
    std::array<CString, 14> astrLightNames = {"Ambient", "Down",         "JukeBox",  "Flame", "Flame1",
                                              "TV",      "Fan 0",        "Fan 1",    "Fan 2", "Fan 3",
                                              "8 ball",  "Coinman Vorn", "AMD logo", "Trees"};
    /// Row 23: the log file's name; the file is never opened.
    CString strLogFile = "VornLog.txt";
    /// Row 26: the disabled-panel texture name.
    CString strDisableTexture = "Disable.bmp";
    /// Row 42: the chat texture name.
    CString strChatTexture = "Chat.bmp";
    /// Row 46: the music file name.
    CString strMusicFile = "VornMidi.mid";
    /// Rows 51, 53 and 55: the splash screen's clip rectangles.
    RECT rcSplashClip = {100, 262, 148, 310};
    std::array<RECT, 2> arcSplashSpare = {RECT{24, 442, 44, 542}, RECT{346, 166, 426, 230}};
    RECT rcSplashOverlay = {378, 204, 430, 308};
};
