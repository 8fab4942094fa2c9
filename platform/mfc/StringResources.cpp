#include "platform/mfc/StringResources.h"

#include <atomic>

namespace
{
std::atomic<PFN_STRING_SOURCE> s_pfnSource{nullptr};
} // namespace

void SetStringResourceSource(PFN_STRING_SOURCE pfnSource) { s_pfnSource.store(pfnSource); }

BOOL LoadResourceString(UINT nId, CString& strText)
{
    const PFN_STRING_SOURCE pfnSource = s_pfnSource.load();
    if (pfnSource == nullptr)
        return FALSE;
    CString strFound;
    if (!pfnSource(nId, strFound))
        return FALSE;
    strText = strFound;
    return TRUE;
}
