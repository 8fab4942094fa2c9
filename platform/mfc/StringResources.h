// String resources of the resource library (the framework's LoadString). The resource layer
// installs itself as the source; until then, and for ids it lacks, a lookup fails and the caller
// uses its built-in text.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

/// Looks up string nId; false when there is no such string.
using PFN_STRING_SOURCE = bool (*)(UINT nId, CString& strText);

/// Installs the source of string resources (null removes it). Set once at start-up, or by a test
/// for its own duration; read from any thread.
void SetStringResourceSource(PFN_STRING_SOURCE pfnSource);

/// The text of string nId; FALSE, with strText unchanged, when no source has it.
BOOL LoadResourceString(UINT nId, CString& strText);
