// "animation.cfg": any text must parse, and every entry it gives, however damaged, must play
// inside the frames of the part (the first byte picks how many the part has).
#include <cstddef>
#include <cstdint>
#include <string>

#include "effects/Md3Model.h"
#include "loaders/Md3AnimationConfig.h"

namespace {

Md3Part makePart(std::uint32_t frames, const Md3AnimationTable& table) {
  Md3PartData part;
  part.node = SceneNode::create(Matrix34::identity());
  part.frameCount = frames;
  RefPtr<Mesh> mesh = new Mesh(frames, 3, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, {}, {}, {0, 1, 2});
  part.instances.push_back(new MeshInstance(part.node, mesh));
  part.tagCount = 1;
  for (std::uint32_t f = 0; f < frames; ++f) part.tags.push_back({"tag", {0, 0, float(f)}, Matrix33::identity()});
  part.attachments["tag"] = SceneNode::create(Matrix34::identity());
  part.animations = table;
  part.defaultAnimation = table.empty() ? std::string() : table.begin()->first;
  return Md3Part(std::move(part));
}

void play(std::uint32_t frames, const Md3AnimationTable& table) {
  Md3Part part = makePart(frames, table);
  for (const auto& [name, entry] : table) {
    part.setAnimation(name);
    for (double dt : {0.0, 16.0, 50.0, 999.0, 1e7}) {
      part.advance(dt);
      if (part.frame() >= frames || part.nextFrame() >= frames) __builtin_trap();
      if (!(part.blend() >= 0.0f && part.blend() <= 1.0f)) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t frames = 1u + data[0] % 200u;
  const Md3AnimationConfig config =
      Md3AnimationConfig::parse(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  play(frames, config.legs);
  play(frames, config.torso);
  return 0;
}
