// Links in the room: objects of the scene that open an address or a document when clicked. Their
// rectangles on the screen follow the camera; the first rectangle in list order under the cursor
// is the link hovered. A link's target comes from the scene text or the user's ini file, so only
// web and mail addresses and documents of the program folder are ever opened.
#pragma once

#include "platform/win32/WinTypes.h"
#include "render/XFile.h"

#include <filesystem>
#include <string>

class CLinkList;

/// Whether a target may be handed to the desktop's opener: an http, https or mailto address, or
/// an existing file inside the program folder (relative to it, or absolute) that is not a program.
bool IsOpenableLink(const std::string& strTarget, const std::filesystem::path& programFolder);

/// The index of the first link whose rectangle holds the point (edges included); -1 when none.
int LinkAtPoint(const CLinkList& links, POINT pt);

/// The screen rectangle of a box's face nearest the viewer (its minimum depth), as the last frame
/// projects it; left not above right, top not above bottom.
RECT ProjectBoxFace(const SBox& box);
