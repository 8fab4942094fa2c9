// The resource libraries the build packs into the program folder: each opens, carries the version
// stamp start-up demands, and holds every resource the game loads by name.
#include "tests/assets/GameFiles.h"

#include "platform/win32/Accelerators.h"
#include "platform/win32/Menus.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace
{
/// The stamp start-up's required-files check demands: 1.7.0.0.
constexpr DWORD MIN_VERSION_MS = 0x00010007;
constexpr DWORD MIN_VERSION_LS = 0;

const char* const s_aszLibraries[] = {"VornRes.dll",    "Imagery.dll",  "Imagery1.dll", "VornWave.dll",
                                      "VornSpeech.dat", "VornBall.dat", "VornBall1.dat"};

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

// The frame's menu and keys read back, and each key stands for a command of the menu.
TEST(GameLibrariesTest, ProgramLibraryMenuAndKeysDecode)
{
    const HMODULE hLib = LoadLibrary(GamePath("VornRes.dll").c_str());
    ASSERT_NE(nullptr, hLib);
    HMENU hMenu = LoadMenu(hLib, MAKEINTRESOURCE(128));
    ASSERT_NE(nullptr, hMenu);
    std::set<UINT> commands;
    for (int nPopup = 0; nPopup < GetMenuItemCount(hMenu); ++nPopup)
    {
        HMENU hSub = GetSubMenu(hMenu, nPopup);
        ASSERT_NE(nullptr, hSub);
        for (int i = 0; i < GetMenuItemCount(hSub); ++i)
            commands.insert(GetMenuItemID(hSub, i));
    }
    const std::span<const BYTE> keys = ResourceBytes(hLib, MAKEINTRESOURCE(128), MAKEINTRESOURCE(RT_ACCELERATOR_ID));
    std::vector<ACCEL> table;
    std::string strError;
    ASSERT_TRUE(DecodeAcceleratorTable(keys, table, strError)) << strError;
    for (const ACCEL& accel : table)
        EXPECT_TRUE(commands.contains(accel.cmd)) << accel.cmd;
    EXPECT_NE(nullptr, LoadAccelerators(hLib, MAKEINTRESOURCE(128)));
    DestroyMenu(hMenu);
    FreeLibrary(hLib);
}

namespace
{
struct SNamedResource
{
    std::string strLibrary; // the library that must hold it ("artwork" and "ball sets": the scanned lists)
    std::string strType;    // a name, or "#n" for a numeric type
    std::string strName;    // a name, or "#n" for a numeric id
};

/// "#n" for an id.
std::string Id(int n) { return "#" + std::to_string(n); }

/// Every resource the game loads by name from its libraries.
std::vector<SNamedResource> NamedResources()
{
    std::vector<SNamedResource> rows;
    const auto add = [&](const std::string& lib, const std::string& type, const std::string& name) {
        rows.push_back({lib, type, name});
    };
    for (const int n : {180, 268, 338, 339, 800, 802, 804, 805, 806, 808, 809, 810, 812, 813, 814, 816,
                        819, 822, 823, 825, 826, 832, 835, 949, 950, 629, 594, 383, 384, 593, 382})
        add("VornRes.dll", "_DATA", Id(n));
    for (const int nBase : {850, 854, 858, 862, 866, 870})
        for (int i = 0; i < 3; ++i)
            add("VornRes.dll", "_DATA", Id(nBase + i));
    for (int v = 1; v <= 7; ++v)
        add("VornRes.dll", "_DATA", Id(926 + v));
    add("VornRes.dll", Id(12), Id(369));
    add("VornRes.dll", Id(12), Id(32649));
    add("VornRes.dll", Id(14), Id(128));
    add("VornRes.dll", Id(4), Id(128)); // the frame's menu
    add("VornRes.dll", Id(9), Id(128)); // its accelerator table
    add("artwork", "SET", "3-DVORN.ART");
    add("artwork", "SET", "TABLES.SET");
    for (const char* sz :
         {"Ball.x",       "Arrow.x",      "HourHand.x",   "MinuteHand.x", "Cue.x",       "TableBed.x", "TableSideA.x",
          "TableSideB.x", "TableSideC.x", "TableSideD.x", "TableMark.x",  "TableBody.x", "Room.x",     "Lamp.x",
          "Fan.x",        "Sconce.x",     "Clock.x",      "Picture1.x",   "Picture2.x",  "Picture3.x", "Picture4.x",
          "TourBed.x",    "TourSideA.x",  "TourSideB.x",  "TourSideC.x",  "TourSideD.x", "Trophy.x"})
        add("artwork", "XFILE", sz);
    for (const char* sz :
         {"felt", "felt_d", "walnut", "floor", "wallpanel", "wallpaper", "brass", "leather", "clockface", "lampshade",
          "cue", "link1", "link2", "link3", "link4", "tourfelt", "tourfelt_d", "ebony", "chrome"})
        add("artwork", "JPG", sz);
    char sz[32];
    for (int n = 0; n < 16; ++n)
    {
        std::snprintf(sz, sizeof sz, "b_%02d.bmp", n);
        add("artwork", Id(2), sz);
        std::snprintf(sz, sizeof sz, "b_sm_%02d.bmp", n);
        add("artwork", Id(2), sz);
    }
    for (const char* szName :
         {"arrow.bmp", "Disable.bmp", "Chat.bmp", "watermark.bmp", "bronze.bmp", "silver.bmp", "gold.bmp"})
        add("artwork", Id(2), szName);
    add("ball sets", "SET", "TEXTURES.SET");
    for (const char* szSet : {"STANDARD", "IVORY", "AMERICAN", "BONUS"})
    {
        add("ball sets", "TEXTURES", std::string("BALLS_") + szSet);
        add("ball sets", "COLOR_TABLES", std::string("COLORS_") + szSet);
    }
    for (int n = 3000; n <= 3069; ++n)
        if (n != 3021 && (n < 3025 || n > 3030))
            add("VornWave.dll", "WAVE", Id(n));
    for (const char* szPhrase :
         {"USEMOUSE.WAV", "WAITINGFORCONFIRM.WAV", "MSG_ERROR.WAV", "MSG_LOST.WAV", "MSG_SURE.WAV", "MSG_CLOSE.WAV"})
        add("VornSpeech.dat", "WAVE", szPhrase);
    return rows;
}

CStringArray LibraryList(const std::string& strLibrary)
{
    CStringArray paths;
    const std::vector<std::string> files =
        strLibrary == "artwork"     ? std::vector<std::string>{"Imagery1.dll", "Imagery.dll"}
        : strLibrary == "ball sets" ? std::vector<std::string>{"VornBall1.dat", "VornBall.dat"}
                                    : std::vector<std::string>{strLibrary};
    for (const std::string& strFile : files)
        paths.Add(GamePath(strFile).c_str());
    return paths;
}

/// A "#n" text as MAKEINTRESOURCE(n), other texts as they are.
LPCSTR Key(const std::string& str)
{
    return str[0] == '#' ? MAKEINTRESOURCE(static_cast<WORD>(std::stoi(str.substr(1)))) : str.c_str();
}
} // namespace

// The game finds its resources by type and name, the artwork and ball sets in the first library of
// their scanned lists that holds them: every name the game asks for is there, with data.
TEST(GameLibrariesTest, EveryNamedResourceIsFoundByTheGamesLookup)
{
    for (const SNamedResource& row : NamedResources())
    {
        SCOPED_TRACE(row.strLibrary + " " + row.strType + " " + row.strName);
        HRSRC hRes = nullptr;
        const HMODULE hLib =
            FindResourceInLibraries(LibraryList(row.strLibrary), Key(row.strName), Key(row.strType), &hRes);
        ASSERT_NE(nullptr, hLib);
        EXPECT_GT(SizeofResource(hLib, hRes), 0u);
        FreeLibrary(hLib);
    }
    for (const char* szFile : {"star.tga", "bubble.tga"})
        EXPECT_TRUE(std::filesystem::is_regular_file(GamePath(szFile))) << szFile;
}
