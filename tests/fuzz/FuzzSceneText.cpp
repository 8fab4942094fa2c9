// Scene texts read from any bytes: every section and key through the scene reader. Properties:
// every record kept is valid, its light and second lists hold bytes only up to their counts.
#include "tests/fuzz/FuzzTarget.h"

#include "render/SceneReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string file = WriteFuzzFile("scene.art", pData, nSize);
    CSceneReader reader(file.c_str());
    std::vector<CSceneObjectRec> aRecs;
    reader.ReadObjects(aRecs);
    reader.ReadTable(aRecs);
    for (const CSceneObjectRec& rec : aRecs)
    {
        FuzzCheck(rec.m_bValid != 0, "an invalid record was kept");
        FuzzCheck(rec.m_aLights.size() <= static_cast<std::size_t>(SCENE_MAX_OBJECT_LIGHTS), "too many lights");
        FuzzCheck(rec.m_nList2 < 0 || rec.m_aList2.size() <= static_cast<std::size_t>(rec.m_nList2),
                  "the second list is longer than its count");
    }
    CStringArray astr;
    reader.ReadLights(astr);
    reader.ReadLevels(astr);
    CString strPure;
    reader.ReadPureLights(strPure);
    std::vector<CAnimationRec> aAnims;
    reader.ReadAnimations(aAnims);
    reader.ReadLinks();
    reader.ReadMotions();
    for (const CMotionRec& m : g_aMotions)
        FuzzCheck(m.m_nDataSize == static_cast<int>(m.m_pData.size()), "a motion's data size is wrong");
    float afBounds[6] = {};
    reader.ReadBounds(afBounds);
    reader.ReadVersion();
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzBytes("Version = 3\r\nBounds = -205 0 -265.5 238 135.67 250\r\n[Levels]\r\n0, Low;\r\n"
                      "[Objects]\r\n0x10, Ball, Ball.x, 1,2,3, 1, 2, -1, -1, 1, 0, -1, 2, 0, 1, 220, 1, 4;\r\n"
                      "[Table]\r\n0x1000040, Bed, Bed.x, 0,26,0, 0, 1, -1, -1, 0, 0, -1, 0, 200, 0;\r\n"
                      "[Motions]\r\n1, Fan, 33;\r\n2, 0x5, 20;\r\n4, 1, 2;\r\n[Links]\r\npic.bmp, x, y;\r\n"
                      "[Pure Lights]\r\n3, 1, 2, 3;\r\n[Animations]\r\narrow.avi, arrow.bmp, 0, 0;\r\n"
                      "[Lights]\r\nDown, 2, 1,1,1, 0,100,0, 0,-1,0, 200, 0.3,0.8, 1,0,0;\r\n"),
            FuzzBytes("// comment\n  [objects]  \n1, A, A.x, 0,0,0, 0,0,0,0,0,0,0, 12, 1,2,3,4,5,6,7,8,9,10,11,12, 5, "
                      "2147483647, 1, 2;\n")};
}
