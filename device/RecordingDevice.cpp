#include "device/RecordingDevice.h"

#include <algorithm>
#include <cstring>
#include <utility>

// The recording side shared by every object a RecordingDevice makes.
class RecordingResource {
 public:
  RecordingResource(RecordingDevice* owner, std::int64_t id, std::size_t bytes)
      : owner(owner), id(id), memory(bytes, 0) {}
  virtual ~RecordingResource() = default;

  // Records through the owner, or fails once the owner has gone.
  int record(DeviceCall call) {
    if (!owner) return D3DERR_INVALIDCALL;
    return owner->record(std::move(call));
  }
  void released(const char* name, const void* face) {
    if (!owner) return;
    owner->record(DeviceCall{name, {id}, {}, {}, D3D_OK});
    owner->forget(face);
  }

  // Shared lock of a byte range; lockName/unlockName are the recorded names.
  int lockRange(const char* lockName, std::uint32_t offset, std::uint32_t size, void** data,
                std::uint32_t flags) {
    int result = record(DeviceCall{lockName, {id, offset, size, flags}, {}, {}, D3D_OK});
    if (data) *data = nullptr;
    if (deviceFailed(result)) return result;
    const std::uint32_t length = static_cast<std::uint32_t>(memory.size());
    if (!data || locked || !resolveLockRange(length, offset, size)) return D3DERR_INVALIDCALL;
    locked = true;
    *data = memory.data() + offset;
    return D3D_OK;
  }
  int unlockRange(const char* unlockName) {
    int result = record(DeviceCall{unlockName, {id}, {}, {}, D3D_OK});
    if (deviceFailed(result)) return result;
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
  }

  RecordingDevice* owner;
  std::int64_t id;
  std::vector<std::uint8_t> memory;
  bool locked = false;
};

namespace {

const std::vector<std::uint8_t> kNoContents;

class RecordingVertexBuffer : public DeviceVertexBuffer, public RecordingResource {
 public:
  RecordingVertexBuffer(RecordingDevice* owner, std::int64_t id, std::uint32_t length,
                        std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool)
      : DeviceVertexBuffer(length, usage, fvf, pool), RecordingResource(owner, id, length) {}
  ~RecordingVertexBuffer() override {
    released("releaseVertexBuffer", static_cast<DeviceVertexBuffer*>(this));
  }

  int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override {
    return lockRange("lockVertexBuffer", offset, size, data, flags);
  }
  int unlock() override { return unlockRange("unlockVertexBuffer"); }
};

class RecordingIndexBuffer : public DeviceIndexBuffer, public RecordingResource {
 public:
  RecordingIndexBuffer(RecordingDevice* owner, std::int64_t id, std::uint32_t length,
                       std::uint32_t usage, std::uint32_t pool)
      : DeviceIndexBuffer(length, usage, pool), RecordingResource(owner, id, length) {}
  ~RecordingIndexBuffer() override {
    released("releaseIndexBuffer", static_cast<DeviceIndexBuffer*>(this));
  }

  int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override {
    return lockRange("lockIndexBuffer", offset, size, data, flags);
  }
  int unlock() override { return unlockRange("unlockIndexBuffer"); }
};

class RecordingTexture : public DeviceTexture, public RecordingResource {
 public:
  RecordingTexture(RecordingDevice* owner, std::int64_t id, std::uint32_t width,
                   std::uint32_t height, std::uint32_t format)
      : DeviceTexture(width, height, format),
        RecordingResource(owner, id, std::size_t(width) * height * 4) {}
  ~RecordingTexture() override { released("releaseTexture", static_cast<DeviceTexture*>(this)); }

  int getLevelDesc(std::uint32_t level, D3DSURFACE_DESC& desc) override {
    int result = record(DeviceCall{"getLevelDesc", {id, level}, {}, {}, D3D_OK});
    if (deviceFailed(result)) return result;
    return describeLevel(level, desc);
  }
  int lockRect(std::uint32_t level, D3DLOCKED_RECT& rect, std::uint32_t flags) override {
    rect = D3DLOCKED_RECT{};
    int result = record(DeviceCall{"lockRect", {id, level, flags}, {}, {}, D3D_OK});
    if (deviceFailed(result)) return result;
    if (level != 0 || locked) return D3DERR_INVALIDCALL;
    locked = true;
    rect.Pitch = static_cast<int>(width() * 4);
    rect.pBits = memory.data();
    return D3D_OK;
  }
  int unlockRect(std::uint32_t level) override {
    int result = record(DeviceCall{"unlockRect", {id, level}, {}, {}, D3D_OK});
    if (deviceFailed(result)) return result;
    if (level != 0 || !locked) return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
  }
};

// Fixed metrics so tests can compute sizes: every character advances half the height, every
// line is one height tall.
class RecordingFont : public DeviceFont, public RecordingResource {
 public:
  RecordingFont(RecordingDevice* owner, std::int64_t id, int height)
      : RecordingResource(owner, id, 0), height(height) {}
  ~RecordingFont() override { released("releaseFont", static_cast<DeviceFont*>(this)); }

  int lineHeight() const override { return height; }

  int drawText(const char* text, int count, DeviceRect& rect, std::uint32_t format,
               std::uint32_t color) override {
    std::string s;
    if (text) s = count < 0 ? std::string(text) : std::string(text, std::size_t(count));
    int result =
        record(DeviceCall{"drawText", {id, rect.left, rect.top, format, color}, {}, s, D3D_OK});
    if (deviceFailed(result)) return 0;
    if (s.empty()) {
      if (format & DT_CALCRECT) {
        rect.right = rect.left;
        rect.bottom = rect.top;
      }
      return 0;
    }
    int lines = 1;
    int longest = 0;
    int current = 0;
    for (char c : s) {
      if (c == '\n') {
        ++lines;
        current = 0;
      } else {
        longest = std::max(longest, ++current);
      }
    }
    int advance = std::max(1, height / 2);
    if (format & DT_CALCRECT) {
      rect.right = rect.left + longest * advance;
      rect.bottom = rect.top + lines * height;
    }
    return lines * height;
  }

  int height;
};

}  // namespace

RecordingDevice::RecordingDevice(bool startCreated) {
  deviceCaps.DeviceType = D3DDEVTYPE_HAL;
  deviceCaps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
  deviceCaps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  deviceCaps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 |
                             D3DTEXOPCAPS_SELECTARG2 | D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_ADD |
                             D3DTEXOPCAPS_DOTPRODUCT3;
  deviceCaps.MaxTextureBlendStages = D3DMAX_TEXTURESTAGES;
  deviceCaps.MaxSimultaneousTextures = D3DMAX_TEXTURESTAGES;
  deviceCaps.MaxActiveLights = kDeviceMaxLights;
  deviceCaps.MaxTextureWidth = 4096;
  deviceCaps.MaxTextureHeight = 4096;
  mode.Width = 1024;
  mode.Height = 768;
  mode.RefreshRate = 60;
  mode.Format = D3DFMT_X8R8G8B8;
  depthFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16, D3DFMT_D32};
  if (startCreated) {
    created = true;
    depthStencilFormat = D3DFMT_D24S8;
    bufferWidth = windowWidth;
    bufferHeight = windowHeight;
  }
}

RecordingDevice::~RecordingDevice() {
  // Bound objects may be the last references; drop them while the records still work, then cut
  // the survivors loose.
  for (auto& texture : textures) texture.reset();
  stream.reset();
  indexBuffer.reset();
  for (auto& [face, resource] : live) resource->owner = nullptr;
  live.clear();
}

void RecordingDevice::setDepthFormats(std::vector<std::uint32_t> formats) {
  depthFormats = std::move(formats);
}

void RecordingDevice::setWindowSize(int width, int height) {
  windowWidth = width;
  windowHeight = height;
}

int RecordingDevice::record(DeviceCall call) {
  if (fails(call.name)) call.result = D3DERR_INVALIDCALL;
  recorded.push_back(call);
  return call.result;
}

int RecordingDevice::recordDeviceCall(DeviceCall call) {
  if (!created) call.result = D3DERR_INVALIDCALL;
  return record(std::move(call));
}

int RecordingDevice::callCount(const std::string& name) const {
  return static_cast<int>(std::count_if(recorded.begin(), recorded.end(),
                                        [&](const DeviceCall& c) { return c.name == name; }));
}

std::vector<DeviceCall> RecordingDevice::callsNamed(const std::string& name) const {
  std::vector<DeviceCall> out;
  for (const auto& c : recorded)
    if (c.name == name) out.push_back(c);
  return out;
}

const DeviceCall* RecordingDevice::lastCall(const std::string& name) const {
  for (auto it = recorded.rbegin(); it != recorded.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

std::vector<std::string> RecordingDevice::callNames() const {
  std::vector<std::string> out;
  out.reserve(recorded.size());
  for (const auto& c : recorded) out.push_back(c.name);
  return out;
}

DeviceTexture* RecordingDevice::boundTexture(std::uint32_t stage) const {
  return stage < D3DMAX_TEXTURESTAGES ? textures[stage].get() : nullptr;
}

namespace {
template <typename Map>
RecordingResource* findResource(const Map& live, const void* face) {
  if (!face) return nullptr;
  auto it = live.find(face);
  return it == live.end() ? nullptr : it->second;
}
}  // namespace

std::int64_t RecordingDevice::idOf(const DeviceVertexBuffer* buffer) const {
  auto* r = findResource(live, buffer);
  return r ? r->id : 0;
}
std::int64_t RecordingDevice::idOf(const DeviceIndexBuffer* buffer) const {
  auto* r = findResource(live, buffer);
  return r ? r->id : 0;
}
std::int64_t RecordingDevice::idOf(const DeviceTexture* texture) const {
  auto* r = findResource(live, texture);
  return r ? r->id : 0;
}
std::int64_t RecordingDevice::idOf(const DeviceFont* font) const {
  auto* r = findResource(live, font);
  return r ? r->id : 0;
}
const std::vector<std::uint8_t>& RecordingDevice::contents(const DeviceVertexBuffer* b) const {
  auto* r = findResource(live, b);
  return r ? r->memory : kNoContents;
}
const std::vector<std::uint8_t>& RecordingDevice::contents(const DeviceIndexBuffer* b) const {
  auto* r = findResource(live, b);
  return r ? r->memory : kNoContents;
}
const std::vector<std::uint8_t>& RecordingDevice::contents(const DeviceTexture* t) const {
  auto* r = findResource(live, t);
  return r ? r->memory : kNoContents;
}

// ---- Queries.

std::uint32_t RecordingDevice::adapterCount() {
  record(DeviceCall{"adapterCount", {}, {}, {}, D3D_OK});
  return adapters;
}

int RecordingDevice::getDeviceCaps(std::uint32_t adapter, std::uint32_t deviceType,
                                   D3DCAPS8& caps) {
  int result = record(DeviceCall{"getDeviceCaps", {adapter, deviceType}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (adapter >= adapters || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  caps = deviceCaps;
  caps.AdapterOrdinal = adapter;
  return D3D_OK;
}

int RecordingDevice::getDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& out) {
  int result = record(DeviceCall{"getDisplayMode", {adapter}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (adapter >= adapters) return D3DERR_INVALIDCALL;
  out = mode;
  return D3D_OK;
}

int RecordingDevice::checkDepthStencilFormat(std::uint32_t adapter, std::uint32_t deviceType,
                                             std::uint32_t displayFormat,
                                             std::uint32_t depthFormat) {
  int result = record(DeviceCall{"checkDepthStencilFormat",
                                 {adapter, deviceType, displayFormat, depthFormat},
                                 {},
                                 {},
                                 D3D_OK});
  if (deviceFailed(result)) return result;
  if (adapter >= adapters || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if (displayFormat != mode.Format) return D3DERR_NOTAVAILABLE;
  bool accepted =
      std::find(depthFormats.begin(), depthFormats.end(), depthFormat) != depthFormats.end();
  return accepted ? D3D_OK : D3DERR_NOTAVAILABLE;
}

int RecordingDevice::createDevice(std::uint32_t adapter, std::uint32_t deviceType,
                                  std::uint32_t behaviorFlags, const D3DPRESENT_PARAMETERS& p) {
  int result =
      record(DeviceCall{"createDevice",
                        {adapter, deviceType, behaviorFlags, p.BackBufferWidth, p.BackBufferHeight,
                         p.BackBufferFormat, p.BackBufferCount, p.SwapEffect, p.Windowed ? 1 : 0,
                         p.EnableAutoDepthStencil ? 1 : 0, p.AutoDepthStencilFormat},
                        {},
                        {},
                        D3D_OK});
  if (deviceFailed(result)) return result;
  bool depthAccepted =
      !p.EnableAutoDepthStencil || std::find(depthFormats.begin(), depthFormats.end(),
                                             p.AutoDepthStencilFormat) != depthFormats.end();
  if (created || adapter >= adapters || deviceType != D3DDEVTYPE_HAL || !p.Windowed ||
      !depthAccepted) {
    recorded.back().result = D3DERR_INVALIDCALL;
    return D3DERR_INVALIDCALL;
  }
  created = true;
  depthStencilFormat = p.EnableAutoDepthStencil ? p.AutoDepthStencilFormat : D3DFMT_UNKNOWN;
  bufferWidth = p.BackBufferWidth ? int(p.BackBufferWidth) : windowWidth;
  bufferHeight = p.BackBufferHeight ? int(p.BackBufferHeight) : windowHeight;
  current.reset();
  current.renderStates[D3DRS_ZENABLE] = p.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  return D3D_OK;
}

// ---- Frame.

int RecordingDevice::clear(std::uint32_t flags, std::uint32_t color, float z,
                           std::uint32_t stencil) {
  int result = recordDeviceCall(DeviceCall{"clear", {flags, color, stencil}, {z}, {}, D3D_OK});
  if (deviceSucceeded(result) && (flags & D3DCLEAR_TARGET)) clearColor = color;
  return result;
}

int RecordingDevice::beginScene() {
  int result = recordDeviceCall(DeviceCall{"beginScene", {}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (inScene) return recorded.back().result = D3DERR_INVALIDCALL;
  inScene = true;
  return D3D_OK;
}

int RecordingDevice::endScene() {
  int result = recordDeviceCall(DeviceCall{"endScene", {}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (!inScene) return recorded.back().result = D3DERR_INVALIDCALL;
  inScene = false;
  return D3D_OK;
}

int RecordingDevice::present() { return recordDeviceCall(DeviceCall{"present", {}, {}, {}, 0}); }

int RecordingDevice::readFrame(std::vector<std::uint8_t>& rgba, int& width, int& height) {
  int result = recordDeviceCall(DeviceCall{"readFrame", {}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  width = bufferWidth;
  height = bufferHeight;
  rgba.resize(std::size_t(width) * height * 4);
  const std::uint8_t pixel[4] = {std::uint8_t(clearColor >> 16), std::uint8_t(clearColor >> 8),
                                 std::uint8_t(clearColor), std::uint8_t(clearColor >> 24)};
  for (std::size_t i = 0; i < rgba.size(); i += 4) std::memcpy(&rgba[i], pixel, 4);
  return D3D_OK;
}

// ---- State.

int RecordingDevice::setRenderState(std::uint32_t state, std::uint32_t value) {
  int result = recordDeviceCall(DeviceCall{"setRenderState", {state, value}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (state >= D3DRS_STATECOUNT) return recorded.back().result = D3DERR_INVALIDCALL;
  current.renderStates[state] = value;
  return D3D_OK;
}

int RecordingDevice::getRenderState(std::uint32_t state, std::uint32_t& value) {
  if (!created || state >= D3DRS_STATECOUNT) return D3DERR_INVALIDCALL;
  value = current.renderStates[state];
  return D3D_OK;
}

int RecordingDevice::setTextureStageState(std::uint32_t stage, std::uint32_t type,
                                          std::uint32_t value) {
  int result =
      recordDeviceCall(DeviceCall{"setTextureStageState", {stage, type, value}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (stage >= D3DMAX_TEXTURESTAGES || type >= D3DTSS_STATECOUNT)
    return recorded.back().result = D3DERR_INVALIDCALL;
  current.stageStates[stage][type] = value;
  return D3D_OK;
}

int RecordingDevice::getTextureStageState(std::uint32_t stage, std::uint32_t type,
                                          std::uint32_t& value) {
  if (!created || stage >= D3DMAX_TEXTURESTAGES || type >= D3DTSS_STATECOUNT)
    return D3DERR_INVALIDCALL;
  value = current.stageStates[stage][type];
  return D3D_OK;
}

int RecordingDevice::setTexture(std::uint32_t stage, DeviceTexture* texture) {
  int result = recordDeviceCall(DeviceCall{"setTexture", {stage, idOf(texture)}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (stage >= D3DMAX_TEXTURESTAGES || (texture && !idOf(texture)))
    return recorded.back().result = D3DERR_INVALIDCALL;
  textures[stage] = texture;
  return D3D_OK;
}

int RecordingDevice::setTransform(std::uint32_t state, const float matrix[16]) {
  DeviceCall call{"setTransform", {state}, {}, {}, D3D_OK};
  if (matrix) call.floats.assign(matrix, matrix + 16);
  int result = recordDeviceCall(std::move(call));
  if (deviceFailed(result)) return result;
  int slot = DeviceState::transformSlot(state);
  if (slot < 0 || !matrix) return recorded.back().result = D3DERR_INVALIDCALL;
  std::copy(matrix, matrix + 16, current.transforms[slot].begin());
  return D3D_OK;
}

int RecordingDevice::getTransform(std::uint32_t state, float matrix[16]) {
  int slot = DeviceState::transformSlot(state);
  if (!created || slot < 0 || !matrix) return D3DERR_INVALIDCALL;
  std::copy(current.transforms[slot].begin(), current.transforms[slot].end(), matrix);
  return D3D_OK;
}

namespace {
void appendColor(std::vector<float>& out, const D3DCOLORVALUE& c) {
  out.insert(out.end(), {c.r, c.g, c.b, c.a});
}
}  // namespace

int RecordingDevice::setLight(std::uint32_t index, const D3DLIGHT8& light) {
  DeviceCall call{"setLight", {index, light.Type}, {}, {}, D3D_OK};
  appendColor(call.floats, light.Diffuse);
  appendColor(call.floats, light.Specular);
  appendColor(call.floats, light.Ambient);
  call.floats.insert(
      call.floats.end(),
      {light.Position.x, light.Position.y, light.Position.z, light.Direction.x, light.Direction.y,
       light.Direction.z, light.Range, light.Falloff, light.Attenuation0, light.Attenuation1,
       light.Attenuation2, light.Theta, light.Phi});
  int result = recordDeviceCall(std::move(call));
  if (deviceFailed(result)) return result;
  if (index >= deviceCaps.MaxActiveLights || index >= kDeviceMaxLights)
    return recorded.back().result = D3DERR_INVALIDCALL;
  current.lights[index] = light;
  return D3D_OK;
}

int RecordingDevice::lightEnable(std::uint32_t index, bool enable) {
  int result = recordDeviceCall(DeviceCall{"lightEnable", {index, enable ? 1 : 0}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (index >= deviceCaps.MaxActiveLights || index >= kDeviceMaxLights)
    return recorded.back().result = D3DERR_INVALIDCALL;
  current.lightEnabled[index] = enable;
  return D3D_OK;
}

int RecordingDevice::setMaterial(const D3DMATERIAL8& material) {
  DeviceCall call{"setMaterial", {}, {}, {}, D3D_OK};
  appendColor(call.floats, material.Diffuse);
  appendColor(call.floats, material.Ambient);
  appendColor(call.floats, material.Specular);
  appendColor(call.floats, material.Emissive);
  call.floats.push_back(material.Power);
  int result = recordDeviceCall(std::move(call));
  if (deviceSucceeded(result)) current.material = material;
  return result;
}

// ---- Geometry.

int RecordingDevice::createVertexBuffer(std::uint32_t length, std::uint32_t usage,
                                        std::uint32_t fvf, std::uint32_t pool,
                                        RefPtr<DeviceVertexBuffer>& buffer) {
  buffer.reset();
  int result = recordDeviceCall(
      DeviceCall{"createVertexBuffer", {length, usage, fvf, pool, 0}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (length == 0) return recorded.back().result = D3DERR_INVALIDCALL;
  std::int64_t id = nextId();
  auto* made = new RecordingVertexBuffer(this, id, length, usage, fvf, pool);
  adopt(static_cast<DeviceVertexBuffer*>(made), made);
  buffer = made;
  recorded.back().ints.back() = id;
  return D3D_OK;
}

int RecordingDevice::createIndexBuffer(std::uint32_t length, std::uint32_t usage,
                                       std::uint32_t format, std::uint32_t pool,
                                       RefPtr<DeviceIndexBuffer>& buffer) {
  buffer.reset();
  int result = recordDeviceCall(
      DeviceCall{"createIndexBuffer", {length, usage, format, pool, 0}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (length == 0 || format != D3DFMT_INDEX16) return recorded.back().result = D3DERR_INVALIDCALL;
  std::int64_t id = nextId();
  auto* made = new RecordingIndexBuffer(this, id, length, usage, pool);
  adopt(static_cast<DeviceIndexBuffer*>(made), made);
  buffer = made;
  recorded.back().ints.back() = id;
  return D3D_OK;
}

int RecordingDevice::setStreamSource(std::uint32_t streamNumber, DeviceVertexBuffer* buffer,
                                     std::uint32_t strideBytes) {
  int result = recordDeviceCall(
      DeviceCall{"setStreamSource", {streamNumber, idOf(buffer), strideBytes}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (streamNumber != 0 || (buffer && !idOf(buffer)))
    return recorded.back().result = D3DERR_INVALIDCALL;
  stream = buffer;
  stride = strideBytes;
  return D3D_OK;
}

int RecordingDevice::setIndices(DeviceIndexBuffer* buffer, std::uint32_t baseVertexIndex) {
  int result =
      recordDeviceCall(DeviceCall{"setIndices", {idOf(buffer), baseVertexIndex}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (buffer && !idOf(buffer)) return recorded.back().result = D3DERR_INVALIDCALL;
  indexBuffer = buffer;
  return D3D_OK;
}

int RecordingDevice::setVertexShader(std::uint32_t fvf) {
  int result = recordDeviceCall(DeviceCall{"setVertexShader", {fvf}, {}, {}, D3D_OK});
  if (deviceSucceeded(result)) current.vertexShader = fvf;
  return result;
}

int RecordingDevice::drawPrimitive(std::uint32_t primitiveType, std::uint32_t startVertex,
                                   std::uint32_t primitiveCount) {
  int result = recordDeviceCall(
      DeviceCall{"drawPrimitive", {primitiveType, startVertex, primitiveCount}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  if (!stream || !inScene) return recorded.back().result = D3DERR_INVALIDCALL;
  return D3D_OK;
}

int RecordingDevice::drawIndexedPrimitive(std::uint32_t primitiveType, std::uint32_t minIndex,
                                          std::uint32_t numVertices, std::uint32_t startIndex,
                                          std::uint32_t primitiveCount) {
  int result = recordDeviceCall(
      DeviceCall{"drawIndexedPrimitive",
                 {primitiveType, minIndex, numVertices, startIndex, primitiveCount},
                 {},
                 {},
                 D3D_OK});
  if (deviceFailed(result)) return result;
  if (!stream || !indexBuffer || !inScene) return recorded.back().result = D3DERR_INVALIDCALL;
  return D3D_OK;
}

// ---- Resources.

int RecordingDevice::createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                                   RefPtr<DeviceTexture>& texture) {
  texture.reset();
  int result =
      recordDeviceCall(DeviceCall{"createTexture", {width, height, format, 0}, {}, {}, D3D_OK});
  if (deviceFailed(result)) return result;
  bool formatOk = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
  if (!formatOk || width == 0 || height == 0 || width > deviceCaps.MaxTextureWidth ||
      height > deviceCaps.MaxTextureHeight)
    return recorded.back().result = D3DERR_INVALIDCALL;
  std::int64_t id = nextId();
  auto* made = new RecordingTexture(this, id, width, height, format);
  adopt(static_cast<DeviceTexture*>(made), made);
  texture = made;
  recorded.back().ints.back() = id;
  return D3D_OK;
}

int RecordingDevice::createFont(const std::string& faceName, int heightPixels,
                                RefPtr<DeviceFont>& font) {
  font.reset();
  int result = recordDeviceCall(DeviceCall{"createFont", {heightPixels, 0}, {}, faceName, D3D_OK});
  if (deviceFailed(result)) return result;
  if (heightPixels <= 0) return recorded.back().result = D3DERR_INVALIDCALL;
  std::int64_t id = nextId();
  auto* made = new RecordingFont(this, id, heightPixels);
  adopt(static_cast<DeviceFont*>(made), made);
  font = made;
  recorded.back().ints.back() = id;
  return D3D_OK;
}
