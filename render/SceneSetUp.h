// The scene as the game builds it before a rack: the lamps of the scene text's light lines, the
// room's objects and the table's parts with their meshes, records and lamps, enabled and ordered
// for drawing, every texture made on the device. The balls are left to their painter.
#pragma once

#include "render/SceneObject.h"
#include "render/SceneRecords.h"

#include <memory>
#include <vector>

class CDirect3DDevice;

/// What the scene text says beyond its objects.
struct SSceneText
{
    int nBallOrder = 0;                    ///< the balls' line's drawing order (it makes no object)
    std::vector<CAnimationRec> animations; ///< the clips shown on objects, by the objects' clip index
};

/// Reads the scene from the artwork libraries into objects, each of the class its kind asks for
/// (2 the cue, with its extent; 32 the object that can be hidden; any other a plain one), sorted
/// by their drawing order; FALSE when the scene text is missing. What else the text says goes to pText.
BOOL BuildSceneObjects(CDirect3DDevice& device, std::vector<std::unique_ptr<CSceneObject>>& objects,
                       SSceneText* pText = nullptr);

/// Turns the object about its up axis by the time elapsed, in seconds, when its motion is a turn
/// (kind 1, revolutions per minute); whether it turned.
bool TurnSceneObject(CSceneObject& object, float fSeconds);
/// Draws the enabled objects in list order into the scene the caller began.
void RenderSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                        const std::vector<std::unique_ptr<CSceneObject>>& objects);
/// Draws the enabled objects in list order inside one scene.
HRESULT DrawSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                         const std::vector<std::unique_ptr<CSceneObject>>& objects);
