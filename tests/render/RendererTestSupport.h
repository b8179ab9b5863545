#pragma once
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/LogCapture.h"
#include "foundation/RefPtr.h"
#include "render/D3D8Renderer.h"
#include "device/RecordingDevice.h"

// Captures the exit code the renderer asks for instead of ending the test process.
class ExitCapture {
 public:
  ExitCapture() {
    D3D8Renderer::setExitHandler([this](int code) { codes.push_back(code); });
  }
  ~ExitCapture() { D3D8Renderer::restoreExitHandler(); }
  std::vector<int> codes;
};

// (stage, state, value) of one texture-stage state sent to the device.
using StageState = std::tuple<std::int64_t, std::int64_t, std::int64_t>;

// A recording device (not yet created) and a renderer opened on it.
struct RecordingRenderer {
  RefPtr<RecordingDevice> device{new RecordingDevice(false)};
  RefPtr<D3D8Renderer> renderer;

  // Opens the renderer and makes it the program's renderer, which materials draw through.
  void open() {
    renderer = new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
    rendererHolder() = renderer.get();
  }
  // Destroys the renderer.
  void close() {
    if (rendererHolder().get() == renderer.get()) rendererHolder().reset();
    renderer.reset();
  }
  ~RecordingRenderer() { close(); }

  // Calls recorded after the renderer was opened and this was called.
  void startRecording() { device->clearCalls(); }

  // Every setTextureStageState since the last startRecording, in order.
  std::vector<StageState> stageStates() const {
    std::vector<StageState> out;
    for (const DeviceCall& call : device->callsNamed("setTextureStageState")) {
      out.emplace_back(call.ints[0], call.ints[1], call.ints[2]);
    }
    return out;
  }
  // (state, value) of every setRenderState since the last startRecording, in order.
  std::vector<std::pair<std::int64_t, std::int64_t>> renderStates() const {
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    for (const DeviceCall& call : device->callsNamed("setRenderState")) {
      out.emplace_back(call.ints[0], call.ints[1]);
    }
    return out;
  }
};
