// The ocean and its mesh against a plain evaluation: the algorithms written cell by cell in the
// order of their description, without the production code's passes, tables and vector loops.
// Both must give the same bits, so that speeding the production code up never changes the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "water/ChoppyFftOcean.h"
#include "water/ComplexHeightSource.h"
#include "water/FftPlan2D.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/PhaseFactors.h"

namespace {

using Complex = FftPlan2D::Complex;

constexpr int kLog2 = 6;
constexpr std::uint32_t kSide = 64;
constexpr float kHeightMin = -60.0f;
constexpr float kHeightMax = 60.0f;

struct Fields {
  std::vector<Complex> h, dx, dz;
};

// The spectrum at timeSec cell by cell (rows 0..M/2, each cell then its mirror), the three inverse
// transforms, and the (−1)^(r+c) correction with the choppiness on the displacements.
Fields plainOcean(const ChoppyFftOcean& ocean, double timeSec) {
  const std::uint32_t n = ocean.width(), m = ocean.height();
  const Complex* h0 = ocean.initialAmplitudes();
  Fields out{std::vector<Complex>(n * m), std::vector<Complex>(n * m), std::vector<Complex>(n * m)};
  auto store = [&](std::uint32_t index, float kx, float kz, float k, Complex value) {
    out.h[index] = value;
    if (k == 0.0f) {
      out.dx[index] = out.dz[index] = Complex(0.0f, 0.0f);
      return;
    }
    const float ux = kx / k, uz = kz / k;
    out.dx[index] = Complex(value.imag() * ux, -value.real() * ux);
    out.dz[index] = Complex(value.imag() * uz, -value.real() * uz);
  };
  for (std::uint32_t r = 0; r <= m / 2; ++r) {
    for (std::uint32_t c = 0; c < n; ++c) {
      const float kx = ocean.waveNumberX(c), kz = ocean.waveNumberZ(r);
      const float kSquared = kx * kx + kz * kz;
      const float k = std::sqrt(kSquared);
      const double omega = std::sqrt(FftOcean::kGravity * std::sqrt(kSquared));
      float s, co;
      sinCosPeriod(reducePhase(omega * timeSec), s, co);
      const std::uint32_t index = r * n + c;
      const std::uint32_t mirror = ((m - r) & (m - 1)) * n + ((n - c) & (n - 1));
      const float ar = h0[index].real(), ai = h0[index].imag();
      const float br = h0[mirror].real(), bi = -h0[mirror].imag();
      const Complex value(ar * co - ai * s + br * co + bi * s, ar * s + ai * co + bi * co - br * s);
      store(index, kx, kz, k, value);
      if (r != m / 2) store(mirror, -kx, -kz, k, std::conj(value));
    }
  }
  FftPlan2D plan(kLog2, kLog2, 1);
  Complex* scratch = FftPlan2D::allocate(n * m);
  const float lambda = ocean.getChoppiness();
  for (std::vector<Complex>* field : {&out.h, &out.dx, &out.dz}) {
    std::copy(field->begin(), field->end(), scratch);
    plan.execute(scratch);
    const float factor = field == &out.h ? 1.0f : lambda;
    for (std::uint32_t r = 0; r < m; ++r) {
      for (std::uint32_t c = 0; c < n; ++c) {
        const float sign = ((r + c) & 1) ? -factor : factor;
        const Complex v = scratch[r * n + c];
        (*field)[r * n + c] = Complex(v.real() * sign, v.imag() * sign);
      }
    }
  }
  FftPlan2D::release(scratch);
  return out;
}

struct Grid {
  std::vector<float> positions, normals;
};

// Positions: the quantised height mapped onto [lo, hi], pushed by the displacements; normals: the
// cross product of the central differences (one-sided at the border), normalised.
Grid plainGrid(const Fields& fields, std::uint32_t n, std::uint32_t m, float lo, float hi) {
  Grid out{std::vector<float>(3 * n * m), std::vector<float>(3 * n * m)};
  const float step = 1.0f;
  const float x0 = -static_cast<float>(n - 1) * step * 0.5f;
  const float z0 = static_cast<float>(m - 1) * step * 0.5f;
  for (std::uint32_t r = 0; r < m; ++r) {
    for (std::uint32_t c = 0; c < n; ++c) {
      const std::uint32_t i = r * n + c;
      const std::uint8_t b = HeightSource::quantise(fields.h[i].real(), kHeightMin, kHeightMax - kHeightMin);
      const float t = static_cast<float>(b) / 255.0f;
      out.positions[3 * i] = (x0 + static_cast<float>(c) * step) + fields.dx[i].real();
      out.positions[3 * i + 1] = lo == hi ? lo : lo * (1.0f - t) + hi * t;
      out.positions[3 * i + 2] = (z0 - static_cast<float>(r) * step) - fields.dz[i].real();
    }
  }
  auto at = [&](std::uint32_t r, std::uint32_t c, int axis) { return out.positions[3 * (r * n + c) + axis]; };
  for (std::uint32_t r = 0; r < m; ++r) {
    for (std::uint32_t c = 0; c < n; ++c) {
      const std::uint32_t right = std::min(c + 1, n - 1), left = c > 0 ? c - 1 : 0;
      const std::uint32_t next = std::min(r + 1, m - 1), prev = r > 0 ? r - 1 : 0;
      float a[3], d[3];
      for (int axis = 0; axis < 3; ++axis) {
        a[axis] = at(r, right, axis) - at(r, left, axis);
        d[axis] = at(next, c, axis) - at(prev, c, axis);
      }
      float nx = a[1] * d[2] - a[2] * d[1];
      float ny = a[2] * d[0] - a[0] * d[2];
      float nz = a[0] * d[1] - a[1] * d[0];
      const float l = nx * nx + ny * ny + nz * nz;
      if (l > 0.0f) {
        const float inverse = 1.0f / std::sqrt(l);
        nx *= inverse;
        ny *= inverse;
        nz *= inverse;
      } else {
        nx = 0.0f;
        ny = 1.0f;
        nz = 0.0f;
      }
      const std::uint32_t i = r * n + c;
      out.normals[3 * i] = nx;
      out.normals[3 * i + 1] = ny;
      out.normals[3 * i + 2] = nz;
    }
  }
  return out;
}

// Index of the first element whose bits differ, or −1.
template <typename T>
long firstDifference(const T* a, const T* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(T)) != 0) return static_cast<long>(i);
  }
  return -1;
}

TEST(OceanReference, SceneOceanAndItsMeshEqualAPlainEvaluationBitForBit) {
  struct Case {
    double timeSec;
    float choppiness;
    float lo, hi;
  };
  const Case cases[] = {
      {0.0, -0.15f, -8.0f, 8.0f},  {0.016, -0.15f, -8.0f, 8.0f}, {12.75, -0.3f, -2.5f, 11.0f},
      {3.0, 0.0f, -8.0f, 8.0f},    {36000.123, -0.15f, 5.0f, 5.0f},
  };
  ChoppyFftOcean ocean(-0.15f, kLog2, kLog2, 0.0008f, 30.0f, 10.0f, 100.0f, 100.0f);
  RefPtr<ComplexHeightSource> source = new ComplexHeightSource(ocean.heights(), kSide, kSide, kHeightMin, kHeightMax);
  HeightFieldMeshBuilder builder(source, kSide, kSide, ocean.displacementX(), ocean.displacementZ());
  std::vector<float> positions(3 * kSide * kSide), normals(3 * kSide * kSide);
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << "t = " << test.timeSec << ", lambda = " << test.choppiness);
    ocean.setChoppiness(test.choppiness);
    ocean.evaluate(test.timeSec);
    const Fields expected = plainOcean(ocean, test.timeSec);
    EXPECT_EQ(firstDifference(ocean.heights(), expected.h.data(), expected.h.size()), -1);
    EXPECT_EQ(firstDifference(ocean.displacementX(), expected.dx.data(), expected.dx.size()), -1);
    EXPECT_EQ(firstDifference(ocean.displacementZ(), expected.dz.data(), expected.dz.size()), -1);

    builder.setVerticalRange(test.lo, test.hi);
    std::uint32_t vertexCount = 0;
    float* p = positions.data();
    float* nrm = normals.data();
    ASSERT_TRUE(builder.build(false, vertexCount, &p, &nrm, nullptr, nullptr, nullptr));
    ASSERT_EQ(vertexCount, kSide * kSide);
    const Grid grid = plainGrid(expected, kSide, kSide, test.lo, test.hi);
    EXPECT_EQ(firstDifference(positions.data(), grid.positions.data(), positions.size()), -1);
    EXPECT_EQ(firstDifference(normals.data(), grid.normals.data(), normals.size()), -1);
  }
}

// Widths that leave every tail of the vector loops (eight, four and single columns) to run.
TEST(OceanReference, DisplacedGridsOfAnyShapeEqualThePlainGridBitForBit) {
  const std::uint32_t widths[] = {2, 3, 5, 8, 12, 13, 67};
  const std::uint32_t heights[] = {2, 3, 9};
  for (std::uint32_t n : widths) {
    for (std::uint32_t m : heights) {
      SCOPED_TRACE(testing::Message() << n << " x " << m);
      Fields fields{std::vector<Complex>(n * m), std::vector<Complex>(n * m), std::vector<Complex>(n * m)};
      for (std::uint32_t i = 0; i < n * m; ++i) {
        // Heights over the whole range and beyond it (the quantisation wraps), uneven pushes.
        fields.h[i] = Complex(std::sin(0.7f * i) * 70.0f, 1.0f);
        fields.dx[i] = Complex(std::cos(1.3f * i) * 0.4f, -2.0f);
        fields.dz[i] = Complex(std::sin(0.3f * i + 1.0f) * 0.6f, 3.0f);
      }
      RefPtr<ComplexHeightSource> source = new ComplexHeightSource(fields.h.data(), n, m, kHeightMin, kHeightMax);
      HeightFieldMeshBuilder builder(source, n, m, fields.dx.data(), fields.dz.data());
      builder.setVerticalRange(-3.0f, 7.5f);
      std::vector<float> positions(3 * n * m), normals(3 * n * m);
      std::uint32_t vertexCount = 0;
      float* p = positions.data();
      float* nrm = normals.data();
      ASSERT_TRUE(builder.build(false, vertexCount, &p, &nrm, nullptr, nullptr, nullptr));
      const Grid grid = plainGrid(fields, n, m, -3.0f, 7.5f);
      EXPECT_EQ(firstDifference(positions.data(), grid.positions.data(), positions.size()), -1);
      EXPECT_EQ(firstDifference(normals.data(), grid.normals.data(), normals.size()), -1);
    }
  }
}

}  // namespace
