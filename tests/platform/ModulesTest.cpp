#include "platform/win32/Modules.h"

#include "platform/TempFolder.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/LastError.h"
#include "platform/win32/ResourceLibrary.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

// Writes a library whose "SET" resource "WHO" names it, plus the given strings.
void WriteLibrary(const std::string& strPath, const std::string& strWho,
                  const std::vector<std::pair<WORD, std::string>>& strings = {})
{
    CResourceLibraryWriter writer;
    writer.SetVersion({0x00050006, 0x00070008});
    std::string strError;
    EXPECT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("WHO"), 0, Bytes(strWho), strError));
    EXPECT_TRUE(writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(180), 0, Bytes("picture"), strError));
    for (const auto& [nId, strText] : strings)
        EXPECT_TRUE(writer.Add(SResourceKey::Id(RT_STRING_ID), SResourceKey::Id(nId), 0, Bytes(strText), strError));
    EXPECT_TRUE(writer.WriteFile(strPath, strError)) << strError;
}

std::string ResourceText(HMODULE hModule, LPCSTR szName, LPCSTR szType)
{
    const HRSRC hRes = FindResource(hModule, szName, szType);
    if (hRes == nullptr)
        return "<none>";
    const auto* p = static_cast<const char*>(LockResource(LoadResource(hModule, hRes)));
    return std::string(p, SizeofResource(hModule, hRes));
}

class ModulesTest : public ::testing::Test
{
protected:
    CTempFolder m_folder;
};
} // namespace

TEST_F(ModulesTest, ResourcesAreFoundByNameIdAndType)
{
    WriteLibrary(m_folder.File("VornRes.dll"), "main");
    // The program writes Windows paths and spells the file in other cases.
    const HMODULE hModule = LoadLibraryA((m_folder.Path().string() + "\\VORNRES.DLL").c_str());
    ASSERT_NE(nullptr, hModule);
    EXPECT_EQ("main", ResourceText(hModule, "who", "Set"));
    EXPECT_EQ("picture", ResourceText(hModule, MAKEINTRESOURCE(180), "_DATA"));
    EXPECT_EQ("picture", ResourceText(hModule, "#180", "_data"));
    EXPECT_EQ("<none>", ResourceText(hModule, MAKEINTRESOURCE(181), "_DATA"));
    EXPECT_EQ(ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError());
    EXPECT_EQ("<none>", ResourceText(nullptr, "WHO", "SET")) << "the program itself holds no resources";
    EXPECT_EQ(FALSE, FreeResource(nullptr));
    EXPECT_EQ(TRUE, FreeLibrary(hModule));
}

TEST_F(ModulesTest, ABareNameIsTheLibraryBesideTheProgramWhateverItsCase)
{
    WriteLibrary(m_folder.File("VornWave.dll"), "beside");
    OverrideProgramFilePath(m_folder.File("Vorn"));
    const HMODULE hModule = LoadLibraryA("VornWave.DLL");
    OverrideProgramFilePath("");
    ASSERT_NE(nullptr, hModule);
    EXPECT_EQ("beside", ResourceText(hModule, "WHO", "SET"));
    FreeLibrary(hModule);
}

TEST_F(ModulesTest, OpeningTwiceCountsAndEachOpenNeedsItsFree)
{
    const std::string strPath = m_folder.File("Imagery1.dll");
    WriteLibrary(strPath, "one");
    const HMODULE h1 = LoadLibrary(strPath.c_str());
    const HMODULE h2 = LoadLibrary(strPath.c_str());
    ASSERT_NE(nullptr, h1);
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(TRUE, FreeLibrary(h1));
    EXPECT_EQ("one", ResourceText(h2, "WHO", "SET")) << "still open once";
    EXPECT_EQ(TRUE, FreeLibrary(h2));
    EXPECT_EQ(nullptr, FindResource(h2, "WHO", "SET")) << "a freed handle finds nothing";
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(FALSE, FreeLibrary(h2));
    EXPECT_EQ(FALSE, FreeLibrary(nullptr));
}

TEST_F(ModulesTest, MissingDamagedAndForeignFilesAreRefused)
{
    struct SCase
    {
        const char* szName;
        std::string strContent; // empty: no file at all
        DWORD dwError;
        const char* szReason;     // what the debug log says
        bool bLoaderText = false; // the reason goes on with the dynamic loader's own text
    };
    const SCase cases[] = {
        {"missing", "", ERROR_FILE_NOT_FOUND, "cannot read the file"},
        {"text file", "hello, this is not a library", ERROR_BAD_FORMAT, "not a resource library (wrong magic number)"},
        {"cut-off library", std::string("VRES\x01\x00\x1c\x00", 8), ERROR_BAD_FORMAT, "the header is cut off"},
        {"shared object",
         std::string("\x7f"
                     "ELF\x02\x01\x01",
                     7),
         ERROR_BAD_EXE_FORMAT, "the shared object does not load: ", true},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const std::string strPath = m_folder.File(std::string(c.szName) + ".dll");
        if (!c.strContent.empty())
            std::ofstream(strPath, std::ios::binary) << c.strContent;
        SetLastError(0);
        std::string strLog;
        SetDebugLogSink([&strLog](const std::string& strLine) { strLog += strLine; });
        EXPECT_EQ(nullptr, LoadLibrary(strPath.c_str()));
        SetDebugLogSink({});
        EXPECT_EQ(c.dwError, GetLastError());
        const std::string strExpected = "LoadLibrary: " + strPath + ": " + c.szReason;
        if (c.bLoaderText)
            EXPECT_EQ(strExpected, strLog.substr(0, strExpected.size())) << strLog;
        else
            EXPECT_EQ(strExpected + "\n", strLog);
    }
    EXPECT_EQ(nullptr, LoadLibrary(nullptr));
}

TEST_F(ModulesTest, LoadStringCopiesCutsAndTerminates)
{
    const std::string strPath = m_folder.File("VornRes.dll");
    WriteLibrary(strPath, "main", {{21504, "The scene file is missing."}, {7, ""}});
    const HINSTANCE hInstance = LoadLibrary(strPath.c_str());
    ASSERT_NE(nullptr, hInstance);
    struct SCase
    {
        const char* szName;
        UINT nId;
        int nBufferMax;
        const char* szExpected;
    };
    const SCase cases[] = {
        {"whole string", 21504, 100, "The scene file is missing."},
        {"exact fit", 21504, 27, "The scene file is missing."},
        {"cut to the buffer", 21504, 8, "The sce"},
        {"one character buffer", 21504, 1, ""},
        {"empty string", 7, 10, ""},
        {"missing string", 21505, 10, ""},
        {"id 0", 0, 10, ""},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        char szBuffer[100];
        std::memset(szBuffer, 'x', sizeof(szBuffer));
        const int nCopied = LoadString(hInstance, c.nId, szBuffer, c.nBufferMax);
        EXPECT_STREQ(c.szExpected, szBuffer);
        EXPECT_EQ(static_cast<int>(std::strlen(c.szExpected)), nCopied);
    }
    char szBuffer[4] = "abc";
    EXPECT_EQ(0, LoadString(hInstance, 21504, szBuffer, 0));
    EXPECT_STREQ("abc", szBuffer) << "a zero-size buffer is not touched";
    FreeLibrary(hInstance);
}

TEST_F(ModulesTest, FirstLibraryInListOrderThatHasTheResourceWins)
{
    WriteLibrary(m_folder.File("Imagery3.dll"), "three");
    WriteLibrary(m_folder.File("Imagery2.dll"), "two");
    CStringArray astrPaths;
    astrPaths.Add(m_folder.File("Imagery9.dll").c_str()); // missing: skipped
    astrPaths.Add(m_folder.File("Imagery3.dll").c_str());
    astrPaths.Add(m_folder.File("Imagery2.dll").c_str());

    HRSRC hRes = nullptr;
    const HMODULE hModule = FindResourceInLibraries(astrPaths, "WHO", "SET", &hRes);
    ASSERT_NE(nullptr, hModule);
    EXPECT_EQ(hRes, FindResource(hModule, "WHO", "SET"));
    EXPECT_EQ("three", ResourceText(hModule, "WHO", "SET"));
    EXPECT_EQ(TRUE, FreeLibrary(hModule));
    EXPECT_EQ(FALSE, FreeLibrary(hModule)) << "the library was opened once for the caller";

    EXPECT_EQ(nullptr, FindResourceInLibraries(astrPaths, "NOBODY", "SET", &hRes));
    EXPECT_EQ(nullptr, hRes);
}

TEST_F(ModulesTest, VersionStampIsReadFromTheHeader)
{
    const std::string strPath = m_folder.File("VornRes.dll");
    WriteLibrary(strPath, "main");
    DWORD dwMs = 0, dwLs = 0;
    ASSERT_EQ(TRUE, GetResourceLibraryVersion(strPath.c_str(), &dwMs, &dwLs));
    EXPECT_EQ(0x00050006u, dwMs);
    EXPECT_EQ(0x00070008u, dwLs);
    EXPECT_EQ(FALSE, GetResourceLibraryVersion(m_folder.File("none.dll").c_str(), &dwMs, &dwLs));
    std::ofstream(m_folder.File("short.dll"), std::ios::binary) << "VRES";
    EXPECT_EQ(FALSE, GetResourceLibraryVersion(m_folder.File("short.dll").c_str(), &dwMs, &dwLs));
}

TEST_F(ModulesTest, AnOpenLibraryKeepsItsFileWhenReplacedAndRefusesDataCutOff)
{
    const std::string strPath = m_folder.File("Imagery1.dll");
    WriteLibrary(strPath, "first", {{7, ""}});
    const HMODULE hModule = LoadLibrary(strPath.c_str());
    ASSERT_NE(nullptr, hModule);
    const HRSRC hEmpty = FindResource(hModule, MAKEINTRESOURCE(7), MAKEINTRESOURCE(RT_STRING_ID));
    ASSERT_NE(nullptr, hEmpty);
    EXPECT_NE(nullptr, LoadResource(hModule, hEmpty)) << "an empty resource loads";
    EXPECT_EQ(0u, SizeofResource(hModule, hEmpty));

    // A new library written over the path (by rename, as installers do) leaves the open one whole.
    const std::string strNew = m_folder.File("new.dll");
    WriteLibrary(strNew, "second and longer");
    std::filesystem::rename(strNew, strPath);
    EXPECT_EQ("first", ResourceText(hModule, "WHO", "SET"));

    // The open file cut short in place: what was read stays, what is gone does not load.
    WriteLibrary(m_folder.File("Imagery2.dll"), "cut");
    const HMODULE hCut = LoadLibrary(m_folder.File("Imagery2.dll").c_str());
    ASSERT_NE(nullptr, hCut);
    EXPECT_EQ("cut", ResourceText(hCut, "WHO", "SET"));
    // The picture's seven bytes are the last in the file, after at most one byte of padding.
    const std::string strCut = m_folder.File("Imagery2.dll");
    std::filesystem::resize_file(strCut, std::filesystem::file_size(strCut) - 8);
    const HRSRC hPicture = FindResource(hCut, MAKEINTRESOURCE(180), "_DATA");
    ASSERT_NE(nullptr, hPicture);
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadResource(hCut, hPicture));
    EXPECT_EQ(ERROR_RESOURCE_DATA_NOT_FOUND, GetLastError());
    EXPECT_EQ("cut", ResourceText(hCut, "WHO", "SET")) << "read before the cut";
    EXPECT_EQ(TRUE, FreeLibrary(hCut));
    EXPECT_EQ(TRUE, FreeLibrary(hModule));
}
