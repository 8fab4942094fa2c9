#include "platform/win32/DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace
{
std::mutex s_mutex;
std::function<void(const std::string&)> s_sink;
std::function<void(const std::string&)> s_watch;
std::function<void(const std::string&)> s_copy;
} // namespace

void OutputDebugString(const char* szText)
{
    if (szText == nullptr)
        return;
    std::lock_guard lock(s_mutex);
    if (s_watch)
        s_watch(szText);
    if (s_copy)
        s_copy(szText);
    if (s_sink)
        s_sink(szText);
    else if (std::getenv("VORN_DEBUG") != nullptr)
        std::fputs(szText, stderr);
}

void SetDebugLogSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard lock(s_mutex);
    s_sink = std::move(sink);
}

void SetDebugLogWatch(std::function<void(const std::string&)> watch)
{
    std::lock_guard lock(s_mutex);
    s_watch = std::move(watch);
}

void SetDebugLogCopy(std::function<void(const std::string&)> copy)
{
    std::lock_guard lock(s_mutex);
    s_copy = std::move(copy);
}
