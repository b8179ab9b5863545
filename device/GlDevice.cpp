#include "device/GlDevice.h"

#include <dlfcn.h>
#include <epoxy/gl.h>
#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/Logger.h"
#include "device/GlFont.h"
#include "device/GlHeadlessContext.h"
#include "device/GlIndexBuffer.h"
#include "device/GlResource.h"
#include "device/GlStateTranslation.h"
#include "device/GlTexture.h"
#include "device/GlVertexBuffer.h"

// The C++ side of the shader's "FixedFunction" block (std140: every member is a vec4 or mat4,
// so the layout is tight). Matrices are in the device's row-vector form; GLSL reads them as the
// transposes, so "M * v" in the shaders is "v · M" here.
struct GlDevice::UniformBlock {
  float worldView[16];
  float normalMatrix[16];
  float projection[16];
  float textureMatrix[4][16];
  float materialDiffuse[4];
  float materialAmbient[4];
  float materialSpecular[4];
  float materialEmissive[4];
  float globalAmbient[4];
  float textureFactor[4];
  float parameters[4];  // x power, y alpha reference (0..255)
  float lightDiffuse[kDeviceMaxLights][4];
  float lightSpecular[kDeviceMaxLights][4];
  float lightAmbient[kDeviceMaxLights][4];
  float lightPosition[kDeviceMaxLights][4];     // eye space; w: 0 off, else the light type
  float lightDirection[kDeviceMaxLights][4];    // eye space, unit, the direction light travels
  float lightAttenuation[kDeviceMaxLights][4];  // a0, a1, a2, range
};
static_assert(sizeof(float) * 332 == 1328);

namespace {

// c = a · b for row-major 4 × 4 matrices.
void multiply(const float* a, const float* b, float* c) {
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) {
      float sum = 0;
      for (int i = 0; i < 4; ++i) sum += a[r * 4 + i] * b[i * 4 + k];
      c[r * 4 + k] = sum;
    }
}

// The inverse transpose of m's 3 × 3 block, widened to 4 × 4 (identity when m is singular).
void normalMatrixOf(const float* m, float* out) {
  const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
              i = m[10];
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float determinant = a * A + b * B + c * C;
  std::fill(out, out + 16, 0.0f);
  out[15] = 1.0f;
  if (std::fabs(determinant) < 1e-20f) {
    out[0] = out[5] = out[10] = 1.0f;
    return;
  }
  const float s = 1.0f / determinant;
  // Cofactor matrix over the determinant is the inverse transpose.
  out[0] = A * s;
  out[1] = B * s;
  out[2] = C * s;
  out[4] = -(b * i - c * h) * s;
  out[5] = (a * i - c * g) * s;
  out[6] = -(a * h - b * g) * s;
  out[8] = (b * f - c * e) * s;
  out[9] = -(a * f - c * d) * s;
  out[10] = (a * e - b * d) * s;
}

void colorToFloats(std::uint32_t argb, float* out) {
  out[0] = float((argb >> 16) & 0xFF) / 255.0f;
  out[1] = float((argb >> 8) & 0xFF) / 255.0f;
  out[2] = float(argb & 0xFF) / 255.0f;
  out[3] = float(argb >> 24) / 255.0f;
}

void copyColor(const D3DCOLORVALUE& c, float* out) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

bool ownedBy(const GlResource* resource, const GlDevice* device) {
  return resource && resource->owner() == device;
}

bool isDepthFormatSupported(std::uint32_t format) {
  return format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D16 ||
         format == D3DFMT_D32;
}

// Mesa loads its driver ("..._dri.so") when a display is opened and unloads it when the display
// closes (the last headless device, or the window going). What the driver allocated once on
// loading then stays behind with nothing pointing to it, and the next device loads it, and its
// LLVM, again. Marking the loaded driver as never to be unloaded keeps it, and what it allocated,
// for the life of the process.
void keepGraphicsDriverLoaded() {
  static bool kept = false;
  if (kept) return;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        const char* name = info->dlpi_name;
        const std::size_t length = name ? std::strlen(name) : 0;
        if (length > 7 && std::strcmp(name + length - 7, "_dri.so") == 0) {
          if (void* handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE)) {
            kept = true;
            dlclose(handle);  // drops the reference just taken; the module stays
          }
        }
        return 0;
      },
      nullptr);
}

}  // namespace

// ---- Creation.

GlDevice::GlDevice(int width, int height)
    : windowWidth(width), windowHeight(height), block(std::make_unique<UniformBlock>()) {
  std::memset(block.get(), 0, sizeof(UniformBlock));
}

RefPtr<GlDevice> GlDevice::createHeadless(int width, int height, bool useClipControl) {
  if (width <= 0 || height <= 0) return nullptr;
  auto context = GlHeadlessContext::create();
  if (!context) return nullptr;
  RefPtr<GlDevice> device = new GlDevice(width, height);
  device->headless = std::move(context);
  if (!device->initialiseGl(useClipControl)) return nullptr;
  return device;
}

RefPtr<GlDevice> GlDevice::createForCurrentContext(int width, int height,
                                                   std::function<void()> swapBuffers,
                                                   bool useClipControl) {
  if (width <= 0 || height <= 0) return nullptr;
  RefPtr<GlDevice> device = new GlDevice(width, height);
  device->swap = std::move(swapBuffers);
  if (!device->initialiseGl(useClipControl)) return nullptr;
  return device;
}

bool GlDevice::initialiseGl(bool useClipControl) {
  keepGraphicsDriverLoaded();
  if (epoxy_gl_version() < 33) {
    Logger::instance().line(2) << "OpenGL 3.3 is not available" << std::endl;
    return false;
  }
  clipControl =
      useClipControl && (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"));
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  if (size > 0) maxTextureSize = size;

  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &uniformBuffer);
  glBindBuffer(GL_UNIFORM_BUFFER, uniformBuffer);
  glBufferData(GL_UNIFORM_BUFFER, sizeof(UniformBlock), nullptr, GL_DYNAMIC_DRAW);
  glBindBufferBase(GL_UNIFORM_BUFFER, 0, uniformBuffer);
  glGenSamplers(GLsizei(samplers.size()), samplers.data());
  return true;
}

GlDevice::~GlDevice() {
  if (headless) headless->makeCurrent();
  for (auto& texture : textures) texture.reset();
  stream.reset();
  indexBuffer.reset();
  // Objects still held elsewhere lose their GL side now, while the context exists.
  for (GlResource* resource : std::vector<GlResource*>(resources.begin(), resources.end()))
    resource->detach();
  resources.clear();
  shaders.freeGl();
  freeBackBuffer();
  if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
  if (uniformBuffer) glDeleteBuffers(1, &uniformBuffer);
  glDeleteSamplers(GLsizei(samplers.size()), samplers.data());
}

bool GlDevice::createBackBuffer(int width, int height, std::uint32_t depthFormat) {
  freeBackBuffer();
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glGenRenderbuffers(1, &colorBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer);
  if (depthFormat != D3DFMT_UNKNOWN) {
    GLenum internal = GL_DEPTH24_STENCIL8;
    GLenum attachment = GL_DEPTH_STENCIL_ATTACHMENT;
    switch (depthFormat) {
      case D3DFMT_D24X8:
        internal = GL_DEPTH_COMPONENT24;
        attachment = GL_DEPTH_ATTACHMENT;
        break;
      case D3DFMT_D16:
        internal = GL_DEPTH_COMPONENT16;
        attachment = GL_DEPTH_ATTACHMENT;
        break;
      case D3DFMT_D32:
        internal = GL_DEPTH_COMPONENT32;
        attachment = GL_DEPTH_ATTACHMENT;
        break;
      default:
        break;
    }
    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, internal, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depthBuffer);
  }
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    freeBackBuffer();
    return false;
  }
  bufferWidth = width;
  bufferHeight = height;
  glViewport(0, 0, width, height);
  return true;
}

void GlDevice::freeBackBuffer() {
  if (framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
  }
  if (colorBuffer) glDeleteRenderbuffers(1, &colorBuffer);
  if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
  framebuffer = colorBuffer = depthBuffer = 0;
}

bool GlDevice::resizeWindow(int width, int height) {
  makeCurrent();
  if (width <= 0 || height <= 0) return false;
  windowWidth = width;
  windowHeight = height;
  if (!created || !followsWindow) return true;
  return createBackBuffer(width, height, depthStencilFormat);
}

// ---- Queries.

int GlDevice::getDeviceCaps(std::uint32_t adapter, std::uint32_t deviceType, D3DCAPS8& caps) {
  if (adapter != 0 || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  caps = D3DCAPS8{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.AdapterOrdinal = 0;
  caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
  caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                       D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_DOTPRODUCT3;
  caps.MaxTextureBlendStages = D3DMAX_TEXTURESTAGES;
  caps.MaxSimultaneousTextures = D3DMAX_TEXTURESTAGES;
  caps.MaxActiveLights = kDeviceMaxLights;
  caps.MaxTextureWidth = std::uint32_t(maxTextureSize);
  caps.MaxTextureHeight = std::uint32_t(maxTextureSize);
  return D3D_OK;
}

int GlDevice::getDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  mode.Width = std::uint32_t(windowWidth);
  mode.Height = std::uint32_t(windowHeight);
  mode.RefreshRate = 60;
  mode.Format = D3DFMT_X8R8G8B8;
  return D3D_OK;
}

int GlDevice::checkDepthStencilFormat(std::uint32_t adapter, std::uint32_t deviceType,
                                      std::uint32_t displayFormat, std::uint32_t depthFormat) {
  if (adapter != 0 || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if (displayFormat != D3DFMT_X8R8G8B8 || !isDepthFormatSupported(depthFormat))
    return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

int GlDevice::createDevice(std::uint32_t adapter, std::uint32_t deviceType, std::uint32_t,
                           const D3DPRESENT_PARAMETERS& params) {
  makeCurrent();
  if (created || adapter != 0 || deviceType != D3DDEVTYPE_HAL || !params.Windowed)
    return D3DERR_INVALIDCALL;
  if (params.BackBufferFormat != D3DFMT_UNKNOWN && params.BackBufferFormat != D3DFMT_X8R8G8B8 &&
      params.BackBufferFormat != D3DFMT_A8R8G8B8)
    return D3DERR_INVALIDCALL;
  std::uint32_t depth = D3DFMT_UNKNOWN;
  if (params.EnableAutoDepthStencil) {
    if (!isDepthFormatSupported(params.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
    depth = params.AutoDepthStencilFormat;
  }
  followsWindow = params.BackBufferWidth == 0 || params.BackBufferHeight == 0;
  const int width = followsWindow ? windowWidth : int(params.BackBufferWidth);
  const int height = followsWindow ? windowHeight : int(params.BackBufferHeight);
  if (!createBackBuffer(width, height, depth)) return D3DERR_OUTOFVIDEOMEMORY;
  depthStencilFormat = depth;
  hasStencil = depth == D3DFMT_D24S8;
  created = true;

  state.reset();
  state.renderStates[D3DRS_ZENABLE] = depth != D3DFMT_UNKNOWN ? D3DZB_TRUE : D3DZB_FALSE;
  if (clipControl) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  // Direct3D's front faces are clockwise on screen; the last vertex must not decide flat colour.
  glFrontFace(GL_CW);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glDisable(GL_DITHER);
  invalidateGlState();
  return D3D_OK;
}

std::uint32_t GlDevice::takeGlError() {
  makeCurrent();
  GLenum first = glGetError();
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
  return first;
}

void GlDevice::makeCurrent() {
  if (headless) headless->makeCurrent();
}

void GlDevice::invalidateGlState() {
  programDirty = uniformsDirty = rasterDirty = layoutDirty = indicesDirty = true;
  vertexArrayDirty = true;
  haveLastKey = false;
  currentProgram = 0;
  textureDirty = samplerDirty = 0xF;
}

// ---- Frame.

int GlDevice::clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) {
  makeCurrent();
  if (!created) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && !hasStencil) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && depthStencilFormat == D3DFMT_UNKNOWN) return D3DERR_INVALIDCALL;
  GLbitfield mask = 0;
  // A clear writes whatever the write masks say, as on the platform.
  if (flags & D3DCLEAR_TARGET) {
    float c[4];
    colorToFloats(color, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glDepthMask(GL_TRUE);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_STENCIL) {
    glClearStencil(GLint(stencil & 0xFF));
    glStencilMask(0xFF);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  if (mask) glClear(mask);
  rasterDirty = true;
  return D3D_OK;
}

int GlDevice::beginScene() {
  if (!created || inScene) return D3DERR_INVALIDCALL;
  inScene = true;
  return D3D_OK;
}

int GlDevice::endScene() {
  if (!created || !inScene) return D3DERR_INVALIDCALL;
  inScene = false;
  return D3D_OK;
}

int GlDevice::present() {
  makeCurrent();
  if (!created) return D3DERR_INVALIDCALL;
  if (swap) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // A context without a window surface has no framebuffer 0 to show the frame in.
    if (glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
      glBlitFramebuffer(0, 0, bufferWidth, bufferHeight, 0, 0, windowWidth, windowHeight,
                        GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    swap();
  } else {
    glFlush();
  }
  return D3D_OK;
}

int GlDevice::readFrame(std::vector<std::uint8_t>& rgba, int& width, int& height) {
  makeCurrent();
  if (!created) return D3DERR_INVALIDCALL;
  width = bufferWidth;
  height = bufferHeight;
  const std::size_t row = std::size_t(width) * 4;
  rgba.resize(row * std::size_t(height));
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  // GL's rows run bottom up.
  for (int y = 0; y < height / 2; ++y) {
    std::uint8_t* top = rgba.data() + std::size_t(y) * row;
    std::uint8_t* bottom = rgba.data() + std::size_t(height - 1 - y) * row;
    std::swap_ranges(top, top + row, bottom);
  }
  return D3D_OK;
}

// ---- State.

int GlDevice::setRenderState(std::uint32_t s, std::uint32_t value) {
  if (!created || s >= D3DRS_STATECOUNT) return D3DERR_INVALIDCALL;
  if (state.renderStates[s] == value) return D3D_OK;
  state.renderStates[s] = value;
  switch (s) {
    case D3DRS_LIGHTING:
    case D3DRS_SPECULARENABLE:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_SHADEMODE:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
      programDirty = true;
      break;
    case D3DRS_AMBIENT:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_ALPHAREF:
      uniformsDirty = true;
      break;
    default:
      rasterDirty = true;
      break;
  }
  return D3D_OK;
}

int GlDevice::getRenderState(std::uint32_t s, std::uint32_t& value) {
  if (!created || s >= D3DRS_STATECOUNT) return D3DERR_INVALIDCALL;
  value = state.renderStates[s];
  return D3D_OK;
}

int GlDevice::setTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) {
  if (!created || stage >= D3DMAX_TEXTURESTAGES || type >= D3DTSS_STATECOUNT)
    return D3DERR_INVALIDCALL;
  if (state.stageStates[stage][type] == value) return D3D_OK;
  state.stageStates[stage][type] = value;
  switch (type) {
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
      samplerDirty |= 1u << stage;
      break;
    default:
      programDirty = true;
      break;
  }
  return D3D_OK;
}

int GlDevice::getTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t& value) {
  if (!created || stage >= D3DMAX_TEXTURESTAGES || type >= D3DTSS_STATECOUNT)
    return D3DERR_INVALIDCALL;
  value = state.stageStates[stage][type];
  return D3D_OK;
}

int GlDevice::setTexture(std::uint32_t stage, DeviceTexture* texture) {
  if (!created || stage >= D3DMAX_TEXTURESTAGES) return D3DERR_INVALIDCALL;
  // Only this device's own objects: another context's GL names mean nothing here.
  if (texture && !ownedBy(dynamic_cast<GlTexture*>(texture), this)) return D3DERR_INVALIDCALL;
  if (textures[stage].get() == texture) return D3D_OK;
  if ((textures[stage].get() == nullptr) != (texture == nullptr)) programDirty = true;
  textures[stage] = texture;
  textureDirty |= 1u << stage;
  return D3D_OK;
}

int GlDevice::setTransform(std::uint32_t s, const float matrix[16]) {
  const int slot = DeviceState::transformSlot(s);
  if (!created || slot < 0 || !matrix) return D3DERR_INVALIDCALL;
  std::copy(matrix, matrix + 16, state.transforms[slot].begin());
  uniformsDirty = true;
  return D3D_OK;
}

int GlDevice::getTransform(std::uint32_t s, float matrix[16]) {
  const int slot = DeviceState::transformSlot(s);
  if (!created || slot < 0 || !matrix) return D3DERR_INVALIDCALL;
  std::copy(state.transforms[slot].begin(), state.transforms[slot].end(), matrix);
  return D3D_OK;
}

int GlDevice::setLight(std::uint32_t index, const D3DLIGHT8& light) {
  if (!created || index >= kDeviceMaxLights) return D3DERR_INVALIDCALL;
  if (light.Type != D3DLIGHT_POINT && light.Type != D3DLIGHT_DIRECTIONAL &&
      light.Type != D3DLIGHT_SPOT)
    return D3DERR_INVALIDCALL;
  state.lights[index] = light;
  uniformsDirty = true;
  return D3D_OK;
}

int GlDevice::lightEnable(std::uint32_t index, bool enable) {
  if (!created || index >= kDeviceMaxLights) return D3DERR_INVALIDCALL;
  if (state.lightEnabled[index] != enable) {
    state.lightEnabled[index] = enable;
    uniformsDirty = true;
  }
  return D3D_OK;
}

int GlDevice::setMaterial(const D3DMATERIAL8& material) {
  if (!created) return D3DERR_INVALIDCALL;
  state.material = material;
  uniformsDirty = true;
  return D3D_OK;
}

// ---- Geometry.

int GlDevice::createVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                 std::uint32_t pool, RefPtr<DeviceVertexBuffer>& buffer) {
  makeCurrent();
  buffer.reset();
  if (!created || length == 0) return D3DERR_INVALIDCALL;
  auto* made = new GlVertexBuffer(this, length, usage, fvf, pool);
  buffer = made;
  if (!made->glName()) {
    buffer.reset();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

int GlDevice::createIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                std::uint32_t pool, RefPtr<DeviceIndexBuffer>& buffer) {
  makeCurrent();
  buffer.reset();
  if (!created || length < 2 || format != D3DFMT_INDEX16) return D3DERR_INVALIDCALL;
  auto* made = new GlIndexBuffer(this, length, usage, pool);
  buffer = made;
  if (!made->glName()) {
    buffer.reset();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

int GlDevice::setStreamSource(std::uint32_t streamNumber, DeviceVertexBuffer* buffer,
                              std::uint32_t strideBytes) {
  if (!created || streamNumber != 0) return D3DERR_INVALIDCALL;
  if (buffer && !ownedBy(dynamic_cast<GlVertexBuffer*>(buffer), this)) return D3DERR_INVALIDCALL;
  stream = buffer;
  stride = strideBytes;
  layoutDirty = true;
  return D3D_OK;
}

int GlDevice::setIndices(DeviceIndexBuffer* buffer, std::uint32_t baseVertexIndex) {
  if (!created) return D3DERR_INVALIDCALL;
  if (buffer && !ownedBy(dynamic_cast<GlIndexBuffer*>(buffer), this)) return D3DERR_INVALIDCALL;
  indexBuffer = buffer;
  baseVertex = baseVertexIndex;
  indicesDirty = true;
  return D3D_OK;
}

int GlDevice::setVertexShader(std::uint32_t fvf) {
  if (!created) return D3DERR_INVALIDCALL;
  if (state.vertexShader != fvf) {
    state.vertexShader = fvf;
    layoutDirty = programDirty = true;
  }
  return D3D_OK;
}

std::uint32_t GlDevice::streamVertexCount() const {
  const std::uint32_t size = fvfVertexSize(state.vertexShader);
  if (!stream || stride == 0 || stream->length() < size) return 0;
  return (stream->length() - size) / stride + 1;
}

GlProgramKey GlDevice::currentKey() const {
  GlProgramKey key;
  const std::uint32_t fvf = state.vertexShader;
  const auto& rs = state.renderStates;
  std::uint8_t layout = 0;
  if (fvf & D3DFVF_NORMAL) layout |= glkey::kNormal;
  if (fvf & D3DFVF_DIFFUSE) layout |= glkey::kDiffuse;
  if (fvf & D3DFVF_SPECULAR) layout |= glkey::kSpecular;
  const std::uint32_t sets =
      std::min<std::uint32_t>(2, (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  layout |= std::uint8_t(sets << 4);
  std::uint8_t switches = 0;
  if (rs[D3DRS_LIGHTING]) switches |= glkey::kLighting;
  if (rs[D3DRS_SPECULARENABLE]) switches |= glkey::kSpecularEnable;
  if (rs[D3DRS_NORMALIZENORMALS]) switches |= glkey::kNormalize;
  if (rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT) switches |= glkey::kFlat;
  if (rs[D3DRS_COLORVERTEX]) switches |= glkey::kColorVertex;
  if (rs[D3DRS_LOCALVIEWER]) switches |= glkey::kLocalViewer;
  key.bytes[0] = layout;
  key.bytes[1] = switches;
  const std::uint32_t alphaFunc = rs[D3DRS_ALPHAFUNC];
  key.bytes[2] =
      rs[D3DRS_ALPHATESTENABLE] && alphaFunc != D3DCMP_ALWAYS ? std::uint8_t(alphaFunc) : 0;
  std::uint8_t stages = 0;
  for (std::uint32_t s = 0; s < D3DMAX_TEXTURESTAGES; ++s) {
    const auto& ss = state.stageStates[s];
    if (ss[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    std::uint8_t* p = key.bytes.data() + 4 + s * GlProgramKey::kStageBytes;
    p[0] = std::uint8_t(ss[D3DTSS_COLOROP]);
    p[1] = std::uint8_t(ss[D3DTSS_COLORARG1]);
    p[2] = std::uint8_t(ss[D3DTSS_COLORARG2]);
    p[3] = std::uint8_t(ss[D3DTSS_ALPHAOP]);
    p[4] = std::uint8_t(ss[D3DTSS_ALPHAARG1]);
    p[5] = std::uint8_t(ss[D3DTSS_ALPHAARG2]);
    const std::uint32_t tci = ss[D3DTSS_TEXCOORDINDEX];
    p[6] = std::uint8_t((tci & 0x7) | (((tci >> 16) & 0x3) << 4));
    const std::uint32_t ttff = ss[D3DTSS_TEXTURETRANSFORMFLAGS];
    p[7] = std::uint8_t((ttff & 0x7) | ((ttff & D3DTTFF_PROJECTED) ? 8 : 0));
    p[8] = textures[s] ? 1 : 0;
    ++stages;
  }
  key.bytes[3] = stages;
  return key;
}

void GlDevice::uploadUniforms() {
  UniformBlock& b = *block;
  const float* world = state.transforms[0].data();
  const float* view = state.transforms[1].data();
  multiply(world, view, b.worldView);
  normalMatrixOf(b.worldView, b.normalMatrix);
  std::copy(state.transforms[2].begin(), state.transforms[2].end(), b.projection);
  if (!clipControl) {
    // Depth 0..1 to GL's −1..1: z' = 2z − w.
    for (int r = 0; r < 4; ++r)
      b.projection[r * 4 + 2] = 2 * b.projection[r * 4 + 2] - b.projection[r * 4 + 3];
  }
  for (int s = 0; s < 4; ++s)
    std::copy(state.transforms[3 + s].begin(), state.transforms[3 + s].end(), b.textureMatrix[s]);
  copyColor(state.material.Diffuse, b.materialDiffuse);
  copyColor(state.material.Ambient, b.materialAmbient);
  copyColor(state.material.Specular, b.materialSpecular);
  copyColor(state.material.Emissive, b.materialEmissive);
  colorToFloats(state.renderStates[D3DRS_AMBIENT], b.globalAmbient);
  colorToFloats(state.renderStates[D3DRS_TEXTUREFACTOR], b.textureFactor);
  b.parameters[0] = state.material.Power;
  b.parameters[1] = float(state.renderStates[D3DRS_ALPHAREF] & 0xFF);
  for (std::uint32_t i = 0; i < kDeviceMaxLights; ++i) {
    const D3DLIGHT8& light = state.lights[i];
    float* position = b.lightPosition[i];
    float* direction = b.lightDirection[i];
    std::fill(position, position + 4, 0.0f);
    std::fill(direction, direction + 4, 0.0f);
    if (!state.lightEnabled[i]) continue;
    copyColor(light.Diffuse, b.lightDiffuse[i]);
    copyColor(light.Specular, b.lightSpecular[i]);
    copyColor(light.Ambient, b.lightAmbient[i]);
    if (light.Type == D3DLIGHT_DIRECTIONAL) {
      const float d[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
      float e[3];
      for (int k = 0; k < 3; ++k) e[k] = d[0] * view[k] + d[1] * view[4 + k] + d[2] * view[8 + k];
      const float length = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
      if (length <= 0) continue;
      for (int k = 0; k < 3; ++k) direction[k] = e[k] / length;
      position[3] = float(D3DLIGHT_DIRECTIONAL);
    } else {
      // Spot lights are lit as point lights.
      const float p[3] = {light.Position.x, light.Position.y, light.Position.z};
      for (int k = 0; k < 3; ++k)
        position[k] = p[0] * view[k] + p[1] * view[4 + k] + p[2] * view[8 + k] + view[12 + k];
      position[3] = float(D3DLIGHT_POINT);
    }
    b.lightAttenuation[i][0] = light.Attenuation0;
    b.lightAttenuation[i][1] = light.Attenuation1;
    b.lightAttenuation[i][2] = light.Attenuation2;
    b.lightAttenuation[i][3] = light.Range;
  }
  glBindBuffer(GL_UNIFORM_BUFFER, uniformBuffer);
  glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(UniformBlock), &b);
  glBindBufferBase(GL_UNIFORM_BUFFER, 0, uniformBuffer);
  ++uniformUploads;
}

void GlDevice::applyRasterState() {
  const auto& rs = state.renderStates;
  if (rs[D3DRS_ALPHABLENDENABLE]) {
    glEnable(GL_BLEND);
    glBlendFunc(glstate::blendFactor(rs[D3DRS_SRCBLEND]), glstate::blendFactor(rs[D3DRS_DESTBLEND]));
  } else {
    glDisable(GL_BLEND);
  }
  switch (rs[D3DRS_FILLMODE]) {
    case D3DFILL_POINT:
      glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
      break;
    case D3DFILL_WIREFRAME:
      glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      break;
    default:
      glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      break;
  }
  const bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencilFormat != D3DFMT_UNKNOWN;
  if (depth) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(glstate::compareFunction(rs[D3DRS_ZFUNC]));
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
  if (rs[D3DRS_STENCILENABLE] && hasStencil) {
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(glstate::compareFunction(rs[D3DRS_STENCILFUNC]), GLint(rs[D3DRS_STENCILREF] & 0xFF),
                  rs[D3DRS_STENCILMASK]);
    glStencilOp(glstate::stencilOperation(rs[D3DRS_STENCILFAIL]), glstate::stencilOperation(rs[D3DRS_STENCILZFAIL]),
                glstate::stencilOperation(rs[D3DRS_STENCILPASS]));
    glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
  } else {
    glDisable(GL_STENCIL_TEST);
  }
  const std::uint32_t writes = rs[D3DRS_COLORWRITEENABLE];
  glColorMask(writes & D3DCOLORWRITEENABLE_RED ? GL_TRUE : GL_FALSE,
              writes & D3DCOLORWRITEENABLE_GREEN ? GL_TRUE : GL_FALSE,
              writes & D3DCOLORWRITEENABLE_BLUE ? GL_TRUE : GL_FALSE,
              writes & D3DCOLORWRITEENABLE_ALPHA ? GL_TRUE : GL_FALSE);
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    default:
      glDisable(GL_CULL_FACE);
      break;
  }
}

void GlDevice::applySamplers() {
  for (std::uint32_t s = 0; s < D3DMAX_TEXTURESTAGES; ++s) {
    if (!(samplerDirty & (1u << s))) continue;
    const auto& ss = state.stageStates[s];
    const GLuint sampler = samplers[s];
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, glstate::addressMode(ss[D3DTSS_ADDRESSU]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, glstate::addressMode(ss[D3DTSS_ADDRESSV]));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                        ss[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                        ss[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    float border[4];
    colorToFloats(ss[D3DTSS_BORDERCOLOR], border);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    glBindSampler(s, sampler);
  }
  samplerDirty = 0;
}

bool GlDevice::prepareDraw() {
  const std::uint32_t fvf = state.vertexShader;
  if (!stream || !(fvf & D3DFVF_XYZ) || stride < fvfVertexSize(fvf)) return false;

  if (programDirty) {
    const GlProgramKey key = currentKey();
    if (!haveLastKey || !(key == lastKey)) {
      lastKey = key;
      haveLastKey = true;
      const std::uint32_t program = shaders.program(key);
      if (program != currentProgram) {
        glUseProgram(program);
        currentProgram = program;
      }
    }
    programDirty = false;
  }
  if (!currentProgram) return false;
  if (uniformsDirty) {
    uploadUniforms();
    uniformsDirty = false;
  }
  if (rasterDirty) {
    applyRasterState();
    rasterDirty = false;
  }
  if (samplerDirty) applySamplers();
  if (textureDirty) {
    for (std::uint32_t s = 0; s < D3DMAX_TEXTURESTAGES; ++s) {
      if (!(textureDirty & (1u << s))) continue;
      glActiveTexture(GL_TEXTURE0 + s);
      auto* texture = static_cast<GlTexture*>(textures[s].get());
      glBindTexture(GL_TEXTURE_2D, texture ? texture->glName() : 0);
    }
    textureDirty = 0;
  }
  if (vertexArrayDirty) {
    glBindVertexArray(vertexArray);
    vertexArrayDirty = false;
    layoutDirty = indicesDirty = true;
  }
  if (layoutDirty) {
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GlVertexBuffer*>(stream.get())->glName());
    std::uintptr_t offset = 0;
    auto attribute = [&](GLuint location, bool present, GLint size, GLenum type, GLboolean norm,
                         std::uint32_t bytes) {
      if (present) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, type, norm, GLsizei(stride),
                              reinterpret_cast<const void*>(offset));
        offset += bytes;
      } else {
        glDisableVertexAttribArray(location);
      }
    };
    const std::uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    attribute(0, true, 3, GL_FLOAT, GL_FALSE, 12);
    attribute(1, fvf & D3DFVF_NORMAL, 3, GL_FLOAT, GL_FALSE, 12);
    // ARGB colours lie in memory as B, G, R, A; GL_BGRA reads them in that order.
    attribute(2, fvf & D3DFVF_DIFFUSE, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    attribute(3, fvf & D3DFVF_SPECULAR, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    attribute(4, sets >= 1, 2, GL_FLOAT, GL_FALSE, 8);
    attribute(5, sets >= 2, 2, GL_FLOAT, GL_FALSE, 8);
    layoutDirty = false;
  }
  if (indicesDirty) {
    auto* indices = static_cast<GlIndexBuffer*>(indexBuffer.get());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices ? indices->glName() : 0);
    indicesDirty = false;
  }
  return true;
}

int GlDevice::drawPrimitive(std::uint32_t primitiveType, std::uint32_t startVertex,
                            std::uint32_t primitiveCount) {
  makeCurrent();
  if (!created || !inScene) return D3DERR_INVALIDCALL;
  GLenum mode;
  std::uint64_t vertices;
  if (!glstate::primitiveShape(primitiveType, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  // Every vertex drawn must lie inside the bound buffer.
  if (startVertex + vertices > streamVertexCount()) return D3DERR_INVALIDCALL;
  if (!prepareDraw()) return D3DERR_INVALIDCALL;
  glDrawArrays(mode, GLint(startVertex), GLsizei(vertices));
  ++drawCalls;
  return D3D_OK;
}

int GlDevice::drawIndexedPrimitive(std::uint32_t primitiveType, std::uint32_t, std::uint32_t,
                                   std::uint32_t startIndex, std::uint32_t primitiveCount) {
  makeCurrent();
  if (!created || !inScene || !indexBuffer) return D3DERR_INVALIDCALL;
  GLenum mode;
  std::uint64_t count;
  if (!glstate::primitiveShape(primitiveType, primitiveCount, mode, count)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  auto* indices = static_cast<GlIndexBuffer*>(indexBuffer.get());
  if (startIndex + count > indices->indexCount()) return D3DERR_INVALIDCALL;
  // Indices pointing past the vertex buffer would read outside it: refuse the draw.
  const std::uint64_t available = streamVertexCount();
  if (baseVertex + std::uint64_t(indices->largestIndex()) >= available &&
      baseVertex + std::uint64_t(indices->largestIndex(startIndex, std::uint32_t(count))) >= available)
    return D3DERR_INVALIDCALL;
  if (!prepareDraw()) return D3DERR_INVALIDCALL;
  glDrawElementsBaseVertex(mode, GLsizei(count), GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(std::uintptr_t(startIndex) * 2),
                           GLint(baseVertex));
  ++drawCalls;
  return D3D_OK;
}

// ---- Resources.

int GlDevice::createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                            RefPtr<DeviceTexture>& texture) {
  makeCurrent();
  texture.reset();
  if (!created || width == 0 || height == 0 || width > std::uint32_t(maxTextureSize) ||
      height > std::uint32_t(maxTextureSize))
    return D3DERR_INVALIDCALL;
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  auto* made = new GlTexture(this, width, height, format);
  texture = made;
  if (!made->glName()) {
    texture.reset();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  textureDirty = 0xF;  // the upload unit's binding moved
  return D3D_OK;
}

int GlDevice::createFont(const std::string& faceName, int heightPixels, RefPtr<DeviceFont>& font) {
  makeCurrent();
  font.reset();
  if (!created) return D3DERR_INVALIDCALL;
  RefPtr<GlFont> made = GlFont::create(this, faceName, heightPixels);
  if (!made) return D3DERR_INVALIDCALL;
  font = made.get();
  return D3D_OK;
}
