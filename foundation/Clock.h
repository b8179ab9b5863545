#pragma once

// Wall-clock stopwatch in milliseconds, started at construction. Engine time is monotonic wall
// time (not processor time), so a frame that waits for the display still counts.
class Clock {
 public:
  Clock();

  // Milliseconds since start, or seconds when inSeconds is true.
  double elapsed(bool inSeconds = false) const;
  void restart();

  // The program-wide clock, started at its first use; the log stamps its lines with it.
  static Clock& program();

  // Current monotonic time in milliseconds (arbitrary origin).
  static double nowMs();

 private:
  double startMs;
};
