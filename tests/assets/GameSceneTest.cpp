// The scene text and the table set, read by the game's own scene reader over the artwork
// libraries: version 3, its levels, lights, motions, objects, table parts and links, each mesh
// and picture it names present.
#include "tests/assets/GameFiles.h"

#include "foundation/LibraryLists.h"
#include "foundation/Tokens.h"
#include "render/SceneReader.h"
#include "render/SceneRecords.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace
{
/// Fills the game's list of artwork libraries for one test and empties it again.
class CArtworkScope
{
public:
    CArtworkScope()
    {
        for (const std::string& strFile : ArtworkLibraries())
            g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
    }
    ~CArtworkScope() { g_astrArtworkLibraries.RemoveAll(); }
    CArtworkScope(const CArtworkScope&) = delete;
    CArtworkScope& operator=(const CArtworkScope&) = delete;
};

bool MeshExists(const CString& strFile)
{
    return FindFirst(ArtworkLibraries(), strFile.GetString(), "XFILE").has_value();
}

bool HasId(const std::vector<CSceneObjectRec>& recs, int nId)
{
    return std::any_of(recs.begin(), recs.end(), [&](const CSceneObjectRec& rec) { return rec.m_nId == nId; });
}
} // namespace

TEST(GameSceneTest, SceneTextReadsWithTheGamesReader)
{
    CArtworkScope scope;
    CSceneReader reader;
    ASSERT_TRUE(reader.Open());
    EXPECT_EQ(3, reader.ReadVersion());
    float afBounds[6] = {};
    EXPECT_TRUE(reader.ReadBounds(afBounds));
    EXPECT_LT(afBounds[0], afBounds[3]);
    CStringArray levels, lights;
    EXPECT_TRUE(reader.ReadLevels(levels));
    EXPECT_EQ(10, levels.GetSize());
    EXPECT_TRUE(reader.ReadLights(lights));
    EXPECT_GE(lights.GetSize(), 1);
    EXPECT_LE(lights.GetSize(), 16);
    CString strPure;
    EXPECT_TRUE(reader.ReadPureLights(strPure));
    EXPECT_FALSE(strPure.IsEmpty());
    g_aMotions.clear();
    EXPECT_TRUE(reader.ReadMotions());
    ASSERT_EQ(2u, g_aMotions.size());
    EXPECT_EQ(1, g_aMotions[0].m_nKind);
    EXPECT_EQ(2, g_aMotions[1].m_nKind);
    g_aMotions.clear();

    std::vector<CSceneObjectRec> objects, table;
    EXPECT_TRUE(reader.ReadObjects(objects));
    EXPECT_TRUE(reader.ReadTable(table));
    for (const int nId : {0x10, 0x2, 0x20})
    {
        SCOPED_TRACE(nId);
        EXPECT_TRUE(HasId(objects, nId));
    }
    for (const int nKind : {0x1000040, 0x2000040, 0x4000040, 0x8000040, 0x10000040, 0x20000040})
    {
        SCOPED_TRACE(nKind);
        EXPECT_TRUE(HasId(table, nKind));
    }
    for (const auto* pRecs : {&objects, &table})
        for (const CSceneObjectRec& rec : *pRecs)
        {
            SCOPED_TRACE(rec.m_strName.GetString());
            EXPECT_TRUE(MeshExists(rec.m_strFile));
            EXPECT_LE(rec.m_nLights, 10);
            for (const BYTE nLight : rec.m_aLights)
                EXPECT_LT(nLight, lights.GetSize());
        }

    EXPECT_TRUE(reader.ReadLinks());
    EXPECT_EQ(4, g_linkList.GetSize());
    for (int i = 0; i < g_linkList.GetSize(); ++i)
    {
        const CLinkRec link = g_linkList.GetAt(i);
        SCOPED_TRACE(link.m_strPicture.GetString());
        const std::string strBare = std::string(link.m_strPicture.GetString()).substr(0, link.m_strPicture.Find('.'));
        EXPECT_TRUE(FindFirst(ArtworkLibraries(), strBare.c_str(), "JPG").has_value());
        EXPECT_FALSE(link.m_strTarget.IsEmpty());
    }
    g_linkList.RemoveAll();
    reader.Close();
}

// The table set lists one table, whose six part meshes its own library holds. Its line is read as
// the game reads it: nine fields cut at "," or ";".
TEST(GameSceneTest, TableSetNamesSixMeshesInItsLibrary)
{
    const auto text = FindIn("Imagery1.dll", "TABLES.SET", "SET");
    ASSERT_TRUE(text.has_value());
    int nTables = 0;
    CString strText(reinterpret_cast<const char*>(text->data()), static_cast<int>(text->size()));
    while (!strText.IsEmpty())
    {
        CString strLine = ExtractToken(strText, "\n");
        if (strLine.IsEmpty() || strLine[0] == '/')
            continue;
        ++nTables;
        std::vector<CString> fields;
        for (int f = 0; f < 9; ++f)
            fields.push_back(ExtractToken(strLine, ",;\n"));
        EXPECT_FALSE(fields[1].IsEmpty());
        for (int f = 3; f < 9; ++f)
        {
            SCOPED_TRACE(fields[f].GetString());
            EXPECT_TRUE(FindIn("Imagery1.dll", fields[f].GetString(), "XFILE").has_value());
        }
    }
    EXPECT_EQ(1, nTables);
}
