// The table drawn as a diagram (TableDiagram.h): the balls' discs, the cushions' faces and
// corners, the pockets' capture circles, and the ball engine's whole table.
#include "simulation/TableDiagram.h"

#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/TableParts.h"

#include <algorithm>
#include <cmath>

namespace
{
/// The farthest a diagram coordinate goes either way. Pixels. Far beyond any ball (a ball stops
/// 3 m off the table), and small enough that no coordinate arithmetic of GDI can overflow.
constexpr double MAX_DIAGRAM_PIXEL = 1000000.0;
} // namespace

int DiagramPixels(double dMetres)
{
    const double dPixels = std::clamp(dMetres * DIAGRAM_PIXELS_PER_M, -MAX_DIAGRAM_PIXEL, MAX_DIAGRAM_PIXEL);
    return static_cast<int>(std::lround(dPixels));
}

POINT TableToDiagram(const CVector3& p) { return POINT{DiagramPixels(p.x), DiagramPixels(p.y)}; }

// -- Balls -----------------------------------------------------------------------------------------

void CBall::Draw2D(HDC hDC) const
{
    const POINT c = TableToDiagram(m_vPos);
    const int r = DiagramPixels(BALL_RADIUS_M);
    Ellipse(hDC, c.x - r, c.y - r, c.x + r, c.y + r);
    if (m_nIndex != GetCueBallNumber())
        return;
    // The cue ball carries a cross of half its radius.
    const int h = r / 2;
    MoveToEx(hDC, c.x - h, c.y, nullptr);
    LineTo(hDC, c.x + h + 1, c.y);
    MoveToEx(hDC, c.x, c.y - h, nullptr);
    LineTo(hDC, c.x, c.y + h + 1);
}

// -- Table parts -----------------------------------------------------------------------------------

void CTablePart::Draw(HDC) const {}

void CTablePart::DrawMark(HDC) const {}

void CTablePart::DrawLine(HDC hDC, const CVector3& a, const CVector3& b) const
{
    const POINT pa = TableToDiagram(a);
    const POINT pb = TableToDiagram(b);
    MoveToEx(hDC, pa.x, pa.y, nullptr);
    LineTo(hDC, pb.x, pb.y);
}

void CTableSegment::Draw(HDC hDC) const { DrawLine(hDC, m_vP1, m_vP2); }

void CTableCorner::Draw(HDC hDC) const
{
    const float s = static_cast<float>(DIAGRAM_CORNER_HALF_SIZE_M);
    const CVector3 aCorners[] = {m_vPoint + CVector3(-s, -s, 0.0f), m_vPoint + CVector3(s, -s, 0.0f),
                                 m_vPoint + CVector3(s, s, 0.0f), m_vPoint + CVector3(-s, s, 0.0f)};
    for (std::size_t i = 0; i < std::size(aCorners); ++i)
        DrawLine(hDC, aCorners[i], aCorners[(i + 1) % std::size(aCorners)]);
}

void CCushion::Draw(HDC hDC) const
{
    for (const CTableSegment& segment : m_aSegments)
        segment.Draw(hDC);
    for (const CTableCorner& corner : m_aCorners)
        corner.Draw(hDC);
}

void CWorldObject::DrawMark(HDC hDC) const
{
    // The capture circle, as an outline: the pocket is a hole, not a disc.
    const POINT c = TableToDiagram(m_vPosition);
    const int r = DiagramPixels(m_fRadius);
    const HGDIOBJ hOld = SelectObject(hDC, GetStockObject(NULL_BRUSH));
    Ellipse(hDC, c.x - r, c.y - r, c.x + r, c.y + r);
    SelectObject(hDC, hOld);
}

// -- The engine's table ----------------------------------------------------------------------------

void CBallEngine::NotifyAll(HDC hDC)
{
    std::lock_guard lock(m_Lock);
    for (const auto& pBall : m_Balls)
        pBall->Draw2D(hDC);
    for (const CCushion& cushion : m_Cushions)
        cushion.Draw(hDC);
}
