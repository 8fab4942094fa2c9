#include "render/SceneSetUp.h"

#include "platform/dx/Device.h"
#include "render/Light.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"

#include <algorithm>

namespace
{
/// The scene object id of the balls' template.
constexpr int BALL_TEMPLATE_ID = 0x10;
} // namespace

BOOL BuildSceneObjects(CDirect3DDevice& device, std::vector<std::unique_ptr<CSceneObject>>& objects)
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
    reader.Close();
    recs.insert(recs.end(), table.begin(), table.end());
    for (const CSceneObjectRec& rec : recs)
    {
        if (rec.m_nId == BALL_TEMPLATE_ID)
            continue;
        auto pObject = std::make_unique<CSceneObject>();
        pObject->LoadMesh(rec.m_strFile.GetString());
        pObject->ApplyRecord(rec);
        for (const BYTE nLight : rec.m_aLights)
            pObject->AddLightNumber(nLight);
        pObject->SetEnabled(true);
        objects.push_back(std::move(pObject));
    }
    RestoreAllTextures(&device);
    std::stable_sort(objects.begin(), objects.end(),
                     [](const auto& a, const auto& b) { return a->m_nParam8 < b->m_nParam8; });
    return TRUE;
}

HRESULT DrawSceneObjects(CDirect3DDevice& device, CDirect3DViewport& viewport,
                         const std::vector<std::unique_ptr<CSceneObject>>& objects)
{
    const HRESULT hr = device.BeginScene();
    if (FAILED(hr))
        return hr;
    for (const auto& pObject : objects)
        pObject->Render(device, viewport, false);
    return device.EndScene();
}
