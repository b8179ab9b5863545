#include "water/HeightFieldMeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "foundation/Logger.h"


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
  // A refresh needs the caller's position array.
  const bool missingPositions = !positions || (!allocate && !*positions);
  if (columns <= 1 || rows <= 1 || points >= 65536 || missingPositions) {
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
      writeNormalsFromPositions(*normals);
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
  // With displacement the normals are taken from the positions; they read them from planes of
  // x, y and z, kept with the builder so that refreshes do not allocate.
  const bool keepPlanes = displacementX != nullptr;
  if (keepPlanes) {
    const std::size_t count = static_cast<std::size_t>(columns) * rows;
    planeX.resize(count);
    planeY.resize(count);
    planeZ.resize(count);
  }
  // Source value b maps to lo·(1 − t) + hi·t with t = b/255; exactly lo when the ends are equal.
  const bool flat = low == high;
  const float lo = low, hi = high;
  auto level = [flat, lo, hi](std::uint8_t b) {
    const float t = static_cast<float>(b) / 255.0f;
    return flat ? lo : lo * (1.0f - t) + hi * t;
  };
  // Members in locals: the float stores below could otherwise alias them.
  const float step = spacing;
  const Complex* const displacedX = displacementX;
  const Complex* const displacedZ = displacementZ;
  const float x0 = -static_cast<float>(columns - 1) * step * 0.5f;
  const float z0 = static_cast<float>(rows - 1) * step * 0.5f;
  const HeightSource& source = *heights;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const float z = z0 - static_cast<float>(r) * step;
    const std::uint32_t rowStart = r * columns;
    float* p = out + static_cast<std::size_t>(rowStart) * 3;
    // Heights a chunk at a time through the source's row reader, on the stack.
    std::uint8_t chunk[256];
    for (std::uint32_t start = 0; start < columns; start += 256) {
      const std::uint32_t count = std::min<std::uint32_t>(256, columns - start);
      source.readRow(start, r, count, chunk);
      if (displacedX) {
        const Complex* dx = displacedX + rowStart + start;
        const Complex* dz = displacedZ + rowStart + start;
        float* px = planeX.data() + rowStart + start;
        float* py = planeY.data() + rowStart + start;
        float* pz = planeZ.data() + rowStart + start;
        for (std::uint32_t c = 0; c < count; ++c) {
          px[c] = (x0 + static_cast<float>(start + c) * step) + dx[c].real();
          py[c] = level(chunk[c]);
          pz[c] = z - dz[c].real();
        }
        for (std::uint32_t c = 0; c < count; ++c, p += 3) {
          p[0] = px[c];
          p[1] = py[c];
          p[2] = pz[c];
        }
      } else {
        for (std::uint32_t c = 0; c < count; ++c, p += 3) {
          p[0] = x0 + static_cast<float>(start + c) * step;
          p[1] = level(chunk[c]);
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
  const std::uint32_t n = columns;
  constexpr std::uint32_t kChunk = 256;
  // Source rows a chunk at a time; the current row also holds one column either side.
  std::uint8_t above[kChunk], below[kChunk], row[kChunk + 2];
  float nx[kChunk], ny[kChunk], nz[kChunk];
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint32_t down = std::min(r + 1, rows - 1);
    const std::uint32_t upRow = r == 0 ? 0 : r - 1;
    const int rowFactor = (r == 0 || r == rows - 1) ? 2 : 1;
    for (std::uint32_t first = 0; first < n; first += kChunk) {
      const std::uint32_t count = std::min(kChunk, n - first);
      source.readRow(first, upRow, count, above);
      source.readRow(first, down, count, below);
      // row[k + 1] is column first + k; row[0] and row[count + 1] its neighbours, clamped.
      source.readRow(first, r, count, row + 1);
      row[0] = first > 0 ? source.get(first - 1, r) : row[1];
      row[count + 1] = first + count < n ? source.get(first + count, r) : row[count];
      for (std::uint32_t k = 0; k < count; ++k) {
        const int gx = static_cast<int>(row[k + 2]) - static_cast<int>(row[k]);
        const int gz = static_cast<int>(below[k]) - static_cast<int>(above[k]);
        nx[k] = -static_cast<float>(gx) * q;
        ny[k] = up;
        nz[k] = static_cast<float>(gz * rowFactor) * q;
      }
      // The border columns see the vertex itself as their missing neighbour, doubled.
      if (first == 0) nx[0] *= 2.0f;
      if (first + count == n) nx[count - 1] *= 2.0f;
      for (std::uint32_t k = 0; k < count; ++k) {
        const float l = nx[k] * nx[k] + ny[k] * ny[k] + nz[k] * nz[k];
        const bool usable = l > 0.0f;
        const float inverse = 1.0f / std::sqrt(usable ? l : 1.0f);
        nx[k] = usable ? nx[k] * inverse : 0.0f;
        ny[k] = usable ? ny[k] * inverse : 1.0f;
        nz[k] = usable ? nz[k] * inverse : 0.0f;
      }
      float* o = out + (static_cast<std::size_t>(r) * n + first) * 3;
      for (std::uint32_t k = 0; k < count; ++k, o += 3) {
        o[0] = nx[k];
        o[1] = ny[k];
        o[2] = nz[k];
      }
    }
  }
}

// Sum of the cross products of consecutive edges to the four neighbours,
// E1×E2 + E2×E3 + E3×E4 + E4×E1, which equals (E1 − E3)×(E2 − E4): one cross product of the
// central differences, with a missing border neighbour standing in as the vertex itself.
// Reads the position planes that writePositions filled, so the interior columns run as
// contiguous (vectorised) loops.
void HeightFieldMeshBuilder::writeNormalsFromPositions(float* out) const {
  const float* X = planeX.data();
  const float* Y = planeY.data();
  const float* Z = planeZ.data();
  const std::size_t n = columns;
  constexpr std::size_t kChunk = 256;
  float nx[kChunk], ny[kChunk], nz[kChunk];
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::size_t cur = static_cast<std::size_t>(r) * n;
    const std::size_t next = static_cast<std::size_t>(r + 1 < rows ? r + 1 : r) * n;
    const std::size_t prev = static_cast<std::size_t>(r > 0 ? r - 1 : r) * n;
    for (std::size_t first = 0; first < n; first += kChunk) {
      const std::size_t count = std::min(kChunk, n - first);
      auto cross = [&](std::size_t c, std::size_t right, std::size_t left, std::size_t k) {
        const float ax = X[cur + right] - X[cur + left];
        const float ay = Y[cur + right] - Y[cur + left];
        const float az = Z[cur + right] - Z[cur + left];
        const float bx = X[next + c] - X[prev + c];
        const float by = Y[next + c] - Y[prev + c];
        const float bz = Z[next + c] - Z[prev + c];
        nx[k] = ay * bz - az * by;
        ny[k] = az * bx - ax * bz;
        nz[k] = ax * by - ay * bx;
      };
      const std::size_t lo = std::max<std::size_t>(first, 1);
      const std::size_t hi = std::min(first + count, n - 1);
      for (std::size_t c = lo; c < hi; ++c) cross(c, c + 1, c - 1, c - first);
      if (first == 0) cross(0, 1, 0, 0);
      if (first + count == n) cross(n - 1, n - 1, n - 2, count - 1);
      for (std::size_t k = 0; k < count; ++k) {
        const float l = nx[k] * nx[k] + ny[k] * ny[k] + nz[k] * nz[k];
        const bool usable = l > 0.0f;
        const float inverse = 1.0f / std::sqrt(usable ? l : 1.0f);
        nx[k] = usable ? nx[k] * inverse : 0.0f;
        ny[k] = usable ? ny[k] * inverse : 1.0f;
        nz[k] = usable ? nz[k] * inverse : 0.0f;
      }
      float* o = out + (cur + first) * 3;
      for (std::size_t k = 0; k < count; ++k, o += 3) {
        o[0] = nx[k];
        o[1] = ny[k];
        o[2] = nz[k];
      }
    }
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
