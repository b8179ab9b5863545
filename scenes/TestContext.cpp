#include "scenes/TestContext.h"

#include "engine/Renderer.h"

TestContext::TestContext() : Context("TestContext") {}

void TestContext::init() {}

void TestContext::update() {}

void TestContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(scene);
}

void TestContext::release() {}
