#include "foundation/FrameStats.h"

FrameStats& FrameStats::instance() {
  static FrameStats stats;
  return stats;
}

void FrameStats::frame(double nowMs) {
  ++framesInInterval;
  if (nowMs - markTime > 1000.0) {
    framesPerSecond = framesInInterval;
    framesInInterval = 0;
    markTime = nowMs;
  }
  previousVertices = vertices;
  previousTriangles = triangles;
  vertices = 0;
  triangles = 0;
}

void FrameStats::addPrimitives(std::uint32_t vertexCount, std::uint32_t triangleCount) {
  vertices += vertexCount;
  triangles += triangleCount;
}
