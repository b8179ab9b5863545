#include "tools/datagen/GenMesh.h"
#include "tools/datagen/PreviewRenderer.h"

#include <gtest/gtest.h>

namespace {

bool isBackground(const uint8_t* p) { return p[0] == 64 && p[1] == 69 && p[2] == 77; }
bool isMagenta(const uint8_t* p) { return p[0] > 60 && p[1] == 0 && p[2] > 60 && p[0] == p[2]; }

}  // namespace

// A unit box seen along +z at 10 pixels per unit covers the 20 × 20 pixels around the origin.
TEST(PreviewRenderer, DrawsTheFrontOfABoxInsideItsOutline) {
    GenMesh box;
    box.addBox(Xform(), {1, 1, 1}, 0, 0, 1, 1);
    PreviewRenderer r(40, 40);
    r.setView({0, 0, 1}, {0, 1, 0}, {0, 0, 0}, 10.0f, 20, 20);
    r.draw(box.positions, box.normals, box.uvs, box.triangles, nullptr);
    const Picture& p = r.picture();
    EXPECT_FALSE(isBackground(p.pixel(20, 20)));
    EXPECT_FALSE(isMagenta(p.pixel(20, 20)));
    EXPECT_FALSE(isBackground(p.pixel(11, 11)));
    EXPECT_TRUE(isBackground(p.pixel(8, 20)));
    EXPECT_TRUE(isBackground(p.pixel(20, 31)));
    EXPECT_TRUE(isBackground(p.pixel(0, 0)));
}

TEST(PreviewRenderer, MarksInsideOutSurfacesMagenta) {
    GenMesh box;
    box.addBox(Xform(), {1, 1, 1}, 0, 0, 1, 1);
    for (auto& t : box.triangles) std::swap(t[1], t[2]);
    PreviewRenderer r(40, 40);
    r.setView({0, 0, 1}, {0, 1, 0}, {0, 0, 0}, 10.0f, 20, 20);
    r.draw(box.positions, box.normals, box.uvs, box.triangles, nullptr);
    EXPECT_TRUE(isMagenta(r.picture().pixel(20, 20)));
}

// Of two boxes along the view, the nearer one is seen; its texture's top row lands at the top.
TEST(PreviewRenderer, KeepsTheNearestSurfaceAndMapsTextureTopUp) {
    Picture texture(2, 2, 3);
    texture.set(0, 0, 1, 0, 0);
    texture.set(1, 0, 1, 0, 0);  // top row red
    texture.set(0, 1, 0, 0, 1);
    texture.set(1, 1, 0, 0, 1);  // bottom row blue
    GenMesh nearBox, farBox;
    nearBox.addBox(Xform::translation({0, 0, -2}), {1, 1, 0.5f}, 0, 0, 1, 1);
    farBox.addBox(Xform::translation({0, 0, 2}), {1.5f, 1.5f, 0.5f}, 0, 0, 1, 1);
    PreviewRenderer r(40, 40);
    r.setView({0, 0, 1}, {0, 1, 0}, {0, 0, 0}, 10.0f, 20, 20);
    r.draw(nearBox.positions, nearBox.normals, nearBox.uvs, nearBox.triangles, &texture);
    r.draw(farBox.positions, farBox.normals, farBox.uvs, farBox.triangles, nullptr);
    const uint8_t* top = r.picture().pixel(20, 13);
    const uint8_t* bottom = r.picture().pixel(20, 27);
    EXPECT_GT(top[0], 40);
    EXPECT_EQ(top[2], 0);
    EXPECT_GT(bottom[2], 40);
    EXPECT_EQ(bottom[0], 0);
    // Outside the near box but inside the far one: the far box's untextured grey.
    const uint8_t* rim = r.picture().pixel(20, 7);
    EXPECT_EQ(rim[0], rim[2]);
    EXPECT_GT(rim[0], 40);
}
