// The MD3 reader: any bytes must be refused or give a part whose every index and frame is in
// range; an accepted part is built into meshes and played through all its frames.
#include <cstddef>
#include <cstdint>

#include "effects/Md3Model.h"
#include "loaders/Md3File.h"
#include "loaders/Md3Loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Md3File file;
  if (!Md3File::parse(data, size, "fuzz.md3", file)) return 0;
  if (file.frameCount == 0 || file.tags.size() != std::size_t(file.frameCount) * file.tagCount) __builtin_trap();
  Md3PartData part;
  part.node = SceneNode::create(Matrix34::identity());
  part.frameCount = file.frameCount;
  part.tagCount = file.tagCount;
  part.tags = file.tags;
  for (const Md3Surface& surface : file.surfaces) {
    if (surface.vertices.size() != std::size_t(surface.frameCount) * surface.vertexCount ||
        surface.texCoords.size() != std::size_t(surface.vertexCount) * 2) {
      __builtin_trap();
    }
    for (std::uint32_t index : surface.triangles) {
      if (index >= surface.vertexCount) __builtin_trap();
    }
    if (surface.vertexCount == 0 || surface.triangles.empty()) continue;
    part.instances.push_back(new MeshInstance(part.node, md3Mesh(surface)));
  }
  for (const Md3Tag& tag : file.tags) part.attachments[tag.name] = SceneNode::create(Matrix34::identity());
  part.animations["ALL"] = {0, file.frameCount, file.frameCount, 10};
  Md3Part player(std::move(part));
  player.setAnimation("ALL");
  for (std::uint32_t f = 0; f < file.frameCount && f < 64; ++f) player.advance(70.0);
  return 0;
}
