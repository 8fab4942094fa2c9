// The rows of the program's table of globals (foundation/GlobalOrder.h) that nothing reads yet:
// texts, names, settings copies and records the table lists, built before main in their rows and
// destroyed after it. Nothing writes them; any thread may read them.
#pragma once

#include "foundation/Settings.h"
#include "platform/dx/DxTypes.h"
#include "platform/mfc/Arrays.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "simulation/BallEngine.h"

#include <array>
#include <vector>

/// Row 5.
extern CString g_strEmpty;
/// Row 12, after the live settings: the copy a saved state keeps (nothing saves one yet).
extern CSettings g_SavedStateSettings;
/// Row 16 (beside the data folder text of foundation/Folders.cpp): the processor tag, "adhere"
/// and a further text.
extern CString g_strProcessorTag;
extern CString g_strAdhere;
extern CString g_strFurther;
/// Row 19: a text and a word array of the lights.
extern CString g_strLightText;
extern CDWordArray g_adwLightWords;
/// Row 22: the image-set list, empty, whose sets would change every 3000 ms.
struct SImageSetList
{
    CStringArray astrNames;
    DWORD dwPeriodMs = 3000;
};
extern SImageSetList g_ImageSets;
/// Row 25: the texture-set holder, a string array.
extern CStringArray g_astrTextureSetHolder;
/// Row 31: a third settings object.
extern CSettings g_ThirdSettings;
/// Row 33: the shot's motion packet, the recorded motion of one shot; empty.
extern CMotionQueue g_MotionPacket;
/// Row 43: two texts, two shot-trace arrays (ball positions) and a byte array of the game flow.
extern std::array<CString, 2> g_astrFlowTexts;
extern std::array<std::vector<CVector3>, 2> g_aShotTraces;
extern std::vector<BYTE> g_abFlowBytes;
/// Row 45: a further text.
extern CString g_strRow45;
/// Row 46: the music file name.
extern CString g_strMusicFile;
/// Row 47: a matrix.
extern D3DMATRIX g_matRow47;
/// Row 50: eighteen records of 172 bytes of the interface, zeroed.
extern std::array<std::array<BYTE, 172>, 18> g_aInterfaceRecords;
/// Row 53: two rectangles of the splash picture that no clip uses.
extern std::array<RECT, 2> g_arcSplashSpare;
