// Lamps: Direct3D lights with a name and an on flag, kept in a table of sixteen (a lamp's number
// is its index, the bit it takes in a scene object's light mask), set from text lines and saved in
// the lights' ini file; and the saver of the device's ambient light around the display's drawing.
//
// Light line (also each ini key "Source%02d" and each line of the scene's [Lights]):
//   name, type, R, G, B, position x, y, z, direction x, y, z, range, umbra, penumbra,
//   attenuation constant, linear, quadratic[, extra];
// type 0 drives the device's ambient light instead of a light; R, G, B are 0..1.
#pragma once

#include "platform/dx/Device.h"
#include "platform/mfc/CString.h"

#include <array>
#include <memory>
#include <string>

inline constexpr int LAMP_TABLE_SIZE = 16;
/// The lamps with a built-in light line: their names, and their lines without the name, in the
/// same order (row 21's texts follow row 20's names). Built before the program starts; read-only.
inline constexpr std::size_t DEFAULT_LAMP_COUNT = 14;
extern std::array<CString, DEFAULT_LAMP_COUNT> g_astrLightNames;
extern std::array<CString, DEFAULT_LAMP_COUNT> g_astrLightRows;
/// Type 0: the lamp sets the device's ambient light.
inline constexpr DWORD LIGHT_TYPE_AMBIENT = 0;

class CLight
{
public:
    /// The record zeroed but for its size, attenuation (1, 0, 0), the largest range, falloff 1 and
    /// flags 1; a device light unless bNoDeviceLight.
    explicit CLight(bool bNoDeviceLight = false);
    virtual ~CLight() = default;
    CLight(const CLight&) = delete;
    CLight& operator=(const CLight&) = delete;

    /// Drops the device light (not for type 0).
    virtual void Release();
    virtual void Recreate();
    /// Commits and adds the device light to the viewport; 0 and nothing for type 0.
    virtual HRESULT AddToViewport(CDirect3DViewport& viewport);
    virtual HRESULT RemoveFromViewport(CDirect3DViewport& viewport);
    /// Hands a changed record to the device light (not for type 0).
    virtual HRESULT Commit();

    // Every setter stores, marks the record changed and commits at once.
    void SetType(DWORD dwType);
    DWORD GetType() const { return static_cast<DWORD>(m_light.dltType); }
    void SetColor(const D3DCOLORVALUE& c);
    const D3DCOLORVALUE& GetColor() const { return m_light.dcvColor; }
    void SetPosition(const D3DVECTOR& v);
    const D3DVECTOR& GetPosition() const { return m_light.dvPosition; }
    void SetDirection(const D3DVECTOR& v);
    const D3DVECTOR& GetDirection() const { return m_light.dvDirection; }
    /// The constant, linear and quadratic factors as x, y, z.
    void SetAttenuation(const D3DVECTOR& v);
    D3DVECTOR GetAttenuation() const;
    void SetRange(float f);
    float GetRange() const { return m_light.dvRange; }
    void SetFalloff(float f);
    float GetFalloff() const { return m_light.dvFalloff; }
    void SetUmbra(float f);
    float GetUmbra() const { return m_light.dvTheta; }
    void SetPenumbra(float f);
    float GetPenumbra() const { return m_light.dvPhi; }
    void SetFlags(DWORD dw);
    DWORD GetFlags() const { return m_light.dwFlags; }

    const D3DLIGHT2& GetRecord() const { return m_light; }
    const LightPtr& GetDeviceLight() const { return m_pLight; }

protected:
    void Changed();

    D3DLIGHT2 m_light;
    LightPtr m_pLight;
    bool m_bChanged = true;
};

class CSceneLight : public CLight
{
public:
    /// pDevice receives type 0's ambient light (may be null in tests of other types).
    CSceneLight(CDirect3DDevice* pDevice, int nIndex);

    /// The device whose ambient light a type-0 lamp drives: a new one after each device change.
    void SetDevice(CDirect3DDevice* pDevice) { m_pDevice = pDevice; }

    /// Commits only while the lamp is on.
    HRESULT Commit() override;

    /// Type 0: the device's ambient light state; else the colour R/255, G/255, B/255 of 0x00RRGGBB.
    void SetColorRGB(DWORD dwColor);
    /// Type 0: the device's ambient light state; else 0xFF000000 | the colour's bytes, rounded.
    DWORD GetColorRGB() const;
    float GetAttenuation0() const { return m_light.dvAttenuation0; }
    float GetAttenuation1() const { return m_light.dvAttenuation1; }
    float GetAttenuation2() const { return m_light.dvAttenuation2; }
    void SetAttenuation0(float f) { SetAttenuationFactor(&D3DLIGHT2::dvAttenuation0, f); }
    void SetAttenuation1(float f) { SetAttenuationFactor(&D3DLIGHT2::dvAttenuation1, f); }
    void SetAttenuation2(float f) { SetAttenuationFactor(&D3DLIGHT2::dvAttenuation2, f); }

    /// Keeps the record (and its device light) so that RestorePrevious can bring it back.
    void CopyToPrevious();
    void RestorePrevious();
    void SetAttenuationModified(bool b) { m_bAttenuationModified = b; }
    bool IsAttenuationModified() const { return m_bAttenuationModified; }

    std::string m_strName;
    bool m_bOn = false;
    int m_nExtra = -1; ///< the optional eighteenth field of its line
    int m_nIndex = -1; ///< its place in the lamp table

private:
    void SetAttenuationFactor(float D3DLIGHT2::*pFactor, float f);

    CDirect3DDevice* m_pDevice;
    bool m_bAttenuationModified = true;
    D3DLIGHT2 m_prevLight;
    LightPtr m_pPrevLight;
};

/// The sixteen lamps; entry i is lamp number i. Owns its lamps. Main thread.
class CLightTable
{
public:
    static int GetCount() { return LAMP_TABLE_SIZE; }
    /// Lamp i, null for an empty entry or an index out of range.
    static CSceneLight* GetAt(int i);
    /// A new lamp in the first empty entry; null when all sixteen are taken.
    static CSceneLight* Create(CDirect3DDevice* pDevice);
    /// Deletes every lamp (the scene's release).
    static void DeleteAll();
    static void SetOnFlag(int i);
    static void ClearOnFlag(int i);
    static bool GetOnFlag(int i);
};

/// Lamps whose bit is set are in the current viewport (kept by the scene objects' drawing).
extern DWORD g_dwLightsOnMask;
/// Lamps whose record changed since the last frame; scene objects lit by them rebuild their materials.
extern DWORD g_dwLightsChangedMask;

/// A light line's fields.
struct SLightDesc
{
    std::string strName;
    int nType = 2;
    float r = 0, g = 0, b = 0;
    D3DVECTOR vPosition, vDirection;
    float fRange = 0, fUmbra = 0, fPenumbra = 0;
    float afAttenuation[3] = {};
    int nExtra = -1;
};

/// Reads the seventeen fields (and the optional eighteenth); false for an empty or malformed line.
bool ParseLightLine(const CString& strLine, SLightDesc& desc);
/// The line of a lamp, the eighteenth field written when it is not -1.
CString FormatLightLine(const CSceneLight& lamp);

/// The ini in the program folder (which may not be writable) and its copy in the data folder:
/// reads come from the copy once it exists, else from the program folder's file.
CString ProgramIniReadPath(const CString& strProgramIni, const CString& strDataCopy);
/// Makes the data folder's copy from the program folder's file when it does not exist yet, so that
/// what is written into the copy keeps the file's other sections.
void PrepareProgramIniCopy(const CString& strProgramIni, const CString& strDataCopy);

class CLightSource
{
public:
    /// The ini read first is the data folder's copy when it exists, else the program folder's;
    /// writes go to the data folder's copy.
    CLightSource();
    virtual ~CLightSource() = default;

    virtual CSceneLight* FindOrCreate(const char* szName, DWORD dwType, float r, float g, float b,
                                      CDirect3DDevice* pDevice);
    /// Parses the line and sets a lamp from it; null for an empty or malformed line or a full table.
    virtual CSceneLight* ApplyLine(const CString& strLine, CDirect3DDevice* pDevice);
    virtual CSceneLight* CopyLight(const CSceneLight& lamp, CDirect3DDevice* pDevice);
    /// The name, ", " and the built-in row for the fourteen built-in lamps; the name alone otherwise.
    virtual CString GetDefaultLine(const char* szName) const;
    virtual CSceneLight* FindByName(const char* szName) const;
    virtual void SwitchOffByName(const char* szName);
    /// Switches every lamp off, then applies the lines up to the first empty one; 1.
    virtual int ApplyLines(const CStringArray& astrLines, CDirect3DDevice* pDevice);
    /// Lamps read from the section "Lights" ("Realistic lights"); 0, and nothing changed, below 1.
    virtual int LoadIni(bool bRealistic, CDirect3DDevice* pDevice);
    /// Writes the lamps that are on, numbered from 0, and deletes the stale keys; 1, 0 when the
    /// file cannot be written.
    virtual int SaveIni(bool bRealistic);
    virtual void OnLightLoaded(CSceneLight* pLamp, CDirect3DDevice* pDevice);
    virtual void SwitchAllOff();

    /// Replaces the two ini files (tests).
    void SetIniFiles(const CString& strRead, const CString& strWrite);

private:
    CSceneLight* ParseAndApply(const CString& strLine, CDirect3DDevice* pDevice);
    CString ReadPath() const;

    CString m_strIniRead;
    CString m_strIniWrite;
};

/// The light sources the light editor chooses among (the lamps of the table) and the one it has
/// selected, whose name the light-source label shows. Main thread.
class CLightSourceList
{
public:
    /// The selected lamp; null when none is selected (-1) or its entry is empty.
    CSceneLight* GetCurrent() const { return CLightTable::GetAt(m_nCurrent); }
    void SetCurrent(int nLamp) { m_nCurrent = nLamp; }

private:
    int m_nCurrent = 0;
};
/// The program's light-source list.
extern CLightSourceList g_LightSources;

/// Raises the device's ambient light to a grey for the display's drawing, and puts it back.
class CAmbientLightSave
{
public:
    void Override(CDirect3DDevice* pDevice, int nGrey, bool bDisabled);
    void Restore();

private:
    CDirect3DDevice* m_pDevice = nullptr;
    DWORD m_dwSaved = 0;
    bool m_bDisabled = true;
};
