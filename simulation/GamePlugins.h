// The rule plug-ins: finds the "*.gam" plug-ins of the program folder, lists them with their
// pictures, and creates and releases the game object of a chosen game type.
//
// A game object and the referees it creates run code of its library, so the manager keeps the
// library open exactly as long as the game object lives, and releases in this order: the
// referees (through the game object), the game object, then the library.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"
#include "simulation/GamePlugin.h"

#include <memory>
#include <span>
#include <vector>

/// Closes a library when its owner goes.
struct SFreeLibrary
{
    void operator()(HINSTANCE__* hModule) const;
};
using CLibraryPtr = std::unique_ptr<HINSTANCE__, SFreeLibrary>;

/// One plug-in found by the scan.
struct SGamePluginEntry
{
    CString strPath; ///< the library's path
    CString strName; ///< the game's name
    LONG nType = 0;  ///< the game type id
    BYTE bFlag = 1;  ///< the flag byte the plug-in returned (preset to 1)
};

/// A game's picture for the game list. It keeps the plug-in's library open while it lives, so
/// that the picture can be read from the library's resources.
class CGamePicture
{
public:
    CGamePicture(CLibraryPtr pLibrary, LONG nPictureId, const SGamePluginEntry& entry);
    virtual ~CGamePicture() = default;
    CGamePicture(const CGamePicture&) = delete;
    CGamePicture& operator=(const CGamePicture&) = delete;

    /// The JPEG bytes of the picture (the "_DATA" resource of the picture id); empty when the
    /// plug-in has no such resource.
    std::span<const BYTE> GetPictureData() const;
    /// The picture decoded into a bitmap the caller owns; null when there is none or it does
    /// not decode.
    HBITMAP CreateBitmap() const;

    LONG m_nPictureId = 0;
    LONG m_nType = 0;
    CString m_strName;
    LONG m_nFlag = 1;
    CString m_strPath;

private:
    CLibraryPtr m_pLibrary;
};

class CGamePlugins
{
public:
    CGamePlugins() = default;
    /// Releases the current game, then forgets the entries.
    virtual ~CGamePlugins();
    CGamePlugins(const CGamePlugins&) = delete;
    CGamePlugins& operator=(const CGamePlugins&) = delete;

    /// Releases the current game and finds the plug-ins of the program folder again, in name
    /// order. A file that does not load or lacks GetGameType is skipped with a line in the debug
    /// log. TRUE when at least one plug-in was found.
    BOOL Scan();

    /// Releases the current game, then creates the game object of the first entry of that type
    /// whose library loads, exports CreateGame and creates an object. Returns the game, null when
    /// no entry of the type could create one.
    CPluginGame* CreateGameById(LONG nType);
    /// Has the current game create its two referees through the two pointers, and remembers
    /// where they are kept so that releasing the game releases them first. The pointers must live
    /// as long as the game. FALSE when there is no game.
    BOOL CreateReferees(CReferee** ppReferee, CReferee** ppShadow);
    /// Has the current game release the referees the two pointers hold.
    void ReleaseReferees(CReferee** ppReferee, CReferee** ppShadow);
    /// Releases the referees the game still has out, destroys the game object and then closes its
    /// library. Does nothing without a game.
    void ReleaseGame();

    /// The picture of entry nIndex: null for an index out of range, a library that does not load
    /// or one without GetPictureID.
    std::unique_ptr<CGamePicture> GetPicture(int nIndex) const;
    /// The first entry with that type id, or null.
    const SGamePluginEntry* FindByType(LONG nType) const;
    const SGamePluginEntry* GetEntry(int nIndex) const;

    BOOL IsGameLoaded() const { return m_pGame != nullptr; }
    CPluginGame* GetGame() const { return m_pGame; }
    int GetCount() const { return static_cast<int>(m_Entries.size()); }

    /// folder + name, nothing inserted between them (folders end with a separator).
    static CString CombinePath(LPCSTR szFolder, LPCSTR szName);

private:
    BOOL ScanFolder(const CString& strFolder);
    /// Reads the entry of one library; false (and the reason in the debug log) when it is none.
    static bool ReadEntry(const CString& strPath, SGamePluginEntry& entry);
    /// Creates the game object of one entry into m_pGame; false when that entry cannot.
    bool CreateFromEntry(const SGamePluginEntry& entry);

    CPluginGame* m_pGame = nullptr;
    std::vector<SGamePluginEntry> m_Entries;
    /// The library the current game came from, open while the game lives.
    CLibraryPtr m_pGameLibrary;
    /// Where the current game's referees are kept (CreateReferees), null when none are out.
    CReferee** m_ppReferee = nullptr;
    CReferee** m_ppShadow = nullptr;
};
