#include "foundation/Tokens.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
bool IsSeparatorOrBlank(char ch, const char* szSeparators)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0 || std::strchr(szSeparators, ch) != nullptr;
}

/// Cuts the token before the first separator; throws when the line has none.
CString CutRequired(CString& line, const char* szSeparators, const char* szWhat)
{
    if (line.FindOneOf(szSeparators) < 0)
        throw CTokenError(std::string(szWhat) + " token without a separator: \"" + line.Str() + "\"");
    return ExtractToken(line, szSeparators);
}

/// atoi's reading (blanks, sign, leading digits), held to the 32-bit range instead of overflowing.
int ReadDecimal(const CString& token)
{
    const long long n = std::strtoll(token.GetString(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}
} // namespace

CString ExtractToken(CString& line, const char* szSeparators)
{
    CString token;
    const int nSep = line.FindOneOf(szSeparators);
    if (nSep < 0)
    {
        token = line;
        line.Empty();
    }
    else
    {
        token = line.Left(nSep);
        line = line.Mid(nSep + 1);
    }
    token.Trim();
    return token;
}

CString ExtractStringToken(CString& line) { return ExtractToken(line, TOKEN_SEPARATORS); }

int ExtractIntToken2(CString& line, const char* szSeparators, int nDefault)
{
    const std::string& s = line.Str();
    const bool bHasDigit = s.find_first_of("0123456789") != std::string::npos;
    bool bOnlySeparators = true;
    for (char ch : s)
        bOnlySeparators = bOnlySeparators && IsSeparatorOrBlank(ch, szSeparators);
    const bool bShort = line.GetLength() <= 2;
    if (!bHasDigit && (bShort || bOnlySeparators))
    {
        line.Empty();
        return nDefault;
    }
    const CString token = bShort ? ExtractToken(line, szSeparators) : CutRequired(line, szSeparators, "integer");
    return token.IsEmpty() ? nDefault : ReadDecimal(token);
}

int ExtractIntToken(CString& line) { return ExtractIntToken2(line, TOKEN_SEPARATORS, 0); }

int ExtractHexToken(CString& line)
{
    const CString token = CutRequired(line, TOKEN_SEPARATORS, "hexadecimal");
    // strtoull takes the optional "0x" itself; numbers past 32 bits keep their low word, as the
    // ids are bit sets written in hexadecimal.
    const unsigned long long n = std::strtoull(token.GetString(), nullptr, 16);
    return static_cast<int>(static_cast<unsigned int>(std::min<unsigned long long>(n, UINT_MAX)));
}

float ExtractFloatToken(CString& line)
{
    const CString token = CutRequired(line, TOKEN_SEPARATORS, "float");
    const float f = std::strtof(token.GetString(), nullptr);
    if (!std::isfinite(f))
        throw CTokenError("float token not finite: \"" + token.Str() + "\"");
    return f;
}
