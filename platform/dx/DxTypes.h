// DirectDraw and Direct3D records, flags and result codes as the game's rendering code uses them.
// Only the fields the game reads or writes are kept; the records are in-memory values, never stored.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------------------------------
// Identifiers
// ---------------------------------------------------------------------------------------------------------------------

struct GUID
{
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};
    friend bool operator==(const GUID& a, const GUID& b)
    {
        return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
               std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
    }
};

/// Device identifiers of the software device and of the two special devices the enumeration knows.
inline constexpr GUID IID_IDirect3DRGBDevice = {
    0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0, 0xB9, 0x33, 0x56}};
inline constexpr GUID IID_IDirect3DNullDevice = {
    0x8767DF22, 0xBACC, 0x11D1, {0x89, 0x69, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
inline constexpr GUID IID_IDirect3DRefDevice = {
    0x50936643, 0x13E9, 0x11D1, {0x89, 0xAA, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};

// ---------------------------------------------------------------------------------------------------------------------
// Result codes
// ---------------------------------------------------------------------------------------------------------------------

inline constexpr HRESULT DD_OK = 0;
inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT DDERR_GENERIC = E_FAIL;
inline constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
inline constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
inline constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
inline constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
inline constexpr HRESULT DDERR_CANTCREATEDC = static_cast<HRESULT>(0x8876024Bu);
inline constexpr HRESULT DDERR_NODC = static_cast<HRESULT>(0x8876025Au);
inline constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x887602E6u);
inline constexpr HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FFu);
inline constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
inline constexpr HRESULT DDERR_NOCOLORKEY = static_cast<HRESULT>(0x887600D7u);
inline constexpr HRESULT DDERR_INVALIDPIXELFORMAT = static_cast<HRESULT>(0x88760091u);
inline constexpr HRESULT D3DERR_SCENE_IN_SCENE = static_cast<HRESULT>(0x88760B86u);
inline constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = static_cast<HRESULT>(0x88760B87u);
inline constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = static_cast<HRESULT>(0x88760825u);
inline constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = static_cast<HRESULT>(0x88760823u);
inline constexpr HRESULT D3DERR_LIGHTNOTINTHISVIEWPORT = static_cast<HRESULT>(0x88760829u);
inline constexpr HRESULT D3DERR_LIGHTHASVIEWPORT = static_cast<HRESULT>(0x88760828u);

// ---------------------------------------------------------------------------------------------------------------------
// DirectDraw records and flags
// ---------------------------------------------------------------------------------------------------------------------

inline constexpr DWORD DDSCL_NORMAL = 0x8;
inline constexpr DWORD DDSCL_FULLSCREEN = 0x1;
inline constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
inline constexpr DWORD DDSCL_EXCLUSIVE = 0x10;
inline constexpr DWORD DDSCL_FPUSETUP = 0x800;

inline constexpr DWORD DDSD_CAPS = 0x1;
inline constexpr DWORD DDSD_HEIGHT = 0x2;
inline constexpr DWORD DDSD_WIDTH = 0x4;
inline constexpr DWORD DDSD_PITCH = 0x8;
inline constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
inline constexpr DWORD DDSD_CKSRCBLT = 0x10000;
inline constexpr DWORD DDSD_PIXELFORMAT = 0x1000;

inline constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
inline constexpr DWORD DDSCAPS_COMPLEX = 0x8;
inline constexpr DWORD DDSCAPS_FLIP = 0x10;
inline constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
inline constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
inline constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
inline constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
inline constexpr DWORD DDSCAPS_ZBUFFER = 0x20000;

inline constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
inline constexpr DWORD DDPF_FOURCC = 0x4;
inline constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
inline constexpr DWORD DDPF_RGB = 0x40;
inline constexpr DWORD DDPF_ZBUFFER = 0x400;
inline constexpr DWORD DDPF_STENCILBUFFER = 0x4000;

inline constexpr DWORD DDBD_8 = 0x800;
inline constexpr DWORD DDBD_16 = 0x400;
inline constexpr DWORD DDBD_24 = 0x200;
inline constexpr DWORD DDBD_32 = 0x100;

inline constexpr DWORD DDCAPS2_CANRENDERWINDOWED = 0x80000;

inline constexpr DWORD DDLOCK_WAIT = 0x1;
inline constexpr DWORD DDLOCK_READONLY = 0x10;
inline constexpr DWORD DDLOCK_WRITEONLY = 0x20;

inline constexpr DWORD DDBLT_COLORFILL = 0x400;
inline constexpr DWORD DDBLT_KEYSRC = 0x8000;
inline constexpr DWORD DDBLT_WAIT = 0x1000000;
inline constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
inline constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;
inline constexpr DWORD DDBLTFAST_WAIT = 0x10;

inline constexpr DWORD DDCKEY_SRCBLT = 0x8;

inline constexpr DWORD DDFLIP_WAIT = 0x1;
inline constexpr DWORD DDFLIP_NOVSYNC = 0x8;

inline constexpr DWORD DDSDM_STANDARDVGAMODE = 0x1;

inline constexpr DWORD DDENUM_ATTACHEDSECONDARYDEVICES = 0x1;
inline constexpr DWORD DDENUM_DETACHEDSECONDARYDEVICES = 0x2;
inline constexpr DWORD DDENUM_NONDISPLAYDEVICES = 0x4;
inline constexpr HRESULT DDENUMRET_CANCEL = 0;
inline constexpr HRESULT DDENUMRET_OK = 1;
inline constexpr HRESULT D3DENUMRET_CANCEL = 0;
inline constexpr HRESULT D3DENUMRET_OK = 1;
inline constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760078u);

/// Sizes the game writes into the records' dwSize fields.
inline constexpr DWORD DDSURFACEDESC2_SIZE = 124;
inline constexpr DWORD DDPIXELFORMAT_SIZE = 32;
inline constexpr DWORD DDCAPS_SIZE = 380;
inline constexpr DWORD D3DDEVICEDESC_SIZE = 252;
/// The device description's flag that its lighting capabilities are given: the device lights.
inline constexpr DWORD D3DDD_LIGHTINGCAPS = 0x8;

struct DDPIXELFORMAT
{
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwRGBBitCount = 0; // also the z-buffer depth in bits
    DWORD dwRBitMask = 0;    // also the z-buffer bit mask
    DWORD dwGBitMask = 0;
    DWORD dwBBitMask = 0;
    DWORD dwRGBAlphaBitMask = 0;
};

struct DDSCAPS2
{
    DWORD dwCaps = 0;
};

struct DDCOLORKEY
{
    DWORD dwColorSpaceLowValue = 0;
    DWORD dwColorSpaceHighValue = 0;
};

struct DDSURFACEDESC2
{
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwHeight = 0;
    DWORD dwWidth = 0;
    LONG lPitch = 0;
    DWORD dwBackBufferCount = 0;
    DWORD dwRefreshRate = 0;
    LPVOID lpSurface = nullptr;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
};

struct DDCAPS
{
    DWORD dwSize = 0;
    DWORD dwCaps = 0;
    DWORD dwCaps2 = 0;
};

struct DDBLTFX
{
    DWORD dwSize = 0;
    DWORD dwFillColor = 0;
};

/// The two pixel formats of the frame: 32-bit XRGB (the game's default) and 16-bit 565.
DDPIXELFORMAT MakeRgbPixelFormat(DWORD dwBits);
/// 32-bit ARGB, the format of textures with an alpha channel.
DDPIXELFORMAT MakeArgbPixelFormat();
/// An RGB format of the given depth and masks; an alpha mask adds DDPF_ALPHAPIXELS.
DDPIXELFORMAT MakePixelFormat(DWORD dwBits, DWORD dwRMask, DWORD dwGMask, DWORD dwBMask, DWORD dwAMask = 0);
/// A depth buffer format of the given number of bits.
DDPIXELFORMAT MakeZBufferPixelFormat(DWORD dwBits);

// ---------------------------------------------------------------------------------------------------------------------
// Direct3D records
// ---------------------------------------------------------------------------------------------------------------------

using D3DVALUE = float;
using D3DCOLOR = DWORD;

constexpr D3DCOLOR RGBA_MAKE(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return (static_cast<DWORD>(a) << 24) | (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
}
constexpr D3DCOLOR RGB_MAKE(BYTE r, BYTE g, BYTE b) { return RGBA_MAKE(r, g, b, 0xFF); }

struct D3DVECTOR
{
    D3DVALUE x = 0;
    D3DVALUE y = 0;
    D3DVALUE z = 0;
};

/// Row-major, row vectors: a point transforms as p' = p * M, the translation lives in m[3][0..2].
struct D3DMATRIX
{
    D3DVALUE m[4][4] = {};
};
static_assert(sizeof(D3DMATRIX) == 64);

struct D3DCOLORVALUE
{
    D3DVALUE r = 0;
    D3DVALUE g = 0;
    D3DVALUE b = 0;
    D3DVALUE a = 0;
};

struct D3DRECT
{
    LONG x1 = 0;
    LONG y1 = 0;
    LONG x2 = 0;
    LONG y2 = 0;
};

enum D3DTRANSFORMSTATETYPE : DWORD
{
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3,
};

enum D3DRENDERSTATETYPE : DWORD
{
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_ZFUNC = 23,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_COLORKEYENABLE = 41,
    D3DRENDERSTATE_LIGHTING = 137,
    D3DRENDERSTATE_COUNT = 160,
};

enum D3DBLEND : DWORD
{
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_SRCALPHA = 5,
};

enum D3DCULL : DWORD
{
    D3DCULL_NONE = 1,
    D3DCULL_CW = 2,
    D3DCULL_CCW = 3,
};

enum D3DCMPFUNC : DWORD
{
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};

enum D3DTEXTURESTAGESTATETYPE : DWORD
{
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_COUNT = 24,
};

enum D3DTEXTUREOP : DWORD
{
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
};

inline constexpr DWORD D3DTA_DIFFUSE = 0;
inline constexpr DWORD D3DTA_TEXTURE = 2;

/// Values of MAGFILTER (D3DTFG_) and MINFILTER (D3DTFN_).
enum D3DTEXTUREFILTER : DWORD
{
    D3DTFG_POINT = 1,
    D3DTFG_LINEAR = 2,
    D3DTFN_POINT = 1,
    D3DTFN_LINEAR = 2,
};

enum D3DLIGHTSTATETYPE : DWORD
{
    D3DLIGHTSTATE_MATERIAL = 1,
    D3DLIGHTSTATE_AMBIENT = 2,
};

enum D3DPRIMITIVETYPE : DWORD
{
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
};

/// Vertex format bits and the three formats the game draws with.
inline constexpr DWORD D3DFVF_XYZ = 0x2;
inline constexpr DWORD D3DFVF_XYZRHW = 0x4;
inline constexpr DWORD D3DFVF_NORMAL = 0x10;
inline constexpr DWORD D3DFVF_RESERVED1 = 0x20;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x40;
inline constexpr DWORD D3DFVF_SPECULAR = 0x80;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;
inline constexpr DWORD D3DFVF_VERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 0x112
inline constexpr DWORD D3DFVF_LVERTEX =
    D3DFVF_XYZ | D3DFVF_RESERVED1 | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;                      // 0x1E2
inline constexpr DWORD D3DFVF_TLVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1; // 0x1C4

/// Position, normal and texture coordinates: lit by the device.
struct D3DVERTEX
{
    D3DVALUE x = 0, y = 0, z = 0;
    D3DVALUE nx = 0, ny = 0, nz = 0;
    D3DVALUE tu = 0, tv = 0;
};
static_assert(sizeof(D3DVERTEX) == 32);

/// Position with colours already lit by the caller.
struct D3DLVERTEX
{
    D3DVALUE x = 0, y = 0, z = 0;
    DWORD dwReserved = 0;
    D3DCOLOR color = 0xFFFFFFFF;
    D3DCOLOR specular = 0;
    D3DVALUE tu = 0, tv = 0;
};
static_assert(sizeof(D3DLVERTEX) == 32);

/// Screen position (pixels, depth 0..1, 1/w) with colours: neither transformed nor lit by the device.
struct D3DTLVERTEX
{
    D3DVALUE sx = 0, sy = 0, sz = 0, rhw = 1;
    D3DCOLOR color = 0xFFFFFFFF;
    D3DCOLOR specular = 0;
    D3DVALUE tu = 0, tv = 0;
};
static_assert(sizeof(D3DTLVERTEX) == 32);

enum D3DLIGHTTYPE : DWORD
{
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
    D3DLIGHT_PARALLELPOINT = 4,
};

inline constexpr DWORD D3DLIGHT_ACTIVE = 0x1;

struct D3DLIGHT2
{
    DWORD dwSize = 0;
    D3DLIGHTTYPE dltType = D3DLIGHT_POINT;
    D3DCOLORVALUE dcvColor;
    D3DVECTOR dvPosition;
    D3DVECTOR dvDirection;
    D3DVALUE dvRange = 0;        // scene units; 0 or less: unlimited
    D3DVALUE dvFalloff = 1;      // exponent of the spot cone's edge
    D3DVALUE dvAttenuation0 = 1; // constant term
    D3DVALUE dvAttenuation1 = 0; // per scene unit
    D3DVALUE dvAttenuation2 = 0; // per scene unit squared
    D3DVALUE dvTheta = 0;        // full angle of the inner cone, radians
    D3DVALUE dvPhi = 0;          // full angle of the outer cone, radians
    DWORD dwFlags = D3DLIGHT_ACTIVE;
};

struct D3DMATERIAL
{
    DWORD dwSize = 0;
    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE specular;
    D3DCOLORVALUE emissive;
    D3DVALUE power = 0;
};

struct D3DVIEWPORT2
{
    DWORD dwSize = 0;
    DWORD dwX = 0;
    DWORD dwY = 0;
    DWORD dwWidth = 0;
    DWORD dwHeight = 0;
    D3DVALUE dvClipX = 0;
    D3DVALUE dvClipY = 0;
    D3DVALUE dvClipWidth = 0;
    D3DVALUE dvClipHeight = 0;
    D3DVALUE dvMinZ = 0;
    D3DVALUE dvMaxZ = 0;
};

inline constexpr DWORD D3DCLEAR_TARGET = 0x1;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;

inline constexpr DWORD D3DCOLOR_MONO = 1;
inline constexpr DWORD D3DCOLOR_RGB = 2;
inline constexpr DWORD D3DPRASTERCAPS_ZBUFFERLESSHSR = 0x8000;
inline constexpr DWORD D3DPRASTERCAPS_WBUFFER = 0x40000;

struct D3DPRIMCAPS
{
    DWORD dwRasterCaps = 0;
};

/// What a device reports of itself; dwFlags is zero in the hardware description of a software device.
struct D3DDEVICEDESC
{
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dcmColorModel = 0;
    D3DPRIMCAPS dpcLineCaps;
    D3DPRIMCAPS dpcTriCaps;
    DWORD dwDeviceRenderBitDepth = 0;
    DWORD dwDeviceZBufferBitDepth = 0;
};

inline constexpr DWORD D3DFDS_GUID = 0x2;

struct D3DFINDDEVICESEARCH
{
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    GUID guid;
};

struct D3DFINDDEVICERESULT
{
    DWORD dwSize = 0;
    GUID guid;
    D3DDEVICEDESC ddHwDesc;
    D3DDEVICEDESC ddSwDesc;
};
