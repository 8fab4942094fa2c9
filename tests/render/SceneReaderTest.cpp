#include "render/SceneReader.h"

#include "foundation/ErrorBox.h"
#include "render/ArtLibraries.h"

#include <gtest/gtest.h>

namespace
{
const char* const SCENE_TEXT = "// The test room\r\n"
                               "Version = 3\r\n"
                               "Bounds = -10 0 -20 30 40 50\r\n"
                               "\r\n"
                               "[Levels]\r\n"
                               "0, Low;\r\n"
                               "9, High;\r\n"
                               "//[Objects]\r\n"
                               "  [objects]  \r\n"
                               "0x10, Ball, Ball.x, 1.5, 2, -3, 1, 2, -1, -1, 7, 0, -1, 2, 0, 3, 220, 0;\r\n"
                               "   \r\n"
                               "// a comment inside\r\n"
                               "20, Lamp, Lamp.x, 0,0,0, 0, 5, 0, -1, 0, 1, 0, 1, 300, 200, 2, 4, -1;\r\n"
                               "0x30, Broken, Broken.x, 0,0,0\r\n"
                               "[MOTIONS]\r\n"
                               "1, Fan, 33;\r\n"
                               "2, 0x5, 20;\r\n"
                               "4, 1, 2;\r\n"
                               "[Links]\r\n"
                               "pic.bmp, http://x, Text;\r\n"
                               "[Pure Lights]\r\n"
                               "// first\r\n"
                               "3, 1, 2, 3;\r\n"
                               "4, 5;\r\n"
                               "[Table]\r\n"
                               "0x1000040, Bed, Bed.x, 0,26,0, 0, 1, -1, -1, 0, 0, -1, 0, 200, 0;\r\n"
                               "[Animations]\r\n"
                               "arrow.avi, arrow.bmp, 0, 0;\r\n"
                               "[Lights]\r\n"
                               "   Down, 2, 1,1,1, 0,100,0, 0,-1,0, 200, 0.3,0.8, 1,0,0;\r\n";

class SceneReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorBoxHandler([this](const char* sz) { m_aBoxes.push_back(sz); });
        g_aMotions.clear();
        g_linkList.RemoveAll();
    }
    void TearDown() override { SetErrorBoxHandler({}); }

    bool OpenText(const std::string& strText)
    {
        m_libs.Add("Imagery1.dll", "SET", "3-DVORN.ART", strText).Install();
        return m_reader.Open();
    }

    CArtLibraries m_libs;
    CSceneReader m_reader;
    std::vector<std::string> m_aBoxes;
};
} // namespace

TEST_F(SceneReaderTest, ReadsEverySectionOfACrlfText)
{
    ASSERT_TRUE(OpenText(SCENE_TEXT));
    EXPECT_EQ(CString("3-DVorn.art"), m_reader.GetName());
    EXPECT_EQ(3, m_reader.ReadVersion());

    float afBounds[6] = {};
    ASSERT_TRUE(m_reader.ReadBounds(afBounds));
    EXPECT_FLOAT_EQ(-20.0f, afBounds[2]);
    EXPECT_FLOAT_EQ(50.0f, afBounds[5]);

    std::vector<CSceneObjectRec> aObjects;
    ASSERT_TRUE(m_reader.ReadObjects(aObjects));
    ASSERT_EQ(2u, aObjects.size()); // the line cut after its position is skipped
    const CSceneObjectRec& ball = aObjects[0];
    EXPECT_EQ(16, ball.m_nId);
    EXPECT_EQ(CString("Ball.x"), ball.m_strFile);
    EXPECT_FLOAT_EQ(-3.0f, ball.m_vPos.z);
    EXPECT_EQ(1, ball.m_bFlag); // 7 reads as 1
    EXPECT_EQ(std::vector<BYTE>({0, 3}), ball.m_aLights);
    EXPECT_EQ(220, ball.m_nAmbient);
    const CSceneObjectRec& lamp = aObjects[1];
    EXPECT_EQ(0x20, lamp.m_nId);         // hexadecimal without 0x
    EXPECT_TRUE(lamp.m_aLights.empty()); // 300 is past the byte range
    EXPECT_EQ(200, lamp.m_nAmbient);
    EXPECT_EQ(std::vector<BYTE>({4}), lamp.m_aList2); // -1 dropped
    EXPECT_EQ(0x20, CSceneReader::FindObjectRecById(aObjects, 0x20).m_nId);
    EXPECT_FALSE(CSceneReader::FindObjectRecById(aObjects, 0x99).m_bValid);

    std::vector<CSceneObjectRec> aTable;
    ASSERT_TRUE(m_reader.ReadTable(aTable));
    ASSERT_EQ(1u, aTable.size());
    EXPECT_EQ(0x1000040, aTable[0].m_nId);

    CStringArray astrLevels, astrLights;
    ASSERT_TRUE(m_reader.ReadLevels(astrLevels));
    ASSERT_EQ(2, astrLevels.GetSize());
    EXPECT_EQ(CString("9, High;\r"), astrLevels[1]);
    ASSERT_TRUE(m_reader.ReadLights(astrLights));
    ASSERT_EQ(1, astrLights.GetSize());
    EXPECT_EQ(0, astrLights[0].Find("Down"));

    CString strPure;
    ASSERT_TRUE(m_reader.ReadPureLights(strPure));
    EXPECT_EQ(CString("3, 1, 2, 3;\r"), strPure);

    ASSERT_TRUE(m_reader.ReadMotions());
    ASSERT_EQ(3u, g_aMotions.size());
    EXPECT_EQ(CString("Fan"), g_aMotions[0].m_strName);
    EXPECT_EQ(33, g_aMotions[0].GetInt());
    EXPECT_EQ((5 << 16) | 20, g_aMotions[1].GetInt());
    EXPECT_TRUE(g_aMotions[1].m_bValid);
    EXPECT_FALSE(g_aMotions[2].m_bValid); // kind 4 is kept but not valid
    EXPECT_EQ(2, g_aMotions[2].GetInt(4));
    ASSERT_TRUE(m_reader.ReadMotions()); // read again: the list is not doubled
    EXPECT_EQ(3u, g_aMotions.size());

    ASSERT_TRUE(m_reader.ReadLinks());
    ASSERT_EQ(1, g_linkList.GetSize());
    EXPECT_EQ(CString("http://x"), g_linkList.GetAt(0).m_strTarget);
    EXPECT_TRUE(g_linkList.GetAt(5).m_strPicture.IsEmpty());

    std::vector<CAnimationRec> aAnims;
    ASSERT_TRUE(m_reader.ReadAnimations(aAnims));
    ASSERT_EQ(1u, aAnims.size());
    EXPECT_EQ(CString("arrow.bmp"), aAnims[0].m_strFile);
    EXPECT_TRUE(m_aBoxes.empty());
}

TEST_F(SceneReaderTest, KeysAndHeaders)
{
    struct SCase
    {
        const char* szName;
        const char* szText;
        bool bOpens;
    };
    const SCase aCases[] = {
        {"lower-case key, blanks around =", "  version   =   3\n", true},
        {"key in a section", "[Objects]\nVERSION=3\n", true},
        {"colon in place of =", "Version: 3\n", false},
        {"commented version", "// Version = 3\n", false},
        {"wrong version", "Version = 2\n", false},
        {"first version line wins", "Version = 4\nVersion = 3\n", false},
        {"no text at all", "", false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CArtLibraries libs;
        libs.Add("Imagery.dll", "SET", "3-DVORN.ART", c.szText).Install();
        m_aBoxes.clear();
        CSceneReader reader;
        EXPECT_EQ(c.bOpens, reader.Open());
        EXPECT_EQ(c.bOpens, reader.IsOpen());
        EXPECT_EQ(c.bOpens ? 0u : 1u, m_aBoxes.size()); // one error box, and only on failure
        if (!c.bOpens)
        {
            EXPECT_TRUE(reader.GetName().IsEmpty());
        }
    }
}

TEST_F(SceneReaderTest, WithoutALibraryOneBoxAndEverySectionFails)
{
    CLogRecorder log;
    EXPECT_FALSE(m_reader.Open());
    ASSERT_EQ(1u, m_aBoxes.size());
    EXPECT_NE(std::string::npos, m_aBoxes[0].find("21504"));
    EXPECT_NE(std::string::npos, log.Text().find("3-DVORN.ART"));
    std::vector<CSceneObjectRec> aRecs;
    CStringArray astr;
    EXPECT_FALSE(m_reader.ReadObjects(aRecs));
    EXPECT_FALSE(m_reader.ReadLights(astr));
    EXPECT_FALSE(m_reader.ReadLinks());
    EXPECT_EQ(-1, m_reader.ReadVersion());
}

TEST_F(SceneReaderTest, FirstLibraryHoldingTheTextWins)
{
    m_libs.Add("Imagery2.dll", "SET", "OTHER", "x")
        .Add("Imagery1.dll", "SET", "3-DVORN.ART", "Version=3\n[Levels]\n1, One;\n")
        .Add("Imagery.dll", "SET", "3-DVORN.ART", "Version=3\n[Levels]\n2, Two;\n")
        .Install();
    ASSERT_TRUE(m_reader.Open());
    CStringArray astr;
    ASSERT_TRUE(m_reader.ReadLevels(astr));
    EXPECT_EQ(CString("1, One;"), astr[0]);
}

TEST_F(SceneReaderTest, SectionEdgeCases)
{
    ASSERT_TRUE(OpenText("Version=3\nBounds = 1 2 nan 4 5 6\n[Pure Lights]\n[Lights]\nA;\n[Motions]\n1, Fan, 33\n"
                         "[Animations]\nclip.avi, pic.bmp, 30\n[Objects]\n"
                         "1, A, A.x, 0,0,0, 0,0,0,0,0,0,0, 12, 1,2,3,4,5,6,7,8,9,10,11,12, 5, 2147483647, 1, 2;\n"));
    float afBounds[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(m_reader.ReadBounds(afBounds)); // a number that is not finite: nothing changes
    EXPECT_FLOAT_EQ(9.0f, afBounds[0]);

    CString strPure = "old";
    EXPECT_TRUE(m_reader.ReadPureLights(strPure)); // the next header comes first
    EXPECT_TRUE(strPure.IsEmpty());

    EXPECT_FALSE(m_reader.ReadMotions()); // the value " 33" lacks its separator
    std::vector<CAnimationRec> aAnims;
    EXPECT_FALSE(m_reader.ReadAnimations(aAnims));

    // Twelve lights: ten are read, the eleventh and twelfth become ambient and the list count;
    // the huge count then reads the rest of the line and stops.
    std::vector<CSceneObjectRec> aRecs;
    ASSERT_TRUE(m_reader.ReadObjects(aRecs));
    ASSERT_EQ(1u, aRecs.size());
    EXPECT_EQ(10, aRecs[0].m_nLights);
    EXPECT_EQ(10u, aRecs[0].m_aLights.size());
    EXPECT_EQ(11, aRecs[0].m_nAmbient);
    EXPECT_EQ(12, aRecs[0].m_nList2);
    EXPECT_EQ(std::vector<BYTE>({5, 1, 2}), aRecs[0].m_aList2); // 2147483647 is past a byte
}

TEST_F(SceneReaderTest, ProgramBuiltLinesParse)
{
    const char* aszLines[] = {
        "0x0, HourHand, HourHand.x, 0,0,0, 1, 2,  -1, -1, 0, 0,  -1,  0,    220, 0;",
        "0x200, PocketArrow,  Arrow.x,   0,0,0, 1, 10,  -1, -1, 0, 0,  -1,   0,    220, 0;",
    };
    for (const char* sz : aszLines)
    {
        SCOPED_TRACE(sz);
        CSceneObjectRec rec;
        ASSERT_TRUE(rec.Parse(sz));
        EXPECT_EQ(1, rec.m_nLevel);
        EXPECT_EQ(-1, rec.m_nMotion);
        EXPECT_EQ(220, rec.m_nAmbient);
        EXPECT_EQ(0, rec.m_nList2);
    }
}

TEST_F(SceneReaderTest, FileReaderChecksItsVersion)
{
    CTempFolder folder;
    folder.Write("scene.art", "Version = 3\n[Levels]\n1, One;\n");
    CSceneReader reader(folder.File("scene.art").c_str());
    EXPECT_TRUE(reader.CheckVersion());
    CStringArray astr;
    EXPECT_TRUE(reader.ReadLevels(astr));
    CSceneReader missing(folder.File("none.art").c_str());
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.CheckVersion());
}
