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
// measured frame, plus the start-up time from process start to the first presented frame.
class BenchReport {
 public:
  struct Entry {
    std::string context;
    TimingSummary update;
    TimingSummary render;
    int frames = 0;
    double framesPerSecond = 0.0;  // 1000 / (mean update + mean render)
  };

  void setDevice(const std::string& deviceName) { device = deviceName; }
  void setStartupMs(double ms) { startupMs = ms; }
  void addContext(const std::string& context, const std::vector<double>& updateMs,
                  const std::vector<double>& renderMs);

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
