// Light lines read from any bytes. Property: a line that reads makes a lamp whose saved line reads
// back to the same saved line (saving and loading change nothing).
#include "tests/fuzz/FuzzTarget.h"

#include "render/Light.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const CString strLine(std::string_view(reinterpret_cast<const char*>(pData), nSize));
    CLightSource source;
    CSceneLight* pLamp = source.ApplyLine(strLine, nullptr);
    if (pLamp != nullptr)
    {
        const CString strSaved = FormatLightLine(*pLamp);
        CSceneLight* pAgain = source.ApplyLine(strSaved, nullptr);
        FuzzCheck(pAgain == pLamp, "a saved line did not read back to its lamp");
        FuzzCheck(pAgain != nullptr && FormatLightLine(*pAgain) == strSaved, "a saved line changed when loaded again");
    }
    CLightTable::DeleteAll();
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {
        FuzzBytes("Down, 2, 0.784314,0.784314,0.784314, 12.128700,155.029999,0.909451, 0.000000,-1.000000,0.000000, "
                  "200.000000, 0.331613,0.820305, 1.000000,0.000100,0.000010;"),
        FuzzBytes("Flame1, 2,1.000000,0.000000,0.080000, 10,150,300, 0,-0.8,-0.3, 0, 0.174533,1.047198, 0,0,0, 7;"),
        FuzzBytes("Ambient, 0, 0.349020,0.349020,0.349020, 0,0,0, 0,0,1, 256, 0.366519,0.471239, 1,0,0;")};
}
