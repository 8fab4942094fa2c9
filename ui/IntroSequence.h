// The intro's lamp sequence: the room starts dark (a dim ambient grey and the flames), the lamp
// over the table blinks on, then every lamp fades from the dim level to its own colour and the
// game begins. One global instance; the game start arms it with the main window, the window's
// render step runs it once a frame in place of its panel drawing while it has not finished, and
// the painters and input handlers ask whether it has finished. Main thread only.
//
// States (each step is one call of Run, times from the frame stopwatch):
//
//   state | what the step does                                            | next
//   ------+---------------------------------------------------------------+---------------------
//   0     | window to the front, cursor hidden, "Ambient" dim grey and on, | 1 ("Ambient" missing:
//         | "Flame" and "Flame1" on                                       |   Finish)
//   1     | "Down" on, its colour remembered, the blink timer reset       | 2 ("Down" missing:
//         |                                                               |   Finish)
//   2     | "Down" blinks by the timer; when its list is used up every    | 5
//         | lamp comes on                                                 |
//   5     | every lamp fades toward its colour over 2500 ms; after the    | 6 (Finish)
//         | increase time the sequence finishes                           |
//   6     | finished: the lamps hold their own colours                    | -
//
// Escape or Space after the program's tenth intro frame finishes it at once.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

class CSceneLight;

/// What the sequence asks of the main window.
class IIntroHost
{
public:
    virtual ~IIntroHost() = default;
    /// The window to the foreground and to the top.
    virtual void BringIntroWindowToFront() = 0;
    /// Paints the frame's panels (the panel band cleared, then the display) into the scene begun.
    virtual void DrawIntroPanels() = 0;
    /// The intro is over: the keys that ended it are taken, and the game begins with the camera's
    /// flight to the table.
    virtual void BeginPlayAfterIntro() = 0;
};

/// The on and off phases of the blinking lamp: each interval of the list in turn, the phase
/// flipping at the start of each.
class CBlinkTimer
{
public:
    /// A new list of intervals (ms), the phase off and the timer not done.
    void SetIntervals(std::vector<DWORD> adwIntervals);
    void Reset() { m_dwAccumulated = 0; }
    BOOL IsOn() const { return m_bOn; }
    /// Adds the frame time (ms); true once the list is used up.
    bool Step(DWORD dwFrameMs);

private:
    DWORD m_dwInterval = 0;
    DWORD m_dwAccumulated = 0;
    BOOL m_bOn = FALSE;
    std::vector<DWORD> m_adwIntervals; // the intervals still to come, the next one first
    BOOL m_bDone = FALSE;
};

/// The "Blink lamp" text of the intro's ini ("500, 300, 300, 150;"): its intervals in ms, up to
/// the first entry that is not a whole number from 0 to 60000.
std::vector<DWORD> ParseBlinkIntervals(const CString& strList);

class CIntroSequence
{
public:
    /// The ini is the program folder's (program title + ".ini"); changes go to the data folder's
    /// copy, which is read first once it exists.
    CIntroSequence() = default;
    virtual ~CIntroSequence() = default;
    CIntroSequence(const CIntroSequence&) = delete;
    CIntroSequence& operator=(const CIntroSequence&) = delete;

    /// Arms the sequence for the window: the ini's "Intro" keys read and written back, every
    /// lamp's line kept and the lamps switched off. A null host only stores null.
    void Start(IIntroHost* pHost);
    /// One frame of the sequence, its drawing included.
    void Run();
    /// Ends the sequence at once: every lamp on in its own colour, and the game begins.
    void Finish();
    /// The window going away: a sequence armed for it ends without touching the lamps or the window.
    void Abandon(const IIntroHost* pHost);
    /// True also when no intro ran.
    BOOL IsFinished() const { return m_bFinished; }
    /// Started and not finished.
    BOOL IsArmed() const { return m_bArmed; }
    DWORD GetState() const { return m_dwState; }
    int GetIncreaseTime() const { return m_nIncreaseTime; }
    int GetDecreaseTime() const { return m_nDecreaseTime; }

    /// The dim grey level the room starts at, 0 to 255 ("Start light"); shared by every sequence.
    static int GetStartLight();
    /// The frames every sequence has run since the program started (Escape and Space count from
    /// the eleventh); tests set it.
    static unsigned GetFrameCount();
    static void SetFrameCount(unsigned nFrames);

    /// Replaces the two ini files (tests).
    void SetIniFiles(const CString& strRead, const CString& strWrite);

private:
    void LoadSettings();
    void SaveLampLines();
    void Advance();
    void AdvanceDark();
    void AdvanceDown();
    void AdvanceBlink(DWORD dwFrameMs);
    /// A value on its way from the start level to its own: linear over 2500 ms in the fade.
    int Ramp(int nFrom, int nTo) const;
    /// The colour of the lamp's kept line ramped from the start level, or false without a line
    /// that reads.
    bool RampedColour(const CSceneLight& lamp, bool bRamp, DWORD& dwColour) const;
    /// Draws the panels with every scene object at the intensity the state gives it, then puts
    /// the objects' own intensities back.
    void DrawWithIntensities();
    int IntensityFor(int nOwn, int nId) const;

    DWORD m_dwState = 0;
    DWORD m_dwElapsed = 0; ///< ms in the current state
    BOOL m_bFinished = TRUE;
    BOOL m_bArmed = FALSE;
    IIntroHost* m_pHost = nullptr;
    CStringArray m_astrSavedLines; ///< each lamp's line as it was at the start
    CBlinkTimer m_BlinkTimer;
    DWORD m_dwRememberedColour = 0; ///< "Down" as it came on, 0xAARRGGBB
    int m_nIncreaseTime = 2500;     ///< ms of the fade before the sequence finishes
    int m_nDecreaseTime = 2500;     ///< ms; read and written back only
    CString m_strIniRead;
    CString m_strIniWrite;
};

/// The intro of the game. Main thread; tests run their own instances.
extern CIntroSequence g_IntroSequence;
