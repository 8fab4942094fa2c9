#include "render/TextureSet.h"

#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/Tokens.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"

#include <cstring>
#include <string_view>

VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_TEXTURE_SET) CTextureSet g_textureSet;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_BALL_TEXTURE_SET);

int CTextureSetRec::Parse(const char* szLibrary, const CString& strLine)
{
    m_strLibrary = szLibrary;
    CString line = strLine;
    m_strName = ExtractStringToken(line);
    m_strField2 = ExtractStringToken(line);
    m_strField3 = ExtractStringToken(line);
    m_strField4 = ExtractStringToken(line);
    try
    {
        m_nValue = ExtractIntToken(line);
    }
    catch (const CTokenError& e)
    {
        m_nValue = 0;
        OutputDebugString(("TEXTURES.SET: flag not read: " + std::string(e.what()) + "\n").c_str());
    }
    return 1;
}

void CTextureSet::ReadText(const char* szLibrary, const char* pText, std::size_t nSize)
{
    // The text ends at its first NUL byte or at the resource's end, whichever comes first.
    std::string_view text(pText, nSize);
    text = text.substr(0, text.find('\0'));
    while (!text.empty())
    {
        const std::size_t nEnd = text.find('\n');
        const std::string_view line = text.substr(0, nEnd);
        text = nEnd == std::string_view::npos ? std::string_view() : text.substr(nEnd + 1);
        if (line.size() < 2)
            return; // a blank line ends this library's list
        if (line.front() == '/')
            continue;
        CTextureSetRec rec;
        rec.Parse(szLibrary, CString(line));
        if (!rec.m_strField3.IsEmpty())
            m_aRecs.push_back(rec);
    }
}

void CTextureSet::LoadTextureSet()
{
    m_aRecs.clear();
    for (int i = 0; i < g_astrBallSetLibraries.GetSize(); ++i)
    {
        const CString& strLib = g_astrBallSetLibraries[i];
        const HMODULE hModule = LoadLibrary(strLib);
        if (hModule == nullptr)
            continue;
        const HRSRC hRes = FindResource(hModule, "TEXTURES.SET", "SET");
        const auto* p = hRes != nullptr ? static_cast<const char*>(LockResource(LoadResource(hModule, hRes))) : nullptr;
        if (p != nullptr)
            ReadText(strLib, p, SizeofResource(hModule, hRes));
        else
            OutputDebugString(("TEXTURES.SET missing in " + strLib.Str() + "\n").c_str());
        FreeLibrary(hModule);
    }
}

CTextureSetRec CTextureSet::GetAt(int i) const
{
    if (i < 0 || i >= GetCount())
        return CTextureSetRec();
    return m_aRecs[static_cast<std::size_t>(i)];
}
