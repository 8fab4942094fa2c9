// The scene's moving parts, advanced once a frame by the time since the last: the turning objects
// of the global object list, the floating object that bobs above its base height, the objects
// that show a texture clip (and the lamps of those that show none), the flickering lamps and the
// room's clock. Main thread.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <functional>
#include <vector>

class CClockObject;
class CSceneObject;

/// How far the floating object rises above its base, scene units, and its speed at start, units a second.
inline constexpr float FLOAT_RANGE = 4.0f;
inline constexpr float FLOAT_RATE = 4.0f;

/// What the frame's settings and mode say about the animations.
struct SAnimationSettings
{
    int nDrawLevel = 0;       ///< clips are visited from level 1
    int nAnimTV = 0;          ///< the clips' animation level; 0 leaves them still
    BOOL bClipsStill = FALSE; ///< the game mode holds the clips at level 0
};

class CSceneAnimation
{
public:
    /// Updates clip nClip at the level; TRUE when it drew a new frame.
    using ClipUpdate = std::function<BOOL(int nClip, int nLevel)>;

    /// The texture clips: their count and how one is updated (none until set).
    void SetClips(std::function<int()> clipCount, ClipUpdate update);
    /// The object that floats (null: none), placed relative to pReference at its own x and z and at
    /// fBaseHeight plus the floating offset. The offset starts again from 0, rising.
    void SetFloatingObject(CSceneObject* pObject, const CSceneObject* pReference, float fBaseHeight);
    CSceneObject* GetFloatingObject() const { return m_pFloating; }
    float GetFloatingOffset() const { return m_fFloatOffset; }
    /// The clock whose hands follow the time (null: none).
    void SetClock(CClockObject* pClock) { m_pClock = pClock; }
    CClockObject* GetClock() const { return m_pClock; }
    /// Forgets the objects it was given and every lamp's flicker base (the scene is gone).
    void Reset();

    /// One frame fSeconds after the last.
    void Animate(float fSeconds, const SAnimationSettings& settings);
    /// After the frame is drawn: each lamp that flickered in it gets its light back, unless
    /// something set the lamp anew since (that is then its light).
    void RestoreLamps();

private:
    void TurnObjects(float fSeconds);
    void Float(float fSeconds);
    void UpdateClips(const SAnimationSettings& settings);
    void Flicker();
    void FlickerLamp(int nLamp, int nMotion);

    /// A lamp's colour and attenuation as its line or its owner last set them, and what the
    /// flicker wrote last: a record that differs from the last written was set anew.
    struct SFlickerBase
    {
        bool bValid = false;
        DWORD dwBaseColour = 0;
        float fBaseAttenuation = 0.0f;
        DWORD dwWrittenColour = 0;
        float fWrittenAttenuation = 0.0f;
    };

    std::function<int()> m_clipCount;
    ClipUpdate m_clipUpdate;
    CSceneObject* m_pFloating = nullptr;
    const CSceneObject* m_pFloatReference = nullptr;
    float m_fFloatBase = 0.0f;
    float m_fFloatOffset = 0.0f;
    float m_fFloatRate = FLOAT_RATE;
    CClockObject* m_pClock = nullptr;
    std::array<SFlickerBase, 16> m_aFlicker{};
    std::vector<int> m_anSwitchedOff; // lamps of clip objects kept off during the flicker
    std::vector<int> m_anFlickered;   // lamps that flickered in the frame being drawn
};
