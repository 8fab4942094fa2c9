// The base of the ball and of every table part: a type id and an index (the ball's number for a
// ball), both fixed at construction and taken by a copy.
#pragma once

class CSceneObjectBase
{
public:
    CSceneObjectBase(int nTypeId, int nIndex) : m_nTypeId(nTypeId), m_nIndex(nIndex) {}

    int GetTypeId() const { return m_nTypeId; }
    int GetIndex() const { return m_nIndex; }

protected:
    int m_nTypeId;
    int m_nIndex;
};
