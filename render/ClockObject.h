// The room's clock: two hand objects turned about the clock's axis to show the local time.
#pragma once

#include "render/SceneObject.h"

#include <memory>

/// The line of each hand (number 0, shown from level 1, ambient 220).
inline constexpr const char* CLOCK_HOUR_HAND_LINE =
    "0x0, HourHand, HourHand.x, 0,0,0, 1, 2,  -1, -1, 0, 0,  -1,  0,    220, 0;";
inline constexpr const char* CLOCK_MINUTE_HAND_LINE =
    "0x0, MinuteHand, MinuteHand.x, 0,0,0, 1, 3,  -1, -1, 0, 0,  -1,  0,    220, 0;";

class CClockObject
{
public:
    /// Makes both hands from their lines and shows the current time; false (nothing kept) when
    /// either hand's mesh does not load.
    bool Create();
    /// Poses both hands from their meshes' own positions: the minute hand at minute * 6 degrees,
    /// the hour hand at (hour mod 12) * 30 + minute * 0.5 degrees.
    void SetTime(int nHour, int nMinute);
    /// Each frame: on a change of the minute the hands are posed again for the current time.
    void Tick();
    /// The same for a given time (tests).
    void TickAt(int nHour, int nMinute);

    CSceneObject* GetHourHand() const { return m_pHourHand.get(); }
    CSceneObject* GetMinuteHand() const { return m_pMinuteHand.get(); }
    bool IsCreated() const { return m_bCreated; }

private:
    std::unique_ptr<CSceneObject> m_pMinuteHand;
    std::unique_ptr<CSceneObject> m_pHourHand;
    int m_nMinute = -1;
    bool m_bCreated = false;
};
