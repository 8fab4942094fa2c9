#include "render/Light.h"

#include "foundation/Folders.h"
#include "foundation/GlobalOrder.h"
#include "foundation/Tokens.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/Paths.h"
#include "platform/win32/Profile.h"

#include <cfloat>
#include <cmath>
#include <iterator>
#include <strings.h>

DWORD g_dwLightsOnMask = 0;
DWORD g_dwLightsChangedMask = 0;

VORN_GLOBAL_ROW(GLOBAL_ROW_LIGHT_NAMES)
std::array<CString, DEFAULT_LAMP_COUNT> g_astrLightNames = {"Ambient", "Down",         "JukeBox",  "Flame", "Flame1",
                                                            "TV",      "Fan 0",        "Fan 1",    "Fan 2", "Fan 3",
                                                            "8 ball",  "Coinman Vorn", "AMD logo", "Trees"};
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_LIGHT_NAMES);
VORN_GLOBAL_ROW(GLOBAL_ROW_LIGHT_ROWS)
std::array<CString, DEFAULT_LAMP_COUNT> g_astrLightRows = {
    "0, 0.349020,0.349020,0.349020, 0.000000,0.000000,0.000000, 0.000000,0.000000,1.000000, 256.000000, "
    "0.366519,0.471239, 1.000000,0.000000,0.000000;",
    "2, 0.784314,0.784314,0.784314, 12.128700,155.029999,0.909451, 0.000000,-1.000000,0.000000, 200.000000, "
    "0.331613,0.820305, 1.000000,0.000100,0.000010;",
    "2, 0.501961,0.466667,0.231373, 35.000000,31.000000,50.000000, 0.783289,0.000000,0.621658, "
    "500.000000, 0.349066,1.047198, 0.000000,0.000000,0.000000;",
    "2, 1.000000,0.274510,0.086275, -6.000000,100.000000,60.000000, 0.000000,-0.700000,0.700000, 0.000000, "
    "1.047198,2.094395, 0.000000,0.000000,0.000000;",
    "2,1.000000,0.000000,0.080000, 10.000000,150.000000,300.000000, 0.000000,-0.800000,-0.300000, "
    "0.000000, 0.174533,1.047198, 0.000000,0.000000,0.000000;",
    "3, 0.584314,0.584314,0.584314, 0.000000,0.000000,0.000000, 0.000000,0.000000,-1.000000, 256.000000, "
    "0.331613,0.453786, 1.000000,0.000000,0.000000;",
    "2, 0.474510,0.474510,0.474510, -70.000000,100.000000,100.000000, 0.000000,-1.000000,0.000000, "
    "190.000000, 0.610865,1.134464, 1.000000,0.000100,0.000000;",
    "2, 0.474510,0.474510,0.474510, 90.000000,100.000000,100.000000, 0.000000,-1.000000,0.000000, "
    "255.000000, 0.610865,0.925025, 1.000000,0.000100,0.000000;",
    "2, 1.000000,1.000000,1.000000, -60.000000,100.000000,-100.000000, 0.000000,-1.000000,0.000000, "
    "190.000000, 0.453786,0.767945, 1.000000,0.000100,0.000000;",
    "2, 0.784314,0.784314,0.784314, 0.000000,200.000000,0.000000, -0.707107,-0.707107,0.000000, "
    "190.000000, 0.663225,1.047198, 1.000000,0.000100,0.000000;",
    "2, 0.584314,0.584314,0.584314, -80.000000,65.000000,-50.000000, -0.099504,0.000000,0.995037, "
    "50.000000, 0.331613,0.523599, 0.000000,0.000000,0.000000;",
    "2, 1.000000,0.466667,0.192157, 50.000000,100.000000,-50.000000, 0.211669,-0.107544,0.971406, "
    "0.000000, 0.226893,0.610865, 0.000000,0.000000,0.000000;",
    "2, 1.000000,1.000000,1.000000, -70.000000,70.000000,-55.000000, 0.000000,0.000000,-1.000000, "
    "256.000000, 0.331613,0.872665, 1.000000,0.000000,0.000000;",
    "2, 1.000000,1.000000,1.000000, 10.000000,150.000000,-40.000000, 0.577350,-0.577350,-0.577350, "
    "256.000000, 0.698132,1.221730, 1.000000,0.000000,0.000000;"};
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_LIGHT_ROWS);

namespace
{
// The lamp table, the light sources a scene's lamps are made into. Main thread.
VORN_GLOBAL_ROW(GLOBAL_ROW_LAMP_TABLE) std::array<std::unique_ptr<CSceneLight>, LAMP_TABLE_SIZE> s_lamps;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_LAMP_TABLE);

constexpr std::size_t LIGHT_INI_VALUE_MAX = 500;
constexpr const char* LIGHT_INI_HEADER = "name,type,R,G,B,pos(x,y,z),dir(x,y,z),range,umbra,penumbra,att(c,l,q)";

DWORD ByteOf(float f) { return static_cast<DWORD>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f)); }

DWORD PackRgb(float r, float g, float b) { return 0xFF000000u | ByteOf(r) << 16 | ByteOf(g) << 8 | ByteOf(b); }

D3DVECTOR ReadVector(CString& line)
{
    D3DVECTOR v;
    v.x = ExtractFloatToken(line);
    v.y = ExtractFloatToken(line);
    v.z = ExtractFloatToken(line);
    return v;
}

CString KeyName(int i)
{
    CString s;
    s.Format("Source%02d", i);
    return s;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CLight

CLight::CLight(bool bNoDeviceLight)
{
    m_light.dwSize = sizeof(D3DLIGHT2);
    m_light.dltType = static_cast<D3DLIGHTTYPE>(0);
    m_light.dvAttenuation0 = 1;
    m_light.dvAttenuation1 = m_light.dvAttenuation2 = 0;
    m_light.dvRange = std::sqrt(FLT_MAX);
    m_light.dvFalloff = 1;
    m_light.dwFlags = D3DLIGHT_ACTIVE;
    if (!bNoDeviceLight)
        m_pLight = std::make_shared<CDirect3DLight>();
}

void CLight::Release()
{
    if (GetType() != LIGHT_TYPE_AMBIENT)
        m_pLight.reset();
}

void CLight::Recreate()
{
    Release();
    if (GetType() != LIGHT_TYPE_AMBIENT)
    {
        m_pLight = std::make_shared<CDirect3DLight>();
        m_bChanged = true;
    }
}

HRESULT CLight::AddToViewport(CDirect3DViewport& viewport)
{
    if (GetType() == LIGHT_TYPE_AMBIENT || !m_pLight)
        return D3D_OK;
    Commit();
    return viewport.AddLight(m_pLight);
}

HRESULT CLight::RemoveFromViewport(CDirect3DViewport& viewport)
{
    if (GetType() == LIGHT_TYPE_AMBIENT || !m_pLight)
        return D3D_OK;
    return viewport.DeleteLight(m_pLight.get());
}

HRESULT CLight::Commit()
{
    if (GetType() == LIGHT_TYPE_AMBIENT || !m_bChanged || !m_pLight)
        return D3D_OK;
    m_bChanged = false;
    return m_pLight->SetLight(&m_light);
}

void CLight::Changed()
{
    m_bChanged = true;
    Commit();
}

void CLight::SetType(DWORD dwType)
{
    m_light.dltType = static_cast<D3DLIGHTTYPE>(dwType);
    Changed();
}
void CLight::SetColor(const D3DCOLORVALUE& c)
{
    m_light.dcvColor = c;
    Changed();
}
void CLight::SetPosition(const D3DVECTOR& v)
{
    m_light.dvPosition = v;
    Changed();
}
void CLight::SetDirection(const D3DVECTOR& v)
{
    m_light.dvDirection = v;
    Changed();
}
void CLight::SetAttenuation(const D3DVECTOR& v)
{
    m_light.dvAttenuation0 = v.x;
    m_light.dvAttenuation1 = v.y;
    m_light.dvAttenuation2 = v.z;
    Changed();
}
D3DVECTOR CLight::GetAttenuation() const
{
    return D3DVECTOR{m_light.dvAttenuation0, m_light.dvAttenuation1, m_light.dvAttenuation2};
}
void CLight::SetRange(float f)
{
    m_light.dvRange = f;
    Changed();
}
void CLight::SetFalloff(float f)
{
    m_light.dvFalloff = f;
    Changed();
}
void CLight::SetUmbra(float f)
{
    m_light.dvTheta = f;
    Changed();
}
void CLight::SetPenumbra(float f)
{
    m_light.dvPhi = f;
    Changed();
}
void CLight::SetFlags(DWORD dw)
{
    m_light.dwFlags = dw;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// CSceneLight

CSceneLight::CSceneLight(CDirect3DDevice* pDevice, int nIndex)
    : m_nIndex(nIndex), m_pDevice(pDevice), m_prevLight(m_light), m_pPrevLight(m_pLight)
{
}

HRESULT CSceneLight::Commit()
{
    if (!m_bOn)
        return D3D_OK;
    const HRESULT hr = CLight::Commit();
    if (m_nIndex >= 0)
        g_dwLightsChangedMask |= 1u << (m_nIndex % 32);
    return hr;
}

void CSceneLight::SetColorRGB(DWORD dwColor)
{
    const D3DCOLORVALUE c{static_cast<float>((dwColor >> 16) & 0xFF) / 255.0f,
                          static_cast<float>((dwColor >> 8) & 0xFF) / 255.0f,
                          static_cast<float>(dwColor & 0xFF) / 255.0f, 0.0f};
    if (GetType() == LIGHT_TYPE_AMBIENT)
    {
        if (m_pDevice != nullptr)
            m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, dwColor);
        m_light.dcvColor = c;
        return;
    }
    SetColor(c);
}

DWORD CSceneLight::GetColorRGB() const
{
    if (GetType() == LIGHT_TYPE_AMBIENT && m_pDevice != nullptr)
    {
        DWORD dw = 0;
        m_pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &dw);
        return dw;
    }
    return PackRgb(m_light.dcvColor.r, m_light.dcvColor.g, m_light.dcvColor.b);
}

void CSceneLight::SetAttenuationFactor(float D3DLIGHT2::*pFactor, float f)
{
    m_light.*pFactor = f;
    m_bAttenuationModified = true;
    Changed();
}

void CSceneLight::CopyToPrevious()
{
    m_prevLight = m_light;
    m_pPrevLight = m_pLight;
}

void CSceneLight::RestorePrevious()
{
    m_light = m_prevLight;
    m_pLight = m_pPrevLight;
    m_bChanged = true;
    Commit();
    SetAttenuationModified(false);
}

// ---------------------------------------------------------------------------------------------
// CLightTable

CSceneLight* CLightTable::GetAt(int i)
{
    return i >= 0 && i < LAMP_TABLE_SIZE ? s_lamps[std::size_t(i)].get() : nullptr;
}

CSceneLight* CLightTable::Create(CDirect3DDevice* pDevice)
{
    for (std::size_t i = 0; i < s_lamps.size(); ++i)
        if (!s_lamps[i])
        {
            s_lamps[i] = std::make_unique<CSceneLight>(pDevice, static_cast<int>(i));
            return s_lamps[i].get();
        }
    return nullptr;
}

void CLightTable::DeleteAll()
{
    for (auto& p : s_lamps)
        p.reset();
    g_dwLightsOnMask = g_dwLightsChangedMask = 0;
}

void CLightTable::SetOnFlag(int i)
{
    if (CSceneLight* p = GetAt(i))
        p->m_bOn = true;
}

void CLightTable::ClearOnFlag(int i)
{
    if (CSceneLight* p = GetAt(i))
        p->m_bOn = false;
}

bool CLightTable::GetOnFlag(int i)
{
    const CSceneLight* p = GetAt(i);
    return p != nullptr && p->m_bOn;
}

// ---------------------------------------------------------------------------------------------
// Light lines

bool ParseLightLine(const CString& strLine, SLightDesc& desc)
{
    desc = SLightDesc();
    CString line = strLine;
    line.Trim();
    // A NUL byte would cut the name when the line is written again.
    if (line.IsEmpty() || line.Str().find('\0') != std::string::npos)
        return false;
    try
    {
        desc.strName = ExtractStringToken(line).Str();
        desc.nType = ExtractIntToken(line);
        desc.r = ExtractFloatToken(line);
        desc.g = ExtractFloatToken(line);
        desc.b = ExtractFloatToken(line);
        desc.vPosition = ReadVector(line);
        desc.vDirection = ReadVector(line);
        desc.fRange = ExtractFloatToken(line);
        desc.fUmbra = ExtractFloatToken(line);
        desc.fPenumbra = ExtractFloatToken(line);
        for (float& f : desc.afAttenuation)
            f = ExtractFloatToken(line);
        desc.nExtra = ExtractIntToken2(line, INT_TOKEN_SEPARATORS, -1);
    }
    catch (const CTokenError& e)
    {
        OutputDebugString(("Light line skipped: " + std::string(e.what()) + "\n").c_str());
        return false;
    }
    if (desc.strName.empty())
    {
        OutputDebugString(("Light line without a name skipped: " + strLine.Str() + "\n").c_str());
        return false;
    }
    return true;
}

CString FormatLightLine(const CSceneLight& lamp)
{
    const DWORD dw = lamp.GetColorRGB();
    const D3DVECTOR& p = lamp.GetPosition();
    const D3DVECTOR& d = lamp.GetDirection();
    CString s;
    s.Format("%s, %d, %f,%f,%f, %f,%f,%f, %f,%f,%f, %f, %f,%f, %f,%f,%f", lamp.m_strName.c_str(),
             static_cast<int>(lamp.GetType()), ((dw >> 16) & 0xFF) / 255.0, ((dw >> 8) & 0xFF) / 255.0,
             (dw & 0xFF) / 255.0, p.x, p.y, p.z, d.x, d.y, d.z, lamp.GetRange(), lamp.GetUmbra(), lamp.GetPenumbra(),
             lamp.GetAttenuation0(), lamp.GetAttenuation1(), lamp.GetAttenuation2());
    if (lamp.m_nExtra != -1)
        s.AppendFormat(", %d", lamp.m_nExtra);
    s += ";";
    return s;
}

// ---------------------------------------------------------------------------------------------
// CLightSource

CLightSource::CLightSource()
{
    const CString strFile = GetProgramTitle() + ".ini";
    m_strIniRead = GetProgramFolder() + strFile;
    m_strIniWrite = GetDataFolder() + strFile;
}

void CLightSource::SetIniFiles(const CString& strRead, const CString& strWrite)
{
    m_strIniRead = strRead;
    m_strIniWrite = strWrite;
}

CString ProgramIniReadPath(const CString& strProgramIni, const CString& strDataCopy)
{
    return GetFileAttributes(strDataCopy) != INVALID_FILE_ATTRIBUTES ? strDataCopy : strProgramIni;
}

void PrepareProgramIniCopy(const CString& strProgramIni, const CString& strDataCopy)
{
    if (GetFileAttributes(strDataCopy) != INVALID_FILE_ATTRIBUTES)
        return;
    std::string bytes;
    if (ReadWholeFile(ResolvePath(strProgramIni.Str()), bytes))
        ReplaceFileContents(ResolvePath(strDataCopy.Str()), bytes);
}

CString CLightSource::ReadPath() const { return ProgramIniReadPath(m_strIniRead, m_strIniWrite); }

CSceneLight* CLightSource::FindByName(const char* szName) const
{
    for (int i = 0; i < LAMP_TABLE_SIZE; ++i)
    {
        CSceneLight* p = CLightTable::GetAt(i);
        if (p != nullptr && p->GetDeviceLight() && p->m_strName == szName)
            return p;
    }
    return nullptr;
}

CSceneLight* CLightSource::FindOrCreate(const char* szName, DWORD dwType, float r, float g, float b,
                                        CDirect3DDevice* pDevice)
{
    CSceneLight* pLamp = FindByName(szName);
    if (pLamp == nullptr)
    {
        pLamp = CLightTable::Create(pDevice);
        if (pLamp == nullptr)
        {
            OutputDebugString(("Lamp " + std::string(szName) + " not made: all sixteen lamps are taken\n").c_str());
            return nullptr;
        }
        pLamp->m_strName = szName;
    }
    pLamp->m_bOn = true;
    pLamp->SetType(dwType);
    pLamp->SetColorRGB(PackRgb(r, g, b));
    return pLamp;
}

CSceneLight* CLightSource::ParseAndApply(const CString& strLine, CDirect3DDevice* pDevice)
{
    SLightDesc d;
    if (!ParseLightLine(strLine, d))
        return nullptr;
    CSceneLight* pLamp = FindOrCreate(d.strName.c_str(), static_cast<DWORD>(d.nType), d.r, d.g, d.b, pDevice);
    if (pLamp == nullptr)
        return nullptr;
    pLamp->SetRange(d.fRange);
    pLamp->SetPenumbra(d.fPenumbra);
    pLamp->SetUmbra(d.fUmbra);
    pLamp->SetAttenuation0(d.afAttenuation[0]);
    pLamp->SetAttenuation1(d.afAttenuation[1]);
    pLamp->SetAttenuation2(d.afAttenuation[2]);
    pLamp->SetPosition(d.vPosition);
    pLamp->SetDirection(d.vDirection);
    pLamp->m_nExtra = d.nExtra;
    return pLamp;
}

CSceneLight* CLightSource::ApplyLine(const CString& strLine, CDirect3DDevice* pDevice)
{
    CSceneLight* pLamp = ParseAndApply(strLine, pDevice);
    if (pLamp != nullptr)
        OnLightLoaded(pLamp, pDevice);
    return pLamp;
}

CSceneLight* CLightSource::CopyLight(const CSceneLight& lamp, CDirect3DDevice* pDevice)
{
    const DWORD dw = lamp.GetColorRGB();
    // Read everything first: the copy may be the lamp itself.
    const D3DLIGHT2 rec = lamp.GetRecord();
    CSceneLight* pNew = FindOrCreate(lamp.m_strName.c_str(), lamp.GetType(), ((dw >> 16) & 0xFF) / 255.0f,
                                     ((dw >> 8) & 0xFF) / 255.0f, (dw & 0xFF) / 255.0f, pDevice);
    if (pNew == nullptr)
        return nullptr;
    pNew->SetRange(rec.dvRange);
    pNew->SetPenumbra(rec.dvPhi);
    pNew->SetUmbra(rec.dvTheta);
    pNew->SetAttenuation0(rec.dvAttenuation0);
    pNew->SetAttenuation1(rec.dvAttenuation1);
    pNew->SetAttenuation2(rec.dvAttenuation2);
    pNew->SetPosition(rec.dvPosition);
    pNew->SetDirection(rec.dvDirection);
    OnLightLoaded(pNew, pDevice);
    return pNew;
}

CLightSourceList g_LightSources;

CString CLightSource::GetDefaultLine(const char* szName) const
{
    for (std::size_t i = 0; i < g_astrLightNames.size(); ++i)
        if (g_astrLightNames[i] == szName)
            return CString(szName) + ", " + g_astrLightRows[i];
    return CString(szName);
}

void CLightSource::SwitchOffByName(const char* szName)
{
    if (CSceneLight* p = FindByName(szName))
        p->m_bOn = false;
}

void CLightSource::SwitchAllOff()
{
    for (int i = 0; i < LAMP_TABLE_SIZE; ++i)
        CLightTable::ClearOnFlag(i);
}

int CLightSource::ApplyLines(const CStringArray& astrLines, CDirect3DDevice* pDevice)
{
    SwitchAllOff();
    for (const CString& str : astrLines)
    {
        if (str.IsEmpty())
            break;
        ParseAndApply(str, pDevice);
    }
    return 1;
}

void CLightSource::OnLightLoaded(CSceneLight*, CDirect3DDevice*) {}

int CLightSource::LoadIni(bool bRealistic, CDirect3DDevice* pDevice)
{
    const char* szSection = bRealistic ? "Realistic lights" : "Lights";
    const CString strPath = ReadPath();
    const int nCount = static_cast<int>(GetPrivateProfileInt(szSection, "Sources number", 0, strPath));
    if (nCount < 1)
        return 0;
    SwitchAllOff();
    for (int i = 0; i < nCount; ++i)
    {
        char szValue[LIGHT_INI_VALUE_MAX + 1] = {};
        GetPrivateProfileString(szSection, KeyName(i), "", szValue, sizeof szValue, strPath);
        if (szValue[0] != '\0')
            ApplyLine(szValue, pDevice);
    }
    return nCount;
}

int CLightSource::SaveIni(bool bRealistic)
{
    const char* szSection = bRealistic ? "Realistic lights" : "Lights";
    // Changes go to the data folder's copy of the ini, made from the program folder's the first time.
    PrepareProgramIniCopy(m_strIniRead, m_strIniWrite);
    CProfileEdit edit(m_strIniWrite);
    const int nOld = std::atoi(edit.GetString(szSection, "Sources number").value_or("0").c_str());
    for (int i = 0; i < nOld; ++i)
        edit.WriteString(szSection, KeyName(i), nullptr);
    edit.WriteString(szSection, ";", LIGHT_INI_HEADER);
    int nWritten = 0;
    for (int i = 0; i < LAMP_TABLE_SIZE; ++i)
    {
        const CSceneLight* p = CLightTable::GetAt(i);
        if (p != nullptr && p->m_bOn)
            edit.WriteString(szSection, KeyName(nWritten++), FormatLightLine(*p));
    }
    CString strCount;
    strCount.Format("%d", nWritten);
    edit.WriteString(szSection, "Sources number", strCount);
    return edit.Commit() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// CAmbientLightSave

void CAmbientLightSave::Override(CDirect3DDevice* pDevice, int nGrey, bool bDisabled)
{
    m_pDevice = pDevice;
    m_bDisabled = bDisabled || pDevice == nullptr;
    if (m_bDisabled)
        return;
    pDevice->GetLightState(D3DLIGHTSTATE_AMBIENT, &m_dwSaved);
    const DWORD g = static_cast<DWORD>(nGrey) & 0xFF;
    pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, 0xFF000000u | g << 16 | g << 8 | g);
}

void CAmbientLightSave::Restore()
{
    if (!m_bDisabled && m_pDevice != nullptr)
        m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, m_dwSaved);
}
