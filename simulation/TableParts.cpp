// Cushions, pockets and the bed edge.
//
// Cushion geometry. Each rail runs between two pockets; its face is the segment P1-P2 and the jaws
// P0-P1 and P2-P3 angle back into the pockets. With c45 = cos(pi/4):
//   a = c45 * jaw length, b = c45 * corner opening (where a face meets a corner pocket),
//   c = side pocket half-opening, e = side jaw reach,
//   d = c45 * jaw depth - b / 2 (how far the jaw ends lie behind the rail line).
// The side pockets sit at half the length, H = L / 2.
#include "simulation/TableParts.h"

#include "foundation/Geometry.h"
#include "foundation/TableMap.h"
#include "simulation/Ball.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double W = 1.1176;
constexpr double L = 2.2352;
constexpr double H = L / 2.0;

struct SCushionGeometry
{
    double a, b, c, d, e;
};

const SCushionGeometry& Geometry()
{
    static const SCushionGeometry s_Geometry = []
    {
        const double c45 = std::cos(3.14159265358979323846 / 4.0);
        SCushionGeometry g{};
        g.a = c45 * JAW_LENGTH_M;
        g.b = c45 * CORNER_OPENING_M;
        g.c = SIDE_HALF_OPENING_M;
        g.e = SIDE_JAW_REACH_M;
        g.d = -(g.b / 2.0 - c45 * JAW_DEPTH_M);
        return g;
    }();
    return s_Geometry;
}

/// Points P0 to P3 of cushion n as x, y pairs.
std::array<double, 8> CushionPoints(int n)
{
    const auto [a, b, c, d, e] = Geometry();
    switch (n)
    {
    case 0: // x = 0, upper half
        return {-d, L + d - a, 0, L - b, 0, H + c, -d, H + e};
    case 1: // x = 0, lower half
        return {-d, H - e, 0, H - c, 0, b, -d, a - d};
    case 2: // x = W, upper half
        return {W + d, H + e, W, H + c, W, L - b, W + d, L + d - a};
    case 3: // x = W, lower half
        return {W + d, a - d, W, b, W, H - c, W + d, H - e};
    case 4: // y = L
        return {W + d - a, L + d, W - b, L, b, L, a - d, L + d};
    default: // 5: y = 0
        return {a - d, -d, b, 0, W - b, 0, W + d - a, -d};
    }
}

struct SPocketLayout
{
    double x, y;       ///< position
    double dx, dy, dz; ///< drop direction before normalising
    double lipX, lipY; ///< lip point offset, in units of f / 2 (corners) or r (sides)
    bool bSide;
};

constexpr double S1 = POCKET_CORNER_OUT_M;
constexpr double S2 = POCKET_CORNER_BACK_M;
constexpr double R_POCKET = POCKET_RADIUS_M;

constexpr std::array<SPocketLayout, POCKET_COUNT> POCKETS = {{
    {-S1, L + S1 - S2, -1, 1, -1, +1, -1, false},
    {-R_POCKET, H, -1, 0, -1, +1, 0, true},
    {-S1, -S1 + S2, -1, -1, -1, +1, +1, false},
    {W + S1, L + S1 - S2, 1, 1, -1, -1, -1, false},
    {W + R_POCKET, H, 1, 0, -1, -1, 0, true},
    {W + S1, -S1 + S2, 1, -1, -1, -1, +1, false},
}};

/// The path tests' wall: each face lengthened by this at both ends, reaching this far down (scene
/// units).
constexpr float PATH_FACE_EXTENSION = 0.1f;
constexpr float PATH_WALL_DEPTH = 10.0f;

constexpr std::array<std::array<int, 2>, POCKET_COUNT> JAW_CUSHIONS = {
    {{0, 4}, {1, 0}, {5, 1}, {4, 2}, {2, 3}, {3, 5}}};

double Dot(const CVector3& a, const CVector3& b) { return Dot3(a.x, a.y, a.z, b.x, b.y, b.z); }
} // namespace

// -- CTablePart -----------------------------------------------------------------------------------

BOOL CTablePart::TestContact(CBall&) { return FALSE; }

void CTablePart::Respond(CBall&) {}

BOOL CTablePart::TestPath(const CVector3&, const CVector3&, float, const CTableMap*, CVector3*) { return FALSE; }

// -- CTableSegment --------------------------------------------------------------------------------

CTableSegment::CTableSegment(float x1, float y1, float x2, float y2) : CTablePart(1) { Set(x1, y1, x2, y2); }

void CTableSegment::Set(float x1, float y1, float x2, float y2)
{
    m_vP1.SetVec3(x1, y1, 0.0f);
    m_vP2.SetVec3(x2, y2, 0.0f);
    m_vDir = m_vP2 - m_vP1;
    m_vNormal = CVector3(-m_vDir.y, m_vDir.x, 0.0f).GetNormalized();
    ResetHit();
}

void CTableSegment::ResetHit()
{
    m_vHit = CVector3();
    m_vHitValue.SetVec3(0.0f, -1000.0f, 0.0f);
}

BOOL CTableSegment::TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut)
{
    if (pMap == nullptr)
    {
        ResetHit();
        return FALSE;
    }
    // The face in the scene at the path's height, a little longer than the face itself, and a
    // point far below its end: the wall the path must not pass.
    const CVector3 p1 = pMap->MapPointToTable(m_vP1.x, m_vP1.y, fHeight);
    const CVector3 p2 = pMap->MapPointToTable(m_vP2.x, m_vP2.y, fHeight);
    const CVector3 vAlong = (p2 - p1).GetNormalized();
    const CVector3 e1 = p1 - vAlong * PATH_FACE_EXTENSION;
    const CVector3 e2 = p2 + vAlong * PATH_FACE_EXTENSION;
    const CVector3 vBelow(e2.x, e2.y - PATH_WALL_DEPTH, e2.z);
    const double dLength = (e2 - e1).Length();
    CVector3 vHit;
    if (!IntersectRayTriangle(a, b - a, e1, e2, vBelow, &vHit))
    {
        ResetHit();
        return FALSE;
    }
    m_vHit = vHit;
    m_vHitValue = a;
    // Beside the face: the path passes it.
    if ((vHit - e1).Length() > dLength || (vHit - e2).Length() > dLength)
        return FALSE;
    if ((vHit - a).Length() < (b - a).Length() && vHit.y <= fHeight)
    {
        if (pOut != nullptr)
            *pOut = vHit;
        return TRUE;
    }
    ResetHit();
    return FALSE;
}

BOOL CTableSegment::TestContact(CBall& ball)
{
    const CVector3& p = *ball.GetPosition();
    if (PointLineDistance2D(p.x, p.y, m_vP1.x, m_vP1.y, m_vP2.x, m_vP2.y) > BALL_RADIUS_M)
        return FALSE;
    // The foot of the perpendicular lies on the segment.
    if (AngleBetween(m_vDir, p - m_vP1) > HALF_PI_LITERAL || AngleBetween(m_vDir * -1.0f, p - m_vP2) > HALF_PI_LITERAL)
        return FALSE;
    // Moving into the face, and low enough to meet the nose.
    if (!(AngleBetween(ball.GetVelocity(), m_vNormal) > HALF_PI_LITERAL))
        return FALSE;
    return p.z <= CUSHION_NOSE_HEIGHT_M ? TRUE : FALSE;
}

void CTableSegment::Respond(CBall& ball)
{
    const CVector3& p = *ball.GetPosition();
    // The nose touches the ball below its centre, so the contact normal leans upward.
    const float fLean = (BALL_RADIUS_M + p.z - ball.GetSurfaceHeight() - CUSHION_NOSE_HEIGHT_M) / BALL_RADIUS_M;
    Bounce(ball, CVector3(m_vNormal.x, m_vNormal.y, fLean), m_vDir);
}

void CTableSegment::Bounce(CBall& ball, const CVector3& normal, const CVector3& tangent)
{
    const float fR = BALL_RADIUS_M;
    CVector3 v = ball.GetVelocity();
    v.Reflect(normal.GetNormalized());
    v = v * Coef(g_PhysicsCoefficients.Decay);
    const float s = ball.GetSideSpin().z;
    const CVector3 vTan = tangent.GetNormalized();
    // Side spin throws the rebound along the cushion, unless the ball comes straight off another.
    if (ball.GetLastContactKind() != CONTACT_BALL)
        v += vTan * (-1.0f * s * fR * Coef(g_PhysicsCoefficients.SideSpinInfluence));
    // The rolling speed along the face changes the side spin (AngleBetween gives 0 for a zero
    // tangent, so a corner keeps only a tenth of the spin).
    const double dTheta = AngleBetween(v, vTan);
    const float q = static_cast<float>(-Dot(vTan, v) * std::fabs(std::sin(dTheta)));
    ball.SetSideSpinZ(((q - fR * s) / fR) * Coef(g_PhysicsCoefficients.SideSpinDecay) + s);
    ball.SetLastContactKind(CONTACT_CUSHION);
    ball.SetRollMode(ROLL_MODE_ROLLING);
    ball.SetVelocity(v);
}

// -- CTableCorner ---------------------------------------------------------------------------------

CTableCorner::CTableCorner(float x, float y) : CTablePart(1), m_vPoint(x, y, CUSHION_NOSE_HEIGHT_M - BALL_RADIUS_M) {}

BOOL CTableCorner::TestContact(CBall& ball)
{
    const CVector3& p = *ball.GetPosition();
    const CVector3 vToCorner = m_vPoint - p;
    if (vToCorner.LengthSq() > double(BALL_RADIUS_M) * BALL_RADIUS_M)
        return FALSE;
    if (AngleBetween(vToCorner, ball.GetVelocity()) > HALF_PI_LITERAL)
        return FALSE;
    return p.z <= CUSHION_NOSE_HEIGHT_M ? TRUE : FALSE;
}

void CTableCorner::Respond(CBall& ball) { CTableSegment::Bounce(ball, *ball.GetPosition() - m_vPoint, CVector3()); }

// -- CCushion -------------------------------------------------------------------------------------

CCushion::CCushion(int nNumber) : CTablePart(1), m_nNumber(nNumber)
{
    const std::array<double, 8> ad = CushionPoints(nNumber);
    for (std::size_t i = 0; i < ad.size(); ++i)
        m_afPoints[i] = static_cast<float>(ad[i]);
    for (int i = 0; i < 3; ++i)
    {
        const CVector3 p = GetPoint(i);
        const CVector3 q = GetPoint(i + 1);
        m_aSegments[static_cast<std::size_t>(i)].Set(p.x, p.y, q.x, q.y);
    }
    for (int i = 0; i < 4; ++i)
    {
        const CVector3 p = GetPoint(i);
        m_aCorners[static_cast<std::size_t>(i)] = CTableCorner(p.x, p.y);
    }
}

CVector3 CCushion::GetPoint(int i) const
{
    const auto k = static_cast<std::size_t>(2 * i);
    return CVector3(m_afPoints.at(k), m_afPoints.at(k + 1), 0.0f);
}

CTablePart& CCushion::SubPart(int i)
{
    if (i < 3)
        return m_aSegments[static_cast<std::size_t>(i)];
    return m_aCorners[static_cast<std::size_t>(i - 3)];
}

BOOL CCushion::TestContact(CBall& ball)
{
    if (!ball.IsMoving() || ball.IsRollMode4())
        return FALSE;
    // Quick reject: the ball is more than a radius on the table side of the rail line.
    const CVector3& p = *ball.GetPosition();
    const CVector3 p1 = GetPoint(1);
    const float fR = BALL_RADIUS_M;
    switch (m_nNumber)
    {
    case 0:
    case 1:
        if (p.x > p1.x + fR)
            return FALSE;
        break;
    case 2:
    case 3:
        if (p.x < p1.x - fR)
            return FALSE;
        break;
    case 4:
        if (p.y < p1.y - fR)
            return FALSE;
        break;
    default:
        if (p.y > p1.y + fR)
            return FALSE;
        break;
    }
    for (int i = 0; i < 7; ++i)
    {
        if (SubPart(i).TestContact(ball))
        {
            m_nLastHit = i;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CCushion::TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut)
{
    for (CTableSegment& face : m_aSegments)
    {
        if (face.TestPath(a, b, fHeight, pMap, pOut))
            return TRUE;
    }
    return FALSE;
}

void CCushion::Respond(CBall& ball)
{
    if (m_nLastHit < 0)
        return;
    SubPart(m_nLastHit).Respond(ball);
    ball.SetCushionContact(1);
}

// -- CWorldObject (pocket) ------------------------------------------------------------------------

CWorldObject::CWorldObject(int nNumber) : CTablePart(2), m_nNumber(nNumber), m_fRadius(POCKET_RADIUS_M)
{
    const SPocketLayout& k = POCKETS.at(static_cast<std::size_t>(nNumber));
    m_vPosition.SetVec3(static_cast<float>(k.x), static_cast<float>(k.y), 0.0f);
    m_vDropDir = CVector3(static_cast<float>(k.dx), static_cast<float>(k.dy), static_cast<float>(k.dz)).GetNormalized();
    // Corner lips sit half of f along each axis, f = c45 * (r + lip reach); side lips one r in.
    const double c45 = std::cos(3.14159265358979323846 / 4.0);
    const double dUnit = k.bSide ? R_POCKET : c45 * (R_POCKET + POCKET_LIP_REACH_M) / 2.0;
    m_vLipPoint.SetVec3(static_cast<float>(k.x + k.lipX * dUnit), static_cast<float>(k.y + k.lipY * dUnit), 0.0f);
}

void CWorldObject::SetMouth(const CCushion& first, const CCushion& second)
{
    const CVector3 p = first.GetPoint(0);
    const CVector3 q = second.GetPoint(3);
    SetMouth(p.x, p.y, q.x, q.y);
}

std::array<int, 2> CWorldObject::GetJawCushions(int nPocket)
{
    return JAW_CUSHIONS.at(static_cast<std::size_t>(nPocket));
}

BOOL CWorldObject::TestCapture(CBall& ball, BOOL bDropping)
{
    if (!ball.IsMoving())
        return FALSE;
    const CVector3& p = *ball.GetPosition();
    const float fDeep = -2.0f * BALL_RADIUS_M;
    const BOOL bDropMode = ball.IsRollMode4();
    // A ball already falling into this pocket counts once it is deep enough.
    if (bDropMode && ball.GetPocket() == m_nNumber)
        return p.z < fDeep ? TRUE : FALSE;
    const float k = bDropMode ? POCKET_DROP_REACH_M : m_fRadius;
    if (std::fabs(p.x - m_vPosition.x) > k || std::fabs(p.y - m_vPosition.y) > k || p.z > CUSHION_NOSE_HEIGHT_M)
        return FALSE;
    if (!((m_vPosition - p).LengthSq() < double(m_fRadius) * m_fRadius || bDropMode))
        return FALSE;
    if (bDropping && !bDropMode)
    {
        ball.SetRollMode(ROLL_MODE_DROPPING);
        ball.SetPocketNumber(m_nNumber);
        const float fSpeed = std::clamp(static_cast<float>(ball.GetSpeed()), POCKET_DROP_MIN_MPS, POCKET_DROP_MAX_MPS);
        ball.SetVelocity(m_vDropDir * fSpeed);
    }
    return (!bDropping || p.z < fDeep) ? TRUE : FALSE;
}

void CWorldObject::Respond(CBall& ball) { ball.SetPocketed(TRUE, TRUE, m_nNumber); }

BOOL CWorldObject::TestPath(const CVector3& a, const CVector3& b, float fHeight, const CTableMap* pMap, CVector3* pOut)
{
    return m_Mouth.TestPath(a, b, fHeight, pMap, pOut);
}

// -- CBedEdge -------------------------------------------------------------------------------------

BOOL CBedEdge::TestContact(CBall& ball)
{
    // A ball falling into a pocket is left to fall: pushing it back would make it drift across the
    // bed while it sinks.
    if (ball.GetRollMode() == ROLL_MODE_FLYING || ball.IsRollMode4() || ball.GetPosition()->z < -0.1f)
        return FALSE;
    const float fR = BALL_RADIUS_M;
    const float x0 = -CUSHION_BAND_M;
    const float x1 = TABLE_WIDTH_M + CUSHION_BAND_M;
    const float y0 = -CUSHION_BAND_M;
    const float y1 = TABLE_LENGTH_M + CUSHION_BAND_M;
    CVector3 p = *ball.GetPosition();
    CVector3 v = ball.GetVelocity();
    BOOL bHit = FALSE;
    // Every side alike: only a ball moving towards it is put back.
    if (p.x < x0 + fR && v.x < 0.0f)
    {
        p.x = x0 + fR;
        v.x = -v.x;
        bHit = TRUE;
    }
    if (p.x > x1 - fR && v.x > 0.0f)
    {
        p.x = x1 - fR;
        v.x = -v.x;
        bHit = TRUE;
    }
    if (p.y > y1 - fR && v.y > 0.0f)
    {
        p.y = y1 - fR;
        v.y = -v.y;
        bHit = TRUE;
    }
    if (p.y < y0 + fR && v.y < 0.0f)
    {
        p.y = y0 + fR;
        v.y = -v.y;
        bHit = TRUE;
    }
    if (!bHit)
        return FALSE;
    ball.SetPosition(p);
    ball.SetVelocity(v);
    return TRUE;
}
