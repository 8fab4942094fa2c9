#include "platform/win32/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) {
                                                  return std::tolower(static_cast<unsigned char>(x)) ==
                                                         std::tolower(static_cast<unsigned char>(y));
                                              });
}

namespace
{
// The entry of folder whose name equals part without case, or part itself when none does.
std::string MatchComponent(const fs::path& folder, const std::string& part, bool& bFound)
{
    std::error_code ec;
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    if (fs::exists(dir / part, ec))
    {
        bFound = true;
        return part;
    }
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    {
        const std::string name = it->path().filename().string();
        if (EqualNoCase(name, part))
        {
            bFound = true;
            return name;
        }
    }
    bFound = false;
    return part;
}
} // namespace

std::string ResolvePath(std::string_view winPath)
{
    std::string text(winPath);
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':')
    {
        text.erase(0, 2);
        if (text.empty() || text[0] != '/')
            text.insert(text.begin(), '/');
    }

    fs::path result = (!text.empty() && text[0] == '/') ? fs::path("/") : fs::path();
    bool bSearching = true;
    std::size_t nPos = 0;
    while (nPos <= text.size())
    {
        const std::size_t nEnd = std::min(text.find('/', nPos), text.size());
        const std::string part = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == ".." || !bSearching)
        {
            result /= part;
            continue;
        }
        bool bFound = false;
        result /= MatchComponent(result, part, bFound);
        bSearching = bFound;
    }
    std::string out = result.string();
    if (out.empty())
        out = text.empty() ? std::string() : std::string(".");
    return out;
}

SSplitPath SplitPath(std::string_view path)
{
    SSplitPath parts;
    if (path.size() >= 2 && path[1] == ':')
    {
        parts.strDrive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    const std::size_t nSlash = path.find_last_of("\\/");
    if (nSlash != std::string_view::npos)
    {
        parts.strDir = std::string(path.substr(0, nSlash + 1));
        path.remove_prefix(nSlash + 1);
    }
    const std::size_t nDot = path.rfind('.');
    if (nDot != std::string_view::npos)
    {
        parts.strExt = std::string(path.substr(nDot));
        path = path.substr(0, nDot);
    }
    parts.strName = std::string(path);
    return parts;
}
