// The scene's meshes: X files (resources of type "XFILE" in the artwork libraries) turned into a
// small tree of frames and meshes that draw themselves on the 3-D device.
//
// A frame holds a transform (rows: right, up, direction, translation; row vectors); each mesh is
// drawn with the product of the frame matrices from the root down. A mesh keeps 32-byte vertices
// (position, normal, texture u, v) and 16-bit indices, three per triangle, split into material
// groups whose vertices lie together.
#pragma once

#include "foundation/Vector3.h"
#include "platform/dx/Device.h"

#include <memory>
#include <string>
#include <vector>

struct SXFrame;
struct SXMesh;

/// Corners of a bounding box.
struct SBox
{
    CVector3 vMin;
    CVector3 vMax;
};

/// The alpha-blending modes of a scene object's mesh.
enum ESceneBlend : int
{
    SCENE_BLEND_OPAQUE = 0, ///< alpha blending off
    SCENE_BLEND_FLOOR = 1,  ///< one, source colour (the floor's reflection look)
    // 2 and above: one, one
};

class CXFileNode
{
public:
    CXFileNode() = default;
    virtual ~CXFileNode();
    CXFileNode(const CXFileNode&) = delete;
    CXFileNode& operator=(const CXFileNode&) = delete;

    /// The box of the node and what lies below it, in the coordinates its parent sees; false when
    /// there is no vertex.
    virtual bool GetBox(SBox& box) const;
    /// Drops what is rebuilt at the next drawing (after lost surfaces).
    virtual void Restore();
    virtual void Render(CDirect3DDevice& device, int nBlend, const D3DMATRIX& parent);
    /// Forget the texture (and material) handles; they are looked up again at the next drawing.
    virtual void DropTextureHandles();
    virtual void DropMaterialHandles();

    /// Appends at the end of the child chain.
    void AddChild(std::unique_ptr<CXFileNode> pNode);
    CXFileNode* GetChild() const { return m_pChild.get(); }
    CXFileNode* GetNext() const { return m_pNext.get(); }

protected:
    std::unique_ptr<CXFileNode> m_pNext;
    std::unique_ptr<CXFileNode> m_pChild;
};

/// One material group of a mesh: its material, texture and ranges.
struct SXFileGroup
{
    D3DMATERIAL material;
    std::string strTexture;
    SurfacePtr pTexture; ///< looked up by name at drawing, dropped with the texture handles
    DWORD dwFirstTriangle = 0;
    DWORD dwTriangles = 0;
    DWORD dwFirstVertex = 0;
    DWORD dwVertices = 0;
    MaterialPtr pMaterial; ///< the device's material, rebuilt when the mesh changed
    DWORD dwMaterialHandle = 0;
    D3DVECTOR vMin{}, vMax{}; ///< the box of the group's vertices, rebuilt when the mesh changed
};

class CXFileObject : public CXFileNode
{
public:
    /// Builds the mesh from its file form; null with strError set when an index names nothing or
    /// the regrouped vertices pass the 16-bit index range.
    static std::unique_ptr<CXFileObject> Build(const SXMesh& mesh, std::string& strError);

    bool GetBox(SBox& box) const override;
    void Restore() override;
    void Render(CDirect3DDevice& device, int nBlend, const D3DMATRIX& parent) override;
    void DropTextureHandles() override;
    void DropMaterialHandles() override;

    /// Gives every group the named texture.
    void SetTexture(const std::string& strName);
    /// Renames every group's texture that equals strOld (without case).
    void ReplaceTexture(const std::string& strOld, const std::string& strNew);
    void SetMaterial(const D3DMATERIAL& material);
    /// Marks the device objects stale after the vertices were changed in place.
    void MarkChanged() { m_bChanged = true; }

    /// The vertices to change in place; MarkChanged (or Restore) must follow, so that the groups'
    /// boxes, by which groups out of view are left out, follow them.
    std::vector<D3DVERTEX>& Vertices() { return m_aVertices; }
    const std::vector<D3DVERTEX>& Vertices() const { return m_aVertices; }
    const std::vector<WORD>& Indices() const { return m_aIndices; }
    const std::vector<SXFileGroup>& Groups() const { return m_aGroups; }

private:
    void RebuildDeviceObjects(CDirect3DDevice& device);

    std::vector<D3DVERTEX> m_aVertices;
    std::vector<WORD> m_aIndices; ///< three per triangle, into m_aVertices
    std::vector<SXFileGroup> m_aGroups;
    std::vector<WORD> m_aGroupIndices; ///< the indices less each group's first vertex, for drawing
    bool m_bChanged = true;
};

class CXFileFrame : public CXFileNode
{
public:
    CXFileFrame();

    bool GetBox(SBox& box) const override;
    void Render(CDirect3DDevice& device, int nBlend, const D3DMATRIX& parent) override;

    /// The translation becomes the reference's translation plus (x, y, z); false without a reference.
    bool SetPosition(const CXFileFrame* pReference, float x, float y, float z);
    /// Rows from dir and up (normalised): right = up x dir, up = dir x right, direction = dir;
    /// false without a reference (whose own orientation is not used).
    bool SetOrientation(const CXFileFrame* pReference, const CVector3& vDir, const CVector3& vUp);
    /// The translation less the reference's (the plain translation without one).
    void GetPosition(const CXFileFrame* pReference, CVector3& vOut) const;
    /// The direction and up rows; false without a reference.
    bool GetOrientation(const CXFileFrame* pReference, CVector3& vDir, CVector3& vUp) const;

    D3DMATRIX& Matrix() { return m_matrix; }
    const D3DMATRIX& Matrix() const { return m_matrix; }

    /// The first mesh among the children, null when there is none.
    CXFileObject* GetFirstMesh() const;
    void SetTexture(const std::string& strName);
    void ReplaceTexture(const std::string& strOld, const std::string& strNew);
    void SetMaterial(const D3DMATERIAL& material);

private:
    D3DMATRIX m_matrix;
};

/// Builds the node tree of a parsed X file: the file's top-level objects become children of the
/// returned root; null with strError set when a mesh is bad.
std::unique_ptr<CXFileFrame> BuildXFileTree(const SXFrame& file, std::string& strError);

/// Loads the X-file resource of that name: from szLibrary first when given (a library path),
/// then from each artwork library in list order. Null, with the reason in the debug log, when
/// no library holds a resource that reads.
std::unique_ptr<CXFileFrame> LoadXFile(const char* szResourceName, const char* szLibrary = nullptr);
