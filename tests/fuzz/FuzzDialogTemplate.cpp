// Dialog templates read from any text, as the resource packer and the dialogs read them.
// Properties: a template read has its dialog line and font; every rectangle, in dialog units and
// in pixels, is ordered (left <= right, top <= bottom).
#include "tests/fuzz/FuzzTarget.h"

#include "platform/win32/DialogTemplate.h"

#include <array>

namespace
{
bool IsOrdered(const RECT& rc) { return rc.left <= rc.right && rc.top <= rc.bottom; }

/// The base units of every point size a template may ask for, measured once: measuring a font
/// each run would set the pace.
SIZE BaseUnits(int nPointSize)
{
    static std::array<SIZE, 73> s_aBase{};
    SIZE& base = s_aBase.at(static_cast<std::size_t>(nPointSize));
    if (base.cx == 0)
        base = DialogBaseUnits(nPointSize, "MS Sans Serif");
    return base;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SDialogTemplate dialog;
    std::string strError;
    if (!ParseDialogTemplate(FuzzText(pData, nSize), dialog, strError))
    {
        FuzzCheck(strError.starts_with("line ") || strError.starts_with("the template"), "a refusal without a reason");
        return 0;
    }
    FuzzCheck(dialog.nPointSize >= 1 && dialog.nPointSize <= 72 && !dialog.strFace.empty(),
              "a template without a font");
    const SIZE base = BaseUnits(dialog.nPointSize);
    FuzzCheck(IsOrdered(dialog.rcUnits) && IsOrdered(DialogUnitsToPixels(dialog.rcUnits, base)),
              "the dialog's rectangle is turned over");
    for (const SDialogControlTemplate& control : dialog.aControls)
        FuzzCheck(control.nId >= 0 && control.nId <= 0xFFFF && IsOrdered(control.rcUnits) &&
                      IsOrdered(DialogUnitsToPixels(control.rcUnits, base)),
                  "a control's rectangle is turned over");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const char* szName : {"580", "150", "65535", "1300"})
        seeds.push_back(FuzzSourceFile(std::string("assets/VornRes/dialogs/") + szName + ".dlg"));
    seeds.push_back(FuzzBytes("; hand-written\r\ndialog 0 0 32767 32767\r\nfont 72 \"A \\\"face\\\"\"\r\n"
                              "control listbox 65535 32767 32767 32767 32767 \"\" tabstop disabled hidden\r\n"));
    return seeds;
}
