// Built into the program and the shell's tests as an object of its own (nothing refers to these
// texts, so a library would leave them out).
#include "app/Globals.h"

#include "foundation/GlobalOrder.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_EMPTY_TEXT) CString g_strEmpty;
VORN_GLOBAL_ROW(GLOBAL_ROW_AIM_TUNING_TEXTS)
std::array<CString, 15> g_astrAimTuning = {"",    "0.0004", "0.05", "0",  "0.03", "0", "0.3", "0",
                                           "0.1", "0.0",    "0.05", "30", "0.4",  "2", "1000"};
VORN_GLOBAL_ROW(GLOBAL_ROW_AIM_TUNING_TEXTS) std::array<CString, 17> g_astrAimSpare;
VORN_GLOBAL_ROW(GLOBAL_ROW_FOLDER_TEXTS, 0) CString g_strProcessorTag;
VORN_GLOBAL_ROW(GLOBAL_ROW_FOLDER_TEXTS, 1) CString g_strAdhere = "adhere";
VORN_GLOBAL_ROW(GLOBAL_ROW_FOLDER_TEXTS, 3) CString g_strFurther;
VORN_GLOBAL_ROW(GLOBAL_ROW_RESOURCE_TYPE) CString g_strDefaultResourceType = "_DATA";
VORN_GLOBAL_ROW(GLOBAL_ROW_LIGHT_NAMES)
std::array<CString, 14> g_astrLightNames = {"Ambient", "Down",         "JukeBox",  "Flame", "Flame1",
                                            "TV",      "Fan 0",        "Fan 1",    "Fan 2", "Fan 3",
                                            "8 ball",  "Coinman Vorn", "AMD logo", "Trees"};
VORN_GLOBAL_ROW(GLOBAL_ROW_LOG_FILE) CString g_strLogFile = "VornLog.txt";
VORN_GLOBAL_ROW(GLOBAL_ROW_DISABLE_TEXTURE) CString g_strDisableTexture = "Disable.bmp";
VORN_GLOBAL_ROW(GLOBAL_ROW_CHAT_TEXTURE) CString g_strChatTexture = "Chat.bmp";
VORN_GLOBAL_ROW(GLOBAL_ROW_MUSIC_FILE) CString g_strMusicFile = "VornMidi.mid";
VORN_GLOBAL_ROW(GLOBAL_ROW_SPLASH_CLIP_RECT) RECT g_rcSplashClip = {100, 262, 148, 310};
VORN_GLOBAL_ROW(GLOBAL_ROW_SPLASH_RECTS)
std::array<RECT, 2> g_arcSplashSpare = {RECT{24, 442, 44, 542}, RECT{346, 166, 426, 230}};
VORN_GLOBAL_ROW(GLOBAL_ROW_OVERLAY_CLIP_RECT) RECT g_rcSplashOverlay = {378, 204, 430, 308};
