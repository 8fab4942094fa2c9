#include "simulation/GamePlugins.h"

#include "foundation/Folders.h"
#include "foundation/ResourceBitmaps.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/Modules.h"

#include <array>
#include <string>

namespace
{
void TracePlugin(const CString& strPath, const char* szWhat)
{
    OutputDebugString(("Rule plug-in " + strPath.Str() + " skipped: " + szWhat + "\n").c_str());
}

CLibraryPtr OpenLibrary(const CString& strPath) { return CLibraryPtr(LoadLibrary(strPath)); }

template <class TFunction> TFunction FindExport(const CLibraryPtr& pLibrary, const char* szName)
{
    return reinterpret_cast<TFunction>(GetProcAddress(pLibrary.get(), szName));
}
} // namespace

void SFreeLibrary::operator()(HINSTANCE__* hModule) const { FreeLibrary(hModule); }

// ---------------------------------------------------------------------------------------------
// CGamePicture

CGamePicture::CGamePicture(CLibraryPtr pLibrary, LONG nPictureId, const SGamePluginEntry& entry)
    : m_nPictureId(nPictureId), m_nType(entry.nType), m_strName(entry.strName), m_strPath(entry.strPath),
      m_pLibrary(std::move(pLibrary))
{
}

std::span<const BYTE> CGamePicture::GetPictureData() const
{
    if (m_nPictureId <= 0 || m_nPictureId > 0xFFFF)
        return {};
    HMODULE hModule = m_pLibrary.get();
    const HRSRC hInfo =
        FindResource(hModule, MAKEINTRESOURCE(static_cast<WORD>(m_nPictureId)), g_strDefaultResourceType.GetString());
    if (hInfo == nullptr)
        return {};
    const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hInfo)));
    return pData != nullptr ? std::span<const BYTE>(pData, SizeofResource(hModule, hInfo)) : std::span<const BYTE>();
}

HBITMAP CGamePicture::CreateBitmap() const
{
    const std::span<const BYTE> data = GetPictureData();
    return data.empty() ? nullptr : CreateBitmapFromJpegMemory(data.data(), data.size());
}

// ---------------------------------------------------------------------------------------------
// CGamePlugins

CGamePlugins::~CGamePlugins()
{
    ReleaseGame();
    m_Entries.clear();
}

CString CGamePlugins::CombinePath(LPCSTR szFolder, LPCSTR szName)
{
    return CString(szFolder != nullptr ? szFolder : "") + (szName != nullptr ? szName : "");
}

BOOL CGamePlugins::Scan() { return ScanFolder(GetProgramFolder()); }

BOOL CGamePlugins::ScanFolder(const CString& strFolder)
{
    m_Entries.clear();
    ReleaseGame();
    for (const std::string& strFile : FindFiles(CombinePath(strFolder, "*.gam")))
    {
        SGamePluginEntry entry;
        if (ReadEntry(CombinePath(strFolder, strFile.c_str()), entry))
            m_Entries.push_back(entry);
    }
    return !m_Entries.empty();
}

bool CGamePlugins::ReadEntry(const CString& strPath, SGamePluginEntry& entry)
{
    const CLibraryPtr pLibrary = OpenLibrary(strPath);
    if (pLibrary == nullptr)
    {
        TracePlugin(strPath, "not a library that can be loaded");
        return false;
    }
    const auto pfnGetGameType = FindExport<PFN_GET_GAME_TYPE>(pLibrary, GAME_PLUGIN_GET_GAME_TYPE);
    if (pfnGetGameType == nullptr)
    {
        TracePlugin(strPath, "it has no GetGameType");
        return false;
    }
    std::array<char, GAME_PLUGIN_NAME_SIZE> szName{};
    entry.strPath = strPath;
    entry.bFlag = 1;
    entry.nType = pfnGetGameType(szName.data(), static_cast<std::uint32_t>(szName.size()), &entry.bFlag);
    // Whatever the plug-in wrote, the name ends inside the buffer.
    szName.back() = '\0';
    entry.strName = szName.data();
    return true;
}

CPluginGame* CGamePlugins::CreateGameById(LONG nType)
{
    ReleaseGame();
    for (const SGamePluginEntry& entry : m_Entries)
    {
        if (entry.nType == nType && CreateFromEntry(entry))
            return m_pGame;
    }
    return nullptr;
}

bool CGamePlugins::CreateFromEntry(const SGamePluginEntry& entry)
{
    CLibraryPtr pLibrary = OpenLibrary(entry.strPath);
    if (pLibrary == nullptr)
        return false;
    const auto pfnCreateGame = FindExport<PFN_CREATE_GAME>(pLibrary, GAME_PLUGIN_CREATE_GAME);
    if (pfnCreateGame == nullptr)
    {
        TracePlugin(entry.strPath, "it has no CreateGame");
        return false;
    }
    CPluginGame* pGame = nullptr;
    pfnCreateGame(&pGame, GAME_PLUGIN_INTERFACE_VERSION);
    if (pGame == nullptr)
    {
        TracePlugin(entry.strPath, "it created no game (made for another interface version?)");
        return false;
    }
    m_pGame = pGame;
    m_pGameLibrary = std::move(pLibrary);
    return true;
}

BOOL CGamePlugins::CreateReferees(CReferee** ppReferee, CReferee** ppShadow)
{
    if (m_pGame == nullptr || ppReferee == nullptr || ppShadow == nullptr)
        return FALSE;
    m_pGame->CreateReferees(ppReferee, ppShadow);
    m_ppReferee = ppReferee;
    m_ppShadow = ppShadow;
    return TRUE;
}

void CGamePlugins::ReleaseReferees(CReferee** ppReferee, CReferee** ppShadow)
{
    if (m_pGame == nullptr || ppReferee == nullptr || ppShadow == nullptr)
        return;
    m_pGame->ReleaseReferees(ppReferee, ppShadow);
    if (ppReferee == m_ppReferee && ppShadow == m_ppShadow)
        m_ppReferee = m_ppShadow = nullptr;
}

void CGamePlugins::ReleaseGame()
{
    if (m_pGame == nullptr)
        return;
    // The referees and the game object run the library's code: free them while it is loaded.
    if (m_ppReferee != nullptr)
        m_pGame->ReleaseReferees(m_ppReferee, m_ppShadow);
    m_ppReferee = m_ppShadow = nullptr;
    delete m_pGame;
    m_pGame = nullptr;
    m_pGameLibrary.reset();
}

std::unique_ptr<CGamePicture> CGamePlugins::GetPicture(int nIndex) const
{
    const SGamePluginEntry* pEntry = GetEntry(nIndex);
    if (pEntry == nullptr)
        return nullptr;
    CLibraryPtr pLibrary = OpenLibrary(pEntry->strPath);
    if (pLibrary == nullptr)
        return nullptr;
    const auto pfnGetPictureId = FindExport<PFN_GET_PICTURE_ID>(pLibrary, GAME_PLUGIN_GET_PICTURE_ID);
    if (pfnGetPictureId == nullptr)
        return nullptr;
    const LONG nPictureId = pfnGetPictureId(1);
    return std::make_unique<CGamePicture>(std::move(pLibrary), nPictureId, *pEntry);
}

const SGamePluginEntry* CGamePlugins::FindByType(LONG nType) const
{
    for (const SGamePluginEntry& entry : m_Entries)
    {
        if (entry.nType == nType)
            return &entry;
    }
    return nullptr;
}

const SGamePluginEntry* CGamePlugins::GetEntry(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return nullptr;
    return &m_Entries[static_cast<std::size_t>(nIndex)];
}
