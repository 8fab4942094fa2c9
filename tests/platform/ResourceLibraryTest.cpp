#include "platform/win32/ResourceLibrary.h"

#include "tests/platform/TempFolder.h"

#include "platform/win32/ByteStream.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

struct SEntryCase
{
    SResourceKey type;
    SResourceKey name;
    WORD nLanguage;
    std::vector<BYTE> data;
};

std::vector<SEntryCase> SampleEntries()
{
    return {
        {SResourceKey::Name("_DATA"), SResourceKey::Id(180), 0, Bytes("splash picture")},
        {SResourceKey::Name("SET"), SResourceKey::Name("3-DVorn.art"), 0, Bytes("[Objects]\n")},
        {SResourceKey::Id(6), SResourceKey::Id(21504), 0x409, Bytes("The scene is missing.")},
        {SResourceKey::Id(6), SResourceKey::Id(21504), 0x407, Bytes("Die Szene fehlt.")},
        {SResourceKey::Name("WAVE"), SResourceKey::Name("EMPTY"), 0, {}},
        {SResourceKey::Name("TEXTURES"), SResourceKey::Id(1), 0, std::vector<BYTE>(1001, 0xAB)},
    };
}

std::vector<BYTE> BuildSample(SResourceVersion version = {0x00010002, 0x00030004})
{
    CResourceLibraryWriter writer;
    writer.SetVersion(version);
    std::string strError;
    for (SEntryCase& entry : SampleEntries())
        EXPECT_TRUE(writer.Add(entry.type, entry.name, entry.nLanguage, std::move(entry.data), strError)) << strError;
    return writer.Build();
}

void Patch(std::vector<BYTE>& bytes, std::size_t nPos, DWORD value, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        bytes.at(nPos + static_cast<std::size_t>(i)) = static_cast<BYTE>(value >> (8 * i));
}
} // namespace

TEST(ResourceLibraryTest, EveryEntryRoundTrips)
{
    std::string strError;
    const auto pLib = CResourceLibrary::FromBytes(BuildSample(), strError);
    ASSERT_NE(nullptr, pLib) << strError;
    EXPECT_EQ((SResourceVersion{0x00010002, 0x00030004}), pLib->Version());
    const std::vector<SEntryCase> expected = SampleEntries();
    ASSERT_EQ(expected.size(), pLib->Entries().size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        SCOPED_TRACE(i);
        const SResourceEntry& entry = pLib->Entries()[i];
        EXPECT_TRUE(entry.type.Matches(expected[i].type));
        EXPECT_TRUE(entry.name.Matches(expected[i].name));
        EXPECT_EQ(expected[i].nLanguage, entry.nLanguage);
        const auto data = pLib->Data(entry);
        EXPECT_EQ(expected[i].data, std::vector<BYTE>(data.begin(), data.end()));
        EXPECT_EQ(0u, entry.nOffset % 4) << "data starts on a multiple of 4";
    }
}

TEST(ResourceLibraryTest, FindMatchesNamesWithoutCaseAndIdsExactly)
{
    std::string strError;
    const auto pLib = CResourceLibrary::FromBytes(BuildSample(), strError);
    ASSERT_NE(nullptr, pLib);
    struct SCase
    {
        const char* szName;
        SResourceKey name;
        SResourceKey type;
        const char* szData; // null: not found
    };
    const SCase cases[] = {
        {"name in other case", SResourceKey::Name("3-dvorn.ART"), SResourceKey::Name("set"), "[Objects]\n"},
        {"numeric id, named type", SResourceKey::Id(180), SResourceKey::Name("_data"), "splash picture"},
        {"first language wins", SResourceKey::Id(21504), SResourceKey::Id(6), "The scene is missing."},
        {"id written as a name is not the id", SResourceKey::Name("180"), SResourceKey::Name("_DATA"), nullptr},
        {"wrong type", SResourceKey::Id(180), SResourceKey::Name("JPG"), nullptr},
        {"missing id", SResourceKey::Id(181), SResourceKey::Name("_DATA"), nullptr},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const SResourceEntry* pEntry = pLib->Find(c.name, c.type);
        if (c.szData == nullptr)
        {
            EXPECT_EQ(nullptr, pEntry);
            continue;
        }
        ASSERT_NE(nullptr, pEntry);
        const auto data = pLib->Data(*pEntry);
        EXPECT_EQ(std::string(c.szData), std::string(data.begin(), data.end()));
    }
}

TEST(ResourceLibraryTest, WinArgumentsBecomeKeys)
{
    EXPECT_TRUE(SResourceKey::FromWin(reinterpret_cast<LPCSTR>(std::uintptr_t{180})).Matches(SResourceKey::Id(180)));
    EXPECT_TRUE(SResourceKey::FromWin("#180").Matches(SResourceKey::Id(180)));
    EXPECT_TRUE(SResourceKey::FromWin("#18x").Matches(SResourceKey::Name("#18x")));
    EXPECT_TRUE(SResourceKey::FromWin("#70000").Matches(SResourceKey::Name("#70000")));
    EXPECT_TRUE(SResourceKey::FromWin("Splash").Matches(SResourceKey::Name("SPLASH")));
}

// The byte layout, pinned: one named entry of three bytes.
TEST(ResourceLibraryTest, GoldenBytes)
{
    CResourceLibraryWriter writer;
    writer.SetVersion({0x00020001, 0x00000007});
    std::string strError;
    ASSERT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Id(5), 0x409, Bytes("abc"), strError));
    const std::vector<BYTE> golden = {
        'V',  'R',  'E',  'S', 1,   0,   28,  0, // magic, format version, header size
        0x01, 0,    0x02, 0,   7,   0,   0,   0, // version stamp
        1,    0,    0,    0,                     // entry count
        21,   0,    0,    0,                     // index size
        55,   0,    0,    0,                     // file size
        0,    0,    3,    0,   'S', 'E', 'T',    // type "SET"
        5,    0,    0,    0,                     // name #5
        0x09, 0x04,                              // language
        52,   0,    0,    0,                     // offset
        3,    0,    0,    0,                     // size
        0,    0,    0,                           // padding to a multiple of 4
        'a',  'b',  'c',                         // data
    };
    EXPECT_EQ(golden, writer.Build());
}

TEST(ResourceLibraryTest, DamagedLibrariesAreRefused)
{
    const std::vector<BYTE> good = BuildSample();
    // Header offsets: 0 magic, 4 format version, 6 header size, 16 entry count, 20 index size,
    // 24 file size; the first index record starts at 28 with the type "_DATA" (4 + 5 bytes),
    // then the name #180 (4 bytes), language (2), offset at 28 + 15 and size at 28 + 19.
    struct SCase
    {
        const char* szName;
        const char* szError;
        std::vector<BYTE> bytes;
    };
    std::vector<SCase> cases;
    const auto add = [&](const char* szName, const char* szError, std::size_t nPos, DWORD value, int nBytes = 4)
    {
        std::vector<BYTE> bytes = good;
        Patch(bytes, nPos, value, nBytes);
        cases.push_back({szName, szError, bytes});
    };
    add("wrong magic", "not a resource library (wrong magic number)", 0, 0x12345678);
    add("format version 2", "unsupported format version 2", 4, 2, 2);
    add("header size 32", "wrong header size 32", 6, 32, 2);
    add("entry count larger than the index holds", "the entry count does not fit the index", 16, 1000000);
    add("entry count one too many", "index record 6 is damaged", 16, 7);
    add("entry count one too few", "the index has bytes after its last record", 16, 5);
    add("index size past the end", "the index runs past the end of the file", 20, 0xFFFFFF00);
    add("file size larger than the file", "the file is cut off", 24, static_cast<DWORD>(good.size() + 4));
    add("entry offset inside the index", "entry _DATA/#180 lies outside the data", 28 + 15, 30);
    add("entry offset past the end", "entry _DATA/#180 lies outside the data", 28 + 15, 0xFFFFFFF0);
    add("entry size past the end", "entry _DATA/#180 lies outside the data", 28 + 19, 0x7FFFFFFF);
    add("entry size into the next entry", "entries #180 and 3-DVorn.art overlap", 28 + 19, 64);
    add("name length past the index", "index record 0 is damaged", 28 + 2, 200, 2);
    add("name length over the limit", "index record 0 is damaged", 28 + 2, 256, 2);
    add("numeric key 0", "index record 0 is damaged", 28 + 9, 0); // the name #180 becomes #0
    // Record 2 (#6/#21504, 0x409) starts at 83, record 3 (the same in 0x407) at 101: its
    // language at 109 made 0x409 puts two entries in one slot.
    add("two entries in one slot", "entry #6/#21504 appears twice", 109, 0x409, 2);
    cases.push_back({"cut off", "the file is cut off", std::vector<BYTE>(good.begin(), good.end() - 5)});
    cases.push_back({"header only", "the file is cut off", std::vector<BYTE>(good.begin(), good.begin() + 28)});
    // Five bytes: the format version's first byte, not yet the whole field.
    cases.push_back({"cut in the header", "the header is cut off", std::vector<BYTE>(good.begin(), good.begin() + 5)});
    cases.push_back({"empty", "not a resource library (wrong magic number)", {}});
    std::vector<BYTE> longer = good;
    longer.push_back(0);
    cases.push_back({"bytes after the end", "the file has bytes after its end", longer});

    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        std::string strError;
        EXPECT_EQ(nullptr, CResourceLibrary::FromBytes(c.bytes, strError));
        EXPECT_EQ(c.szError, strError);
    }
}

TEST(ResourceLibraryTest, WriterRefusesDuplicatesAndEmptyKeys)
{
    CResourceLibraryWriter writer;
    std::string strError;
    ASSERT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("A"), 0, {}, strError));
    EXPECT_FALSE(writer.Add(SResourceKey::Name("set"), SResourceKey::Name("a"), 0, {}, strError));
    EXPECT_FALSE(strError.empty());
    EXPECT_TRUE(writer.Add(SResourceKey::Name("set"), SResourceKey::Name("a"), 1, {}, strError));
    EXPECT_FALSE(writer.Add(SResourceKey::Id(0), SResourceKey::Name("B"), 0, {}, strError));
    EXPECT_FALSE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name(std::string(256, 'x')), 0, {}, strError));
}

TEST(ByteReaderTest, ReadsStopAtTheEnd)
{
    const std::vector<BYTE> bytes = {1, 2, 3, 4, 5};
    CByteReader rd(bytes);
    DWORD dw = 0;
    WORD w = 0;
    ASSERT_TRUE(rd.ReadU32LE(dw));
    EXPECT_EQ(0x04030201u, dw);
    EXPECT_FALSE(rd.ReadU16LE(w));
    EXPECT_TRUE(rd.Failed());
    EXPECT_EQ(4u, rd.Position()) << "a failed read leaves the position";
    EXPECT_FALSE(rd.Skip(2));
    EXPECT_FALSE(rd.Seek(6));
    EXPECT_TRUE(rd.Seek(5));
    std::vector<BYTE> out;
    EXPECT_FALSE(rd.ReadBytes(1, out));
}

TEST(ResourceLibraryTest, VersionIsReadFromALibraryFileOnly)
{
    CTempFolder dir;
    const std::vector<BYTE> bytes = BuildSample({0x00050006, 0x00070008});
    dir.Write("lib.dll", std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(0, ::mkfifo(dir.File("pipe.dll").c_str(), 0666));
    SResourceVersion version;
    std::string strError;
    ASSERT_TRUE(CResourceLibrary::ReadVersion(dir.File("lib.dll"), version, strError)) << strError;
    EXPECT_EQ((SResourceVersion{0x00050006, 0x00070008}), version);
    EXPECT_FALSE(CResourceLibrary::ReadVersion(dir.File("pipe.dll"), version, strError)); // not waited on
    EXPECT_EQ("cannot read the file", strError);
    EXPECT_FALSE(CResourceLibrary::ReadVersion(dir.File("none.dll"), version, strError));
}
