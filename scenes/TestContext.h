#pragma once
#include "engine/Context.h"
#include "engine/Scene.h"

// Minimal scene so far: its Scene is empty, so a frame shows the clear colour and the overlay.
class TestContext : public Context {
 public:
  TestContext();

  void init() override;
  void update() override;
  void render() override;
  void release() override;

 private:
  Scene scene;
};
