#include "simulation/CallRecord.h"

#include "foundation/GlobalOrder.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_CALL_RECORDS) SCallRecord g_CallRecord;
VORN_GLOBAL_ROW(GLOBAL_ROW_CALL_RECORDS) SCallRecord g_SavedCallRecord;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_CALL_RECORDS);
BOOL g_bCallTheShot = FALSE;

void ResetCallRecords()
{
    g_CallRecord = SCallRecord{};
    g_SavedCallRecord = SCallRecord{};
}

int GetCalledBall() { return g_CallRecord.nBall; }

int GetCalledPocket() { return g_CallRecord.nPocket; }

int GetCallFlag() { return g_CallRecord.nFlag; }

void NoteCallResult(int nBall, int nPocket)
{
    if (g_CallRecord.nFlag == 0)
        g_CallRecord.nFlag = nBall == g_CallRecord.nBall && nPocket == g_CallRecord.nPocket ? 1 : 0;
}
