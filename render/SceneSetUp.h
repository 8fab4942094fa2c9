// The scene as the game builds it before a rack: the lamps of the scene text's light lines, the
// room's objects and the table's parts with their meshes, records and lamps, enabled and ordered
// for drawing, every texture made on the device. The balls are left to their painter.
#pragma once

#include "render/SceneObject.h"

#include <memory>
#include <vector>

class CDirect3DDevice;

/// Reads the scene from the artwork libraries into objects; FALSE when the scene text is missing.
/// The balls' line makes no object; its drawing order goes to pnBallOrder when given.
BOOL BuildSceneObjects(CDirect3DDevice& device, std::vector<std::unique_ptr<CSceneObject>>& objects,
                       int* pnBallOrder = nullptr);

/// Turns the object about its up axis by the time elapsed, in seconds, when its motion is a turn
/// (kind 1, revolutions per minute); whether it turned.
bool TurnSceneObject(CSceneObject& object, float fSeconds);
/// Draws the enabled objects in list order into the scene the caller began.
void RenderSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                        const std::vector<std::unique_ptr<CSceneObject>>& objects);
/// Draws the enabled objects in list order inside one scene.
HRESULT DrawSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                         const std::vector<std::unique_ptr<CSceneObject>>& objects);
