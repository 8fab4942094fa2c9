// The saved-games dialog: the ".sav" files of the saved-games folder in a list, and in save mode a
// name line; after OK (or a double click on a game) the chosen file name (with ".sav") is in
// m_strFileName. Its title, the list's heading and its buttons are pictures of the program library;
// the list's rows are painted with the skinned list's brush, font and colours.
#pragma once

#include "foundation/ResourceBitmaps.h"
#include "platform/mfc/CString.h"
#include "ui/SkinDialog.h"
#include "ui/SkinList.h"

#include <vector>

/// The dialog's template, background and title pictures (save mode's, load mode's, the second).
inline constexpr int SAVE_GAME_TEMPLATE = 580;
/// The longest name the dialog takes, without ".sav".
inline constexpr int SAVE_GAME_MAX_NAME = 200;

class CSaveGameDialog : public CSkinDialog
{
public:
    CSaveGameDialog(BOOL bSaveMode, CWnd* pParent);

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    /// The names (without ".sav") of the saved games in a folder: every "*.sav" file in any case,
    /// sorted; empty when the folder cannot be listed.
    static std::vector<CString> ListSavedGames(const CString& strFolder);
    /// The name typed, a trailing ".sav" taken off; empty with the reason when it cannot name a
    /// file of the saved-games folder (empty, a separator, "..", a leading dot, a control
    /// character, or longer than SAVE_GAME_MAX_NAME).
    static CString CheckName(const CString& strTyped, CString& strReason);

    /// Where the dialog lays a control of its template out over its background, in its client
    /// pixels: the list, the name line and its label whole, OK and Cancel by their top left (their
    /// size is their picture's); an empty rectangle for any other id.
    static RECT ControlPlace(int nId);

    CString m_strFileName; ///< the chosen file's name with ".sav"; empty after Cancel

private:
    /// The dialog at its size over its owner, the controls where the background has their places.
    void LayOut();
    void PlacePicture(CImageWnd& picture, int nId, UINT nPicture, POINT pt);
    /// A row of the list: the skinned list's brush behind the game's name, in its text colour, or
    /// its highlight colour when the row is selected.
    void DrawListRow(const DRAWITEMSTRUCT& dis) const;

    BOOL m_bSaveMode;
    CImageWnd m_title;   ///< "Save the game" or "Load a game"
    CImageWnd m_heading; ///< over the list
    std::vector<CString> m_astrNames;
    CSkinList m_list; ///< the colours and font the list's rows are painted in
};
