// Where the ball engine's table points lie in the 3-D scene. The engine measures in metres with x
// across the bed, y along it and z up from the cloth; the scene measures in inches with y up, the
// table's centre above the origin and the cloth 26 inches above the floor. The engine's y runs
// along the scene's z, so that the head of the table (small y) lies at -z and a camera that looks
// along +z from there sees the table as the engine has it, not mirrored: the scene's frame is
// left-handed, the engine's right-handed.
#pragma once

#include "foundation/Vector3.h"

/// The cloth's height in the scene.
inline constexpr float SCENE_BED_HEIGHT = 26.0f;

/// The scene point of a table point.
CVector3 TableToScene(const CVector3& vTable);
/// The table point of a scene point (the inverse of TableToScene).
CVector3 SceneToTable(const CVector3& vScene);
/// The scene direction of a table direction (turned, not moved or scaled).
CVector3 TableDirectionToScene(const CVector3& vTable);
