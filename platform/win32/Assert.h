// Programmer-error checks: a debug build stops at the fault; a release build writes the
// failed condition to the debug log and the caller goes on to leave safely.
#pragma once

#include "platform/win32/DebugLog.h"

#include <cstdlib>

namespace vorn_detail
{
[[noreturn]] inline void AssertStop() { std::abort(); }
} // namespace vorn_detail

#ifdef NDEBUG
#define ASSERT(cond)                                                                                                   \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(cond))                                                                                                   \
            OutputDebugString("ASSERT failed: " #cond "\n");                                                           \
    } while (false)
#else
#define ASSERT(cond)                                                                                                   \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(cond))                                                                                                   \
        {                                                                                                              \
            OutputDebugString("ASSERT failed: " #cond "\n");                                                           \
            vorn_detail::AssertStop();                                                                                 \
        }                                                                                                              \
    } while (false)
#endif
