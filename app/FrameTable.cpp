// The main frame's table set and links: the table's parts take the meshes of the table set the
// "Table number" setting names, and the room's link objects show their links' pictures.
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/TableSets.h"
#include "platform/win32/DebugLog.h"
#include "render/D3DFramework.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "render/TextureManager.h"

BOOL CMainFrame::BuildTableObjects(const CTableSetEntry& entry)
{
    BOOL bBuilt = FALSE;
    for (const auto& pObject : m_rackScene.GetObjects())
    {
        const CString& strMesh = entry.GetMeshForKind(pObject->m_nId);
        if (strMesh.IsEmpty())
            continue;
        if (pObject->LoadMesh(strMesh.GetString(), entry.m_strLibrary.GetString()))
            bBuilt = TRUE;
        else
            OutputDebugString(("Table: " + strMesh.Str() + " of " + entry.m_strLibrary.Str() +
                               " cannot be read; the part keeps its mesh\n")
                                  .c_str());
    }
    if (m_pFramework != nullptr && m_pFramework->GetD3DDevice() != nullptr)
        RestoreAllTextures(m_pFramework->GetD3DDevice());
    return bBuilt;
}

void CMainFrame::SelectTableSet(int nTableNumber)
{
    g_tableSets.Select(nTableNumber);
    const CTableSetEntry* pEntry = g_tableSets.GetSelected();
    if (pEntry == nullptr || !m_rackScene.IsReady())
        return;
    if (BuildTableObjects(*pEntry))
        OutputDebugString(("Table: set " + pEntry->m_astrField[0].Str() + " on the table\n").c_str());
}

void CMainFrame::ApplyLinkNames()
{
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
    {
        if (p->m_nLink < 0 || p->m_nLink >= g_linkList.GetSize())
            continue;
        // The link's own picture: the scene's, or the one the player named in the ini file.
        if (const CString strPicture = g_linkList.GetAt(p->m_nLink).m_strPicture; !strPicture.IsEmpty())
            p->SetImage(strPicture.GetString());
    }
    if (m_pFramework != nullptr && m_pFramework->GetD3DDevice() != nullptr)
        RestoreAllTextures(m_pFramework->GetD3DDevice());
}
