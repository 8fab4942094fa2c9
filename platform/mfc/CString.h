// The framework's string class over std::string: the operations the game uses, with the
// framework's rules (positions clamp instead of failing, Format is printf-style).
#pragma once

#include "platform/mfc/Arrays.h"
#include "platform/win32/WinTypes.h"

#include <cstdarg>
#include <string>
#include <string_view>

class CString
{
public:
    CString() = default;
    CString(const char* sz) : m_str(sz != nullptr ? sz : "") {}
    CString(const char* sz, int nLength);
    CString(std::string_view sv) : m_str(sv) {}
    CString(const std::string& s) : m_str(s) {}
    CString(char ch, int nRepeat = 1);

    operator LPCTSTR() const { return m_str.c_str(); }
    LPCTSTR GetString() const { return m_str.c_str(); }
    const std::string& Str() const { return m_str; }

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int i) const;
    void SetAt(int i, char ch);
    char operator[](int i) const { return GetAt(i); }

    CString& operator=(const char* sz);
    CString& operator+=(const CString& s);
    CString& operator+=(const char* sz);
    CString& operator+=(char ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b != nullptr ? b : ""); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

    int Compare(const char* sz) const;
    int CompareNoCase(const char* sz) const;

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString SpanExcluding(const char* szCharSet) const;

    int Find(char ch, int nStart = 0) const;
    int Find(const char* sz, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* szCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();
    CString& TrimLeft(const char* szChars);
    CString& TrimRight(const char* szChars);

    int Replace(char chOld, char chNew);
    int Replace(const char* szOld, const char* szNew);
    int Remove(char ch);
    int Insert(int i, const char* sz);
    int Delete(int i, int nCount = 1);

    void Format(const char* szFormat, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* szFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* szFormat, va_list args) __attribute__((format(printf, 2, 0)));

    /// A writable buffer of at least nMinLength characters plus terminator; ReleaseBuffer
    /// then takes the length from the terminator (nNewLength -1) or from nNewLength.
    char* GetBuffer(int nMinLength = 0);
    void ReleaseBuffer(int nNewLength = -1);
    char* GetBufferSetLength(int nLength);

private:
    std::string m_str;
};

class CStringArray : public CArray<CString>
{
};
