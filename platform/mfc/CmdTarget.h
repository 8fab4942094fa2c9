// Message maps: each class that handles messages lists them in a table, searched from the most
// derived class to its bases; the first entry that matches handles the message. Commands
// (WM_COMMAND) first ask the update handler of their id, if there is one: a command it disables is
// not run.
//
//     const SMessageMap* CMainFrame::GetThisMessageMap()
//     {
//         static const SMessageEntry s_aEntries[] = {
//             MapMessage<&CMainFrame::OnCreate>(WM_CREATE),
//             MapCommand<&CMainFrame::OnFileNew>(ID_FILE_NEW),
//             MapUpdateCommand<&CMainFrame::OnUpdateFileNew>(ID_FILE_NEW),
//         };
//         static const SMessageMap s_map{CFrameWnd::GetThisMessageMap(), s_aEntries};
//         return &s_map;
//     }
//
// A handler's parameters follow from its signature: void(), int(CREATESTRUCT*), LRESULT(WPARAM,
// LPARAM), void(CWnd*) for focus changes, void(UINT, LPARAM) for system commands, void(UINT, int, int)
// for WM_SIZE, void(BOOL, DWORD) for WM_ACTIVATEAPP, void(UINT_PTR) for WM_TIMER, void(CCmdUI*) for
// update handlers.
#pragma once

#include "platform/win32/Messages.h"
#include "platform/win32/WindowTable.h"

#include <span>
#include <type_traits>

class CCmdTarget;
class CWnd;

/// What an update handler decides about a command.
class CCmdUI
{
public:
    UINT m_nID = 0;
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    /// Asked to grey or check an item of a menu dropping down, not for a command about to run.
    BOOL m_bMenuItem = FALSE;
    void Enable(BOOL bOn = TRUE) { m_bEnabled = bOn; }
    void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }
};

struct SMessageEntry
{
    enum EKind
    {
        Message,
        Command,
        UpdateCommand
    };
    EKind eKind = Message;
    UINT uMsg = 0;     // Message: the message
    UINT nIdFirst = 0; // Command, UpdateCommand: the ids handled
    UINT nIdLast = 0;
    LRESULT (*pfnCall)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct SMessageMap
{
    const SMessageMap* pBase = nullptr;
    std::span<const SMessageEntry> aEntries;
};

/// A class that receives messages or commands through its message map.
class CCmdTarget
{
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    static const SMessageMap* GetThisMessageMap();
    virtual const SMessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    /// Runs the command through this object's map: TRUE when an entry took it (a disabled command
    /// counts as taken and is not run).
    virtual BOOL OnCmdMsg(UINT nID);
    /// Asks the update handler of a command; TRUE when one answered.
    virtual BOOL OnUpdateCmdMsg(CCmdUI* pCmdUI);

    /// The first entry of the map chain that handles the message, null when none does.
    const SMessageEntry* FindMessageEntry(UINT uMsg) const;
    const SMessageEntry* FindCommandEntry(SMessageEntry::EKind eKind, UINT nID) const;
};

namespace vorn_detail
{
template <class T> struct SMemberTraits;
template <class C, class Fn> struct SMemberTraits<Fn C::*>
{
    using Class = C;
    using Function = Fn;
};

CWnd* WindowFromHandle(HWND hWnd);

template <auto F> LRESULT CallHandler(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam)
{
    using Class = typename SMemberTraits<decltype(F)>::Class;
    using Fn = typename SMemberTraits<decltype(F)>::Function;
    Class* pThis = static_cast<Class*>(pTarget);
    if constexpr (std::is_same_v<Fn, void()>)
        (pThis->*F)();
    else if constexpr (std::is_same_v<Fn, int(CREATESTRUCT*)>)
        return (pThis->*F)(reinterpret_cast<CREATESTRUCT*>(lParam));
    else if constexpr (std::is_same_v<Fn, LRESULT(WPARAM, LPARAM)>)
        return (pThis->*F)(wParam, lParam);
    else if constexpr (std::is_same_v<Fn, void(CWnd*)>)
        (pThis->*F)(WindowFromHandle(reinterpret_cast<HWND>(wParam)));
    else if constexpr (std::is_same_v<Fn, void(UINT, LPARAM)>)
        (pThis->*F)(static_cast<UINT>(wParam), lParam);
    else if constexpr (std::is_same_v<Fn, void(UINT, int, int)>)
        (pThis->*F)(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    else if constexpr (std::is_same_v<Fn, void(BOOL, DWORD)>)
        (pThis->*F)(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
    else if constexpr (std::is_same_v<Fn, void(UINT_PTR)>)
        (pThis->*F)(static_cast<UINT_PTR>(wParam));
    else if constexpr (std::is_same_v<Fn, void(CCmdUI*)>)
        (pThis->*F)(reinterpret_cast<CCmdUI*>(lParam));
    else
        static_assert(sizeof(Fn) == 0, "a handler signature the message maps do not know");
    return 0;
}
} // namespace vorn_detail

template <auto F> constexpr SMessageEntry MapMessage(UINT uMsg)
{
    return SMessageEntry{SMessageEntry::Message, uMsg, 0, 0, &vorn_detail::CallHandler<F>};
}
template <auto F> constexpr SMessageEntry MapCommand(UINT nID, UINT nIdLast = 0)
{
    return SMessageEntry{SMessageEntry::Command, WM_COMMAND, nID, nIdLast != 0 ? nIdLast : nID,
                         &vorn_detail::CallHandler<F>};
}
template <auto F> constexpr SMessageEntry MapUpdateCommand(UINT nID, UINT nIdLast = 0)
{
    return SMessageEntry{SMessageEntry::UpdateCommand, WM_COMMAND, nID, nIdLast != 0 ? nIdLast : nID,
                         &vorn_detail::CallHandler<F>};
}
