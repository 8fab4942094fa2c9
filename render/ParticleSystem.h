// Particle systems: sparkles and bubbles as camera-facing textured squares drawn additively, each
// weighed by its own alpha and by its texture's, which holds the sprite's shape. A fixed array of
// particles is emitted from a moving point with randomised colour, transparency, size, life,
// direction and speed, and moved by their own velocity and gravity. The base class holds
// everything; the three kinds only set their parameters. Times are milliseconds of the multimedia
// clock; random spreads come from the runtime's generator (CrtRand). Main thread.
#pragma once

#include "foundation/Vector3.h"
#include "platform/dx/DxTypes.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <string>
#include <vector>

class CDirect3DDevice;

/// Most particles one system holds.
inline constexpr int PARTICLE_MAX_COUNT = 10000;

struct SParticle
{
    CVector3 vPrevious, vPosition, vVelocity;
    CVector3 vGravity, vGravityChange; // per ms
    std::array<float, 3> colour{1.0f, 0.0f, 0.0f};
    float fColourExtra = 0.5f;
    std::array<float, 3> colourChange{};
    float fAge = -1.0f; // ms; -1 marks a free slot
    float fLife = 0.0f; // ms
    float fSize = 1.0f; // half the square's side, scene units
    float fSizeChange = 0.0f;
    float fAlpha = 0.0f;
    float fAlphaChange = 0.0f;

    bool IsFree() const { return fAge < 0.0f; }
};

/// Ages a live particle by dt ms: it moves, its velocity takes its gravity and a faint pull
/// towards the middle of the room, its colour, alpha, size and gravity change by their rates; a
/// particle whose life is over becomes free.
void StepParticle(SParticle& p, float dt);

/// The world matrix that turns a square in the xy plane to face the camera of `view` and places
/// it at vPosition.
D3DMATRIX BillboardMatrix(const D3DMATRIX& view, const CVector3& vPosition);

class CParticleSystem
{
public:
    /// nCount is clamped to 0..PARTICLE_MAX_COUNT; strTexture names the texture drawn with.
    CParticleSystem(int nCount, std::string strTexture);
    virtual ~CParticleSystem() = default;

    /// Steps the particles to `time` and emits the particles owed since the last update while
    /// emitting. The first call only takes the time. Returns 1.
    virtual int Update(DWORD time);
    /// Emits up to nCount particles now; 1 when all found a free slot.
    virtual int Emit(int nCount, DWORD time);
    /// Draws the live particles as billboards with the system's texture, added to what is there as
    /// much as their alpha and the texture's say.
    virtual void Render(CDirect3DDevice& device, const D3DMATRIX& view) const;

    void MoveTo(float x, float y, float z);
    void SetLocation(const CVector3& v) { m_vLocation = v; }
    /// Puts the emitter at v with no move behind it: the next particles start at v itself.
    void JumpTo(const CVector3& v) { m_vLocation = m_vPrevLocation = v; }
    const CVector3& GetLocation() const { return m_vLocation; }
    /// The colour new particles start from (each channel 0 to 1, spread as the kind spreads it).
    void SetStartColour(const std::array<float, 3>& colour) { m_startColour = colour; }
    const std::array<float, 3>& GetStartColour() const { return m_startColour; }
    void SetEmitting(BOOL bOn) { m_bEmitting = bOn ? 1 : 0; }
    BOOL IsEmitting() const { return m_bEmitting ? TRUE : FALSE; }

    int GetLiveCount() const { return m_nLive; }
    int GetMaxParticles() const { return m_nMaxParticles; }
    /// Particles emitted a second while emitting.
    int GetRate() const { return m_nRate; }
    const std::vector<SParticle>& Particles() const { return m_particles; }
    const std::string& TextureName() const { return m_strTexture; }
    BYTE GetModeFlag() const { return m_nModeFlag; }

protected:
    void EmitOne(SParticle& p);
    /// Emits up to nCount particles into free slots in array order; the number placed.
    int EmitFree(int nCount);

    CVector3 m_vLocation, m_vPrevLocation;
    CVector3 m_vStartGravity, m_vEndGravity; // end gravity in units of 9.8
    int m_nRate = 0;                         // particles per second
    int m_nLive = 0;
    BYTE m_nModeFlag = 0;
    int m_nMaxParticles = 0;
    std::array<float, 3> m_startColour{}, m_colourSpread{}, m_endColour{};
    float m_fStartAlpha = 0, m_fAlphaSpread = 0, m_fEndAlpha = 0;
    float m_fSpeed = 0, m_fSpeedSpread = 0, m_fMaxSpeed = 5.0f;
    float m_fLife = 0, m_fLifeSpread = 0;
    float m_fStartSize = 0, m_fSizeSpread = 0, m_fEndSize = 0;
    BYTE m_bAttract = 0;
    float m_fSpreadAngle = 0; // degrees
    BYTE m_bCircling = 0;
    float m_fAngle1 = 0, m_fAngle2 = 0; // degrees along the circling path
    DWORD m_dwLastTime = 0;
    bool m_bTimed = false;
    float m_fOwed = 0; // particles owed but not yet emitted (a fraction while emitting)
    BYTE m_bEmitting = 0;
    std::vector<SParticle> m_particles;
    std::string m_strTexture;
};

/// Sparkles: 30 a second, orange to red, fading out.
class CParticleSystemA : public CParticleSystem
{
public:
    CParticleSystemA(int nCount, std::string strTexture);
};

/// Bubbles rising at nRate a second, growing and brightening.
class CParticleSystemB : public CParticleSystem
{
public:
    CParticleSystemB(int nRate, int nCount, std::string strTexture);
};

/// Faint smoke emitted only on request.
class CParticleSystemC : public CParticleSystem
{
public:
    CParticleSystemC(int nCount, std::string strTexture);
};
