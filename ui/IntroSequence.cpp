#include "ui/IntroSequence.h"

#include "foundation/Folders.h"
#include "foundation/GlobalOrder.h"
#include "foundation/Stopwatch.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Profile.h"
#include "render/CursorManager.h"
#include "render/Light.h"
#include "render/SceneObject.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

VORN_GLOBAL_ROW(GLOBAL_ROW_INTRO_SEQUENCE) CIntroSequence g_IntroSequence;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_INTRO_SEQUENCE);

namespace
{
constexpr const char* INTRO_SECTION = "Intro";
constexpr const char* DEFAULT_BLINK_LIST = "500, 300, 300, 150, 150, 150, 500, 100;";
/// The fade's length, whatever the increase time.
constexpr double RAMP_MS = 2500.0;
/// Escape and Space are taken only after this many intro frames of the program.
constexpr unsigned SKIP_AFTER_FRAMES = 10;
/// The longest blink interval the ini may ask for (a minute), so that no list holds the intro.
constexpr long MAX_BLINK_MS = 60000;
/// Scene objects of this number are lit fully in the fade, and in the blink's on phase.
constexpr int FULLY_LIT_OBJECT = 256;
/// The level of the dark steps when the scene has no "Ambient" lamp.
constexpr int DARK_LEVEL_WITHOUT_AMBIENT = 50;
constexpr DWORD OPAQUE_ALPHA = 0xFF000000u;

/// The dim grey of the dark room, 0 to 255; read from the ini at each start.
int s_nStartLight = 20;
/// Frames of every intro since the program started; never reset.
unsigned s_nFrameCount = 0;

/// Lamps the fade leaves alone: they came on before it, in their own colours.
bool KeepsOwnColour(const std::string& strName)
{
    for (const char* sz : {"Down", "Flame", "Flame1", "JukeBox"})
        if (strName == sz)
            return true;
    return false;
}

CSceneLight* FindLamp(const char* szName)
{
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (CSceneLight* p = CLightTable::GetAt(i); p != nullptr && p->m_strName == szName)
            return p;
    return nullptr;
}

void SwitchOn(CSceneLight* pLamp)
{
    if (pLamp != nullptr)
        CLightTable::SetOnFlag(pLamp->m_nIndex);
}

DWORD Grey(int n)
{
    const auto g = static_cast<DWORD>(std::clamp(n, 0, 255));
    return OPAQUE_ALPHA | g << 16 | g << 8 | g;
}

/// A line component (0 to 1) as a byte. Rounded: the line holds bytes / 255 to six places, so
/// cutting off would lose one step of some colours at every intro.
int ComponentByte(float f) { return static_cast<int>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f)); }

/// Escape or Space pressed since the last query; both are queried each frame, so that a press in
/// the frames that may not skip is not kept for later.
bool SkipKeyPressed()
{
    const bool bEscape = (GetAsyncKeyState(VK_ESCAPE) & 1) != 0;
    const bool bSpace = (GetAsyncKeyState(VK_SPACE) & 1) != 0;
    return bEscape || bSpace;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CBlinkTimer

void CBlinkTimer::SetIntervals(std::vector<DWORD> adwIntervals)
{
    m_adwIntervals = std::move(adwIntervals);
    m_dwInterval = m_dwAccumulated = 0;
    m_bOn = m_bDone = FALSE;
}

bool CBlinkTimer::Step(DWORD dwFrameMs)
{
    if (m_bDone)
        return true;
    m_dwAccumulated += dwFrameMs;
    if (m_dwAccumulated < m_dwInterval)
        return false;
    if (m_adwIntervals.empty())
    {
        m_bDone = TRUE;
        return true;
    }
    m_dwInterval = m_adwIntervals.front();
    m_adwIntervals.erase(m_adwIntervals.begin());
    m_dwAccumulated = 0;
    m_bOn = !m_bOn;
    return false;
}

std::vector<DWORD> ParseBlinkIntervals(const CString& strList)
{
    std::vector<DWORD> adw;
    const std::string str = strList.Str();
    const char* p = str.c_str();
    for (;;)
    {
        p += std::strspn(p, " \t");
        if (*p == '\0' || *p == ';')
            break;
        char* pEnd = nullptr;
        errno = 0;
        const long n = std::strtol(p, &pEnd, 10);
        if (pEnd == p || errno != 0 || n < 0 || n > MAX_BLINK_MS)
        {
            OutputDebugString(("Intro: the blink list stops at \"" + std::string(p) + "\"\n").c_str());
            break;
        }
        adw.push_back(static_cast<DWORD>(n));
        p = pEnd + std::strspn(pEnd, " \t");
        if (*p == ',')
            ++p;
    }
    return adw;
}

// ---------------------------------------------------------------------------------------------
// CIntroSequence

int CIntroSequence::GetStartLight() { return s_nStartLight; }
unsigned CIntroSequence::GetFrameCount() { return s_nFrameCount; }
void CIntroSequence::SetFrameCount(unsigned nFrames) { s_nFrameCount = nFrames; }

void CIntroSequence::SetIniFiles(const CString& strRead, const CString& strWrite)
{
    m_strIniRead = strRead;
    m_strIniWrite = strWrite;
}

void CIntroSequence::LoadSettings()
{
    // The folders are known only once start-up has found them, after the global was made; with no
    // data folder nothing is written.
    if (m_strIniRead.IsEmpty())
    {
        const CString strFile = GetProgramTitle() + ".ini";
        m_strIniRead = GetProgramFolder() + strFile;
        if (!GetDataFolder().IsEmpty())
            m_strIniWrite = GetDataFolder() + strFile;
    }
    const CString strRead = ProgramIniReadPath(m_strIniRead, m_strIniWrite);
    const auto readInt = [&](const char* szKey, int nDefault)
    { return static_cast<int>(GetPrivateProfileInt(INTRO_SECTION, szKey, nDefault, strRead)); };
    s_nStartLight = std::clamp(readInt("Start light", s_nStartLight), 0, 255);
    m_nIncreaseTime = readInt("Increase time", m_nIncreaseTime);
    m_nDecreaseTime = readInt("Decrease time", m_nDecreaseTime);
    char szBlink[256] = {};
    GetPrivateProfileString(INTRO_SECTION, "Blink lamp", DEFAULT_BLINK_LIST, szBlink, sizeof szBlink, strRead);
    m_BlinkTimer.SetIntervals(ParseBlinkIntervals(szBlink));

    if (m_strIniWrite.IsEmpty())
        return;
    PrepareProgramIniCopy(m_strIniRead, m_strIniWrite);
    const auto writeInt = [&](const char* szKey, int n)
    {
        CString str;
        str.Format("%d", n);
        WritePrivateProfileString(INTRO_SECTION, szKey, str, m_strIniWrite);
    };
    writeInt("Start light", s_nStartLight);
    writeInt("Increase time", m_nIncreaseTime);
    writeInt("Decrease time", m_nDecreaseTime);
}

void CIntroSequence::SaveLampLines()
{
    m_astrSavedLines.RemoveAll();
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (const CSceneLight* p = CLightTable::GetAt(i))
            m_astrSavedLines.Add(FormatLightLine(*p));
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        CLightTable::ClearOnFlag(i);
}

void CIntroSequence::Start(IIntroHost* pHost)
{
    m_pHost = pHost;
    if (pHost == nullptr)
        return;
    LoadSettings();
    m_bArmed = TRUE;
    m_bFinished = FALSE;
    SaveLampLines();
    m_dwState = 0;
    m_dwElapsed = 0;
}

void CIntroSequence::Abandon(const IIntroHost* pHost)
{
    if (pHost == nullptr || pHost != m_pHost)
        return;
    m_pHost = nullptr;
    m_astrSavedLines.RemoveAll();
    m_dwState = 6;
    m_bFinished = TRUE;
    m_bArmed = FALSE;
}

void CIntroSequence::Run()
{
    if (m_bFinished || !m_bArmed)
        return;
    if (m_pHost == nullptr)
    {
        m_bFinished = TRUE;
        return;
    }
    ++s_nFrameCount;
    if (SkipKeyPressed() && s_nFrameCount > SKIP_AFTER_FRAMES)
    {
        Finish();
        return;
    }
    Advance();
    DrawWithIntensities();
}

void CIntroSequence::Advance()
{
    const DWORD dwFrameMs = g_FrameStopwatch.GetElapsed();
    m_dwElapsed += dwFrameMs;
    switch (m_dwState)
    {
    case 0:
        AdvanceDark();
        break;
    case 1:
        AdvanceDown();
        break;
    case 2:
        AdvanceBlink(dwFrameMs);
        break;
    case 5:
        if (m_dwElapsed > static_cast<DWORD>(std::max(m_nIncreaseTime, 0)))
        {
            m_dwState = 6;
            m_dwElapsed = 0;
            Finish();
        }
        break;
    default:
        break;
    }
}

void CIntroSequence::AdvanceDark()
{
    m_pHost->BringIntroWindowToFront();
    ShowCursorCounted(FALSE);
    m_dwElapsed = 0;
    CSceneLight* pAmbient = FindLamp("Ambient");
    if (pAmbient == nullptr)
    {
        Finish();
        return;
    }
    pAmbient->SetColorRGB(Grey(s_nStartLight));
    SwitchOn(pAmbient);
    SwitchOn(FindLamp("Flame"));
    SwitchOn(FindLamp("Flame1"));
    m_dwState = 1;
}

void CIntroSequence::AdvanceDown()
{
    CSceneLight* pDown = FindLamp("Down");
    if (pDown == nullptr)
    {
        Finish();
        return;
    }
    SwitchOn(pDown);
    m_BlinkTimer.Reset();
    m_dwRememberedColour = pDown->GetColorRGB();
    m_dwElapsed = 0;
    m_dwState = 2;
}

void CIntroSequence::AdvanceBlink(DWORD dwFrameMs)
{
    if (m_BlinkTimer.Step(dwFrameMs))
    {
        for (int i = 0; i < CLightTable::GetCount(); ++i)
            CLightTable::SetOnFlag(i);
        m_dwElapsed = 0;
        m_dwState = 5;
        return;
    }
    if (CSceneLight* pDown = FindLamp("Down"))
        pDown->SetColorRGB(m_BlinkTimer.IsOn() ? m_dwRememberedColour : OPAQUE_ALPHA);
}

int CIntroSequence::Ramp(int nFrom, int nTo) const
{
    // Each value runs from the start level toward its own, down as well as up.
    if (m_dwState != 5 || m_dwElapsed >= RAMP_MS)
        return nTo;
    return nFrom + static_cast<int>((nTo - nFrom) * (m_dwElapsed / RAMP_MS));
}

bool CIntroSequence::RampedColour(const CSceneLight& lamp, bool bRamp, DWORD& dwColour) const
{
    for (const CString& strLine : m_astrSavedLines)
    {
        SLightDesc desc;
        if (!ParseLightLine(strLine, desc) || desc.strName != lamp.m_strName)
            continue;
        const auto byte = [&](float f)
        {
            const int n = ComponentByte(f);
            return static_cast<DWORD>(bRamp ? Ramp(s_nStartLight, n) : n);
        };
        dwColour = OPAQUE_ALPHA | byte(desc.r) << 16 | byte(desc.g) << 8 | byte(desc.b);
        return true;
    }
    return false;
}

int CIntroSequence::IntensityFor(int nOwn, int nId) const
{
    switch (m_dwState)
    {
    case 1:
    case 2:
    {
        if (nId == FULLY_LIT_OBJECT && m_dwState == 2 && m_BlinkTimer.IsOn())
            return 255;
        const CSceneLight* pAmbient = FindLamp("Ambient");
        return pAmbient != nullptr ? static_cast<int>((pAmbient->GetColorRGB() >> 16) & 0xFF)
                                   : DARK_LEVEL_WITHOUT_AMBIENT;
    }
    case 5:
        return nId == FULLY_LIT_OBJECT ? 255 : Ramp(s_nStartLight, nOwn);
    default:
        return nOwn;
    }
}

void CIntroSequence::DrawWithIntensities()
{
    if (m_dwState != 1 && m_dwState != 2 && m_dwState != 5 && m_dwState != 6)
        return;
    if (m_dwState == 5)
        for (int i = 0; i < CLightTable::GetCount(); ++i)
        {
            CSceneLight* pLamp = CLightTable::GetAt(i);
            DWORD dwColour = 0;
            if (pLamp != nullptr && !KeepsOwnColour(pLamp->m_strName) && RampedColour(*pLamp, true, dwColour))
                pLamp->SetColorRGB(dwColour);
        }
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        p->m_nAmbient = IntensityFor(p->m_nAmbient, p->m_nId);
    if (m_pHost != nullptr)
        m_pHost->DrawIntroPanels();
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        p->m_nAmbient = p->m_nAmbientCopy;
}

void CIntroSequence::Finish()
{
    for (int i = 0; i < CLightTable::GetCount(); ++i)
    {
        CSceneLight* pLamp = CLightTable::GetAt(i);
        if (pLamp == nullptr)
            continue;
        CLightTable::SetOnFlag(i);
        DWORD dwColour = 0;
        if (RampedColour(*pLamp, false, dwColour))
            pLamp->SetColorRGB(dwColour);
    }
    m_astrSavedLines.RemoveAll();
    m_dwState = 6;
    m_bFinished = TRUE;
    m_bArmed = FALSE;
    if (m_pHost != nullptr)
        m_pHost->BeginPlayAfterIntro();
}
