#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/BumpVectors.h"

namespace {

// The frame of createQuad: T along +x, B along −y, N along −z.
const TangentFrame kQuadFrame{{1, 0, 0}, {0, -1, 0}, {0, 0, -1}};

TEST(PackLightVector, DirectionIsPackedFadedAndClampedToTheTangentPlane) {
  const float r = std::sqrt(0.5f);
  struct Case {
    const char* what;
    Vector3 toLight;  // object space
    std::uint32_t packed;
  } cases[] = {
      // Straight along N: (0, 0, 1) → (127.5, 127.5, 255) truncated.
      {"along the normal", {0, 0, -1}, 0x7F7FFFFFu},
      // 45° towards +x, above the plane: tangent (0.707, 0, 0.707) → (217, 127, 217).
      {"45 degrees towards T", {r, 0, -r}, 0xD97FD9FFu},
      // Along −y is along +B: (0, 0.707, 0.707).
      {"45 degrees towards B", {0, -r, -r}, 0x7FD9D9FFu},
      // In the tangent plane or behind it the fade is 0: mid-grey, no light through the dot product.
      {"in the tangent plane", {1, 0, 0}, 0x7F7F7FFFu},
      {"behind the surface", {0, r, r}, 0x7F7F7FFFu},
      // Low above the plane, z = 1/16 of the unit vector: faded to half. (0.998, 0, 0.0625)·0.5 →
      // (0.7495, 0.5, 0.5156) → (191, 127, 131).
      {"grazing", {std::sqrt(1.0f - 0.0625f * 0.0625f), 0, -0.0625f}, 0xBF7F83FFu},
  };
  for (const Case& c : cases) EXPECT_EQ(packLightVector(kQuadFrame, c.toLight).value, c.packed) << c.what;
  // Only a tangent-space vector that is zero gives opaque black.
  EXPECT_EQ(packLightVector(TangentFrame{}, Vector3(0, 0, -1)), kNoLightVector);
  EXPECT_EQ(packLightVector(kQuadFrame, Vector3()), kNoLightVector);
}

VertexFrame quadFrame() {
  VertexFrame frame;
  frame.positions = {{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}};
  frame.tangentFrames.assign(4, kQuadFrame);
  return frame;
}

TEST(WriteLightVectors, PointLightIsSeenFromEachVertexAndDirectionalLightAlike) {
  const VertexFrame frame = quadFrame();
  std::vector<Color> out(4);
  // A point light 2 in front of vertex 3 (at (1, 1, −2)): straight up for it; from vertex 0 the
  // direction (2, 2, −2)/√12 gives tangent (0.577, −0.577, 0.577) → (201, 53, 201).
  writeLightVectors(frame, 4, ObjectLight{{1, 1, -2}, false}, out.data());
  EXPECT_EQ(out[3].value, 0x7F7FFFFFu);
  EXPECT_EQ(out[0].value, 0xC935C9FFu);
  // A directional light gives every vertex the same vector, whatever its length.
  writeLightVectors(frame, 4, ObjectLight{{0, 0, -7}, true}, out.data());
  for (const Color& c : out) EXPECT_EQ(c.value, 0x7F7FFFFFu);
  // A point light on a vertex has no direction there: opaque black, and no NaN anywhere.
  writeLightVectors(frame, 4, ObjectLight{{-1, 1, 0}, false}, out.data());
  EXPECT_EQ(out[1], kNoLightVector);
  EXPECT_EQ(out[0].value, 0x7F7F7FFFu) << "light in vertex 0's tangent plane";
}

TEST(WriteHalfVectors, HalfwayBetweenLightAndEyeScaledAndKeepingBlackEntries) {
  const VertexFrame frame = quadFrame();
  std::vector<Color> out(4, Color(0xFFFFFFFFu));
  out[2] = kNoLightVector;
  // Light and eye far along −z: H = (0, 0, 1) in tangent space, times 0.82 → z byte 232.
  writeHalfVectors(frame, 4, ObjectLight{{0, 0, -1}, true}, Vector3(0, 0, -1e6f), out.data());
  EXPECT_EQ(out[0].value, 0x7F7FE8FFu);
  EXPECT_EQ(out[2], kNoLightVector);
  // Light along +x in the plane, eye straight above vertex 3: H = (1, 0, 1)/√2 → 0.82·0.707 =
  // 0.580 → (201, 127, 201).
  writeHalfVectors(frame, 4, ObjectLight{{1, 0, 0}, true}, Vector3(1, 1, -3), out.data());
  EXPECT_EQ(out[3].value, 0xC97FC9FFu);
  // Light and eye on opposite sides cancel: H = 0 packs to mid-grey.
  writeHalfVectors(frame, 4, ObjectLight{{1, 0, 0}, true}, Vector3(-1e6f, 1, 0), out.data());
  EXPECT_EQ(out[3].value, 0x7F7F7FFFu);
}

}  // namespace
