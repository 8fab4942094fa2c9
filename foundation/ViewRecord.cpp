#include "foundation/ViewRecord.h"

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
