#include "scenes/BumpMd3Context.h"

#include "engine/Renderer.h"

BumpMd3Context::BumpMd3Context() : Context("BumpMd3Context") {}

void BumpMd3Context::init() {}

void BumpMd3Context::update() {}

void BumpMd3Context::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void BumpMd3Context::release() {}
