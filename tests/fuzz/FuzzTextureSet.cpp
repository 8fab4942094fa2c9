// TEXTURES.SET texts read from any bytes. Property: every record kept has its third field and the
// library it came from.
#include "tests/fuzz/FuzzTarget.h"

#include "render/TextureSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CTextureSet set;
    set.ReadText("VornBall.dat", reinterpret_cast<const char*>(pData), nSize);
    for (int i = 0; i < set.GetCount(); ++i)
    {
        const CTextureSetRec rec = set.GetAt(i);
        FuzzCheck(!rec.m_strField3.IsEmpty(), "a record without its third field was kept");
        FuzzCheck(rec.m_strLibrary == "VornBall.dat", "a record lost its library");
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {
        FuzzBytes("// variants\r\nstandard, TEX_STD, more, COLORS_STD, 1;\r\n/ comment\r\namerican, TEX_US, , C, 0;\r\n"
                  "bonus, TEX_B, more, COLORS_B, x;\r\n\r\nafter, T, m, C, 1;\r\n"),
        FuzzBytes(std::string("standard, T, m, C, 1;\nnext, T, m, C, 1;\0hidden, T, m, C, 1;\n", 60))};
}
