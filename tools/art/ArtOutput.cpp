#include "tools/art/ArtOutput.h"

#include "platform/win32/AtomicFile.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

CArtOutput::CArtOutput(std::string strFolder) : m_strFolder(std::move(strFolder))
{
    std::error_code ec;
    std::filesystem::create_directories(m_strFolder, ec);
}

bool CArtOutput::Write(const std::string& strName, const std::vector<std::uint8_t>& bytes)
{
    const std::filesystem::path path = std::filesystem::path(m_strFolder) / strName;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ReplaceFileContents(path.string(), view))
    {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        m_bFailed = true;
        return false;
    }
    m_names.push_back(strName);
    return true;
}

bool CArtOutput::Finish()
{
    std::string strList;
    for (const std::string& strName : m_names)
        strList += strName + "\n";
    const std::filesystem::path path = std::filesystem::path(m_strFolder) / "files.txt";
    if (!ReplaceFileContents(path.string(), strList))
    {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        return false;
    }
    return !m_bFailed;
}

int RunArtGenerator(int argc, const char* const* argv, const char* szTool, bool (*pfnGenerate)(CArtOutput&))
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", szTool);
        return 2;
    }
    CArtOutput output(argv[1]);
    const bool bGenerated = pfnGenerate(output);
    return output.Finish() && bGenerated ? 0 : 1;
}
