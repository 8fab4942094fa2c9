// What a game leaves in the program's globals from one test to the next in one process.
#pragma once

#include "foundation/Settings.h"
#include "ui/GameWidgets.h"

/// The game's widgets outlive each frame: puts their input state back as at the program's start
/// (the control bar's memory of its last tip, the open menu, the mouse area's drags, pressed
/// buttons).
inline void ResetWidgetInputState()
{
    g_controlBar.m_nLastTipMode = 0;
    CWidget::ClearMenuOpen();
    g_mouseArea.SetArmed(0);
    g_mouseArea.m_nRightDragActive = 0;
    for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
        p->m_bPressed = 0;
}

/// Puts the live settings back, when it goes, as they were when it was made.
class CLiveSettingsRestore
{
public:
    CLiveSettingsRestore() = default;
    ~CLiveSettingsRestore() { g_Settings = m_saved; }
    CLiveSettingsRestore(const CLiveSettingsRestore&) = delete;
    CLiveSettingsRestore& operator=(const CLiveSettingsRestore&) = delete;

private:
    CSettings m_saved{g_Settings};
};
