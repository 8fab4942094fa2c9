// Plays the user of a running dialog: steps queued here run one by one from a thread timer inside
// the loop of whichever dialog is open when the timer fires, and press keys or click controls of a
// dialog as the toolkit's input would.
#pragma once

#include "platform/mfc/Dialog.h"
#include "platform/win32/KeyState.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

class CDialogDriver
{
public:
    ~CDialogDriver() { Steps().clear(); }

    /// Queues the steps; the first runs once the loop of the dialog open then reads its queue, and
    /// each later one when the step before it has called Next (a step that opens a dialog calls it
    /// first) or, with bChain, right after the one before it.
    static void Play(std::vector<std::function<void()>> aSteps, bool bChain = false)
    {
        Steps() = std::move(aSteps);
        Chain() = bChain;
        Next();
    }
    static void Next() { SetTimer(nullptr, 0, 1, &RunNextStep); }

    static void Key(const CDialog& dlg, int nKey)
    {
        ::PostMessage(dlg.m_hWnd, WM_KEYDOWN, static_cast<WPARAM>(nKey), 0);
    }
    /// A press and release of the left button at the middle of the control.
    static void ClickControl(const CDialog& dlg, int nID)
    {
        const RECT rc = ControlRect(dlg, nID);
        Click(dlg, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    }
    /// A press and release at a point of the dialog's client area.
    static void Click(const CDialog& dlg, POINT pt)
    {
        const LPARAM lParam = MAKELPARAM(pt.x, pt.y);
        ::PostMessage(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        ::PostMessage(dlg.m_hWnd, WM_LBUTTONUP, 0, lParam);
    }
    /// The control's rectangle in the dialog's client area.
    static RECT ControlRect(const CDialog& dlg, int nID)
    {
        RECT rc{};
        ::GetWindowRect(dlg.GetDlgItem(nID), &rc);
        return rc;
    }

private:
    static std::vector<std::function<void()>>& Steps()
    {
        static std::vector<std::function<void()>> s_aSteps; // the test's thread only
        return s_aSteps;
    }
    static bool& Chain()
    {
        static bool s_bChain = false;
        return s_bChain;
    }
    static void RunNextStep(HWND, UINT, UINT_PTR nId, DWORD)
    {
        KillTimer(nullptr, nId);
        if (Steps().empty())
            return;
        const std::function<void()> fnStep = Steps().front();
        Steps().erase(Steps().begin());
        if (Chain() && !Steps().empty())
            Next();
        fnStep();
    }
};
