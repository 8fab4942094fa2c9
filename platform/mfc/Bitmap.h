// The framework's wrappers of GDI objects: an object owns its handle and deletes it at the end
// of its life.
#pragma once

#include "platform/win32/Gdi.h"

class CGdiObject
{
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    /// Takes ownership of a handle; FALSE when the object already holds one or the handle is null.
    BOOL Attach(HGDIOBJ hObject);
    /// Gives the handle up without deleting it.
    HGDIOBJ Detach();
    /// Deletes the held object; FALSE when there is none.
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject
{
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* pBitmap) const { return GetObject(m_hObject, sizeof(BITMAP), pBitmap); }
};
