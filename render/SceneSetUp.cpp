#include "render/SceneSetUp.h"

#include "foundation/Matrix.h"
#include "foundation/Tokens.h"
#include "platform/dx/Device.h"
#include "platform/win32/DebugLog.h"
#include "render/Light.h"
#include "render/SceneReader.h"
#include "render/SceneRecords.h"
#include "render/TextureManager.h"

#include <algorithm>

namespace
{
/// The scene object id of the balls' template.
constexpr int BALL_TEMPLATE_ID = 0x10;
/// The kinds made as their own classes: the cue and the object that can be hidden.
constexpr int CUE_KIND = 0x2;
constexpr int SHOWN_KIND = 0x20;

std::unique_ptr<CSceneObject> MakeSceneObject(int nKind)
{
    if (nKind == CUE_KIND)
        return std::make_unique<CSceneObjectC>();
    if (nKind == SHOWN_KIND)
        return std::make_unique<CSceneObjectB>();
    return std::make_unique<CSceneObject>();
}

/// The "Bounds" line's box over the default one; a box with a minimum above its maximum holds no
/// camera, and the default box stays.
void ReadCameraBounds(CSceneReader& reader, std::array<float, 6>& afBounds)
{
    std::array<float, 6> afRead = afBounds;
    if (!reader.ReadBounds(afRead.data()))
        return;
    for (std::size_t i = 0; i < 3; ++i)
        if (afRead[i] > afRead[i + 3])
        {
            OutputDebugString("Scene text: the Bounds line's box is empty, the room's default box is kept\n");
            return;
        }
    afBounds = afRead;
}
} // namespace

BOOL BuildSceneObjects(CDirect3DDevice& device, std::vector<std::unique_ptr<CSceneObject>>& objects, SSceneText* pText)
{
    CSceneReader reader;
    if (!reader.Open())
        return FALSE;
    CStringArray lights;
    reader.ReadLights(lights);
    CLightSource source;
    source.ApplyLines(lights, &device);
    std::vector<CSceneObjectRec> recs, table;
    reader.ReadObjects(recs);
    reader.ReadTable(table);
    reader.ReadMotions();
    SSceneText text;
    text.bHasLights = lights.GetSize() > 0;
    CString strPureLights;
    if (reader.ReadPureLights(strPureLights))
        ParsePureLights(strPureLights, text.nPureLightsFirst, text.anDefaultLights);
    reader.ReadAnimations(text.animations);
    ReadCameraBounds(reader, text.afCameraBounds);
    reader.Close();
    recs.insert(recs.end(), table.begin(), table.end());
    text.ballTemplate = CSceneReader::FindObjectRecById(recs, BALL_TEMPLATE_ID);
    text.nBallOrder = text.ballTemplate.m_bValid ? text.ballTemplate.m_nParam8 : 0;
    for (const CSceneObjectRec& rec : recs)
    {
        if (rec.m_nId == BALL_TEMPLATE_ID)
            continue;
        std::unique_ptr<CSceneObject> pObject = MakeSceneObject(rec.m_nId);
        pObject->LoadMesh(rec.m_strFile.GetString());
        pObject->ApplyRecord(rec);
        // The line's blend column is how the object is drawn: opaque, or blended onto what lies behind.
        pObject->SetBlend(rec.m_nBlend);
        for (const BYTE nLight : rec.m_aLights)
            pObject->AddLightNumber(nLight);
        pObject->SetEnabled(true);
        if (auto* pCue = dynamic_cast<CSceneObjectC*>(pObject.get()); pCue != nullptr)
            pCue->ComputeExtent();
        objects.push_back(std::move(pObject));
    }
    RestoreAllTextures(&device);
    std::stable_sort(objects.begin(), objects.end(),
                     [](const auto& a, const auto& b) { return a->m_nParam8 < b->m_nParam8; });
    if (pText != nullptr)
        *pText = std::move(text);
    return TRUE;
}

void ParsePureLights(const CString& strLine, int& nFirst, std::vector<int>& anList)
{
    anList.clear();
    CString line = strLine;
    try
    {
        nFirst = ExtractIntToken(line);
        while (line.GetLength() > 2)
            anList.push_back(ExtractIntToken(line));
    }
    catch (const CTokenError&)
    {
        OutputDebugString("Scene text: the [Pure Lights] line ends in a number without its separator\n");
    }
}

bool TurnSceneObject(CSceneObject& object, float fSeconds)
{
    // Revolutions per minute to radians per second.
    constexpr float RPM_TO_RAD_PER_S = 0.10471975f;
    const int nMotion = object.m_nMotion;
    if (nMotion < 0 || nMotion >= static_cast<int>(g_aMotions.size()) ||
        g_aMotions[static_cast<std::size_t>(nMotion)].m_nKind != 1)
        return false;
    const float fAngle =
        static_cast<float>(g_aMotions[static_cast<std::size_t>(nMotion)].GetInt()) * RPM_TO_RAD_PER_S * fSeconds;
    CVector3 vDir, vUp, vTurned;
    object.GetOrientation(&object, vDir, vUp); // its own frame's axes
    if (Vec3Length(&vDir) == 0.0f || Vec3Length(&vUp) == 0.0f)
        return false; // no frame to turn yet
    Vec3RotateAxis(&vTurned, &vDir, &vUp, fAngle);
    object.Turn(vTurned, vUp);
    return true;
}

void RenderSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                        const std::vector<std::unique_ptr<CSceneObject>>& objects)
{
    for (const auto& pObject : objects)
        if (pObject->IsEnabled())
            pObject->Render(device, viewport, false);
}

HRESULT DrawSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                         const std::vector<std::unique_ptr<CSceneObject>>& objects)
{
    const HRESULT hr = device.BeginScene();
    if (FAILED(hr))
        return hr;
    RenderSceneObjects(device, viewport, objects);
    return device.EndScene();
}
