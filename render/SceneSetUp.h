// The scene as the game builds it before a rack: the lamps of the scene text's light lines, the
// room's objects and the table's parts with their meshes, records and lamps, enabled and ordered
// for drawing, every texture made on the device, and the room's box the camera keeps inside. The
// balls are left to their painter.
#pragma once

#include "render/SceneObject.h"
#include "render/SceneRecords.h"

#include <array>
#include <memory>
#include <vector>

class CDirect3DDevice;

/// The box the camera keeps inside when the scene text has no "Bounds" line: minimum x, y, z, then
/// maximum x, y, z.
inline constexpr std::array<float, 6> DEFAULT_CAMERA_BOUNDS = {-205.0f, 0.0f, -265.5f, 238.0f, 135.67f, 250.0f};

/// What the scene text says beyond its objects.
struct SSceneText
{
    int nBallOrder = 0;                    ///< the balls' line's drawing order (it makes no object)
    bool bHasLights = false;               ///< the text has light lines (its lamps are made from them)
    std::vector<CAnimationRec> animations; ///< the clips shown on objects, by the objects' clip index
    /// The room's box that the camera keeps inside, from the "Bounds" line; numbers the line lacks
    /// keep the default box's.
    std::array<float, 6> afCameraBounds = DEFAULT_CAMERA_BOUNDS;
    /// The balls' line (kind 0x10): the lamps it names light the sixteen ball objects; invalid
    /// when the text has none.
    CSceneObjectRec ballTemplate;
    /// The [Pure Lights] line: its first number, then the lamps lit when the device does not
    /// light the scene (the default-light list).
    int nPureLightsFirst = 0;
    std::vector<int> anDefaultLights;
};

/// The numbers of a [Pure Lights] line: the first, then the list, read while more than two
/// characters remain; a number without its separator ends the list.
void ParsePureLights(const CString& strLine, int& nFirst, std::vector<int>& anList);

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
