// The framework's growable arrays over std::vector: elements copied by value, freed with
// the array. Only the operations the game uses.
#pragma once

#include "platform/win32/Assert.h"
#include "platform/win32/WinTypes.h"

#include <algorithm>
#include <vector>

template <class TYPE> class CArray
{
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }

    /// Grows (with default elements) or shrinks to nNewSize; a negative size empties.
    void SetSize(int nNewSize) { m_items.resize(static_cast<std::size_t>(std::max(nNewSize, 0))); }

    const TYPE& GetAt(int i) const
    {
        ASSERT(i >= 0 && i < GetSize());
        return m_items.at(static_cast<std::size_t>(i));
    }
    TYPE& ElementAt(int i)
    {
        ASSERT(i >= 0 && i < GetSize());
        return m_items.at(static_cast<std::size_t>(i));
    }
    void SetAt(int i, const TYPE& value) { ElementAt(i) = value; }
    TYPE& operator[](int i) { return ElementAt(i); }
    const TYPE& operator[](int i) const { return GetAt(i); }
    TYPE* GetData() { return m_items.data(); }
    const TYPE* GetData() const { return m_items.data(); }

    /// Appends and returns the new element's index.
    int Add(const TYPE& value)
    {
        m_items.push_back(value);
        return GetUpperBound();
    }
    /// Sets element i, growing the array first when i is past its end.
    void SetAtGrow(int i, const TYPE& value)
    {
        if (i < 0)
            return;
        if (i >= GetSize())
            SetSize(i + 1);
        m_items[static_cast<std::size_t>(i)] = value;
    }
    void InsertAt(int i, const TYPE& value, int nCount = 1)
    {
        i = std::clamp(i, 0, GetSize());
        m_items.insert(m_items.begin() + i, static_cast<std::size_t>(std::max(nCount, 0)), value);
    }
    void RemoveAt(int i, int nCount = 1)
    {
        ASSERT(i >= 0 && nCount >= 0 && i + nCount <= GetSize());
        const int nFirst = std::clamp(i, 0, GetSize());
        const int nLast = std::clamp(i + nCount, nFirst, GetSize());
        m_items.erase(m_items.begin() + nFirst, m_items.begin() + nLast);
    }
    void RemoveAll() { m_items.clear(); }
    int Append(const CArray& other)
    {
        const int nOld = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return nOld;
    }
    void Copy(const CArray& other) { m_items = other.m_items; }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<TYPE> m_items;
};

class CPtrArray : public CArray<void*>
{
};

class CDWordArray : public CArray<DWORD>
{
};
