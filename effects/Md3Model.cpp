#include "effects/Md3Model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Quaternion.h"
#include "foundation/Timer.h"
#include "loaders/ModelBounds.h"

namespace {

// Beyond any real frame count; keeps a huge time step from overflowing the frame arithmetic.
constexpr double kMaxSteps = 1e12;

bool bitEqual(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

Md3Part::Md3Part(Md3PartData partData) : data(std::move(partData)) {}

Md3Animation Md3Part::playable(const Md3Animation& entry) const {
  if (data.frameCount == 0) return {};
  Md3Animation p = entry;
  p.firstFrame = std::min(p.firstFrame, data.frameCount - 1);
  p.numFrames = std::min(p.numFrames, data.frameCount - p.firstFrame);
  p.loopingFrames = std::min(p.loopingFrames, p.numFrames);
  return p;
}

void Md3Part::setAnimation(const std::string& name) {
  current = name;
  keyFrame = blendTarget = playable(data.animations[name]).firstFrame;
  blendFactor = 0.0f;
}

void Md3Part::advance(double elapsedMs) {
  // The second pass plays the default animation after a one-shot animation ended; it runs once
  // at most, so a one-shot default cannot keep switching to itself within one update.
  for (int pass = 0; pass < 2; ++pass) {
    const Md3Animation a = playable(data.animations[current]);
    if (a.numFrames < 2) {
      keyFrame = a.firstFrame;
      blendFactor = 0.0f;
      show(keyFrame, keyFrame, 0.0f);
      return;
    }
    double x = elapsedMs * 0.001 * a.fps + blendFactor;
    if (!(x >= 0.0)) x = 0.0;
    x = std::min(x, kMaxSteps);
    double steps = 0.0;
    // Exactly 1 stays the blend factor: the next frame shown whole.
    if (x > 1.0) {
      steps = std::floor(x);
      x -= steps;
    }
    const std::uint64_t last = std::uint64_t(a.firstFrame) + a.numFrames - 1;
    const std::uint64_t loopStart = std::uint64_t(a.firstFrame) + a.numFrames - a.loopingFrames;
    std::uint64_t f = keyFrame + static_cast<std::uint64_t>(steps);
    if (f >= last) {
      if (a.loopingFrames != 0) {
        if (f > last) f = loopStart + (f - loopStart) % (last - loopStart + 1);
      } else if (pass == 0) {
        setAnimation(data.defaultAnimation);
        continue;
      } else {
        f = last;
        x = 0.0;
      }
    }
    const std::uint64_t next = f != last ? f + 1 : a.loopingFrames != 0 ? loopStart : last;
    keyFrame = static_cast<std::uint32_t>(f);
    blendFactor = static_cast<float>(x);
    show(keyFrame, static_cast<std::uint32_t>(next), blendFactor);
    return;
  }
}

void Md3Part::show(std::uint32_t a, std::uint32_t b, float t) {
  blendTarget = b;
  for (const RefPtr<MeshInstance>& instance : data.instances) {
    if (Mesh* mesh = instance->mesh()) mesh->setFrames(a, b, t);
  }
  placeTags(a, b, t);
}

void Md3Part::placeTags(std::uint32_t a, std::uint32_t b, float t) {
  const std::uint32_t count = data.tagCount;
  if (count == 0) return;
  const std::size_t framesWithTags = data.tags.size() / count;
  if (a >= framesWithTags || b >= framesWithTags) return;
  for (std::uint32_t k = 0; k < count; ++k) {
    const Md3Tag& from = data.tags[std::size_t(a) * count + k];
    const Md3Tag& to = data.tags[std::size_t(b) * count + k];
    const auto attached = data.attachments.find(from.name);
    if (attached == data.attachments.end() || !attached->second) continue;
    const Quaternion q = Quaternion::slerp(Quaternion::fromMatrix33(from.rotation),
                                           Quaternion::fromMatrix33(to.rotation), t);
    Matrix34 local = q.toMatrix34();
    local.setTranslation(bitEqual(from.origin, to.origin) ? from.origin
                                                          : from.origin * (1.0f - t) + to.origin * t);
    attached->second->local() = local;
  }
}

Md3Model::Md3Model(RefPtr<Model> model, std::unique_ptr<Md3Part> lower, std::unique_ptr<Md3Part> upper,
                   std::unique_ptr<Md3Part> head)
    : root(std::move(model)), legs(std::move(lower)), torso(std::move(upper)), headPart(std::move(head)) {
  legs->setAnimation(legs->defaultAnimation());
  torso->setAnimation(torso->defaultAnimation());
}

std::unique_ptr<Md3Model> Md3Model::load(const std::string& modelDirectory) {
  Md3Loader loader(modelDirectory);
  return fromLoader(loader);
}

std::unique_ptr<Md3Model> Md3Model::load(const std::string& archivePath, const std::string& modelDirectory,
                                         TextureManager* textures) {
  Md3Loader loader(archivePath, modelDirectory, textures);
  return fromLoader(loader);
}

std::unique_ptr<Md3Model> Md3Model::fromLoader(Md3Loader& loader) {
  if (!loader.loaded()) return nullptr;
  return std::make_unique<Md3Model>(loader.model(), std::make_unique<Md3Part>(std::move(loader.lower())),
                                    std::make_unique<Md3Part>(std::move(loader.upper())),
                                    std::make_unique<Md3Part>(std::move(loader.head())));
}

void Md3Model::update() { update(Timer::instance().delta()); }

void Md3Model::update(double elapsedMs) {
  legs->advance(elapsedMs);
  torso->advance(elapsedMs);
  SceneNode* top = root->node();
  if (!top) return;
  top->updateWorld();
  updateModelBounds(*root);
}
