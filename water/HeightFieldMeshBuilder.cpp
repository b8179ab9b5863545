#include "water/HeightFieldMeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "foundation/Logger.h"
#include "foundation/VectorLoops.h"


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

  float* const normalOut = normals ? *normals : nullptr;
  if (displacementX) {
    writeDisplacedGrid(*positions, normalOut);
  } else {
    writePositions(*positions);
    if (normalOut) writeNormalsFromHeights(normalOut);
  }
  if (texCoords && *texCoords) writeTexCoords(*texCoords);
  if (wantIndices) {
    *indexCount = indexCountFor(columns, rows);
    if (*indices) writeIndices(*indices);
  }
  return true;
}

namespace {

// Source value b maps to lo·(1 − t) + hi·t with t = b/255; exactly lo when the ends are equal.
inline float level(std::uint8_t b, float lo, float hi, bool flat) {
  const float t = static_cast<float>(b) / 255.0f;
  return flat ? lo : lo * (1.0f - t) + hi * t;
}

// All 256 levels at once: a grid then looks its heights up.
void fillLevels(float lo, float hi, float* levels) {
  for (int b = 0; b < 256; ++b) levels[b] = level(static_cast<std::uint8_t>(b), lo, hi, lo == hi);
}

#if defined(__SSE2__)
// Four vertices (x0..x3, y0..y3, z0..z3) as x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3. The same
// shuffles work on each 128-bit half of AVX registers, which hold vertices 0..3 and 4..7.
#define INTERLEAVE_FOUR(shuffle, unpacklo, unpackhi, vx, vy, vz, a, b, c)     \
  do {                                                                        \
    const auto xy01 = unpacklo(vx, vy);                     /* x0 y0 x1 y1 */ \
    const auto xy23 = unpackhi(vx, vy);                     /* x2 y2 x3 y3 */ \
    const auto z0x1 = shuffle(vz, vx, _MM_SHUFFLE(1, 1, 0, 0)); /* z0 z0 x1 x1 */ \
    const auto y1z1 = shuffle(vy, vz, _MM_SHUFFLE(1, 1, 1, 1)); /* y1 y1 z1 z1 */ \
    const auto z2x3 = shuffle(vz, vx, _MM_SHUFFLE(3, 3, 2, 2)); /* z2 z2 x3 x3 */ \
    const auto y3z3 = shuffle(vy, vz, _MM_SHUFFLE(3, 3, 3, 3)); /* y3 y3 z3 z3 */ \
    a = shuffle(xy01, z0x1, _MM_SHUFFLE(2, 0, 1, 0));                         \
    b = shuffle(y1z1, xy23, _MM_SHUFFLE(1, 0, 2, 0));                         \
    c = shuffle(z2x3, y3z3, _MM_SHUFFLE(2, 0, 2, 0));                         \
  } while (false)
#endif

#if VECTOR_LOOPS_AVX2
// Eight vertices at a time; returns how many were written.
AVX2_CODE std::size_t interleaveEights(const float* __restrict x, const float* __restrict y,
                                       const float* __restrict z, std::size_t count, float* __restrict out) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8, out += 24) {
    const __m256 vx = _mm256_loadu_ps(x + i), vy = _mm256_loadu_ps(y + i), vz = _mm256_loadu_ps(z + i);
    __m256 a, b, c;  // per half: the three quarters of its twelve floats
    INTERLEAVE_FOUR(_mm256_shuffle_ps, _mm256_unpacklo_ps, _mm256_unpackhi_ps, vx, vy, vz, a, b, c);
    _mm256_storeu_ps(out, _mm256_permute2f128_ps(a, b, 0x20));
    _mm256_storeu_ps(out + 8, _mm256_permute2f128_ps(c, a, 0x30));
    _mm256_storeu_ps(out + 16, _mm256_permute2f128_ps(b, c, 0x31));
  }
  return i;
}
#endif

// out[3i], out[3i + 1], out[3i + 2] = x[i], y[i], z[i] for i < count.
void interleave(const float* __restrict x, const float* __restrict y, const float* __restrict z,
                std::size_t count, float* __restrict out) {
  std::size_t i = 0;
#if VECTOR_LOOPS_AVX2
  if (hasAvx2()) i = interleaveEights(x, y, z, count, out);
#endif
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128 vx = _mm_loadu_ps(x + i), vy = _mm_loadu_ps(y + i), vz = _mm_loadu_ps(z + i);
    __m128 a, b, c;
    INTERLEAVE_FOUR(_mm_shuffle_ps, _mm_unpacklo_ps, _mm_unpackhi_ps, vx, vy, vz, a, b, c);
    _mm_storeu_ps(out + 3 * i, a);
    _mm_storeu_ps(out + 3 * i + 4, b);
    _mm_storeu_ps(out + 3 * i + 8, c);
  }
#endif
  for (; i < count; ++i) {
    out[3 * i] = x[i];
    out[3 * i + 1] = y[i];
    out[3 * i + 2] = z[i];
  }
}

// One row of displaced positions: x = column x + Re dx, y = the height's level, z = row z − Re dz.
VECTOR_LOOPS void displacedRow(const std::uint8_t* __restrict heights, float lo, float hi,
                  const float* __restrict columnX, const std::complex<float>* dxRow,
                  const std::complex<float>* dzRow, float z, std::size_t count, float* __restrict x,
                  float* __restrict y, float* __restrict zOut) {
  const float* __restrict dx = reinterpret_cast<const float*>(dxRow);
  const float* __restrict dz = reinterpret_cast<const float*>(dzRow);
  // Computed rather than looked up in a table of levels: a vector loop instead of a gather.
  const bool flat = lo == hi;
  for (std::size_t c = 0; c < count; ++c) y[c] = level(heights[c], lo, hi, flat);
  for (std::size_t c = 0; c < count; ++c) x[c] = columnX[c] + dx[2 * c];
  for (std::size_t c = 0; c < count; ++c) zOut[c] = z - dz[2 * c];
}

// Cross products of the central differences along a row (left to right) and across it (next row
// minus previous row), n ≥ 2 columns; the border columns use the vertex itself as their missing
// neighbour.
VECTOR_LOOPS void crossRow(const float* __restrict x, const float* __restrict y, const float* __restrict z,
              const float* __restrict xNext, const float* __restrict yNext, const float* __restrict zNext,
              const float* __restrict xPrev, const float* __restrict yPrev, const float* __restrict zPrev,
              std::size_t n, float* __restrict nx, float* __restrict ny, float* __restrict nz) {
  // Written out rather than through a helper: the vectoriser gives up on the loop otherwise.
  for (std::size_t c = 1; c + 1 < n; ++c) {
    const float ax = x[c + 1] - x[c - 1], ay = y[c + 1] - y[c - 1], az = z[c + 1] - z[c - 1];
    const float bx = xNext[c] - xPrev[c], by = yNext[c] - yPrev[c], bz = zNext[c] - zPrev[c];
    nx[c] = ay * bz - az * by;
    ny[c] = az * bx - ax * bz;
    nz[c] = ax * by - ay * bx;
  }
  const std::size_t ends[2][3] = {{0, 1, 0}, {n - 1, n - 1, n - 2}};  // column, right, left
  for (const auto& [c, right, left] : ends) {
    const float ax = x[right] - x[left], ay = y[right] - y[left], az = z[right] - z[left];
    const float bx = xNext[c] - xPrev[c], by = yNext[c] - yPrev[c], bz = zNext[c] - zPrev[c];
    nx[c] = ay * bz - az * by;
    ny[c] = az * bx - ax * bz;
    nz[c] = ax * by - ay * bx;
  }
}

// Normalises (nx, ny, nz) in place; a zero vector becomes (0, 1, 0).
VECTOR_LOOPS void normaliseRow(std::size_t count, float* __restrict nx, float* __restrict ny, float* __restrict nz) {
  for (std::size_t k = 0; k < count; ++k) {
    const float l = nx[k] * nx[k] + ny[k] * ny[k] + nz[k] * nz[k];
    const bool usable = l > 0.0f;
    const float inverse = 1.0f / std::sqrt(usable ? l : 1.0f);
    nx[k] = usable ? nx[k] * inverse : 0.0f;
    ny[k] = usable ? ny[k] * inverse : 1.0f;
    nz[k] = usable ? nz[k] * inverse : 0.0f;
  }
}

}  // namespace

void HeightFieldMeshBuilder::writePositions(float* out) const {
  float levels[256];
  fillLevels(low, high, levels);
  const float step = spacing;
  const float x0 = -static_cast<float>(columns - 1) * step * 0.5f;
  const float z0 = static_cast<float>(rows - 1) * step * 0.5f;
  const HeightSource& source = *heights;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const float z = z0 - static_cast<float>(r) * step;
    float* p = out + static_cast<std::size_t>(r) * columns * 3;
    // Heights a chunk at a time through the source's row reader, on the stack.
    std::uint8_t chunk[256];
    for (std::uint32_t start = 0; start < columns; start += 256) {
      const std::uint32_t count = std::min<std::uint32_t>(256, columns - start);
      source.readRow(start, r, count, chunk);
      for (std::uint32_t c = 0; c < count; ++c, p += 3) {
        p[0] = x0 + static_cast<float>(start + c) * step;
        p[1] = levels[chunk[c]];
        p[2] = z;
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
      normaliseRow(count, nx, ny, nz);
      interleave(nx, ny, nz, count, out + (static_cast<std::size_t>(r) * n + first) * 3);
    }
  }
}

// One pass over the rows: row r's positions go into the x, y and z planes and out, then row
// r − 1's normals are made from the planes of rows r − 2 .. r while they are still in the cache.
//
// A normal is the sum of the cross products of consecutive edges to the four neighbours,
// E1×E2 + E2×E3 + E3×E4 + E4×E1, which equals (E1 − E3)×(E2 − E4): one cross product of the
// central differences, with a missing border neighbour standing in as the vertex itself.
void HeightFieldMeshBuilder::writeDisplacedGrid(float* positions, float* normals) const {
  const std::size_t n = columns;
  const std::size_t count = n * rows;
  // Scratch kept with the builder, so that refreshes do not allocate: the planes, the x of every
  // column, one row of heights and three of normal components.
  planeX.resize(count);
  planeY.resize(count);
  planeZ.resize(count);
  rowScratch.resize(4 * n);
  rowHeights.resize(n);
  const float step = spacing;
  const float x0 = -static_cast<float>(columns - 1) * step * 0.5f;
  const float z0 = static_cast<float>(rows - 1) * step * 0.5f;
  float* const columnX = rowScratch.data();
  float* const nx = columnX + n;
  float* const ny = nx + n;
  float* const nz = ny + n;
  for (std::uint32_t c = 0; c < columns; ++c) columnX[c] = x0 + static_cast<float>(c) * step;
  float* const X = planeX.data();
  float* const Y = planeY.data();
  float* const Z = planeZ.data();
  const HeightSource& source = *heights;

  auto normalRow = [&](std::uint32_t r) {
    const std::size_t cur = static_cast<std::size_t>(r) * n;
    const std::size_t next = static_cast<std::size_t>(r + 1 < rows ? r + 1 : r) * n;
    const std::size_t prev = static_cast<std::size_t>(r > 0 ? r - 1 : r) * n;
    crossRow(X + cur, Y + cur, Z + cur, X + next, Y + next, Z + next, X + prev, Y + prev, Z + prev,
             n, nx, ny, nz);
    normaliseRow(n, nx, ny, nz);
    interleave(nx, ny, nz, n, normals + 3 * cur);
  };

  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::size_t at = static_cast<std::size_t>(r) * n;
    source.readRow(0, r, columns, rowHeights.data());
    displacedRow(rowHeights.data(), low, high, columnX, displacementX + at, displacementZ + at,
                 z0 - static_cast<float>(r) * step, n, X + at, Y + at, Z + at);
    interleave(X + at, Y + at, Z + at, n, positions + 3 * at);
    if (normals && r > 0) normalRow(r - 1);
  }
  if (normals) normalRow(rows - 1);
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
