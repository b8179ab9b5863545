#include "app/BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

TimingSummary summarizeTimings(std::vector<double> samplesMs) {
  TimingSummary summary;
  const std::size_t n = samplesMs.size();
  if (n == 0) return summary;
  std::sort(samplesMs.begin(), samplesMs.end());
  summary.meanMs = std::accumulate(samplesMs.begin(), samplesMs.end(), 0.0) / static_cast<double>(n);
  summary.medianMs = (n % 2 == 1) ? samplesMs[n / 2] : 0.5 * (samplesMs[n / 2 - 1] + samplesMs[n / 2]);
  // ceil(0.99 n) computed in integers so that n = 100 gives rank 99 exactly.
  const std::size_t rank = (99 * n + 99) / 100;
  summary.p99Ms = samplesMs[std::max<std::size_t>(rank, 1) - 1];
  return summary;
}

void BenchReport::addContext(const std::string& context, const std::vector<double>& updateMs,
                             const std::vector<double>& renderMs, double initMs) {
  Entry entry;
  entry.context = context;
  entry.initMs = initMs;
  entry.update = summarizeTimings(updateMs);
  entry.render = summarizeTimings(renderMs);
  entry.frames = static_cast<int>(std::min(updateMs.size(), renderMs.size()));
  const double frameMs = entry.update.meanMs + entry.render.meanMs;
  entry.framesPerSecond = frameMs > 0.0 ? 1000.0 / frameMs : 0.0;
  results.push_back(entry);
}

void BenchReport::setFloor(const std::string& description, const std::vector<double>& floorMs) {
  if (results.empty()) return;
  Entry& entry = results.back();
  entry.floorName = description;
  entry.floor = summarizeTimings(floorMs);
  entry.updateOverFloor = entry.floor.medianMs > 0.0 ? entry.update.medianMs / entry.floor.medianMs : 0.0;
}

namespace {

std::string format(const char* pattern, double a, double b, double c) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
  return buffer;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string jsonNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", std::isfinite(value) ? value : 0.0);
  return buffer;
}

std::string jsonSummary(const TimingSummary& s) {
  return "{\"mean\": " + jsonNumber(s.meanMs) + ", \"median\": " + jsonNumber(s.medianMs) +
         ", \"p99\": " + jsonNumber(s.p99Ms) + "}";
}

}  // namespace

std::string BenchReport::table() const {
  std::string out;
  char line[256];
  std::snprintf(line, sizeof line, "device: %s, start-up to first presented frame: %.1f ms\n",
                device.empty() ? "gl" : device.c_str(), startupMs);
  out += line;
  std::snprintf(line, sizeof line, "%-22s %6s | %27s | %27s | %8s | %7s\n", "context", "frames",
                "update ms (mean/median/p99)", "render ms (mean/median/p99)", "fps", "init ms");
  out += line;
  for (const Entry& e : results) {
    std::snprintf(line, sizeof line, "%-22s %6d | %27s | %27s | %8.1f | %7.1f\n", e.context.c_str(), e.frames,
                  format("%8.3f %8.3f %8.3f", e.update.meanMs, e.update.medianMs, e.update.p99Ms).c_str(),
                  format("%8.3f %8.3f %8.3f", e.render.meanMs, e.render.medianMs, e.render.p99Ms).c_str(),
                  e.framesPerSecond, e.initMs);
    out += line;
    if (!e.floorName.empty()) {
      std::snprintf(line, sizeof line, "%-22s %6s | %27s | floor: %s; update median / floor median %.2f\n",
                    "  floor", "", format("%8.3f %8.3f %8.3f", e.floor.meanMs, e.floor.medianMs, e.floor.p99Ms).c_str(),
                    e.floorName.c_str(), e.updateOverFloor);
      out += line;
    }
  }
  return out;
}

std::string BenchReport::json() const {
  std::string out = "{\n  \"device\": " + jsonString(device.empty() ? "gl" : device) +
                    ",\n  \"startupMs\": " + jsonNumber(startupMs) + ",\n  \"contexts\": [";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Entry& e = results[i];
    out += (i ? ",\n    " : "\n    ");
    out += "{\"name\": " + jsonString(e.context) + ", \"frames\": " + std::to_string(e.frames) +
           ", \"updateMs\": " + jsonSummary(e.update) + ", \"renderMs\": " + jsonSummary(e.render) +
           ", \"fps\": " + jsonNumber(e.framesPerSecond) + ", \"initMs\": " + jsonNumber(e.initMs);
    if (!e.floorName.empty()) {
      out += ", \"floor\": " + jsonString(e.floorName) + ", \"floorMs\": " + jsonSummary(e.floor) +
             ", \"updateOverFloor\": " + jsonNumber(e.updateOverFloor);
    }
    out += "}";
  }
  out += results.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}
