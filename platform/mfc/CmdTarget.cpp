#include "platform/mfc/CmdTarget.h"

const SMessageMap* CCmdTarget::GetThisMessageMap()
{
    static const SMessageMap s_map{nullptr, {}};
    return &s_map;
}

const SMessageEntry* CCmdTarget::FindMessageEntry(UINT uMsg) const
{
    for (const SMessageMap* pMap = GetMessageMap(); pMap != nullptr; pMap = pMap->pBase)
        for (const SMessageEntry& entry : pMap->aEntries)
            if (entry.eKind == SMessageEntry::Message && entry.uMsg == uMsg)
                return &entry;
    return nullptr;
}

const SMessageEntry* CCmdTarget::FindCommandEntry(SMessageEntry::EKind eKind, UINT nID) const
{
    for (const SMessageMap* pMap = GetMessageMap(); pMap != nullptr; pMap = pMap->pBase)
        for (const SMessageEntry& entry : pMap->aEntries)
            if (entry.eKind == eKind && nID >= entry.nIdFirst && nID <= entry.nIdLast)
                return &entry;
    return nullptr;
}

BOOL CCmdTarget::OnUpdateCmdMsg(CCmdUI* pCmdUI)
{
    const SMessageEntry* pEntry = FindCommandEntry(SMessageEntry::UpdateCommand, pCmdUI->m_nID);
    if (pEntry == nullptr)
        return FALSE;
    pEntry->pfnCall(this, pCmdUI->m_nID, reinterpret_cast<LPARAM>(pCmdUI));
    return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID)
{
    const SMessageEntry* pEntry = FindCommandEntry(SMessageEntry::Command, nID);
    if (pEntry == nullptr)
        return FALSE;
    pEntry->pfnCall(this, nID, 0);
    return TRUE;
}
