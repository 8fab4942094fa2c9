// The table scene the window shows: the game's room and table from the default camera (the camera
// object's reset orbit about the table's centre) with the balls painted by the software ball
// painter: an eight-ball rack until the game places its own balls, then the game's balls where
// they lie, each turned as it rolled; the room's clock with its hands.
#pragma once

#include "render/BallPainter.h"
#include "render/ClockObject.h"
#include "render/SceneObject.h"

#include <memory>
#include <utility>
#include <vector>

class CD3DFramework;

/// A ball of the scene: its number, its centre in the scene and its axes (rows) in the scene.
struct SSceneBall
{
    int nBall = 0;
    CVector3 vCentre;
    D3DMATRIX matOrientation{};
};

class CRackScene
{
public:
    CRackScene() { m_camera.Reset(); }

    /// Builds the scene on the framework's device (the scene text and textures from the artwork
    /// libraries) and loads the first ball-set library's standard set into the painter. FALSE,
    /// and nothing drawn later, when the scene text is missing.
    BOOL SetUp(CD3DFramework& framework, CBallPainter& painter);
    /// The balls to paint from now on.
    void SetBalls(std::vector<SSceneBall> balls) { m_balls = std::move(balls); }
    /// The view from the camera's orbit about the table's centre, into g_matView.
    void UpdateView() const;
    /// Draws the room and table into the scene the caller began and paints the balls, farthest
    /// first, over the viewport above the panel.
    void Draw(CD3DFramework& framework, CBallPainter& painter);
    BOOL IsReady() const { return m_bReady; }
    /// The camera the table is seen from until the game places its own.
    const CCameraObject& GetCamera() const { return m_camera; }
    /// The room's clock, made when the scene has the object that carries it (kind 0x20); null
    /// without one.
    CClockObject* GetClock() { return m_clock.IsCreated() ? &m_clock : nullptr; }
    /// The table's bed, the object scene points on the table are placed relative to; null before
    /// the scene is set up.
    CSceneObject* GetTable() const;
    /// Drops the scene objects and their lamps (the textures stay with the texture manager).
    void Release();

private:
    void PaintBalls(CD3DFramework& framework, CBallPainter& painter);

    CCameraObject m_camera;
    std::vector<std::unique_ptr<CSceneObject>> m_objects;
    CClockObject m_clock;
    std::vector<SSceneBall> m_balls;
    std::vector<SBallPose> m_poses;
    BOOL m_bReady = FALSE;
};
