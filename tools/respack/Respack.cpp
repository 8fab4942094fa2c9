#include "tools/respack/Respack.h"

#include "platform/win32/ByteStream.h"
#include "platform/win32/DialogTemplate.h"
#include "tools/respack/MenuSource.h"

#include <cstdio>
#include <filesystem>

namespace
{
std::vector<BYTE> EntryData(const SManifestEntry& entry, const std::vector<std::string>& sourceDirs, bool& bRead)
{
    bRead = true;
    if (entry.strFile.empty())
        return std::vector<BYTE>(entry.strText.begin(), entry.strText.end());
    std::vector<BYTE> data;
    for (const std::string& strDir : sourceDirs)
    {
        const std::filesystem::path path = std::filesystem::path(strDir) / entry.strFile;
        if (std::filesystem::exists(path))
        {
            bRead = ReadWholeFile(path.string(), data);
            return data;
        }
    }
    bRead = false;
    return data;
}

// A dialog template is stored as written once it parses: a broken one fails the build, not the game.
bool CheckEntry(const SManifestEntry& entry, const std::vector<BYTE>& data, std::string& strError)
{
    if (entry.type.IsName() || entry.type.nId != RT_DIALOG_ID)
        return true;
    SDialogTemplate dialogTemplate;
    std::string strWhat;
    if (ParseDialogTemplate(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), dialogTemplate,
                            strWhat))
        return true;
    strError = "dialog " + entry.strFile + ": " + strWhat;
    return false;
}

// Turns a menu or accelerator source into its resource bytes; raw files stay as they are.
bool CompileSource(const SManifestEntry& entry, std::vector<BYTE>& data, std::string& strError)
{
    if (entry.eSource == EEntrySource::Raw)
        return true;
    const std::string strText(data.begin(), data.end());
    return entry.eSource == EEntrySource::Menu ? CompileMenuSource(strText, data, strError)
                                               : CompileAcceleratorSource(strText, data, strError);
}
} // namespace

bool BuildResourceLibrary(const SManifest& manifest, const std::vector<std::string>& sourceDirs,
                          const std::string& strOutput, std::string& strError)
{
    CResourceLibraryWriter writer;
    writer.SetVersion(manifest.version);
    for (const SManifestEntry& entry : manifest.entries)
    {
        const std::string strWhere = "line " + std::to_string(entry.nLine) + ": ";
        bool bRead = false;
        std::vector<BYTE> data = EntryData(entry, sourceDirs, bRead);
        if (!bRead)
        {
            strError = strWhere + "cannot read " + entry.strFile;
            return false;
        }
        std::string strWhat;
        if (!CompileSource(entry, data, strWhat))
        {
            strError = strWhere + entry.strFile + ", " + strWhat;
            return false;
        }
        if (!CheckEntry(entry, data, strWhat))
        {
            strError = strWhere + strWhat;
            return false;
        }
        if (!writer.Add(entry.type, entry.name, entry.nLanguage, std::move(data), strWhat))
        {
            strError = strWhere + strWhat;
            return false;
        }
    }
    return writer.WriteFile(strOutput, strError);
}

int RunRespack(int argc, const char* const* argv)
{
    if (argc < 4)
    {
        std::fputs("usage: respack <manifest> <source folder>... <output library>\n", stderr);
        return 2;
    }
    std::vector<BYTE> text;
    if (!ReadWholeFile(argv[1], text))
    {
        std::fprintf(stderr, "respack: cannot read %s\n", argv[1]);
        return 1;
    }
    SManifest manifest;
    std::string strError;
    if (!ParseManifest(std::string(text.begin(), text.end()), manifest, strError) ||
        !BuildResourceLibrary(manifest, std::vector<std::string>(argv + 2, argv + argc - 1), argv[argc - 1], strError))
    {
        std::fprintf(stderr, "respack: %s: %s\n", argv[1], strError.c_str());
        return 1;
    }
    return 0;
}
