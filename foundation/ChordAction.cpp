#include "foundation/ChordAction.h"

void ChordAction::poll() {
  first->update();
  second->update();
  active = first->isActive() && second->isActive() ? 1 : 0;
}

void ChordAction::afterPoll() {
  if (active) clearActive(*first);
}
