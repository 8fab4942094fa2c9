// The records the scene text yields: one per object line ([Objects], [Table]), per clip binding
// ([Animations]), per motion ([Motions]) and per link ([Links]), with the global motion and link
// lists that the frame drawing and the linked objects read.
#pragma once

#include "foundation/Vector3.h"
#include "platform/mfc/Arrays.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

/// Most light numbers one object line carries; further numbers are read as the following fields.
inline constexpr int SCENE_MAX_OBJECT_LIGHTS = 10;

/// One line of [Objects] or [Table]:
/// id (hex), name, mesh file, x, y, z, level, param8, motion, clip, flag, blend, link,
/// light count, lights..., ambient, list2 count, list2...;
class CSceneObjectRec
{
public:
    /// Fills the record from a line; false (and m_bValid 0) when a token is missing or bad.
    bool Parse(const CString& strLine);

    BOOL m_bValid = 0;
    int m_nId = 0; ///< the object's number ("kind"), written in hexadecimal
    CString m_strName;
    CString m_strFile; ///< the X file of the object's mesh
    CVector3 m_vPos;
    int m_nLevel = 0;            ///< lowest detail level at which the object is shown
    int m_nParam8 = 0;           ///< kept for the scene set-up (its drawing order)
    int m_nMotion = -1;          ///< index into the motion list, -1 for none
    int m_nClip = -1;            ///< index of a video clip shown on the object, -1 for none
    BOOL m_bFlag = 0;            ///< any non-zero number in the text reads 1
    int m_nBlend = 0;            ///< 0 opaque, else alpha-blended
    int m_nLink = -1;            ///< index into the link list, -1 for none
    int m_nLights = 0;           ///< the light count as read, at most SCENE_MAX_OBJECT_LIGHTS
    std::vector<BYTE> m_aLights; ///< the light numbers 0..255 (others dropped)
    int m_nAmbient = 0;          ///< the object's ambient grey level 0..255
    int m_nList2 = 0;            ///< the second list's count as read
    std::vector<BYTE> m_aList2;  ///< its numbers 0..255 (others dropped)
};

/// One line of [Animations]: clip name, picture name, two values.
class CAnimationRec
{
public:
    /// False when an integer token is missing its separator.
    bool Parse(const CString& strLine);

    CString m_strName;
    CString m_strFile;
    int m_nValue1 = 0;
    int m_nValue2 = 0;
};

/// One line of [Motions]: kind 1 "name, rpm" (a turn about the vertical axis), kind 2
/// "flags (hex), percent" (a lamp's flicker, kept as flags << 16 | value & 0xFFFF), kind 4 two values.
class CMotionRec
{
public:
    /// False when a token is missing its separator; an unknown kind is a record without data.
    bool Parse(const CString& strLine);
    /// The 32-bit word at byte offset nOffset of the data (0 or 4); 0 past the data.
    int GetInt(int nOffset = 0) const;

    BOOL m_bValid = 0; ///< kinds 1 and 2
    int m_nKind = 0;
    CString m_strName;
    std::vector<BYTE> m_pData;
    int m_nDataSize = 0;

private:
    void SetData(std::initializer_list<int> values);
};

/// One line of [Links]: a picture shown on the linked object, what a click on it opens, a text;
/// the rest is filled by the linked scene object from its mesh.
class CLinkRec
{
public:
    /// Takes the three texts; always true (a text runs to the line's end when its separator is missing).
    bool Parse(const CString& strLine);

    CString m_strPicture;
    CString m_strTarget;
    CString m_strText;
    RECT m_rcScreen = {};
    float m_fArea = 0;
    float m_fCenterY = 0;
    float m_fCenterX = 0;
    float m_fCenterZ = 0;
    float m_fWidth = 0;
    float m_fHeight = 0;
};

class CLinkList
{
public:
    int Add(const CLinkRec& rec);
    void RemoveAll() { m_aLinks.clear(); }
    int GetSize() const { return static_cast<int>(m_aLinks.size()); }
    /// A copy of record i; an empty record when i is out of range.
    CLinkRec GetAt(int i) const;
    /// Replaces record i; does nothing when i is out of range.
    void SetAt(int i, const CLinkRec& rec);

private:
    std::vector<CLinkRec> m_aLinks;
};

/// The scene's motions in file order, filled by CSceneReader::ReadMotions. Main thread; tests
/// clear it.
extern std::vector<CMotionRec> g_aMotions;
/// The scene's links, filled by CSceneReader::ReadLinks. Main thread; tests clear it.
extern CLinkList g_linkList;
