// Dialog templates: the text form the resource packer checks and stores as a dialog resource, and
// the dialog units its coordinates are written in.
//
// One statement per line; blank lines and lines starting with ';' are ignored:
//   dialog <x> <y> <width> <height>     the dialog's rectangle in dialog units (required, first)
//   caption "text"
//   font <points> "face"                required: dialog units come from the font
//   control <kind> <id> <x> <y> <width> <height> ["text"] [flag...]
// Kinds: static, push, default (the default push button), check, ownerbutton (drawn by the dialog),
// edit (one line), listbox (rows drawn by the dialog). Flags: tabstop, disabled, hidden.
// Ids are 0..65535 (a static's -1 is written as 65535); numbers are decimal.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

/// The resource type of dialog templates.
inline constexpr WORD RT_DIALOG_ID = 5;

enum class EDialogControl
{
    Static,
    PushButton,
    DefaultButton,
    CheckBox,
    OwnerDrawButton,
    Edit,
    ListBox
};

struct SDialogControlTemplate
{
    EDialogControl eKind = EDialogControl::Static;
    int nId = 0;
    RECT rcUnits; // left, top, right, bottom in dialog units
    std::string strText;
    bool bTabStop = false;
    bool bDisabled = false;
    bool bHidden = false;
};

struct SDialogTemplate
{
    RECT rcUnits; // in dialog units
    std::string strCaption;
    int nPointSize = 0;
    std::string strFace;
    std::vector<SDialogControlTemplate> aControls;
};

/// Parses a template; false with "line N: what is wrong" in strError (a template without a font
/// or without its dialog line is refused).
bool ParseDialogTemplate(std::string_view text, SDialogTemplate& dialogTemplate, std::string& strError);

/// The dialog base units of a font: its average character width (of the 52 Latin letters, rounded)
/// and its line height, in pixels at 96 dots per inch.
SIZE DialogBaseUnits(int nPointSize, const std::string& strFace);
/// Dialog units to pixels: x by a quarter of the base width, y by an eighth of the base height.
RECT DialogUnitsToPixels(const RECT& rcUnits, SIZE base);
