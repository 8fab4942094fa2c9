#include "render/ClockObject.h"

#include "platform/win32/LocalTime.h"

#include <cmath>

namespace
{
/// The point the hands turn about, on the axis (0, 0, 1).
constexpr float CLOCK_AXIS_X = 10.693614f, CLOCK_AXIS_Y = 77.027481f, CLOCK_AXIS_Z = 328.188568f;
constexpr double DEGREES_TO_RADIANS = 0.017453292519444445;

std::unique_ptr<CSceneObject> MakeHand(const char* szLine)
{
    CSceneObjectRec rec;
    if (!rec.Parse(szLine))
        return nullptr;
    auto pHand = std::make_unique<CSceneObject>();
    if (!pHand->LoadMesh(rec.m_strFile))
        return nullptr;
    pHand->ApplyRecord(rec);
    return pHand;
}

/// Turns a hand by -fDegrees about the clock's axis, from its mesh's own pose.
void PoseHand(CSceneObject& hand, double fDegrees)
{
    CXFileFrame* pFrame = hand.GetFrame();
    if (pFrame == nullptr)
        return;
    const double a = -fDegrees * DEGREES_TO_RADIANS;
    const auto c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    // Row vectors: p' = (p - P) R + P, R turning about z.
    D3DMATRIX& m = pFrame->Matrix();
    m = D3DMATRIX{};
    m.m[0][0] = c;
    m.m[0][1] = s;
    m.m[1][0] = -s;
    m.m[1][1] = c;
    m.m[2][2] = 1;
    m.m[3][0] = CLOCK_AXIS_X - (CLOCK_AXIS_X * c - CLOCK_AXIS_Y * s);
    m.m[3][1] = CLOCK_AXIS_Y - (CLOCK_AXIS_X * s + CLOCK_AXIS_Y * c);
    m.m[3][2] = 0;
    m.m[3][3] = 1;
    hand.m_bDirty = 1;
}
} // namespace

bool CClockObject::Create()
{
    m_pHourHand = MakeHand(CLOCK_HOUR_HAND_LINE);
    m_pMinuteHand = MakeHand(CLOCK_MINUTE_HAND_LINE);
    if (!m_pHourHand || !m_pMinuteHand)
    {
        m_pHourHand.reset();
        m_pMinuteHand.reset();
        return false;
    }
    m_bCreated = true;
    SYSTEMTIME t;
    GetLocalTime(&t);
    SetTime(t.wHour, t.wMinute);
    return true;
}

void CClockObject::SetTime(int nHour, int nMinute)
{
    if (m_pMinuteHand)
        PoseHand(*m_pMinuteHand, nMinute * 6.0);
    if (m_pHourHand)
        PoseHand(*m_pHourHand, (nHour % 12) * 30.0 + nMinute * 0.5);
    m_nMinute = nMinute;
}

void CClockObject::Tick()
{
    if (!m_bCreated)
        return;
    SYSTEMTIME t;
    GetLocalTime(&t);
    TickAt(t.wHour, t.wMinute);
}

void CClockObject::TickAt(int nHour, int nMinute)
{
    // Posing again from the time itself (not turning by the minutes passed) keeps the hands right
    // across the hour and across gaps, and lets no rounding build up.
    if (m_bCreated && nMinute != m_nMinute)
        SetTime(nHour, nMinute);
}
