// Critical sections, events and kernel-object handles as the game uses them.
#pragma once

#include "platform/win32/WinTypes.h"

#include <memory>
#include <mutex>

/// A re-entrant lock: the owning thread may enter again and must leave as often as it entered.
struct CRITICAL_SECTION
{
    std::unique_ptr<std::recursive_mutex> pMutex;
};

void InitializeCriticalSection(CRITICAL_SECTION* pcs);
void DeleteCriticalSection(CRITICAL_SECTION* pcs);
void EnterCriticalSection(CRITICAL_SECTION* pcs);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* pcs);
void LeaveCriticalSection(CRITICAL_SECTION* pcs);

/// Base of every object a HANDLE refers to. Waitable objects override Wait.
class CKernelObject
{
public:
    virtual ~CKernelObject() = default;
    /// Waits up to dwMs (INFINITE for ever); returns WAIT_OBJECT_0 or WAIT_TIMEOUT.
    virtual DWORD Wait(DWORD dwMs);
};

/// A handle is an owning reference to a kernel object; CloseHandle drops it.
using HANDLE = CKernelObject*;
inline const HANDLE INVALID_HANDLE_VALUE = nullptr;

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

/// Events are unnamed here: a name would let another process share the event, which the game never needs.
HANDLE CreateEvent(void* pSecurity, BOOL bManualReset, BOOL bInitialState, LPCSTR szName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
DWORD WaitForSingleObject(HANDLE h, DWORD dwMs);
BOOL CloseHandle(HANDLE h);

/// Suspends the calling thread for at least dwMs milliseconds.
void Sleep(DWORD dwMs);

/// Owns a handle and closes it at the end of its life.
class CHandle
{
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    CHandle& operator=(CHandle&& other) noexcept;
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h = nullptr);

private:
    HANDLE m_h = nullptr;
};
