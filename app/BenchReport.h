#pragma once
#include <string>
#include <vector>

// Mean, median and 99th percentile of a set of frame times in milliseconds.
struct TimingSummary {
  double meanMs = 0.0;
  double medianMs = 0.0;
  double p99Ms = 0.0;  // nearest rank: the smallest sample with at least 99 % of samples at or below it
};

// Empty samples give all zeros.
TimingSummary summarizeTimings(std::vector<double> samplesMs);

// Results of a benchmark run: per context the update and render (including present) times of every
// measured frame, the time its init took, and, for a context that names a floor under its update,
// that floor timed in the same frames; plus the start-up time from process start to the first
// presented frame.
class BenchReport {
 public:
  struct Entry {
    std::string context;
    TimingSummary update;
    TimingSummary render;
    int frames = 0;
    double framesPerSecond = 0.0;  // 1000 / (mean update + mean render)
    double initMs = 0.0;
    std::string floorName;  // empty: no floor
    TimingSummary floor;
    double updateOverFloor = 0.0;  // median update / median floor; 0 without a floor
  };

  void setDevice(const std::string& deviceName) { device = deviceName; }
  void setStartupMs(double ms) { startupMs = ms; }
  void addContext(const std::string& context, const std::vector<double>& updateMs,
                  const std::vector<double>& renderMs, double initMs = 0.0);
  // The floor under the last added context's update, timed beside it.
  void setFloor(const std::string& description, const std::vector<double>& floorMs);

  const std::vector<Entry>& entries() const { return results; }
  double startup() const { return startupMs; }

  // A fixed-width text table, one row per context.
  std::string table() const;
  // The same figures as one JSON object.
  std::string json() const;

 private:
  std::string device;
  double startupMs = 0.0;
  std::vector<Entry> results;
};
