#include "render/SceneRecords.h"

#include "foundation/GlobalOrder.h"
#include "foundation/Tokens.h"
#include "platform/win32/DebugLog.h"

#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_SCENE_LISTS) std::vector<CMotionRec> g_aMotions;
VORN_GLOBAL_ROW(GLOBAL_ROW_SCENE_LISTS) CLinkList g_linkList;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_SCENE_LISTS);

namespace
{
/// Reads nCount numbers, keeping those 0..255; stops at the line's end, so a huge count
/// neither loops long nor allocates.
void ReadByteList(CString& line, int nCount, std::vector<BYTE>& aOut)
{
    for (int i = 0; i < nCount && !line.IsEmpty(); ++i)
    {
        const int n = ExtractIntToken(line);
        if (n >= 0 && n <= 255)
            aOut.push_back(static_cast<BYTE>(n));
    }
}
} // namespace

bool CSceneObjectRec::Parse(const CString& strLine)
{
    *this = CSceneObjectRec();
    CString line = strLine;
    try
    {
        m_nId = ExtractHexToken(line);
        m_strName = ExtractStringToken(line);
        m_strFile = ExtractStringToken(line);
        m_vPos.x = ExtractFloatToken(line);
        m_vPos.y = ExtractFloatToken(line);
        m_vPos.z = ExtractFloatToken(line);
        m_nLevel = ExtractIntToken(line);
        m_nParam8 = ExtractIntToken(line);
        m_nMotion = ExtractIntToken(line);
        m_nClip = ExtractIntToken(line);
        m_bFlag = ExtractIntToken(line) != 0 ? 1 : 0;
        m_nBlend = ExtractIntToken(line);
        m_nLink = ExtractIntToken(line);
        m_nLights = std::min(ExtractIntToken(line), SCENE_MAX_OBJECT_LIGHTS);
        ReadByteList(line, m_nLights, m_aLights);
        m_nAmbient = ExtractIntToken(line);
        m_nList2 = ExtractIntToken(line);
        ReadByteList(line, m_nList2, m_aList2);
    }
    catch (const CTokenError& e)
    {
        OutputDebugString(("Scene object line skipped: " + std::string(e.what()) + "\n").c_str());
        *this = CSceneObjectRec();
        return false;
    }
    m_bValid = 1;
    return true;
}

bool CAnimationRec::Parse(const CString& strLine)
{
    CString line = strLine;
    try
    {
        m_strName = ExtractStringToken(line);
        m_strFile = ExtractStringToken(line);
        m_nValue1 = ExtractIntToken(line);
        m_nValue2 = ExtractIntToken(line);
    }
    catch (const CTokenError& e)
    {
        OutputDebugString(("Animation line refused: " + std::string(e.what()) + "\n").c_str());
        return false;
    }
    return true;
}

void CMotionRec::SetData(std::initializer_list<int> values)
{
    m_pData.resize(values.size() * 4);
    BYTE* p = m_pData.data();
    for (int n : values)
    {
        std::memcpy(p, &n, 4);
        p += 4;
    }
    m_nDataSize = static_cast<int>(m_pData.size());
}

int CMotionRec::GetInt(int nOffset) const
{
    if (nOffset < 0 || nOffset + 4 > m_nDataSize)
        return 0;
    int n = 0;
    std::memcpy(&n, m_pData.data() + nOffset, 4);
    return n;
}

bool CMotionRec::Parse(const CString& strLine)
{
    *this = CMotionRec();
    CString line = strLine;
    try
    {
        m_nKind = ExtractIntToken(line);
        if (m_nKind == 1)
        {
            m_strName = ExtractStringToken(line);
            SetData({ExtractIntToken(line)});
            m_bValid = 1;
        }
        else if (m_nKind == 2)
        {
            const unsigned int nFlags = static_cast<unsigned int>(ExtractHexToken(line));
            const unsigned int nValue = static_cast<unsigned int>(ExtractIntToken(line));
            SetData({static_cast<int>((nFlags << 16) | (nValue & 0xFFFFu))});
            m_bValid = 1;
        }
        else if (m_nKind == 4)
        {
            const int a = ExtractIntToken(line);
            SetData({a, ExtractIntToken(line)});
        }
    }
    catch (const CTokenError& e)
    {
        OutputDebugString(("Motion line refused: " + std::string(e.what()) + "\n").c_str());
        return false;
    }
    return true;
}

bool CLinkRec::Parse(const CString& strLine)
{
    CString line = strLine;
    m_strPicture = ExtractStringToken(line);
    m_strTarget = ExtractStringToken(line);
    m_strText = ExtractStringToken(line);
    return true;
}

int CLinkList::Add(const CLinkRec& rec)
{
    m_aLinks.push_back(rec);
    return GetSize() - 1;
}

CLinkRec CLinkList::GetAt(int i) const
{
    if (i < 0 || i >= GetSize())
        return CLinkRec();
    return m_aLinks[static_cast<std::size_t>(i)];
}

void CLinkList::SetAt(int i, const CLinkRec& rec)
{
    if (i >= 0 && i < GetSize())
        m_aLinks[static_cast<std::size_t>(i)] = rec;
}
