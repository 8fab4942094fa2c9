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

// A line built in a fixed buffer without printf or allocation (the filter runs inside a signal
// handler); text beyond its room is cut, and the line always ends with its line break.
class CFatalLine
{
public:
    CFatalLine& operator<<(const char* szText)
    {
        for (; szText != nullptr && *szText != '\0' && m_nLength < ROOM; ++szText)
            m_sz[m_nLength++] = *szText;
        return *this;
    }
    // "0x" and eight hex digits.
    CFatalLine& operator<<(DWORD dw)
    {
        char sz[11] = "0x";
        for (int i = 0; i < 8; ++i)
            sz[2 + i] = "0123456789ABCDEF"[(dw >> (28 - 4 * i)) & 0xF];
        return *this << sz;
    }
    const char* Text()
    {
        m_sz[m_nLength] = '\n';
        m_sz[m_nLength + 1] = '\0';
        return m_sz;
    }

private:
    static constexpr std::size_t ROOM = 510;
    char m_sz[ROOM + 2] = {};
    std::size_t m_nLength = 0;
};
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
    CFatalLine line;
    line << "Unhandled exception " << (pRecord != nullptr ? pRecord->ExceptionCode : 0) << ": "
         << (pRecord != nullptr ? pRecord->szDescription : "unknown");
    WriteFatalText(line.Text()); // one write: lines of threads failing together never mix
    return EXCEPTION_EXECUTE_HANDLER;
}

int CExceptionGuard::GetGuardCount() { return static_cast<int>(GuardStack().size()); }

const CExceptionGuard* CExceptionGuard::GetTopGuard() { return GuardStack().empty() ? nullptr : GuardStack().back(); }
