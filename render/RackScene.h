// The frame the window shows until the game flow sets its scene up: the game's room and table
// from the default camera with an eight-ball rack painted by the software ball painter, drawn
// into the framework's back buffer and shown.
#pragma once

#include "render/BallPainter.h"
#include "render/SceneObject.h"

#include <memory>
#include <string_view>
#include <vector>

class CD3DFramework;

class CRackScene
{
public:
    /// Builds the scene on the framework's device: the scene text and textures from the artwork
    /// libraries, the disc table at strTablesPath, the first ball-set library's standard set.
    /// FALSE, and nothing drawn later, when the scene text is missing.
    BOOL SetUp(CD3DFramework& framework, std::string_view strTablesPath);
    /// Clears the frame, draws the room and table and paints the balls, farthest first.
    HRESULT Render(CD3DFramework& framework);
    BOOL IsReady() const { return m_bReady; }
    /// Drops the scene objects and their lamps (the textures stay with the texture manager).
    void Release();

private:
    void PaintBalls(CD3DFramework& framework);

    std::vector<std::unique_ptr<CSceneObject>> m_objects;
    CBallPainter m_painter;
    std::vector<SBallPose> m_poses;
    BOOL m_bReady = FALSE;
};
