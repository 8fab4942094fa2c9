#include "gameflow/TableSets.h"

#include "platform/TempFolder.h"
#include "platform/win32/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Writes an artwork library holding the given "TABLES.SET" text, or none when pText is null.
std::string WriteArtwork(const CTempFolder& folder, const std::string& strName, const std::string* pText)
{
    CResourceLibraryWriter writer;
    std::string strError;
    const std::string strOther = "other";
    EXPECT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("OTHER.SET"), 0,
                           std::vector<BYTE>(strOther.begin(), strOther.end()), strError));
    if (pText != nullptr)
    {
        EXPECT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("TABLES.SET"), 0,
                               std::vector<BYTE>(pText->begin(), pText->end()), strError));
    }
    const std::string strPath = folder.File(strName);
    EXPECT_TRUE(writer.WriteFile(strPath, strError)) << strError;
    return strPath;
}

// The entry as "library|field1|...|field9|extra..." with the key's line feed shown as '^'.
std::string Describe(const CTableSetEntry& entry, const std::string& strFolder)
{
    std::string str = entry.m_strLibrary.Str().substr(strFolder.size());
    for (const CString& strField : entry.m_astrField)
        str += "|" + strField.Str();
    for (const CString& strExtra : entry.m_astrExtra)
        str += "+" + strExtra.Str();
    for (char& ch : str)
        if (ch == '\n')
            ch = '^';
    return str;
}

std::vector<std::string> Entries(const std::string& strFolder)
{
    std::vector<std::string> astr;
    for (int i = 0; i < g_tableSets.GetCount(); ++i)
        astr.push_back(Describe(g_tableSets.GetAt(i), strFolder));
    return astr;
}

class TableSetsTest : public ::testing::Test
{
protected:
    ~TableSetsTest() override { g_tableSets.RemoveAll(); }
    CTempFolder m_folder;
};
} // namespace

TEST_F(TableSetsTest, EveryLibraryIsReadInOrderAndEveryLineCounts)
{
    using namespace std::string_literals;
    // Comments, an empty line, an empty key, a short line, extras, and a last line without a
    // final line feed, which is kept as every other line.
    const std::string strText1 = "// number, key, maker, meshes\n"
                                 "\n"
                                 "1, Walnut, Vorn, Bed.x, A.x, B.x, C.x, D.x, Mark.x;\n"
                                 "2, , Vorn, Bed.x, A.x, B.x, C.x, D.x, Mark.x\n"
                                 "/ a comment too\n"
                                 "3; Short; Vorn\n"
                                 "4, Oak, Vorn, Bed2.x, A2.x, B2.x, C2.x, D2.x, Mark2.x, first , second;x\n"
                                 "5, Last, Vorn, B.x";
    // CRLF lines, and a text cut at a NUL byte inside the resource.
    const std::string strText3 = "// windows lines\r\n\r\n"
                                 "6, Maple, Vorn, Bed.x, A.x, B.x, C.x, D.x, Mark.x\r\n"
                                 "7, Pine, Vorn, Bed.x, A.x, B.x, C.x, D.x, Mark.x\r\n\0"
                                 "8, After, Vorn\n"s;
    const std::string strEmpty;
    const std::string strOneShort = "9,K";
    CStringArray astrLibs;
    astrLibs.Add(WriteArtwork(m_folder, "Imagery1.dll", &strText1));
    astrLibs.Add(WriteArtwork(m_folder, "Imagery2.dll", nullptr));
    astrLibs.Add(m_folder.File("Missing.dll"));
    astrLibs.Add(WriteArtwork(m_folder, "Imagery3.dll", &strText3));
    astrLibs.Add(WriteArtwork(m_folder, "Imagery4.dll", &strEmpty));
    astrLibs.Add(WriteArtwork(m_folder, "Imagery5.dll", &strOneShort));

    LoadTablesSet(astrLibs);

    const std::vector<std::string> astrExpected = {
        "Imagery1.dll|1|^alnut|Vorn|Bed.x|A.x|B.x|C.x|D.x|Mark.x",
        "Imagery1.dll|3|^hort|Vorn||||||",
        "Imagery1.dll|4|^ak|Vorn|Bed2.x|A2.x|B2.x|C2.x|D2.x|Mark2.x+first+second",
        "Imagery1.dll|5|^ast|Vorn|B.x|||||",
        "Imagery3.dll|6|^aple|Vorn|Bed.x|A.x|B.x|C.x|D.x|Mark.x",
        "Imagery3.dll|7|^ine|Vorn|Bed.x|A.x|B.x|C.x|D.x|Mark.x",
        "Imagery5.dll|9|^|||||||",
    };
    EXPECT_EQ(astrExpected, Entries(m_folder.Folder()));
    ASSERT_EQ(7, g_tableSets.GetCount());
    const CTableSetEntry& oak = g_tableSets.GetAt(2);
    EXPECT_EQ(CString("Bed2.x"), oak.GetMeshForKind(0x1000040));
    EXPECT_EQ(CString("A2.x"), oak.GetMeshForKind(0x4000040));
    EXPECT_EQ(CString("D2.x"), oak.GetMeshForKind(0x20000040));
    EXPECT_EQ(CString("Mark2.x"), oak.GetMeshForKind(0x2000040));
    EXPECT_TRUE(oak.GetMeshForKind(0x40).IsEmpty());

    // Reading again replaces the list.
    LoadTablesSet(astrLibs);
    EXPECT_EQ(7, g_tableSets.GetCount());
}

TEST_F(TableSetsTest, TheTableNumberSelectsAnEntryOrFallsBackToTheFirst)
{
    const struct
    {
        int nEntries, nNumber, nSelected;
    } cases[] = {{0, 0, -1}, {0, 3, -1}, {3, 0, 0}, {3, 2, 2}, {3, 3, 0}, {3, -1, 0}, {3, 1000000, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.nEntries) + " entries, table number " + std::to_string(c.nNumber));
        g_tableSets.RemoveAll();
        for (int i = 0; i < c.nEntries; ++i)
        {
            const std::string strLine = std::to_string(i) + ", Key" + std::to_string(i) + ", Vorn\n";
            g_tableSets.ReadText("Imagery1.dll", strLine.data(), strLine.size());
        }
        EXPECT_EQ(c.nSelected, g_tableSets.Select(c.nNumber));
        const CTableSetEntry* pEntry = g_tableSets.GetSelected();
        if (c.nSelected < 0)
        {
            EXPECT_EQ(nullptr, pEntry);
        }
        else
        {
            ASSERT_NE(nullptr, pEntry);
            EXPECT_EQ(CString(std::to_string(c.nSelected)), pEntry->m_astrField[0]);
        }
    }
}
