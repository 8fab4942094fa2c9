#include "platform/win32/Accelerators.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <memory>
#include <mutex>

struct HACCEL__
{
    std::vector<ACCEL> table;
};

namespace
{
constexpr WORD KNOWN_FLAGS = FVIRTKEY | FSHIFT | FCONTROL | FALT | ACCEL_LAST;

WORD ReadWord(std::span<const BYTE> data, std::size_t nAt) { return static_cast<WORD>(data[nAt] | data[nAt + 1] << 8); }

// Loaded tables, kept to the end of the process as Win32 keeps them with the module, so a
// handle is never freed under a caller that still holds it. A table loaded again with the same
// keys gets the handle it had, so repeated loads do not grow the list.
struct SLoadedTables
{
    std::mutex mutex;
    std::vector<std::unique_ptr<HACCEL__>> tables;
};

SLoadedTables& LoadedTables()
{
    static SLoadedTables s_loaded;
    return s_loaded;
}

/// Alt as the key message says it was when the key went; Shift and Control as they are now.
bool ModifiersMatch(WORD fVirt, const MSG& msg)
{
    const auto down = [](int nKey) { return (GetAsyncKeyState(nKey) & 0x8000) != 0; };
    const bool bAlt = (msg.lParam & KEY_ALT_CONTEXT) != 0;
    return down(VK_SHIFT) == ((fVirt & FSHIFT) != 0) && down(VK_CONTROL) == ((fVirt & FCONTROL) != 0) &&
           bAlt == ((fVirt & FALT) != 0);
}
} // namespace

std::vector<BYTE> EncodeAcceleratorTable(const std::vector<ACCEL>& table)
{
    std::vector<BYTE> data;
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        const WORD fFlags = static_cast<WORD>(table[i].fVirt | (i + 1 == table.size() ? ACCEL_LAST : 0));
        for (WORD nWord : {fFlags, table[i].key, table[i].cmd, WORD{0}})
        {
            data.push_back(static_cast<BYTE>(nWord & 0xFF));
            data.push_back(static_cast<BYTE>(nWord >> 8));
        }
    }
    return data;
}

bool DecodeAcceleratorTable(std::span<const BYTE> data, std::vector<ACCEL>& table, std::string& strError)
{
    table.clear();
    if (data.empty() || data.size() % ACCEL_RECORD_SIZE != 0)
    {
        strError = "an accelerator table must be whole 8-byte records, not " + std::to_string(data.size()) + " bytes";
        return false;
    }
    const std::size_t nCount = data.size() / ACCEL_RECORD_SIZE;
    for (std::size_t i = 0; i < nCount; ++i)
    {
        const std::size_t nAt = i * ACCEL_RECORD_SIZE;
        const WORD fFlags = ReadWord(data, nAt);
        const ACCEL accel{static_cast<WORD>(fFlags & ~ACCEL_LAST), ReadWord(data, nAt + 2), ReadWord(data, nAt + 4)};
        const std::string strWhere = "record " + std::to_string(i + 1) + ": ";
        if ((fFlags & ~KNOWN_FLAGS) != 0)
            strError = strWhere + "unknown flags";
        else if (((fFlags & ACCEL_LAST) != 0) != (i + 1 == nCount))
            strError = strWhere + "the end mark must be on the last record only";
        else if (accel.key == 0 || accel.cmd == 0)
            strError = strWhere + "a key and a command id are needed";
        else
        {
            table.push_back(accel);
            continue;
        }
        table.clear();
        return false;
    }
    return true;
}

HACCEL LoadAccelerators(HINSTANCE hInstance, LPCSTR szTableName)
{
    const std::span<const BYTE> data = ResourceBytes(hInstance, szTableName, MAKEINTRESOURCE(RT_ACCELERATOR_ID));
    if (data.empty())
        return nullptr;
    auto pNew = std::make_unique<HACCEL__>();
    std::string strError;
    if (!DecodeAcceleratorTable(data, pNew->table, strError))
    {
        const std::string strName = SResourceKey::FromWin(szTableName).Text();
        OutputDebugString(("accelerator table " + strName + " refused: " + strError + "\n").c_str());
        return nullptr;
    }
    SLoadedTables& loaded = LoadedTables();
    std::lock_guard lock(loaded.mutex);
    for (const auto& pTable : loaded.tables)
    {
        if (pTable->table == pNew->table)
            return pTable.get();
    }
    loaded.tables.push_back(std::move(pNew));
    return loaded.tables.back().get();
}

int TranslateAccelerator(HWND hWnd, HACCEL hAccTable, MSG* pMsg)
{
    if (hAccTable == nullptr || pMsg == nullptr)
        return FALSE;
    const bool bKey = pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN;
    if (!bKey && pMsg->message != WM_CHAR)
        return FALSE;
    for (const ACCEL& accel : hAccTable->table)
    {
        const bool bVirtual = (accel.fVirt & FVIRTKEY) != 0;
        if (bVirtual != bKey || accel.key != pMsg->wParam)
            continue;
        if (bVirtual && !ModifiersMatch(accel.fVirt, *pMsg))
            continue;
        SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(accel.cmd, 1), 0);
        return TRUE;
    }
    return FALSE;
}
