#include "scenes/ShadowVolumeContext.h"

#include "engine/Renderer.h"

ShadowVolumeContext::ShadowVolumeContext() : Context("ShadowVolumeContext") {}

void ShadowVolumeContext::init() {}

void ShadowVolumeContext::update() {}

void ShadowVolumeContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void ShadowVolumeContext::release() {}
