#include "simulation/PlannerSwitches.h"

#include <utility>

namespace
{
BOOL s_bScratchCheck = TRUE;
DWORD s_dwDisplayOption = 0;

PlannerFrameDrawer& FrameDrawer()
{
    static PlannerFrameDrawer s_Drawer;
    return s_Drawer;
}
} // namespace

BOOL GetScratchCheck() { return s_bScratchCheck; }
void SetScratchCheck(BOOL bOn) { s_bScratchCheck = bOn; }

DWORD GetPlannerDisplayOption() { return s_dwDisplayOption; }
void SetPlannerDisplayOption(DWORD dwOption) { s_dwDisplayOption = dwOption; }

const PlannerFrameDrawer& GetPlannerFrameDrawer() { return FrameDrawer(); }
void SetPlannerFrameDrawer(PlannerFrameDrawer drawer) { FrameDrawer() = std::move(drawer); }
