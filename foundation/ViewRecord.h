// The view record: one camera view as the game saves and restores it (the players' views, the
// replay, saved games, the game flow and the camera flights all keep their cameras in one).
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>

/// A camera view: the orbit of the camera round the point it looks at, the screen shift and the
/// cue's angles. Angles are in degrees here; a camera flight converts them to radians inside.
class CViewRecord
{
public:
    /// An empty (not valid) record: every value 0.
    CViewRecord() { Reset(); }
    virtual ~CViewRecord() = default;
    CViewRecord(const CViewRecord&) = default;
    CViewRecord& operator=(const CViewRecord&) = default;

    /// Clears the valid flag and every value; the cue triple takes the (now zero) camera triple.
    void Reset();
    /// Stores all eleven values and marks the record valid.
    void Set(float fCameraX, float fCameraY, float fCameraZ, float fViewX, float fViewY, float fViewZ, float fShift1,
             float fShift2, float fCueX, float fCueY, float fCueZ);
    bool IsValid() const { return m_bValid != 0; }

    friend bool operator==(const CViewRecord& a, const CViewRecord& b);

    BYTE m_bValid = 0;
    /// Camera triple: yaw (degrees), pitch (degrees), distance from the view point (metres).
    CVector3 m_vCamera;
    /// The point looked at (scene units).
    CVector3 m_vViewPoint;
    /// Screen shift of the view, two values.
    float m_fShift1 = 0.0f;
    float m_fShift2 = 0.0f;
    /// Cue triple: two angles (degrees), then a third value.
    CVector3 m_vCue;
};

/// The view block of player records and saved games: byte 0 the valid flag, bytes 1 to 3 zero,
/// then the camera triple, the view point, the two shift values and the cue's x and y as
/// little-endian floats, and in byte 44 the lowest byte of the cue's z. The block keeps this
/// stored format, but the cue's z cannot be rebuilt from one byte: reading gives it 0, the value
/// of a reset record, instead of a float pieced together from stray bytes.
inline constexpr std::size_t VIEW_BLOCK_SIZE = 1 + 3 + 10 * 4 + 1;
static_assert(VIEW_BLOCK_SIZE == 45);

void WriteViewBlock(CByteWriter& out, const CViewRecord& view);
/// Reads a view block into view; false (view unchanged) when fewer than VIEW_BLOCK_SIZE bytes remain.
bool ReadViewBlock(CByteReader& in, CViewRecord& view);
