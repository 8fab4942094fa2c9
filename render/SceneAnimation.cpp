#include "render/SceneAnimation.h"

#include "platform/win32/CrtRandom.h"
#include "render/ClockObject.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "render/SceneSetUp.h"

#include <algorithm>

namespace
{
/// A flickering lamp's motion: kind 2, the channel bits (4 red, 2 green, 1 blue) above the
/// percentage range in the low 16 bits.
constexpr int MOTION_FLICKER = 2;
constexpr DWORD FLICKER_RED = 4, FLICKER_GREEN = 2, FLICKER_BLUE = 1;

/// A channel moved up or down (chosen by a random bit) by a random share of the range, in
/// percent of itself, kept within a byte.
int FlickerChannel(int nChannel, int nRange)
{
    const bool bRaise = (CrtRand() & 1) != 0;
    const int nDelta = CrtRand() % nRange * nChannel / 100;
    return std::clamp(bRaise ? nChannel + nDelta : nChannel - nDelta, 0, 255);
}
} // namespace

void CSceneAnimation::SetClips(std::function<int()> clipCount, ClipUpdate update)
{
    m_clipCount = std::move(clipCount);
    m_clipUpdate = std::move(update);
}

void CSceneAnimation::SetFloatingObject(CSceneObject* pObject, const CSceneObject* pReference, float fBaseHeight)
{
    m_pFloating = pObject;
    m_pFloatReference = pReference;
    m_fFloatBase = fBaseHeight;
    m_fFloatOffset = 0.0f;
    m_fFloatRate = FLOAT_RATE;
}

void CSceneAnimation::Reset()
{
    m_pFloating = nullptr;
    m_pFloatReference = nullptr;
    m_pClock = nullptr;
    m_aFlicker = {};
}

void CSceneAnimation::Animate(float fSeconds, const SAnimationSettings& settings)
{
    TurnObjects(fSeconds);
    Float(fSeconds);
    m_anSwitchedOff.clear();
    m_anFlickered.clear();
    if (settings.nDrawLevel >= 1)
        UpdateClips(settings);
    Flicker();
    for (const int nLamp : m_anSwitchedOff)
        CLightTable::SetOnFlag(nLamp);
    if (m_pClock != nullptr)
        m_pClock->Tick();
}

void CSceneAnimation::TurnObjects(float fSeconds)
{
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        TurnSceneObject(*p, fSeconds);
}

void CSceneAnimation::Float(float fSeconds)
{
    if (m_pFloating == nullptr || !m_pFloating->IsEnabled())
        return;
    CVector3 vAt;
    m_pFloating->GetPosition(m_pFloatReference, vAt);
    m_pFloating->SetPositionRelative(m_pFloatReference, vAt.x, m_fFloatBase + m_fFloatOffset, vAt.z);
    // Up and down between 0 and the range, turning at each end.
    m_fFloatOffset += fSeconds * m_fFloatRate;
    if (m_fFloatOffset > FLOAT_RANGE)
    {
        m_fFloatOffset = FLOAT_RANGE;
        m_fFloatRate = -m_fFloatRate;
    }
    else if (m_fFloatOffset < 0.0f)
    {
        m_fFloatOffset = 0.0f;
        m_fFloatRate = -m_fFloatRate;
    }
}

void CSceneAnimation::UpdateClips(const SAnimationSettings& settings)
{
    const int nClips = m_clipCount ? m_clipCount() : 0;
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
    {
        if (p->m_nClip < 0)
            continue;
        const bool bPlays = p->IsEnabled() && p->m_nClip < nClips && settings.nAnimTV != 0;
        if (bPlays && m_clipUpdate(p->m_nClip, settings.bClipsStill ? 0 : settings.nAnimTV))
        {
            p->m_bDirty = 1;
            continue;
        }
        // A screen that shows nothing new casts no flickering light this frame.
        for (int nLamp = 0; nLamp < CLightTable::GetCount(); ++nLamp)
            if ((p->m_dwLightMask & (1u << nLamp)) != 0 && CLightTable::GetOnFlag(nLamp))
            {
                CLightTable::ClearOnFlag(nLamp);
                m_anSwitchedOff.push_back(nLamp);
            }
    }
}

void CSceneAnimation::Flicker()
{
    for (int nLamp = 0; nLamp < CLightTable::GetCount(); ++nLamp)
    {
        CSceneLight* pLamp = CLightTable::GetAt(nLamp);
        if (pLamp == nullptr)
            continue;
        pLamp->CopyToPrevious();
        const int nMotion = pLamp->m_nExtra;
        if (pLamp->m_bOn && nMotion >= 0 && nMotion < static_cast<int>(g_aMotions.size()) &&
            g_aMotions[static_cast<std::size_t>(nMotion)].m_nKind == MOTION_FLICKER)
            FlickerLamp(nLamp, nMotion);
    }
}

void CSceneAnimation::FlickerLamp(int nLamp, int nMotion)
{
    const int nWord = g_aMotions[static_cast<std::size_t>(nMotion)].GetInt();
    const int nRange = nWord & 0xFFFF;
    const DWORD dwChannels = static_cast<DWORD>(nWord) >> 16;
    if (nRange == 0)
        return;
    CSceneLight& lamp = *CLightTable::GetAt(nLamp);
    // Each frame starts from the lamp as it was set, not from the last frame's flicker, so the
    // colour and attenuation never drift whoever puts the lamp back or not.
    SFlickerBase& base = m_aFlicker[static_cast<std::size_t>(nLamp)];
    const DWORD dwNow = lamp.GetColorRGB();
    const float fNow = lamp.GetAttenuation0();
    if (!base.bValid || dwNow != base.dwWrittenColour || fNow != base.fWrittenAttenuation)
    {
        base.bValid = true;
        base.dwBaseColour = dwNow;
        base.fBaseAttenuation = fNow;
    }
    int anRgb[3] = {static_cast<int>(base.dwBaseColour >> 16 & 0xFF), static_cast<int>(base.dwBaseColour >> 8 & 0xFF),
                    static_cast<int>(base.dwBaseColour & 0xFF)};
    const DWORD adwBits[3] = {FLICKER_RED, FLICKER_GREEN, FLICKER_BLUE};
    for (int c = 0; c < 3; ++c)
        if ((dwChannels & adwBits[c]) != 0)
            anRgb[c] = FlickerChannel(anRgb[c], nRange);
    const float fAttenuation =
        base.fBaseAttenuation + static_cast<float>(CrtRand() % nRange) * base.fBaseAttenuation / 100.0f;
    lamp.SetColorRGB(static_cast<DWORD>(anRgb[0] << 16 | anRgb[1] << 8 | anRgb[2]));
    lamp.SetAttenuation0(fAttenuation);
    base.dwWrittenColour = lamp.GetColorRGB();
    base.fWrittenAttenuation = lamp.GetAttenuation0();
    m_anFlickered.push_back(nLamp);
}

void CSceneAnimation::RestoreLamps()
{
    for (const int nLamp : m_anFlickered)
    {
        CSceneLight* pLamp = CLightTable::GetAt(nLamp);
        const SFlickerBase& base = m_aFlicker[static_cast<std::size_t>(nLamp)];
        if (pLamp == nullptr || pLamp->GetColorRGB() != base.dwWrittenColour ||
            pLamp->GetAttenuation0() != base.fWrittenAttenuation)
            continue;
        pLamp->RestorePrevious();
        // An ambient lamp's colour is the device's ambient light, which the record does not hold.
        if (pLamp->GetType() == LIGHT_TYPE_AMBIENT)
            pLamp->SetColorRGB(base.dwBaseColour & 0xFFFFFF);
    }
    m_anFlickered.clear();
}
