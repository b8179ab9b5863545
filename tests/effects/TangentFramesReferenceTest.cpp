// Tangent frames against a plain evaluation: the algorithm written corner by corner in the order
// of its description, summing in double and normalising each sum on its own. The production code
// must give the same bits, so that making it faster never changes a bump-mapped picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "effects/TangentFrames.h"
#include "engine/Mesh.h"
#include "loaders/Md3Loader.h"

namespace {

struct PlainResult {
  std::vector<std::uint32_t> twinSources;
  std::vector<std::uint16_t> indices;
  std::vector<std::vector<TangentFrame>> frames;
};

Vector3 normalisedSum(const double s[3]) {
  const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  if (length == 0.0) return Vector3();
  return Vector3(static_cast<float>(s[0] / length), static_cast<float>(s[1] / length), static_cast<float>(s[2] / length));
}

// Handedness of a corner: the sign of (T × B) · N; 0 when it is zero.
int side(const TriangleTangents& t, const Vector3& n) {
  const float s = t.tangent.cross(t.binormal).dot(n);
  return s > 0.0f ? 1 : s < 0.0f ? 2 : 0;
}

PlainResult plainTangentFrames(const Mesh& mesh, bool flipV, int channel) {
  const std::uint32_t n = mesh.vertexCount();
  const std::uint32_t triangles = mesh.triangleCount();
  const std::vector<TexCoord>& uv = mesh.texCoords(channel);
  PlainResult out;
  out.indices = mesh.indices();
  std::vector<int> handedness(n, 0);
  std::vector<std::uint32_t> twin(n, 0xFFFFFFFFu);
  // A triangle of a frame: its vertices, their normals (the face's without vertex normals) and its
  // tangents.
  struct Corners {
    std::uint32_t i[3];
    Vector3 normal[3];
    TriangleTangents tangents;
  };
  auto corners = [&](const VertexFrame& f, std::uint32_t t) {
    Corners out;
    Vector3 p[3];
    TexCoord c[3];
    for (int k = 0; k < 3; ++k) {
      out.i[k] = mesh.corner(t, k);
      p[k] = f.positions[out.i[k]];
      c[k] = uv[out.i[k]];
    }
    Vector3 face = (p[1] - p[0]).cross(p[2] - p[0]);
    if (!face.isZero()) face.normalize();
    else face = Vector3();
    for (int k = 0; k < 3; ++k) out.normal[k] = f.normals.size() == n ? f.normals[out.i[k]] : face;
    out.tangents = triangleTangents(p, c, flipV);
    return out;
  };
  const VertexFrame& first = *mesh.frame(0);
  for (std::uint32_t t = 0; t < triangles; ++t) {
    const Corners corner = corners(first, t);
    const std::uint32_t* i = corner.i;
    for (int k = 0; k < 3; ++k) {
      const int s = side(corner.tangents, corner.normal[k]);
      if (s == 0) continue;
      if (handedness[i[k]] == 0) {
        handedness[i[k]] = s;
      } else if (s != handedness[i[k]]) {
        if (twin[i[k]] == 0xFFFFFFFFu) {
          twin[i[k]] = n + static_cast<std::uint32_t>(out.twinSources.size());
          out.twinSources.push_back(i[k]);
        }
        if (!out.indices.empty()) out.indices[t * 3 + k] = static_cast<std::uint16_t>(twin[i[k]]);
      }
    }
  }
  const std::uint32_t total = n + static_cast<std::uint32_t>(out.twinSources.size());
  out.frames.resize(mesh.frameCount());
  for (std::uint32_t f = 0; f < mesh.frameCount(); ++f) {
    const VertexFrame& frame = *mesh.frame(f);
    if (frame.positions.size() != n) continue;
    std::vector<double> sums(9 * static_cast<std::size_t>(total), 0.0);
    for (std::uint32_t t = 0; t < triangles; ++t) {
      const Corners corner = corners(frame, t);
      const TriangleTangents& tangents = corner.tangents;
      for (int k = 0; k < 3; ++k) {
        const int s = side(tangents, corner.normal[k]);
        const std::uint32_t v = corner.i[k];
        const bool toTwin = s != 0 && handedness[v] != 0 && s != handedness[v] && twin[v] != 0xFFFFFFFFu;
        double* sum = &sums[9 * static_cast<std::size_t>(toTwin ? twin[v] : v)];
        const Vector3 parts[3] = {tangents.tangent, tangents.binormal, corner.normal[k]};
        for (int part = 0; part < 3; ++part) {
          sum[3 * part] += parts[part].x;
          sum[3 * part + 1] += parts[part].y;
          sum[3 * part + 2] += parts[part].z;
        }
      }
    }
    for (std::uint32_t v = 0; v < total; ++v) {
      const double* s = &sums[9 * static_cast<std::size_t>(v)];
      out.frames[f].push_back({normalisedSum(s), normalisedSum(s + 3), normalisedSum(s + 6)});
    }
  }
  return out;
}

bool sameBits(const std::vector<TangentFrame>& a, const std::vector<TangentFrame>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TangentFrame)) == 0);
}

// The number of twins the split made.
std::size_t expectSameAsPlain(Mesh& mesh, bool flipV, const std::string& what) {
  const PlainResult expected = plainTangentFrames(mesh, flipV, 0);
  const std::uint32_t before = mesh.vertexCount();
  EXPECT_TRUE(buildTangentFrames(mesh, flipV, 0)) << what;
  EXPECT_EQ(mesh.vertexCount(), before + expected.twinSources.size()) << what;
  EXPECT_EQ(mesh.indices(), expected.indices) << what;
  for (std::uint32_t f = 0; f < mesh.frameCount(); ++f) {
    EXPECT_TRUE(sameBits(mesh.frame(f)->tangentFrames, expected.frames[f])) << what << ", frame " << f;
  }
  return expected.twinSources.size();
}

TEST(TangentFramesReference, GeneratedCharacterEqualsThePlainEvaluationBitForBit) {
  const std::string archive = std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3";
  Md3Loader loader(archive, "models/players/anarki", nullptr);
  ASSERT_TRUE(loader.loaded());
  int surfaces = 0;
  for (Md3PartData* part : {&loader.lower(), &loader.upper(), &loader.head()}) {
    for (const RefPtr<MeshInstance>& instance : part->instances) {
      expectSameAsPlain(*instance->mesh(), true, "surface " + std::to_string(surfaces++));
    }
  }
  EXPECT_GT(surfaces, 2);
}

// Mirrored seams (twins), slivers, triangles without texture area, a frame without normals and
// a non-indexed mesh.
TEST(TangentFramesReference, AwkwardMeshesEqualThePlainEvaluationBitForBit) {
  std::uint32_t state = 99;
  const auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>((state >> 8) % 1000) / 250.0f - 2.0f;
  };
  std::size_t twins = 0;
  for (int round = 0; round < 12; ++round) {
    const std::uint32_t n = 24;
    std::vector<Vector3> positions(n), normals(n);
    std::vector<TexCoord> uv(n);
    for (std::uint32_t v = 0; v < n; ++v) {
      positions[v] = Vector3(next(), next(), next());
      normals[v] = Vector3(next(), next(), 1.0f);
      // Repeated coordinates give area-less and mirrored triangles.
      uv[v] = {static_cast<float>(v % 3) * 0.5f, next() > 0.0f ? 0.25f : 0.75f};
    }
    std::vector<std::uint16_t> indices(3 * 40);
    for (auto& i : indices) i = static_cast<std::uint16_t>(static_cast<std::uint32_t>(next() * 1000.0f + 2000.0f) % n);
    const bool indexed = round % 4 != 3;
    RefPtr<Mesh> mesh(new Mesh(3, n, positions, normals, uv, {}, indexed ? indices : std::vector<std::uint16_t>{}));
    for (std::uint32_t f = 1; f < 3; ++f) {
      VertexFrame& frame = *mesh->frame(f);
      for (const Vector3& p : positions) frame.positions.push_back(p * (1.0f + 0.1f * f) + Vector3(next(), 0, 0) * 0.01f);
      if (round % 2 == 0) frame.normals = normals;  // odd rounds: later frames use the face normals
    }
    twins += expectSameAsPlain(*mesh, round % 3 == 0, "round " + std::to_string(round));
  }
  EXPECT_GT(twins, 0u);
}

}  // namespace
