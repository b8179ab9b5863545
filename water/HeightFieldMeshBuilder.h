#pragma once
#include <complex>
#include <cstdint>

#include <vector>

#include "foundation/RefPtr.h"
#include "water/HeightSource.h"
#include "water/TerrainTextureLayer.h"

// Turns a HeightSource into a centred, regularly spaced vertex grid (rows run towards −z), with
// normals, texture coordinates and a triangle list. Optionally the grid is pushed sideways by two
// displacement fields (real parts used): +dx along x, −dz along z. A builder is cheap to keep: a
// scene that refreshes every frame calls build() without allocation to rewrite its arrays in place.
class HeightFieldMeshBuilder {
 public:
  using Complex = std::complex<float>;

  explicit HeightFieldMeshBuilder(RefPtr<HeightSource> source);
  HeightFieldMeshBuilder(RefPtr<HeightSource> source, std::uint32_t displacementWidth,
                         std::uint32_t displacementHeight, const Complex* dx, const Complex* dz);

  // Heights 0..255 map linearly onto [lo, hi].
  void setVerticalRange(float lo, float hi);
  // 0: split each quad along the diagonal whose ends differ least; 1: along the other one;
  // 2: always (q0, q2); 3: always (q1, q3).
  void setSplitMode(int mode);
  void setSpacing(float spacing);

  // Texture layers for the terrain's synthesis; the builder only carries them.
  void addLayer(const TerrainTextureLayer& layer) { layerList.push_back(layer); }
  const std::vector<TerrainTextureLayer>& layers() const { return layerList; }

  std::uint32_t width() const { return columns; }
  std::uint32_t height() const { return rows; }
  const RefPtr<HeightSource>& source() const { return heights; }
  float verticalLow() const { return low; }
  float verticalHigh() const { return high; }

  static std::uint32_t indexCountFor(std::uint32_t width, std::uint32_t height) {
    return (6 * width - 6) * (height - 1);
  }

  // With allocate set, every requested array is created with new[] (x, y, z triples; u, v pairs)
  // and its pointer written back; otherwise the caller's arrays are overwritten. Normals, texture
  // coordinates and indices are produced only when asked for (indices need both pointers).
  // A grid of one row or column, or of 65536 or more points, builds nothing: the count is 0, the
  // requested vertex pointers are set to null and false is returned. So does a refresh without
  // a position array.
  bool build(bool allocate, std::uint32_t& vertexCount, float** positions, float** normals,
             float** texCoords, std::uint32_t* indexCount, std::uint16_t** indices) const;

 private:
  void writePositions(float* positions) const;
  void writeNormalsFromHeights(float* normals) const;
  // Positions pushed by the displacement, and (when normals is given) their normals.
  void writeDisplacedGrid(float* positions, float* normals) const;
  void writeTexCoords(float* texCoords) const;
  void writeIndices(std::uint16_t* indices) const;

  RefPtr<HeightSource> heights;
  std::vector<TerrainTextureLayer> layerList;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  int splitMode = 0;
  float low = 0.0f;
  float high = 10.0f;
  float spacing = 1.0f;
  const Complex* displacementX = nullptr;
  const Complex* displacementZ = nullptr;
  // Displaced positions as separate x, y and z planes for their normals; sized at the first build.
  mutable std::vector<float> planeX;
  mutable std::vector<float> planeY;
  mutable std::vector<float> planeZ;
  mutable std::vector<float> rowScratch;
  mutable std::vector<std::uint8_t> rowHeights;
};
