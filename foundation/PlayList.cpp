#include "foundation/PlayList.h"

#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
/// The longest line the play-list reader takes (its line buffer of 4096 characters).
constexpr std::size_t MAX_PLAYLIST_LINE = 4095;

void ResetPlayList(CSettings& settings, const CString& strSource, int nFlag)
{
    settings.m_PlayList.RemoveAll();
    settings.m_nPlayListIndex = 0;
    settings.m_nPlayListFlag = nFlag;
    settings.m_strMusicDirectory = strSource;
}

// An entry with its drive and folder as written; a relative one gets the list's folder.
CString MakeEntry(const std::string& line, const CString& strBaseFolder)
{
    const SSplitPath parts = SplitPath(line);
    CString strEntry(line);
    if (parts.strDrive.empty() || parts.strDir.empty())
    {
        strEntry.Replace('/', '\\');
        const SSplitPath fixed = SplitPath(strEntry.Str());
        if (fixed.strDir.empty() || fixed.strDir.front() != '\\')
            strEntry = strBaseFolder + strEntry;
    }
    return strEntry;
}

bool IsMusicFile(const std::string& name)
{
    const std::string ext = SplitPath(name).strExt;
    return EqualNoCase(ext, ".mp3") || EqualNoCase(ext, ".m3u") || EqualNoCase(ext, ".asf");
}
} // namespace

void LoadPlayListFile(CSettings& settings, const CString& strPath)
{
    ResetPlayList(settings, strPath, 1);
    std::string bytes;
    if (!ReadWholeFile(ResolvePath(strPath.Str()), bytes))
        return;
    std::istringstream in(std::move(bytes));
    CFilePath path(strPath);
    const CString strBaseFolder = path.GetFolder();
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // An empty line would become the bare folder, an entry that can never play and that
        // would stop the music when its turn comes.
        if (line.empty() || line.front() == '#' || line.size() > MAX_PLAYLIST_LINE)
            continue;
        settings.m_PlayList.Add(MakeEntry(line, strBaseFolder));
    }
}

BOOL ScanMusicFolder(CSettings& settings, const CString& strFolder)
{
    ResetPlayList(settings, strFolder, 0);
    std::error_code ec;
    fs::directory_iterator it(ResolvePath(strFolder.Str()), ec);
    if (ec)
        return FALSE;
    std::vector<std::string> names;
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec))
    {
        const std::string name = it->path().filename().string();
        std::error_code ecType;
        if (it->is_regular_file(ecType) && IsMusicFile(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b)
              {
                  const int n = strcasecmp(a.c_str(), b.c_str());
                  return n != 0 ? n < 0 : a < b;
              });
    CString strBase = strFolder;
    strBase.Replace('/', '\\');
    if (strBase.Right(1) != "\\")
        strBase += '\\';
    for (const std::string& name : names)
        settings.m_PlayList.Add(strBase + name.c_str());
    return TRUE;
}
