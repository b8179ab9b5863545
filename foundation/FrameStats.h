#pragma once
#include <cstdint>

// Frames per second over intervals of just over a second, and the vertices and triangles drawn in
// the previous frame, for the on-screen statistics.
class FrameStats {
 public:
  static FrameStats& instance();

  // Starts a new frame at time nowMs (milliseconds of the program clock).
  void frame(double nowMs);
  void addPrimitives(std::uint32_t vertexCount, std::uint32_t triangleCount);

  std::uint32_t fps() const { return framesPerSecond; }
  std::uint32_t lastVertices() const { return previousVertices; }
  std::uint32_t lastTriangles() const { return previousTriangles; }

  FrameStats() = default;

 private:
  double markTime = 0.0;
  std::uint32_t framesInInterval = 0;
  std::uint32_t framesPerSecond = 0;
  std::uint32_t vertices = 0;
  std::uint32_t triangles = 0;
  std::uint32_t previousVertices = 0;
  std::uint32_t previousTriangles = 0;
};
