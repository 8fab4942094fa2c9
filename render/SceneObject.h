// Scene objects: every visible thing of the room and the table owns one X-file frame, carries the
// settings of its scene line, sits in one global list (in creation order) and draws itself with its
// own lamps and ambient level. Objects are found by their number (the line's id).
//
// Placing and turning: SetPosition and SetOrientation keep the frame as it is (they only mark the
// object changed); Move and Turn work in the frame's own terms; the ...Relative forms place the
// frame from another object's frame.
#pragma once

#include "render/SceneRecords.h"
#include "render/XFile.h"

#include <memory>
#include <string>

class CSceneLight;

class CSceneObject
{
public:
    /// Appends the object to the global list, disabled and changed.
    CSceneObject();
    /// Takes the object out of the global list.
    virtual ~CSceneObject();
    CSceneObject(const CSceneObject&) = delete;
    CSceneObject& operator=(const CSceneObject&) = delete;

    virtual void ReleaseFrame();
    /// Replaces the frame by a new empty one; 1.
    virtual BOOL CreateFrame();
    /// Keeps the frame where it is.
    virtual void SetPosition(float x, float y, float z);
    /// Moves the frame by (x, y, z) along the world axes.
    virtual void Move(float x, float y, float z);
    /// Puts the frame at the other object's place plus (x, y, z); nothing when it has no frame.
    virtual void SetPositionRelative(const CSceneObject* pOther, float x, float y, float z);
    /// Keeps the frame as it is.
    virtual void SetOrientation(const CVector3& vDir, const CVector3& vUp);
    /// Turns the frame to face vDir with vUp up.
    virtual void Turn(const CVector3& vDir, const CVector3& vUp);
    /// As Turn when the other object has a frame; nothing otherwise.
    virtual void SetOrientationRelative(const CSceneObject* pOther, const CVector3& vDir, const CVector3& vUp);
    /// The place less the other object's (the plain place when it has no frame).
    virtual void GetPosition(const CSceneObject* pOther, CVector3& vOut) const;
    /// The direction and up rows; nothing when the other object has no frame.
    virtual void GetOrientation(const CSceneObject* pOther, CVector3& vDir, CVector3& vUp) const;
    virtual const D3DMATRIX* GetTransform() const;
    /// Shows a picture on the object; with a link, the mesh takes the picture's proportions.
    virtual void SetImage(const char* szFile);
    virtual bool GetBox(SBox& box) const;
    /// Draws the object with exactly its enabled lamps in the viewport and its ambient grey; 0
    /// without a frame, else 1.
    virtual int Render(CDirect3DDevice& device, CDirect3DViewport& viewport, bool bOnlyIfDirty);
    virtual void Restore();
    virtual void SetEnabled(bool bEnabled) { m_bEnabled = bEnabled ? 1 : 0; }

    /// Loads the X file (szLibrary tried first); false, with the old frame kept, when it fails.
    bool LoadMesh(const char* szFile, const char* szLibrary = nullptr);
    /// Takes the settings of a valid record (an invalid one changes nothing); with a link, writes
    /// the mesh's extent into the link record.
    void ApplyRecord(const CSceneObjectRec& rec);
    /// Lights the object with the lamp: its number's bit (modulo 32) in the mask; -1 for null.
    int AddLight(const CSceneLight* pLamp);
    /// The same by lamp number.
    void AddLightNumber(int nLight) { m_dwLightMask |= 1u << (static_cast<unsigned>(nLight) % 32); }
    CXFileFrame* GetFrame() const { return m_pFrame; }
    void SetBlend(int nBlend) { m_nBlend = nBlend; }
    BOOL IsEnabled() const { return m_bEnabled; }
    /// Whether the object is drawn under the lamps of its mask (else in its ambient grey alone).
    void SetOwnLights(bool bOn);
    /// Accepted for any object; has no effect.
    static BOOL SetObjectTint(CXFileFrame* pFrame, CSceneObject* pOther, float r, float g, float b, float a);

    /// Without pAfter the first object of that number in list order; with pAfter (which must be of
    /// that number) the first one after it; null when none.
    static CSceneObject* FindSceneObjectByKind(int nId, const CSceneObject* pAfter = nullptr);
    static CSceneObject* GetFirst();
    /// Relinks the global list in ascending drawing order (m_nParam8), equal orders kept as they were.
    static void SortListByOrder();
    CSceneObject* GetNext() const { return m_pNext; }

    DWORD m_dwLightMask = 0;
    int m_nLevel = 0;
    int m_nAmbient = 0;
    int m_nAmbientCopy = 0;
    int m_nId = 0;
    int m_nMotion = -1;
    int m_nParam8 = 0;
    int m_nClip = -1;
    BOOL m_bFlag = 0;
    int m_nLink = -1;
    BOOL m_bEnabled = 0;
    std::string m_strMesh;
    SBox m_box;
    int m_nBlend = 0;
    BOOL m_bDirty = 1;

protected:
    /// Placement on the frame: marks the object changed, then does op when there is a frame.
    template <class F> void Place(F op)
    {
        m_bDirty = 1;
        if (m_pFrame)
            op(*m_pFrame);
    }
    void WriteLinkExtent();
    /// Brings the viewport's lamps to exactly this object's enabled lamps.
    void SetViewportLights(CDirect3DViewport& viewport) const;

    /// Makes pFrame the object's own frame, drawn and placed from now on.
    void TakeFrame(std::unique_ptr<CXFileFrame> pFrame);

    /// The frame drawn and placed: the object's own, or (for a ball) one of its variants.
    CXFileFrame* m_pFrame = nullptr;

private:
    std::unique_ptr<CXFileFrame> m_pOwnFrame;
    bool m_bOwnLights = true;
    CSceneObject* m_pNext = nullptr;
    CSceneObject* m_pPrev = nullptr;
};

/// Enables every object of the global list whose level is not above nLevel; the pocket arrow (may
/// be null) and the cue keep the enabled state they had, so that the level never shows or hides
/// them.
void ApplyDetailLevel(int nLevel, CSceneObject* pPocketArrow);

/// One ball: two mesh variants (the current one is the base frame) and a shadow quad.
class CBallSceneObject : public CSceneObject
{
public:
    void SetPositionRelative(const CSceneObject* pOther, float x, float y, float z) override;
    void SetOrientationRelative(const CSceneObject* pOther, const CVector3& vDir, const CVector3& vUp) override;
    /// The ball's texture ("b_%02d.bmp", or "b_sm_%02d.bmp" without large textures) on both variants.
    void SetImage(const char* szFile) override;
    virtual BOOL Slot17() { return 1; }

    /// Loads a variant (the second when bSecond); 1.
    BOOL LoadMesh(float fScale, int nBall, const char* szFile, int nReserved, bool bSecond);
    void SelectVariant(bool bSecond);
    bool IsSecondVariant() const;
    int GetObjectId() const { return m_nBall; }
    void SavePose(const CSceneObject* pOther);
    void RestorePose(const CSceneObject* pOther);

    /// The shadow quad in the plane y = fPlaneY for the light (its position, y raised to 200), or
    /// a light straight above; 0 without a frame or when the light is level with the ball or the
    /// plane; with bObeyOption and the ball option off, the quad is dropped (1).
    int UpdateShadow(float fPlaneY, const CSceneLight* pLight, bool bObeyOption);
    /// The shadow texture level (0..4) for a ball at distance fDistance; -1 for 0 or less.
    static int ShadowTextureLevel(float fDistance);
    /// Draws the quad with the texture of its level; 0 for a distance of 0 or less.
    int SelectShadowTexture(CDirect3DDevice& device, float fDistance);
    const CXFileObject* GetShadow() const { return m_pShadow.get(); }

    float m_fScale = 1.23f;
    int m_nBall = 0;

private:
    std::unique_ptr<CXFileFrame> m_pFrameA;
    std::unique_ptr<CXFileFrame> m_pFrameB;
    bool m_bSecond = false;
    CVector3 m_vSavedPos, m_vSavedDir, m_vSavedUp, m_vDir, m_vUp;
    std::unique_ptr<CXFileObject> m_pShadow;
};

/// The large-texture switch of the balls (on from the start) and the ball option (a settings
/// flag read here only) with its program-wide texture name. Main thread.
extern bool g_bLargeBallTextures;
extern bool g_bBallOption;
extern std::string g_strBallOptionTexture;
/// The apparent size of a ball one unit away, in pixels (set with the projection). Main thread.
extern float g_fBallPixelSize;

/// The object of number 32.
class CSceneObjectB : public CSceneObject
{
public:
    void SetShown(bool b) { m_bShown = b ? 1 : 0; }
    BOOL m_bShown = 1;
};

/// The camera's own object: orbit values in degrees and the box that limits it.
class CCameraObject : public CSceneObject
{
public:
    void Reset();
    void ResetAlt();
    static CVector3 GetDefaultPosition() { return CVector3(180.0f, 345.0f, 136.0f); }
    void SetBounds(const float afBounds[6]);
    /// The position relative to the other object lies in the box, bounds included.
    bool IsInsideBounds(const CSceneObject* pOther) const;
    /// The point lies in the box, bounds included.
    bool IsInsideBounds(const CVector3& v) const;
    /// A point inside is kept; else the crossing of the segment from vFrom with the box, or the
    /// point clamped into it with y at least the box's lowest y + 1.
    void ClampToBounds(CVector3& vOut, const CVector3& vPoint, const CVector3& vFrom) const;
    /// Keeps the pitch between 300 and 359.9 degrees (-60..0 read as 300..360).
    void SetPitch(float fDegrees);
    void UpdateDistance(const CSceneObject* pOther);
    void SetFlags(DWORD dw) { m_dwFlags |= dw; }
    float GetDistance() const { return m_fDistance; }
    void SetDistance(float f);
    /// (yaw, pitch, distance).
    CVector3 GetCameraPosition() const { return CVector3(m_fYaw, m_fPitch, m_fDistance); }

    float m_fDistance = 0, m_fYaw = 0, m_fPitch = 0, m_fExtra1 = 0, m_fExtra2 = 0;
    float m_afBounds[6] = {};
    DWORD m_dwFlags = 0;
};

/// The cue.
class CSceneObjectC : public CSceneObject
{
public:
    /// The near value, the stroke's length and the least pull-back of a cue for balls of radius r.
    static constexpr float NearValue(float r) { return 1.5f * r; }
    static constexpr float StrokeLength(float r) { return 25.0f * r; }
    static constexpr float MinPullBack(float r) { return r; }
    /// Sizes the cue for balls of radius r.
    void SetSize(float r);
    float GetSize() const { return m_fSize; }
    float GetStrokeLength() const { return m_afSize[1]; }
    float GetMinPullBack() const { return m_afSize[2]; }
    /// The box's size in x, y, z.
    void ComputeExtent();
    virtual void Hide() { SetEnabled(false); }
    /// Enabled exactly when bit 0x10000 of the game-mode word is clear.
    virtual void ShowUnlessFlagged(DWORD dwGameMode) { SetEnabled((dwGameMode & 0x10000u) == 0); }
    void RestoreState(float a, float b, float c);

    float m_fA = 3.0f, m_fAfterA = 0, m_fB = 3.0f, m_fSize = 0;
    float m_afSize[3] = {1.25f, 2.5f, 1.25f};
    CVector3 m_vExtent;
};
