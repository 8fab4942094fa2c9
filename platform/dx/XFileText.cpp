#include "platform/dx/XFileText.h"

#include "platform/dx/XFileBinary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace
{
constexpr std::size_t XFILE_HEADER_SIZE = 16; // "xof 0303txt 0032"

class CXParser
{
public:
    explicit CXParser(std::string_view text) : m_text(text) {}

    bool Parse(SXFrame& root, std::string& strError);

private:
    // --- scanning ---
    void SkipSpace();
    void SkipSeparators();
    char Peek()
    {
        SkipSpace();
        return m_nPos < m_text.size() ? m_text[m_nPos] : '\0';
    }
    bool Expect(char ch);
    bool ReadWord(std::string& strOut);
    bool ReadString(std::string& strOut);
    bool ReadFloat(float& f);
    bool ReadUInt(unsigned& n);
    /// A count of items of nNumbers numbers each, that the bytes left can hold.
    bool ReadCount(unsigned& n, std::size_t nNumbers, const char* szWhat);
    template <std::size_t N> bool ReadFloats(std::array<float, N>& a);
    bool ReadIndexList(std::vector<unsigned>& aOut);
    /// Skips to the brace closing the one just read.
    bool SkipBlock();
    bool Fail(const std::string& strWhat);

    // --- objects ---
    /// Reads an object's optional name, its "{" and an optional GUID.
    bool OpenObject(std::string& strName);
    /// Reads children up to the closing brace; onChild(type, name) reads one, onReference(name) a "{ Name }".
    template <class FChild, class FRef> bool ReadChildren(int nDepth, FChild onChild, FRef onReference);
    bool SkipObject();
    bool ReadFrame(SXFrame& frame, int nDepth);
    bool ReadMesh(SXMesh& mesh, int nDepth);
    bool ReadMaterialList(SXMesh& mesh, int nDepth);
    bool ReadMaterial(SXMaterial& material, int nDepth);
    bool ReadNormals(SXMesh& mesh, int nDepth);
    bool ReadTexCoords(SXMesh& mesh, int nDepth);
    bool ReadMatrix(SXFrame& frame, int nDepth);
    bool ReadTopLevel(SXFrame& root);

    std::string_view m_text;
    std::size_t m_nPos = 0;
    std::string m_strError;
    std::map<std::string, SXMaterial> m_namedMaterials;
};

bool IsWordChar(char ch) { return std::strchr(" \t\r\n{},;\"<>", ch) == nullptr; }

void CXParser::SkipSpace()
{
    while (m_nPos < m_text.size())
    {
        const char ch = m_text[m_nPos];
        if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')
            ++m_nPos;
        else if (ch == '#' || (ch == '/' && m_nPos + 1 < m_text.size() && m_text[m_nPos + 1] == '/'))
        {
            const std::size_t nEnd = m_text.find('\n', m_nPos);
            m_nPos = nEnd == std::string_view::npos ? m_text.size() : nEnd + 1;
        }
        else
            return;
    }
}

void CXParser::SkipSeparators()
{
    for (char ch = Peek(); ch == ',' || ch == ';'; ch = Peek())
        ++m_nPos;
}

bool CXParser::Fail(const std::string& strWhat)
{
    if (m_strError.empty())
    {
        const std::size_t nPos = std::min(m_nPos, m_text.size());
        const auto nLine = 1 + std::count(m_text.begin(), m_text.begin() + static_cast<std::ptrdiff_t>(nPos), '\n');
        m_strError = "line " + std::to_string(nLine) + ": " + strWhat;
    }
    return false;
}

bool CXParser::Expect(char ch)
{
    if (Peek() != ch)
        return Fail(std::string("'") + ch + "' expected");
    ++m_nPos;
    return true;
}

bool CXParser::ReadWord(std::string& strOut)
{
    SkipSpace();
    const std::size_t nStart = m_nPos;
    while (m_nPos < m_text.size() && IsWordChar(m_text[m_nPos]))
        ++m_nPos;
    if (m_nPos == nStart)
        return Fail("name expected");
    strOut.assign(m_text.substr(nStart, m_nPos - nStart));
    return true;
}

bool CXParser::ReadString(std::string& strOut)
{
    SkipSeparators();
    if (!Expect('"'))
        return false;
    const std::size_t nEnd = m_text.find('"', m_nPos);
    if (nEnd == std::string_view::npos)
        return Fail("string without its closing quote");
    strOut.assign(m_text.substr(m_nPos, nEnd - m_nPos));
    m_nPos = nEnd + 1;
    return true;
}

bool CXParser::ReadFloat(float& f)
{
    SkipSeparators();
    const char* pBegin = m_text.data() + m_nPos;
    const char* pEnd = m_text.data() + m_text.size();
    if (pBegin < pEnd && *pBegin == '+')
        ++pBegin;
    const auto result = std::from_chars(pBegin, pEnd, f);
    if (result.ec != std::errc() || !std::isfinite(f))
        return Fail("number expected");
    m_nPos = static_cast<std::size_t>(result.ptr - m_text.data());
    return true;
}

bool CXParser::ReadUInt(unsigned& n)
{
    SkipSeparators();
    const char* pBegin = m_text.data() + m_nPos;
    const auto result = std::from_chars(pBegin, m_text.data() + m_text.size(), n);
    if (result.ec != std::errc())
        return Fail("whole number expected");
    m_nPos = static_cast<std::size_t>(result.ptr - m_text.data());
    return true;
}

bool CXParser::ReadCount(unsigned& n, std::size_t nNumbers, const char* szWhat)
{
    if (!ReadUInt(n))
        return false;
    // Each number takes at least one character and one separator.
    if (static_cast<std::size_t>(n) * nNumbers > (m_text.size() - m_nPos + 1) / 2)
        return Fail(std::string(szWhat) + " count " + std::to_string(n) + " is more than the file holds");
    return true;
}

template <std::size_t N> bool CXParser::ReadFloats(std::array<float, N>& a)
{
    for (float& f : a)
        if (!ReadFloat(f))
            return false;
    return true;
}

bool CXParser::ReadIndexList(std::vector<unsigned>& aOut)
{
    unsigned n = 0;
    if (!ReadCount(n, 1, "index"))
        return false;
    aOut.resize(n);
    for (unsigned& i : aOut)
        if (!ReadUInt(i))
            return false;
    return true;
}

bool CXParser::SkipBlock()
{
    int nOpen = 1;
    while (m_nPos < m_text.size())
    {
        const char ch = m_text[m_nPos++];
        if (ch == '"')
        {
            const std::size_t nEnd = m_text.find('"', m_nPos);
            m_nPos = nEnd == std::string_view::npos ? m_text.size() : nEnd + 1;
        }
        else if (ch == '{')
            ++nOpen;
        else if (ch == '}' && --nOpen == 0)
            return true;
    }
    return Fail("object without its closing brace");
}

bool CXParser::OpenObject(std::string& strName)
{
    strName.clear();
    if (Peek() != '{' && !ReadWord(strName))
        return false;
    if (!Expect('{'))
        return false;
    if (Peek() == '<')
    {
        const std::size_t nEnd = m_text.find('>', m_nPos);
        if (nEnd == std::string_view::npos)
            return Fail("GUID without its closing '>'");
        m_nPos = nEnd + 1;
    }
    return true;
}

bool CXParser::SkipObject()
{
    std::string strName;
    return OpenObject(strName) && SkipBlock();
}

template <class FChild, class FRef> bool CXParser::ReadChildren(int nDepth, FChild onChild, FRef onReference)
{
    if (nDepth > XFILE_MAX_DEPTH)
        return Fail("objects nested deeper than " + std::to_string(XFILE_MAX_DEPTH));
    for (;;)
    {
        SkipSeparators();
        const char ch = Peek();
        if (ch == '}')
        {
            ++m_nPos;
            return true;
        }
        if (ch == '\0')
            return Fail("object without its closing brace");
        if (ch == '{')
        {
            ++m_nPos;
            std::string strRef;
            if (!ReadWord(strRef) || !onReference(strRef) || !Expect('}'))
                return false;
            continue;
        }
        std::string strType;
        if (!ReadWord(strType) || !onChild(strType))
            return false;
    }
}

bool CXParser::ReadMatrix(SXFrame& frame, int nDepth)
{
    std::string strName;
    return OpenObject(strName) && ReadFloats(frame.afMatrix) &&
           ReadChildren(
               nDepth, [this](const std::string&) { return SkipObject(); }, [](const std::string&) { return true; });
}

bool CXParser::ReadFrame(SXFrame& frame, int nDepth)
{
    if (!OpenObject(frame.strName))
        return false;
    return ReadChildren(
        nDepth,
        [&](const std::string& strType)
        {
            if (strType == "Frame")
            {
                SXChild& child = frame.aChildren.emplace_back();
                child.pFrame = std::make_unique<SXFrame>();
                return ReadFrame(*child.pFrame, nDepth + 1);
            }
            if (strType == "Mesh")
            {
                SXChild& child = frame.aChildren.emplace_back();
                child.pMesh = std::make_unique<SXMesh>();
                return ReadMesh(*child.pMesh, nDepth + 1);
            }
            if (strType == "FrameTransformMatrix")
                return ReadMatrix(frame, nDepth + 1);
            return SkipObject();
        },
        [](const std::string&) { return true; });
}

bool CXParser::ReadMesh(SXMesh& mesh, int nDepth)
{
    if (!OpenObject(mesh.strName))
        return false;
    unsigned nVertices = 0, nFaces = 0;
    if (!ReadCount(nVertices, 3, "vertex"))
        return false;
    mesh.aVertices.resize(nVertices);
    for (auto& v : mesh.aVertices)
        if (!ReadFloats(v))
            return false;
    if (!ReadCount(nFaces, 4, "face"))
        return false;
    mesh.aFaces.resize(nFaces);
    for (auto& face : mesh.aFaces)
        if (!ReadIndexList(face))
            return false;
    return ReadChildren(
        nDepth,
        [&](const std::string& strType)
        {
            if (strType == "MeshMaterialList")
                return ReadMaterialList(mesh, nDepth + 1);
            if (strType == "MeshNormals")
                return ReadNormals(mesh, nDepth + 1);
            if (strType == "MeshTextureCoords")
                return ReadTexCoords(mesh, nDepth + 1);
            return SkipObject();
        },
        [](const std::string&) { return true; });
}

bool CXParser::ReadMaterialList(SXMesh& mesh, int nDepth)
{
    std::string strName;
    unsigned nMaterials = 0;
    if (!OpenObject(strName) || !ReadCount(nMaterials, 1, "material") || !ReadIndexList(mesh.aFaceMaterials))
        return false;
    mesh.bHasMaterialList = true;
    return ReadChildren(
        nDepth,
        [&](const std::string& strType)
        {
            if (strType != "Material")
                return SkipObject();
            return ReadMaterial(mesh.aMaterials.emplace_back(), nDepth + 1);
        },
        [&](const std::string& strRef)
        {
            const auto it = m_namedMaterials.find(strRef);
            if (it == m_namedMaterials.end())
                return Fail("reference to an unknown material \"" + strRef + "\"");
            mesh.aMaterials.push_back(it->second);
            return true;
        });
}

bool CXParser::ReadMaterial(SXMaterial& material, int nDepth)
{
    std::string strName;
    if (!OpenObject(strName) || !ReadFloats(material.afFace) || !ReadFloat(material.fPower) ||
        !ReadFloats(material.afSpecular) || !ReadFloats(material.afEmissive))
        return false;
    return ReadChildren(
        nDepth,
        [&](const std::string& strType)
        {
            if (strType != "TextureFilename" && strType != "TextureFileName")
                return SkipObject();
            std::string strTexName;
            return OpenObject(strTexName) && ReadString(material.strTexture) &&
                   ReadChildren(
                       nDepth + 1, [this](const std::string&) { return SkipObject(); },
                       [](const std::string&) { return true; });
        },
        [](const std::string&) { return true; });
}

bool CXParser::ReadNormals(SXMesh& mesh, int nDepth)
{
    std::string strName;
    unsigned nNormals = 0, nFaces = 0;
    if (!OpenObject(strName) || !ReadCount(nNormals, 3, "normal"))
        return false;
    mesh.aNormals.resize(nNormals);
    for (auto& n : mesh.aNormals)
        if (!ReadFloats(n))
            return false;
    if (!ReadCount(nFaces, 4, "normal face"))
        return false;
    mesh.aNormalFaces.resize(nFaces);
    for (auto& face : mesh.aNormalFaces)
        if (!ReadIndexList(face))
            return false;
    mesh.bHasNormals = true;
    return ReadChildren(
        nDepth, [this](const std::string&) { return SkipObject(); }, [](const std::string&) { return true; });
}

bool CXParser::ReadTexCoords(SXMesh& mesh, int nDepth)
{
    std::string strName;
    unsigned nCoords = 0;
    if (!OpenObject(strName) || !ReadCount(nCoords, 2, "texture coordinate"))
        return false;
    mesh.aTexCoords.resize(nCoords);
    for (auto& uv : mesh.aTexCoords)
        if (!ReadFloats(uv))
            return false;
    mesh.bHasTexCoords = true;
    return ReadChildren(
        nDepth, [this](const std::string&) { return SkipObject(); }, [](const std::string&) { return true; });
}

bool CXParser::ReadTopLevel(SXFrame& root)
{
    std::string strType;
    if (!ReadWord(strType))
        return false;
    if (strType == "template")
    {
        std::string strName;
        return ReadWord(strName) && Expect('{') && SkipBlock();
    }
    if (strType == "Frame" || strType == "Mesh")
    {
        SXChild& child = root.aChildren.emplace_back();
        if (strType == "Frame")
        {
            child.pFrame = std::make_unique<SXFrame>();
            return ReadFrame(*child.pFrame, 1);
        }
        child.pMesh = std::make_unique<SXMesh>();
        return ReadMesh(*child.pMesh, 1);
    }
    if (strType == "Material")
    {
        SXMaterial material;
        const std::size_t nNameStart = m_nPos;
        std::string strName;
        if (Peek() != '{' && !ReadWord(strName))
            return false;
        m_nPos = nNameStart; // ReadMaterial reads the name again with the brace
        if (!ReadMaterial(material, 1))
            return false;
        m_namedMaterials[strName] = material;
        return true;
    }
    return SkipObject();
}

bool CXParser::Parse(SXFrame& root, std::string& strError)
{
    const std::string_view header = m_text.substr(0, XFILE_HEADER_SIZE);
    bool bOk = false;
    if (header.size() < XFILE_HEADER_SIZE || header.substr(0, 4) != "xof ")
        Fail("not an X file (no \"xof \" header)");
    else if (header.substr(4, 2) != "03" || (header.substr(6, 2) != "02" && header.substr(6, 2) != "03"))
        Fail("X file version " + std::string(header.substr(4, 4)) + " is not 0302 or 0303");
    else if (header.substr(8, 4) != "txt ")
        Fail("binary or compressed X file (\"" + std::string(header.substr(8, 4)) + "\"): only text is read");
    else
    {
        m_nPos = XFILE_HEADER_SIZE;
        bOk = true;
        while (bOk && Peek() != '\0')
            bOk = ReadTopLevel(root);
    }
    strError = m_strError;
    return bOk;
}
} // namespace

bool ParseXFile(std::string_view file, SXFrame& root, std::string& strError)
{
    const std::string_view header = file.substr(0, std::min(file.size(), XFILE_HEADER_SIZE));
    if (header.size() < XFILE_HEADER_SIZE || header.substr(0, 4) != "xof " || header.substr(8, 4) != "bin ")
        return ParseXFileText(file, root, strError);
    if (header.substr(4, 2) != "03" || (header.substr(6, 2) != "02" && header.substr(6, 2) != "03"))
    {
        strError = "X file version " + std::string(header.substr(4, 4)) + " is not 0302 or 0303";
        return false;
    }
    std::string strText;
    return XFileBinaryToText(file, strText, strError) && ParseXFileText(strText, root, strError);
}

bool ParseXFileText(std::string_view text, SXFrame& root, std::string& strError)
{
    // NUL bytes have no place in a text file, and would end the names the mesh keeps.
    if (text.find('\0') != std::string_view::npos)
    {
        strError = "X file holds a NUL byte";
        return false;
    }
    return CXParser(text).Parse(root, strError);
}
