// The resource libraries the build packs into the program folder: each opens, carries the version
// stamp start-up demands, and holds every resource the game loads by name.
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>

namespace
{
/// The stamp start-up's required-files check demands: 1.7.0.0.
constexpr DWORD MIN_VERSION_MS = 0x00010007;
constexpr DWORD MIN_VERSION_LS = 0;

const char* const s_aszLibraries[] = {"VornRes.dll",    "Imagery.dll",  "Imagery1.dll", "VornWave.dll",
                                      "VornSpeech.dat", "VornBall.dat", "VornBall1.dat"};

std::string GamePath(const std::string& strFile) { return std::string(VORN_GAME_DIR) + "/" + strFile; }

/// The strings of the application shell and the 3-D scene, with the printf conversions their
/// callers format them with (a string with other conversions would read arguments never passed).
struct SStringCase
{
    UINT nId;
    const char* szConversions;
};
const SStringCase s_aStrings[] = {{128, ""},   {134, ""},    {136, ""},       {138, ""},    {140, ""},    {142, ""},
                                  {144, ""},   {919, ""},    {920, ""},       {921, ""},    {922, ""},    {923, ""},
                                  {924, ""},   {925, ""},    {21504, ""},     {21505, "s"}, {21512, ""},  {21513, "s"},
                                  {21514, ""}, {21515, "s"}, {21518, "dfff"}, {21526, "s"}, {21529, "s"}, {21530, ""},
                                  {21531, ""}, {21532, ""},  {21534, ""},     {21604, ""},  {21623, ""}};

/// The conversion letters of a printf format, in order ("%.1f" gives 'f'; "%%" none).
std::string Conversions(const std::string& strFormat)
{
    std::string strResult;
    for (std::size_t i = 0; i < strFormat.size(); ++i)
    {
        if (strFormat[i] != '%')
            continue;
        const std::size_t nEnd = strFormat.find_first_of("%sdifgxXuc", i + 1);
        if (nEnd == std::string::npos)
            return strResult + '?';
        if (strFormat[nEnd] != '%')
            strResult += strFormat[nEnd];
        i = nEnd;
    }
    return strResult;
}
} // namespace

TEST(GameLibrariesTest, EveryLibraryOpensWithTheRequiredStamp)
{
    for (const char* szFile : s_aszLibraries)
    {
        SCOPED_TRACE(szFile);
        std::string strError;
        const auto pLib = CResourceLibrary::FromFile(GamePath(szFile), strError);
        ASSERT_NE(nullptr, pLib) << strError;
        const SResourceVersion version = pLib->Version();
        EXPECT_TRUE(version.dwMs > MIN_VERSION_MS ||
                    (version.dwMs == MIN_VERSION_MS && version.dwLs >= MIN_VERSION_LS));
        DWORD dwMs = 0;
        DWORD dwLs = 0;
        EXPECT_TRUE(GetResourceLibraryVersion(GamePath(szFile).c_str(), &dwMs, &dwLs));
        EXPECT_EQ(version.dwMs, dwMs);
    }
}

TEST(GameLibrariesTest, ProgramLibraryHoldsEveryString)
{
    const HMODULE hLib = LoadLibrary(GamePath("VornRes.dll").c_str());
    ASSERT_NE(nullptr, hLib);
    for (const SStringCase& c : s_aStrings)
    {
        SCOPED_TRACE(c.nId);
        char szText[1024] = {};
        EXPECT_GT(LoadString(hLib, c.nId, szText, sizeof szText), 0);
        EXPECT_EQ(c.szConversions, Conversions(szText));
    }
    // The title is the first field of the document strings; the single-instance check finds the
    // window by it.
    char szDoc[256] = {};
    LoadString(hLib, 128, szDoc, sizeof szDoc);
    EXPECT_EQ("Vorn Deluxe", std::string(szDoc).substr(0, std::string(szDoc).find('\n')));
    FreeLibrary(hLib);
}
