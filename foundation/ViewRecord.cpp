#include "foundation/ViewRecord.h"

#include <bit>

void CViewRecord::Reset()
{
    m_bValid = 0;
    m_vCamera = CVector3();
    m_vViewPoint = CVector3();
    m_fShift1 = 0.0f;
    m_fShift2 = 0.0f;
    m_vCue = m_vCamera;
}

void CViewRecord::Set(float fCameraX, float fCameraY, float fCameraZ, float fViewX, float fViewY, float fViewZ,
                      float fShift1, float fShift2, float fCueX, float fCueY, float fCueZ)
{
    m_vCamera = CVector3(fCameraX, fCameraY, fCameraZ);
    m_vViewPoint = CVector3(fViewX, fViewY, fViewZ);
    m_fShift1 = fShift1;
    m_fShift2 = fShift2;
    m_vCue = CVector3(fCueX, fCueY, fCueZ);
    m_bValid = 1;
}

namespace
{
bool SameVector(const CVector3& a, const CVector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
} // namespace

bool operator==(const CViewRecord& a, const CViewRecord& b)
{
    return a.m_bValid == b.m_bValid && SameVector(a.m_vCamera, b.m_vCamera) &&
           SameVector(a.m_vViewPoint, b.m_vViewPoint) && a.m_fShift1 == b.m_fShift1 && a.m_fShift2 == b.m_fShift2 &&
           SameVector(a.m_vCue, b.m_vCue);
}

namespace
{
void WriteFloat(CByteWriter& out, float f) { out.WriteU32LE(std::bit_cast<DWORD>(f)); }

bool ReadFloat(CByteReader& in, float& f)
{
    DWORD dw = 0;
    if (!in.ReadU32LE(dw))
        return false;
    f = std::bit_cast<float>(dw);
    return true;
}
} // namespace

void WriteViewBlock(CByteWriter& out, const CViewRecord& view)
{
    out.WriteU8(view.m_bValid);
    for (int i = 0; i < 3; ++i)
        out.WriteU8(0);
    for (float f : {view.m_vCamera.x, view.m_vCamera.y, view.m_vCamera.z, view.m_vViewPoint.x, view.m_vViewPoint.y,
                    view.m_vViewPoint.z, view.m_fShift1, view.m_fShift2, view.m_vCue.x, view.m_vCue.y})
        WriteFloat(out, f);
    out.WriteU8(static_cast<BYTE>(std::bit_cast<DWORD>(view.m_vCue.z) & 0xFF));
}

bool ReadViewBlock(CByteReader& in, CViewRecord& view)
{
    if (in.Remaining() < VIEW_BLOCK_SIZE)
        return false;
    CViewRecord read;
    float* apfValues[] = {&read.m_vCamera.x,    &read.m_vCamera.y,    &read.m_vCamera.z, &read.m_vViewPoint.x,
                          &read.m_vViewPoint.y, &read.m_vViewPoint.z, &read.m_fShift1,   &read.m_fShift2,
                          &read.m_vCue.x,       &read.m_vCue.y};
    bool bOk = in.ReadU8(read.m_bValid) && in.Skip(3);
    for (float* pf : apfValues)
        bOk = bOk && ReadFloat(in, *pf);
    // The last byte is all that is stored of the cue's z; it is passed over (see the header).
    bOk = bOk && in.Skip(1);
    if (!bOk)
        return false;
    view = read;
    return true;
}
