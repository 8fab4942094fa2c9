// Small artwork and ball-set libraries made by a test: resources are added per library, the
// libraries written to a temporary folder and put into the scanned lists in the order added,
// and the lists emptied again at the end. Also a recorder of the debug log.
#pragma once

#include "foundation/LibraryLists.h"
#include "platform/TempFolder.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

class CArtLibraries
{
public:
    ~CArtLibraries()
    {
        g_astrArtworkLibraries.RemoveAll();
        g_astrBallSetLibraries.RemoveAll();
    }

    /// Adds a resource to the named library (created on first use); "#2" names a numeric type or name.
    CArtLibraries& Add(const std::string& strLib, const std::string& strType, const std::string& strName,
                       const std::string& strBytes)
    {
        if (m_libs.find(strLib) == m_libs.end())
            m_order.push_back(strLib);
        m_libs[strLib].push_back({strType, strName, strBytes});
        return *this;
    }

    /// Writes every library and lists them (artwork, or ball-set libraries) in the order added.
    void Install(bool bBallSets = false)
    {
        CStringArray& list = bBallSets ? g_astrBallSetLibraries : g_astrArtworkLibraries;
        list.RemoveAll();
        for (const std::string& strLib : m_order)
        {
            CResourceLibraryWriter writer;
            std::string strError;
            for (const SEntry& e : m_libs[strLib])
                EXPECT_TRUE(writer.Add(SResourceKey::FromWin(e.strType.c_str()),
                                       SResourceKey::FromWin(e.strName.c_str()), 0,
                                       std::vector<BYTE>(e.strBytes.begin(), e.strBytes.end()), strError))
                    << strError;
            EXPECT_TRUE(writer.WriteFile(m_folder.File(strLib), strError)) << strError;
            list.Add(CString(m_folder.File(strLib)));
        }
    }

    std::string Path(const std::string& strLib) const { return m_folder.File(strLib); }
    const CTempFolder& Folder() const { return m_folder; }

private:
    struct SEntry
    {
        std::string strType, strName, strBytes;
    };
    CTempFolder m_folder;
    std::vector<std::string> m_order;
    std::map<std::string, std::vector<SEntry>> m_libs;
};

/// Collects the debug log while it lives.
class CLogRecorder
{
public:
    CLogRecorder()
    {
        SetDebugLogSink([this](const std::string& s) { m_strLog += s; });
    }
    ~CLogRecorder() { SetDebugLogSink({}); }
    CLogRecorder(const CLogRecorder&) = delete;
    CLogRecorder& operator=(const CLogRecorder&) = delete;
    const std::string& Text() const { return m_strLog; }

private:
    std::string m_strLog;
};
