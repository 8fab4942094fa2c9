// The sixteen ball objects of the scene, one per ball number, owned here once. The list of the
// balls drawn on the table, the list of the pocketed ones (in the order they dropped) and the list
// of hidden ball numbers only refer to them. Each object keeps the pose the ball painter draws it
// in: its centre and axes in the scene, taken from the live engine.
#pragma once

#include "platform/win32/WinTypes.h"
#include "render/RackScene.h"
#include "render/SceneObject.h"

#include <array>
#include <memory>
#include <vector>

class CBall;

class CBallObjects
{
public:
    static constexpr int BALL_OBJECTS = 16;

    /// The sixteen objects, none drawn, every number hidden.
    CBallObjects();

    CBallSceneObject& Get(int n) { return *m_apObjects.at(static_cast<std::size_t>(n)); }
    const std::vector<CBallSceneObject*>& Drawn() const { return m_Drawn; }
    const std::vector<CBallSceneObject*>& Pocketed() const { return m_Pocketed; }
    const std::vector<int>& Hidden() const { return m_Hidden; }
    bool IsHidden(int n) const;

    /// Every list emptied and every number hidden: the previous rack's balls leave the scene.
    void Clear();
    /// Balls 0 to n - 1 drawn (each once) and no longer hidden.
    void AddBalls(int n);
    /// The lists follow the ball masks (bit n for ball n): the drawn list in number order, the
    /// pocketed one keeping the order the balls dropped in with newly pocketed balls after it, and
    /// the numbers in neither list hidden.
    void Refresh(WORD wOnTable, WORD wPocketed);

    /// Ball n's object at the live ball's place and turned as it rolled. The flow places the
    /// moving balls at every tick, drawn or not: the pose is worked out when it is next asked for.
    void Place(int n, const CBall& ball);
    /// Ball n's object turned, where it stands, to face along vFacing (unit length) with its up axis
    /// as near the scene's up as that allows.
    void Face(int n, const CVector3& vFacing);
    const SSceneBall& GetPose(int n) const;
    /// The poses of the drawn balls that are not hidden, in the drawn list's order.
    std::vector<SSceneBall> DrawnPoses() const;

private:
    void Show(int n);

    std::array<std::unique_ptr<CBallSceneObject>, BALL_OBJECTS> m_apObjects;
    /// Where a ball was last placed on the table and how it was turned, until its pose follows.
    struct SPlacing
    {
        CVector3 vPosition, vOrY, vOrZ;
        bool bPending = false;
    };

    mutable std::array<SSceneBall, BALL_OBJECTS> m_aPoses{};
    mutable std::array<SPlacing, BALL_OBJECTS> m_aPlacings{};
    std::vector<CBallSceneObject*> m_Drawn;
    std::vector<CBallSceneObject*> m_Pocketed;
    std::vector<int> m_Hidden;
};
