#include "scenes/TerrainContext.h"

#include "engine/Renderer.h"

TerrainContext::TerrainContext() : Context("TerrainContext") {}

void TerrainContext::init() {}

void TerrainContext::update() {}

void TerrainContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void TerrainContext::release() {}
