#pragma once
#include <cstdint>

// Codes and records of the graphics device layer. They keep Direct3D 8's names and numeric values,
// so engine code can be read against the platform's documentation, but they belong to this layer.

// ---- Results: 0 is success, negative values are failures.
constexpr int D3D_OK = 0;
constexpr int D3DERR_INVALIDCALL = static_cast<int>(0x8876086Cu);
constexpr int D3DERR_NOTAVAILABLE = static_cast<int>(0x8876091Au);
constexpr int D3DERR_OUTOFVIDEOMEMORY = static_cast<int>(0x8876017Cu);
constexpr int D3DERR_DEVICELOST = static_cast<int>(0x88760868u);
constexpr int E_OUTOFMEMORY = static_cast<int>(0x8007000Eu);

inline bool deviceSucceeded(int result) { return result >= 0; }
inline bool deviceFailed(int result) { return result < 0; }

// The byte range a buffer lock names, size 0 reaching to the end of the buffer; false when the
// range does not lie inside a buffer of length bytes.
inline bool resolveLockRange(std::uint32_t length, std::uint32_t offset, std::uint32_t& size) {
  if (offset > length) return false;
  if (size == 0) size = length - offset;
  return size <= length - offset;
}

// ---- Boolean values of render states.
constexpr std::uint32_t D3D_FALSE = 0;
constexpr std::uint32_t D3D_TRUE = 1;

// ---- Render states (D3DRENDERSTATETYPE).
constexpr std::uint32_t D3DRS_ZENABLE = 7;
constexpr std::uint32_t D3DRS_FILLMODE = 8;
constexpr std::uint32_t D3DRS_SHADEMODE = 9;
constexpr std::uint32_t D3DRS_ZWRITEENABLE = 14;
constexpr std::uint32_t D3DRS_ALPHATESTENABLE = 15;
constexpr std::uint32_t D3DRS_SRCBLEND = 19;
constexpr std::uint32_t D3DRS_DESTBLEND = 20;
constexpr std::uint32_t D3DRS_CULLMODE = 22;
constexpr std::uint32_t D3DRS_ZFUNC = 23;
constexpr std::uint32_t D3DRS_ALPHAREF = 24;
constexpr std::uint32_t D3DRS_ALPHAFUNC = 25;
constexpr std::uint32_t D3DRS_DITHERENABLE = 26;
constexpr std::uint32_t D3DRS_ALPHABLENDENABLE = 27;
constexpr std::uint32_t D3DRS_FOGENABLE = 28;
constexpr std::uint32_t D3DRS_SPECULARENABLE = 29;
constexpr std::uint32_t D3DRS_STENCILENABLE = 52;
constexpr std::uint32_t D3DRS_STENCILFAIL = 53;
constexpr std::uint32_t D3DRS_STENCILZFAIL = 54;
constexpr std::uint32_t D3DRS_STENCILPASS = 55;
constexpr std::uint32_t D3DRS_STENCILFUNC = 56;
constexpr std::uint32_t D3DRS_STENCILREF = 57;
constexpr std::uint32_t D3DRS_STENCILMASK = 58;
constexpr std::uint32_t D3DRS_STENCILWRITEMASK = 59;
constexpr std::uint32_t D3DRS_TEXTUREFACTOR = 60;
constexpr std::uint32_t D3DRS_LIGHTING = 137;
constexpr std::uint32_t D3DRS_AMBIENT = 139;
constexpr std::uint32_t D3DRS_COLORVERTEX = 141;
constexpr std::uint32_t D3DRS_LOCALVIEWER = 142;
constexpr std::uint32_t D3DRS_NORMALIZENORMALS = 143;
constexpr std::uint32_t D3DRS_COLORWRITEENABLE = 168;
// One past the highest render state the device keeps.
constexpr std::uint32_t D3DRS_STATECOUNT = 256;

// D3DRS_ZENABLE values.
constexpr std::uint32_t D3DZB_FALSE = 0;
constexpr std::uint32_t D3DZB_TRUE = 1;

// D3DRS_COLORWRITEENABLE bits.
constexpr std::uint32_t D3DCOLORWRITEENABLE_RED = 0x1;
constexpr std::uint32_t D3DCOLORWRITEENABLE_GREEN = 0x2;
constexpr std::uint32_t D3DCOLORWRITEENABLE_BLUE = 0x4;
constexpr std::uint32_t D3DCOLORWRITEENABLE_ALPHA = 0x8;

// ---- Blend factors (D3DBLEND).
constexpr std::uint32_t D3DBLEND_ZERO = 1;
constexpr std::uint32_t D3DBLEND_ONE = 2;
constexpr std::uint32_t D3DBLEND_SRCCOLOR = 3;
constexpr std::uint32_t D3DBLEND_INVSRCCOLOR = 4;
constexpr std::uint32_t D3DBLEND_SRCALPHA = 5;
constexpr std::uint32_t D3DBLEND_INVSRCALPHA = 6;
constexpr std::uint32_t D3DBLEND_DESTALPHA = 7;
constexpr std::uint32_t D3DBLEND_INVDESTALPHA = 8;
constexpr std::uint32_t D3DBLEND_DESTCOLOR = 9;
constexpr std::uint32_t D3DBLEND_INVDESTCOLOR = 10;
constexpr std::uint32_t D3DBLEND_SRCALPHASAT = 11;

// ---- Comparisons (D3DCMPFUNC).
constexpr std::uint32_t D3DCMP_NEVER = 1;
constexpr std::uint32_t D3DCMP_LESS = 2;
constexpr std::uint32_t D3DCMP_EQUAL = 3;
constexpr std::uint32_t D3DCMP_LESSEQUAL = 4;
constexpr std::uint32_t D3DCMP_GREATER = 5;
constexpr std::uint32_t D3DCMP_NOTEQUAL = 6;
constexpr std::uint32_t D3DCMP_GREATEREQUAL = 7;
constexpr std::uint32_t D3DCMP_ALWAYS = 8;

// ---- Stencil operations (D3DSTENCILOP). INCR and DECR wrap; INCRSAT and DECRSAT clamp.
constexpr std::uint32_t D3DSTENCILOP_KEEP = 1;
constexpr std::uint32_t D3DSTENCILOP_ZERO = 2;
constexpr std::uint32_t D3DSTENCILOP_REPLACE = 3;
constexpr std::uint32_t D3DSTENCILOP_INCRSAT = 4;
constexpr std::uint32_t D3DSTENCILOP_DECRSAT = 5;
constexpr std::uint32_t D3DSTENCILOP_INVERT = 6;
constexpr std::uint32_t D3DSTENCILOP_INCR = 7;
constexpr std::uint32_t D3DSTENCILOP_DECR = 8;

// ---- Culling: D3DCULL_CW culls triangles whose screen winding is clockwise.
constexpr std::uint32_t D3DCULL_NONE = 1;
constexpr std::uint32_t D3DCULL_CW = 2;
constexpr std::uint32_t D3DCULL_CCW = 3;

constexpr std::uint32_t D3DFILL_POINT = 1;
constexpr std::uint32_t D3DFILL_WIREFRAME = 2;
constexpr std::uint32_t D3DFILL_SOLID = 3;

constexpr std::uint32_t D3DSHADE_FLAT = 1;
constexpr std::uint32_t D3DSHADE_GOURAUD = 2;
constexpr std::uint32_t D3DSHADE_PHONG = 3;

// ---- Texture stage states (D3DTEXTURESTAGESTATETYPE).
constexpr std::uint32_t D3DTSS_COLOROP = 1;
constexpr std::uint32_t D3DTSS_COLORARG1 = 2;
constexpr std::uint32_t D3DTSS_COLORARG2 = 3;
constexpr std::uint32_t D3DTSS_ALPHAOP = 4;
constexpr std::uint32_t D3DTSS_ALPHAARG1 = 5;
constexpr std::uint32_t D3DTSS_ALPHAARG2 = 6;
constexpr std::uint32_t D3DTSS_TEXCOORDINDEX = 11;
constexpr std::uint32_t D3DTSS_ADDRESSU = 13;
constexpr std::uint32_t D3DTSS_ADDRESSV = 14;
constexpr std::uint32_t D3DTSS_BORDERCOLOR = 15;
constexpr std::uint32_t D3DTSS_MAGFILTER = 16;
constexpr std::uint32_t D3DTSS_MINFILTER = 17;
constexpr std::uint32_t D3DTSS_MIPFILTER = 18;
constexpr std::uint32_t D3DTSS_TEXTURETRANSFORMFLAGS = 24;
// One past the highest stage state the device keeps.
constexpr std::uint32_t D3DTSS_STATECOUNT = 29;

// Number of texture stages the layer models.
constexpr std::uint32_t D3DMAX_TEXTURESTAGES = 4;

// D3DTSS_TEXCOORDINDEX: the low bits pick a coordinate set, the high bits generate coordinates.
constexpr std::uint32_t D3DTSS_TCI_PASSTHRU = 0x00000;
constexpr std::uint32_t D3DTSS_TCI_CAMERASPACENORMAL = 0x10000;
constexpr std::uint32_t D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000;
constexpr std::uint32_t D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000;

// ---- Texture operations (D3DTEXTUREOP).
constexpr std::uint32_t D3DTOP_DISABLE = 1;
constexpr std::uint32_t D3DTOP_SELECTARG1 = 2;
constexpr std::uint32_t D3DTOP_SELECTARG2 = 3;
constexpr std::uint32_t D3DTOP_MODULATE = 4;
constexpr std::uint32_t D3DTOP_MODULATE2X = 5;
constexpr std::uint32_t D3DTOP_MODULATE4X = 6;
constexpr std::uint32_t D3DTOP_ADD = 7;
constexpr std::uint32_t D3DTOP_ADDSIGNED = 8;
constexpr std::uint32_t D3DTOP_ADDSIGNED2X = 9;
constexpr std::uint32_t D3DTOP_SUBTRACT = 10;
constexpr std::uint32_t D3DTOP_ADDSMOOTH = 11;
constexpr std::uint32_t D3DTOP_BLENDDIFFUSEALPHA = 12;
constexpr std::uint32_t D3DTOP_BLENDTEXTUREALPHA = 13;
constexpr std::uint32_t D3DTOP_BLENDFACTORALPHA = 14;
constexpr std::uint32_t D3DTOP_BLENDCURRENTALPHA = 16;
constexpr std::uint32_t D3DTOP_DOTPRODUCT3 = 24;

// ---- Texture arguments (D3DTA).
constexpr std::uint32_t D3DTA_SELECTMASK = 0x0F;
constexpr std::uint32_t D3DTA_DIFFUSE = 0x00;
constexpr std::uint32_t D3DTA_CURRENT = 0x01;
constexpr std::uint32_t D3DTA_TEXTURE = 0x02;
constexpr std::uint32_t D3DTA_TFACTOR = 0x03;
constexpr std::uint32_t D3DTA_SPECULAR = 0x04;
constexpr std::uint32_t D3DTA_COMPLEMENT = 0x10;
constexpr std::uint32_t D3DTA_ALPHAREPLICATE = 0x20;

// ---- Texture addressing and filtering.
constexpr std::uint32_t D3DTADDRESS_WRAP = 1;
constexpr std::uint32_t D3DTADDRESS_MIRROR = 2;
constexpr std::uint32_t D3DTADDRESS_CLAMP = 3;
constexpr std::uint32_t D3DTADDRESS_BORDER = 4;

constexpr std::uint32_t D3DTEXF_NONE = 0;
constexpr std::uint32_t D3DTEXF_POINT = 1;
constexpr std::uint32_t D3DTEXF_LINEAR = 2;

// ---- Texture coordinate transform flags (D3DTEXTURETRANSFORMFLAGS).
constexpr std::uint32_t D3DTTFF_DISABLE = 0;
constexpr std::uint32_t D3DTTFF_COUNT1 = 1;
constexpr std::uint32_t D3DTTFF_COUNT2 = 2;
constexpr std::uint32_t D3DTTFF_COUNT3 = 3;
constexpr std::uint32_t D3DTTFF_COUNT4 = 4;
constexpr std::uint32_t D3DTTFF_PROJECTED = 256;

// ---- Transform states (D3DTRANSFORMSTATETYPE).
constexpr std::uint32_t D3DTS_VIEW = 2;
constexpr std::uint32_t D3DTS_PROJECTION = 3;
constexpr std::uint32_t D3DTS_TEXTURE0 = 16;
constexpr std::uint32_t D3DTS_TEXTURE1 = 17;
constexpr std::uint32_t D3DTS_TEXTURE2 = 18;
constexpr std::uint32_t D3DTS_TEXTURE3 = 19;
constexpr std::uint32_t D3DTS_WORLD = 256;

// ---- Flexible vertex format bits. Parts appear in a vertex in the order listed.
constexpr std::uint32_t D3DFVF_XYZ = 0x002;
constexpr std::uint32_t D3DFVF_NORMAL = 0x010;
constexpr std::uint32_t D3DFVF_DIFFUSE = 0x040;
constexpr std::uint32_t D3DFVF_SPECULAR = 0x080;
constexpr std::uint32_t D3DFVF_TEX0 = 0x000;
constexpr std::uint32_t D3DFVF_TEX1 = 0x100;
constexpr std::uint32_t D3DFVF_TEX2 = 0x200;
constexpr std::uint32_t D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr std::uint32_t D3DFVF_TEXCOUNT_SHIFT = 8;

// Bytes of one vertex of the given format: position 12, normal 12, diffuse 4, specular 4 and
// 8 per coordinate pair (the pair count is the D3DFVF_TEXCOUNT field, so TEX2 means two pairs).
constexpr std::uint32_t fvfVertexSize(std::uint32_t fvf) {
  std::uint32_t size = 0;
  if (fvf & D3DFVF_XYZ) size += 12;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  size += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  return size;
}

// ---- Buffer creation and locking.
constexpr std::uint32_t D3DUSAGE_RENDERTARGET = 0x001;
constexpr std::uint32_t D3DUSAGE_DEPTHSTENCIL = 0x002;
constexpr std::uint32_t D3DUSAGE_WRITEONLY = 0x008;
constexpr std::uint32_t D3DUSAGE_DYNAMIC = 0x200;

constexpr std::uint32_t D3DPOOL_DEFAULT = 0;
constexpr std::uint32_t D3DPOOL_MANAGED = 1;
constexpr std::uint32_t D3DPOOL_SYSTEMMEM = 2;

constexpr std::uint32_t D3DLOCK_READONLY = 0x0010;
constexpr std::uint32_t D3DLOCK_NOOVERWRITE = 0x1000;
constexpr std::uint32_t D3DLOCK_DISCARD = 0x2000;

// ---- Primitive types.
constexpr std::uint32_t D3DPT_POINTLIST = 1;
constexpr std::uint32_t D3DPT_LINELIST = 2;
constexpr std::uint32_t D3DPT_LINESTRIP = 3;
constexpr std::uint32_t D3DPT_TRIANGLELIST = 4;
constexpr std::uint32_t D3DPT_TRIANGLESTRIP = 5;
constexpr std::uint32_t D3DPT_TRIANGLEFAN = 6;

// ---- Clear flags.
constexpr std::uint32_t D3DCLEAR_TARGET = 0x1;
constexpr std::uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr std::uint32_t D3DCLEAR_STENCIL = 0x4;

// ---- Formats (D3DFORMAT).
constexpr std::uint32_t D3DFMT_UNKNOWN = 0;
constexpr std::uint32_t D3DFMT_R8G8B8 = 20;
constexpr std::uint32_t D3DFMT_A8R8G8B8 = 21;
constexpr std::uint32_t D3DFMT_X8R8G8B8 = 22;
constexpr std::uint32_t D3DFMT_R5G6B5 = 23;
constexpr std::uint32_t D3DFMT_D32 = 71;
constexpr std::uint32_t D3DFMT_D15S1 = 73;
constexpr std::uint32_t D3DFMT_D24S8 = 75;
constexpr std::uint32_t D3DFMT_D24X8 = 77;
constexpr std::uint32_t D3DFMT_D24X4S4 = 79;
constexpr std::uint32_t D3DFMT_D16 = 80;
constexpr std::uint32_t D3DFMT_INDEX16 = 101;

// ---- Capability bits (D3DCAPS8 fields).
constexpr std::uint32_t D3DCAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr std::uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr std::uint32_t D3DTEXOPCAPS_DISABLE = 0x00000001;
constexpr std::uint32_t D3DTEXOPCAPS_SELECTARG1 = 0x00000002;
constexpr std::uint32_t D3DTEXOPCAPS_SELECTARG2 = 0x00000004;
constexpr std::uint32_t D3DTEXOPCAPS_MODULATE = 0x00000008;
constexpr std::uint32_t D3DTEXOPCAPS_ADD = 0x00000040;
constexpr std::uint32_t D3DTEXOPCAPS_DOTPRODUCT3 = 0x00800000;

// ---- Device creation.
constexpr std::uint32_t D3DADAPTER_DEFAULT = 0;
constexpr std::uint32_t D3DDEVTYPE_HAL = 1;
constexpr std::uint32_t D3DRTYPE_SURFACE = 1;
constexpr std::uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr std::uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr std::uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;

// ---- Font drawing flags (DrawText format).
constexpr std::uint32_t DT_TOP = 0x000;
constexpr std::uint32_t DT_LEFT = 0x000;
constexpr std::uint32_t DT_NOCLIP = 0x100;
constexpr std::uint32_t DT_CALCRECT = 0x400;

// ---- Lights.
constexpr std::uint32_t D3DLIGHT_POINT = 1;
constexpr std::uint32_t D3DLIGHT_SPOT = 2;
constexpr std::uint32_t D3DLIGHT_DIRECTIONAL = 3;

// ---- Records.
struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
};

struct D3DVECTOR {
  float x = 0, y = 0, z = 0;
};

// A light. Attenuation is 1 / (Attenuation0 + Attenuation1·d + Attenuation2·d²); a point light
// does not reach beyond Range. Direction is the direction the light travels.
struct D3DLIGHT8 {
  std::uint32_t Type = D3DLIGHT_POINT;
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Ambient;
  D3DVECTOR Position;
  D3DVECTOR Direction;
  float Range = 0;
  float Falloff = 0;
  float Attenuation0 = 0;
  float Attenuation1 = 0;
  float Attenuation2 = 0;
  float Theta = 0;
  float Phi = 0;
};

struct D3DMATERIAL8 {
  D3DCOLORVALUE Diffuse;
  D3DCOLORVALUE Ambient;
  D3DCOLORVALUE Specular;
  D3DCOLORVALUE Emissive;
  float Power = 0;
};

// The capability fields the engine reads.
struct D3DCAPS8 {
  std::uint32_t DeviceType = D3DDEVTYPE_HAL;
  std::uint32_t AdapterOrdinal = 0;
  std::uint32_t Caps2 = 0;          // D3DCAPS2_*
  std::uint32_t DevCaps = 0;        // D3DDEVCAPS_*
  std::uint32_t TextureOpCaps = 0;  // D3DTEXOPCAPS_*
  std::uint32_t MaxTextureBlendStages = 0;
  std::uint32_t MaxSimultaneousTextures = 0;
  std::uint32_t MaxActiveLights = 0;
  std::uint32_t MaxTextureWidth = 0;
  std::uint32_t MaxTextureHeight = 0;
};

struct D3DDISPLAYMODE {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t RefreshRate = 0;
  std::uint32_t Format = D3DFMT_UNKNOWN;
};

// Windowed presentation: a back-buffer size of 0 takes the window's client size.
struct D3DPRESENT_PARAMETERS {
  std::uint32_t BackBufferWidth = 0;
  std::uint32_t BackBufferHeight = 0;
  std::uint32_t BackBufferFormat = D3DFMT_UNKNOWN;
  std::uint32_t BackBufferCount = 0;
  std::uint32_t SwapEffect = 0;
  bool Windowed = false;
  bool EnableAutoDepthStencil = false;
  std::uint32_t AutoDepthStencilFormat = D3DFMT_UNKNOWN;
};

struct D3DSURFACE_DESC {
  std::uint32_t Format = D3DFMT_UNKNOWN;
  std::uint32_t Usage = 0;
  std::uint32_t Pool = 0;
  std::uint32_t Size = 0;  // bytes
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
};

// A locked texture level: rows of Pitch bytes, each pixel 4 bytes in memory order B, G, R, A
// (a little-endian 32-bit ARGB value), top row first.
struct D3DLOCKED_RECT {
  int Pitch = 0;
  void* pBits = nullptr;
};

// A pixel rectangle; right and bottom are exclusive.
struct DeviceRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
