#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Logger.h"
#include "foundation/RefPtr.h"
#include "render/D3D8Renderer.h"
#include "render/device/RecordingDevice.h"

// The text appended to "GameEngine.log" since construction (each test process has a working
// directory of its own, see OwnLogDirectory.cpp).
class LogTail {
 public:
  LogTail() {
    Logger::instance();
    start = size();
  }
  std::string text() const {
    std::ifstream file("GameEngine.log", std::ios::binary);
    std::stringstream all;
    all << file.rdbuf();
    std::string s = all.str();
    return start < s.size() ? s.substr(start) : std::string();
  }
  // Lines' message parts (after "s: "), in order.
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    std::istringstream lines(text());
    std::string line;
    while (std::getline(lines, line)) {
      const std::size_t colon = line.find("s: ");
      out.push_back(colon == std::string::npos ? line : line.substr(colon + 3));
    }
    return out;
  }

 private:
  static std::size_t size() {
    std::ifstream file("GameEngine.log", std::ios::binary | std::ios::ate);
    return file ? static_cast<std::size_t>(file.tellg()) : 0;
  }
  std::size_t start = 0;
};

// Captures the exit code the renderer asks for instead of ending the test process.
class ExitCapture {
 public:
  ExitCapture() {
    D3D8Renderer::setExitHandler([this](int code) { codes.push_back(code); });
  }
  ~ExitCapture() { D3D8Renderer::restoreExitHandler(); }
  std::vector<int> codes;
};

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

  // (state, value) of every setRenderState since the last startRecording, in order.
  std::vector<std::pair<std::int64_t, std::int64_t>> renderStates() const {
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    for (const DeviceCall& call : device->callsNamed("setRenderState")) {
      out.emplace_back(call.ints[0], call.ints[1]);
    }
    return out;
  }
};
