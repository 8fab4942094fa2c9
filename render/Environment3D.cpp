#include "render/Environment3D.h"

#include "foundation/ErrorBox.h"
#include "foundation/Matrix.h"
#include "foundation/Stopwatch.h"
#include "platform/dx/Device.h"
#include "render/CursorManager.h"
#include "render/D3DFramework.h"
#include "render/SceneObject.h"

#include <array>
#include <cstring>
#include <utility>

namespace
{
D3DMATRIX Identity()
{
    D3DMATRIX m;
    MatrixSetIdentity(m);
    return m;
}

/// A direction turned by the view's rotation into screen space: x right, y down, z towards the
/// viewer (the view space is left-handed with y up and z away from the viewer).
D3DVECTOR ToScreenDirection(float x, float y, float z)
{
    const auto along = [&](int c) { return x * g_matView.m[0][c] + y * g_matView.m[1][c] + z * g_matView.m[2][c]; };
    return {along(0), -along(1), -along(2)};
}

constexpr std::array<std::pair<DWORD, const char*>, 19> ERROR_TEXTS = {{
    {0x8007000E, "Not enough memory!"},
    {0x81000001, "Enumeration failed. Your system may be in an\nunstable state and need to be rebooted"},
    {0x81000002, "Could not find any compatible devices.\n\nTry enabling the reference rasterizer using\n"
                 "EnableRefRast.reg."},
    {0x81000003, "Could not find any compatible Direct3D\ndevices."},
    {0x82000000, "Generic initialization error.\n\nEnable debug output for detailed information."},
    {0x82000001, "No DirectDraw"},
    {0x82000002, "Could not set Cooperative Level"},
    {0x82000003, "No Direct3D"},
    {0x82000004, "No 3D Device"},
    {0x82000005, "No ZBuffer"},
    {0x82000006, "No Viewport"},
    {0x82000007, "No primary"},
    {0x82000008, "No Clipper"},
    {0x82000009, "Bad display mode"},
    {0x8200000A, "No backbuffer"},
    {0x8200000B, "Nonzerorefcount"},
    {0x8200000C, "No render target"},
    {0x8200000D, "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease switch "
                 "your desktop settings accordingly."},
    {0x8876017C, "There was insufficient video memory to use the\nhardware device."},
}};
} // namespace

D3DMATRIX g_matWorld = Identity();
D3DMATRIX g_matView = Identity();
D3DMATRIX g_matProjection = Identity();
D3DMATRIX g_matLastView = Identity();
float g_fFieldOfView = 0.4f;
float g_fLastFieldOfView = -1.0f;
BOOL g_bForceRedraw = TRUE;
BOOL g_bViewChanged = FALSE;
BOOL g_b3DReady = FALSE;
BOOL g_bModalMode = FALSE;

HRESULT BuildProjection(float fFov, DWORD dwWidth, DWORD dwHeight, CDirect3DDevice* pDevice)
{
    if (g_nPanelHeight < 0 || dwHeight <= static_cast<DWORD>(g_nPanelHeight) || dwWidth == 0)
        return E_INVALIDARG;
    const DWORD dwViewHeight = dwHeight - static_cast<DWORD>(g_nPanelHeight);
    D3DMATRIX m;
    if (FAILED(MatrixPerspective(m, fFov, static_cast<float>(dwWidth) / static_cast<float>(dwViewHeight),
                                 NEAR_PLANE_DISTANCE, FAR_PLANE_DISTANCE)))
        return E_INVALIDARG;
    g_matProjection = m;
    if (pDevice != nullptr)
        pDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &g_matProjection);
    g_bForceRedraw = TRUE;
    g_bViewChanged = TRUE;
    // A ball at view distance 1 spans its diameter times the vertical scale, half the height each way.
    g_fBallPixelSize = BALL_SCENE_DIAMETER * static_cast<float>(dwViewHeight) * g_matProjection.m[1][1] / 2.0f;
    return S_OK;
}

void SetProjection(float fFov, CDirect3DDevice* pDevice, CDirect3DViewport* /*pViewport*/)
{
    if (g_pFramework != nullptr)
        BuildProjection(fFov, g_pFramework->GetRenderWidth(), g_pFramework->GetRenderHeight(), pDevice);
}

void SetFieldOfView(float fFov)
{
    if (fFov == g_fLastFieldOfView)
        return;
    if (g_pFramework != nullptr)
        SetProjection(fFov, g_pFramework->GetD3DDevice(), g_pFramework->GetViewport().get());
    g_fLastFieldOfView = fFov;
}

void ProjectToScreenIn(CVector3* pOut, const CVector3* pPoint, const RECT& rcViewport)
{
    D3DMATRIX viewProjection;
    MatrixMultiply(viewProjection, g_matProjection, g_matView);
    CVector3 v;
    Vec3ProjectRowCoord(&v, pPoint, viewProjection);
    const float h = static_cast<float>(rcViewport.bottom - g_nPanelHeight);
    pOut->x = (v.x + 1.0f) * static_cast<float>(rcViewport.right) / 2.0f;
    pOut->y = h - (v.y + 1.0f) * h / 2.0f;
    pOut->z = v.z;
}

void ProjectToScreen(CVector3* pOut, const CVector3* pPoint)
{
    if (g_pFramework != nullptr)
    {
        ProjectToScreenIn(pOut, pPoint, *g_pFramework->GetViewportRect());
        return;
    }
    D3DMATRIX viewProjection;
    MatrixMultiply(viewProjection, g_matProjection, g_matView);
    Vec3ProjectRowCoord(pOut, pPoint, viewProjection);
}

SBallPose ProjectBall(int nBall, const D3DMATRIX& matOrientation, const CVector3& vPosition,
                      const CVector3& vTowardsLight, const RECT& rcViewport)
{
    SBallPose pose;
    pose.nBall = nBall;
    pose.vPosition = {vPosition.x, vPosition.y, vPosition.z};
    CVector3 screen;
    ProjectToScreenIn(&screen, &vPosition, rcViewport);
    pose.vScreen = {screen.x, screen.y, screen.z};
    CVector3 view = vPosition;
    Vec3TransformRowCoord(&view, g_matView);
    pose.fSize = view.z > 0.0f ? g_fBallPixelSize / view.z : 0.0f;
    MatrixSetIdentity(pose.matOrientation);
    for (int k = 0; k < 3; ++k)
    {
        const D3DVECTOR axis =
            ToScreenDirection(matOrientation.m[k][0], matOrientation.m[k][1], matOrientation.m[k][2]);
        pose.matOrientation.m[k][0] = axis.x;
        pose.matOrientation.m[k][1] = axis.y;
        pose.matOrientation.m[k][2] = axis.z;
    }
    pose.vLight = ToScreenDirection(vTowardsLight.x, vTowardsLight.y, vTowardsLight.z);
    return pose;
}

CVector3 GetViewEye()
{
    const D3DMATRIX& m = g_matView;
    const CVector3 vRight(m.m[0][0], m.m[1][0], m.m[2][0]), vUp(m.m[0][1], m.m[1][1], m.m[2][1]),
        vAhead(m.m[0][2], m.m[1][2], m.m[2][2]);
    return (vRight * m.m[3][0] + vUp * m.m[3][1] + vAhead * m.m[3][2]) * -1.0f;
}

BOOL UpdateViewChanged()
{
    if (g_bForceRedraw)
    {
        g_bForceRedraw = FALSE;
        g_bViewChanged = TRUE;
    }
    else
        g_bViewChanged = std::memcmp(&g_matView, &g_matLastView, sizeof(D3DMATRIX)) != 0 ? TRUE : FALSE;
    g_matLastView = g_matView;
    return g_bViewChanged;
}

std::string FrameworkErrorMessage(HRESULT hr, int nType)
{
    std::string text = "Generic application error.\n\nEnable debug output for detailed information.";
    for (const auto& [dwCode, szText] : ERROR_TEXTS)
        if (static_cast<DWORD>(hr) == dwCode)
            text = szText;
    if (nType == 1)
        text += "\n\nApplication will now exit.";
    else if (nType == 2)
        text += "\n\nSwitching to software rasterizer.";
    return text;
}

void DisplayFrameworkError(HRESULT hr, int nType) { ShowErrorBoxText(FrameworkErrorMessage(hr, nType).c_str()); }

void SetModalMode(BOOL bOn)
{
    if (bOn && !g_bModalMode)
        g_FrameStopwatch.Pause();
    // Three times, as a full-screen flip chain may need to cycle back to the surface GDI draws on.
    if (bOn && g_pFramework != nullptr)
        for (int k = 0; k < 3; ++k)
            g_pFramework->FlipToGDISurface(TRUE);
    const BOOL bWasModal = g_bModalMode;
    g_bModalMode = bOn;
    g_b3DReady = bOn ? FALSE : TRUE;
    g_bForceRedraw = TRUE;
    if (bOn)
        ShowCursorCounted(TRUE); // a dialog needs the cursor
    else if (bWasModal)
        g_FrameStopwatch.Resume();
}
