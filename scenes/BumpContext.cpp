#include "scenes/BumpContext.h"

#include "engine/Renderer.h"

BumpContext::BumpContext() : Context("BumpContext") {}

void BumpContext::init() {}

void BumpContext::update() {}

void BumpContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void BumpContext::release() {}
