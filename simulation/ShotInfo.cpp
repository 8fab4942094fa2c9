#include "simulation/ShotInfo.h"

void CShotInfo::Set(int nPocket, int nCueBall, int nObjectBall, int nSecondBall, double dAim, int nKind,
                    double dDeviation)
{
    m_nPocket = nPocket;
    m_nCueBall = nCueBall;
    m_nObjectBall = nObjectBall;
    m_nSecondBall = nSecondBall;
    m_dAim = dAim;
    m_nKind = nKind;
    m_dDeviation = dDeviation;
}
