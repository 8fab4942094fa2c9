#include "render/ParticleSystem.h"

#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/win32/CrtRandom.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
/// The point every particle is faintly pulled towards, and the pull per ms.
const CVector3 ATTRACTOR(0.0f, 30.0f, 6.0f);
constexpr float ATTRACTION = 3.0e-7f;
constexpr float GRAVITY_UNIT = 9.8f;
constexpr float PI = 3.14159f;
constexpr float DEGREE = 0.01745f;

/// A random factor in [-1, 1], the difference of two draws.
float Spread() { return static_cast<float>(CrtRand() - CrtRand()) / 32767.0f; }

float Randomised(float fBase, float fSpread, float fLow, float fHigh)
{
    return std::clamp(fBase + Spread() * fSpread, fLow, fHigh);
}

CVector3 Add(const CVector3& a, const CVector3& b, float s) { return {a.x + b.x * s, a.y + b.y * s, a.z + b.z * s}; }

DWORD ColourByte(float f) { return static_cast<DWORD>(std::clamp(f, 0.0f, 1.0f) * 255.0f); }
} // namespace

void StepParticle(SParticle& p, float dt)
{
    if (p.IsFree())
        return;
    if (p.fAge + dt >= p.fLife)
    {
        p.fAge = -1.0f;
        return;
    }
    p.fAge += dt;
    p.vPrevious = p.vPosition;
    p.vPosition = Add(p.vPosition, p.vVelocity, dt);
    p.vVelocity = Add(p.vVelocity, p.vGravity, dt);
    const CVector3 pull(ATTRACTOR.x - p.vPosition.x, ATTRACTOR.y - p.vPosition.y, ATTRACTOR.z - p.vPosition.z);
    p.vVelocity = Add(p.vVelocity, pull, ATTRACTION * dt);
    for (std::size_t k = 0; k < 3; ++k)
        p.colour[k] += p.colourChange[k] * dt;
    p.fAlpha += p.fAlphaChange * dt;
    p.fSize += p.fSizeChange * dt;
    p.vGravity = Add(p.vGravity, p.vGravityChange, dt);
}

D3DMATRIX BillboardMatrix(const D3DMATRIX& view, const CVector3& vPosition)
{
    // The view's rotation is orthonormal: its inverse is its transpose.
    D3DMATRIX m;
    MatrixSetIdentity(m);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[r][c] = view.m[c][r];
    m.m[3][0] = vPosition.x;
    m.m[3][1] = vPosition.y;
    m.m[3][2] = vPosition.z;
    return m;
}

CParticleSystem::CParticleSystem(int nCount, std::string strTexture)
    : m_nMaxParticles(std::clamp(nCount, 0, PARTICLE_MAX_COUNT)),
      m_particles(static_cast<std::size_t>(m_nMaxParticles)), m_strTexture(std::move(strTexture))
{
}

void CParticleSystem::EmitOne(SParticle& p)
{
    p.fAge = 0.0f;
    p.fLife = Randomised(m_fLife, m_fLifeSpread, 0.1f, 10000.0f);
    for (std::size_t k = 0; k < 3; ++k)
    {
        p.colour[k] = Randomised(m_startColour[k], m_colourSpread[k], 0.0f, 1.0f);
        p.colourChange[k] = (m_endColour[k] - p.colour[k]) / p.fLife;
    }
    p.fColourExtra = 1.0f;
    p.fAlpha = Randomised(m_fStartAlpha, m_fAlphaSpread, 0.0f, 1.0f);
    p.fAlphaChange = (m_fEndAlpha - p.fAlpha) / p.fLife;
    p.fSize = Randomised(m_fStartSize, m_fSizeSpread, 0.5f, 10.0f);
    p.fSizeChange = (m_fEndSize - p.fSize) / p.fLife;
    const auto gravity = [](float f) { return std::clamp(f * Spread(), -5.0f, 5.0f); };
    p.vGravity = CVector3(gravity(m_vStartGravity.x), gravity(m_vStartGravity.y), gravity(m_vStartGravity.z));
    p.vGravityChange = CVector3((m_vEndGravity.x * GRAVITY_UNIT - p.vGravity.x) / p.fLife,
                                (m_vEndGravity.y * GRAVITY_UNIT - p.vGravity.y) / p.fLife,
                                (m_vEndGravity.z * GRAVITY_UNIT - p.vGravity.z) / p.fLife);
    // A point along the emitter's last move.
    const CVector3 move(m_vLocation.x - m_vPrevLocation.x, m_vLocation.y - m_vPrevLocation.y,
                        m_vLocation.z - m_vPrevLocation.z);
    p.vPosition = Add(m_vPrevLocation, move, Spread());
    p.vPrevious = m_vLocation;
    const float fYaw = Spread() * PI * 2.0f;
    const float fPitch = Spread() * m_fSpreadAngle * PI / 180.0f;
    const float fSpeed = Randomised(m_fSpeed, m_fSpeedSpread, 0.0f, m_fMaxSpeed);
    p.vVelocity = CVector3(std::sin(fYaw) * std::cos(fPitch) * fSpeed, std::sin(fPitch) * fSpeed,
                           std::cos(fYaw) * std::cos(fPitch) * fSpeed);
    ++m_nLive;
}

int CParticleSystem::Update(DWORD time)
{
    if (!m_bTimed)
    {
        m_bTimed = true;
        m_dwLastTime = time;
        return 1;
    }
    const float dt = static_cast<float>(time - m_dwLastTime);
    m_dwLastTime = time;
    if (m_bCircling)
    {
        m_fAngle1 = m_fAngle1 + dt * 50.0f > 359.0f ? 0.0f : m_fAngle1 + dt * 50.0f;
        m_fAngle2 = m_fAngle2 + dt * 30.0f > 359.0f ? 0.0f : m_fAngle2 + dt * 30.0f;
        m_vLocation = CVector3(std::sin(m_fAngle1 * DEGREE) * 30.0f, std::cos(m_fAngle2 * DEGREE) * 30.0f + 50.0f,
                               std::cos(m_fAngle1 * DEGREE) * 30.0f);
    }
    m_nLive = 0;
    for (SParticle& p : m_particles)
    {
        StepParticle(p, dt);
        m_nLive += p.IsFree() ? 0 : 1;
    }
    const float fOwed = static_cast<float>(m_nRate) * dt / 1000.0f + m_fOwed;
    const int nOwed = static_cast<int>(fOwed);
    // Only the fraction is kept, emitting or not, so switching emission on brings no burst.
    m_fOwed = fOwed - static_cast<float>(nOwed);
    if (m_bEmitting)
        EmitFree(nOwed);
    m_vPrevLocation = m_vLocation;
    return 1;
}

int CParticleSystem::EmitFree(int nCount)
{
    int nPlaced = 0;
    for (SParticle& p : m_particles)
    {
        if (nPlaced >= nCount)
            break;
        if (p.IsFree())
        {
            EmitOne(p);
            ++nPlaced;
        }
    }
    return nPlaced;
}

int CParticleSystem::Emit(int nCount, DWORD time)
{
    m_dwLastTime = time;
    m_bTimed = true;
    return EmitFree(nCount) == nCount ? 1 : 0;
}

void CParticleSystem::Render(CDirect3DDevice& device, const D3DMATRIX& view) const
{
    // Added to what is there, weighed by alpha: the texture holds the sprite's shape in its alpha and
    // each particle fades by its own; unweighed, every particle would be a square that never fades.
    device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    device.SetTexture(0, GetTexture(m_strTexture.c_str()));
    static constexpr std::array<std::pair<float, float>, 4> CORNERS = {{{-1, -1}, {-1, 1}, {1, -1}, {1, 1}}};
    std::array<D3DLVERTEX, 4> quad{};
    for (const SParticle& p : m_particles)
    {
        if (p.IsFree())
            continue;
        const D3DCOLOR colour = ColourByte(p.fAlpha) << 24 | ColourByte(p.colour[0]) << 16 |
                                ColourByte(p.colour[1]) << 8 | ColourByte(p.colour[2]);
        for (std::size_t k = 0; k < 4; ++k)
        {
            const auto [cx, cy] = CORNERS[k];
            quad[k].x = cx * p.fSize;
            quad[k].y = cy * p.fSize;
            quad[k].z = 0.0f;
            quad[k].color = colour;
            quad[k].tu = (cx + 1.0f) / 2.0f;
            quad[k].tv = (1.0f - cy) / 2.0f;
        }
        const D3DMATRIX world = BillboardMatrix(view, p.vPosition);
        device.SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, quad.data(), 4, 0);
    }
    device.SetTexture(0, nullptr);
    device.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    D3DMATRIX identity;
    MatrixSetIdentity(identity);
    device.SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
}

void CParticleSystem::MoveTo(float x, float y, float z)
{
    m_vPrevLocation = m_vLocation;
    m_vLocation = CVector3(x, y, z);
}

CParticleSystemA::CParticleSystemA(int nCount, std::string strTexture) : CParticleSystem(nCount, std::move(strTexture))
{
    m_nRate = 30;
    m_startColour = {1.0f, 0.4862f, 0.2588f};
    m_endColour = {1.0f, 0.0f, 0.0f};
    m_fStartAlpha = 1.0f;
    m_fLife = 1000.0f;
    m_fLifeSpread = 700.0f;
    m_fStartSize = 1.2f;
    m_fSizeSpread = 1.0f;
    m_fEndSize = 0.8f;
}

CParticleSystemB::CParticleSystemB(int nRate, int nCount, std::string strTexture)
    : CParticleSystem(nCount, std::move(strTexture))
{
    m_nRate = nRate;
    m_nModeFlag = 1;
    m_colourSpread = {1.0f, 1.0f, 1.0f};
    m_endColour = {1.0f, 1.0f, 1.0f};
    m_fStartAlpha = 0.5f;
    m_fAlphaSpread = 0.33f;
    m_fEndAlpha = 1.0f;
    m_fSpeed = 0.0055f;
    m_fSpeedSpread = 0.0025f;
    m_fLife = 3000.0f;
    m_fLifeSpread = 750.0f;
    m_fStartSize = 1.0f;
    m_fSizeSpread = 1.0f;
    m_fEndSize = 2.0f;
    m_fSpreadAngle = 180.0f;
}

CParticleSystemC::CParticleSystemC(int nCount, std::string strTexture) : CParticleSystem(nCount, std::move(strTexture))
{
    m_nModeFlag = 1;
    m_startColour = {0.1f, 0.1f, 0.1f};
    m_colourSpread = {0.01f, 0.01f, 0.01f};
    m_fStartAlpha = 0.05f;
    m_fSpeed = 0.001f;
    m_fSpeedSpread = 0.0005f;
    m_fLife = 3000.0f;
    m_fStartSize = 0.0f;
    m_fSizeSpread = 0.2f;
    m_fEndSize = 0.75f;
    m_fSpreadAngle = 180.0f;
}
