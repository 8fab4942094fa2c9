// Input scripts read from any text. Properties: a script read keeps its entries in the order of
// their lines, each timed entry with an action and each waiting one with its text; a refusal
// names the line.
#include "tests/fuzz/FuzzTarget.h"

#include "platform/window/InputScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::string strError;
    const std::optional<SInputScript> script = ParseInputScript(FuzzText(pData, nSize), strError);
    if (!script)
    {
        FuzzCheck(!strError.empty(), "a script refused without a reason");
        return 0;
    }
    int nLine = 0;
    for (const SScriptEntry& entry : script->aEntries)
    {
        FuzzCheck(entry.nLine > nLine, "entries out of the order of their lines");
        nLine = entry.nLine;
        const bool bWaits = entry.eWhen == SScriptEntry::AfterTrace || entry.eWhen == SScriptEntry::SeenTrace;
        FuzzCheck(bWaits ? entry.aWords.empty() && !entry.strTrace.empty() : !entry.aWords.empty(),
                  "an entry without its action or its text");
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzBytes(
                "; every kind of entry\nanswer ok\nanswer 7\nboxes shown\nat 100 key press Return\n"
                "frame 3 key down Left Shift\nframe +2 key up Left Shift\ndialog 1 mouse move 10 20 in dialog\n"
                "dialog +1 mouse down left 5 6\nafter 50 mouse up right 400 300\nwait Game started\n"
                "seen Game: shot 1 judged\nafter 0 mouse move @Ball 3 at\nafter 0 wheel -2\nafter 0 text hello world\n"
                "after 0 png /tmp/frame.png\nat 60000 close\nafter 0 minimise\nafter 0 restore\nafter 0 focus\n"
                "after 0 unfocus\n"),
            FuzzBytes("answer yes\r\nframe 2 close\r\n")};
}
