#include "foundation/ErrorBox.h"

#include "platform/mfc/StringResources.h"
#include "platform/win32/DebugLog.h"

#include <string>

namespace
{
// Set at start-up and by tests, on the main thread; read on the main thread.
std::function<void(const char*)> s_handler;
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
