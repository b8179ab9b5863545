#include "device/DeviceState.h"

void DeviceState::reset() {
  renderStates.fill(0);
  renderStates[D3DRS_ZENABLE] = D3DZB_TRUE;
  renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
  renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  renderStates[D3DRS_ZWRITEENABLE] = D3D_TRUE;
  renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates[D3DRS_ALPHABLENDENABLE] = D3D_FALSE;
  renderStates[D3DRS_SPECULARENABLE] = D3D_FALSE;
  renderStates[D3DRS_STENCILENABLE] = D3D_FALSE;
  renderStates[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  renderStates[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  renderStates[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  renderStates[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  renderStates[D3DRS_STENCILREF] = 0;
  renderStates[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
  renderStates[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  renderStates[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  renderStates[D3DRS_LIGHTING] = D3D_TRUE;
  renderStates[D3DRS_AMBIENT] = 0;
  renderStates[D3DRS_COLORVERTEX] = D3D_TRUE;
  renderStates[D3DRS_LOCALVIEWER] = D3D_TRUE;
  renderStates[D3DRS_NORMALIZENORMALS] = D3D_FALSE;
  renderStates[D3DRS_COLORWRITEENABLE] = 0xF;

  for (std::uint32_t stage = 0; stage < D3DMAX_TEXTURESTAGES; ++stage) {
    auto& s = stageStates[stage];
    s.fill(0);
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = stage;
    s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    s[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    s[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
  }

  for (auto& m : transforms) {
    m.fill(0.0f);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
  }
  lights.fill(D3DLIGHT8{});
  lightEnabled.fill(false);
  material = D3DMATERIAL8{};
  vertexShader = 0;
}

int DeviceState::transformSlot(std::uint32_t state) {
  switch (state) {
    case D3DTS_WORLD:
      return 0;
    case D3DTS_VIEW:
      return 1;
    case D3DTS_PROJECTION:
      return 2;
    case D3DTS_TEXTURE0:
      return 3;
    case D3DTS_TEXTURE1:
      return 4;
    case D3DTS_TEXTURE2:
      return 5;
    case D3DTS_TEXTURE3:
      return 6;
    default:
      return -1;
  }
}
