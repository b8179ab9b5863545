#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/RenderSurface.h"
#include "engine/Renderer.h"
#include "foundation/GameClock.h"
#include "foundation/InputSource.h"
#include "foundation/Keyboard.h"
#include "foundation/Mouse.h"
#include "foundation/Timer.h"
#include "foundation/Variable.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ObjectLoader.h"
#include "device/RecordingDevice.h"

// A surface around a RecordingDevice that keeps every call, and closes after a given number of
// event passes so that loops can be tested.
class FakeSurface : public RenderSurface {
 public:
  FakeSurface(const SurfaceRequest& request, int passesBeforeClose = -1)
      : request(request), passesLeft(passesBeforeClose), recording(new RecordingDevice(false)) {
    recording->setWindowSize(request.width > 0 ? request.width : 1,
                             request.height > 0 ? request.height : 1);
  }

  RefPtr<GraphicsDevice> device() override { return recording; }
  bool processEvents() override {
    ++passes;
    if (passTimeMs) *passTimeMs += 10.0;
    if (passesLeft < 0) return true;
    if (passesLeft == 0) return false;
    --passesLeft;
    return true;
  }
  // Paused from the event pass pauseFrom (counted from 1) up to, not including, pauseUntil.
  bool isPaused() const override { return passes >= pauseFrom && passes < pauseUntil; }
  void waitForEvents(int timeoutMs) override {
    ++waits;
    if (passTimeMs) *passTimeMs += timeoutMs;
  }
  int clientWidth() const override { return request.width; }
  int clientHeight() const override { return request.height; }
  int clientX() const override { return request.x; }
  int clientY() const override { return request.y; }
  bool requestCapture() override { return false; }
  bool takeCapture(std::vector<std::uint8_t>&, int&, int&) override { return false; }

  RecordingDevice& recorder() { return *recording; }
  SurfaceRequest request;
  int passes = 0;
  int pauseFrom = -1;
  int pauseUntil = -1;
  int waits = 0;
  // When set, a clock that each event pass moves by 10 ms and each wait by its timeout.
  double* passTimeMs = nullptr;

 private:
  int passesLeft;
  RefPtr<RecordingDevice> recording;
};

// Engine-wide services back to a known state between test cases.
inline void resetEngineServices() {
  InputSource::install(nullptr);
  rendererHolder().reset();
  TextureManager::instance().reset();
  ObjectLoader::instance().reset();
  Timer::instance().setFixedStep(0.0);
  Timer::instance().reset();
  GameClock::instance().reset();
  Keyboard::instance().reset();
  Mouse::instance().reset();
}

inline void setWindowVariables(const std::string& title, const std::string& width,
                               const std::string& height) {
  VariableTable& table = VariableTable::instance();
  table.clear();
  table.set(Variable("windowName", title));
  table.set(Variable("resolutionX", width));
  table.set(Variable("resolutionY", height));
}

// Texts drawn this frame (calc-rect sizing calls left out), with their positions.
struct DrawnText {
  std::string text;
  int left;
  int top;
};

inline std::vector<DrawnText> drawnTexts(const RecordingDevice& device) {
  std::vector<DrawnText> texts;
  for (const DeviceCall& call : device.callsNamed("drawText")) {
    // ints: fontId, left, top, format, color
    if (call.ints.size() < 5 || (call.ints[3] & DT_CALCRECT) != 0) continue;
    texts.push_back({call.text, static_cast<int>(call.ints[1]), static_cast<int>(call.ints[2])});
  }
  return texts;
}
