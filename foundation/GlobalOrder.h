// The order the program's global objects are built in: one row per line of the program's table of
// globals, built one after the other before main and destroyed after main in the reverse order.
//
// Each global object lives in the file of the library that owns it, so every library and its
// tests link without the program; its definition carries VORN_GLOBAL_ROW(row) (or
// VORN_GLOBAL_ROW(row, item) for several objects of one row in different files), which sets the
// object's initialisation priority. The runtime runs initialisers of lower priority first and
// registers each object's destructor as it is built, so the objects are destroyed in exactly the
// reverse order; objects of one priority in one file keep the order they are written in. Globals
// outside the table carry no row and are built after all of these.
//
// A global added to the table gets its row here, in place; the numbers are the table's, so the
// gaps are rows of plain values (vectors, matrices, view records) that need no building. After a
// row's objects its file marks the row built (VORN_GLOBAL_ROW_BUILT), so that the order the rows
// were built in can be read back: the program writes it to its debug log as it starts.
#pragma once

#include <span>

enum EGlobalRow : int
{
    GLOBAL_ROW_BALL_PAINTER = 1,
    GLOBAL_ROW_BALL_TEXTURE_SET = 3,
    GLOBAL_ROW_CALL_RECORDS = 4,
    GLOBAL_ROW_EMPTY_TEXT = 5,
    GLOBAL_ROW_AIM_TUNING_TEXTS = 6,
    GLOBAL_ROW_INPUT_DEVICES = 7,
    GLOBAL_ROW_BALL_DRAGGER = 8,
    GLOBAL_ROW_EXCEPTION_GUARD = 9,
    GLOBAL_ROW_SCENE_LISTS = 10,
    GLOBAL_ROW_GAME_PLUGINS = 11,
    GLOBAL_ROW_SETTINGS = 12,
    GLOBAL_ROW_TUTORIAL_FOLDER = 13,
    GLOBAL_ROW_RACK_POINTS = 14,
    GLOBAL_ROW_FOLDER_TEXTS = 16,
    GLOBAL_ROW_RESOURCE_TYPE = 17,
    GLOBAL_ROW_LAMP_TABLE = 18,
    GLOBAL_ROW_LIGHT_TEXTS = 19,
    GLOBAL_ROW_LIGHT_NAMES = 20,
    GLOBAL_ROW_LIGHT_ROWS = 21,
    GLOBAL_ROW_IMAGE_SETS = 22,
    GLOBAL_ROW_LOG_FILE = 23,
    GLOBAL_ROW_MAIN_CLIP = 24,
    GLOBAL_ROW_TEXTURE_SET_HOLDER = 25,
    GLOBAL_ROW_DISABLE_TEXTURE = 26,
    GLOBAL_ROW_CURSOR_MANAGER = 29,
    GLOBAL_ROW_SCENE_READER = 30,
    GLOBAL_ROW_THIRD_SETTINGS = 31,
    GLOBAL_ROW_MOTION_PACKET = 33,
    GLOBAL_ROW_TEXT_MESSAGES = 34,
    GLOBAL_ROW_BALL_ENGINES = 35,
    GLOBAL_ROW_WIDGETS = 36,
    GLOBAL_ROW_FRAME_RATE_STAT = 37,
    GLOBAL_ROW_LIBRARY_LISTS = 38,
    GLOBAL_ROW_APPLICATION = 39,
    GLOBAL_ROW_INTRO_SEQUENCE = 40,
    GLOBAL_ROW_BANNER = 41,
    GLOBAL_ROW_CHAT_TEXTURE = 42,
    GLOBAL_ROW_FLOW_TEXTS = 43,
    GLOBAL_ROW_FRAME_STOPWATCH = 44,
    GLOBAL_ROW_FURTHER_TEXT = 45,
    GLOBAL_ROW_MUSIC_FILE = 46,
    GLOBAL_ROW_MATRIX = 47,
    GLOBAL_ROW_WAVE_LIBRARY = 48,
    GLOBAL_ROW_SPEECH = 49,
    GLOBAL_ROW_DIALOG_RECORDS = 50,
    GLOBAL_ROW_SPLASH_CLIP_RECT = 51,
    GLOBAL_ROW_SPLASH_CLIPS = 52,
    GLOBAL_ROW_SPLASH_RECTS = 53,
    GLOBAL_ROW_FLAME_CLIP = 54,
    GLOBAL_ROW_OVERLAY_CLIP_RECT = 55,
    GLOBAL_ROW_OVERLAY_CLIP = 56,
    GLOBAL_ROW_TABLE_SETS = 57,
    GLOBAL_ROW_TEXTURE_LIST = 58,
    GLOBAL_ROW_AVI_CLIPS = 59,
    GLOBAL_ROW_FOLDER_PATHS = 60,
};

/// The initialisation priority of a row's item: 1000 and up, clear of the runtime's own
/// priorities (below 101), with room for ten items a row.
constexpr int GlobalPriority(int nRow, int nItem = 0) { return 1000 + 10 * nRow + nItem; }

/// Marks a global object's definition with its row of the table (and item within the row).
#define VORN_GLOBAL_ROW(...) [[gnu::init_priority(GlobalPriority(__VA_ARGS__))]]

/// The item of a row after every object of the row: its mark.
inline constexpr int GLOBAL_ROW_MARK_ITEM = 9;

/// Records, as it is built, that its row's objects are: built after them, in the row's mark item.
class CGlobalRowMark
{
public:
    explicit CGlobalRowMark(int nRow);
};

/// The rows marked built so far, in the order they were built.
std::span<const int> GetGlobalRowsBuilt();

/// Marks the row built; written once for each row, after the definitions of the row's objects.
#define VORN_GLOBAL_ROW_BUILT(row)                                                                                     \
    VORN_GLOBAL_ROW(row, GLOBAL_ROW_MARK_ITEM) static const CGlobalRowMark s_globalRowMark_##row(row)
