#include "render/XFile.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/XFileText.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <strings.h>

namespace
{
/// Most vertices a mesh may have: its indices are 16-bit.
constexpr std::size_t XFILE_MAX_VERTICES = 65535;

D3DCOLORVALUE Color(float r, float g, float b, float a) { return D3DCOLORVALUE{r, g, b, a}; }

D3DMATERIAL MakeMaterial(const SXMaterial& m)
{
    D3DMATERIAL mat;
    mat.dwSize = sizeof(D3DMATERIAL);
    mat.diffuse = Color(m.afFace[0], m.afFace[1], m.afFace[2], m.afFace[3]);
    // The face colour answers the ambient light too, so the objects' own ambient level shows it.
    mat.ambient = mat.diffuse;
    mat.specular = Color(m.afSpecular[0], m.afSpecular[1], m.afSpecular[2], 1);
    mat.emissive = Color(m.afEmissive[0], m.afEmissive[1], m.afEmissive[2], 1);
    mat.power = m.fPower;
    return mat;
}

void ExtendBox(SBox& box, bool& bAny, const CVector3& v)
{
    if (!bAny)
    {
        box.vMin = box.vMax = v;
        bAny = true;
        return;
    }
    box.vMin = CVector3(std::min(box.vMin.x, v.x), std::min(box.vMin.y, v.y), std::min(box.vMin.z, v.z));
    box.vMax = CVector3(std::max(box.vMax.x, v.x), std::max(box.vMax.y, v.y), std::max(box.vMax.z, v.z));
}

bool Fail(std::string& strError, const std::string& strWhat)
{
    strError = strWhat;
    return false;
}

/// The mesh's faces fanned into triangles (c0, ck, ck+1), with each triangle's source face.
bool FanFaces(const SXMesh& mesh, std::vector<std::array<DWORD, 3>>& aTris, std::vector<DWORD>& aTriFace,
              std::string& strError)
{
    const std::size_t nVertices = mesh.aVertices.size();
    for (std::size_t f = 0; f < mesh.aFaces.size(); ++f)
    {
        const std::vector<unsigned>& face = mesh.aFaces[f];
        if (face.size() < 3)
            return Fail(strError, "face " + std::to_string(f) + " has fewer than three corners");
        for (unsigned i : face)
            if (i >= nVertices)
                return Fail(strError, "face " + std::to_string(f) + " names vertex " + std::to_string(i) + " of " +
                                          std::to_string(nVertices));
        for (std::size_t k = 1; k + 1 < face.size(); ++k)
        {
            aTris.push_back({face[0], face[k], face[k + 1]});
            aTriFace.push_back(static_cast<DWORD>(f));
        }
    }
    return true;
}

/// Each face's material group: one group for at most one material, else the face-material list's
/// entry (faces past a short list take its last entry).
bool FaceGroups(const SXMesh& mesh, std::vector<DWORD>& aFaceGroup, std::size_t& nGroups, std::string& strError)
{
    const std::size_t nMaterials = mesh.aMaterials.size();
    nGroups = std::max<std::size_t>(nMaterials, 1);
    aFaceGroup.assign(mesh.aFaces.size(), 0);
    if (!mesh.bHasMaterialList || nMaterials == 0)
        return true;
    const std::vector<unsigned>& list = mesh.aFaceMaterials;
    for (unsigned n : list)
        if (n >= nMaterials)
            return Fail(strError, "face material " + std::to_string(n) + " of " + std::to_string(nMaterials));
    if (nMaterials > 1)
        for (std::size_t f = 0; f < aFaceGroup.size() && !list.empty(); ++f)
            aFaceGroup[f] = list[std::min(f, list.size() - 1)];
    return true;
}

/// Normals of the faces of three corners, when the normal list covers the same faces.
bool ApplyNormals(const SXMesh& mesh, std::vector<D3DVERTEX>& aVertices, std::string& strError)
{
    if (!mesh.bHasNormals || mesh.aNormalFaces.size() != mesh.aFaces.size())
        return true;
    for (std::size_t f = 0; f < mesh.aFaces.size(); ++f)
    {
        const std::vector<unsigned>& nf = mesh.aNormalFaces[f];
        for (unsigned i : nf)
            if (i >= mesh.aNormals.size())
                return Fail(strError, "normal face " + std::to_string(f) + " names normal " + std::to_string(i) +
                                          " of " + std::to_string(mesh.aNormals.size()));
        if (mesh.aFaces[f].size() != 3 || nf.size() != 3)
            continue;
        for (std::size_t c = 0; c < 3; ++c)
        {
            D3DVERTEX& v = aVertices[mesh.aFaces[f][c]];
            const auto& n = mesh.aNormals[nf[c]];
            v.nx = n[0];
            v.ny = n[1];
            v.nz = n[2];
        }
    }
    return true;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CXFileNode

CXFileNode::~CXFileNode()
{
    // A long sibling chain is taken apart in a loop, not by one destructor calling the next.
    while (m_pNext)
    {
        std::unique_ptr<CXFileNode> pNext = std::move(m_pNext);
        m_pNext = std::move(pNext->m_pNext);
    }
}

bool CXFileNode::GetBox(SBox&) const { return false; }

void CXFileNode::Restore()
{
    for (CXFileNode* p = m_pChild.get(); p != nullptr; p = p->GetNext())
        p->Restore();
}

void CXFileNode::Render(CDirect3DDevice&, int, const D3DMATRIX&) {}

void CXFileNode::DropTextureHandles()
{
    for (CXFileNode* p = m_pChild.get(); p != nullptr; p = p->GetNext())
        p->DropTextureHandles();
}

void CXFileNode::DropMaterialHandles()
{
    for (CXFileNode* p = m_pChild.get(); p != nullptr; p = p->GetNext())
        p->DropMaterialHandles();
}

void CXFileNode::AddChild(std::unique_ptr<CXFileNode> pNode)
{
    std::unique_ptr<CXFileNode>* ppSlot = &m_pChild;
    while (*ppSlot)
        ppSlot = &(*ppSlot)->m_pNext;
    *ppSlot = std::move(pNode);
}

// ---------------------------------------------------------------------------------------------
// CXFileObject

std::unique_ptr<CXFileObject> CXFileObject::Build(const SXMesh& mesh, std::string& strError)
{
    std::vector<std::array<DWORD, 3>> aTris;
    std::vector<DWORD> aTriFace, aFaceGroup;
    std::size_t nGroups = 1;
    if (!FanFaces(mesh, aTris, aTriFace, strError) || !FaceGroups(mesh, aFaceGroup, nGroups, strError))
        return nullptr;

    std::vector<D3DVERTEX> aSource(mesh.aVertices.size());
    for (std::size_t i = 0; i < aSource.size(); ++i)
    {
        aSource[i].x = mesh.aVertices[i][0];
        aSource[i].y = mesh.aVertices[i][1];
        aSource[i].z = mesh.aVertices[i][2];
        if (mesh.bHasTexCoords && mesh.aTexCoords.size() == aSource.size())
        {
            aSource[i].tu = mesh.aTexCoords[i][0];
            aSource[i].tv = mesh.aTexCoords[i][1];
        }
    }
    if (!ApplyNormals(mesh, aSource, strError))
        return nullptr;

    // Regroup: each group's triangles in order, and each vertex a group uses copied into the group
    // the first time the group meets it, so that every group's vertices lie together.
    auto pObject = std::make_unique<CXFileObject>();
    std::vector<DWORD> aPlace(aSource.size());
    std::vector<DWORD> aStamp(aSource.size(), ~0u);
    for (std::size_t g = 0; g < nGroups; ++g)
    {
        SXFileGroup group;
        const SXMaterial material = g < mesh.aMaterials.size() ? mesh.aMaterials[g] : SXMaterial();
        group.material = MakeMaterial(material);
        group.strTexture = material.strTexture;
        group.dwFirstTriangle = static_cast<DWORD>(pObject->m_aIndices.size() / 3);
        group.dwFirstVertex = static_cast<DWORD>(pObject->m_aVertices.size());
        for (std::size_t t = 0; t < aTris.size(); ++t)
        {
            if (aFaceGroup[aTriFace[t]] != g)
                continue;
            for (DWORD v : aTris[t])
            {
                if (aStamp[v] != g)
                {
                    if (pObject->m_aVertices.size() >= XFILE_MAX_VERTICES)
                    {
                        strError = "more than " + std::to_string(XFILE_MAX_VERTICES) + " vertices after regrouping";
                        return nullptr;
                    }
                    aStamp[v] = static_cast<DWORD>(g);
                    aPlace[v] = static_cast<DWORD>(pObject->m_aVertices.size());
                    pObject->m_aVertices.push_back(aSource[v]);
                }
                pObject->m_aIndices.push_back(static_cast<WORD>(aPlace[v]));
            }
            ++group.dwTriangles;
        }
        group.dwVertices = static_cast<DWORD>(pObject->m_aVertices.size()) - group.dwFirstVertex;
        pObject->m_aGroups.push_back(std::move(group));
    }
    return pObject;
}

bool CXFileObject::GetBox(SBox& box) const
{
    bool bAny = false;
    for (const D3DVERTEX& v : m_aVertices)
        ExtendBox(box, bAny, CVector3(v.x, v.y, v.z));
    return bAny;
}

void CXFileObject::Restore()
{
    m_aGroupIndices.clear();
    m_bChanged = true;
}

void CXFileObject::DropTextureHandles()
{
    for (SXFileGroup& g : m_aGroups)
        g.pTexture.reset();
}

void CXFileObject::DropMaterialHandles()
{
    for (SXFileGroup& g : m_aGroups)
        g.dwMaterialHandle = 0;
}

void CXFileObject::SetTexture(const std::string& strName)
{
    for (SXFileGroup& g : m_aGroups)
    {
        g.strTexture = strName;
        g.pTexture.reset();
    }
    m_bChanged = true;
}

void CXFileObject::ReplaceTexture(const std::string& strOld, const std::string& strNew)
{
    for (SXFileGroup& g : m_aGroups)
        if (strcasecmp(g.strTexture.c_str(), strOld.c_str()) == 0)
        {
            g.strTexture = strNew;
            g.pTexture.reset();
        }
    m_bChanged = true;
}

void CXFileObject::SetMaterial(const D3DMATERIAL& material)
{
    for (SXFileGroup& g : m_aGroups)
        g.material = material;
    m_bChanged = true;
}

void CXFileObject::RebuildDeviceObjects(CDirect3DDevice& device)
{
    // Handles dropped from an unchanged mesh (as a lamp's change does at every frame) are taken
    // again; the indices and boxes stand.
    const bool bMeshStands = !m_bChanged && m_aGroupIndices.size() == m_aIndices.size();
    m_aGroupIndices.resize(m_aIndices.size());
    for (SXFileGroup& g : m_aGroups)
    {
        if (!g.pMaterial)
            g.pMaterial = std::make_shared<CDirect3DMaterial>();
        g.pMaterial->SetMaterial(&g.material);
        g.pMaterial->GetHandle(&device, &g.dwMaterialHandle);
        if (bMeshStands)
            continue;
        for (DWORD i = g.dwFirstTriangle * 3; i < (g.dwFirstTriangle + g.dwTriangles) * 3; ++i)
            m_aGroupIndices[i] = static_cast<WORD>(m_aIndices[i] - g.dwFirstVertex);
        SBox box;
        bool bAny = false;
        for (DWORD i = g.dwFirstVertex; i < g.dwFirstVertex + g.dwVertices; ++i)
            ExtendBox(box, bAny, CVector3(m_aVertices[i].x, m_aVertices[i].y, m_aVertices[i].z));
        g.vMin = D3DVECTOR{box.vMin.x, box.vMin.y, box.vMin.z};
        g.vMax = D3DVECTOR{box.vMax.x, box.vMax.y, box.vMax.z};
    }
    m_bChanged = false;
}

void CXFileObject::Render(CDirect3DDevice& device, int nBlend, const D3DMATRIX& parent)
{
    const bool bHandlesDropped =
        std::any_of(m_aGroups.begin(), m_aGroups.end(), [](const SXFileGroup& g) { return g.dwMaterialHandle == 0; });
    if (m_bChanged || bHandlesDropped || m_aGroupIndices.size() != m_aIndices.size())
        RebuildDeviceObjects(device);
    device.SetTransform(D3DTRANSFORMSTATE_WORLD, &parent);
    device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, nBlend != SCENE_BLEND_OPAQUE ? TRUE : FALSE);
    if (nBlend != SCENE_BLEND_OPAQUE)
    {
        // Blend 1 is the floor's (one, source colour); every other mode is set in full as well,
        // so that what an object shows does not depend on what was drawn before it.
        device.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device.SetRenderState(D3DRENDERSTATE_DESTBLEND, nBlend == SCENE_BLEND_FLOOR ? D3DBLEND_SRCCOLOR : D3DBLEND_ONE);
    }
    for (SXFileGroup& g : m_aGroups)
    {
        // A group wholly out of view draws nothing: it is not handed to the device at all.
        if (g.dwTriangles == 0 || device.IsBoxOutsideView(g.vMin, g.vMax))
            continue;
        if (!g.pTexture && !g.strTexture.empty())
            g.pTexture = GetTextureSurface(g.strTexture.c_str());
        device.SetLightState(D3DLIGHTSTATE_MATERIAL, g.dwMaterialHandle);
        device.SetTexture(0, g.pTexture);
        device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, &m_aVertices[g.dwFirstVertex], g.dwVertices,
                                    &m_aGroupIndices[g.dwFirstTriangle * 3], g.dwTriangles * 3, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// CXFileFrame

CXFileFrame::CXFileFrame() { MatrixSetIdentity(m_matrix); }

bool CXFileFrame::GetBox(SBox& box) const
{
    bool bAny = false;
    for (const CXFileNode* p = GetChild(); p != nullptr; p = p->GetNext())
    {
        SBox child;
        if (!p->GetBox(child))
            continue;
        // The child box's eight corners, carried into this frame's parent's coordinates.
        for (int i = 0; i < 8; ++i)
        {
            CVector3 v((i & 1) ? child.vMax.x : child.vMin.x, (i & 2) ? child.vMax.y : child.vMin.y,
                       (i & 4) ? child.vMax.z : child.vMin.z);
            Vec3TransformRowCoord(&v, m_matrix);
            ExtendBox(box, bAny, v);
        }
    }
    return bAny;
}

void CXFileFrame::Render(CDirect3DDevice& device, int nBlend, const D3DMATRIX& parent)
{
    D3DMATRIX combined, saved;
    MatrixMultiply(combined, parent, m_matrix); // this frame's matrix, then its parent's
    device.GetTransform(D3DTRANSFORMSTATE_WORLD, &saved);
    for (CXFileNode* p = GetChild(); p != nullptr; p = p->GetNext())
        p->Render(device, nBlend, combined);
    device.SetTransform(D3DTRANSFORMSTATE_WORLD, &saved);
}

bool CXFileFrame::SetPosition(const CXFileFrame* pReference, float x, float y, float z)
{
    if (pReference == nullptr)
        return false;
    const float afBase[3] = {pReference->m_matrix.m[3][0], pReference->m_matrix.m[3][1], pReference->m_matrix.m[3][2]};
    m_matrix.m[3][0] = afBase[0] + x;
    m_matrix.m[3][1] = afBase[1] + y;
    m_matrix.m[3][2] = afBase[2] + z;
    return true;
}

bool CXFileFrame::SetOrientation(const CXFileFrame* pReference, const CVector3& vDir, const CVector3& vUp)
{
    if (pReference == nullptr)
        return false;
    CVector3 d = vDir, u = vUp;
    Vec3Normalize(&d);
    Vec3Normalize(&u);
    CVector3 right, up;
    Vec3Cross(&right, &u, &d);
    Vec3Cross(&up, &d, &right);
    Vec3Normalize(&right);
    Vec3Normalize(&up);
    const CVector3 aRows[3] = {right, up, d};
    for (int r = 0; r < 3; ++r)
    {
        m_matrix.m[r][0] = aRows[r].x;
        m_matrix.m[r][1] = aRows[r].y;
        m_matrix.m[r][2] = aRows[r].z;
    }
    return true;
}

void CXFileFrame::GetPosition(const CXFileFrame* pReference, CVector3& vOut) const
{
    vOut = CVector3(m_matrix.m[3][0], m_matrix.m[3][1], m_matrix.m[3][2]);
    if (pReference != nullptr)
        vOut =
            vOut - CVector3(pReference->m_matrix.m[3][0], pReference->m_matrix.m[3][1], pReference->m_matrix.m[3][2]);
}

bool CXFileFrame::GetOrientation(const CXFileFrame* pReference, CVector3& vDir, CVector3& vUp) const
{
    if (pReference == nullptr)
        return false;
    vDir = CVector3(m_matrix.m[2][0], m_matrix.m[2][1], m_matrix.m[2][2]);
    vUp = CVector3(m_matrix.m[1][0], m_matrix.m[1][1], m_matrix.m[1][2]);
    return true;
}

CXFileObject* CXFileFrame::GetFirstMesh() const
{
    for (CXFileNode* p = GetChild(); p != nullptr; p = p->GetNext())
        if (auto* pMesh = dynamic_cast<CXFileObject*>(p))
            return pMesh;
    return nullptr;
}

void CXFileFrame::SetTexture(const std::string& strName)
{
    if (CXFileObject* pMesh = GetFirstMesh())
        pMesh->SetTexture(strName);
}

void CXFileFrame::ReplaceTexture(const std::string& strOld, const std::string& strNew)
{
    if (CXFileObject* pMesh = GetFirstMesh())
        pMesh->ReplaceTexture(strOld, strNew);
}

void CXFileFrame::SetMaterial(const D3DMATERIAL& material)
{
    if (CXFileObject* pMesh = GetFirstMesh())
        pMesh->SetMaterial(material);
}

// ---------------------------------------------------------------------------------------------
// Loading

namespace
{
bool BuildChildren(CXFileFrame& frame, const SXFrame& source, std::string& strError)
{
    for (const SXChild& child : source.aChildren)
    {
        if (child.pMesh)
        {
            std::unique_ptr<CXFileObject> pMesh = CXFileObject::Build(*child.pMesh, strError);
            if (!pMesh)
                return false;
            frame.AddChild(std::move(pMesh));
        }
        else if (child.pFrame)
        {
            auto pFrame = std::make_unique<CXFileFrame>();
            std::copy(child.pFrame->afMatrix.begin(), child.pFrame->afMatrix.end(), &pFrame->Matrix().m[0][0]);
            if (!BuildChildren(*pFrame, *child.pFrame, strError))
                return false;
            frame.AddChild(std::move(pFrame));
        }
    }
    return true;
}

/// Makes the texture of every material group below the node, its picture searched in the mesh's
/// library first; a texture that does not load leaves its groups plain.
void CreateMeshTextures(const CXFileNode& node, const char* szLibrary)
{
    for (const CXFileNode* p = node.GetChild(); p != nullptr; p = p->GetNext())
    {
        if (const auto* pMesh = dynamic_cast<const CXFileObject*>(p))
            for (const SXFileGroup& g : pMesh->Groups())
                if (!g.strTexture.empty())
                    CreateTexture(g.strTexture.c_str(), szLibrary);
        CreateMeshTextures(*p, szLibrary);
    }
}

/// The tree of one library's resource; null when the library lacks it or it does not read.
std::unique_ptr<CXFileFrame> LoadFromLibrary(const char* szLibrary, const char* szName)
{
    const HMODULE hModule = LoadLibrary(szLibrary);
    if (hModule == nullptr)
        return nullptr;
    std::unique_ptr<CXFileFrame> pRoot;
    const HRSRC hRes = FindResource(hModule, szName, "XFILE");
    if (hRes != nullptr)
    {
        const auto* p = static_cast<const char*>(LockResource(LoadResource(hModule, hRes)));
        SXFrame file;
        std::string strError;
        if (p != nullptr && ParseXFile(std::string_view(p, SizeofResource(hModule, hRes)), file, strError))
        {
            pRoot = BuildXFileTree(file, strError);
        }
        if (pRoot)
            CreateMeshTextures(*pRoot, szLibrary);
        if (!pRoot)
            OutputDebugString(
                ("LoadXFile: " + std::string(szName) + " in " + szLibrary + ": " + strError + "\n").c_str());
    }
    FreeLibrary(hModule);
    return pRoot;
}
} // namespace

std::unique_ptr<CXFileFrame> BuildXFileTree(const SXFrame& file, std::string& strError)
{
    auto pRoot = std::make_unique<CXFileFrame>();
    if (!BuildChildren(*pRoot, file, strError))
        return nullptr;
    return pRoot;
}

std::unique_ptr<CXFileFrame> LoadXFile(const char* szResourceName, const char* szLibrary)
{
    if (szResourceName == nullptr)
        return nullptr;
    if (g_astrArtworkLibraries.IsEmpty())
    {
        OutputDebugString("LoadXFile: no artwork library\n");
        return nullptr;
    }
    if (szLibrary != nullptr)
        if (auto pRoot = LoadFromLibrary(szLibrary, szResourceName))
            return pRoot;
    for (int i = 0; i < g_astrArtworkLibraries.GetSize(); ++i)
        if (auto pRoot = LoadFromLibrary(g_astrArtworkLibraries[i], szResourceName))
            return pRoot;
    OutputDebugString(("LoadXFile: no artwork library holds a readable " + std::string(szResourceName) + "\n").c_str());
    return nullptr;
}
