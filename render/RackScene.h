// The scene the window shows until the game flow sets its own up: the game's room and table from
// the default camera (the camera object's reset orbit about the table's centre) with an eight-ball
// rack painted by the software ball painter.
#pragma once

#include "render/BallPainter.h"
#include "render/SceneObject.h"

#include <memory>
#include <vector>

class CD3DFramework;

class CRackScene
{
public:
    CRackScene() { m_camera.Reset(); }

    /// Builds the scene on the framework's device (the scene text and textures from the artwork
    /// libraries) and loads the first ball-set library's standard set into the painter. FALSE,
    /// and nothing drawn later, when the scene text is missing.
    BOOL SetUp(CD3DFramework& framework, CBallPainter& painter);
    /// The view from the camera's orbit about the table's centre, into g_matView.
    void UpdateView() const;
    /// Draws the room and table into the scene the caller began and paints the balls, farthest
    /// first, over the viewport above the panel.
    void Draw(CD3DFramework& framework, CBallPainter& painter);
    BOOL IsReady() const { return m_bReady; }
    /// Drops the scene objects and their lamps (the textures stay with the texture manager).
    void Release();

private:
    void PaintBalls(CD3DFramework& framework, CBallPainter& painter);

    CCameraObject m_camera;
    std::vector<std::unique_ptr<CSceneObject>> m_objects;
    std::vector<std::pair<int, CVector3>> m_balls; // number and centre
    std::vector<SBallPose> m_poses;
    BOOL m_bReady = FALSE;
};
