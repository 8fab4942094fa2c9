// The game's scene as the main frame shows it: the room and the table built from the scene text
// (each object of the class its kind asks for, in drawing order), the room's clock with its hands,
// the camera object's reset orbit about the table's centre until the game places its own camera,
// and the balls where the game puts them, painted by the software ball painter.
#pragma once

#include "platform/dx/Device.h"
#include "render/BallDepth.h"
#include "render/BallPainter.h"
#include "render/ClockObject.h"
#include "render/SceneObject.h"
#include "render/SceneSetUp.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
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

class CRackScene : private IRowWork
{
public:
    CRackScene()
    {
        m_camera.Reset();
        m_camera.SetBounds(DEFAULT_CAMERA_BOUNDS.data());
    }
    ~CRackScene() override;
    CRackScene(const CRackScene&) = delete;
    CRackScene& operator=(const CRackScene&) = delete;

    /// Builds the scene on the framework's device (the scene text and textures from the artwork
    /// libraries), with no balls. FALSE, and nothing drawn later, when the scene text is missing.
    BOOL SetUp(CD3DFramework& framework);
    /// The objects built, in drawing order, and the clips the scene text shows on them.
    const std::vector<std::unique_ptr<CSceneObject>>& GetObjects() const { return m_objects; }
    const std::vector<CAnimationRec>& GetAnimations() const { return m_text.animations; }
    /// The balls' line of the scene text (invalid without one) and the lamps lit when the device
    /// does not light the scene.
    const CSceneObjectRec& GetBallTemplate() const { return m_text.ballTemplate; }
    const std::vector<int>& GetDefaultLights() const { return m_text.anDefaultLights; }
    bool HasLightLines() const { return m_text.bHasLights; }
    /// The balls to paint from now on.
    void SetBalls(std::vector<SSceneBall> balls) { m_balls = std::move(balls); }
    /// The view from the camera's orbit about the table's centre, into g_matView.
    void UpdateView() const;
    const std::vector<SSceneBall>& GetBalls() const { return m_balls; }
    /// Draws the enabled objects that bWanted picks, in their drawing order, into the scene the
    /// caller began, with depth.
    void DrawObjects(CD3DFramework& framework, const std::function<bool(const CSceneObject&)>& bWanted);
    /// Draws the clock's hands, when there is a clock.
    void DrawClockHands(CD3DFramework& framework);
    /// Paints the balls, farthest first, over the viewport above the panel, each writing the depth
    /// of its near surface, so that what is drawn after them lies in front or behind as it should.
    /// They are painted by the device in their place among its draws, when it draws the scene (the
    /// painter must live until then); each ball's image is painted on the drawing threads.
    void PaintBalls(CD3DFramework& framework, CBallPainter& painter, std::span<const SSceneBall> balls);
    /// The balls' drawing order: objects before it are the room's background, after it its foreground.
    int GetTableOrder() const { return m_text.nBallOrder; }
    /// Test seam: the kind of every object drawn, and 0x10 for every group of balls painted, is
    /// appended to the log while one is set.
    void SetDrawLog(std::vector<int>* pLog) { m_pDrawLog = pLog; }
    /// Stores the first value (the least x) of the camera's box.
    void SetCameraBoundsFirst(float fValue) { m_camera.m_afBounds[0] = fValue; }
    BOOL IsReady() const { return m_bReady; }
    /// The camera the table is seen from until the game places its own, with the room's box that
    /// every camera keeps inside (the scene text's, once it is set up).
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
    /// A ball handed to the device: its painter, its image shown or not, and the depth it writes.
    struct SQueuedBall
    {
        CBallPainter* pPainter = nullptr; // null: not queued
        bool bShown = false;
        bool bDepth = false;
        SBallDepth depth;
        D3DMATRIX matProjection{};
        RECT rcClip{};
    };
    void PrepareRows(int nBall) override;
    void DrawRows(int nBall, const DDSURFACEDESC2& target, const DDSURFACEDESC2& depth, LONG yBegin,
                  LONG yEnd) override;
    void RowsDone(int nBall) override;

    CCameraObject m_camera;
    std::vector<std::unique_ptr<CSceneObject>> m_objects;
    CClockObject m_clock;
    std::vector<SSceneBall> m_balls;
    std::vector<SBallPose> m_poses;
    std::array<SQueuedBall, BALL_PAINT_COUNT> m_aQueued;
    CDirect3DDevice* m_pQueuedOn = nullptr; // while balls are queued: the device that holds them
    SSceneText m_text;
    std::vector<int>* m_pDrawLog = nullptr;
    BOOL m_bReady = FALSE;
};
