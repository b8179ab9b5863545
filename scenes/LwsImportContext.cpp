#include "scenes/LwsImportContext.h"

#include "engine/Renderer.h"

LwsImportContext::LwsImportContext() : Context("LwsImportContext") {}

void LwsImportContext::init() {}

void LwsImportContext::update() {}

void LwsImportContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void LwsImportContext::release() {}
