#include "simulation/CallRecord.h"

SCallRecord g_CallRecord;
SCallRecord g_SavedCallRecord;
BOOL g_bCallTheShot = FALSE;

void ResetCallRecords()
{
    g_CallRecord = SCallRecord{};
    g_SavedCallRecord = SCallRecord{};
}

int GetCalledBall() { return g_CallRecord.nBall; }

int GetCalledPocket() { return g_CallRecord.nPocket; }

int GetCallFlag() { return g_CallRecord.nFlag; }
