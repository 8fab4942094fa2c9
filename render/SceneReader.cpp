#include "render/SceneReader.h"

#include "foundation/ErrorBox.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_SCENE_READER) CSceneReader g_sceneReader;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_SCENE_READER);

namespace
{
constexpr const char* SCENE_RESOURCE = "3-DVORN.ART";
constexpr const char* SCENE_RESOURCE_TYPE = "SET";
constexpr const char* SCENE_TEXT_NAME = "3-DVorn.art";

/// The first artwork library's copy of the scene text; empty when none holds it.
std::vector<char> LoadSceneResource()
{
    for (int i = 0; i < g_astrArtworkLibraries.GetSize(); ++i)
    {
        const HMODULE hModule = LoadLibrary(g_astrArtworkLibraries[i]);
        if (hModule == nullptr)
            continue;
        std::vector<char> text;
        const HRSRC hRes = FindResource(hModule, SCENE_RESOURCE, SCENE_RESOURCE_TYPE);
        const void* pData = hRes != nullptr ? LockResource(LoadResource(hModule, hRes)) : nullptr;
        if (pData != nullptr)
        {
            const char* p = static_cast<const char*>(pData);
            text.assign(p, p + SizeofResource(hModule, hRes));
        }
        FreeLibrary(hModule);
        if (pData != nullptr)
            return text;
    }
    return {};
}
} // namespace

CSceneReader::CSceneReader(const char* szFileName)
{
    if (szFileName == nullptr)
        return;
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(ResolvePath(szFileName), bytes))
    {
        OutputDebugString(("Scene text: cannot read " + std::string(szFileName) + "\n").c_str());
        return;
    }
    m_pBuffer.assign(bytes.begin(), bytes.end());
    m_strName = szFileName;
    m_bFromFile = 1;
    m_bOpen = 1;
    if (!CheckVersion())
        OutputDebugString(("Scene text: " + std::string(szFileName) + " is not of version 3\n").c_str());
}

bool CSceneReader::Open()
{
    Close();
    m_pBuffer = LoadSceneResource();
    m_strName = SCENE_TEXT_NAME;
    m_bOpen = 1;
    m_bFromFile = 0;
    Seek(0, 0);
    if (!m_pBuffer.empty() && CheckVersion())
        return true;
    OutputDebugString(m_pBuffer.empty() ? "Scene text: no artwork library holds 3-DVORN.ART\n"
                                        : "Scene text: 3-DVORN.ART is not of version 3\n");
    Close();
    m_strName.Empty();
    ShowErrorBox(IDS_SCENE_TEXT_MISSING);
    return false;
}

void CSceneReader::Close()
{
    m_pBuffer.clear();
    m_pPos = 0;
    m_bOpen = 0;
}

bool CSceneReader::CheckVersion() { return !m_strName.IsEmpty() && ReadVersion() == SCENE_TEXT_VERSION; }

bool CSceneReader::ReadLine(CString& strLine)
{
    if (m_pPos >= m_pBuffer.size())
        return false;
    const auto itStart = m_pBuffer.begin() + static_cast<std::ptrdiff_t>(m_pPos);
    const auto itEnd = std::find(itStart, m_pBuffer.end(), '\n');
    strLine = CString(std::string_view(&*itStart, static_cast<std::size_t>(itEnd - itStart)));
    m_pPos = static_cast<std::size_t>(itEnd - m_pBuffer.begin()) + (itEnd != m_pBuffer.end() ? 1 : 0);
    return true;
}

long CSceneReader::Seek(long nOffset, int nOrigin)
{
    const long nSize = static_cast<long>(m_pBuffer.size());
    long nBase = 0;
    if (nOrigin == 1)
        nBase = static_cast<long>(m_pPos);
    else if (nOrigin == 2)
        nBase = nSize;
    const long nPos = std::clamp(nOrigin == 2 ? nBase - nOffset : nBase + nOffset, 0L, nSize);
    m_pPos = static_cast<std::size_t>(nPos);
    return nPos;
}

bool CSceneReader::IsCommentLine(CString& strLine)
{
    strLine.TrimLeft();
    return strLine.IsEmpty() || strLine.Left(2) == "//";
}

bool CSceneReader::FindSection(const char* szHeader)
{
    if (!m_bOpen)
        return false;
    Seek(0, 0);
    CString line;
    while (ReadLine(line))
    {
        if (IsCommentLine(line))
            continue;
        line.TrimRight();
        if (line.CompareNoCase(szHeader) == 0)
            return true;
    }
    return false;
}

template <class F> bool CSceneReader::ForEachSectionLine(const char* szHeader, F action)
{
    if (!FindSection(szHeader))
        return false;
    CString line;
    while (ReadLine(line))
    {
        if (IsCommentLine(line))
            continue;
        if (line[0] == '[')
            return true;
        if (!action(line))
            return false;
    }
    return true;
}

bool CSceneReader::FindKey(const char* szKey, CString& strValue)
{
    if (!m_bOpen)
        return false;
    Seek(0, 0);
    CString line;
    while (ReadLine(line))
    {
        if (IsCommentLine(line))
            continue;
        const int nEq = line.Find('=');
        if (nEq < 0)
            continue;
        CString key = line.Left(nEq);
        key.TrimRight();
        if (key.CompareNoCase(szKey) == 0)
        {
            strValue = line.Mid(nEq + 1);
            strValue.TrimLeft();
            return true;
        }
    }
    return false;
}

int CSceneReader::ReadVersion()
{
    CString value;
    if (!FindKey("Version", value))
        return -1;
    return std::atoi(value);
}

bool CSceneReader::ReadBounds(float afBounds[6])
{
    CString value;
    if (!FindKey("Bounds", value))
        return false;
    // sscanf("%f %f %f %f %f %f"): numbers are read until one does not convert.
    float afRead[6];
    int nRead = 0;
    const char* p = value.GetString();
    for (; nRead < 6; ++nRead)
    {
        char* pEnd = nullptr;
        afRead[nRead] = std::strtof(p, &pEnd);
        if (pEnd == p)
            break;
        if (!std::isfinite(afRead[nRead]))
        {
            OutputDebugString(
                ("Scene text: Bounds line with a number that is not finite: " + value.Str() + "\n").c_str());
            return false;
        }
        p = pEnd;
    }
    std::copy(afRead, afRead + nRead, afBounds);
    return true;
}

bool CSceneReader::ReadObjectSection(const char* szHeader, std::vector<CSceneObjectRec>& aRecs)
{
    return ForEachSectionLine(szHeader,
                              [&](const CString& line)
                              {
                                  CSceneObjectRec rec;
                                  if (rec.Parse(line))
                                      aRecs.push_back(rec);
                                  return true;
                              });
}

bool CSceneReader::ReadObjects(std::vector<CSceneObjectRec>& aRecs) { return ReadObjectSection("[Objects]", aRecs); }
bool CSceneReader::ReadTable(std::vector<CSceneObjectRec>& aRecs) { return ReadObjectSection("[Table]", aRecs); }

bool CSceneReader::ReadLineSection(const char* szHeader, CStringArray& astrLines)
{
    return ForEachSectionLine(szHeader,
                              [&](const CString& line)
                              {
                                  astrLines.Add(line);
                                  return true;
                              });
}

bool CSceneReader::ReadLights(CStringArray& astrLines) { return ReadLineSection("[Lights]", astrLines); }
bool CSceneReader::ReadLevels(CStringArray& astrLines) { return ReadLineSection("[Levels]", astrLines); }

bool CSceneReader::ReadPureLights(CString& strLine)
{
    strLine.Empty();
    bool bTaken = false;
    // The first data line is the whole section; the callback stops the walk by returning false.
    const bool bFound = ForEachSectionLine("[Pure Lights]",
                                           [&](const CString& line)
                                           {
                                               strLine = line;
                                               bTaken = true;
                                               return false;
                                           });
    return bFound || bTaken;
}

template <class TRec, class FAdd> bool CSceneReader::ReadRecordSection(const char* szHeader, FAdd add)
{
    return ForEachSectionLine(szHeader,
                              [&](const CString& line)
                              {
                                  TRec rec;
                                  if (!rec.Parse(line))
                                      return false;
                                  add(rec);
                                  return true;
                              });
}

bool CSceneReader::ReadAnimations(std::vector<CAnimationRec>& aRecs)
{
    return ReadRecordSection<CAnimationRec>("[Animations]", [&](const CAnimationRec& rec) { aRecs.push_back(rec); });
}

bool CSceneReader::ReadLinks()
{
    g_linkList.RemoveAll();
    return ReadRecordSection<CLinkRec>("[Links]", [](const CLinkRec& rec) { g_linkList.Add(rec); });
}

bool CSceneReader::ReadMotions()
{
    g_aMotions.clear();
    return ReadRecordSection<CMotionRec>("[Motions]", [](const CMotionRec& rec) { g_aMotions.push_back(rec); });
}

CSceneObjectRec CSceneReader::FindObjectRecById(const std::vector<CSceneObjectRec>& aRecs, int nId)
{
    for (const CSceneObjectRec& rec : aRecs)
        if (rec.m_nId == nId)
            return rec;
    return CSceneObjectRec();
}
