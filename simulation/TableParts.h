// The table's fixed colliders: six cushions (each three faces and four corners), six pockets and
// the bed's edge. A ball engine owns one full set and asks each part, after every step, whether a
// ball touches it and then lets it respond.
//
// Pockets and cushions are numbered 0 to 5. Pockets: 0 and 3 at the far corners (y = L), 1 and 4
// the side pockets, 2 and 5 the near corners (y = 0); 0, 1, 2 on the x = 0 side. Cushions: 0 and 1
// on x = 0 (upper and lower half), 2 and 3 on x = W, 4 at y = L, 5 at y = 0.
#pragma once

#include "foundation/SceneObjectBase.h"
#include "foundation/Vector3.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"

#include <array>

class CBall;
class CTableMap;

inline constexpr int CUSHION_COUNT = 6;
inline constexpr int POCKET_COUNT = 6;

/// Common base of every table part: a scene object with a type id (1 for cushions and their parts
/// and the bed edge, 2 for pockets) and the index -1, and the contact test and response that the
/// engine calls.
class CTablePart : public CSceneObjectBase
{
public:
    explicit CTablePart(int nTypeId) : CSceneObjectBase(nTypeId, -1) {}
    virtual ~CTablePart() = default;
    CTablePart(const CTablePart&) = default;
    CTablePart& operator=(const CTablePart&) = default;

    /// 1 when the ball touches the part (and, for the bed edge, has been put back).
    virtual BOOL TestContact(CBall& ball);
    /// Changes the ball's motion after a contact that TestContact reported.
    virtual void Respond(CBall& ball);
    /// Draws the part on the table diagram (TableDiagram.h) in the context's pen: a cushion its
    /// faces and corners, a face its line, a corner a square around its point; others nothing.
    virtual void Draw(HDC hDC) const;
    /// Draws the part's mark on the diagram: a pocket its capture circle; others nothing.
    virtual void DrawMark(HDC hDC) const;
    /// The line between two table points on the diagram (MoveToEx, LineTo).
    void DrawLine(HDC hDC, const CVector3& a, const CVector3& b) const;
    /// Path test for the computer player's shot planning, in scene coordinates (y up): 1 when the
    /// straight path from a to b at height fHeight meets the part before b; pOut (may be null)
    /// receives the meeting point. pMap maps the part's table points into the scene. Parts without
    /// a face (corners, the bed edge) answer 0.
    virtual BOOL TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut);
};

/// A straight cushion face between two points on the bed's plane.
class CTableSegment : public CTablePart
{
public:
    CTableSegment() : CTablePart(1) {}
    CTableSegment(float x1, float y1, float x2, float y2);

    void Set(float x1, float y1, float x2, float y2);

    /// The ball is within R of the face's line, over the face, moving into it, and not above the
    /// cushion nose.
    BOOL TestContact(CBall& ball) override;
    /// Bounces the ball off the face; the normal tilts up because the nose is below the ball's
    /// centre.
    void Respond(CBall& ball) override;
    void Draw(HDC hDC) const override;
    /// Meets the vertical wall that hangs 10 units below the face mapped into the scene at the
    /// path's height, lengthened by 0.1 at both ends.
    BOOL TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut) override;

    /// Reflects the ball's velocity on `normal`, takes off the cushion's share of the speed, throws
    /// it along `tangent` by its side spin and changes the side spin. A zero tangent (a corner)
    /// only keeps a tenth of the side spin.
    static void Bounce(CBall& ball, const CVector3& normal, const CVector3& tangent);

    CVector3 GetStart() const { return m_vP1; }
    CVector3 GetEnd() const { return m_vP2; }
    CVector3 GetDirection() const { return m_vDir; }
    /// Unit normal on the bed's plane, pointing to the side the balls come from.
    const CVector3& GetNormal() const { return m_vNormal; }
    /// The last path test's hit point and hit value (the path's start), or (0, 0, 0) and
    /// (0, -1000, 0) after a path test that found nothing.
    const CVector3& GetHit() const { return m_vHit; }
    const CVector3& GetHitValue() const { return m_vHitValue; }

private:
    void ResetHit();

    CVector3 m_vP1;       ///< start point (m, z = 0)
    CVector3 m_vP2;       ///< end point (m, z = 0)
    CVector3 m_vDir;      ///< P2 - P1 (m)
    CVector3 m_vNormal;   ///< unit (-dir.y, dir.x, 0)
    CVector3 m_vHit;      ///< last path-test hit point
    CVector3 m_vHitValue; ///< last path-test hit value
};

/// The rounded end of a cushion face: a point at the nose height less one radius.
class CTableCorner : public CTablePart
{
public:
    CTableCorner() : CTablePart(1) {}
    CTableCorner(float x, float y);

    BOOL TestContact(CBall& ball) override;
    void Respond(CBall& ball) override;
    void Draw(HDC hDC) const override;

    const CVector3& GetPoint() const { return m_vPoint; }

private:
    CVector3 m_vPoint; ///< (x, y, h - R) (m)
};

/// One rail between two pockets: the near jaw, the rail face, the far jaw, and four corners.
class CCushion : public CTablePart
{
public:
    /// Cushion nNumber (0 to 5) with its corner points from the table's geometry.
    explicit CCushion(int nNumber);

    /// 0 unless the ball moves; a ball falling into a pocket is not pushed by the cushions.
    /// Otherwise asks its faces and corners in order and remembers the first that is touched.
    BOOL TestContact(CBall& ball) override;
    /// The remembered part's response; marks the ball's cushion contact.
    void Respond(CBall& ball) override;
    /// The three faces, then the four corners.
    void Draw(HDC hDC) const override;
    /// Asks the three faces in order.
    BOOL TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut) override;

    int GetNumber() const { return m_nNumber; }
    /// Corner point i (0 to 3) on the bed's plane (z = 0).
    CVector3 GetPoint(int i) const;
    const CTableSegment& GetSegment(int i) const { return m_aSegments.at(static_cast<std::size_t>(i)); }
    const CTableCorner& GetCorner(int i) const { return m_aCorners.at(static_cast<std::size_t>(i)); }
    /// The sub-part last touched: 0 to 2 the faces, 3 to 6 the corners, -1 none.
    int GetLastHit() const { return m_nLastHit; }

private:
    CTablePart& SubPart(int i);

    int m_nNumber;
    std::array<float, 8> m_afPoints{}; ///< P0 to P3 as x, y pairs (m)
    std::array<CTableSegment, 3> m_aSegments;
    std::array<CTableCorner, 4> m_aCorners;
    int m_nLastHit = -1;
};

/// A pocket: its position, capture radius, the direction a caught ball drops in, the lip point in
/// front of it, and its mouth between the jaws of its two cushions.
class CWorldObject : public CTablePart
{
public:
    /// Pocket nNumber (0 to 5); its mouth is set by SetMouth.
    explicit CWorldObject(int nNumber);

    /// Capture test. A ball within the capture radius is caught. With bDropping (the live table)
    /// it first drops along the drop direction and is reported once its centre is 2R below the
    /// bed; without (the aiming aid) it is reported at once.
    BOOL TestCapture(CBall& ball, BOOL bDropping);
    /// Marks the ball pocketed in this pocket.
    void Respond(CBall& ball) override;
    void DrawMark(HDC hDC) const override;
    /// Asks the mouth.
    BOOL TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut) override;

    /// The mouth between the jaw points (x1, y1) and (x2, y2).
    void SetMouth(float x1, float y1, float x2, float y2) { m_Mouth.Set(x1, y1, x2, y2); }
    /// The mouth between the first point of `first` and the fourth point of `second`.
    void SetMouth(const CCushion& first, const CCushion& second);

    int GetNumber() const { return m_nNumber; }
    const CTableSegment& GetMouth() const { return m_Mouth; }
    const CVector3& GetPosition() const { return m_vPosition; }
    float GetRadius() const { return m_fRadius; }
    const CVector3& GetDropDirection() const { return m_vDropDir; }
    const CVector3& GetLipPoint() const { return m_vLipPoint; }
    /// Aim points: the near one is the lip point (towards the bed), the far one the position.
    const CVector3& GetNearPoint() const { return m_vLipPoint; }
    const CVector3& GetFarPoint() const { return m_vPosition; }

    /// The two cushions whose jaws make pocket i's mouth (first point of the first, fourth of the
    /// second).
    static std::array<int, 2> GetJawCushions(int nPocket);

private:
    int m_nNumber;
    CTableSegment m_Mouth;
    CVector3 m_vPosition; ///< centre of the capture circle (m, z = 0)
    float m_fRadius;      ///< capture radius (m)
    CVector3 m_vDropDir;  ///< unit direction a caught ball falls in
    CVector3 m_vLipPoint; ///< aim point in front of the pocket (m, z = 0)
};

/// The outer border of the cushion band: a ball that gets past the cushions (through a pocket's
/// mouth without being caught) is put back one radius inside it.
class CBedEdge : public CTablePart
{
public:
    CBedEdge() : CTablePart(1) {}

    /// Puts a ball that crossed a side back, its velocity component reversed; 1 when it did.
    /// Balls in the air, on the floor or falling into a pocket are left alone.
    BOOL TestContact(CBall& ball) override;
};
