#pragma once

// Millisecond stopwatch, started at construction. It counts whole milliseconds like the processor
// clock the engine was designed around (1000 ticks per second), so consecutive reads within one
// millisecond give the same value and a frame delta of 0 is possible. The underlying time is
// monotonic wall time, not processor time, so a frame that waits for the display still counts.
class Clock {
 public:
  Clock();

  // Whole milliseconds since start, or the same in seconds (× 0.001) when inSeconds is true.
  double elapsed(bool inSeconds = false) const;
  void restart();

  // The program-wide clock, started at its first use; the log stamps its lines with it.
  static Clock& program();

  // Current time in milliseconds (arbitrary origin, sub-millisecond precision) from the time source.
  static double nowMs();

  // Replaces the time source (milliseconds, any origin) for every clock; nullptr restores the
  // monotonic system clock. Tests use it to step time by hand.
  using TimeSource = double (*)();
  static void setTimeSource(TimeSource source);

 private:
  static double ticks();

  double startTicks;
};
