// The input script: a test drives the real program through the display, as a user would.
//
// One entry per line; blank lines and lines starting with ';' are ignored:
//   at <ms> <action>       run when <ms> milliseconds have passed since the script was loaded
//   frame <n> <action>     run once <n> frames have been presented (tool windows' frames, the
//                          splash's, and frames drawn under a dialog are not counted)
//   frame +<n> <action>    run once <n> more frames have been presented than when the entry before
//                          it ran
//   dialog <n> <action>    run once <n> dialogs have opened since the script was loaded (a dialog
//                          counts when it is first shown over its owner or on its own)
//   dialog +<n> <action>   run once <n> more dialogs have opened than when the entry before it ran
//   after <ms> <action>    run <ms> milliseconds after the entry before it ran (after the script
//                          was loaded, for the first)
//   wait <text>            no action: the entries after it wait until the program writes a debug
//                          log line holding the text while this is the next entry to run
//   seen <text>            no action: the entries after it wait until the program has written a
//                          debug log line holding the text at any time since the script was loaded,
//                          after the line that met the seen entry before it (so that seen entries in
//                          a row find their lines in that order)
//   answer <button>        the next message box is answered with the button (ok, cancel, yes, no,
//                          abort, retry, ignore or its number); answers are used in order, on a
//                          real screen too; once they are used up, a headless box takes its default
//   boxes shown            once the answers are used up, boxes (message boxes over a window, the
//                          error box, the start-up question) are shown even on a headless display,
//                          for the script's keys and clicks to close, instead of taking their default
// Timed entries run in the order written; each waits for the ones before it. Actions:
//   key down|up|press <key name>    keys by their display names: "Tab", "Left Shift", "A", "Escape"
//   text <characters>               typed text (WM_CHAR)
//   mouse move <x> <y>              client coordinates
//   mouse down|up left|right|middle <x> <y>
//   mouse move|down|up ... @<text>  at the point the program last named: the last two numbers of
//                                   the latest debug log line holding the text (written since the
//                                   script was loaded; a seen entry before it waits for the line)
//   mouse move|down|up ... <x> <y> in dialog    a point of the client area of the dialog shown
//                                   over the window (of the window itself when none is)
//   mouse move|down|up ... <x> <y> in menu      a point of the window's menu bar (see MenuBar.h)
//   mouse move|down|up ... in dialog|menu @<text>   the point the log named, in the dialog or the bar
//   wheel <notches>
//   close | minimise | restore | focus | unfocus    what the user does to the window
//   png <path>                      writes the window's last shown frame as a PNG file
// Actions go to a window showing a dialog, else the active window, else the first top-level window.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SScriptEntry
{
    enum EWhen
    {
        AtMs,
        AtFrame,
        AtDialog,
        AfterMs,
        AfterFrame,
        AfterDialog,
        AfterTrace,
        SeenTrace
    };
    EWhen eWhen = AtMs;
    long long nAt = 0;
    std::vector<std::string> aWords; // the action, cut at blanks (the text of "text" is kept whole in aWords[1])
    int nLine = 0;
    std::string strTrace;      // what a wait or a seen entry waits for; its action is empty
    std::string strPointTrace; // a mouse action's "@<text>": the log line that names its point
    bool bInDialog = false;    // a mouse action's point is in the shown dialog's client area
    bool bInMenu = false;      // a mouse action's point is in the window's menu bar
};

struct SInputScript
{
    std::vector<SScriptEntry> aEntries;
    std::vector<int> aAnswers; // button ids in order
    bool bBoxesShown = false;  // headless boxes wait for the script instead of taking their default
};

/// Parses a script; an unreadable line stops with its number and the reason in strError.
std::optional<SInputScript> ParseInputScript(const std::string& strText, std::string& strError);
/// Reads and parses the file; the reason names the file on failure.
std::optional<SInputScript> LoadInputScript(const std::string& strPath, std::string& strError);
