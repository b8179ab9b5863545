#include "foundation/InputAction.h"

#include "foundation/Timer.h"

void InputAction::update() {
  const std::uint32_t frame = Timer::instance().frame();
  if (lastFrame == frame) return;
  wasActive = active;
  active = 0;
  poll();
  lastFrame = frame;
  afterPoll();
}
