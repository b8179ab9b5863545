#include "water/HeightFieldMeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "foundation/Logger.h"

namespace {

inline void normalizeInto(float x, float y, float z, float* out) {
  const float lengthSquared = x * x + y * y + z * z;
  if (lengthSquared > 0.0f) {
    const float inverse = 1.0f / std::sqrt(lengthSquared);
    out[0] = x * inverse;
    out[1] = y * inverse;
    out[2] = z * inverse;
  } else {
    out[0] = 0.0f;
    out[1] = 1.0f;
    out[2] = 0.0f;
  }
}

}  // namespace

HeightFieldMeshBuilder::HeightFieldMeshBuilder(RefPtr<HeightSource> source)
    : heights(std::move(source)) {
  if (heights) {
    columns = heights->width();
    rows = heights->height();
  }
}

HeightFieldMeshBuilder::HeightFieldMeshBuilder(RefPtr<HeightSource> source,
                                               std::uint32_t displacementWidth,
                                               std::uint32_t displacementHeight,
                                               const Complex* dx, const Complex* dz)
    : HeightFieldMeshBuilder(std::move(source)) {
  // Displacement fields of another size than the grid would be read out of bounds.
  if (displacementWidth == columns && displacementHeight == rows && dx && dz) {
    displacementX = dx;
    displacementZ = dz;
  } else {
    Logger::instance().line(2) << "Displacement size does not match the height field" << std::endl;
  }
}

void HeightFieldMeshBuilder::setVerticalRange(float lo, float hi) {
  low = lo;
  high = hi;
}

void HeightFieldMeshBuilder::setSplitMode(int mode) { splitMode = mode; }

void HeightFieldMeshBuilder::setSpacing(float value) { spacing = value; }

bool HeightFieldMeshBuilder::build(bool allocate, std::uint32_t& vertexCount, float** positions,
                                   float** normals, float** texCoords, std::uint32_t* indexCount,
                                   std::uint16_t** indices) const {
  const std::uint64_t points = static_cast<std::uint64_t>(columns) * rows;
  if (columns <= 1 || rows <= 1 || points >= 65536 || !positions) {
    vertexCount = 0;
    if (positions) *positions = nullptr;
    if (normals) *normals = nullptr;
    if (texCoords) *texCoords = nullptr;
    return false;
  }
  vertexCount = static_cast<std::uint32_t>(points);
  const bool wantIndices = indexCount && indices;
  if (allocate) {
    *positions = new float[points * 3];
    if (normals) *normals = new float[points * 3];
    if (texCoords) *texCoords = new float[points * 2];
    if (wantIndices) *indices = new std::uint16_t[indexCountFor(columns, rows)];
  }

  writePositions(*positions);
  if (normals && *normals) {
    if (displacementX)
      writeNormalsFromPositions(*positions, *normals);
    else
      writeNormalsFromHeights(*normals);
  }
  if (texCoords && *texCoords) writeTexCoords(*texCoords);
  if (wantIndices) {
    *indexCount = indexCountFor(columns, rows);
    if (*indices) writeIndices(*indices);
  }
  return true;
}

void HeightFieldMeshBuilder::writePositions(float* out) const {
  // The 256 possible heights, mapped once per build.
  float levels[256];
  for (int b = 0; b < 256; ++b) {
    const float t = static_cast<float>(b) / 255.0f;
    levels[b] = low == high ? low : low * (1.0f - t) + high * t;
  }
  const float x0 = -static_cast<float>(columns - 1) * spacing * 0.5f;
  const float z0 = static_cast<float>(rows - 1) * spacing * 0.5f;
  const HeightSource& source = *heights;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const float z = z0 - static_cast<float>(r) * spacing;
    const std::uint32_t rowStart = r * columns;
    float* p = out + static_cast<std::size_t>(rowStart) * 3;
    // Heights a chunk at a time through the source's row reader, on the stack.
    std::uint8_t chunk[256];
    for (std::uint32_t start = 0; start < columns; start += 256) {
      const std::uint32_t count = std::min<std::uint32_t>(256, columns - start);
      source.readRow(start, r, count, chunk);
      if (displacementX) {
        const Complex* dx = displacementX + rowStart + start;
        const Complex* dz = displacementZ + rowStart + start;
        for (std::uint32_t c = 0; c < count; ++c, p += 3) {
          p[0] = (x0 + static_cast<float>(start + c) * spacing) + dx[c].real();
          p[1] = levels[chunk[c]];
          p[2] = z - dz[c].real();
        }
      } else {
        for (std::uint32_t c = 0; c < count; ++c, p += 3) {
          p[0] = x0 + static_cast<float>(start + c) * spacing;
          p[1] = levels[chunk[c]];
          p[2] = z;
        }
      }
    }
  }
}

void HeightFieldMeshBuilder::writeNormalsFromHeights(float* out) const {
  const HeightSource& source = *heights;
  const float q = (high - low) * (1.0f / 255.0f);
  const float up = 2.0f * spacing;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint32_t down = std::min(r + 1, rows - 1);
    const std::uint32_t upRow = r == 0 ? 0 : r - 1;
    const int rowFactor = (r == 0 || r == rows - 1) ? 2 : 1;
    for (std::uint32_t c = 0; c < columns; ++c, out += 3) {
      const std::uint32_t right = std::min(c + 1, columns - 1);
      const std::uint32_t left = c == 0 ? 0 : c - 1;
      const int columnFactor = (c == 0 || c == columns - 1) ? 2 : 1;
      const int gx = (static_cast<int>(source.get(right, r)) - source.get(left, r)) * columnFactor;
      const int gz = (static_cast<int>(source.get(c, down)) - source.get(c, upRow)) * rowFactor;
      normalizeInto(-static_cast<float>(gx) * q, up, static_cast<float>(gz) * q, out);
    }
  }
}

// Sum of the cross products of consecutive edges to the four neighbours,
// E1×E2 + E2×E3 + E3×E4 + E4×E1, which equals (E1 − E3)×(E2 − E4): one cross product of the
// central differences, with a missing border neighbour standing in as the vertex itself.
void HeightFieldMeshBuilder::writeNormalsFromPositions(const float* positions,
                                                       float* out) const {
  const std::size_t rowStride = static_cast<std::size_t>(columns) * 3;
  // n = (right − left) × (next − previous) for the vertex at i.
  auto normalAt = [](const float* right, const float* left, const float* next,
                     const float* previous, float* n) {
    const float ax = right[0] - left[0], ay = right[1] - left[1], az = right[2] - left[2];
    const float bx = next[0] - previous[0], by = next[1] - previous[1], bz = next[2] - previous[2];
    normalizeInto(ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx, n);
  };
  for (std::uint32_t r = 0; r < rows; ++r) {
    const float* row = positions + r * rowStride;
    const float* next = r + 1 < rows ? row + rowStride : row;
    const float* previous = r > 0 ? row - rowStride : row;
    float* n = out + r * rowStride;
    const std::size_t last = rowStride - 3;
    normalAt(row + 3, row, next, previous, n);
    // Interior columns without border tests: the raw cross products first, then the inverse
    // lengths in one contiguous pass (which vectorises), then the scaling.
    constexpr std::size_t kChunk = 256;
    float lengthSquared[kChunk];
    for (std::size_t first = 3; first < last; first += 3 * kChunk) {
      const std::size_t end = std::min(last, first + 3 * kChunk);
      std::size_t k = 0;
      for (std::size_t i = first; i < end; i += 3, ++k) {
        const float ax = row[i + 3] - row[i - 3];
        const float ay = row[i + 4] - row[i - 2];
        const float az = row[i + 5] - row[i - 1];
        const float bx = next[i] - previous[i];
        const float by = next[i + 1] - previous[i + 1];
        const float bz = next[i + 2] - previous[i + 2];
        const float nx = ay * bz - az * by;
        const float ny = az * bx - ax * bz;
        const float nz = ax * by - ay * bx;
        n[i] = nx;
        n[i + 1] = ny;
        n[i + 2] = nz;
        lengthSquared[k] = nx * nx + ny * ny + nz * nz;
      }
      const std::size_t count = k;
      for (k = 0; k < count; ++k) {
        const float l = lengthSquared[k];
        lengthSquared[k] = l > 0.0f ? 1.0f / std::sqrt(l > 0.0f ? l : 1.0f) : 0.0f;
      }
      k = 0;
      for (std::size_t i = first; i < end; i += 3, ++k) {
        const float inverse = lengthSquared[k];
        if (inverse > 0.0f) {
          n[i] *= inverse;
          n[i + 1] *= inverse;
          n[i + 2] *= inverse;
        } else {
          n[i] = 0.0f;
          n[i + 1] = 1.0f;
          n[i + 2] = 0.0f;
        }
      }
    }
    normalAt(row + last, row + last - 3, next + last, previous + last, n + last);
  }
}

void HeightFieldMeshBuilder::writeTexCoords(float* out) const {
  const float du = 1.0f / static_cast<float>(columns - 1);
  const float dv = 1.0f / static_cast<float>(rows - 1);
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c, out += 2) {
      out[0] = static_cast<float>(c) * du;
      out[1] = static_cast<float>(r) * dv;
    }
  }
}

void HeightFieldMeshBuilder::writeIndices(std::uint16_t* out) const {
  const HeightSource& source = *heights;
  for (std::uint32_t r = 0; r + 1 < rows; ++r) {
    for (std::uint32_t c = 0; c + 1 < columns; ++c, out += 6) {
      const auto q0 = static_cast<std::uint16_t>(r * columns + c);
      const auto q1 = static_cast<std::uint16_t>(q0 + 1);
      const auto q2 = static_cast<std::uint16_t>(q0 + columns + 1);
      const auto q3 = static_cast<std::uint16_t>(q0 + columns);
      bool splitA;
      if (splitMode == 2) {
        splitA = true;
      } else if (splitMode == 3) {
        splitA = false;
      } else {
        const int h0 = source.get(c, r);
        const int h1 = source.get(c + 1, r);
        const int h2 = source.get(c + 1, r + 1);
        const int h3 = source.get(c, r + 1);
        const int diagonalA = std::abs(h0 - h2);
        const int diagonalB = std::abs(h1 - h3);
        splitA = splitMode == 1 ? diagonalA > diagonalB : diagonalA < diagonalB;
      }
      if (splitA) {
        out[0] = q0; out[1] = q2; out[2] = q3;
        out[3] = q0; out[4] = q1; out[5] = q2;
      } else {
        out[0] = q0; out[1] = q1; out[2] = q3;
        out[3] = q1; out[4] = q2; out[5] = q3;
      }
    }
  }
}
