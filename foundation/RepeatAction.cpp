#include "foundation/RepeatAction.h"

#include "foundation/Timer.h"

void RepeatAction::poll() {
  const double now = Timer::instance().time();
  source->update();
  active = source->isActive() ? 1 : 0;
  if (!active) {
    wait = 0.0;
    last = 0.0;
  } else if (wait == 0.0) {
    wait = delay;
    last = now;
  } else if (now - last >= wait) {
    wait = interval;
    last = now;
    active = 0;
  }
}
