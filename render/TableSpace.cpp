#include "render/TableSpace.h"

#include "simulation/PhysicsConstants.h"

namespace
{
constexpr float INCHES_PER_METRE = 1.0f / 0.0254f;
}

CVector3 TableToScene(const CVector3& vTable)
{
    return CVector3((vTable.x - TABLE_WIDTH_M / 2.0f) * INCHES_PER_METRE,
                    SCENE_BED_HEIGHT + vTable.z * INCHES_PER_METRE,
                    (vTable.y - TABLE_LENGTH_M / 2.0f) * INCHES_PER_METRE);
}

CVector3 SceneToTable(const CVector3& vScene)
{
    return CVector3(vScene.x / INCHES_PER_METRE + TABLE_WIDTH_M / 2.0f,
                    vScene.z / INCHES_PER_METRE + TABLE_LENGTH_M / 2.0f,
                    (vScene.y - SCENE_BED_HEIGHT) / INCHES_PER_METRE);
}

CVector3 TableDirectionToScene(const CVector3& vTable) { return CVector3(vTable.x, vTable.z, vTable.y); }
