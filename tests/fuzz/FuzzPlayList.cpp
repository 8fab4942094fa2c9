// Play lists read from any bytes. Property: no entry is empty, and no entry without a drive keeps
// a forward slash.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/PlayList.h"
#include "foundation/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    // The list named as the game names it, a Windows path text.
    CString strFile(WriteFuzzFile("list.m3u", pData, nSize));
    strFile.Replace('/', '\\');
    static CSettings s_settings;
    LoadPlayListFile(s_settings, strFile);
    for (int i = 0; i < s_settings.m_PlayList.GetSize(); ++i)
    {
        const CString& entry = s_settings.m_PlayList[i];
        FuzzCheck(!entry.IsEmpty(), "an empty play-list entry");
        // Only an entry with both a drive and a folder keeps its forward slashes.
        FuzzCheck(entry.Find('/') < 0 || entry.Find(':') >= 0, "a relative play-list entry keeps a forward slash");
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzBytes("#EXTM3U\r\nsub/x.mp3\r\n\\Other\\y.mp3\nE:\\Music\\z.mp3\n/abs/linux.mp3"), FuzzBytes("a.mp3")};
}
