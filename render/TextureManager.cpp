#include "render/TextureManager.h"

#include "foundation/GlobalOrder.h"
#include "foundation/JpegFile.h"
#include "foundation/LibraryLists.h"
#include "foundation/LoadImage.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/TgaFile.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <list>
#include <memory>
#include <strings.h>

bool g_bTexturesDirty = false;
COLORREF g_crClothColor = 0;

namespace
{
// The global list, newest first. Main thread.
VORN_GLOBAL_ROW(GLOBAL_ROW_TEXTURE_LIST) std::list<std::unique_ptr<TextureContainer>> s_textures;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_TEXTURE_LIST);
STextureCaps s_caps = GetStandInTextureCaps();

/// Format flags that are never taken (luminance, bump map and the like).
constexpr DWORD TEXFMT_NEVER_TAKEN = 0xE0000;
constexpr DWORD TEXF_ANY_KEY = TEXF_WHITE_TRANSPARENT | TEXF_BLACK_TRANSPARENT | TEXF_TRANSPARENT;
constexpr DWORD TEXF_ALPHA_FROM_RED = TEXF_ALPHA_FROM_RED_WHITE | TEXF_ALPHA_FROM_RED_BLACK;

DDPIXELFORMAT MakeFormat(DWORD dwBits, DWORD a, DWORD r, DWORD g, DWORD b)
{
    DDPIXELFORMAT f;
    f.dwSize = DDPIXELFORMAT_SIZE;
    f.dwFlags = DDPF_RGB | (a != 0 ? DDPF_ALPHAPIXELS : 0);
    f.dwRGBBitCount = dwBits;
    f.dwRGBAlphaBitMask = a;
    f.dwRBitMask = r;
    f.dwGBitMask = g;
    f.dwBBitMask = b;
    return f;
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

auto FindInList(const char* szName)
{
    return std::find_if(s_textures.begin(), s_textures.end(),
                        [szName](const auto& p) { return SameName(p->strName, szName); });
}

bool EndsWithNoCase(const std::string& s, const char* szEnd)
{
    const std::size_t n = std::strlen(szEnd);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, szEnd) == 0;
}

/// The name without folder and extension ("art\\felt.bmp" gives "felt").
std::string FilePart(const std::string& strName)
{
    const std::size_t nSlash = strName.find_last_of("\\/");
    std::string s = nSlash == std::string::npos ? strName : strName.substr(nSlash + 1);
    const std::size_t nDot = s.rfind('.');
    return nDot == std::string::npos ? s : s.substr(0, nDot);
}

// --- pictures ---------------------------------------------------------------------------------

HRESULT LoadTga(TextureContainer& tex)
{
    std::vector<BYTE> file;
    STgaImage image;
    std::string strError = "cannot read the file";
    if (!ReadWholeFile(ResolvePath(tex.strName), file) || !ReadTga(file, image, strError))
    {
        OutputDebugString(("Texture " + tex.strName + ": " + strError + "\n").c_str());
        return E_FAIL;
    }
    tex.pRGBAData = std::move(image.aPixels);
    tex.dwWidth = image.dwWidth;
    tex.dwHeight = image.dwHeight;
    tex.bHasAlpha = tex.bHasAlpha || image.bHasAlpha;
    return S_OK;
}

/// A JPEG picture as a bitmap, the felt pictures averaged with the cloth colour.
HBITMAP JpegToBitmap(std::vector<BYTE> rgb, UINT nWidth, UINT nHeight, bool bTint)
{
    if (rgb.empty())
        return nullptr;
    if (bTint)
    {
        const BYTE aCloth[3] = {static_cast<BYTE>(g_crClothColor & 0xFF),
                                static_cast<BYTE>((g_crClothColor >> 8) & 0xFF),
                                static_cast<BYTE>((g_crClothColor >> 16) & 0xFF)};
        for (std::size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<BYTE>((rgb[i] + aCloth[i % 3]) / 2);
    }
    return CreateBitmapFromRgb(rgb.data(), nWidth, nHeight);
}

bool LoadJpegResource(TextureContainer& tex, HMODULE hModule)
{
    const std::string strPart = FilePart(tex.strName);
    const HRSRC hRes = FindResource(hModule, strPart.c_str(), "JPG");
    const auto* p = hRes != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(hModule, hRes))) : nullptr;
    if (p == nullptr)
        return false;
    UINT nWidth = 0, nHeight = 0;
    std::vector<BYTE> rgb = JpegFile::ReadMemory(p, SizeofResource(hModule, hRes), nWidth, nHeight);
    const bool bFelt = strcasecmp(strPart.c_str(), "felt") == 0 || strcasecmp(strPart.c_str(), "felt_d") == 0;
    tex.hbmBitmap = JpegToBitmap(std::move(rgb), nWidth, nHeight, bFelt);
    tex.dwBPP = 16;
    return tex.hbmBitmap != nullptr;
}

HRESULT LoadFromFile(TextureContainer& tex)
{
    if (EndsWithNoCase(tex.strName, ".bmp"))
        tex.hbmBitmap =
            LoadImage(nullptr, tex.strName.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    else if (EndsWithNoCase(tex.strName, ".jpg"))
    {
        UINT nWidth = 0, nHeight = 0;
        std::vector<BYTE> rgb = JpegFile::Read(tex.strName.c_str(), nWidth, nHeight);
        tex.hbmBitmap = JpegToBitmap(std::move(rgb), nWidth, nHeight, false);
        tex.dwBPP = 16;
    }
    else
        return E_NOTIMPL;
    return tex.hbmBitmap != nullptr ? S_OK : TEXERR_NOTFOUND;
}

/// The picture of a container: the caller's module first, then every artwork library, then a file.
HRESULT LoadTextureImage(TextureContainer& tex, const char* szModule)
{
    if (g_astrArtworkLibraries.IsEmpty())
        return TEXERR_NOTFOUND;
    std::vector<CString> aCandidates;
    if (szModule != nullptr)
        aCandidates.emplace_back(szModule);
    for (const CString& str : g_astrArtworkLibraries)
        aCandidates.push_back(str);
    for (const CString& strLib : aCandidates)
    {
        const HMODULE hModule = LoadLibrary(strLib);
        if (hModule == nullptr)
            continue;
        // A TGA is always a file, whatever library is tried; its reading ends the search.
        if (EndsWithNoCase(tex.strName, ".tga"))
        {
            FreeLibrary(hModule);
            return LoadTga(tex);
        }
        bool bFound = LoadJpegResource(tex, hModule);
        if (!bFound)
        {
            tex.hbmBitmap = LoadImage(hModule, tex.strName.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
            bFound = tex.hbmBitmap != nullptr;
        }
        FreeLibrary(hModule); // the picture is a copy: the library need not stay loaded
        if (bFound)
            return S_OK;
    }
    return LoadFromFile(tex);
}

// --- surfaces ----------------------------------------------------------------------------------

DWORD NextPow2(DWORD n) { return std::bit_ceil(std::max<DWORD>(n, 1)); }

void AdjustSize(DWORD& w, DWORD& h)
{
    if (s_caps.bPow2)
    {
        w = NextPow2(w);
        h = NextPow2(h);
    }
    if (s_caps.bSquareOnly)
        w = h = std::max(w, h);
    if (s_caps.dwMaxWidth != 0)
    {
        w = std::clamp(w, s_caps.dwMinWidth, s_caps.dwMaxWidth);
        h = std::clamp(h, s_caps.dwMinHeight, s_caps.dwMaxHeight);
    }
}

bool HasAlpha(const DDPIXELFORMAT& f) { return (f.dwFlags & DDPF_ALPHAPIXELS) != 0; }

/// The first enumerated format that fits the wanted depth and alpha; null when none does.
const DDPIXELFORMAT* ChooseFormat(bool bAlpha, DWORD dwBits)
{
    for (const DDPIXELFORMAT& f : s_caps.aFormats)
    {
        if (f.dwFlags & TEXFMT_NEVER_TAKEN)
            continue;
        if (f.dwRGBBitCount == 32 && HasAlpha(f) && f.dwRGBAlphaBitMask == 0xFF000000u)
            return &f;
        const bool bRgb = (f.dwFlags & DDPF_RGB) != 0; // no FourCC, not palettised
        if (bRgb && f.dwRGBBitCount >= 16 && HasAlpha(f) == bAlpha && f.dwRGBBitCount == dwBits &&
            (f.dwRGBBitCount != 32 || f.dwRGBAlphaBitMask == 0xFF000000u))
            return &f;
    }
    return nullptr;
}

/// Packs 8-bit channels into a format by its masks: each channel's 256 packed values are worked
/// out once, from the mask's shift and width, so that a texel takes four look-ups.
class CPacker
{
public:
    explicit CPacker(const DDPIXELFORMAT& f)
    {
        const DWORD aMasks[4] = {f.dwRBitMask, f.dwGBitMask, f.dwBBitMask, f.dwRGBAlphaBitMask};
        for (std::size_t i = 0; i < 4; ++i)
        {
            const int nShift = aMasks[i] != 0 ? std::countr_zero(aMasks[i]) : 0;
            const int nDrop = 8 - std::min(std::popcount(aMasks[i]), 8);
            for (DWORD v = 0; v < 256; ++v)
                m_aTable[i][v] = ((v >> nDrop) << nShift) & aMasks[i];
        }
    }
    /// Channels of 0 to 255.
    DWORD Pack(DWORD r, DWORD g, DWORD b, DWORD a) const
    {
        return m_aTable[0][r] | m_aTable[1][g] | m_aTable[2][b] | m_aTable[3][a];
    }

private:
    std::array<std::array<DWORD, 256>, 4> m_aTable;
};

/// The picture as RGBA words (red in the top byte), top row first.
bool SourcePixels(const TextureContainer& tex, std::vector<DWORD>& aPixels, DWORD& w, DWORD& h)
{
    if (!tex.pRGBAData.empty())
    {
        aPixels = tex.pRGBAData;
        w = tex.dwWidth;
        h = tex.dwHeight;
        return true;
    }
    BITMAP bm;
    if (tex.hbmBitmap == nullptr || GetObject(tex.hbmBitmap, sizeof(BITMAP), &bm) == 0)
        return false;
    w = static_cast<DWORD>(bm.bmWidth);
    h = static_cast<DWORD>(bm.bmHeight);
    std::vector<BYTE> rows(static_cast<std::size_t>(bm.bmWidthBytes) * h);
    GetBitmapBits(tex.hbmBitmap, static_cast<LONG>(rows.size()), rows.data());
    aPixels.resize(static_cast<std::size_t>(w) * h);
    for (DWORD y = 0; y < h; ++y)
    {
        const BYTE* p = &rows[y * static_cast<std::size_t>(bm.bmWidthBytes)]; // blue, green, red
        DWORD* pOut = &aPixels[y * static_cast<std::size_t>(w)];
        for (DWORD x = 0; x < w; ++x, p += 3)
            pOut[x] = (DWORD{p[2]} << 24) | (DWORD{p[1]} << 16) | (DWORD{p[0]} << 8) | 0xFF;
    }
    return true;
}

/// How a texture's texels are packed from its picture's RGBA words: as they are for a picture
/// with alpha; for a bitmap, after its load flags (alpha from red, or the key colour cut out).
class CTexelRule
{
public:
    CTexelRule(const TextureContainer& tex, const DDPIXELFORMAT& f) : m_packer(f)
    {
        m_bRgba = !tex.pRGBAData.empty();
        m_bAlphaFromRed = (tex.dwFlags & TEXF_ALPHA_FROM_RED) != 0;
        m_dwRedAlphaColour = (tex.dwFlags & TEXF_ALPHA_FROM_RED_WHITE) ? 0xFF : 0;
        m_bKeyed = HasAlpha(f) && (tex.dwFlags & TEXF_ANY_KEY) != 0;
        m_dwColourBits = ~f.dwRGBAlphaBitMask;
        const DWORD k = (tex.dwFlags & TEXF_WHITE_TRANSPARENT) ? 0xFF : 0;
        m_dwKey = m_packer.Pack(k, k, k, 0) & m_dwColourBits;
    }

    DWORD operator()(DWORD dwRgba) const
    {
        const DWORD r = dwRgba >> 24, g = (dwRgba >> 16) & 0xFF, b = (dwRgba >> 8) & 0xFF;
        if (m_bRgba)
            return m_packer.Pack(r, g, b, dwRgba & 0xFF);
        if (m_bAlphaFromRed)
            return m_packer.Pack(m_dwRedAlphaColour, m_dwRedAlphaColour, m_dwRedAlphaColour, r);
        const DWORD dwPacked = m_packer.Pack(r, g, b, 0xFF);
        if (!m_bKeyed)
            return dwPacked;
        return (dwPacked & m_dwColourBits) == m_dwKey ? (dwPacked & m_dwColourBits) : dwPacked;
    }

private:
    CPacker m_packer;
    bool m_bRgba, m_bAlphaFromRed, m_bKeyed;
    DWORD m_dwRedAlphaColour, m_dwColourBits, m_dwKey;
};

/// Fills the surface from the picture, scaled to the surface's size with the nearest texel.
void FillSurface(const TextureContainer& tex, const std::vector<DWORD>& aPixels, DWORD w, DWORD h,
                 CDirectDrawSurface& surface)
{
    DDSURFACEDESC2 desc;
    desc.dwSize = DDSURFACEDESC2_SIZE;
    if (surface.Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) != DD_OK)
        return;
    const CTexelRule texel(tex, desc.ddpfPixelFormat);
    const bool b32 = desc.ddpfPixelFormat.dwRGBBitCount == 32;
    // The source column of each surface column, worked out once rather than per texel.
    std::vector<DWORD> aSourceX(desc.dwWidth);
    for (DWORD x = 0; x < desc.dwWidth; ++x)
        aSourceX[x] = static_cast<DWORD>(std::uint64_t{x} * w / desc.dwWidth);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
    {
        BYTE* pRow = static_cast<BYTE*>(desc.lpSurface) + static_cast<std::size_t>(y) * desc.lPitch;
        const DWORD* pSourceRow = &aPixels[static_cast<DWORD>(std::uint64_t{y} * h / desc.dwHeight) * std::size_t{w}];
        if (b32)
            for (DWORD x = 0; x < desc.dwWidth; ++x)
                reinterpret_cast<DWORD*>(pRow)[x] = texel(pSourceRow[aSourceX[x]]);
        else
            for (DWORD x = 0; x < desc.dwWidth; ++x)
                reinterpret_cast<WORD*>(pRow)[x] = static_cast<WORD>(texel(pSourceRow[aSourceX[x]]));
    }
    surface.Unlock(nullptr);
}

HRESULT CreateTextureSurface(TextureContainer& tex, bool bAdjustSize)
{
    std::vector<DWORD> aPixels;
    DWORD w = 0, h = 0;
    if (!SourcePixels(tex, aPixels, w, h))
        return E_FAIL;
    DWORD sw = w, sh = h;
    if (bAdjustSize)
        AdjustSize(sw, sh);
    // Palettised pictures never reach here (bitmaps are 24-bit), so alpha is wanted for an image with alpha.
    const DDPIXELFORMAT* pFormat = ChooseFormat(tex.bHasAlpha != FALSE, (tex.dwFlags & TEXF_FORCE_32) ? 32 : tex.dwBPP);
    if (pFormat == nullptr)
    {
        OutputDebugString(("Texture " + tex.strName + ": the device offers no fitting format\n").c_str());
        return E_FAIL;
    }
    SurfacePtr pSurface = CDirectDrawSurface::Create(sw, sh, *pFormat, DDSCAPS_TEXTURE);
    if (!pSurface)
        return E_FAIL;
    FillSurface(tex, aPixels, w, h, *pSurface);
    tex.pddsSurface = std::move(pSurface);
    tex.dwBPP = pFormat->dwRGBBitCount;
    return S_OK;
}

HRESULT RestoreOne(const char* szName, CDirect3DDevice* pDevice, bool bAdjustSize)
{
    if (pDevice == nullptr || szName == nullptr)
        return E_INVALIDARG;
    TextureContainer* pTex = FindTexture(szName);
    if (pTex == nullptr)
        return TEXERR_NOTFOUND;
    pTex->pddsSurface.reset();
    return CreateTextureSurface(*pTex, bAdjustSize);
}

/// A container loaded with its picture; null (and the code) when the picture does not load.
std::unique_ptr<TextureContainer> LoadContainer(const char* szName, const char* szModule, DWORD dwStage, DWORD dwFlags,
                                                HRESULT& hr)
{
    auto pTex = std::make_unique<TextureContainer>();
    pTex->strName = szName;
    pTex->dwStage = dwStage;
    pTex->dwFlags = dwFlags;
    pTex->bHasAlpha = (dwFlags & TEXF_ALPHA_FROM_RED) != 0;
    hr = LoadTextureImage(*pTex, szModule);
    if (hr != S_OK)
    {
        OutputDebugString(("Texture " + std::string(szName) + " not loaded\n").c_str());
        return nullptr;
    }
    return pTex;
}
} // namespace

STextureCaps GetStandInTextureCaps()
{
    STextureCaps caps;
    caps.aFormats = {MakeFormat(32, 0xFF000000u, 0xFF0000, 0xFF00, 0xFF), MakeFormat(16, 0, 0xF800, 0x7E0, 0x1F),
                     MakeFormat(16, 0x8000, 0x7C00, 0x3E0, 0x1F), MakeFormat(16, 0xF000, 0xF00, 0xF0, 0xF)};
    return caps;
}

void SetTextureCaps(const STextureCaps& caps) { s_caps = caps; }

TextureContainer::~TextureContainer()
{
    if (hbmBitmap != nullptr)
        DeleteObject(hbmBitmap);
}

HRESULT CreateTexture(const char* szName, const char* szModule, DWORD dwStage, DWORD dwFlags)
{
    if (szName == nullptr || *szName == '\0' || std::strlen(szName) > TEXTURE_MAX_NAME)
        return E_INVALIDARG;
    if (FindTexture(szName) != nullptr)
        return S_OK;
    g_bTexturesDirty = true;
    HRESULT hr = S_OK;
    std::unique_ptr<TextureContainer> pTex = LoadContainer(szName, szModule, dwStage, dwFlags, hr);
    if (pTex)
        s_textures.push_front(std::move(pTex));
    return hr;
}

HRESULT RestoreTexture(const char* szName, CDirect3DDevice* pDevice) { return RestoreOne(szName, pDevice, true); }
HRESULT ReloadTexture(const char* szName, CDirect3DDevice* pDevice) { return RestoreOne(szName, pDevice, false); }

HRESULT RestoreAllTextures(CDirect3DDevice* pDevice)
{
    if (pDevice == nullptr)
        return E_INVALIDARG;
    for (const auto& pTex : s_textures)
    {
        pTex->pddsSurface.reset();
        CreateTextureSurface(*pTex, true);
    }
    return S_OK;
}

void InvalidateAllTextures()
{
    for (const auto& pTex : s_textures)
        pTex->pddsSurface.reset();
}

HRESULT ReleaseTexture(const char* szName)
{
    TextureContainer* pTex = szName != nullptr ? FindTexture(szName) : nullptr;
    if (pTex == nullptr)
        return TEXERR_NOTFOUND;
    pTex->pddsSurface.reset();
    return S_OK;
}

HRESULT DeleteTexture(const char* szName)
{
    if (szName == nullptr)
        return TEXERR_NOTFOUND;
    const auto it = FindInList(szName);
    if (it == s_textures.end())
        return TEXERR_NOTFOUND;
    s_textures.erase(it);
    return S_OK;
}

void DeleteAllTextures() { s_textures.clear(); }

TextureContainer* FindTexture(const char* szName)
{
    if (szName == nullptr)
        return nullptr;
    const auto it = FindInList(szName);
    return it == s_textures.end() ? nullptr : it->get();
}

SurfacePtr GetTexture(const char* szName) { return GetTextureSurface(szName); }

SurfacePtr GetTextureSurface(const char* szName)
{
    TextureContainer* pTex = FindTexture(szName);
    return pTex != nullptr ? pTex->pddsSurface : nullptr;
}

HBITMAP GetTextureBitmap(const char* szName)
{
    TextureContainer* pTex = FindTexture(szName);
    return pTex != nullptr ? pTex->hbmBitmap : nullptr;
}

HRESULT LoadFeltTextures(CDirect3DDevice* pDevice)
{
    if (pDevice == nullptr)
        return E_INVALIDARG;
    HRESULT hrResult = S_OK;
    for (const char* szName : {"felt_d.bmp", "felt.bmp"})
    {
        HRESULT hr = S_OK;
        std::unique_ptr<TextureContainer> pNew = LoadContainer(szName, nullptr, 0, 0, hr);
        if (!pNew)
        {
            hrResult = hr; // the old felt stays
            continue;
        }
        DeleteTexture(szName);
        g_bTexturesDirty = true;
        s_textures.push_front(std::move(pNew));
        hr = RestoreTexture(szName, pDevice);
        if (hr != S_OK)
            hrResult = hr;
    }
    return hrResult;
}
