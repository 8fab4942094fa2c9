#include "gameflow/BallObjects.h"

#include "foundation/Matrix.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"

#include <algorithm>

namespace
{
/// The rows of a ball's axes: x = y cross z, then y and z.
D3DMATRIX AxesMatrix(const CVector3& vY, const CVector3& vZ)
{
    const CVector3 vX = vY.Cross(vZ).GetNormalized();
    D3DMATRIX m;
    MatrixSetIdentity(m);
    const CVector3* aAxes[] = {&vX, &vY, &vZ};
    for (int k = 0; k < 3; ++k)
    {
        m.m[k][0] = aAxes[k]->x;
        m.m[k][1] = aAxes[k]->y;
        m.m[k][2] = aAxes[k]->z;
    }
    return m;
}

/// A ball's axes in the scene from its two orientation vectors on the table.
D3DMATRIX SceneOrientation(const CVector3& vOrY, const CVector3& vOrZ)
{
    return AxesMatrix(TableDirectionToScene(vOrY).GetNormalized(), TableDirectionToScene(vOrZ).GetNormalized());
}

bool Contains(const std::vector<CBallSceneObject*>& list, const CBallSceneObject* pObject)
{
    return std::find(list.begin(), list.end(), pObject) != list.end();
}
} // namespace

CBallObjects::CBallObjects()
{
    for (int n = 0; n < BALL_OBJECTS; ++n)
    {
        auto& pObject = m_apObjects[static_cast<std::size_t>(n)];
        pObject = std::make_unique<CBallSceneObject>();
        pObject->m_nBall = n;
        SSceneBall& pose = m_aPoses[static_cast<std::size_t>(n)];
        pose.nBall = n;
        MatrixSetIdentity(pose.matOrientation);
    }
    Clear();
}

bool CBallObjects::IsHidden(int n) const { return std::find(m_Hidden.begin(), m_Hidden.end(), n) != m_Hidden.end(); }

void CBallObjects::Clear()
{
    m_Drawn.clear();
    m_Pocketed.clear();
    m_Hidden.clear();
    for (int n = 0; n < BALL_OBJECTS; ++n)
        m_Hidden.push_back(n);
}

void CBallObjects::Show(int n) { std::erase(m_Hidden, n); }

void CBallObjects::AddBalls(int n)
{
    for (int i = 0; i < std::min(n, BALL_OBJECTS); ++i)
    {
        CBallSceneObject* pObject = &Get(i);
        if (!Contains(m_Drawn, pObject))
            m_Drawn.push_back(pObject);
        Show(i);
    }
}

void CBallObjects::Refresh(WORD wOnTable, WORD wPocketed)
{
    const auto bit = [](int n) { return static_cast<WORD>(1u << n); };
    wPocketed = static_cast<WORD>(wPocketed & ~wOnTable);
    m_Drawn.clear();
    std::erase_if(m_Pocketed, [&](const CBallSceneObject* p) { return (wPocketed & bit(p->m_nBall)) == 0; });
    m_Hidden.clear();
    for (int n = 0; n < BALL_OBJECTS; ++n)
    {
        CBallSceneObject* pObject = &Get(n);
        if ((wOnTable & bit(n)) != 0)
            m_Drawn.push_back(pObject);
        else if ((wPocketed & bit(n)) == 0)
            m_Hidden.push_back(n);
        else if (!Contains(m_Pocketed, pObject))
            m_Pocketed.push_back(pObject);
    }
}

void CBallObjects::Place(int n, const CBall& ball)
{
    SPlacing& placing = m_aPlacings.at(static_cast<std::size_t>(n));
    placing.vPosition = *ball.GetPosition();
    ball.GetOrientation(placing.vOrY, placing.vOrZ);
    placing.bPending = true;
    // The object's mesh (when the scene gave it one) stands where the ball is painted, turned as
    // it is: its place is what its shadow is cast from.
    CBallSceneObject& object = Get(n);
    if (object.GetFrame() == nullptr)
        return;
    const SSceneBall& pose = GetPose(n);
    CVector3 vNow;
    object.GetPosition(nullptr, vNow);
    object.SetPositionRelative(&object, pose.vCentre.x - vNow.x, pose.vCentre.y - vNow.y, pose.vCentre.z - vNow.z);
    const D3DMATRIX& m = pose.matOrientation;
    object.SetOrientationRelative(&object, CVector3(m.m[2][0], m.m[2][1], m.m[2][2]),
                                  CVector3(m.m[1][0], m.m[1][1], m.m[1][2]));
}

void CBallObjects::Face(int n, const CVector3& vFacing)
{
    // The up axis is the scene's up made perpendicular to the facing; straight up or down it is
    // the depth axis instead. A placing still pending is taken first, so it cannot undo the turn.
    const CVector3 vUp(0.0f, 1.0f, 0.0f);
    CVector3 vY = vUp - vFacing * static_cast<float>(VectorDot(vFacing, vUp));
    if (vY.LengthSq() < 1e-8f)
        vY = CVector3(0.0f, 0.0f, 1.0f);
    GetPose(n);
    m_aPoses.at(static_cast<std::size_t>(n)).matOrientation = AxesMatrix(vY.GetNormalized(), vFacing);
}

const SSceneBall& CBallObjects::GetPose(int n) const
{
    const auto i = static_cast<std::size_t>(n);
    SSceneBall& pose = m_aPoses.at(i);
    if (SPlacing& placing = m_aPlacings[i]; placing.bPending)
    {
        pose.vCentre = TableToScene(placing.vPosition);
        pose.matOrientation = SceneOrientation(placing.vOrY, placing.vOrZ);
        placing.bPending = false;
    }
    return pose;
}

std::vector<SSceneBall> CBallObjects::DrawnPoses() const
{
    std::vector<SSceneBall> poses;
    poses.reserve(m_Drawn.size());
    for (const CBallSceneObject* pObject : m_Drawn)
        if (!IsHidden(pObject->m_nBall))
            poses.push_back(GetPose(pObject->m_nBall));
    return poses;
}
