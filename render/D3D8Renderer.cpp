#include "render/D3D8Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <utility>
#include <vector>

#include "engine/Light.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/ParticleEmitter.h"
#include "engine/ShadowVolume.h"
#include "foundation/FrameStats.h"
#include "foundation/Logger.h"
#include "render/DeviceCaps.h"
#include "render/HardwareMesh.h"

namespace {

D3D8Renderer::ExitHandler& exitHandler() {
  static D3D8Renderer::ExitHandler handler = [](int code) { std::exit(code); };
  return handler;
}

std::uint64_t nextSerial() {
  static std::uint64_t last = 0;
  return ++last;
}

// Renderers alive now, by serial; there is one in the program, a few in tests. Never destroyed,
// so a renderer released by an exit handler can still take itself off the list.
std::vector<std::pair<std::uint64_t, D3D8Renderer*>>& liveRenderers() {
  static auto* live = new std::vector<std::pair<std::uint64_t, D3D8Renderer*>>();
  return *live;
}

void transpose(const float in[16], float out[16]) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) out[c * 4 + r] = in[r * 4 + c];
  }
}

D3DCOLORVALUE colorValue(const Color& color) {
  float rgba[4];
  color.toFloats(rgba);
  D3DCOLORVALUE value;
  value.r = rgba[0];
  value.g = rgba[1];
  value.b = rgba[2];
  value.a = rgba[3];
  return value;
}

// Bytes of one particle corner: position, ARGB colour, (u, v).
struct ParticleVertex {
  float x, y, z;
  std::uint32_t color;
  float u, v;
};
static_assert(sizeof(ParticleVertex) == 24);

constexpr std::uint32_t kParticlesPerBatch = D3D8Renderer::kParticleBatchVertices / 4;

}  // namespace

void D3D8Renderer::setExitHandler(ExitHandler handler) { exitHandler() = std::move(handler); }

void D3D8Renderer::restoreExitHandler() {
  exitHandler() = [](int code) { std::exit(code); };
}

D3D8Renderer::D3D8Renderer(RefPtr<GraphicsDevice> device, const Color& clearColor)
    : Renderer(clearColor), graphics(std::move(device)), serial(nextSerial()) {
  liveRenderers().emplace_back(serial, this);
  Logger& log = Logger::instance();
  log.line(1) << "Initializing Direct3D ..." << std::endl;
  if (!graphics) return;
  log.line(1) << "Obtained Direct3D interface." << std::endl;
  if (!createDevice()) return;
  log.line(1) << "Created Direct3D device." << std::endl;
  createFont();
  if (font) {
    log.line(1) << "Created print font." << std::endl;
    log.line(1) << "Direct3D initialization complete." << std::endl;
  }

  // Every selector unknown, so the defaults reach the device once.
  for (int i = 0; i < kSelectorCount; ++i) cache[i] = kUnknownSelector;
  applyRenderFlags(RenderFlags());

  graphics->createVertexBuffer(kShadowBatchVertices * fvfVertexSize(D3DFVF_XYZ),
                               D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                               shadowBatch);
  graphics->createVertexBuffer(kParticleBatchVertices * fvfVertexSize(kParticleFormat),
                               D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kParticleFormat,
                               D3DPOOL_DEFAULT, particleBatch);
}

D3D8Renderer::~D3D8Renderer() {
  shutDown();
  auto& live = liveRenderers();
  live.erase(std::remove_if(live.begin(), live.end(), [this](const auto& entry) { return entry.second == this; }),
             live.end());
}

D3D8Renderer* D3D8Renderer::withSerial(std::uint64_t wanted) {
  for (const auto& [number, renderer] : liveRenderers()) {
    if (number == wanted) return renderer;
  }
  return nullptr;
}

bool D3D8Renderer::createDevice() {
  Logger& log = Logger::instance();
  DeviceCaps& caps = DeviceCaps::instance();
  caps.query(graphics.get(), D3DADAPTER_DEFAULT);

  if (caps.maxTextureUnits() < 2) {
    log.line(2) << "Card has less than 2 textures units." << std::endl;
    shutDown();
    exitHandler()(1);
    return false;
  }
  if (!caps.canRenderWindowed()) {
    log.line(2) << "Card does not support windowed rendering." << std::endl;
    shutDown();
    exitHandler()(1);
    return false;
  }

  D3DDISPLAYMODE mode;
  if (deviceFailed(graphics->getDisplayMode(D3DADAPTER_DEFAULT, mode))) return false;

  D3DPRESENT_PARAMETERS params;
  params.BackBufferFormat = mode.Format;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.Windowed = true;
  params.EnableAutoDepthStencil = true;

  struct Choice {
    int index;
    const char* message;
  };
  static const Choice kChoices[] = {{1, "Use 24/8 depth/stencil."},
                                    {2, "Use 24/4 depth/stencil."},
                                    {0, "Use 32/0 depth/stencil."},
                                    {4, "Use 16/0 depth/stencil."}};
  bool chosen = false;
  for (const Choice& choice : kChoices) {
    if (caps.supportsDepthFormat(choice.index)) {
      params.AutoDepthStencilFormat = DeviceCaps::kDepthFormats[choice.index];
      log.line(1) << choice.message << std::endl;
      chosen = true;
      break;
    }
  }
  if (!chosen) {
    // Opening a device without a depth buffer would only fail later; stop here instead.
    log.line(2) << "No appropriate dept/stencil format found." << std::endl;
    return false;
  }

  std::uint32_t behavior = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  if (caps.hasHardwareTnL()) {
    log.line(1) << "Card has hardware T&L." << std::endl;
    behavior = D3DCREATE_HARDWARE_VERTEXPROCESSING;
  } else {
    log.line(1) << "Card doesn't support hardware T&L." << std::endl;
  }

  if (deviceFailed(graphics->createDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, behavior, params))) {
    return false;
  }
  open = true;
  lightLimit = caps.maxActiveLights();
  // Scaled nodes keep correct lighting.
  graphics->setRenderState(D3DRS_NORMALIZENORMALS, D3D_TRUE);
  return true;
}

void D3D8Renderer::createFont() {
  // Arial, 15 pixels high: the overlay's print font.
  RefPtr<DeviceFont> created;
  if (deviceSucceeded(graphics->createFont("Arial", 15, created))) font = created;
}

void D3D8Renderer::shutDown() {
  if (shutDownDone) return;
  shutDownDone = true;
  Logger::instance().line(1) << "Shutting down Direct3D ..." << std::endl;
  if (open) {
    particleBatch.reset();
    shadowBatch.reset();
    for (std::uint32_t stage = 0; stage < D3DMAX_TEXTURESTAGES; ++stage) {
      graphics->setTexture(stage, nullptr);
    }
    open = false;
  }
  graphics.reset();
  font.reset();
  Logger::instance().line(1) << "Direct3D shut down complete." << std::endl;
}

void D3D8Renderer::beginFrame() {
  if (!open) return;
  graphics->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, clearColor().packed(2), 1.0f,
                  0);
  lights = 0;
  for (std::uint32_t i = 0; i < maxLights(); ++i) graphics->lightEnable(i, false);
  graphics->beginScene();
}

void D3D8Renderer::endFrame() {
  if (!open) return;
  graphics->endScene();
  graphics->present();
}

void D3D8Renderer::addLight(const Light& light) {
  // Lights past the device's limit are dropped rather than sent to indices it does not have.
  if (!open || lights >= lightLimit) return;
  D3DLIGHT8 record;
  const float* position = light.position();
  const D3DCOLORVALUE color = colorValue(light.color());
  record.Diffuse = color;
  record.Specular = color;
  record.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
  if (position[3] == 0.0f) {
    record.Type = D3DLIGHT_DIRECTIONAL;
    record.Direction = D3DVECTOR{-position[0], -position[1], -position[2]};
  } else {
    record.Type = D3DLIGHT_POINT;
    record.Position = D3DVECTOR{position[0], position[1], position[2]};
    record.Range = light.range();
    record.Attenuation1 = 10.0f / light.range();
  }
  graphics->setLight(lights, record);
  graphics->lightEnable(lights, true);
  ++lights;
}

std::uint32_t D3D8Renderer::maxLights() const { return lightLimit; }

void D3D8Renderer::setAmbient(const Color& color) {
  if (open) graphics->setRenderState(D3DRS_AMBIENT, color.packed(2));
}

void D3D8Renderer::sendTransform(std::uint32_t state, const float m[16]) {
  if (!open) return;
  float deviceMatrix[16];
  transpose(m, deviceMatrix);
  graphics->setTransform(state, deviceMatrix);
}

void D3D8Renderer::setWorldMatrix(const float m[16]) {
  std::memcpy(world, m, sizeof(world));
  sendTransform(D3DTS_WORLD, m);
}

void D3D8Renderer::setViewMatrix(const float m[16]) {
  std::memcpy(view, m, sizeof(view));
  sendTransform(D3DTS_VIEW, m);
}

void D3D8Renderer::setProjectionMatrix(const float m[16]) { sendTransform(D3DTS_PROJECTION, m); }

void D3D8Renderer::setMaterial(Material* newMaterial) { material = newMaterial; }

Matrix34 D3D8Renderer::viewAsMatrix34() const {
  Matrix34 m;
  std::memcpy(m.m, view, sizeof(m.m));
  return m;
}

void D3D8Renderer::setLightsEnabled(bool on) {
  if (!open) return;
  for (std::uint32_t i = 0; i < lights; ++i) graphics->lightEnable(i, on);
}

void D3D8Renderer::applyRenderFlags(const RenderFlags& flags) {
  for (int i = 0; i < kSelectorCount; ++i) {
    const std::uint8_t wanted = flags[i];
    if (wanted != kUnknownSelector && wanted != cache[i]) setSelector(i, wanted);
  }
}

void D3D8Renderer::setSelector(int selector, std::uint8_t value) {
  if (selector < 0 || selector >= kSelectorCount) return;
  if (open) {
    GraphicsDevice& d = *graphics;
    switch (selector) {
      case kBlend: {
        struct Factors {
          std::uint32_t source, destination;
        };
        static const Factors kFactors[] = {{0, 0},
                                           {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
                                           {D3DBLEND_ONE, D3DBLEND_ONE},
                                           {D3DBLEND_SRCCOLOR, D3DBLEND_ONE},
                                           {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                           {D3DBLEND_SRCALPHA, D3DBLEND_ONE}};
        if (value == 0) {
          d.setRenderState(D3DRS_ALPHABLENDENABLE, D3D_FALSE);
        } else if (value <= 5) {
          d.setRenderState(D3DRS_ALPHABLENDENABLE, D3D_TRUE);
          d.setRenderState(D3DRS_SRCBLEND, kFactors[value].source);
          d.setRenderState(D3DRS_DESTBLEND, kFactors[value].destination);
        }
        break;
      }
      case kFill: {
        static const std::uint32_t kModes[] = {D3DFILL_SOLID, D3DFILL_WIREFRAME, D3DFILL_POINT};
        if (value <= 2) d.setRenderState(D3DRS_FILLMODE, kModes[value]);
        break;
      }
      case kShade:
        if (value <= 1) d.setRenderState(D3DRS_SHADEMODE, value == 0 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
        break;
      case kSpecular:
        if (value <= 1) d.setRenderState(D3DRS_SPECULARENABLE, value == 0 ? D3D_TRUE : D3D_FALSE);
        break;
      case kDepth:
        if (value == 0) {
          d.setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
          d.setRenderState(D3DRS_ZWRITEENABLE, D3D_TRUE);
        } else if (value == 1) {
          d.setRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
          d.setRenderState(D3DRS_ZWRITEENABLE, D3D_FALSE);
        } else if (value == 2) {
          d.setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
          d.setRenderState(D3DRS_ZWRITEENABLE, D3D_FALSE);
        }
        break;
      case kDepthCompare: {
        static const std::uint32_t kFuncs[] = {D3DCMP_EQUAL, D3DCMP_LESSEQUAL, D3DCMP_LESS};
        if (value <= 2) d.setRenderState(D3DRS_ZFUNC, kFuncs[value]);
        break;
      }
      case kStencil:
        if (value <= 1) d.setRenderState(D3DRS_STENCILENABLE, value == 0 ? D3D_TRUE : D3D_FALSE);
        break;
      case kColorWrites:
        if (value <= 1) d.setRenderState(D3DRS_COLORWRITEENABLE, value == 0 ? 0x0Fu : 0u);
        break;
      case kCull: {
        static const std::uint32_t kModes[] = {D3DCULL_CW, D3DCULL_CCW, D3DCULL_NONE};
        if (value <= 2) d.setRenderState(D3DRS_CULLMODE, kModes[value]);
        break;
      }
      case kLighting:
        if (value <= 1) d.setRenderState(D3DRS_LIGHTING, value == 0 ? D3D_TRUE : D3D_FALSE);
        break;
    }
  }
  cache[selector] = value;
}

void D3D8Renderer::printText(int x, int y, const std::string& text) {
  if (!open || !font) return;
  DeviceRect rect;
  rect.left = rect.right = x;
  rect.top = rect.bottom = y;
  font->drawText(text.c_str(), -1, rect, DT_CALCRECT, 0);
  font->drawText(text.c_str(), -1, rect, DT_TOP | DT_LEFT, 0xFFFFFFFFu);
}

void D3D8Renderer::drawMesh(Mesh& mesh) {
  auto* buffers = dynamic_cast<HardwareMesh*>(mesh.listener());
  if (!buffers || buffers->rendererSerial() != serial) {
    RefPtr<HardwareMesh> created(new HardwareMesh(&mesh, serial));
    mesh.setListener(created);
    created->changed();
    buffers = created.get();
  }
  buffers->draw();
}

void D3D8Renderer::drawHardwareMesh(HardwareMesh& buffers) {
  if (!open || !buffers.mesh() || !buffers.vertexBuffer()) return;
  const Mesh& mesh = *buffers.mesh();
  const std::uint32_t vertexCount = mesh.vertexCount();
  const bool indexed = mesh.indexCount() > 0;
  // Without its index buffer (its creation or the fill before it failed) an indexed mesh is not
  // drawn: read as a plain list its index count would run past the vertices.
  if (indexed && !buffers.indexBuffer()) return;
  graphics->setVertexShader(buffers.format());
  graphics->setStreamSource(0, buffers.vertexBuffer(), fvfVertexSize(buffers.format()));
  graphics->setIndices(buffers.indexBuffer(), 0);
  const std::uint32_t triangles = (mesh.indexCount() > 0 ? mesh.indexCount() : vertexCount) / 3;

  const Matrix34 viewMatrix34 = viewAsMatrix34();
  const int passes = material ? material->passCount() : 1;
  for (int pass = 0; pass < passes; ++pass) {
    if (material) material->apply(pass, viewMatrix34);
    if (indexed) {
      graphics->drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, 0, triangles);
    } else {
      // A mesh without indices is a plain list: every three vertices form a triangle.
      graphics->drawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    }
  }
  FrameStats::instance().addPrimitives(vertexCount, triangles);
}

void D3D8Renderer::drawShadowVolume(const ShadowVolume& volume) {
  setSelector(kColorWrites, 1);
  setSelector(kDepth, 2);
  setSelector(kDepthCompare, 2);
  setSelector(kStencil, 0);
  if (!open || !shadowBatch) return;

  const auto& source = volume.vertices();
  const std::uint32_t total = volume.vertexCount();
  for (std::uint32_t first = 0; first < total; first += kShadowBatchVertices) {
    const std::uint32_t count = std::min(kShadowBatchVertices, total - first);
    void* data = nullptr;
    if (deviceFailed(shadowBatch->lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return;
    auto* out = static_cast<float*>(data);
    for (std::uint32_t i = 0; i < count; ++i) {
      const auto& vertex = source[first + i];
      out[3 * i] = vertex.x;
      out[3 * i + 1] = vertex.y;
      out[3 * i + 2] = vertex.z;
    }
    if (deviceFailed(shadowBatch->unlock())) return;
    graphics->setStreamSource(0, shadowBatch.get(), fvfVertexSize(D3DFVF_XYZ));
    graphics->setVertexShader(D3DFVF_XYZ);

    // Depth-fail counting: back faces behind the scene add one, front faces take it away.
    graphics->setRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    graphics->setRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    graphics->setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    graphics->setRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    graphics->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCR);
    setSelector(kCull, 0);
    graphics->drawPrimitive(D3DPT_TRIANGLELIST, 0, count / 3);
    graphics->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECR);
    setSelector(kCull, 1);
    graphics->drawPrimitive(D3DPT_TRIANGLELIST, 0, count / 3);
  }
}

void D3D8Renderer::drawParticles(const ParticleEmitter& emitter) {
  setWorldTransform(Matrix34::identity());
  // Camera space to world space: the transposed rotation block of the view matrix.
  const Matrix33 toWorld(view[0], view[4], view[8], view[1], view[5], view[9], view[2], view[6],
                         view[10]);
  setSelector(kDepth, 2);
  setSelector(kBlend, 4);
  setSelector(kLighting, 1);
  setSelector(kDepthCompare, 1);
  if (Material* particleMaterial = emitter.material()) particleMaterial->apply(0, viewAsMatrix34());
  if (!open || !particleBatch) return;

  static const float kCorners[4][4] = {
      {-1.0f, 1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f, 0.0f}, {-1.0f, -1.0f, 0.0f, 1.0f}, {1.0f, -1.0f, 1.0f, 1.0f}};
  int index = emitter.begin();
  // More living particles than one batch holds go out in several batches.
  do {
    void* data = nullptr;
    if (deviceFailed(particleBatch->lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return;
    auto* out = static_cast<ParticleVertex*>(data);
    std::uint32_t count = 0;
    for (; index >= 0 && count < kParticlesPerBatch; index = emitter.next(index), ++count) {
      const Particle& particle = emitter.particle(index);
      const float s = particle.size * 0.5f;
      const float cosA = std::cos(particle.rotation);
      const float sinA = std::sin(particle.rotation);
      const std::uint32_t argb = particle.color.packed(2);
      for (int k = 0; k < 4; ++k) {
        const float x = kCorners[k][0] * s;
        const float y = kCorners[k][1] * s;
        const Vector3 offset = toWorld * Vector3(x * cosA - y * sinA, x * sinA + y * cosA, 0.0f);
        const Vector3 corner = particle.position + offset;
        out[4 * count + k] = ParticleVertex{corner.x, corner.y, corner.z, argb, kCorners[k][2], kCorners[k][3]};
      }
    }
    if (deviceFailed(particleBatch->unlock())) return;
    graphics->setStreamSource(0, particleBatch.get(), fvfVertexSize(kParticleFormat));
    graphics->setVertexShader(kParticleFormat);
    for (std::uint32_t i = 0; i < count; ++i) graphics->drawPrimitive(D3DPT_TRIANGLESTRIP, 4 * i, 2);
  } while (index >= 0);
}
