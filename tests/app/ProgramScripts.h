// Pieces of input scripts that several whole-program tests play: a click on the start screen,
// saving or loading through the saved-games dialog by its keys, and closing once a game is saved.
#pragma once

#include <string>

/// A click a little inside the top-left corner of a control the start screen places at (x, y).
inline std::string ClickAt(int x, int y)
{
    const std::string strAt = std::to_string(x + 12) + " " + std::to_string(y + 12) + "\n";
    return "dialog 1 mouse down left " + strAt + "dialog 1 mouse up left " + strAt;
}

/// Ctrl and a letter; once the saved-games dialog it opens is shown, the name typed into its name
/// line, or else the game first in its list, and Enter.
inline std::string CtrlKeyInDialog(const char* szKey, const std::string& strName = {})
{
    // Ctrl goes up once the dialog is shown: it is the next one opened after the key.
    std::string strScript =
        "after 0 key down Left Ctrl\nafter 100 key press " + std::string(szKey) + "\ndialog +1 key up Left Ctrl\n";
    if (!strName.empty())
        strScript += "after 100 key press Tab\nafter 100 text " + strName + "\n";
    return strScript + "after 100 key press Return\n";
}

inline constexpr const char* AT_REST = "wait Game: at rest, it can be saved or loaded\n";
inline constexpr const char* CLOSE_ONCE_SAVED = "wait Game: saved as \nafter 0 close\nanswer ok\n";
