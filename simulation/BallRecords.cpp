// The ball's two byte layouts, each reader beside its writer:
//
// Ball state, 148 bytes (saved games):
//   0 ball number (int32) | 4..75 zero | 76 forward-spin acceleration (float) | 80 position |
//   92 stop position | 104 velocity | 116 orientation Y | 128 orientation Z (3 floats each) |
//   140 forward spin x, y (2 floats)
// Motion record, 88 bytes:
//   0..7 zero | 8 ball number (int32) | 12 position | 24 velocity | 36 orientation Y |
//   48 orientation Z | 60 forward spin (3 floats each) | 72 side spin z (double) |
//   80 roll mode (byte) | 81 zero | 82 flags (uint16: bit 0 at rest, bit 1 pocketed) | 84..87 zero
// All little-endian.
#include "simulation/Ball.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace
{
constexpr std::size_t STATE_NUMBER = 0;
constexpr std::size_t STATE_UNDEFINED_END = 76;
constexpr std::size_t STATE_SPIN_ACCEL = 76;
constexpr std::size_t STATE_POS = 80;
constexpr std::size_t STATE_STOP_POS = 92;
constexpr std::size_t STATE_VEL = 104;
constexpr std::size_t STATE_OR_Y = 116;
constexpr std::size_t STATE_OR_Z = 128;
constexpr std::size_t STATE_FORWARD_SPIN = 140;
static_assert(STATE_FORWARD_SPIN + 2 * 4 == BALL_STATE_SIZE, "the ball state fields must fill 148 bytes");

constexpr std::size_t MOTION_NUMBER = 8;
constexpr std::size_t MOTION_POS = 12;
constexpr std::size_t MOTION_VEL = 24;
constexpr std::size_t MOTION_OR_Y = 36;
constexpr std::size_t MOTION_OR_Z = 48;
constexpr std::size_t MOTION_FORWARD_SPIN = 60;
constexpr std::size_t MOTION_SIDE_SPIN_Z = 72;
constexpr std::size_t MOTION_ROLL_MODE = 80;
constexpr std::size_t MOTION_FLAGS = 82;
static_assert(MOTION_FLAGS + 2 + 4 == MOTION_RECORD_SIZE, "the motion record fields must fill 88 bytes");
constexpr unsigned MOTION_FLAG_AT_REST = 0x1;
constexpr unsigned MOTION_FLAG_POCKETED = 0x2;

/// Little-endian unsigned integer of sizeof(T) bytes.
template <class T> void PutLE(BYTE* p, T n)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<BYTE>(n >> (8 * i));
}
template <class T> T GetLE(const BYTE* p)
{
    T n = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        n |= static_cast<T>(T(p[i]) << (8 * i));
    return n;
}
void PutU32(BYTE* p, std::uint32_t n) { PutLE(p, n); }
std::uint32_t GetU32(const BYTE* p) { return GetLE<std::uint32_t>(p); }
void PutU64(BYTE* p, std::uint64_t n) { PutLE(p, n); }
std::uint64_t GetU64(const BYTE* p) { return GetLE<std::uint64_t>(p); }
void PutI32(BYTE* p, std::int32_t n) { PutU32(p, static_cast<std::uint32_t>(n)); }
std::int32_t GetI32(const BYTE* p) { return static_cast<std::int32_t>(GetU32(p)); }
void PutF32(BYTE* p, float f) { PutU32(p, std::bit_cast<std::uint32_t>(f)); }
float GetF32(const BYTE* p) { return std::bit_cast<float>(GetU32(p)); }
void PutF64(BYTE* p, double d) { PutU64(p, std::bit_cast<std::uint64_t>(d)); }
double GetF64(const BYTE* p) { return std::bit_cast<double>(GetU64(p)); }
void PutVec(BYTE* p, const CVector3& v)
{
    PutF32(p, v.x);
    PutF32(p + 4, v.y);
    PutF32(p + 8, v.z);
}
CVector3 GetVec(const BYTE* p) { return CVector3(GetF32(p), GetF32(p + 4), GetF32(p + 8)); }

bool IsBallNumber(std::int32_t n) { return n >= 0 && n < MAX_BALLS; }

/// Whether the three floats at each of the given offsets are finite.
bool AreFiniteVectors(const BYTE* p, std::initializer_list<std::size_t> offsets)
{
    return std::all_of(offsets.begin(), offsets.end(), [p](std::size_t n) { return IsFiniteVector(GetVec(p + n)); });
}
} // namespace

BOOL CBall::Serialize(std::span<BYTE> buffer, DWORD& nSize) const
{
    nSize = 0;
    if (buffer.size() < BALL_STATE_SIZE)
        return FALSE;
    BYTE* p = buffer.data();
    // The bytes the layout leaves undefined are written as zeros, never as memory contents.
    std::fill(p, p + BALL_STATE_SIZE, BYTE{0});
    PutI32(p + STATE_NUMBER, m_nIndex);
    PutF32(p + STATE_SPIN_ACCEL, ForwardSpinAcceleration);
    PutVec(p + STATE_POS, m_vPos);
    PutVec(p + STATE_STOP_POS, m_vStopPos);
    PutVec(p + STATE_VEL, m_vVel);
    PutVec(p + STATE_OR_Y, m_vOrY);
    PutVec(p + STATE_OR_Z, m_vOrZ);
    PutF32(p + STATE_FORWARD_SPIN, m_vForwardSpin.x);
    PutF32(p + STATE_FORWARD_SPIN + 4, m_vForwardSpin.y);
    nSize = BALL_STATE_SIZE;
    return TRUE;
}

BOOL CBall::LoadState(std::span<const BYTE> buffer, DWORD& nSize)
{
    nSize = 0;
    if (buffer.size() < BALL_STATE_SIZE)
        return FALSE;
    const BYTE* p = buffer.data();
    const std::int32_t nNumber = GetI32(p + STATE_NUMBER);
    if (!IsBallNumber(nNumber))
        return FALSE;
    // The forward spin's two floats and the acceleration before them form the third "vector".
    if (!AreFiniteVectors(p, {STATE_POS, STATE_STOP_POS, STATE_VEL, STATE_OR_Y, STATE_OR_Z}) ||
        !IsFiniteVector(
            CVector3(GetF32(p + STATE_SPIN_ACCEL), GetF32(p + STATE_FORWARD_SPIN), GetF32(p + STATE_FORWARD_SPIN + 4))))
    {
        LogRefusal("CBall::LoadState");
        return FALSE;
    }
    static_assert(STATE_UNDEFINED_END == STATE_SPIN_ACCEL, "bytes 4 to 75 carry nothing and are not read");
    m_nIndex = nNumber;
    m_bWritePos = FALSE;
    ForwardSpinAcceleration = GetF32(p + STATE_SPIN_ACCEL);
    m_vPos = GetVec(p + STATE_POS);
    m_vStopPos = GetVec(p + STATE_STOP_POS);
    m_vVel = GetVec(p + STATE_VEL);
    m_vOrY = GetVec(p + STATE_OR_Y);
    m_vOrZ = GetVec(p + STATE_OR_Z);
    m_vForwardSpin.SetVec3(GetF32(p + STATE_FORWARD_SPIN), GetF32(p + STATE_FORWARD_SPIN + 4), 0.0f);
    // What the record does not carry: a ball resting on the table.
    m_vSideSpin = CVector3();
    m_nRollMode = ROLL_MODE_ROLLING;
    m_bMoving = FALSE;
    m_bPocketed = FALSE;
    m_nPocket = -1;
    m_nCushionContact = 0;
    m_nLastBallHit = -1;
    m_nLastContactKind = CONTACT_NONE;
    m_bWriteNet = FALSE;
    nSize = BALL_STATE_SIZE;
    return TRUE;
}

BOOL CBall::ApplyMotionRecord(std::span<const BYTE, MOTION_RECORD_SIZE> record)
{
    const BYTE* p = record.data();
    const std::int32_t nNumber = GetI32(p + MOTION_NUMBER);
    const int nRollMode = p[MOTION_ROLL_MODE];
    if (!IsBallNumber(nNumber) || nRollMode > ROLL_MODE_DROPPING)
        return FALSE;
    if (!AreFiniteVectors(p, {MOTION_POS, MOTION_VEL, MOTION_OR_Y, MOTION_OR_Z, MOTION_FORWARD_SPIN}) ||
        !std::isfinite(static_cast<float>(GetF64(p + MOTION_SIDE_SPIN_Z))))
    {
        LogRefusal("CBall::ApplyMotionRecord");
        return FALSE;
    }
    const unsigned nFlags = p[MOTION_FLAGS] | (unsigned(p[MOTION_FLAGS + 1]) << 8);
    m_nIndex = nNumber;
    m_vPos = GetVec(p + MOTION_POS);
    m_vVel = GetVec(p + MOTION_VEL);
    m_vOrY = GetVec(p + MOTION_OR_Y);
    m_vOrZ = GetVec(p + MOTION_OR_Z);
    m_vForwardSpin = GetVec(p + MOTION_FORWARD_SPIN);
    m_vSideSpin.SetVec3(0.0f, 0.0f, static_cast<float>(GetF64(p + MOTION_SIDE_SPIN_Z)));
    m_nRollMode = nRollMode;
    m_bMoving = (nFlags & MOTION_FLAG_AT_REST) != 0 ? FALSE : TRUE;
    m_bPocketed = (nFlags & MOTION_FLAG_POCKETED) != 0 ? TRUE : FALSE;
    return TRUE;
}

void CBall::WriteMotionRecord(std::span<BYTE, MOTION_RECORD_SIZE> record) const
{
    BYTE* p = record.data();
    std::fill(p, p + MOTION_RECORD_SIZE, BYTE{0});
    PutI32(p + MOTION_NUMBER, m_nIndex);
    PutVec(p + MOTION_POS, m_vPos);
    PutVec(p + MOTION_VEL, m_vVel);
    PutVec(p + MOTION_OR_Y, m_vOrY);
    PutVec(p + MOTION_OR_Z, m_vOrZ);
    PutVec(p + MOTION_FORWARD_SPIN, m_vForwardSpin);
    PutF64(p + MOTION_SIDE_SPIN_Z, m_vSideSpin.z);
    p[MOTION_ROLL_MODE] = static_cast<BYTE>(m_nRollMode);
    const unsigned nFlags = (m_bMoving ? 0u : MOTION_FLAG_AT_REST) | (m_bPocketed ? MOTION_FLAG_POCKETED : 0u);
    p[MOTION_FLAGS] = static_cast<BYTE>(nFlags);
    p[MOTION_FLAGS + 1] = static_cast<BYTE>(nFlags >> 8);
}
