// The main frame's links: their rectangles from the scene objects that carry them, the hand cursor
// over one and the opener on a click.
#include "app/FrameLinks.h"

#include "app/FrameCallShot.h"
#include "app/FrameCursor.h"
#include "app/MainFrame.h"
#include "foundation/Folders.h"
#include "media/DirectInputDevices.h"
#include "platform/win32/Shell.h"
#include "render/CursorManager.h"
#include "render/Environment3D.h"
#include "render/Picking.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "ui/GameWidgets.h"
#include "ui/Widget.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace
{
bool StartsWithNoCase(const std::string& strText, const char* szPrefix)
{
    const std::string strPrefix = szPrefix;
    return strText.size() > strPrefix.size() &&
           std::equal(strPrefix.begin(), strPrefix.end(), strText.begin(),
                      [](char cPrefix, char c) { return std::tolower(static_cast<unsigned char>(c)) == cPrefix; });
}

bool IsInsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    const auto [itFolder, itFile] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return itFolder == folder.end() && itFile != file.end();
}
} // namespace

bool IsOpenableLink(const std::string& strTarget, const std::filesystem::path& programFolder)
{
    if (StartsWithNoCase(strTarget, "http://") || StartsWithNoCase(strTarget, "https://") ||
        StartsWithNoCase(strTarget, "mailto:"))
        return strTarget.find_first_of("\r\n") == std::string::npos;
    if (strTarget.empty() || programFolder.empty())
        return false;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(programFolder, ec);
    if (ec)
        return false;
    const std::filesystem::path file = std::filesystem::weakly_canonical(folder / strTarget, ec);
    if (ec || !IsInsideFolder(file, folder) || !std::filesystem::is_regular_file(file, ec))
        return false;
    using std::filesystem::perms;
    const perms exec = perms::owner_exec | perms::group_exec | perms::others_exec;
    return (std::filesystem::status(file, ec).permissions() & exec) == perms::none && !ec;
}

int LinkAtPoint(const CLinkList& links, POINT pt)
{
    for (int i = 0; i < links.GetSize(); ++i)
    {
        const RECT rc = links.GetAt(i).m_rcScreen;
        if (pt.x >= rc.left && pt.x <= rc.right && pt.y >= rc.top && pt.y <= rc.bottom)
            return i;
    }
    return -1;
}

RECT ProjectBoxFace(const SBox& box)
{
    const float z = box.vMin.z;
    const CVector3 corners[] = {{box.vMin.x, box.vMin.y, z},
                                {box.vMin.x, box.vMax.y, z},
                                {box.vMax.x, box.vMax.y, z},
                                {box.vMax.x, box.vMin.y, z}};
    float fLeft = 100000.0f, fTop = 100000.0f, fRight = -100000.0f, fBottom = -100000.0f;
    for (const CVector3& v : corners)
    {
        CVector3 s;
        ProjectToScreen(&s, &v);
        fLeft = std::min(fLeft, s.x);
        fRight = std::max(fRight, s.x);
        fTop = std::min(fTop, s.y);
        fBottom = std::max(fBottom, s.y);
    }
    return RECT{static_cast<LONG>(fLeft), static_cast<LONG>(fTop), static_cast<LONG>(fRight),
                static_cast<LONG>(fBottom)};
}

void CMainFrame::UpdateLinkRects()
{
    for (const CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
    {
        SBox box;
        if (p->m_nLink < 0 || p->m_nLink >= g_linkList.GetSize() || !p->GetBox(box))
            continue;
        CLinkRec rec = g_linkList.GetAt(p->m_nLink);
        rec.m_rcScreen = ProjectBoxFace(box);
        g_linkList.SetAt(p->m_nLink, rec);
    }
}

void CMainFrame::HandleLinks() { PassLinks(true); }

void CMainFrame::HandleMenuScreenMouse()
{
    m_bCursorMode = true;
    const SCursorState free{false, true};
    ConfineCursor(&free);
    // The panels take the mouse first; the links lie under them.
    RouteMouse(false);
    PassLinks(false);
}

void CMainFrame::HideHoverWidgets()
{
    if (!m_bCursorMode)
        return;
    m_bCursorMode = false;
    // Without the cursor the bar's pop-up menu and the side bars cannot be worked: they go with
    // the cursor mode, unless the pause keeps the cursor.
    if (!g_mainPanel.IsVisible())
    {
        for (CWidget* pBar : {static_cast<CWidget*>(&g_leftBar), static_cast<CWidget*>(&g_rightBar)})
            if (pBar->IsVisible())
                pBar->Hide();
        CWidget::ClearMenuOpen();
    }
    ClipCursorToView();
}

void CMainFrame::PassLinks(bool bHandWithoutTarget)
{
    // A panel under the cursor takes the mouse before the links; the mouse area spans the whole
    // view the links lie in.
    const CWidget* pHovered = CWidget::GetHoveredWidget();
    int nLink = -1;
    if (pHovered == nullptr || pHovered == &g_mouseArea)
    {
        UpdateLinkRects();
        nLink = LinkAtPoint(g_linkList, GetClientCursor(m_hWnd));
    }
    const std::string strTarget = nLink >= 0 ? g_linkList.GetAt(nLink).m_strTarget.Str() : std::string();
    if (nLink < 0 || (strTarget.empty() && !bHandWithoutTarget))
    {
        SetArrowCursor();
        return;
    }
    if (!g_DIMouse.WasLeftReleased())
    {
        SelectLibraryCursor(CURSOR_HAND);
        return;
    }
    if (IsOpenableLink(strTarget, GetProgramFolder().Str()))
        ShellExecute(m_hWnd, "open", strTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
