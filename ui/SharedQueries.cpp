#include "ui/SharedQueries.h"

#include "foundation/Settings.h"

bool IsCompetitionTypeZero() { return g_Settings.m_nCompetitionType == 0; }

bool IsCompetitionTypeNotTwo() { return g_Settings.m_nCompetitionType != 2; }

CVector3 GetDefaultPoint3D() { return CVector3(206.11f, 352.8f, 360.0f); }
