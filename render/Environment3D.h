// The main frame's 3-D environment state: the world, view and projection transforms, the field of
// view camera flights may change, the projection of scene points to the screen, whether the view
// changed since the last frame, the modal mode that stops rendering behind a dialog, and the
// framework's error texts. Main thread only.
#pragma once

#include "foundation/Vector3.h"
#include "platform/dx/DxTypes.h"
#include "platform/win32/WinTypes.h"
#include "render/BallPainter.h"

#include <string>

class CDirect3DDevice;
class CDirect3DViewport;

/// Near and far planes of the projection, scene units (inches).
inline constexpr float NEAR_PLANE_DISTANCE = 6.0f;
inline constexpr float FAR_PLANE_DISTANCE = 750.0f;
/// A ball's diameter in scene units.
inline constexpr float BALL_SCENE_DIAMETER = 2.24f;
/// The field of view while X is held or in the narrow-view modes, radians.
inline constexpr float NARROW_FIELD_OF_VIEW = 0.7f;

extern D3DMATRIX g_matWorld;
extern D3DMATRIX g_matView;
extern D3DMATRIX g_matProjection;
/// The view of the last frame drawn.
extern D3DMATRIX g_matLastView;
/// The field of view used at device set-up, radians (0.4 at start).
extern float g_fFieldOfView;
/// The field of view last given to SetFieldOfView (-1 before the first).
extern float g_fLastFieldOfView;
/// The next frame counts as changed.
extern BOOL g_bForceRedraw;
/// The frame being drawn has a different view from the last.
extern BOOL g_bViewChanged;
/// The main loop may render.
extern BOOL g_b3DReady;
/// A modal dialog is open.
extern BOOL g_bModalMode;

/// The projection for a render area of dwWidth x dwHeight pixels with the panel strip of
/// g_nPanelHeight below the viewport: g_matProjection (also set on pDevice when given), the
/// redraw flags and g_fBallPixelSize (the scene objects' ball size at view distance 1). E_INVALIDARG, and nothing
/// changed, when no viewport is left above the panel or the field of view cannot be projected.
HRESULT BuildProjection(float fFov, DWORD dwWidth, DWORD dwHeight, CDirect3DDevice* pDevice);
/// BuildProjection for the framework's render size; nothing without a framework.
void SetProjection(float fFov, CDirect3DDevice* pDevice, CDirect3DViewport* pViewport);
/// Rebuilds the projection only when the field of view differs from the last one given.
void SetFieldOfView(float fFov);

/// A scene point in screen pixels of the framework's viewport (x right, y down from the top of
/// the area above the panel) with the projected depth in z; the projected coordinates unscaled
/// without a framework.
void ProjectToScreen(CVector3* pOut, const CVector3* pPoint);
/// The same for a given viewport rectangle (the whole render area, panel included).
void ProjectToScreenIn(CVector3* pOut, const CVector3* pPoint, const RECT& rcViewport);

/// Where and how large a ball appears: its projected centre and depth, its diameter in pixels, its
/// axes and the light direction turned into screen space (x right, y down, z towards the viewer).
SBallPose ProjectBall(int nBall, const D3DMATRIX& matOrientation, const CVector3& vPosition,
                      const CVector3& vTowardsLight, const RECT& rcViewport);

/// Where the eye of g_matView stands in the scene: the view's translation turned back.
CVector3 GetViewEye();

/// The first step of drawing a frame: a forced redraw counts as a changed view, else the view is
/// compared with the last frame's; the view is then remembered. Returns g_bViewChanged.
BOOL UpdateViewChanged();

/// The text shown for a framework or DirectDraw result: nType 1 adds that the program will exit,
/// 2 that it switches to the software rasterizer.
std::string FrameworkErrorMessage(HRESULT hr, int nType);
void DisplayFrameworkError(HRESULT hr, int nType);

/// Modal mode on: the frame stopwatch pauses, rendering stops, the next frame is redrawn, the
/// cursor shows; off:
/// rendering resumes and the stopwatch restarts from now.
void SetModalMode(BOOL bOn);

/// Holds the modal mode on for its lifetime.
class CModalModeScope
{
public:
    CModalModeScope() { SetModalMode(TRUE); }
    ~CModalModeScope() { SetModalMode(FALSE); }
    CModalModeScope(const CModalModeScope&) = delete;
    CModalModeScope& operator=(const CModalModeScope&) = delete;
};
