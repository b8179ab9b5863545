#pragma once
#include "foundation/InputAction.h"

// Held while both actions are held. While it is, the first action's state is withdrawn for the
// frame, so that an action bound to the first key alone does not fire too (Escape against
// Shift+Escape). Update the first action before the chord in every frame.
class ChordAction : public InputAction {
 public:
  // Neither action is owned; both must outlive the chord.
  ChordAction(InputAction* first, InputAction* second) : first(first), second(second) {}

 protected:
  void poll() override;
  void afterPoll() override;

 private:
  InputAction* first;
  InputAction* second;
};
