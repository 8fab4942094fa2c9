#include "tools/respack/Respack.h"

#include "platform/TempFolder.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/Modules.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<BYTE> FileBytes(const std::string& strPath)
{
    std::vector<BYTE> bytes;
    EXPECT_TRUE(ReadWholeFile(strPath, bytes)) << strPath;
    return bytes;
}

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }
} // namespace

// The build packed tests/tools/data/sample with the real tool; every entry comes back as its source.
TEST(RespackTest, PackedLibraryRoundTripsEveryEntry)
{
    const std::string strSources = VORN_SAMPLE_SOURCES;
    std::string strError;
    const auto pLib = CResourceLibrary::FromFile(VORN_SAMPLE_LIBRARY, strError);
    ASSERT_NE(nullptr, pLib) << strError;
    EXPECT_EQ((SResourceVersion{0x00030001, 0x0004000F}), pLib->Version());
    struct SCase
    {
        SResourceKey type;
        SResourceKey name;
        WORD nLanguage;
        std::vector<BYTE> data;
    };
    const SCase expected[] = {
        {SResourceKey::Name("SET"), SResourceKey::Name("3-DVORN.ART"), 0,
         FileBytes(strSources + "/Scenes/3-DVorn.art")},
        {SResourceKey::Name("_DATA"), SResourceKey::Id(180), 0, FileBytes(strSources + "/splash.bin")},
        {SResourceKey::Name("TEXTURES"), SResourceKey::Id(7), 0, FileBytes(strSources + "/splash.bin")},
        {SResourceKey::Id(RT_STRING_ID), SResourceKey::Id(21504), 0x409,
         Bytes("The scene file is missing or has the wrong version.")},
        {SResourceKey::Id(RT_STRING_ID), SResourceKey::Id(21505), 0x409,
         Bytes("Two lines:\n\"quoted\" and a back\\slash")},
        {SResourceKey::Id(RT_STRING_ID), SResourceKey::Id(21504), 0x407, Bytes("Die Szenendatei fehlt.")},
    };
    ASSERT_EQ(std::size(expected), pLib->Entries().size());
    for (std::size_t i = 0; i < std::size(expected); ++i)
    {
        SCOPED_TRACE(i);
        const SResourceEntry& entry = pLib->Entries()[i];
        EXPECT_TRUE(entry.type.Matches(expected[i].type)) << entry.type.Text();
        EXPECT_TRUE(entry.name.Matches(expected[i].name)) << entry.name.Text();
        EXPECT_EQ(expected[i].nLanguage, entry.nLanguage);
        const auto data = pLib->Data(entry);
        EXPECT_EQ(expected[i].data, std::vector<BYTE>(data.begin(), data.end()));
    }

    // And through the Win32 calls the program uses.
    const HMODULE hModule = LoadLibrary(VORN_SAMPLE_LIBRARY);
    ASSERT_NE(nullptr, hModule);
    char szText[64];
    EXPECT_EQ(22, LoadString(hModule, 21505, szText, 23));
    EXPECT_STREQ("Two lines:\n\"quoted\" an", szText);
    FreeLibrary(hModule);
}

TEST(RespackTest, BadManifestsNameTheLine)
{
    struct SCase
    {
        const char* szName;
        std::string strManifest;
        const char* szError;
    };
    const SCase cases[] = {
        {"unclosed quote", "string 5 \"text", "line 1: a quoted text is not closed"},
        {"unknown escape", "\nstring 5 \"a\\qb\"", "line 2: unknown escape \\q"},
        {"string with a name", "string HELLO \"x\"", "line 1: a string needs a numeric id"},
        {"string without text", "string 5", "line 1: write a string as: string <id> \"text\""},
        {"entry without file", "SET NAME", "line 1: write an entry as: <type> <name> <file>"},
        {"id 0", "SET 0 a.txt", "line 1: a numeric id must lie between 1 and 65535: 0"},
        {"id too large", "SET 65536 a.txt", "line 1: a numeric id must lie between 1 and 65535: 65536"},
        {"name read as an id", "\"#12\" NAME a.txt",
         "line 1: a name cannot be # and digits, which is read as a numeric id: #12"},
        {"short version", "version 1.2.3", "line 1: write the version as four numbers 0..65535: version 1.0.0.0"},
        {"version part too large", "version 1.2.3.70000",
         "line 1: write the version as four numbers 0..65535: version 1.0.0.0"},
        // A wrong part first, then more parts than the four a version has room for.
        {"version part not a number", "version x.1",
         "line 1: write the version as four numbers 0..65535: version 1.0.0.0"},
        {"version of many parts after a wrong one", "version 1.x.2.3.4.5.6.7.8",
         "line 1: write the version as four numbers 0..65535: version 1.0.0.0"},
        {"version of five parts", "version 1.2.3.4.5",
         "line 1: write the version as four numbers 0..65535: version 1.0.0.0"},
        {"bad language", "language english", "line 1: write the language as one number 0..0xFFFF"},
        {"overlong name", "SET \"" + std::string(256, 'x') + "\" a.txt",
         "line 1: a name must have 1 to 255 characters"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        SManifest manifest;
        std::string strError;
        EXPECT_FALSE(ParseManifest(c.strManifest, manifest, strError));
        EXPECT_EQ(c.szError, strError);
    }
}

TEST(RespackTest, MissingSourcesAndDuplicatesWriteNothing)
{
    CTempFolder folder;
    std::ofstream(folder.File("a.txt")) << "a";
    std::ofstream(folder.File("nofont.dlg")) << "dialog 0 0 100 50\ncontrol push 1 4 4 40 14 \"OK\"\n";
    struct SCase
    {
        const char* szName;
        const char* szManifest;
        const char* szError;
    };
    const SCase cases[] = {
        {"missing file", "SET A a.txt\nSET B b.txt", "line 2: cannot read b.txt"},
        {"same entry twice", "SET A a.txt\n# again\nset a a.txt", "line 3: entry set/a appears twice"},
        {"dialog without a font", "SET A a.txt\n5 130 nofont.dlg",
         "line 2: dialog nofont.dlg: the template has no font"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        SManifest manifest;
        std::string strError;
        ASSERT_TRUE(ParseManifest(c.szManifest, manifest, strError)) << strError;
        EXPECT_FALSE(BuildResourceLibrary(manifest, {folder.Path().string()}, folder.File("out.dll"), strError));
        EXPECT_EQ(c.szError, strError);
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.dll")));
    }
}

// Generated sources live in the build folder, hand-written ones beside the manifest: the first
// folder that holds a file gives it.
TEST(RespackTest, SourcesComeFromTheFirstFolderThatHoldsThem)
{
    CTempFolder folder;
    std::filesystem::create_directories(folder.Path() / "first");
    std::filesystem::create_directories(folder.Path() / "second");
    std::ofstream(folder.File("first/both.txt")) << "first";
    std::ofstream(folder.File("second/both.txt")) << "second";
    std::ofstream(folder.File("second/only.txt")) << "only";
    SManifest manifest;
    std::string strError;
    ASSERT_TRUE(ParseManifest("SET BOTH both.txt\nSET ONLY only.txt", manifest, strError)) << strError;
    ASSERT_TRUE(
        BuildResourceLibrary(manifest, {folder.File("first"), folder.File("second")}, folder.File("out.dll"), strError))
        << strError;
    const auto pLib = CResourceLibrary::FromFile(folder.File("out.dll"), strError);
    ASSERT_NE(nullptr, pLib) << strError;
    for (const auto& [szName, szText] : {std::pair{"both", "first"}, std::pair{"only", "only"}})
    {
        SCOPED_TRACE(szName);
        const SResourceEntry* pEntry = pLib->Find(SResourceKey::Name(szName), SResourceKey::Name("SET"));
        ASSERT_NE(nullptr, pEntry);
        const auto data = pLib->Data(*pEntry);
        EXPECT_EQ(Bytes(szText), std::vector<BYTE>(data.begin(), data.end()));
    }
}

TEST(RespackTest, CommandLineReportsThroughItsExitCode)
{
    CTempFolder folder;
    std::ofstream(folder.File("lib.manifest")) << "version 1.0.0.0\nstring 1 \"one\"\n";
    const std::string strManifest = folder.File("lib.manifest");
    const std::string strOut = folder.File("Lib.dll");
    const std::string strMissing = folder.File("none.manifest");
    const char* const good[] = {"respack", strManifest.c_str(), folder.Path().c_str(), strOut.c_str()};
    const char* const missing[] = {"respack", strMissing.c_str(), folder.Path().c_str(), strOut.c_str()};
    const char* const shortArgs[] = {"respack", strManifest.c_str()};
    EXPECT_EQ(2, RunRespack(2, shortArgs));
    EXPECT_EQ(1, RunRespack(4, missing));
    EXPECT_EQ(0, RunRespack(4, good));
    std::string strError;
    EXPECT_NE(nullptr, CResourceLibrary::FromFile(strOut, strError)) << strError;
}
