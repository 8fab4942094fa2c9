#include "foundation/ExceptionGuard.h"

#include <algorithm>
#include <vector>

namespace
{
// The guard stack, bottom first. Guards are made and destroyed on the main thread.
std::vector<CExceptionGuard*>& GuardStack()
{
    static std::vector<CExceptionGuard*> s_stack;
    return s_stack;
}

// "0x" and eight hex digits, without printf (the filter runs inside a signal handler).
void FormatHex(DWORD dw, char (&sz)[11])
{
    sz[0] = '0';
    sz[1] = 'x';
    for (int i = 0; i < 8; ++i)
        sz[2 + i] = "0123456789ABCDEF"[(dw >> (28 - 4 * i)) & 0xF];
    sz[10] = '\0';
}
} // namespace

CExceptionGuard::CExceptionGuard()
{
    GuardStack().push_back(this);
    m_pfnPrevious = SetUnhandledExceptionFilter(GuardFilter);
}

CExceptionGuard::~CExceptionGuard()
{
    std::vector<CExceptionGuard*>& stack = GuardStack();
    const auto it = std::find(stack.begin(), stack.end(), this);
    if (it == stack.end())
        return;
    if (it + 1 == stack.end())
        SetUnhandledExceptionFilter(m_pfnPrevious);
    else
        (*(it + 1))->m_pfnPrevious = m_pfnPrevious; // the guard above restores what this one would
    stack.erase(it);
}

LONG CExceptionGuard::GuardFilter(EXCEPTION_POINTERS* pPointers)
{
    const EXCEPTION_RECORD* pRecord = pPointers != nullptr ? pPointers->ExceptionRecord : nullptr;
    char szCode[11];
    FormatHex(pRecord != nullptr ? pRecord->ExceptionCode : 0, szCode);
    WriteFatalText("Unhandled exception ");
    WriteFatalText(szCode);
    WriteFatalText(": ");
    WriteFatalText(pRecord != nullptr ? pRecord->szDescription : "unknown");
    WriteFatalText("\n");
    return EXCEPTION_EXECUTE_HANDLER;
}

int CExceptionGuard::GetGuardCount() { return static_cast<int>(GuardStack().size()); }

const CExceptionGuard* CExceptionGuard::GetTopGuard() { return GuardStack().empty() ? nullptr : GuardStack().back(); }
