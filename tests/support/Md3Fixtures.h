#pragma once
// A tiny three-part character written by the data generator's own writers: small enough to
// reason about by hand, complete enough to load like a real one.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/foundation/TestSupport.h"

#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/Pk3Writer.h"

namespace md3fixtures {

inline const std::string kDirectory = "models/players/tiny";

// One surface of three vertices: vertex 0 at (1, −2, 0.5) with normal +z in every frame, the
// others moving along x by one unit per frame. The stored triangle is (0, 1, 2).
inline Md3SurfaceData triangleSurface(const std::string& name, const std::string& shader, int frames) {
  Md3SurfaceData s;
  s.name = name;
  s.shader = shader;
  s.st = {{0.25f, 0.0f}, {1.0f, 0.25f}, {0.0f, 1.0f}};
  s.triangles = {{0, 2, 1}};  // the writer stores (a, c, b)
  for (int f = 0; f < frames; ++f) {
    const float x = static_cast<float>(f);
    s.framePositions.push_back({{1.0f, -2.0f, 0.5f}, {x, 1.0f, 0.0f}, {x, 0.0f, 1.0f}});
    s.frameNormals.push_back({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}});
  }
  return s;
}

// A part with `frames` frames; tag k of frame f sits at (k, 0, base + f).
inline Md3Data part(const std::string& file, int frames, const std::vector<std::string>& tags, float base,
                    const std::string& skin) {
  Md3Data d;
  d.name = kDirectory + "/" + file;
  d.frameCount = frames;
  d.tagNames = tags;
  for (int f = 0; f < frames; ++f) {
    std::vector<Md3TagData> frameTags;
    for (std::size_t k = 0; k < tags.size(); ++k) {
      Md3TagData tag;
      tag.name = tags[k];
      tag.origin = {static_cast<float>(k), 0.0f, base + static_cast<float>(f)};
      frameTags.push_back(tag);
    }
    d.frameTags.push_back(frameTags);
  }
  d.surfaces.push_back(triangleSurface(file.substr(0, file.find('.')), skin, frames));
  return d;
}

// Legs 12 frames, torso 10, head 1.
inline Md3Data lower() { return part("lower.md3", 12, {"tag_torso"}, 20.0f, kDirectory + "/lower.tga"); }
inline Md3Data upper() {
  return part("upper.md3", 10, {"tag_head", "tag_weapon", "tag_torso"}, 10.0f, kDirectory + "/upper.tga");
}
inline Md3Data head() { return part("head.md3", 1, {"tag_head"}, 0.0f, kDirectory + "/head.tga"); }

// Death frames 0-3 in both files, torso 4-9 in upper.md3, legs 4-11 in lower.md3; the file numbers
// the legs after the torso (LEGS_WALKCR 10, TORSO_GESTURE 4), so the legs move back by 6.
inline const char* const kAnimationConfig =
    "// animation config file\r\n"
    "\r\n"
    "sex m\r\n"
    "headoffset 0 0 0\r\n"
    "0\t4\t0\t20\t\t// BOTH_DEATH1\r\n"
    "3\t1\t0\t20\t\t// BOTH_DEAD1\r\n"
    "4\t3\t0\t10\t\t// TORSO_GESTURE\r\n"
    "7\t3\t3\t10\t\t// TORSO_STAND\r\n"
    "10\t4\t4\t10\t\t// LEGS_WALKCR\r\n"
    "14\t4\t4\t10\t\t// LEGS_IDLE\r\n";

inline std::vector<std::uint8_t> skin(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Picture picture(2, 2, 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      std::uint8_t* p = picture.pixel(x, y);
      p[0] = r, p[1] = g, p[2] = b;
    }
  return ImageFiles::encodeTga(picture);
}

// Every member of the tiny character; tests drop or replace members before writing.
struct Archive {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> members;

  Archive() {
    add("lower.md3", Md3Writer::encode(lower()));
    add("upper.md3", Md3Writer::encode(upper()));
    add("head.md3", Md3Writer::encode(head()));
    const std::string cfg = kAnimationConfig;
    add("animation.cfg", std::vector<std::uint8_t>(cfg.begin(), cfg.end()));
    add("lower.tga", skin(255, 0, 0));
    add("upper.tga", skin(0, 255, 0));
    add("head.tga", skin(0, 0, 255));
  }
  void add(const std::string& file, std::vector<std::uint8_t> bytes) {
    remove(file);
    members.emplace_back(kDirectory + "/" + file, std::move(bytes));
  }
  void remove(const std::string& file) {
    std::erase_if(members, [&](const auto& m) { return m.first == kDirectory + "/" + file; });
  }
  bool write(const std::string& path) const {
    Pk3Writer writer;
    for (const auto& [name, bytes] : members) writer.add(name, bytes);
    return writer.write(path);
  }
};

using TempDir = testsupport::TempDir;

// Little-endian field access for patching encoded files.
inline void putS32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
  const std::uint32_t u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}
inline std::int32_t getS32(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | b[at + i];
  return static_cast<std::int32_t>(u);
}

}  // namespace md3fixtures
