#include "render/SceneObject.h"

#include "foundation/LoadImage.h"
#include "foundation/Matrix.h"
#include "platform/dx/XFileText.h"
#include "render/Light.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

bool g_bLargeBallTextures = true;
bool g_bBallOption = false;
std::string g_strBallOptionTexture;
float g_fBallPixelSize = 0;

namespace
{
// The global list of scene objects, in creation order. Main thread.
CSceneObject* s_pHead = nullptr;
CSceneObject* s_pTail = nullptr;

D3DMATRIX Identity()
{
    D3DMATRIX m;
    MatrixSetIdentity(m);
    return m;
}

const CXFileFrame* FrameOf(const CSceneObject* p) { return p != nullptr ? p->GetFrame() : nullptr; }
} // namespace

// ---------------------------------------------------------------------------------------------
// CSceneObject

CSceneObject::CSceneObject()
{
    m_pPrev = s_pTail;
    if (s_pTail != nullptr)
        s_pTail->m_pNext = this;
    else
        s_pHead = this;
    s_pTail = this;
}

CSceneObject::~CSceneObject()
{
    (m_pPrev != nullptr ? m_pPrev->m_pNext : s_pHead) = m_pNext;
    (m_pNext != nullptr ? m_pNext->m_pPrev : s_pTail) = m_pPrev;
}

CSceneObject* CSceneObject::GetFirst() { return s_pHead; }

void CSceneObject::SortListByOrder()
{
    std::vector<CSceneObject*> list;
    for (CSceneObject* p = s_pHead; p != nullptr; p = p->m_pNext)
        list.push_back(p);
    std::stable_sort(list.begin(), list.end(),
                     [](const auto* a, const auto* b) { return a->m_nParam8 < b->m_nParam8; });
    CSceneObject* pPrev = nullptr;
    for (CSceneObject* p : list)
    {
        p->m_pPrev = pPrev;
        (pPrev != nullptr ? pPrev->m_pNext : s_pHead) = p;
        pPrev = p;
    }
    if (pPrev != nullptr)
        pPrev->m_pNext = nullptr;
    s_pTail = pPrev;
}

CSceneObject* CSceneObject::FindSceneObjectByKind(int nId, const CSceneObject* pAfter)
{
    if (pAfter != nullptr && pAfter->m_nId != nId)
        return nullptr;
    for (CSceneObject* p = pAfter != nullptr ? pAfter->m_pNext : s_pHead; p != nullptr; p = p->m_pNext)
        if (p->m_nId == nId)
            return p;
    return nullptr;
}

void CSceneObject::TakeFrame(std::unique_ptr<CXFileFrame> pFrame)
{
    m_pOwnFrame = std::move(pFrame);
    m_pFrame = m_pOwnFrame.get();
}

void CSceneObject::ReleaseFrame() { TakeFrame(nullptr); }

BOOL CSceneObject::CreateFrame()
{
    TakeFrame(std::make_unique<CXFileFrame>());
    return 1;
}

void CSceneObject::SetPosition(float, float, float)
{
    Place([](CXFileFrame& f) { f.SetPosition(nullptr, 0, 0, 0); });
}

void CSceneObject::Move(float x, float y, float z)
{
    Place([&](CXFileFrame& f) { f.SetPosition(&f, x, y, z); });
}

void CSceneObject::SetPositionRelative(const CSceneObject* pOther, float x, float y, float z)
{
    Place([&](CXFileFrame& f) { f.SetPosition(FrameOf(pOther), x, y, z); });
}

void CSceneObject::SetOrientation(const CVector3& vDir, const CVector3& vUp)
{
    Place([&](CXFileFrame& f) { f.SetOrientation(nullptr, vDir, vUp); });
}

void CSceneObject::Turn(const CVector3& vDir, const CVector3& vUp)
{
    Place([&](CXFileFrame& f) { f.SetOrientation(&f, vDir, vUp); });
}

void CSceneObject::SetOrientationRelative(const CSceneObject* pOther, const CVector3& vDir, const CVector3& vUp)
{
    Place([&](CXFileFrame& f) { f.SetOrientation(FrameOf(pOther), vDir, vUp); });
}

void CSceneObject::GetPosition(const CSceneObject* pOther, CVector3& vOut) const
{
    if (m_pFrame)
        m_pFrame->GetPosition(FrameOf(pOther), vOut);
}

void CSceneObject::GetOrientation(const CSceneObject* pOther, CVector3& vDir, CVector3& vUp) const
{
    if (m_pFrame)
        m_pFrame->GetOrientation(FrameOf(pOther), vDir, vUp);
}

const D3DMATRIX* CSceneObject::GetTransform() const { return m_pFrame ? &m_pFrame->Matrix() : nullptr; }

bool CSceneObject::GetBox(SBox& box) const { return m_pFrame && m_pFrame->GetBox(box); }

void CSceneObject::Restore()
{
    if (m_pFrame)
        m_pFrame->Restore();
}

BOOL CSceneObject::SetObjectTint(CXFileFrame*, CSceneObject*, float, float, float, float) { return 1; }

bool CSceneObject::LoadMesh(const char* szFile, const char* szLibrary)
{
    m_strMesh = szFile != nullptr ? szFile : "";
    std::unique_ptr<CXFileFrame> pFrame = LoadXFile(szFile, szLibrary);
    if (!pFrame)
        return false;
    TakeFrame(std::move(pFrame));
    m_box = SBox();
    GetBox(m_box);
    m_bDirty = 1;
    return true;
}

void CSceneObject::ApplyRecord(const CSceneObjectRec& rec)
{
    if (!rec.m_bValid)
        return;
    m_nLevel = rec.m_nLevel;
    m_nAmbient = m_nAmbientCopy = rec.m_nAmbient;
    m_nId = rec.m_nId;
    m_nMotion = rec.m_nMotion;
    m_nParam8 = rec.m_nParam8;
    m_bFlag = rec.m_bFlag;
    m_nClip = rec.m_nClip;
    m_nLink = rec.m_nLink;
    if (m_nLink >= 0)
        WriteLinkExtent();
}

void CSceneObject::WriteLinkExtent()
{
    const CXFileObject* pMesh = m_pFrame ? m_pFrame->GetFirstMesh() : nullptr;
    if (pMesh == nullptr || pMesh->Indices().size() < 3 || m_nLink >= g_linkList.GetSize())
        return;
    // The picture stands in a vertical plane along x or z, so one of those two spans is zero.
    CVector3 vMin(1000.0f, 1000.0f, 1000.0f), vMax(-1000.0f, -1000.0f, -1000.0f);
    for (int i = 0; i < 3; ++i)
    {
        const D3DVERTEX& v = pMesh->Vertices()[pMesh->Indices()[static_cast<std::size_t>(i)]];
        vMin = CVector3(std::min(vMin.x, v.x), std::min(vMin.y, v.y), std::min(vMin.z, v.z));
        vMax = CVector3(std::max(vMax.x, v.x), std::max(vMax.y, v.y), std::max(vMax.z, v.z));
    }
    CLinkRec link = g_linkList.GetAt(m_nLink);
    link.m_fCenterX = (vMin.x + vMax.x) / 2;
    link.m_fCenterY = (vMin.y + vMax.y) / 2;
    link.m_fCenterZ = (vMin.z + vMax.z) / 2;
    link.m_fWidth = (vMax.x + vMax.z) - (vMin.x + vMin.z);
    link.m_fHeight = vMax.y - vMin.y;
    link.m_fArea = link.m_fWidth * link.m_fHeight;
    g_linkList.SetAt(m_nLink, link);
}

int CSceneObject::AddLight(const CSceneLight* pLamp)
{
    if (pLamp == nullptr)
        return -1;
    AddLightNumber(pLamp->m_nIndex);
    return pLamp->m_nIndex;
}

void CSceneObject::SetImage(const char* szFile)
{
    if (!m_pFrame || szFile == nullptr)
        return;
    m_pFrame->DropTextureHandles();
    CreateTexture(szFile);
    m_pFrame->SetTexture(szFile);
    CXFileObject* pMesh = m_pFrame->GetFirstMesh();
    if (pMesh == nullptr || m_nLink < 0 || m_nLink >= g_linkList.GetSize())
        return;
    // The picture's size: from its texture's bitmap, else from the file.
    HBITMAP hBitmap = GetTextureBitmap(szFile);
    HBITMAP hLoaded = nullptr;
    if (hBitmap == nullptr)
        hBitmap = hLoaded = LoadImage(nullptr, szFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    BITMAP bm;
    const bool bSized = hBitmap != nullptr && GetObject(hBitmap, sizeof bm, &bm) != 0;
    if (hLoaded != nullptr)
        DeleteObject(hLoaded);
    const CLinkRec link = g_linkList.GetAt(m_nLink);
    const double W = bSized ? bm.bmWidth : 0, H = bSized ? bm.bmHeight : 0;
    // Without a size or an area the picture keeps the mesh as it is (a division by zero otherwise).
    if (W <= 0 || H <= 0 || W * H <= 0 || link.m_fArea <= 0)
        return;
    // A rectangle of the link box's area with the picture's proportions, at most 1.5 times the box.
    const double k = std::sqrt(W * H / link.m_fArea);
    double w = W / k, h = H / k, f = 1;
    if (w > 1.5 * link.m_fWidth)
        f = 1.5 * link.m_fWidth / w;
    if (h * f > 1.5 * link.m_fHeight)
        f = 1.5 * link.m_fHeight / h;
    w = std::max(w * f, 10.0);
    h = std::max(h * f, 10.0);
    const auto fw = static_cast<float>(w / 2), fh = static_cast<float>(h / 2);
    for (D3DVERTEX& v : pMesh->Vertices())
    {
        if (v.y < link.m_fCenterY)
            v.y = link.m_fCenterY - fh;
        else if (v.y > link.m_fCenterY)
            v.y = link.m_fCenterY + fh;
        if (v.x < link.m_fCenterX - 1)
            v.x = link.m_fCenterX - fw;
        else if (v.x > link.m_fCenterX + 1)
            v.x = link.m_fCenterX + fw;
        if (v.z < link.m_fCenterZ - 1)
            v.z = link.m_fCenterZ - fw;
        else if (v.z > link.m_fCenterZ + 1)
            v.z = link.m_fCenterZ + fw;
    }
    m_pFrame->DropMaterialHandles();
    pMesh->Restore();
}

void CSceneObject::SetViewportLights(CDirect3DViewport& viewport) const
{
    for (int i = 0; i < LAMP_TABLE_SIZE; ++i)
    {
        const DWORD dwBit = 1u << i;
        CSceneLight* pLamp = CLightTable::GetAt(i);
        const bool bWanted = m_bOwnLights && (m_dwLightMask & dwBit) != 0 && pLamp != nullptr && pLamp->m_bOn;
        const bool bIn = (g_dwLightsOnMask & dwBit) != 0;
        if (bIn && !bWanted)
        {
            if (pLamp != nullptr)
                pLamp->RemoveFromViewport(viewport);
            g_dwLightsOnMask &= ~dwBit;
        }
        else if (!bIn && bWanted && pLamp->AddToViewport(viewport) == D3D_OK)
            g_dwLightsOnMask |= dwBit;
    }
}

void CSceneObject::SetOwnLights(bool bOn)
{
    // The viewport's lamps are brought to the object's at its next drawing.
    if (bOn != m_bOwnLights)
        m_bDirty = 1;
    m_bOwnLights = bOn;
}

int CSceneObject::Render(CDirect3DDevice& device, CDirect3DViewport& viewport, bool bOnlyIfDirty)
{
    if (!m_pFrame)
        return 0;
    if (m_dwLightMask & g_dwLightsChangedMask)
    {
        m_bDirty = 1;
        m_pFrame->DropMaterialHandles();
    }
    if (m_bDirty || !bOnlyIfDirty)
        SetViewportLights(viewport);
    DWORD dwAmbient = 0;
    device.GetLightState(D3DLIGHTSTATE_AMBIENT, &dwAmbient);
    const DWORD a = static_cast<DWORD>(m_nAmbient) & 0xFF;
    device.SetLightState(D3DLIGHTSTATE_AMBIENT, 0xFF000000u | a << 16 | a << 8 | a);
    m_pFrame->Render(device, m_nBlend, Identity());
    device.SetLightState(D3DLIGHTSTATE_AMBIENT, dwAmbient);
    m_bDirty = 0;
    return 1;
}

void ApplyDetailLevel(int nLevel, CSceneObject* pPocketArrow)
{
    const BOOL bArrowEnabled = pPocketArrow != nullptr ? pPocketArrow->IsEnabled() : 1;
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
    {
        // The play shows and hides the cue: it keeps what it had.
        if (dynamic_cast<CSceneObjectC*>(p) == nullptr)
            p->SetEnabled(p->m_nLevel <= nLevel);
    }
    if (pPocketArrow != nullptr)
        pPocketArrow->SetEnabled(bArrowEnabled != 0);
}

// ---------------------------------------------------------------------------------------------
// CBallSceneObject

BOOL CBallSceneObject::LoadMesh(float fScale, int nBall, const char* szFile, int, bool bSecond)
{
    m_fScale = fScale;
    m_nBall = nBall;
    m_strMesh = szFile != nullptr ? szFile : "";
    if (std::unique_ptr<CXFileFrame> pFrame = LoadXFile(szFile))
    {
        (bSecond ? m_pFrameB : m_pFrameA) = std::move(pFrame);
        SelectVariant(m_bSecond);
    }
    return 1;
}

void CBallSceneObject::SelectVariant(bool bSecond)
{
    CXFileFrame* pChosen = bSecond && m_pFrameB ? m_pFrameB.get() : m_pFrameA.get();
    if (pChosen == nullptr)
        pChosen = m_pFrameB.get();
    // The variants stay the ball's own: the base only points at the one drawn.
    m_pFrame = pChosen;
    m_bSecond = pChosen != nullptr && pChosen == m_pFrameB.get();
    m_bDirty = 1;
}

bool CBallSceneObject::IsSecondVariant() const { return m_bSecond; }

void CBallSceneObject::SetPositionRelative(const CSceneObject* pOther, float x, float y, float z)
{
    m_bDirty = 1;
    const CXFileFrame* pReference = FrameOf(pOther);
    if (pReference == nullptr)
        return;
    // The reference may be the ball itself, whose frame is one of the variants: its place is read
    // once, before either variant moves, so that both end where the first does.
    CVector3 vReference;
    pReference->GetPosition(nullptr, vReference);
    const CVector3 vTarget(vReference.x + x, vReference.y + y, vReference.z + z);
    for (CXFileFrame* p : {m_pFrameA.get(), m_pFrameB.get()})
        if (p != nullptr)
        {
            CVector3 vNow;
            p->GetPosition(nullptr, vNow);
            p->SetPosition(p, vTarget.x - vNow.x, vTarget.y - vNow.y, vTarget.z - vNow.z);
        }
}

void CBallSceneObject::SetOrientationRelative(const CSceneObject* pOther, const CVector3& vDir, const CVector3& vUp)
{
    m_bDirty = 1;
    m_vDir = vDir;
    m_vUp = vUp;
    // Ball 0 (the cue ball) shows no number, so its turning is not drawn.
    if (m_nBall == 0 || FrameOf(pOther) == nullptr)
        return;
    for (CXFileFrame* p : {m_pFrameA.get(), m_pFrameB.get()})
        if (p != nullptr)
            p->SetOrientation(FrameOf(pOther), vDir, vUp);
}

void CBallSceneObject::SavePose(const CSceneObject* pOther)
{
    GetPosition(pOther, m_vSavedPos);
    m_vSavedDir = m_vDir;
    m_vSavedUp = m_vUp;
}

void CBallSceneObject::RestorePose(const CSceneObject* pOther)
{
    SetPositionRelative(pOther, m_vSavedPos.x, m_vSavedPos.y, m_vSavedPos.z);
    SetOrientationRelative(pOther, m_vSavedDir, m_vSavedUp);
}

void CBallSceneObject::SetImage(const char*)
{
    char szName[32];
    std::snprintf(szName, sizeof szName, g_bLargeBallTextures ? "b_%02d.bmp" : "b_sm_%02d.bmp", m_nBall);
    const std::string strName = g_bBallOption && !g_strBallOptionTexture.empty() ? g_strBallOptionTexture : szName;
    CreateTexture(strName.c_str());
    for (CXFileFrame* p : {m_pFrameA.get(), m_pFrameB.get()})
        if (p != nullptr)
        {
            p->DropTextureHandles();
            p->SetTexture(strName);
        }
}

int CBallSceneObject::UpdateShadow(float fPlaneY, const CSceneLight* pLight, bool bObeyOption)
{
    if (bObeyOption && !g_bBallOption)
    {
        m_pShadow.reset();
        return 1;
    }
    if (!m_pFrame)
        return 0;
    const CVector3 L = pLight != nullptr ? CVector3(pLight->GetPosition().x, 200.0f, pLight->GetPosition().z)
                                         : CVector3(0, 1000.0f, 0);
    CVector3 B;
    GetPosition(nullptr, B);
    // A light level with the ball or the plane casts no shadow on it.
    if (L.y == B.y || L.y == fPlaneY)
        return 0;
    if (!m_pShadow)
    {
        SXMesh quad;
        quad.aVertices.assign(4, {0, 0, 0});
        quad.aFaces = {{0, 1, 2}, {0, 2, 3}, {0, 2, 1}, {0, 3, 2}}; // both sides
        quad.bHasTexCoords = true;
        quad.aTexCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        std::string strError;
        m_pShadow = CXFileObject::Build(quad, strError);
        for (D3DVERTEX& v : m_pShadow->Vertices())
            v.ny = 1;
    }
    const double s = std::fabs((L.y - fPlaneY) / (L.y - B.y));
    const double cx = L.x + (B.x - L.x) * s, cz = L.z + (B.z - L.z) * s;
    const CVector3 d = B - L;
    const double h =
        std::fabs(1.1 * 1.1 * std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z) / (B.y - L.y)) * s;
    const double f = h * std::sqrt(2.0);
    const double dx = (B.x - L.x) / 15.0, dz = (B.z - L.z) / 15.0, len = std::sqrt(dx * dx + dz * dz);
    double aCorners[4][2];
    if (len == 0)
    {
        const double aSquare[4][2] = {{cx - h, cz + h}, {cx + h, cz + h}, {cx + h, cz - h}, {cx - h, cz - h}};
        std::copy(&aSquare[0][0], &aSquare[0][0] + 8, &aCorners[0][0]);
    }
    else
    {
        // A kite stretched away from the light.
        const double ux = dx / len, uz = dz / len, px = -uz, pz = ux;
        const double aKite[4][2] = {{cx - f * ux, cz - f * uz},
                                    {cx + len / 2 * ux + f * px, cz + len / 2 * uz + f * pz},
                                    {cx + (len + f) * ux, cz + (len + f) * uz},
                                    {cx + len / 2 * ux - f * px, cz + len / 2 * uz - f * pz}};
        std::copy(&aKite[0][0], &aKite[0][0] + 8, &aCorners[0][0]);
    }
    for (int i = 0; i < 4; ++i)
    {
        D3DVERTEX& v = m_pShadow->Vertices()[static_cast<std::size_t>(i)];
        v.x = static_cast<float>(aCorners[i][0]);
        v.y = fPlaneY;
        v.z = static_cast<float>(aCorners[i][1]);
    }
    m_pShadow->MarkChanged();
    return 1;
}

int CBallSceneObject::ShadowTextureLevel(float fDistance)
{
    if (fDistance <= 0)
        return -1;
    const int n = static_cast<int>(g_fBallPixelSize / fDistance);
    return n >= 128 ? 4 : n >= 64 ? 3 : n >= 32 ? 2 : n >= 16 ? 1 : 0;
}

namespace
{
/// The five shadow textures, squares of 8 << level texels: a dark disc fading to white at its rim,
/// drawn multiplied onto what lies below. The shade falls off as the height of a sphere over the
/// disc, so that what shows of it beside its ball, near the rim, is still plainly dark. Made on
/// first use.
/// How much of the light the middle of a shadow takes away.
constexpr double SHADOW_DEPTH = 0.6;

const SurfacePtr& ShadowTexture(int nLevel)
{
    static SurfacePtr s_apTextures[5];
    SurfacePtr& p = s_apTextures[nLevel];
    if (p)
        return p;
    const DWORD n = 8u << nLevel;
    p = CDirectDrawSurface::Create(n, n, MakeArgbPixelFormat(), DDSCAPS_TEXTURE);
    for (DWORD y = 0; y < n; ++y)
        for (DWORD x = 0; x < n; ++x)
        {
            const double dx = (x + 0.5) / n * 2 - 1, dy = (y + 0.5) / n * 2 - 1;
            const double r = std::min(1.0, std::sqrt(dx * dx + dy * dy));
            const auto g = static_cast<DWORD>(std::lround(255 * (1 - SHADOW_DEPTH * std::sqrt(1 - r * r))));
            reinterpret_cast<DWORD*>(p->GetBits() + y * static_cast<DWORD>(p->GetPitch()))[x] =
                (255 - g) << 24 | g << 16 | g << 8 | g;
        }
    return p;
}
} // namespace

int CBallSceneObject::SelectShadowTexture(CDirect3DDevice& device, float fDistance)
{
    const int nLevel = ShadowTextureLevel(fDistance);
    if (nLevel < 0 || !m_pShadow)
        return 0;
    // The quad is drawn unlit in white, so that the texture alone darkens what lies below.
    D3DLVERTEX aQuad[4];
    for (std::size_t i = 0; i < 4; ++i)
    {
        const D3DVERTEX& v = m_pShadow->Vertices()[i];
        aQuad[i].x = v.x;
        aQuad[i].y = v.y;
        aQuad[i].z = v.z;
        aQuad[i].tu = v.tu;
        aQuad[i].tv = v.tv;
    }
    const D3DMATRIX identity = Identity();
    device.SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    device.SetTexture(0, ShadowTexture(nLevel));
    device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ZERO);
    device.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_SRCCOLOR);
    device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, aQuad, 4, m_pShadow->Indices().data(),
                                static_cast<DWORD>(m_pShadow->Indices().size()), 0);
    device.SetTexture(0, nullptr);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// CCameraObject

void CCameraObject::Reset()
{
    m_fDistance = 136.0f;
    m_fYaw = 180.0f;
    m_fPitch = 345.0f;
    m_fExtra1 = m_fExtra2 = 0;
    SetFlags(1);
}

void CCameraObject::ResetAlt()
{
    m_fDistance = 126.0f;
    m_fYaw = 180.0f;
    m_fPitch = 344.0f;
    m_fExtra1 = 0;
    m_fExtra2 = 6.5f;
    SetFlags(1);
}

void CCameraObject::SetBounds(const float afBounds[6]) { std::copy(afBounds, afBounds + 6, m_afBounds); }

bool CCameraObject::IsInsideBounds(const CSceneObject* pOther) const
{
    CVector3 v;
    GetPosition(pOther, v);
    return IsInsideBounds(v);
}

bool CCameraObject::IsInsideBounds(const CVector3& v) const
{
    const float a[3] = {v.x, v.y, v.z};
    for (int i = 0; i < 3; ++i)
        if (a[i] < m_afBounds[i] || a[i] > m_afBounds[i + 3])
            return false;
    return true;
}

void CCameraObject::ClampToBounds(CVector3& vOut, const CVector3& vPoint, const CVector3& vFrom) const
{
    const float p[3] = {vPoint.x, vPoint.y, vPoint.z}, q[3] = {vFrom.x, vFrom.y, vFrom.z};
    bool bInside = true;
    for (int i = 0; i < 3; ++i)
        bInside = bInside && p[i] >= m_afBounds[i] && p[i] <= m_afBounds[i + 3];
    if (bInside)
    {
        vOut = vPoint;
        return;
    }
    // The segment from the point to vFrom, clipped against the box (slab by slab): its entry into
    // the box, seen from the point, is where it crosses the boundary.
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 3 && t0 <= t1; ++i)
    {
        const double d = double(q[i]) - p[i];
        if (d == 0)
        {
            if (p[i] < m_afBounds[i] || p[i] > m_afBounds[i + 3])
                t0 = 2; // parallel and outside: no crossing
            continue;
        }
        double ta = (m_afBounds[i] - p[i]) / d, tb = (m_afBounds[i + 3] - p[i]) / d;
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
    }
    if (t0 <= t1)
    {
        vOut = CVector3(static_cast<float>(p[0] + (q[0] - p[0]) * t0), static_cast<float>(p[1] + (q[1] - p[1]) * t0),
                        static_cast<float>(p[2] + (q[2] - p[2]) * t0));
        return;
    }
    vOut = CVector3(std::clamp(vPoint.x, m_afBounds[0], m_afBounds[3]),
                    std::max(std::clamp(vPoint.y, m_afBounds[1], m_afBounds[4]), m_afBounds[1] + 1.0f),
                    std::clamp(vPoint.z, m_afBounds[2], m_afBounds[5]));
}

void CCameraObject::SetPitch(float p)
{
    if (p >= -60.0f && p <= 0.0f)
        p += 360.0f; // 0 gives 360, the same direction as 0
    else if (p < 300.0f)
        p = p < 180.0f ? 300.0f : 359.9f;
    else if (p > 359.9f)
        p = 359.9f;
    m_fPitch = p;
}

void CCameraObject::UpdateDistance(const CSceneObject* pOther)
{
    CVector3 v;
    GetPosition(pOther, v);
    m_fDistance = Vec3Length(&v);
}

void CCameraObject::SetDistance(float f)
{
    m_fDistance = f;
    SetFlags(1);
}

// ---------------------------------------------------------------------------------------------
// CSceneObjectC

void CSceneObjectC::SetSize(float r)
{
    m_afSize[0] = NearValue(r);
    m_afSize[1] = StrokeLength(r);
    m_afSize[2] = MinPullBack(r);
    m_fSize = r;
}

void CSceneObjectC::ComputeExtent()
{
    SBox box;
    if (GetBox(box))
        m_vExtent = CVector3(std::fabs(box.vMax.x - box.vMin.x), std::fabs(box.vMax.y - box.vMin.y),
                             std::fabs(box.vMax.z - box.vMin.z));
}

void CSceneObjectC::RestoreState(float a, float b, float c)
{
    m_fA = b;
    m_fAfterA = a;
    m_fSize = c;
}
