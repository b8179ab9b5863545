#include "device/GlStateTranslation.h"

#include "device/DeviceTypes.h"

namespace glstate {

GLenum blendFactor(std::uint32_t blend) {
  switch (blend) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum compareFunction(std::uint32_t cmp) {
  switch (cmp) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum stencilOperation(std::uint32_t op) {
  switch (op) {
    case D3DSTENCILOP_ZERO:
      return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
      return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
      return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
      return GL_DECR;
    case D3DSTENCILOP_INVERT:
      return GL_INVERT;
    case D3DSTENCILOP_INCR:
      return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
      return GL_DECR_WRAP;
    default:
      return GL_KEEP;
  }
}

GLint addressMode(std::uint32_t address) {
  switch (address) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    default:
      return GL_REPEAT;
  }
}

bool primitiveShape(std::uint32_t type, std::uint64_t count, GLenum& mode,
                    std::uint64_t& vertices) {
  switch (type) {
    case D3DPT_POINTLIST:
      mode = GL_POINTS;
      vertices = count;
      return true;
    case D3DPT_LINELIST:
      mode = GL_LINES;
      vertices = 2 * count;
      return true;
    case D3DPT_LINESTRIP:
      mode = GL_LINE_STRIP;
      vertices = count + 1;
      return true;
    case D3DPT_TRIANGLELIST:
      mode = GL_TRIANGLES;
      vertices = 3 * count;
      return true;
    case D3DPT_TRIANGLESTRIP:
      mode = GL_TRIANGLE_STRIP;
      vertices = count + 2;
      return true;
    case D3DPT_TRIANGLEFAN:
      mode = GL_TRIANGLE_FAN;
      vertices = count + 2;
      return true;
    default:
      return false;
  }
}

}  // namespace glstate
