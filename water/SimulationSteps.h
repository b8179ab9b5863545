#pragma once

// Fixed simulation steps for a frame of deltaMs milliseconds: one per whole 10 ms, at most four,
// so a slow frame does not run the grid away and a fast one may run none.
inline int simulationStepsForFrame(double deltaMs) {
  const double steps = deltaMs * 0.1;
  if (!(steps >= 1.0)) return 0;
  return steps >= 4.0 ? 4 : static_cast<int>(steps);
}
