#include "platform/mfc/CString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
bool IsSpace(char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; }

int Clamp(int n, int lo, int hi) { return std::max(lo, std::min(n, hi)); }
} // namespace

CString::CString(const char* sz, int nLength)
{
    if (sz != nullptr && nLength > 0)
        m_str.assign(sz, static_cast<std::size_t>(nLength));
}

CString::CString(char ch, int nRepeat) : m_str(static_cast<std::size_t>(std::max(nRepeat, 0)), ch) {}

char CString::GetAt(int i) const
{
    ASSERT(i >= 0 && i < GetLength());
    return (i >= 0 && i < GetLength()) ? m_str[static_cast<std::size_t>(i)] : '\0';
}

void CString::SetAt(int i, char ch)
{
    ASSERT(i >= 0 && i < GetLength());
    if (i >= 0 && i < GetLength())
        m_str[static_cast<std::size_t>(i)] = ch;
}

CString& CString::operator=(const char* sz)
{
    m_str = sz != nullptr ? sz : "";
    return *this;
}

CString& CString::operator+=(const CString& s)
{
    m_str += s.m_str;
    return *this;
}

CString& CString::operator+=(const char* sz)
{
    if (sz != nullptr)
        m_str += sz;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(const char* sz) const { return std::strcmp(m_str.c_str(), sz != nullptr ? sz : ""); }

int CString::CompareNoCase(const char* sz) const { return strcasecmp(m_str.c_str(), sz != nullptr ? sz : ""); }

CString CString::Left(int nCount) const
{
    return CString(m_str.substr(0, static_cast<std::size_t>(Clamp(nCount, 0, GetLength()))));
}

CString CString::Right(int nCount) const
{
    const int n = Clamp(nCount, 0, GetLength());
    return CString(m_str.substr(static_cast<std::size_t>(GetLength() - n)));
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const
{
    const int nStart = Clamp(nFirst, 0, GetLength());
    const int n = Clamp(nCount, 0, GetLength() - nStart);
    return CString(m_str.substr(static_cast<std::size_t>(nStart), static_cast<std::size_t>(n)));
}

CString CString::SpanExcluding(const char* szCharSet) const
{
    const int n = FindOneOf(szCharSet);
    return n < 0 ? *this : Left(n);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    const auto n = m_str.find(ch, static_cast<std::size_t>(nStart));
    return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::Find(const char* sz, int nStart) const
{
    if (sz == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    const auto n = m_str.find(sz, static_cast<std::size_t>(nStart));
    return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::ReverseFind(char ch) const
{
    const auto n = m_str.rfind(ch);
    return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::FindOneOf(const char* szCharSet) const
{
    if (szCharSet == nullptr)
        return -1;
    const auto n = m_str.find_first_of(szCharSet);
    return n == std::string::npos ? -1 : static_cast<int>(n);
}

CString& CString::MakeUpper()
{
    for (char& ch : m_str)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& ch : m_str)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return *this;
}

CString& CString::TrimLeft()
{
    m_str.erase(m_str.begin(), std::find_if_not(m_str.begin(), m_str.end(), IsSpace));
    return *this;
}

CString& CString::TrimRight()
{
    m_str.erase(std::find_if_not(m_str.rbegin(), m_str.rend(), IsSpace).base(), m_str.end());
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft(const char* szChars)
{
    const auto n = m_str.find_first_not_of(szChars != nullptr ? szChars : "");
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimRight(const char* szChars)
{
    const auto n = m_str.find_last_not_of(szChars != nullptr ? szChars : "");
    m_str.erase(n == std::string::npos ? 0 : n + 1);
    return *this;
}

int CString::Replace(char chOld, char chNew)
{
    int nCount = 0;
    for (char& ch : m_str)
    {
        if (ch == chOld)
        {
            ch = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(const char* szOld, const char* szNew)
{
    if (szOld == nullptr || *szOld == '\0')
        return 0;
    const std::string from(szOld);
    const std::string to(szNew != nullptr ? szNew : "");
    int nCount = 0;
    for (std::size_t n = m_str.find(from); n != std::string::npos; n = m_str.find(from, n + to.size()))
    {
        m_str.replace(n, from.size(), to);
        ++nCount;
    }
    return nCount;
}

int CString::Remove(char ch)
{
    const auto nOld = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(nOld - m_str.size());
}

int CString::Insert(int i, const char* sz)
{
    m_str.insert(static_cast<std::size_t>(Clamp(i, 0, GetLength())), sz != nullptr ? sz : "");
    return GetLength();
}

int CString::Delete(int i, int nCount)
{
    const int nStart = Clamp(i, 0, GetLength());
    m_str.erase(static_cast<std::size_t>(nStart), static_cast<std::size_t>(Clamp(nCount, 0, GetLength() - nStart)));
    return GetLength();
}

void CString::FormatV(const char* szFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, szFormat, copy);
    va_end(copy);
    if (n < 0)
    {
        m_str.clear();
        return;
    }
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), szFormat, args);
    out.resize(static_cast<std::size_t>(n));
    m_str = std::move(out);
}

void CString::Format(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    FormatV(szFormat, args);
    va_end(args);
}

void CString::AppendFormat(const char* szFormat, ...)
{
    CString more;
    va_list args;
    va_start(args, szFormat);
    more.FormatV(szFormat, args);
    va_end(args);
    m_str += more.m_str;
}

char* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_str.resize(static_cast<std::size_t>(nMinLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(static_cast<std::size_t>(Clamp(nNewLength, 0, GetLength())));
}

char* CString::GetBufferSetLength(int nLength)
{
    m_str.resize(static_cast<std::size_t>(std::max(nLength, 0)));
    return m_str.data();
}
