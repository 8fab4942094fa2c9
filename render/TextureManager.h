// The texture manager: every texture of the game is a named container in one global list (names
// compared without case, the newest first). A container keeps its picture in memory (a bitmap, or
// the RGBA pixels of a TGA file) and turns it into a texture surface on the current device, again
// after every device change.
//
// Pictures come from the artwork libraries (a JPEG resource of type "JPG" named by the file part
// of the texture name, or a bitmap resource named by the whole name), else from a file (".bmp",
// ".jpg"); names ending in ".tga" are always files. The felt pictures "felt" and "felt_d" are
// tinted with the cloth colour as they load.
#pragma once

#include "platform/dx/Device.h"
#include "platform/win32/Gdi.h"

#include <string>
#include <vector>

/// A name not in the list, or a picture that is nowhere (DDERR_NOTFOUND).
inline constexpr HRESULT TEXERR_NOTFOUND = static_cast<HRESULT>(0x887600FFu);
/// Longest texture name, in characters (the containers' name buffers held 260 with the terminator).
inline constexpr std::size_t TEXTURE_MAX_NAME = 259;

// Load flags.
inline constexpr DWORD TEXF_WHITE_TRANSPARENT = 0x1;     ///< white pixels become transparent
inline constexpr DWORD TEXF_BLACK_TRANSPARENT = 0x2;     ///< black pixels become transparent
inline constexpr DWORD TEXF_FORCE_32 = 0x4;              ///< ask for a 32-bit surface
inline constexpr DWORD TEXF_TRANSPARENT = 0x8;           ///< the texture uses transparency (black key)
inline constexpr DWORD TEXF_ALPHA_FROM_RED_WHITE = 0x10; ///< alpha from red, colour white
inline constexpr DWORD TEXF_ALPHA_FROM_RED_BLACK = 0x20; ///< alpha from red, colour black

/// What the device offers for textures: its formats in enumeration order and its size rules.
struct STextureCaps
{
    std::vector<DDPIXELFORMAT> aFormats;
    bool bPow2 = false;       ///< sides must be powers of two
    bool bSquareOnly = false; ///< width must equal height
    DWORD dwMinWidth = 1, dwMinHeight = 1;
    DWORD dwMaxWidth = 2048, dwMaxHeight = 2048; ///< 0: no limit
};

/// The stand-in device's texture formats: 32-bit ARGB, then 565, 1555 and 4444 (none palettised);
/// any side up to 2048 (the rasterizer addresses a texture by its real size).
STextureCaps GetStandInTextureCaps();
/// Replaces the caps the manager uses (tests); the stand-in's until then. Main thread.
void SetTextureCaps(const STextureCaps& caps);

struct TextureContainer
{
    TextureContainer() = default;
    ~TextureContainer();
    TextureContainer(const TextureContainer&) = delete;
    TextureContainer& operator=(const TextureContainer&) = delete;

    HBITMAP hbmBitmap = nullptr; ///< the picture as a bitmap, or null (owned)
    SurfacePtr pddsSurface;      ///< the texture on the current device, or null
    DWORD dwStage = 0;
    std::string strName;
    BOOL bHasAlpha = FALSE;
    DWORD dwFlags = 0;
    std::vector<DWORD> pRGBAData; ///< TGA pixels, top row first: red << 24 | green << 16 | blue << 8 | alpha
    DWORD dwWidth = 0, dwHeight = 0;
    DWORD dwBPP = 0; ///< bits per pixel of the surface made (16 after a JPEG picture, before one is made)
};

/// Set whenever a container is created; the frame drawing restores all textures and clears it.
/// Main thread.
extern bool g_bTexturesDirty;
/// The cloth colour 0x00BBGGRR that tints the felt textures; owned by the main frame. Main thread.
extern COLORREF g_crClothColor;

/// 0 (S_OK) when the texture exists already (names without case) or was made; the picture is
/// searched in szModule (a library path) first when given. TEXERR_NOTFOUND, E_NOTIMPL for a file
/// of another kind, E_FAIL for a picture that does not read, E_INVALIDARG for a null or too long
/// name; a failed load leaves no container.
HRESULT CreateTexture(const char* szName, const char* szModule = nullptr, DWORD dwStage = 0, DWORD dwFlags = 0);
/// Makes the texture's surface anew from its picture, sizes adjusted to the device's rules.
HRESULT RestoreTexture(const char* szName, CDirect3DDevice* pDevice);
/// The same, the surface keeping the picture's own size.
HRESULT ReloadTexture(const char* szName, CDirect3DDevice* pDevice);
HRESULT RestoreAllTextures(CDirect3DDevice* pDevice);
/// Drops every surface; the pictures stay.
void InvalidateAllTextures();
HRESULT ReleaseTexture(const char* szName);
HRESULT DeleteTexture(const char* szName);
void DeleteAllTextures();

TextureContainer* FindTexture(const char* szName);
/// The texture surface (the device's texture is the surface here), null when none.
SurfacePtr GetTexture(const char* szName);
SurfacePtr GetTextureSurface(const char* szName);
HBITMAP GetTextureBitmap(const char* szName);

/// Loads "felt_d.bmp" and "felt.bmp" again with the current cloth colour and makes their surfaces;
/// each old container stays until its new one has loaded.
HRESULT LoadFeltTextures(CDirect3DDevice* pDevice);
