// The hand-written sources of menus and accelerator tables, compiled into their resources.
//
// A menu source: one statement per line, '#' starts a comment, texts in double quotes (escapes
// as in the manifest):
//   popup "text"          opens a submenu; its items follow up to the matching "end"
//   item <id> "text"      a command (id 1..65535)
//   separator
//   end                   closes the innermost popup
//
// An accelerator source: one key per line, '#' starts a comment:
//   <key> <id>            the key with its modifiers, e.g. Ctrl+S, Alt+Enter, Shift+F5, F2, Esc
// Keys: A-Z, 0-9, F1-F12, Esc, Enter, Space, Tab, Backspace, Insert, Delete, Home, End, PageUp,
// PageDown, Left, Right, Up, Down, Pause; modifiers Ctrl+, Alt+, Shift+ in any order.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

/// False with "line N: what is wrong" in strError.
bool CompileMenuSource(const std::string& strText, std::vector<BYTE>& data, std::string& strError);
bool CompileAcceleratorSource(const std::string& strText, std::vector<BYTE>& data, std::string& strError);
