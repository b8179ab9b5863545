#include "scenes/Md3Context.h"

#include "engine/Renderer.h"

Md3Context::Md3Context() : Context("Md3Context") {}

void Md3Context::init() {}

void Md3Context::update() {}

void Md3Context::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void Md3Context::release() {}
