#include "foundation/ErrorBox.h"

#include "platform/mfc/StringResources.h"
#include "platform/win32/DebugLog.h"

#include <set>
#include <string>

namespace
{
// Set at start-up and by tests, on the main thread; read on the main thread.
std::function<void(const char*)> s_handler;
// The kinds of data whose failed save the player has been told of. Main thread.
std::set<std::string> s_aToldKinds;
} // namespace

void ShowErrorBoxText(const char* szText)
{
    if (szText == nullptr)
        return;
    if (s_handler)
        s_handler(szText);
    else
        OutputDebugString(("Error box: " + std::string(szText) + "\n").c_str());
}

void SetErrorBoxHandler(std::function<void(const char*)> handler) { s_handler = std::move(handler); }

void ShowErrorBox(unsigned int nId)
{
    CString strText;
    if (!LoadResourceString(nId, strText))
        strText.Format("Error %u.", nId);
    ShowErrorBoxText(strText);
}

void ReportSaveFailure(const char* szKind, const char* szPath)
{
    const std::string strText = "The " + std::string(szKind) + " could not be saved to " + szPath + ".";
    OutputDebugString((strText + "\n").c_str());
    if (s_aToldKinds.insert(szKind).second)
        ShowErrorBoxText(strText.c_str());
}
