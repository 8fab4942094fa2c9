#include "platform/dx/XFileBinary.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
constexpr std::size_t HEADER_SIZE = 16; // "xof 0303bin 0032"

/// The tokens of the binary form, as its file format numbers them.
enum EToken : std::uint16_t
{
    TOKEN_NAME = 1,
    TOKEN_STRING = 2,
    TOKEN_INTEGER = 3,
    TOKEN_GUID = 5,
    TOKEN_INTEGER_LIST = 6,
    TOKEN_FLOAT_LIST = 7,
    TOKEN_OBRACE = 10,
    TOKEN_CBRACE = 11,
    TOKEN_OPAREN = 12,
    TOKEN_CPAREN = 13,
    TOKEN_OBRACKET = 14,
    TOKEN_CBRACKET = 15,
    TOKEN_OANGLE = 16,
    TOKEN_CANGLE = 17,
    TOKEN_DOT = 18,
    TOKEN_COMMA = 19,
    TOKEN_SEMICOLON = 20,
    TOKEN_TEMPLATE = 31,
    TOKEN_WORD = 40,
    TOKEN_DWORD = 41,
    TOKEN_FLOAT = 42,
    TOKEN_DOUBLE = 43,
    TOKEN_CHAR = 44,
    TOKEN_UCHAR = 45,
    TOKEN_SWORD = 46,
    TOKEN_SDWORD = 47,
    TOKEN_VOID = 48,
    TOKEN_LPSTR = 49,
    TOKEN_UNICODE = 50,
    TOKEN_CSTRING = 51,
    TOKEN_ARRAY = 52,
};

/// The text of the tokens that stand for themselves; null for the others.
const char* PlainText(std::uint16_t nToken)
{
    switch (nToken)
    {
    case TOKEN_OBRACE:
        return "{";
    case TOKEN_CBRACE:
        return "}";
    case TOKEN_OPAREN:
        return "(";
    case TOKEN_CPAREN:
        return ")";
    case TOKEN_OBRACKET:
        return "[";
    case TOKEN_CBRACKET:
        return "]";
    case TOKEN_OANGLE:
        return "<";
    case TOKEN_CANGLE:
        return ">";
    case TOKEN_DOT:
        return ".";
    case TOKEN_COMMA:
        return ",";
    case TOKEN_SEMICOLON:
        return ";";
    case TOKEN_TEMPLATE:
        return "template";
    case TOKEN_WORD:
        return "WORD";
    case TOKEN_DWORD:
        return "DWORD";
    case TOKEN_FLOAT:
        return "FLOAT";
    case TOKEN_DOUBLE:
        return "DOUBLE";
    case TOKEN_CHAR:
        return "CHAR";
    case TOKEN_UCHAR:
        return "UCHAR";
    case TOKEN_SWORD:
        return "SWORD";
    case TOKEN_SDWORD:
        return "SDWORD";
    case TOKEN_VOID:
        return "VOID";
    case TOKEN_LPSTR:
        return "LPSTR";
    case TOKEN_UNICODE:
        return "UNICODE";
    case TOKEN_CSTRING:
        return "CSTRING";
    case TOKEN_ARRAY:
        return "array";
    default:
        return nullptr;
    }
}

class CBinaryReader
{
public:
    CBinaryReader(std::string_view file, std::size_t nFloatSize) : m_file(file), m_nFloatSize(nFloatSize) {}

    bool Convert(std::string& strText);
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const std::string& strWhat)
    {
        if (m_strError.empty())
            m_strError = "byte " + std::to_string(m_nPos) + ": " + strWhat;
        return false;
    }
    std::size_t Left() const { return m_file.size() - m_nPos; }
    bool ReadWord(std::uint16_t& n);
    bool ReadDword(std::uint32_t& n);
    /// A count of items of nItemSize bytes each, that the bytes left can hold.
    bool ReadCount(std::uint32_t& n, std::size_t nItemSize, const char* szWhat);
    bool ReadFloat(double& d);
    bool Token(std::uint16_t nToken, std::string& strText);
    bool Name(std::string& strText);
    bool String(std::string& strText);
    bool Guid(std::string& strText);
    bool IntegerList(std::string& strText);
    bool FloatList(std::string& strText);

    std::string_view m_file;
    std::size_t m_nFloatSize;
    std::size_t m_nPos = HEADER_SIZE;
    std::string m_strError;
};

bool CBinaryReader::ReadWord(std::uint16_t& n)
{
    if (Left() < 2)
        return Fail("the file ends inside a token");
    const auto* p = reinterpret_cast<const unsigned char*>(m_file.data() + m_nPos);
    n = static_cast<std::uint16_t>(p[0] | p[1] << 8);
    m_nPos += 2;
    return true;
}

bool CBinaryReader::ReadDword(std::uint32_t& n)
{
    if (Left() < 4)
        return Fail("the file ends inside a token");
    const auto* p = reinterpret_cast<const unsigned char*>(m_file.data() + m_nPos);
    n = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    m_nPos += 4;
    return true;
}

bool CBinaryReader::ReadCount(std::uint32_t& n, std::size_t nItemSize, const char* szWhat)
{
    if (!ReadDword(n))
        return false;
    if (static_cast<std::uint64_t>(n) * nItemSize > Left())
        return Fail(std::string(szWhat) + " of " + std::to_string(n) + " is more than the file holds");
    return true;
}

bool CBinaryReader::ReadFloat(double& d)
{
    if (m_nFloatSize == 8)
    {
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i)
            n |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_file[m_nPos + i])) << (8 * i);
        std::memcpy(&d, &n, sizeof d);
    }
    else
    {
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_file[m_nPos + i])) << (8 * i);
        float f = 0;
        std::memcpy(&f, &n, sizeof f);
        d = f;
    }
    m_nPos += m_nFloatSize;
    return true;
}

bool CBinaryReader::Name(std::string& strText)
{
    std::uint32_t n = 0;
    if (!ReadCount(n, 1, "a name"))
        return false;
    const std::string_view name = m_file.substr(m_nPos, n);
    m_nPos += n;
    // The text form cuts a name at blanks, separators, braces, quotes and angles.
    if (name.empty() || name.find_first_of(std::string_view(" \t\r\n{},;\"<>\0", 12)) != std::string_view::npos)
        return Fail("a name the text form cannot hold");
    strText.append(name).push_back(' ');
    return true;
}

bool CBinaryReader::String(std::string& strText)
{
    std::uint32_t n = 0;
    if (!ReadCount(n, 1, "a string"))
        return false;
    const std::string_view str = m_file.substr(m_nPos, n);
    m_nPos += n;
    if (str.find_first_of(std::string_view("\"\0", 2)) != std::string_view::npos)
        return Fail("a string the text form cannot hold");
    std::uint16_t nEnd = 0;
    if (!ReadWord(nEnd))
        return false;
    if (nEnd != TOKEN_SEMICOLON && nEnd != TOKEN_COMMA)
        return Fail("a string not ended by a separator");
    strText.append("\"").append(str).append(nEnd == TOKEN_SEMICOLON ? "\"; " : "\", ");
    return true;
}

bool CBinaryReader::Guid(std::string& strText)
{
    if (Left() < 16)
        return Fail("the file ends inside a GUID");
    const auto* p = reinterpret_cast<const unsigned char*>(m_file.data() + m_nPos);
    char sz[48];
    std::snprintf(sz, sizeof sz, "<%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X> ", p[3], p[2],
                  p[1], p[0], p[5], p[4], p[7], p[6], p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
    strText += sz;
    m_nPos += 16;
    return true;
}

bool CBinaryReader::IntegerList(std::string& strText)
{
    std::uint32_t n = 0;
    if (!ReadCount(n, 4, "an integer list"))
        return false;
    for (std::uint32_t i = 0; i < n; ++i)
    {
        std::uint32_t v = 0;
        ReadDword(v);
        strText.append(std::to_string(v)).append(", ");
    }
    return true;
}

bool CBinaryReader::FloatList(std::string& strText)
{
    std::uint32_t n = 0;
    if (!ReadCount(n, m_nFloatSize, "a float list"))
        return false;
    for (std::uint32_t i = 0; i < n; ++i)
    {
        double d = 0;
        ReadFloat(d);
        // Enough digits that the text reads back the same float; a number that is not finite
        // reads as none, and the text reader refuses it.
        char sz[40];
        std::snprintf(sz, sizeof sz, "%.9g, ", d);
        strText += sz;
    }
    return true;
}

bool CBinaryReader::Token(std::uint16_t nToken, std::string& strText)
{
    if (const char* sz = PlainText(nToken))
    {
        strText.append(sz).push_back(' ');
        return true;
    }
    switch (nToken)
    {
    case TOKEN_NAME:
        return Name(strText);
    case TOKEN_STRING:
        return String(strText);
    case TOKEN_INTEGER:
    {
        std::uint32_t v = 0;
        if (!ReadDword(v))
            return false;
        strText.append(std::to_string(v)).append("; ");
        return true;
    }
    case TOKEN_GUID:
        return Guid(strText);
    case TOKEN_INTEGER_LIST:
        return IntegerList(strText);
    case TOKEN_FLOAT_LIST:
        return FloatList(strText);
    default:
        return Fail("unknown token " + std::to_string(nToken));
    }
}

bool CBinaryReader::Convert(std::string& strText)
{
    strText = "xof 0303txt 0032\n";
    while (Left() > 0)
    {
        std::uint16_t nToken = 0;
        if (!ReadWord(nToken) || !Token(nToken, strText))
            return false;
    }
    return true;
}
} // namespace

bool XFileBinaryToText(std::string_view file, std::string& strText, std::string& strError)
{
    if (file.size() < HEADER_SIZE || file.substr(0, 4) != "xof " || file.substr(8, 4) != "bin ")
    {
        strError = "not a binary X file";
        return false;
    }
    const std::string_view floats = file.substr(12, 4);
    if (floats != "0032" && floats != "0064")
    {
        strError = "binary X file with floats of \"" + std::string(floats) + "\" bits";
        return false;
    }
    CBinaryReader reader(file, floats == "0064" ? 8 : 4);
    const bool bOk = reader.Convert(strText);
    strError = reader.Error();
    return bOk;
}
