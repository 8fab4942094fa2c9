// The keyboard and mouse as the game flow reads them once per tick: the earliest key press of the
// frame, the keys held, the mouse's movement counts and its buttons. The main frame fills the
// reading from its DirectInput devices; a test fills it from a table of its own.
#pragma once

#include "platform/mfc/CString.h"

#include <array>
#include <bitset>

// DirectInput scan codes of the keys the flow reads.
inline constexpr int KEY_ESC = 1;
inline constexpr int KEY_TAB = 15;
inline constexpr int KEY_E = 18;
inline constexpr int KEY_ENTER = 28;
inline constexpr int KEY_LCTRL = 29;
inline constexpr int KEY_A = 30;
inline constexpr int KEY_F = 33;
inline constexpr int KEY_G = 34;
inline constexpr int KEY_LSHIFT = 42;
inline constexpr int KEY_X = 45;
inline constexpr int KEY_B = 48;
inline constexpr int KEY_M = 50;
inline constexpr int KEY_RSHIFT = 54;
inline constexpr int KEY_SPACE = 57;
inline constexpr int KEY_RCTRL = 157;
inline constexpr int KEY_UP = 200;
inline constexpr int KEY_LEFT = 203;
inline constexpr int KEY_RIGHT = 205;
inline constexpr int KEY_DOWN = 208;

/// One tick's reading of the keyboard and the mouse.
struct SFlowInput
{
    int nPressedKey = 0;   ///< the earliest key pressed since the last reading, 0 when none
    std::bitset<256> keys; ///< keys held, by scan code
    int nMouseX = 0;       ///< mouse movement counts since the last reading (unaccelerated)
    int nMouseY = 0;       ///< positive towards the player
    bool bRightDown = false;
    bool bLeftReleased = false;
    bool bRightReleased = false;
    bool bRightDoubleClick = false;

    bool IsDown(int nScanCode) const
    {
        return nScanCode > 0 && nScanCode < 256 && keys.test(static_cast<size_t>(nScanCode));
    }
    bool IsShift() const { return IsDown(KEY_LSHIFT) || IsDown(KEY_RSHIFT); }
    bool IsCtrl() const { return IsDown(KEY_LCTRL) || IsDown(KEY_RCTRL); }
};

/// Where the flow's reading comes from.
class IFlowInput
{
public:
    virtual ~IFlowInput() = default;
    /// Reads the devices once into the reading (keys held as up while the game has input off).
    virtual void Read(SFlowInput& input) = 0;
};

/// The program's aiming tuning texts: first an empty one, then the mouse response's ten
/// coefficients (below, in their order), then four further numbers; and seventeen spare texts.
/// Built before the program starts; the aiming and stroke handlers take their defaults from them.
/// Main thread.
extern std::array<CString, 15> g_astrAimTuning;
extern std::array<CString, 17> g_astrAimSpare;

/// The mouse's response: a movement d (counts times the input factor) becomes d L + |d| d Q. The
/// coefficients are texts so that a tuning dialog can change them between two ticks; each is
/// converted at its use.
struct SMouseResponse
{
    CString strHorzQuad = g_astrAimTuning[1]; ///< yaw and the cue tip's offsets
    CString strHorzLinear = g_astrAimTuning[2];
    CString strVertQuad = g_astrAimTuning[3]; ///< pitch and the preview time
    CString strVertLinear = g_astrAimTuning[4];
    CString strZoomQuad = g_astrAimTuning[5]; ///< camera distance
    CString strZoomLinear = g_astrAimTuning[6];
    CString strBackQuad = g_astrAimTuning[7]; ///< the mouse stroke drawing the cue back
    CString strBackLinear = g_astrAimTuning[8];
    CString strForwardQuad = g_astrAimTuning[9]; ///< the mouse stroke pushing it forward
    CString strForwardLinear = g_astrAimTuning[10];
};

/// d L + |d| d Q with L and Q read from their texts (a text that is no number counts as 0).
float MouseResponse(float d, const CString& strQuad, const CString& strLinear);
