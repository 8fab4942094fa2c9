// Whether a program's log holds lines in a given order.
#pragma once

#include <string>
#include <vector>

/// Whether each text occurs in the log after the one before it.
inline bool HasLinesInOrder(const std::string& strLog, const std::vector<std::string>& aLines)
{
    std::size_t at = 0;
    for (const std::string& strLine : aLines)
    {
        at = strLog.find(strLine, at);
        if (at == std::string::npos)
            return false;
        at += strLine.size();
    }
    return true;
}
