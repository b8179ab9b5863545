#pragma once
#include <string>
#include <vector>

#include "device/RecordingDevice.h"
#include "engine/Mesh.h"
#include "engine/Model.h"
#include "foundation/RefPtr.h"
#include "image/TextureManager.h"
#include "tests/foundation/TestSupport.h"
#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/Picture.h"

namespace loadertest {

using testsupport::TempDir;

// A texture manager whose textures live on a recording device.
struct RecordingTextures {
  RefPtr<RecordingDevice> device{new RecordingDevice(true)};
  RefPtr<TextureManager> manager{new TextureManager(device, 1)};
};

// A small opaque (or, with alpha, half-transparent) TGA picture at path.
inline void writeTga(const std::string& path, bool alpha = false) {
  Picture picture(2, 2, alpha ? 4 : 3);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) picture.set(x, y, 0.5f, 0.25f, 0.75f, alpha ? 0.5f : 1.0f);
  }
  ImageFiles::saveTga(picture, path);
}

// The positions of every triangle of a mesh, corner by corner.
inline std::vector<Vector3> trianglePositions(const Mesh& mesh) {
  std::vector<Vector3> out;
  for (std::uint32_t t = 0; t < mesh.triangleCount(); ++t) {
    for (int k = 0; k < 3; ++k) out.push_back(mesh.current().positions[mesh.corner(t, k)]);
  }
  return out;
}

inline std::size_t triangleTotal(const Model& model) {
  std::size_t n = 0;
  for (const auto& instance : model.instances()) n += instance->mesh()->triangleCount();
  return n;
}

}  // namespace loadertest
