// The program's debug log: internal traces that never reach the player.
#pragma once

#include <functional>
#include <string>

/// Appends a trace line to the debug log. Written to standard error only when the
/// environment variable VORN_DEBUG is set; tests can capture the lines instead. Any thread.
void OutputDebugString(const char* szText);

/// Test seam: while set, every trace goes to the sink (and not to standard error).
void SetDebugLogSink(std::function<void(const std::string&)> sink);

/// While set, every trace is also shown to the watch, wherever it is written; the input script
/// waits on traces through it. The watch runs on the tracing thread and must not trace itself.
void SetDebugLogWatch(std::function<void(const std::string&)> watch);

/// While set, every trace is also handed to the copy (the program's log file), wherever else it
/// goes. The copy runs on the tracing thread, one trace at a time, and must not trace itself.
void SetDebugLogCopy(std::function<void(const std::string&)> copy);
